// zovSession: the session line of HOURS.TSK, parsing, hours and intersection.

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "test_support.h"

using namespace zovtest;

// Failure messages show the instant as text.
void PrintTo(const vu_datetime& v, std::ostream* out)
{
    *out << (v.is_not_a_date_time() ? std::string("not-a-date-time") : v.to_readable_datetime_string());
}

namespace {

class SessionZones : public ::testing::TestWithParam<const char*>
{
protected:
    SessionZones() : m_tz(GetParam()) {}

private:
    TzGuard m_tz;
};

// Local wall time of the day 2013-03-13 (no daylight-saving change near it in
// any test zone).
vu_datetime day(const std::string& hhmm)
{
    return at("2013-03-13T" + hhmm + ":00");
}

}  // namespace

TEST(zovSession, line_format_is_exact)
{
    TzGuard tz("Europe/Berlin");
    const zovSession s("K", at("2013-03-13T08:00:00"), at("2013-03-13T09:30:00"));
    EXPECT_EQ(s.to_file_string(), "K   1.50     2013-03-13T08:00:00+01:00     2013-03-13T09:30:00+01:00");
    zovSession r = s;
    r.reverse();
    EXPECT_EQ(r.to_file_string(), "K   -1.50     2013-03-13T09:30:00+01:00     2013-03-13T08:00:00+01:00");
    EXPECT_DOUBLE_EQ(r.hours(), -1.5);
    EXPECT_EQ(r.tbeg(), s.tend());
    EXPECT_EQ(r.tend(), s.tbeg());
}

TEST(zovSession, hours_field_table)
{
    TzGuard tz("UTC");
    struct Case
    {
        std::int64_t seconds;
        const char* hours;
    };
    const Case cases[] = {
        {0, "0.00"},           {27, "0.01"},         {7 * 3600 + 900, "7.25"}, {-5400, "-1.50"},
        {36 * 3600, "36.00"},  {-17, "-0.00"},       {3600 * 100, "100.00"},   {3600 + 36, "1.01"},
        {-(3600 + 36), "-1.01"}, {-1, "-0.00"},       {-18, "-0.01"},           {17, "0.00"},
    };
    for (const Case& c : cases) {
        vu_datetime b = at("2013-03-13T08:00:00Z");
        vu_datetime e;
        e.set_time_t(b.to_time_t() + c.seconds);
        const std::string line = zovSession("T", b, e).to_file_string();
        std::vector<std::string> tokens;
        tokenize(line, " ", tokens);
        ASSERT_EQ(tokens.size(), 4u) << line;
        // A cancelling piece keeps its sign however short it is.
        EXPECT_EQ(tokens[1], c.hours) << line;
    }
}

TEST(zovSession, hours_field_ignores_the_process_locale)
{
    TzGuard tz("UTC");
    // A locale with a decimal comma, when the machine has one.
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE"))
        GTEST_SKIP() << "no German locale installed";
    const std::string line = zovSession("K", at("2013-03-13T08:00:00Z"), at("2013-03-13T09:30:00Z")).to_file_string();
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(line, "K   1.50     2013-03-13T08:00:00+00:00     2013-03-13T09:30:00+00:00");
}

TEST_P(SessionZones, line_reads_back_to_the_same_session)
{
    for (const char* task : {"K", "Project-X_42", "a.b/c", "%notacomment", "\xe4\xf6\xfc"}) {
        const zovSession s(task, day("08:00"), day("09:30"));
        const zovSession back(s.to_file_string());
        ASSERT_TRUE(back.is_valid()) << s.to_file_string();
        EXPECT_EQ(back.task(), task);
        EXPECT_EQ(back.tbeg(), s.tbeg());
        EXPECT_EQ(back.tend(), s.tend());
        EXPECT_DOUBLE_EQ(back.hours(), 1.5);
    }
    // Reversed and across midnight and a year end.
    zovSession r("R", at("2013-12-31T22:00:07"), at("2014-01-01T01:30:00"));
    r.reverse();
    const zovSession back(r.to_file_string());
    EXPECT_EQ(back.tbeg(), r.tbeg());
    EXPECT_EQ(back.tend(), r.tend());
    EXPECT_LT(back.hours(), 0.0);
}

