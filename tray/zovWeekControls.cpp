#include "zovWeekControls.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>

#include <vu_utils/vu_datetime.h>

#include "TimeSheetRules.h"
#include "zovLayout.h"

namespace {

void set_width(wxWindow* control, int width)
{
    control->SetInitialSize(wxSize(std::max(width, control->GetBestSize().GetWidth()), -1));
}

}  // namespace

zovWeekControls::zovWeekControls(wxWindow* page, wxSizer* row, std::function<void()> changed)
    : m_changed(std::move(changed))
{
    wxStaticBoxSizer* year_box = new wxStaticBoxSizer(wxHORIZONTAL, page, _("Year"));
    m_year_spin = new wxSpinCtrl(year_box->GetStaticBox(), wxID_ANY, "2013", wxDefaultPosition,
                                 wxDefaultSize, 0, 2000, 2100, 2013, "ID_SPINCTRL2");
    set_width(m_year_spin, 80);
    year_box->Add(m_year_spin, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    row->Add(year_box, 0, wxALL | wxEXPAND, 5);

    wxStaticBoxSizer* week_box = new wxStaticBoxSizer(wxHORIZONTAL, page, _("Week no."));
    m_week_spin = new wxSpinCtrl(week_box->GetStaticBox(), wxID_ANY, "1", wxDefaultPosition,
                                 wxDefaultSize, 0, 1, 53, 1, "ID_SPINCTRL1");
    set_width(m_week_spin, 70);
    week_box->Add(m_week_spin, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    row->Add(week_box, 0, wxTOP | wxBOTTOM | wxEXPAND, 5);

    wxStaticBoxSizer* date_box = new wxStaticBoxSizer(wxHORIZONTAL, page, _("Week Of"));
    m_today_button = new wxButton(date_box->GetStaticBox(), wxID_ANY, _("Today"), wxDefaultPosition,
                                  wxDefaultSize, 0, wxDefaultValidator, "ID_BUTTON1");
    zovlayout::SetWidthAtLeast(m_today_button, 60);
    date_box->Add(m_today_button, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_date_picker = new wxDatePickerCtrl(date_box->GetStaticBox(), wxID_ANY, wxDefaultDateTime,
                                         wxDefaultPosition, wxDefaultSize, wxDP_SHOWCENTURY,
                                         wxDefaultValidator, "ID_DATEPICKERCTRL1");
    date_box->Add(m_date_picker, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    row->Add(date_box, 0, wxALL | wxEXPAND, 5);
    for (wxStaticBoxSizer* box : {year_box, week_box, date_box})
        zovlayout::KeepLabelWhole(box);

    m_year_spin->Bind(wxEVT_SPINCTRL, [this](wxSpinEvent&) {
        m_date_picker->SetValue(zovtray::same_day_in_year(m_date_picker->GetValue(), m_year_spin->GetValue()));
        m_changed();
    });
    m_week_spin->Bind(wxEVT_SPINCTRL, [this](wxSpinEvent&) {
        m_date_picker->SetValue(
            zovtray::to_picker(zovtray::week_monday(m_year_spin->GetValue(), m_week_spin->GetValue())));
        m_changed();
    });
    m_today_button->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        SetToday();
        m_changed();
    });
    m_date_picker->Bind(wxEVT_DATE_CHANGED, [this](wxDateEvent&) {
        SetWeekFrom(m_date_picker->GetValue());
        m_changed();
    });
    SetToday();
}

zovChosenWeek zovWeekControls::Get() const
{
    return {m_year_spin->GetValue(), m_week_spin->GetValue(), m_date_picker->GetValue()};
}

void zovWeekControls::Set(const zovChosenWeek& week)
{
    m_year_spin->SetValue(week.year);
    m_week_spin->SetValue(week.week);
    if (week.date.IsValid())
        m_date_picker->SetValue(week.date);
}

void zovWeekControls::SetToday()
{
    vu_datetime now;
    now.set_local_time();
    m_date_picker->SetValue(zovtray::to_picker(now));
    SetWeekFrom(m_date_picker->GetValue());
}

void zovWeekControls::SetWeekFrom(const wxDateTime& date)
{
    const zovtray::iso_week week = zovtray::week_of(date);
    m_year_spin->SetValue(week.year);
    m_week_spin->SetValue(week.week);
}
