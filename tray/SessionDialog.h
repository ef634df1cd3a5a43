#pragma once
// "Timesheet Correction": enter a work session after the fact (task, date,
// from, until, optionally still running). After checks and a confirmation
// the kernel records it and cancels the recorded time it overlaps.

#include <string>

#include <wx/dialog.h>

class TimeEditPanel;
class vu_datetime;
class wxButton;
class wxCheckBox;
class wxComboBox;
class wxCommandEvent;
class wxDateEvent;
class wxDatePickerCtrl;
class wxStaticText;
class zovKernel;

class SessionDialog : public wxDialog
{
public:
    SessionDialog(wxWindow* parent, wxWindowID id = wxID_ANY,
                  const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize);

    // Shows the date; "Active" is offered only for today, which then locks the date.
    void SetDate(const vu_datetime& date);
    // Presets exactly that task: its item in the recent list, or else the
    // name typed into the field.
    void SetTask(const wxString& task);
    // Local midnight of the date the picker shows.
    vu_datetime GetDate() const;
    void UpdateWeekday();

    // The Ok button's work: check, confirm, record. True when the kernel
    // stored the session; otherwise the dialog stays as it was.
    bool ApplyEntry();

    // The decisions behind the dialog, free of windows.

    // "Monday" ... "Sunday" for 0 ... 6, "???" otherwise.
    static wxString WeekdayName(int day_of_week2);
    // Whether two instants fall on the same local calendar date.
    static bool IsSameDate(const vu_datetime& a, const vu_datetime& b);
    // Why a task name cannot be used: message and caption of the error box.
    // False when the name is fine.
    static bool TaskRefusal(const wxString& task, wxString& message, wxString& caption);
    // The confirmation text.
    static wxString SummaryText(const wxString& task, double hours, const vu_datetime& begin,
                                const vu_datetime& end, bool active);
    // Records the session. For an active one the task becomes the running
    // one: switched to first when someone is logged in, logged in from now
    // after the correction when nobody was. False when the correction (or
    // that log-in) failed.
    static bool ApplyCorrection(zovKernel& kernel, const std::string& task,
                                const vu_datetime& begin, const vu_datetime& end, bool active);

    // The controls, for the tests that drive the dialog.
    wxStaticText* GetTextLabel() const { return m_text; }
    wxComboBox* GetTaskBox() const { return m_task; }
    wxButton* GetTodayButton() const { return m_today; }
    wxStaticText* GetWeekdayLabel() const { return m_weekday; }
    wxDatePickerCtrl* GetDatePicker() const { return m_date; }
    TimeEditPanel* GetFromPanel() const { return m_from; }
    TimeEditPanel* GetUntilPanel() const { return m_until; }
    wxCheckBox* GetActiveBox() const { return m_active; }
    wxButton* GetOkButton() const { return m_ok; }
    wxButton* GetCancelButton() const { return m_cancel; }

    static const long ID_STATICTEXT1;
    static const long ID_COMBOBOX1;
    static const long ID_BUTTON3;
    static const long ID_STATICTEXT2;
    static const long ID_DATEPICKERCTRL1;
    static const long ID_PANEL1;
    static const long ID_PANEL2;
    static const long ID_CHECKBOX1;
    static const long ID_BUTTON1;
    static const long ID_BUTTON2;

private:
    void OnToday(wxCommandEvent& event);
    void OnDateChanged(wxDateEvent& event);
    void OnActive(wxCommandEvent& event);
    void OnOk(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);

    wxStaticText* m_text;
    wxComboBox* m_task;
    wxButton* m_today;
    wxStaticText* m_weekday;
    wxDatePickerCtrl* m_date;
    TimeEditPanel* m_from;
    TimeEditPanel* m_until;
    wxCheckBox* m_active;
    wxButton* m_ok;
    wxButton* m_cancel;
};