TEST_P(SessionZones, sessions_in_the_repeated_autumn_hour_read_back_exactly)
{
    // One-hour sessions every half hour through the autumn changes of Berlin
    // and New York: none comes back shifted by the change, none changes its
    // length.
    for (std::int64_t t = at("2013-10-26T22:00:00Z").to_time_t(); t < at("2013-11-03T09:00:00Z").to_time_t();
         t += 1800) {
        vu_datetime b, e;
        b.set_time_t(t);
        e.set_time_t(t + 3600);
        const zovSession s("K", b, e);
        const zovSession back(s.to_file_string());
        ASSERT_EQ(back.tbeg(), b) << s.to_file_string();
        ASSERT_EQ(back.tend(), e) << s.to_file_string();
        ASSERT_NE(s.to_file_string().find("   1.00     "), std::string::npos) << s.to_file_string();
    }
}

TEST_P(SessionZones, parse_table)
{
    const std::string b = day("08:00").to_readable_datetime_string();
    const std::string e = day("09:30").to_readable_datetime_string();
    struct Case
    {
        std::string line;
        bool parses;
        bool task_set;   // task name replaced even though the parse failed
        std::string task;
    };
    const Case cases[] = {
        {"K   1.50     " + b + "     " + e, true, true, "K"},
        {"K x " + b + " " + e, true, true, "K"},                      // hours not a number
        {"K\t\t" + std::string("-") + "\t" + b + "\t" + e + "\r", true, true, "K"},  // tabs, CR
        {"   K 1.5 " + b + " " + e + " extra tokens", true, true, "K"},
        {"K " + b + " " + e, false, false, ""},                       // three tokens
        {"K 1.50", false, false, ""},
        {"", false, false, ""},
        {"K 1.50 notatime " + e, false, true, "K"},                  // bad begin
        {"K 1.50 " + b + " notatime", false, true, "K"},             // bad end
        {"K 1.50 " + b.substr(0, 10) + " " + b.substr(11), false, true, "K"},
    };
    for (const Case& c : cases) {
        zovSession s;
        EXPECT_EQ(s.from_file_string(c.line), c.parses) << c.line;
        const zovSession constructed(c.line);
        EXPECT_EQ(constructed.is_valid(), c.parses) << c.line;
        if (c.task_set) {
            EXPECT_EQ(s.task(), c.task) << c.line;
            EXPECT_EQ(constructed.task(), c.task) << c.line;
        } else {
            EXPECT_EQ(s.task(), "") << c.line;
        }
        if (c.parses) {
            EXPECT_EQ(s.tbeg(), day("08:00")) << c.line;
            EXPECT_EQ(s.tend(), day("09:30")) << c.line;
        }
    }
}

TEST_P(SessionZones, failed_parse_keeps_the_times)
{
    zovSession s("OLD", day("08:00"), day("09:00"));
    // Fewer than four tokens: nothing changes.
    EXPECT_FALSE(s.from_file_string("NEW 1.00 x"));
    EXPECT_EQ(s.task(), "OLD");
    // Bad end: task and begin replaced, end kept.
    const std::string b = day("10:00").to_readable_datetime_string();
    EXPECT_FALSE(s.from_file_string("NEW 1.00 " + b + " bad"));
    EXPECT_EQ(s.task(), "NEW");
    EXPECT_EQ(s.tbeg(), day("10:00"));
    EXPECT_EQ(s.tend(), day("09:00"));
    // Bad begin: the end is not even read.
    EXPECT_FALSE(s.from_file_string("NEWER 1.00 bad " + b));
    EXPECT_EQ(s.task(), "NEWER");
    EXPECT_EQ(s.tbeg(), day("10:00"));
    EXPECT_EQ(s.tend(), day("09:00"));
}

TEST_P(SessionZones, hours_and_validity)
{
    const vu_datetime unset;
    struct Case
    {
        zovSession session;
        double hours;
        bool valid;
    };
    const Case cases[] = {
        {zovSession("K", day("08:00"), day("09:30")), 1.5, true},
        {zovSession("K", day("09:30"), day("08:00")), -1.5, true},
        {zovSession("K", day("08:00"), day("08:00")), 0.0, true},
        {zovSession("K", day("08:00"), unset), 0.0, false},
        {zovSession("K", unset, day("08:00")), 0.0, false},
        {zovSession("", day("08:00"), day("09:00")), 1.0, false},
        {zovSession(), 0.0, false},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(c.session.hours(), c.hours) << c.session.to_file_string();
        EXPECT_EQ(c.session.is_valid(), c.valid) << c.session.to_file_string();
    }
    // No line for a session without both times.
    EXPECT_EQ(zovSession("K", day("08:00"), unset).to_file_string(), "");
    EXPECT_EQ(zovSession("K", unset, day("08:00")).to_file_string(), "");
    EXPECT_EQ(zovSession().to_file_string(), "");
}

