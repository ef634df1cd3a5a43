// The two time entry controls: the hour-and-minute picker of the options
// page and the HH:MM field of the correction dialog.

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include <wx/colour.h>
#include <wx/frame.h>
#include <wx/spinctrl.h>
#include <wx/textctrl.h>

#include <zovkernel.h>

#include "SimpleTimePicker.h"
#include "TimeEditPanel.h"
#include "gui_support.h"

using zovtest::at;
using zovtest::FixedClock;
using zovtest::TzGuard;

namespace {

const wxColour white(255, 255, 255);
const wxColour red(255, 0, 0);

// A plain frame to hold the control under test.
class TimeControlTest : public ::testing::Test
{
protected:
    void SetUp() override { m_frame = new wxFrame(nullptr, wxID_ANY, "time controls"); }
    void TearDown() override { delete m_frame; }

    wxFrame* m_frame = nullptr;
};

class SimpleTimePickerTest : public TimeControlTest
{
protected:
    void SetUp() override
    {
        TimeControlTest::SetUp();
        m_picker = new SimpleTimePicker(m_frame, wxID_ANY);
    }
    std::string Shown() const
    {
        return std::to_string(m_picker->GetHoursControl()->GetValue()) + ":"
               + std::to_string(m_picker->GetMinutesControl()->GetValue());
    }

    SimpleTimePicker* m_picker = nullptr;
};

class TimeEditPanelTest : public TimeControlTest
{
protected:
    void SetUp() override
    {
        TimeControlTest::SetUp();
        m_panel = new TimeEditPanel(m_frame, 4711);
        m_text = m_panel->GetTextControl();
    }
    // As the user types: every change of the text is parsed.
    void Type(const wxString& text) { m_text->SetValue(text); }
    wxColour Colour() const { return m_text->GetBackgroundColour(); }
    // The instant GetJdn gives, as a date-time.
    vu_datetime Instant(const vu_datetime& date) const
    {
        vu_datetime t;
        t.set_jdn(m_panel->GetJdn(date));
        return t;
    }

    TimeEditPanel* m_panel = nullptr;
    wxTextCtrl* m_text = nullptr;
};

}  // namespace

TEST_F(SimpleTimePickerTest, a_fresh_picker_shows_17_00_in_two_bounded_spin_controls)
{
    EXPECT_EQ("17:0", Shown());
    EXPECT_EQ(61200, m_picker->GetSeconds());

    wxSpinCtrl* hours = m_picker->GetHoursControl();
    wxSpinCtrl* minutes = m_picker->GetMinutesControl();
    EXPECT_EQ("ID_SPINCTRL1", hours->GetName());
    EXPECT_EQ("ID_SPINCTRL2", minutes->GetName());
    EXPECT_EQ(0, hours->GetMin());
    EXPECT_EQ(23, hours->GetMax());
    EXPECT_EQ(0, minutes->GetMin());
    EXPECT_EQ(59, minutes->GetMax());
    EXPECT_FALSE(hours->HasFlag(wxSP_WRAP));
    EXPECT_EQ("Hours (0-23)", hours->GetToolTipText());
    EXPECT_EQ("Minutes (0-59)", minutes->GetToolTipText());
    EXPECT_EQ("id", m_picker->GetName());
}

