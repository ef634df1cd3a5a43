#include "TimeEditPanel.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include <wx/colour.h>
#include <wx/textctrl.h>

#include <vu_utils/vu_datetime.h>

const long TimeEditPanel::ID_TEXTCTRL1 = wxNewId();

namespace {

const char* const time_format = "%H:%M";

}  // namespace

TimeEditPanel::TimeEditPanel(wxWindow* parent, wxWindowID, const wxPoint&, const wxSize&, long,
                             const wxString&)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "wxID_ANY")
{
    // No sizer: the field sits at the origin and gives the panel its size.
    m_text = new wxTextCtrl(this, ID_TEXTCTRL1, wxEmptyString, wxDefaultPosition, wxSize(60, -1), 0,
                            wxDefaultValidator, "ID_TEXTCTRL1");
    SetInitialSize(m_text->GetSize());
    Bind(wxEVT_TEXT, &TimeEditPanel::OnTextChanged, this, ID_TEXTCTRL1);
    m_day_fraction = 0.0;
}

void TimeEditPanel::SetTime(const vu_datetime& time)
{
    // SetValue sends the text event even for an unchanged text: it parses.
    m_text->SetValue(time.to_format_string(time_format));
}

bool TimeEditPanel::ParseTime()
{
    const std::string text(m_text->GetValue().utf8_str());
    // Only the wall-clock time: GetJdn places it on its own date, whose clock
    // change (if any) may differ from today's.
    int seconds = 0;
    if (vu_datetime::parse_time_of_day(text, time_format, seconds)) {
        m_text->SetBackgroundColour(wxColour(255, 255, 255));
        m_text->Refresh(true);
        m_day_fraction = seconds / 3600.0 / 24.0;
        return true;
    }
    m_text->SetBackgroundColour(wxColour(255, 0, 0));
    m_text->Refresh(true);
    return false;
}

double TimeEditPanel::GetJdn(const vu_datetime& date) const
{
    // The wall-clock time on that local date, not midnight plus a fraction of
    // 24 hours: on a daylight-saving day those differ by the shift.
    const long seconds = std::lround(m_day_fraction * 86400.0);
    vu_datetime at;
    if (!date.is_not_a_date_time()
        && at.set_local(std::atoi(date.to_format_string("%Y").c_str()),
                        std::atoi(date.to_format_string("%m").c_str()),
                        std::atoi(date.to_format_string("%d").c_str()),
                        static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60), 0))
        return at.to_jdn();
    return date.to_jdn() + m_day_fraction;
}

void TimeEditPanel::OnTextChanged(wxCommandEvent&)
{
    ParseTime();
}