TEST_P(SessionZones, intersection_table)
{
    struct Case
    {
        const char* name;
        const char* b;
        const char* e;
        const char* lo;  // the other session (the range)
        const char* hi;
        bool overlaps;
        const char* out_b;
        const char* out_e;
    };
    // Ranges drawn from 08:00 to 12:00:
    //   this   |--|          08-10 / range 09-12  -> 09-10
    const Case cases[] = {
        {"overlap at the end", "08:00", "10:00", "09:00", "12:00", true, "09:00", "10:00"},
        {"touching", "08:00", "10:00", "10:00", "12:00", false, "", ""},
        {"touching before", "10:00", "12:00", "08:00", "10:00", false, "", ""},
        {"apart", "08:00", "09:00", "10:00", "12:00", false, "", ""},
        {"inside", "09:00", "10:00", "08:00", "12:00", true, "09:00", "10:00"},
        {"covers", "08:00", "12:00", "09:00", "10:00", true, "09:00", "10:00"},
        {"equal", "08:00", "12:00", "08:00", "12:00", true, "08:00", "12:00"},
        {"range reversed", "08:00", "10:00", "12:00", "09:00", true, "09:00", "10:00"},
        {"reversed piece", "10:00", "08:00", "09:00", "12:00", true, "10:00", "09:00"},
        {"reversed, reversed range", "10:00", "08:00", "12:00", "09:00", true, "10:00", "09:00"},
        {"reversed inside", "11:00", "09:30", "08:00", "12:00", true, "11:00", "09:30"},
        {"reversed touching", "10:00", "08:00", "10:00", "12:00", false, "", ""},
        {"zero length inside", "09:00", "09:00", "08:00", "12:00", false, "", ""},
        {"zero length range", "08:00", "12:00", "09:00", "09:00", false, "", ""},
        {"one minute", "08:00", "09:01", "09:00", "12:00", true, "09:00", "09:01"},
    };
    for (const Case& c : cases) {
        const zovSession s("MINE", day(c.b), day(c.e));
        const zovSession range("%DUMMY", day(c.lo), day(c.hi));
        zovSession out("UNTOUCHED", day("00:00"), day("00:01"));
        EXPECT_EQ(s.intersection(range, out), c.overlaps) << c.name;
        if (c.overlaps) {
            EXPECT_EQ(out.task(), "MINE") << c.name;
            EXPECT_EQ(out.tbeg(), day(c.out_b)) << c.name;
            EXPECT_EQ(out.tend(), day(c.out_e)) << c.name;
        } else {
            EXPECT_EQ(out.task(), "UNTOUCHED") << c.name;
            EXPECT_EQ(out.tbeg(), day("00:00")) << c.name;
            EXPECT_EQ(out.tend(), day("00:01")) << c.name;
        }
    }
}

TEST_P(SessionZones, intersection_with_unset_times_is_empty)
{
    const vu_datetime unset;
    zovSession out("UNTOUCHED", day("00:00"), day("00:01"));
    EXPECT_FALSE(zovSession("K", day("08:00"), unset).intersection(zovSession("R", day("07:00"), day("12:00")), out));
    EXPECT_FALSE(zovSession("K", day("08:00"), day("09:00")).intersection(zovSession("R", unset, unset), out));
    EXPECT_EQ(out.task(), "UNTOUCHED");
}

TEST_P(SessionZones, intersection_keeps_hours_across_the_changes)
{
    // A session over a whole night with a change of the clocks, clipped to
    // that day: its real length, not the wall-clock difference.
    for (const clock_change_day& c : clock_change_days) {
        if (std::string(c.zone) != GetParam())
            continue;
        const zovSession all("K", at("2000-01-01T00:00:00"), at("2030-01-01T00:00:00"));
        zovSession out;
        ASSERT_TRUE(all.intersection(zovSession("%DUMMY", at(c.day), at(c.next)), out));
        EXPECT_DOUBLE_EQ(out.hours(), c.hours) << c.day;
    }
}

INSTANTIATE_TEST_SUITE_P(zones, SessionZones, ::testing::ValuesIn(test_zones), zone_name);
