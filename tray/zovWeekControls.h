#pragma once
// The week controls the "Time Sheet" and "Timeline" pages share: "Year",
// "Week no." and "Week Of" (a "Today" button and a date picker), and the
// one chosen week that goes with the user from one page to the other.

#include <functional>

#include <wx/datetime.h>

class wxButton;
class wxDatePickerCtrl;
class wxSizer;
class wxSpinCtrl;
class wxWindow;

// The week a page shows: the year and week of its spin controls, and the
// date of its picker (which a change of year can move off that week).
struct zovChosenWeek
{
    int year = 0;
    int week = 0;
    wxDateTime date;
};

// A notebook page that shows a chosen week; the notebook hands the week on
// when the user switches between such pages.
class zovWeekPage
{
public:
    virtual zovChosenWeek GetChosenWeek() const = 0;
    // Takes the week over; the page refills when it is shown next.
    virtual void SetChosenWeek(const zovChosenWeek& week) = 0;

protected:
    zovWeekPage() = default;
    zovWeekPage(const zovWeekPage&) = default;
    zovWeekPage& operator=(const zovWeekPage&) = default;
    ~zovWeekPage() = default;
};

// The controls, built into a page's sizer, behaving as the time sheet's:
// the spin controls name the week, the picker follows them, "Today" and a
// picked date choose the week that holds them. `changed` runs after each.
class zovWeekControls
{
public:
    zovWeekControls(wxWindow* page, wxSizer* row, std::function<void()> changed);

    zovChosenWeek Get() const;
    void Set(const zovChosenWeek& week);
    // The week that holds the current date.
    void SetToday();

    wxSpinCtrl* GetYearSpin() const { return m_year_spin; }
    wxSpinCtrl* GetWeekSpin() const { return m_week_spin; }
    wxDatePickerCtrl* GetDatePicker() const { return m_date_picker; }
    wxButton* GetTodayButton() const { return m_today_button; }

private:
    void SetWeekFrom(const wxDateTime& date);

    wxSpinCtrl* m_year_spin;
    wxSpinCtrl* m_week_spin;
    wxButton* m_today_button;
    wxDatePickerCtrl* m_date_picker;
    std::function<void()> m_changed;
};
