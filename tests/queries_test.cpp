// Session queries: sessions clipped to a range (zovKernel::hours,
// zovSinkHours) and sessions of an ISO week (zovSinkWeek).

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "test_support.h"

using namespace zovtest;

void PrintTo(const vu_datetime& v, std::ostream* out)
{
    *out << (v.is_not_a_date_time() ? std::string("not-a-date-time") : v.to_readable_datetime_string());
}

namespace {

const std::string header = "% task hours t1 t2";

struct Piece
{
    std::string task;
    std::string tbeg;  // local wall time "YYYY-MM-DDTHH:MM:SS"
    std::string tend;
};

bool operator==(const Piece& a, const Piece& b)
{
    return a.task == b.task && a.tbeg == b.tbeg && a.tend == b.tend;
}

std::ostream& operator<<(std::ostream& out, const Piece& p)
{
    return out << p.task << " " << p.tbeg << " " << p.tend;
}

template <class Sink>
std::vector<Piece> pieces(const Sink& sink)
{
    std::vector<Piece> out;
    for (const zovSession& s : sink)
        out.push_back({s.task(), s.tbeg().to_format_string("%Y-%m-%dT%H:%M:%S"),
                       s.tend().to_format_string("%Y-%m-%dT%H:%M:%S")});
    return out;
}

template <class Sink>
double sum_hours(const Sink& sink)
{
    double sum = 0;
    for (const zovSession& s : sink)
        sum += s.hours();
    return sum;
}

class Queries : public ::testing::TestWithParam<const char*>
{
protected:
    Queries() : m_tz(GetParam()), m_clock("2013-03-13T12:00:00") {}

    std::string file(const std::string& name) const { return m_dir.file(name); }
    const std::string& path() const { return m_dir.path(); }
    FixedClock& clock() { return m_clock; }

    // HOURS.TSK with the header and these sessions (local wall times).
    void record(const std::vector<Piece>& sessions, const std::string& extra = "")
    {
        std::string content = header + "\n";
        for (const Piece& p : sessions)
            content += zovSession(p.task, at(p.tbeg), at(p.tend)).to_file_string() + "\n";
        write_file(file("HOURS.TSK"), content + extra);
    }

private:
    TempDir m_dir;
    TzGuard m_tz;
    FixedClock m_clock;
};

}  // namespace

TEST_P(Queries, a_session_over_midnight_is_clipped_to_the_day)
{
    record({{"Night", "2013-03-12T22:00:00", "2013-03-13T02:00:00"}});
    zovKernel k(path());
    const zovSinkHours& h = k.hours(at("2013-03-13T00:00:00"), at("2013-03-14T00:00:00"));
    EXPECT_EQ(pieces(h), (std::vector<Piece>{{"Night", "2013-03-13T00:00:00", "2013-03-13T02:00:00"}}));
    EXPECT_DOUBLE_EQ(sum_hours(h), 2.0);
    // The day before gets the other part.
    const zovSinkHours& before = k.hours(at("2013-03-12T00:00:00"), at("2013-03-13T00:00:00"));
    EXPECT_EQ(pieces(before), (std::vector<Piece>{{"Night", "2013-03-12T22:00:00", "2013-03-13T00:00:00"}}));
}

