#pragma once
// The "Timeline" page: the chosen week as a picture, a row a day with a bar
// for each piece of recorded work. The same week controls as the "Time
// Sheet" page, and the same week; a double click or Enter on a bar opens
// the correction dialog on that day, task and span.

#include <memory>

#include <wx/panel.h>
#include <wx/timer.h>

#include "wxNotebookAuto.h"
#include "zovWeekControls.h"

class TimelineCanvas;
class wxStaticText;

class TimelinePanel : public wxPanel, public wxNotebookAutoPage, public zovWeekPage
{
public:
    TimelinePanel(wxWindow* parent, wxWindowID id = wxID_ANY);
    ~TimelinePanel() override;

    bool Show(bool show = true) override;
    // Draws the week afresh and lets the running bar grow each minute.
    void PageShown(bool shown) override;

    zovChosenWeek GetChosenWeek() const override { return m_week->Get(); }
    void SetChosenWeek(const zovChosenWeek& week) override { m_week->Set(week); }

    // Draws the chosen week from the records as they are now.
    void Fill();
    // Opens the correction dialog on the bar's day, task and span.
    void EditBar(int bar);

    TimelineCanvas* GetCanvas() const { return m_canvas; }
    const zovWeekControls& GetWeekControls() const { return *m_week; }
    const wxTimer& GetTimer() const { return m_timer; }

private:
    void OnTimer(wxTimerEvent& event);

    std::unique_ptr<zovWeekControls> m_week;
    wxStaticText* m_hint_text;
    TimelineCanvas* m_canvas;
    wxTimer m_timer;
};
