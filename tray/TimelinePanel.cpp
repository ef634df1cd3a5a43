#include "TimelinePanel.h"

#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>

#include <zov/zovKernel.h>
#include <zov/zovTimeSheet.h>
#include <zov/zovTimeline.h>

#include "SessionDialog.h"
#include "TimeEditPanel.h"
#include "TimelineCanvas.h"
#include "zovTaskBarApp.h"

TimelinePanel::TimelinePanel(wxWindow* parent, wxWindowID id)
    : wxPanel(parent, id, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "id")
{
    wxBoxSizer* page = new wxBoxSizer(wxVERTICAL);
    wxBoxSizer* top = new wxBoxSizer(wxHORIZONTAL);
    m_week = std::make_unique<zovWeekControls>(this, top, [this] { Fill(); });
    top->AddStretchSpacer(1);
    page->Add(top, 0, wxEXPAND, 0);

    m_hint_text = new wxStaticText(this, wxID_ANY,
                                   _("Double click a bar, or move to it with the arrow keys and press Enter, "
                                     "to correct it."),
                                   wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT1");
    page->Add(m_hint_text, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);

    m_canvas = new TimelineCanvas(this);
    m_canvas->SetOpenHandler([this](int bar) { EditBar(bar); });
    page->Add(m_canvas, 1, wxALL | wxEXPAND, 5);

    m_timer.SetOwner(this);
    Bind(wxEVT_TIMER, &TimelinePanel::OnTimer, this, m_timer.GetId());

    SetSizer(page);
    page->Fit(this);
    page->SetSizeHints(this);
    // The picture first in the tab order: opening the page puts the arrow
    // keys on the bars, not on the year, whose text GTK would select.
    m_canvas->MoveBeforeInTabOrder(m_week->GetYearSpin()->GetParent());
}

TimelinePanel::~TimelinePanel()
{
    m_timer.Stop();
}

bool TimelinePanel::Show(bool show)
{
    PageShown(show);
    return wxPanel::Show(show);
}

void TimelinePanel::PageShown(bool shown)
{
    if (shown) {
        Fill();
        m_timer.Start(60000, wxTIMER_CONTINUOUS);
    } else {
        m_timer.Stop();
    }
}

void TimelinePanel::Fill()
{
    zovKernel* kernel = wxGetApp().GetKernel();
    if (!kernel)
        return;
    // As on the time sheet: a log-out the computer slept through first.
    if (wxGetApp().CheckAutoLogout())
        wxGetApp().RefreshIcon();
    const zovChosenWeek week = m_week->Get();
    zovTimeSheet sheet(week.week, week.year);
    kernel->tsheet(sheet);
    m_canvas->SetTimeline(zovTimeline::of_week(sheet));
    Layout();
}

void TimelinePanel::EditBar(int index)
{
    const zovTimeline& timeline = m_canvas->GetTimeline();
    if (index < 0 || index >= static_cast<int>(timeline.bars().size()))
        return;
    const zovTimeline::bar bar = timeline.bars()[static_cast<std::size_t>(index)];
    const zovTimeline::row day = timeline.rows()[static_cast<std::size_t>(bar.row)];
    SessionDialog dialog(this, -1, wxDefaultPosition, wxDefaultSize);
    dialog.SetDate(day.begin);
    dialog.SetTask(wxString::FromUTF8(bar.task));
    dialog.GetFromPanel()->SetTime(bar.begin);
    // The dialog's span lies within one day: a piece up to midnight ends at 23:59.
    vu_datetime until = bar.end;
    if (until == day.end)
        until.set_time_t(day.end.to_time_t() - 60);
    dialog.GetUntilPanel()->SetTime(until);
    if (dialog.ShowModal() == wxID_OK)
        Fill();
}

void TimelinePanel::OnTimer(wxTimerEvent&)
{
    // The dialog hides without telling its pages; nothing to grow then.
    if (IsShownOnScreen())
        Fill();
}
