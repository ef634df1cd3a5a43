#include "TimelineCanvas.h"

#include <algorithm>
#include <cmath>

#include <wx/dcbuffer.h>
#include <wx/graphics.h>
#include <wx/settings.h>

#include "zovAccessibleBars.h"

namespace {

wxColour colour_of(int colour)
{
    return wxColour(zovTimeline::colour_text(colour));
}

const wxColour day_colour(242, 242, 242);
const wxColour grid_colour(216, 216, 216);

}  // namespace

TimelineCanvas::TimelineCanvas(wxWindow* parent, wxWindowID id)
    : wxWindow(parent, id, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS | wxFULL_REPAINT_ON_RESIZE, "ID_TIMELINE1")
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    m_accessible = std::make_unique<zovtray::AccessibleBars>(this);
    Bind(wxEVT_PAINT, &TimelineCanvas::OnPaint, this);
    Bind(wxEVT_SIZE, &TimelineCanvas::OnSize, this);
    Bind(wxEVT_MOTION, &TimelineCanvas::OnMotion, this);
    Bind(wxEVT_LEFT_DOWN, &TimelineCanvas::OnLeftDown, this);
    Bind(wxEVT_LEFT_DCLICK, &TimelineCanvas::OnDoubleClick, this);
    Bind(wxEVT_KEY_DOWN, &TimelineCanvas::OnKey, this);
    Bind(wxEVT_SET_FOCUS, &TimelineCanvas::OnFocus, this);
    Bind(wxEVT_KILL_FOCUS, &TimelineCanvas::OnFocus, this);
}

TimelineCanvas::~TimelineCanvas() = default;

void TimelineCanvas::SetTimeline(const zovTimeline& timeline)
{
    m_timeline = timeline;
    if (m_selection >= static_cast<int>(m_timeline.bars().size()))
        m_selection = m_timeline.bars().empty() ? -1 : static_cast<int>(m_timeline.bars().size()) - 1;
    m_tip_bar = -1;
    UnsetToolTip();
    InvalidateBestSize();
    UpdateAccessible();
    Refresh();
}

TimelineCanvas::geometry TimelineCanvas::Geometry(const wxSize& size) const
{
    const double margin = FromDIP(8);
    const double ch = GetCharHeight();
    int label = 0;
    for (const zovTimeline::row& r : m_timeline.rows())
        label = std::max(label, GetTextExtent(wxString::FromUTF8(r.label)).GetWidth());
    if (m_timeline.rows().empty())
        label = GetTextExtent("Mon 00-Xxx").GetWidth();
    int names = GetTextExtent("Total").GetWidth();
    int totals = GetTextExtent("000.0").GetWidth();
    for (const zovTimeline::legend_entry& e : m_timeline.legend()) {
        names = std::max(names, GetTextExtent(wxString::FromUTF8(e.task)).GetWidth());
        totals = std::max(totals, GetTextExtent(e.hours).GetWidth());
    }
    const double legend_width =
        std::max<double>(ch + margin + names + margin + totals, GetTextExtent(m_timeline.grey_note()).GetWidth());

    geometry g;
    g.left = margin + label + margin;
    g.top = margin + ch + margin / 2;
    g.row_height = std::max<double>(std::round(ch * 1.6), FromDIP(18));
    g.inset = std::max(2.0, std::round(g.row_height / 6));
    g.line = std::round(ch * 1.4);
    const double across = m_timeline.hours_across();
    g.per_hour = std::max<double>(FromDIP(6), (size.GetWidth() - g.left - 3 * margin - legend_width) / across);
    g.legend_x = g.left + across * g.per_hour + 2 * margin;
    g.legend_width = legend_width;
    return g;
}

wxRect TimelineCanvas::BarRect(const geometry& g, std::size_t i) const
{
    const zovTimeline::bar& b = m_timeline.bars()[i];
    // Whole pixels: sharp edges, and a bar too short to see still shows.
    const int x0 = static_cast<int>(std::lround(g.x_of(b.from)));
    const int x1 = std::max(x0 + 1, static_cast<int>(std::lround(g.x_of(b.until))));
    const int y0 = static_cast<int>(std::lround(g.y_of(b.row) + g.inset));
    const int y1 = static_cast<int>(std::lround(g.y_of(b.row) + g.row_height - g.inset));
    return wxRect(x0, y0, x1 - x0, y1 - y0);
}

