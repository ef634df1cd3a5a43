#pragma once
// The "Time Sheet" page: the hours per task and weekday of one ISO week in a
// grid, chosen by year and week number, by a date or with "Today". A double
// click on a cell or label opens the correction dialog on that day and task;
// the week's report can be archived and opened with the desktop's program.

#include <wx/panel.h>

#include "wxNotebookAuto.h"
#include "zovWeekControls.h"

class wxButton;
class wxCommandEvent;
class wxDateEvent;
class wxDatePickerCtrl;
class wxDateTime;
class wxEasyGrid;
class wxFileDialog;
class wxGridEvent;
class wxSpinCtrl;
class wxSpinEvent;
class wxStaticText;

class TimeSheetPanel : public wxPanel, public wxNotebookAutoPage, public zovWeekPage
{
public:
    TimeSheetPanel(wxWindow* parent, wxWindowID id = wxID_ANY,
                   const wxPoint& pos = wxDefaultPosition,
                   const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                   const wxString& name = "id");
    ~TimeSheetPanel() override;

    // Showing the page fills the grid afresh.
    bool Show(bool show = true) override;
    void PageShown(bool shown) override;
    // The week of the spin controls and the picker's date, shared with the
    // "Timeline" page.
    zovChosenWeek GetChosenWeek() const override;
    void SetChosenWeek(const zovChosenWeek& week) override;

    // Rebuilds the grid for the week of the two spin controls.
    void FillGrid();
    // Opens the correction dialog for a grid position (-1: a label).
    void EditSession(int row, int col);

    // The file the user chose in a file dialog.
    static wxString ChosenPath(const wxFileDialog& dialog);

    // The controls, for the tests that drive the page.
    wxButton* GetViewButton() const { return m_view_button; }
    wxDatePickerCtrl* GetDatePicker() const { return m_date_picker; }
    wxButton* GetTodayButton() const { return m_today_button; }
    wxStaticText* GetHintText() const { return m_hint_text; }
    wxEasyGrid* GetGrid() const { return m_grid; }
    wxButton* GetArchiveButton() const { return m_archive_button; }
    wxSpinCtrl* GetWeekSpin() const { return m_week_spin; }
    wxSpinCtrl* GetYearSpin() const { return m_year_spin; }

private:
    // Date, year and week controls for the week that holds the date.
    void SetWeekFrom(const wxDateTime& date);

    void OnYearChanged(wxSpinEvent& event);
    void OnWeekChanged(wxSpinEvent& event);
    void OnToday(wxCommandEvent& event);
    void OnDateChanged(wxDateEvent& event);
    void OnArchive(wxCommandEvent& event);
    void OnView(wxCommandEvent& event);
    void OnGridDClick(wxGridEvent& event);

    wxButton* m_view_button;
    wxDatePickerCtrl* m_date_picker;
    wxButton* m_today_button;
    wxStaticText* m_hint_text;
    wxEasyGrid* m_grid;
    wxButton* m_archive_button;
    wxSpinCtrl* m_week_spin;
    wxSpinCtrl* m_year_spin;
};