TEST_P(Queries, range_table)
{
    record({
        {"A", "2013-03-13T08:00:00", "2013-03-13T09:00:00"},
        {"B", "2013-03-13T09:00:00", "2013-03-13T12:00:00"},
        {"Zero", "2013-03-13T10:00:00", "2013-03-13T10:00:00"},
        {"C", "2013-03-13T17:00:00", "2013-03-13T18:00:00"},
        {"Long", "2013-03-01T00:00:00", "2013-03-31T00:00:00"},
    });
    struct Case
    {
        const char* name;
        const char* lo;
        const char* hi;
        std::vector<Piece> expected;
    };
    const Case cases[] = {
        {"touching ends are not collected", "2013-03-13T09:00:00", "2013-03-13T17:00:00",
         {{"B", "2013-03-13T09:00:00", "2013-03-13T12:00:00"},
          {"Long", "2013-03-13T09:00:00", "2013-03-13T17:00:00"}}},
        {"later end first", "2013-03-13T17:00:00", "2013-03-13T09:00:00",
         {{"B", "2013-03-13T09:00:00", "2013-03-13T12:00:00"},
          {"Long", "2013-03-13T09:00:00", "2013-03-13T17:00:00"}}},
        {"cut at both ends", "2013-03-13T08:30:00", "2013-03-13T09:30:00",
         {{"A", "2013-03-13T08:30:00", "2013-03-13T09:00:00"},
          {"B", "2013-03-13T09:00:00", "2013-03-13T09:30:00"},
          {"Long", "2013-03-13T08:30:00", "2013-03-13T09:30:00"}}},
        {"empty range", "2013-03-13T08:30:00", "2013-03-13T08:30:00", {}},
        {"nothing recorded then", "2013-04-01T00:00:00", "2013-04-02T00:00:00", {}},
    };
    zovKernel k(path());
    for (const Case& c : cases) {
        const zovSinkHours& h = k.hours(at(c.lo), at(c.hi));
        EXPECT_EQ(pieces(h), c.expected) << c.name;
        // The range ends are kept as given.
        EXPECT_EQ(h.lo(), at(c.lo)) << c.name;
        EXPECT_EQ(h.hi(), at(c.hi)) << c.name;
    }
}

TEST_P(Queries, reversed_lines_give_the_net_sum)
{
    record({{"K", "2013-03-13T08:00:00", "2013-03-13T12:00:00"},
            {"K", "2013-03-13T12:00:00", "2013-03-13T10:00:00"}});
    zovKernel k(path());
    const zovSinkHours& h = k.hours(at("2013-03-13T00:00:00"), at("2013-03-14T00:00:00"));
    EXPECT_EQ(pieces(h), (std::vector<Piece>{{"K", "2013-03-13T08:00:00", "2013-03-13T12:00:00"},
                                             {"K", "2013-03-13T12:00:00", "2013-03-13T10:00:00"}}));
    EXPECT_DOUBLE_EQ(sum_hours(h), 2.0);
    // Clipped, the reversed piece stays reversed.
    const zovSinkHours& part = k.hours(at("2013-03-13T11:00:00"), at("2013-03-13T13:00:00"));
    EXPECT_EQ(pieces(part), (std::vector<Piece>{{"K", "2013-03-13T11:00:00", "2013-03-13T12:00:00"},
                                                {"K", "2013-03-13T12:00:00", "2013-03-13T11:00:00"}}));
    EXPECT_DOUBLE_EQ(sum_hours(part), 0.0);
}

TEST_P(Queries, the_running_session_is_not_in_the_result)
{
    record({{"Done", "2013-03-13T07:00:00", "2013-03-13T08:00:00"}});
    clock().set("2013-03-13T09:00:00");
    zovKernel k(path());
    ASSERT_TRUE(k.login("Running"));
    clock().set("2013-03-13T11:00:00");
    const zovSinkHours& h = k.hours(at("2013-03-13T00:00:00"), at("2013-03-14T00:00:00"));
    EXPECT_EQ(pieces(h), (std::vector<Piece>{{"Done", "2013-03-13T07:00:00", "2013-03-13T08:00:00"}}));
    // Once closed it is.
    ASSERT_TRUE(k.logout());
    const zovSinkHours& after = k.hours(at("2013-03-13T00:00:00"), at("2013-03-14T00:00:00"));
    EXPECT_DOUBLE_EQ(sum_hours(after), 3.0);
}