wxSize TimelineCanvas::DoGetBestClientSize() const
{
    const geometry g = Geometry(wxSize(0, 0));
    const double across = m_timeline.hours_across();
    const double margin = FromDIP(8);
    const int width = static_cast<int>(std::ceil(g.left + across * FromDIP(26) + 3 * margin + g.legend_width));
    const std::size_t rows = std::max<std::size_t>(7, m_timeline.rows().size());
    const std::size_t lines = m_timeline.legend().size() + (m_timeline.grey_tasks() ? 1 : 0);
    const double height = g.top + std::max(rows * g.row_height, lines * g.line) + margin;
    return wxSize(width, static_cast<int>(std::ceil(height)));
}

void TimelineCanvas::Draw(wxGraphicsContext& gc, const wxSize& size) const
{
    const geometry g = Geometry(size);
    const wxColour background = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW);
    const wxColour text = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT);
    gc.SetPen(*wxTRANSPARENT_PEN);
    gc.SetBrush(wxBrush(background));
    gc.DrawRectangle(0, 0, size.GetWidth(), size.GetHeight());
    gc.SetFont(GetFont(), text);

    const auto& rows = m_timeline.rows();
    const double across = m_timeline.hours_across();
    const double bottom = g.y_of(static_cast<int>(rows.size()));
    // Each day as long as it really is: 23 or 25 hours on a clock change.
    gc.SetBrush(wxBrush(day_colour));
    for (std::size_t r = 0; r < rows.size(); ++r)
        gc.DrawRectangle(g.left, std::round(g.y_of(static_cast<int>(r))) + 1, rows[r].hours * g.per_hour,
                         std::round(g.row_height) - 2);
    gc.SetPen(wxPen(grid_colour, 1));
    for (int h = 0; h <= static_cast<int>(across); ++h) {
        // Whole pixels: the context itself offsets a one-pixel pen by half a pixel.
        const double x = std::round(g.x_of(h));
        gc.StrokeLine(x, g.top, x, bottom);
    }
    for (int h = 0; h <= static_cast<int>(across); h += 3) {
        const wxString label = wxString::Format("%d", h);
        double w = 0, hgt = 0;
        gc.GetTextExtent(label, &w, &hgt);
        gc.DrawText(label, g.x_of(h) - w / 2, g.top - hgt - 2);
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        double w = 0, hgt = 0;
        const wxString label = wxString::FromUTF8(rows[r].label);
        gc.GetTextExtent(label, &w, &hgt);
        gc.DrawText(label, FromDIP(8), g.y_of(static_cast<int>(r)) + (g.row_height - hgt) / 2);
    }

    gc.SetPen(*wxTRANSPARENT_PEN);
    for (std::size_t i = 0; i < m_timeline.bars().size(); ++i) {
        const wxRect r = BarRect(g, i);
        gc.SetBrush(wxBrush(colour_of(m_timeline.bars()[i].colour)));
        gc.DrawRectangle(r.x, r.y, r.width, r.height);
    }
    if (m_selection >= 0 && m_selection < static_cast<int>(m_timeline.bars().size())) {
        // Around the bar, not over it: its own colour stays readable.
        const wxRect r = BarRect(g, static_cast<std::size_t>(m_selection));
        gc.SetPen(wxPen(text, HasFocus() ? 2 : 1));
        gc.SetBrush(*wxTRANSPARENT_BRUSH);
        gc.DrawRectangle(r.x - 2, r.y - 2, r.width + 3, r.height + 3);
    }

    double y = g.top;
    const double ch = GetCharHeight();
    double totals_right = size.GetWidth() - FromDIP(8);
    gc.SetPen(*wxTRANSPARENT_PEN);
    for (const zovTimeline::legend_entry& e : m_timeline.legend()) {
        gc.SetBrush(wxBrush(colour_of(e.colour)));
        gc.DrawRectangle(g.legend_x, y + (g.line - ch) / 2 + 1, ch - 2, ch - 2);
        gc.DrawText(wxString::FromUTF8(e.task), g.legend_x + ch + FromDIP(4), y + (g.line - ch) / 2);
        double w = 0, hgt = 0;
        gc.GetTextExtent(e.hours, &w, &hgt);
        gc.DrawText(e.hours, totals_right - w, y + (g.line - ch) / 2);
        y += g.line;
    }
    if (m_timeline.grey_tasks())
        gc.DrawText(m_timeline.grey_note(), g.legend_x, y + (g.line - ch) / 2);
}

