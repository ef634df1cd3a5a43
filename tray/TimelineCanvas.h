#pragma once
// The picture of the "Timeline" page: one row a day, the hours across, a bar
// for each piece of recorded work in its task's colour, and the legend with
// the week's totals. What to draw comes worked out from the kernel
// (zovTimeline); this window only places it, in pixels, and lets the user
// point at bars with the mouse or the keyboard.

#include <functional>
#include <memory>

#include <wx/window.h>

#include <zov/zovTimeline.h>

class wxGraphicsContext;
class wxKeyEvent;
class wxMouseEvent;
class wxPaintEvent;
class wxSizeEvent;

namespace zovtray {
class AccessibleBars;
}

class TimelineCanvas : public wxWindow
{
public:
    TimelineCanvas(wxWindow* parent, wxWindowID id = wxID_ANY);
    ~TimelineCanvas() override;

    void SetTimeline(const zovTimeline& timeline);
    const zovTimeline& GetTimeline() const { return m_timeline; }

    // Where the parts of the picture go in a window of the given size.
    struct geometry
    {
        double left;      // x of hour 0
        double per_hour;  // pixels per hour
        double top;       // y of the first row
        double row_height;
        double inset;     // between a row's edge and its bars
        double legend_x;
        double legend_width;
        double line;      // a legend line's height
        double x_of(double hours) const { return left + hours * per_hour; }
        double y_of(int row) const { return top + row * row_height; }
    };
    geometry Geometry(const wxSize& size) const;
    // A bar's rectangle, as it is filled.
    wxRect BarRect(const geometry& g, std::size_t bar) const;

    // Draws the whole picture, background included.
    void Draw(wxGraphicsContext& gc, const wxSize& size) const;

    // The bar under a point of the window, or -1.
    int HitTest(const wxPoint& point) const;
    // The bar the keyboard is on; -1: none.
    int GetSelection() const { return m_selection; }
    void Select(int bar);
    // What a double click or Enter on a bar does.
    void SetOpenHandler(std::function<void(int)> open) { m_open = std::move(open); }

    zovtray::AccessibleBars& GetAccessibleBars() const { return *m_accessible; }

protected:
    wxSize DoGetBestClientSize() const override;

private:
    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnDoubleClick(wxMouseEvent& event);
    void OnKey(wxKeyEvent& event);
    void OnFocus(wxFocusEvent& event);
    // The bar in the row above (-1) or below (+1) nearest in time.
    int Neighbour(int bar, int direction) const;
    void UpdateAccessible();

    zovTimeline m_timeline;
    int m_selection = -1;
    int m_tip_bar = -1;
    std::function<void(int)> m_open;
    std::unique_ptr<zovtray::AccessibleBars> m_accessible;
};