TEST_P(Queries, a_second_call_replaces_the_first_also_through_its_reference)
{
    record({{"A", "2013-03-12T08:00:00", "2013-03-12T09:00:00"},
            {"B", "2013-03-13T08:00:00", "2013-03-13T09:00:00"},
            {"C", "2013-03-13T10:00:00", "2013-03-13T11:00:00"}});
    zovKernel k(path());
    const zovSinkHours& first = k.hours(at("2013-03-13T00:00:00"), at("2013-03-14T00:00:00"));
    EXPECT_EQ(pieces(first).size(), 2u);
    const zovSinkHours& second = k.hours(at("2013-03-12T00:00:00"), at("2013-03-13T00:00:00"));
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(pieces(first), (std::vector<Piece>{{"A", "2013-03-12T08:00:00", "2013-03-12T09:00:00"}}));
    EXPECT_EQ(first.lo(), at("2013-03-12T00:00:00"));
}

TEST_P(Queries, skipped_lines_and_a_missing_file)
{
    const std::string b = at("2013-03-13T08:00:00").to_readable_datetime_string();
    const std::string e = at("2013-03-13T09:00:00").to_readable_datetime_string();
    record({{"Good", "2013-03-13T10:00:00", "2013-03-13T11:00:00"}},
           "% Commented 1.00 " + b + " " + e + "\n\n   \t\n" + "Three tokens " + b + "\n" + "Bad 1.00 " + b
               + " notatime\n" + "Crlf 1.00 " + b + " " + e + "\r\n" + "NoEnd x " + b + " " + e);
    zovKernel k(path());
    const zovSinkHours& h = k.hours(at("2013-03-13T00:00:00"), at("2013-03-14T00:00:00"));
    EXPECT_EQ(pieces(h), (std::vector<Piece>{{"Good", "2013-03-13T10:00:00", "2013-03-13T11:00:00"},
                                             {"Crlf", "2013-03-13T08:00:00", "2013-03-13T09:00:00"},
                                             {"NoEnd", "2013-03-13T08:00:00", "2013-03-13T09:00:00"}}));
    ASSERT_EQ(::unlink(file("HOURS.TSK").c_str()), 0);
    EXPECT_TRUE(pieces(k.hours(at("2013-03-13T00:00:00"), at("2013-03-14T00:00:00"))).empty());
}

TEST_P(Queries, days_of_the_clock_changes_have_their_real_hours)
{
    struct Case
    {
        const char* zone;
        const char* day;
        const char* next;
        double hours;
    };
    const Case cases[] = {
        {"UTC", "2013-03-31T00:00:00", "2013-04-01T00:00:00", 24},
        {"Europe/Berlin", "2013-03-31T00:00:00", "2013-04-01T00:00:00", 23},
        {"Europe/Berlin", "2013-10-27T00:00:00", "2013-10-28T00:00:00", 25},
        {"America/New_York", "2013-03-10T00:00:00", "2013-03-11T00:00:00", 23},
        {"America/New_York", "2013-11-03T00:00:00", "2013-11-04T00:00:00", 25},
        {"Australia/Lord_Howe", "2020-10-04T00:00:00", "2020-10-05T00:00:00", 23.5},
        {"Australia/Lord_Howe", "2020-04-05T00:00:00", "2020-04-06T00:00:00", 24.5},
    };
    for (const Case& c : cases) {
        if (std::string(c.zone) != GetParam())
            continue;
        // One session over three days around the change.
        const vu_datetime day = at(c.day);
        vu_datetime from, to;
        from.set_time_t(day.to_time_t() - 86400 - 3600 * 5);
        to.set_time_t(day.to_time_t() + 86400 * 2 + 3600 * 5);
        write_file(file("HOURS.TSK"), header + "\n" + zovSession("All", from, to).to_file_string() + "\n");
        zovKernel k(path());
        const zovSinkHours& h = k.hours(day, at(c.next));
        ASSERT_EQ(pieces(h).size(), 1u) << c.day;
        EXPECT_DOUBLE_EQ(sum_hours(h), c.hours) << c.day;
        // The same day through date() of any of its times.
        vu_datetime noon = at(std::string(c.day).substr(0, 10) + "T12:00:00");
        EXPECT_EQ(noon.date(), day);
    }
}