int TimelineCanvas::HitTest(const wxPoint& point) const
{
    const geometry g = Geometry(GetClientSize());
    for (std::size_t i = 0; i < m_timeline.bars().size(); ++i)
        if (BarRect(g, i).Contains(point))
            return static_cast<int>(i);
    return -1;
}

void TimelineCanvas::Select(int bar)
{
    if (bar < -1 || bar >= static_cast<int>(m_timeline.bars().size()))
        return;
    m_selection = bar;
    m_accessible->Focus(HasFocus() ? bar : -1);
    Refresh();
}

int TimelineCanvas::Neighbour(int bar, int direction) const
{
    const auto& bars = m_timeline.bars();
    const zovTimeline::bar& from = bars[static_cast<std::size_t>(bar)];
    const double middle = (from.from + from.until) / 2;
    const int rows = static_cast<int>(m_timeline.rows().size());
    for (int row = from.row + direction; row >= 0 && row < rows; row += direction) {
        int best = -1;
        double best_distance = 0;
        for (std::size_t i = 0; i < bars.size(); ++i) {
            if (bars[i].row != row)
                continue;
            const double d = middle < bars[i].from ? bars[i].from - middle
                             : middle > bars[i].until ? middle - bars[i].until : 0;
            if (best < 0 || d < best_distance)
                best = static_cast<int>(i), best_distance = d;
        }
        if (best >= 0)
            return best;
    }
    return bar;
}

void TimelineCanvas::UpdateAccessible()
{
    const geometry g = Geometry(GetClientSize());
    std::vector<zovtray::accessible_bar> bars;
    for (std::size_t i = 0; i < m_timeline.bars().size(); ++i)
        bars.push_back({m_timeline.bars()[i].text, BarRect(g, i)});
    m_accessible->Set(bars);
    m_accessible->Focus(HasFocus() ? m_selection : -1);
}

void TimelineCanvas::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
    if (gc)
        Draw(*gc, GetClientSize());
}

void TimelineCanvas::OnSize(wxSizeEvent& event)
{
    UpdateAccessible();
    Refresh();
    event.Skip();
}

void TimelineCanvas::OnMotion(wxMouseEvent& event)
{
    const int bar = HitTest(event.GetPosition());
    if (bar != m_tip_bar) {
        m_tip_bar = bar;
        if (bar < 0)
            UnsetToolTip();
        else
            SetToolTip(wxString::FromUTF8(m_timeline.bars()[static_cast<std::size_t>(bar)].text));
    }
    event.Skip();
}

void TimelineCanvas::OnLeftDown(wxMouseEvent& event)
{
    SetFocus();
    const int bar = HitTest(event.GetPosition());
    if (bar >= 0)
        Select(bar);
    event.Skip();
}

void TimelineCanvas::OnDoubleClick(wxMouseEvent& event)
{
    const int bar = HitTest(event.GetPosition());
    if (bar >= 0 && m_open) {
        Select(bar);
        m_open(bar);
    }
}

void TimelineCanvas::OnKey(wxKeyEvent& event)
{
    const int count = static_cast<int>(m_timeline.bars().size());
    if (count == 0) {
        event.Skip();
        return;
    }
    const int current = m_selection < 0 ? 0 : m_selection;
    switch (event.GetKeyCode()) {
    case WXK_LEFT:
        Select(m_selection < 0 ? 0 : std::max(0, current - 1));
        break;
    case WXK_RIGHT:
        Select(m_selection < 0 ? 0 : std::min(count - 1, current + 1));
        break;
    case WXK_UP:
        Select(Neighbour(current, -1));
        break;
    case WXK_DOWN:
        Select(Neighbour(current, +1));
        break;
    case WXK_HOME:
        Select(0);
        break;
    case WXK_END:
        Select(count - 1);
        break;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
        if (m_selection >= 0 && m_open)
            m_open(m_selection);
        break;
    default:
        event.Skip();
    }
}

void TimelineCanvas::OnFocus(wxFocusEvent& event)
{
    if (event.GetEventType() == wxEVT_SET_FOCUS && m_selection < 0 && !m_timeline.bars().empty())
        m_selection = 0;
    m_accessible->Focus(event.GetEventType() == wxEVT_SET_FOCUS ? m_selection : -1);
    Refresh();
    event.Skip();
}