TEST_F(SimpleTimePickerTest, set_seconds_keeps_whole_minutes_only)
{
    struct Case
    {
        int seconds;
        const char* shown;
        int read_back;
    };
    const Case cases[] = {
        {0, "0:0", 0},
        {86399, "23:59", 86340},      // the last second of the day: 23:59
        {3599, "0:59", 3540},         // not a whole hour: minutes only
        {66600, "18:30", 66600},
        {61200 + 59, "17:0", 61200},  // seconds below a minute are lost
        {3600, "1:0", 3600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_TRUE(m_picker->SetSeconds(c.seconds));
        EXPECT_EQ(c.shown, Shown());
        EXPECT_EQ(c.read_back, m_picker->GetSeconds());
    }
}

TEST_F(TimeEditPanelTest, starts_empty_uncoloured_and_an_untouched_field_is_invalid)
{
    EXPECT_EQ("ID_TEXTCTRL1", m_text->GetName());
    EXPECT_EQ("wxID_ANY", m_panel->GetName());
    EXPECT_NE(4711, m_panel->GetId()) << "the given id is not used";
    EXPECT_EQ(60, m_text->GetSize().GetWidth());
    EXPECT_EQ(0.0, m_panel->GetDayFraction());
    EXPECT_FALSE(m_text->UseBackgroundColour()) << "neither white nor red before a change";

    EXPECT_FALSE(m_panel->ParseTime());
    EXPECT_EQ(red, Colour());
    EXPECT_EQ(0.0, m_panel->GetDayFraction());
}

TEST_F(TimeEditPanelTest, only_one_or_two_digit_hours_0_23_and_minutes_0_59_are_a_time)
{
    struct Case
    {
        const char* text;
        bool valid;
        int seconds;  // of the kept time when valid
    };
    const Case cases[] = {
        {"12:30", true, 45000},  {"7:05", true, 25500},   {"7:5", true, 25500},
        {"00:00", true, 0},      {"23:59", true, 86340},  {"0:0", true, 0},
        {"24:00", false, 0},     {"12:60", false, 0},     {"123:00", false, 0},
        {"12:345", false, 0},    {"1230", false, 0},      {"12:", false, 0},
        {":30", false, 0},       {" 12:30", false, 0},    {"12:30 ", false, 0},
        {"12:30:00", false, 0},  {"ab:cd", false, 0},     {"-1:00", false, 0},
        {"12.30", false, 0},     {"", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Type("1:00");  // a known kept time before each case
        Type(c.text);
        EXPECT_EQ(c.valid ? white : red, Colour());
        EXPECT_EQ(c.valid, m_panel->ParseTime());
        const int kept = c.valid ? c.seconds : 3600;  // an invalid text keeps the old time
        EXPECT_DOUBLE_EQ(kept / 3600.0 / 24.0, m_panel->GetDayFraction());
    }
}

TEST_F(TimeEditPanelTest, typing_turns_red_until_the_text_parses_and_an_invalid_text_keeps_the_old_time)
{
    TzGuard tz("Europe/Berlin");
    const char* steps[] = {"1", "12", "12:", "12:3", "12:30"};
    const bool valid[] = {false, false, false, true, true};  // "12:3" is 12:03
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(steps[i]);
        Type(steps[i]);
        EXPECT_EQ(valid[i] ? white : red, Colour());
    }
    const vu_datetime date = at("2026-03-13T00:00:00");
    EXPECT_EQ(at("2026-03-13T12:30:00"), Instant(date));

    Type("noon");
    EXPECT_EQ(red, Colour());
    EXPECT_FALSE(m_panel->ParseTime());
    EXPECT_EQ(at("2026-03-13T12:30:00"), Instant(date)) << "the last valid time stays";
}

TEST_F(TimeEditPanelTest, set_time_shows_hours_and_minutes_and_parses_them)
{
    TzGuard tz("Europe/Berlin");
    m_panel->SetTime(at("2026-03-13T09:05:59"));
    EXPECT_EQ("09:05", m_text->GetValue());
    EXPECT_EQ(white, Colour());
    EXPECT_DOUBLE_EQ((9 * 3600 + 5 * 60) / 86400.0, m_panel->GetDayFraction());

    // The same text again is parsed again: a red field turns white.
    m_text->SetBackgroundColour(red);
    m_panel->SetTime(at("2026-03-13T09:05:00"));
    EXPECT_EQ(white, Colour());
}

TEST_F(TimeEditPanelTest, get_jdn_gives_the_wall_clock_time_on_that_date_in_every_zone)
{
    struct Case
    {
        const char* zone;
        const char* date;
        const char* typed;
        const char* expected;
    };
    // Spring and autumn changes: the day has 23, 25, 23.5 or 24.5 hours, and
    // midnight plus a fraction of 24 hours would miss the wall clock.
    const Case cases[] = {
        {"Europe/Berlin", "2013-03-31", "08:00", "2013-03-31T08:00:00+02:00"},
        {"Europe/Berlin", "2013-10-27", "08:00", "2013-10-27T08:00:00+01:00"},
        {"Europe/Berlin", "2013-03-31", "01:30", "2013-03-31T01:30:00+01:00"},
        {"America/New_York", "2013-03-10", "23:59", "2013-03-10T23:59:00-04:00"},
        {"America/New_York", "2013-11-03", "12:00", "2013-11-03T12:00:00-05:00"},
        {"Australia/Lord_Howe", "2013-10-06", "08:00", "2013-10-06T08:00:00+11:00"},
        {"Australia/Lord_Howe", "2013-04-07", "08:00", "2013-04-07T08:00:00+10:30"},
        {"Australia/Lord_Howe", "2013-12-31", "23:30", "2013-12-31T23:30:00+11:00"},
        {"UTC", "2013-12-31", "08:30", "2013-12-31T08:30:00Z"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.zone) + " " + c.date + " " + c.typed);
        TzGuard tz(c.zone);
        Type(c.typed);
        ASSERT_TRUE(m_panel->ParseTime());
        const vu_datetime midnight = at(std::string(c.date) + "T00:00:00");
        EXPECT_EQ(at(c.expected), Instant(midnight));
        EXPECT_EQ(c.typed, Instant(midnight).to_format_string("%H:%M"));
    }
}

TEST_F(TimeEditPanelTest, a_time_todays_clock_change_skips_is_kept_for_another_date)
{
    struct Case
    {
        const char* zone;
        const char* today;  // a day whose clock skips the typed time
        const char* typed;
        const char* date;
        const char* expected;
    };
    const Case cases[] = {
        {"Europe/Berlin", "2013-03-31T12:00:00", "02:30", "2013-03-30", "2013-03-30T02:30:00+01:00"},
        {"America/New_York", "2013-03-10T12:00:00", "02:15", "2013-03-11", "2013-03-11T02:15:00-04:00"},
        {"Australia/Lord_Howe", "2013-10-06T12:00:00", "02:10", "2013-10-05", "2013-10-05T02:10:00+10:30"},
        {"UTC", "2013-03-31T12:00:00", "02:30", "2013-03-30", "2013-03-30T02:30:00Z"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.zone) + " " + c.typed);
        TzGuard tz(c.zone);
        FixedClock clock(c.today);
        Type(c.typed);
        ASSERT_TRUE(m_panel->ParseTime());
        EXPECT_EQ(at(c.expected), Instant(at(std::string(c.date) + "T00:00:00")));
    }
}

TEST_F(TimeEditPanelTest, a_fraction_of_08_30_is_30600_seconds_of_a_day)
{
    TzGuard tz("UTC");
    Type("08:30");
    const vu_datetime date = at("2026-03-13T00:00:00");
    EXPECT_NEAR(date.to_jdn() + 30600.0 / 3600.0 / 24.0, m_panel->GetJdn(date), 1e-9);
}