TEST_P(Queries, a_session_in_the_repeated_hour_is_counted_once)
{
    struct Case
    {
        const char* zone;
        const char* first;   // readable texts: the session lies in the repeated period
        const char* second;
        double hours;
    };
    const Case cases[] = {
        {"Europe/Berlin", "2013-10-27T02:10:00+02:00", "2013-10-27T02:20:00+01:00", 70.0 / 60},
        {"America/New_York", "2013-11-03T01:50:00-04:00", "2013-11-03T01:10:00-05:00", 20.0 / 60},
        {"Australia/Lord_Howe", "2020-04-05T01:40:00+11:00", "2020-04-05T01:35:00+10:30", 25.0 / 60},
    };
    for (const Case& c : cases) {
        if (std::string(c.zone) != GetParam())
            continue;
        write_file(file("HOURS.TSK"),
                   header + "\n" + zovSession("K", at(c.first), at(c.second)).to_file_string() + "\n");
        zovKernel k(path());
        const vu_datetime day = at(c.first).date();
        vu_datetime next;
        next.set_time_t(day.to_time_t() + 30 * 3600);
        const zovSinkHours& h = k.hours(day, next.date());
        ASSERT_EQ(pieces(h).size(), 1u);
        EXPECT_NEAR(sum_hours(h), c.hours, 1e-9);
        EXPECT_EQ(h.begin()->tbeg(), at(c.first));
        EXPECT_EQ(h.begin()->tend(), at(c.second));
    }
}

// ---------------------------------------------------------------------------
// zovSinkHours and zovSinkWeek as objects

TEST_P(Queries, sink_hours_construction_and_copies)
{
    const zovSinkHours blank;
    EXPECT_EQ(blank.lo(), at("2013-03-13T12:00:00"));
    EXPECT_EQ(blank.hi(), at("2013-03-13T12:00:00"));
    EXPECT_TRUE(pieces(blank).empty());

    zovSinkHours a(at("2013-03-13T18:00:00"), at("2013-03-13T06:00:00"));
    EXPECT_EQ(a.lo(), at("2013-03-13T18:00:00"));
    EXPECT_TRUE(a(zovSession("K", at("2013-03-13T05:00:00"), at("2013-03-13T07:00:00")).to_file_string()));
    EXPECT_TRUE(a("not a session"));
    EXPECT_TRUE(a(""));
    a.push_back(zovSession("P", at("2013-03-14T00:00:00"), at("2013-03-14T01:00:00")));
    EXPECT_EQ(pieces(a), (std::vector<Piece>{{"K", "2013-03-13T06:00:00", "2013-03-13T07:00:00"},
                                             {"P", "2013-03-14T00:00:00", "2013-03-14T01:00:00"}}));
    zovSinkHours copy = a;
    a.begin()->reverse();
    EXPECT_EQ(pieces(copy).front().tbeg, "2013-03-13T06:00:00");
    copy = blank;
    EXPECT_TRUE(pieces(copy).empty());
    EXPECT_EQ(copy.lo(), blank.lo());
}

TEST_P(Queries, week_takes_every_session_with_time_in_it_whole)
{
    // Week 11 of 2013 runs from Monday 2013-03-11 to Sunday 2013-03-17.
    record({
        {"SundayBefore", "2013-03-10T23:00:00", "2013-03-11T01:00:00"},
        {"Monday", "2013-03-11T00:00:00", "2013-03-11T01:00:00"},
        {"SundayLate", "2013-03-17T23:00:00", "2013-03-18T03:00:00"},
        {"NextMonday", "2013-03-18T00:00:00", "2013-03-18T01:00:00"},
        {"Wednesday", "2013-03-13T08:00:00", "2013-03-13T09:00:00"},
    });
    struct Case
    {
        int week;
        int year;
        std::vector<std::string> tasks;
        double hours;
    };
    const Case cases[] = {
        {10, 2013, {"SundayBefore"}, 2},
        {11, 2013, {"SundayBefore", "Monday", "SundayLate", "Wednesday"}, 8},
        {12, 2013, {"SundayLate", "NextMonday"}, 5},
        {11, 2014, {}, 0},
    };
    for (const Case& c : cases) {
        zovSinkWeek week(c.week, c.year);
        EXPECT_EQ(week.week(), c.week);
        EXPECT_EQ(week.year(), c.year);
        zovHours(path()).read(week);
        std::vector<std::string> tasks;
        for (const zovSession& s : week)
            tasks.push_back(s.task());
        EXPECT_EQ(tasks, c.tasks) << "week " << c.week;
        EXPECT_DOUBLE_EQ(sum_hours(week), c.hours) << "week " << c.week;
    }
}

TEST_P(Queries, a_reversed_session_belongs_to_every_week_it_has_time_in)
{
    record({{"Rev", "2013-03-18T01:00:00", "2013-03-17T22:00:00"}, {"Touch", "2013-03-17T20:00:00", "2013-03-18T00:00:00"}});
    zovSinkWeek w11(11, 2013), w12(12, 2013);
    zovHours(path()).read(w11);
    zovHours(path()).read(w12);
    ASSERT_EQ(pieces(w11).size(), 2u);
    // Ending at the week's first instant is no time in it.
    ASSERT_EQ(pieces(w12).size(), 1u);
    EXPECT_DOUBLE_EQ(sum_hours(w12), -3.0);
}

TEST_P(Queries, weeks_at_year_ends_belong_to_their_iso_year)
{
    record({
        {"Dec30", "2013-12-30T09:00:00", "2013-12-30T10:00:00"},
        {"Jan01", "2014-01-01T09:00:00", "2014-01-01T10:00:00"},
        {"Dec29", "2013-12-29T09:00:00", "2013-12-29T10:00:00"},
        {"Jan03of2016", "2016-01-03T09:00:00", "2016-01-03T10:00:00"},
        {"Jan01of2021", "2021-01-01T09:00:00", "2021-01-01T10:00:00"},
    });
    struct Case
    {
        int week;
        int year;
        std::vector<std::string> tasks;
    };
    const Case cases[] = {
        {1, 2014, {"Dec30", "Jan01"}},
        {52, 2013, {"Dec29"}},
        {1, 2013, {}},
        {53, 2015, {"Jan03of2016"}},
        {53, 2020, {"Jan01of2021"}},
        {1, 2021, {}},
    };
    for (const Case& c : cases) {
        zovSinkWeek week(c.week, c.year);
        zovHours(path()).read(week);
        std::vector<std::string> tasks;
        for (const zovSession& s : week)
            tasks.push_back(s.task());
        EXPECT_EQ(tasks, c.tasks) << c.year << " w" << c.week;
    }
}

TEST_P(Queries, sink_week_copies)
{
    zovSinkWeek a(11, 2013);
    EXPECT_TRUE(a(zovSession("K", at("2013-03-13T08:00:00"), at("2013-03-13T09:00:00")).to_file_string()));
    EXPECT_TRUE(a("junk"));
    a.push_back(zovSession("Pushed", at("2000-01-01T00:00:00"), at("2000-01-01T01:00:00")));
    zovSinkWeek b(1, 2000);
    b = a;
    EXPECT_EQ(b.week(), 11);
    EXPECT_EQ(b.year(), 2013);
    EXPECT_EQ(pieces(b).size(), 2u);
    EXPECT_EQ(pieces(b)[1].task, "Pushed");
}

INSTANTIATE_TEST_SUITE_P(zones, Queries, ::testing::ValuesIn(test_zones), zone_name);
