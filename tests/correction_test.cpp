// Session correction: zovKernel::session appends reversed copies of the
// recorded pieces it overlaps, then the new session, and never rewrites a line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "test_support.h"

using namespace zovtest;

namespace {

using net_map = std::map<std::string, double>;

// Net hours per task of the collected pieces; tasks that come out at zero
// are left out, so that a cancelled task and an absent one compare equal.
net_map net_of(const zovSinkHours& sink)
{
    net_map sums;
    for (const zovSession& s : sink)
        sums[s.task()] += s.hours();
    for (auto it = sums.begin(); it != sums.end();)
        it = std::abs(it->second) < 1e-9 ? sums.erase(it) : std::next(it);
    return sums;
}

void expect_net(const net_map& actual, const net_map& expected, const std::string& what)
{
    EXPECT_EQ(actual.size(), expected.size()) << what;
    for (const auto& [task, hours] : expected) {
        const auto it = actual.find(task);
        if (it == actual.end())
            ADD_FAILURE() << what << ": no net hours for " << task;
        else
            EXPECT_NEAR(it->second, hours, 1e-9) << what << ": task " << task;
    }
}

std::vector<std::string> lines_of(const zovSinkHours& sink)
{
    std::vector<std::string> lines;
    for (const zovSession& s : sink)
        lines.push_back(s.to_file_string());
    return lines;
}

std::size_t count(const zovSinkHours& sink)
{
    return static_cast<std::size_t>(std::distance(sink.begin(), sink.end()));
}

std::string session_line(const std::string& task, const std::string& hours, const std::string& tbeg,
                         const std::string& tend)
{
    return task + "   " + hours + "     " + tbeg + "     " + tend;
}

// A data folder with a kernel on it and helpers to record lines and apply
// corrections.
class data_folder
{
public:
    data_folder() : m_kernel(m_dir.path()) {}

    zovKernel& kernel() { return m_kernel; }
    const TempDir& dir() const { return m_dir; }
    std::string hours_path() const { return m_dir.file("HOURS.TSK"); }

    void record(const std::vector<std::string>& lines)
    {
        std::ofstream out(hours_path(), std::ios::binary | std::ios::app);
        for (const std::string& line : lines)
            out << line << '\n';
    }

    // Applies a correction that must succeed; returns the lines it appended
    // and checks that the file only grew and that `out` lists those lines.
    std::vector<std::string> correct(const zovSession& s)
    {
        const std::string before = read_file(hours_path());
        zovSinkHours out;
        EXPECT_TRUE(m_kernel.session(s, out)) << s.to_file_string();
        const std::string after = read_file(hours_path());
        EXPECT_EQ(after.compare(0, before.size(), before), 0) << "HOURS.TSK was rewritten, not appended to";
        std::vector<std::string> appended;
        std::istringstream rest(after.substr(std::min(before.size(), after.size())));
        for (std::string line; std::getline(rest, line);)
            if (line.rfind("% correction ", 0) != 0)  // the comments around a correction's lines
                appended.push_back(line);
        EXPECT_EQ(lines_of(out), appended);
        EXPECT_EQ(out.lo(), s.tbeg());
        EXPECT_EQ(out.hi(), s.tend());
        return appended;
    }

    net_map net(const vu_datetime& lo, const vu_datetime& hi) { return net_of(m_kernel.hours(lo, hi)); }

private:
    TempDir m_dir;
    zovKernel m_kernel;
};

// The UTC offsets of 13 and 14 March 2013, a day without a change of offset
// in every zone (New York had moved to summer time on the 10th).
struct zone_case
{
    const char* zone;
    const char* offset;
};

const zone_case march_zones[] = {
    {"UTC", "+00:00"},
    {"Europe/Berlin", "+01:00"},
    {"America/New_York", "-04:00"},
    {"Australia/Lord_Howe", "+11:00"},
};

std::string zone_name(const ::testing::TestParamInfo<zone_case>& info)
{
    std::string name = info.param.zone;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

class Correction : public ::testing::TestWithParam<zone_case>
{
protected:
    // "10:00" or "2013-03-14T01:00" as local text with its offset.
    std::string t(const std::string& when) const
    {
        const std::string full = when.size() == 5 ? "2013-03-13T" + when : when;
        return full + ":00" + GetParam().offset;
    }
    vu_datetime v(const std::string& when) const { return at(t(when)); }
    zovSession s(const std::string& task, const std::string& b, const std::string& e) const
    {
        return zovSession(task, v(b), v(e));
    }
    std::string line(const std::string& task, const std::string& hours, const std::string& b,
                     const std::string& e) const
    {
        return session_line(task, hours, t(b), t(e));
    }
    // The days used here have 24 hours in every zone of the table.
    net_map net_day(const std::string& day = "2013-03-13")
    {
        const vu_datetime lo = v(day + "T00:00");
        vu_datetime hi;
        hi.set_time_t(lo.to_time_t() + 86400);
        return folder.net(lo, hi);
    }

    TzGuard tz{GetParam().zone};
    FixedClock clock{"2013-03-20T12:00:00"};
    data_folder folder;
};

INSTANTIATE_TEST_SUITE_P(zones, Correction, ::testing::ValuesIn(march_zones), zone_name);

TEST_P(Correction, worked_example_line_by_line)
{
    folder.record({line("K", "4.00", "08:00", "12:00")});
    expect_net(net_day(), {{"K", 4}}, "recorded");

    EXPECT_EQ(folder.correct(s("L", "10:00", "11:00")),
              (std::vector<std::string>{
                  line("K", "-1.00", "11:00", "10:00"),
                  line("L", "1.00", "10:00", "11:00"),
              }));
    expect_net(net_day(), {{"K", 3}, {"L", 1}}, "after L");

    // The earlier cancelling line of K is itself a piece in the span: its
    // reversal puts K 10:00-11:00 back before the whole span is cancelled.
    EXPECT_EQ(folder.correct(s("M", "09:00", "12:00")),
              (std::vector<std::string>{
                  line("K", "-3.00", "12:00", "09:00"),
                  line("K", "1.00", "10:00", "11:00"),
                  line("L", "-1.00", "11:00", "10:00"),
                  line("M", "3.00", "09:00", "12:00"),
              }));
    expect_net(net_day(), {{"K", 1}, {"M", 3}}, "after M");
    expect_net(folder.net(v("09:00"), v("12:00")), {{"M", 3}}, "within the span of M");
}

TEST_P(Correction, empty_span_appends_only_the_session)
{
    folder.record({line("K", "1.00", "07:00", "08:00"), line("K", "1.00", "12:00", "13:00")});
    EXPECT_EQ(folder.correct(s("L", "09:00", "10:30")),
              std::vector<std::string>{line("L", "1.50", "09:00", "10:30")});
    expect_net(net_day(), {{"K", 2}, {"L", 1.5}}, "day");
}

TEST_P(Correction, across_midnight)
{
    folder.record({line("K", "4.00", "22:00", "2013-03-14T02:00")});
    EXPECT_EQ(folder.correct(s("L", "23:00", "2013-03-14T01:00")),
              (std::vector<std::string>{
                  line("K", "-2.00", "2013-03-14T01:00", "23:00"),
                  line("L", "2.00", "23:00", "2013-03-14T01:00"),
              }));
    expect_net(net_day("2013-03-13"), {{"K", 1}, {"L", 1}}, "first day");
    expect_net(net_day("2013-03-14"), {{"K", 1}, {"L", 1}}, "second day");
}

TEST_P(Correction, touching_sessions_are_not_cancelled)
{
    //   recorded  K |08--10|        |11--12|
    //   new       L        |10----11|
    folder.record({line("K", "2.00", "08:00", "10:00"), line("K", "1.00", "11:00", "12:00")});
    EXPECT_EQ(folder.correct(s("L", "10:00", "11:00")),
              std::vector<std::string>{line("L", "1.00", "10:00", "11:00")});
    expect_net(net_day(), {{"K", 3}, {"L", 1}}, "day");
}

TEST_P(Correction, enclosing_several_sessions)
{
    //   recorded  K |08-09|  L |09-10|  K |10-11|   M |11:30----13|
    //   new       N    |08:30-----------------------------12|
    folder.record({
        line("K", "1.00", "08:00", "09:00"),
        line("L", "1.00", "09:00", "10:00"),
        line("K", "1.00", "10:00", "11:00"),
        line("M", "1.50", "11:30", "13:00"),
    });
    EXPECT_EQ(folder.correct(s("N", "08:30", "12:00")),
              (std::vector<std::string>{
                  line("K", "-0.50", "09:00", "08:30"),
                  line("L", "-1.00", "10:00", "09:00"),
                  line("K", "-1.00", "11:00", "10:00"),
                  line("M", "-0.50", "12:00", "11:30"),
                  line("N", "3.50", "08:30", "12:00"),
              }));
    expect_net(net_day(), {{"K", 0.5}, {"M", 1}, {"N", 3.5}}, "day");
}

TEST_P(Correction, inside_a_recorded_session_splits_it)
{
    folder.record({line("K", "4.00", "08:00", "12:00")});
    folder.correct(s("L", "10:00", "11:00"));
    expect_net(folder.net(v("08:00"), v("10:00")), {{"K", 2}}, "before the span");
    expect_net(folder.net(v("10:00"), v("11:00")), {{"L", 1}}, "the span");
    expect_net(folder.net(v("11:00"), v("12:00")), {{"K", 1}}, "after the span");
}

TEST_P(Correction, identical_to_a_recorded_session)
{
    folder.record({line("K", "4.00", "08:00", "12:00")});
    EXPECT_EQ(folder.correct(s("K", "08:00", "12:00")),
              (std::vector<std::string>{
                  line("K", "-4.00", "12:00", "08:00"),
                  line("K", "4.00", "08:00", "12:00"),
              }));
    expect_net(net_day(), {{"K", 4}}, "once");
    // Again: the earlier cancelling line is reversed as well, so nothing is
    // cancelled twice.
    EXPECT_EQ(folder.correct(s("K", "08:00", "12:00")).size(), 4u);
    expect_net(net_day(), {{"K", 4}}, "twice");
}

TEST_P(Correction, zero_length_session_cancels_nothing)
{
    folder.record({line("K", "4.00", "08:00", "12:00")});
    EXPECT_EQ(folder.correct(s("L", "10:00", "10:00")),
              std::vector<std::string>{line("L", "0.00", "10:00", "10:00")});
    expect_net(net_day(), {{"K", 4}}, "day");
}

TEST_P(Correction, over_earlier_corrections_the_net_is_never_cancelled_twice)
{
    // Many overlapping corrections of one day in a fixed pseudo-random order.
    // After each, the span holds exactly the new session and the rest of the
    // day is as it was.
    folder.record({line("K", "4.00", "08:00", "12:00"), line("L", "5.00", "12:00", "17:00")});
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> quarter(6 * 4, 20 * 4);  // 06:00 ... 20:00
    std::uniform_int_distribution<int> length(0, 16);
    const char* const tasks[] = {"A", "B", "K", "L"};
    const vu_datetime day_lo = v("00:00");
    const vu_datetime day_hi = v("2013-03-14T00:00");
    for (int i = 0; i < 30; ++i) {
        const int b = quarter(rng);
        const int e = std::min(b + length(rng), 24 * 4 - 1);
        auto hhmm = [](int q) {
            char buf[32];
            std::snprintf(buf, sizeof buf, "%02d:%02d", q / 4, q % 4 * 15);
            return std::string(buf);
        };
        const zovSession next = s(tasks[rng() % 4], hhmm(b), hhmm(e));
        const net_map before_span = folder.net(day_lo, next.tbeg());
        const net_map after_span = folder.net(next.tend(), day_hi);
        folder.correct(next);
        const std::string what = "correction " + std::to_string(i) + ": " + next.to_file_string();
        net_map expected;
        if (e > b)
            expected[next.task()] = next.hours();
        expect_net(folder.net(next.tbeg(), next.tend()), expected, what);
        expect_net(folder.net(day_lo, next.tbeg()), before_span, what + " (before)");
        expect_net(folder.net(next.tend(), day_hi), after_span, what + " (after)");
    }
}

TEST_P(Correction, out_object_is_reset)
{
    folder.record({line("K", "4.00", "08:00", "12:00")});
    zovSinkHours out(v("2013-03-01T08:00"), v("2013-03-01T09:00"));
    out.push_back(s("OLD", "2013-03-01T08:00", "2013-03-01T09:00"));
    const zovSession next = s("L", "10:00", "11:00");
    ASSERT_TRUE(folder.kernel().session(next, out));
    EXPECT_EQ(out.lo(), next.tbeg());
    EXPECT_EQ(out.hi(), next.tend());
    EXPECT_EQ(lines_of(out), (std::vector<std::string>{
                                 line("K", "-1.00", "11:00", "10:00"),
                                 line("L", "1.00", "10:00", "11:00"),
                             }));
}

// The running session is not in HOURS.TSK, but time a correction covers is
// taken from it too, so that nothing counts twice once it is closed.
TEST_P(Correction, time_a_correction_covers_is_taken_from_the_running_session)
{
    struct Case
    {
        const char* name;
        const char* login;  // K runs since then
        const char* from;   // correction L
        const char* until;
        const char* now;    // when the correction is entered; log-out at 17:00
        bool still_running;
        const char* since;  // K's running begin afterwards
        double net_k;       // over the day, once K is logged out at 17:00
        double net_l;
    };
    const Case cases[] = {
        {"span inside the running session", "08:00", "09:00", "10:00", "12:00", true, "10:00", 8, 1},
        {"span over the running session's begin", "09:00", "08:00", "10:00", "11:00", true, "10:00", 7, 2},
        {"span ending at the running session's begin", "09:00", "08:00", "09:00", "11:00", true, "09:00", 8, 1},
        {"span before the running session", "09:00", "07:00", "08:00", "11:00", true, "09:00", 8, 1},
        {"span reaching the present ends it", "08:00", "09:00", "12:00", "12:00", false, "12:00", 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        data_folder f;
        clock.set(t(c.login));
        ASSERT_TRUE(f.kernel().login("K"));
        clock.set(t(c.now));
        f.correct(s("L", c.from, c.until));
        const zovCurrent& state = f.kernel().current();
        EXPECT_EQ(state.task(), "K");
        EXPECT_EQ(state.active(), c.still_running);
        EXPECT_EQ(state.time(), v(c.since));
        // A correction that ended the session stamped its log-out.
        const std::vector<std::string> stamps = read_lines(f.dir().file("LOGINOUT.TSK"));
        EXPECT_EQ(stamps.back(), (c.still_running ? "LOGIN " + t(c.login) : "LOGOUT " + t(c.since)));
        clock.set(t("17:00"));
        ASSERT_TRUE(f.kernel().logout());
        net_map expected{{"K", c.net_k}, {"L", c.net_l}};
        if (c.net_k == 0)
            expected.erase("K");
        const vu_datetime lo = v("00:00");
        vu_datetime hi;
        hi.set_time_t(lo.to_time_t() + 86400);
        expect_net(f.net(lo, hi), expected, "day");
    }
}

TEST_P(Correction, running_session_closed_around_the_span_line_by_line)
{
    clock.set(t("08:00"));
    ASSERT_TRUE(folder.kernel().login("K"));
    clock.set(t("12:00"));
    // The closing line of K goes last: it is what shows, after a crash before
    // CURRENT.TSK is stored, that K was closed already.
    EXPECT_EQ(folder.correct(s("L", "09:00", "10:00")), (std::vector<std::string>{
                                                            line("K", "-1.00", "10:00", "09:00"),
                                                            line("L", "1.00", "09:00", "10:00"),
                                                            line("K", "2.00", "08:00", "10:00"),
                                                        }));
    EXPECT_EQ(read_file(folder.dir().file("CURRENT.TSK")), "K " + t("10:00") + " ACTIVE\n");
}

// Changes of the UTC offset inside the span; all times carry their offset.
struct dst_case
{
    const char* name;
    const char* zone;
    const char* day;
    const char* recorded_beg;
    const char* recorded_end;
    const char* new_beg;
    const char* new_end;
    const char* cancel_hours;
    const char* new_hours;
    double net_k;
    double net_l;
};

const dst_case dst_cases[] = {
    // 02:00 CET became 03:00 CEST.
    {"berlin_spring", "Europe/Berlin", "2013-03-31", "2013-03-31T00:00:00+01:00", "2013-03-31T06:00:00+02:00",
     "2013-03-31T01:00:00+01:00", "2013-03-31T04:00:00+02:00", "-2.00", "2.00", 3, 2},
    // 03:00 CEST became 02:00 CET: 02:30 came twice.
    {"berlin_autumn", "Europe/Berlin", "2013-10-27", "2013-10-27T01:00:00+02:00", "2013-10-27T04:00:00+01:00",
     "2013-10-27T02:30:00+02:00", "2013-10-27T02:30:00+01:00", "-1.00", "1.00", 3, 1},
    // Lord Howe moves by half an hour: 02:00 became 02:30.
    {"lord_howe_spring", "Australia/Lord_Howe", "2013-10-06", "2013-10-06T01:00:00+10:30",
     "2013-10-06T04:00:00+11:00", "2013-10-06T01:30:00+10:30", "2013-10-06T03:00:00+11:00", "-1.00", "1.00", 1.5,
     1},
    // 02:00 became 01:30: 01:45 came twice.
    {"lord_howe_autumn", "Australia/Lord_Howe", "2013-04-07", "2013-04-07T01:00:00+11:00",
     "2013-04-07T03:00:00+10:30", "2013-04-07T01:45:00+11:00", "2013-04-07T01:45:00+10:30", "-0.50", "0.50", 2,
     0.5},
};

class CorrectionAcrossDst : public ::testing::TestWithParam<dst_case>
{
};

INSTANTIATE_TEST_SUITE_P(changes, CorrectionAcrossDst, ::testing::ValuesIn(dst_cases),
                         [](const ::testing::TestParamInfo<dst_case>& info) { return info.param.name; });

TEST_P(CorrectionAcrossDst, cancels_the_real_overlap)
{
    const dst_case& c = GetParam();
    TzGuard tz(c.zone);
    FixedClock clock("2013-12-01T12:00:00");
    data_folder folder;
    const double recorded = at(c.recorded_end).diff_hours(at(c.recorded_beg));
    char hours[16];
    std::snprintf(hours, sizeof hours, "%.2f", recorded);
    folder.record({session_line("K", hours, c.recorded_beg, c.recorded_end)});

    EXPECT_EQ(folder.correct(zovSession("L", at(c.new_beg), at(c.new_end))),
              (std::vector<std::string>{
                  session_line("K", c.cancel_hours, c.new_end, c.new_beg),
                  session_line("L", c.new_hours, c.new_beg, c.new_end),
              }));
    vu_datetime lo = at(std::string(c.day) + "T00:00:00");
    vu_datetime hi;
    hi.set_jdn(lo.to_jdn() + 1.5);
    hi = hi.date();
    expect_net(folder.net(lo, hi), {{"K", c.net_k}, {"L", c.net_l}}, "day");
}

// --- Refusals and failed writes: nothing of the correction may remain. ---

class CorrectionRefused : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.record({session_line("K", "4.00", "2013-03-13T08:00:00+01:00", "2013-03-13T12:00:00+01:00")});
    }
    // The span 10:00-11:00 of that day overlaps the recorded K session.
    static vu_datetime ten() { return at("2013-03-13T10:00:00+01:00"); }
    static vu_datetime eleven() { return at("2013-03-13T11:00:00+01:00"); }

    void expect_refused(const zovSession& s, const std::string& what)
    {
        const std::string before = read_file(folder.hours_path());
        zovSinkHours out;
        out.push_back(zovSession("OLD", ten(), eleven()));
        EXPECT_FALSE(folder.kernel().session(s, out)) << what;
        EXPECT_EQ(read_file(folder.hours_path()), before) << what;
        EXPECT_EQ(count(out), 0u) << what;
    }

    TzGuard tz{"Europe/Berlin"};
    FixedClock clock{"2013-03-20T12:00:00"};
    data_folder folder;
};

TEST_F(CorrectionRefused, invalid_or_reversed_sessions_append_nothing)
{
    const struct
    {
        const char* name;
        zovSession session;
    } cases[] = {
        {"empty task name", zovSession("", ten(), eleven())},
        {"unset begin", zovSession("L", vu_datetime(), eleven())},
        {"unset end", zovSession("L", ten(), vu_datetime())},
        {"blank in the name", zovSession("L M", ten(), eleven())},
        {"tab in the name", zovSession("L\tM", ten(), eleven())},
        {"line feed in the name", zovSession("L\nM", ten(), eleven())},
        {"comment mark", zovSession("%L", ten(), eleven())},
        {"end before begin", zovSession("L", eleven(), ten())},
        // Its line would exceed the line bound that every reader skips
        // beyond: the cancelling lines would take the time out of every sum.
        {"a 70 KiB name", zovSession(std::string(70 * 1024, 'L'), ten(), eleven())},
        {"a name one byte too long", zovSession(std::string(zovKernel::max_task_name + 1, 'L'), ten(), eleven())},
    };
    for (const auto& c : cases)
        expect_refused(c.session, c.name);
    // The recorded session is whole.
    expect_net(folder.net(ten(), eleven()), {{"K", 1}}, "span");
}

TEST_F(CorrectionRefused, hours_file_that_is_a_folder)
{
    ASSERT_EQ(::unlink(folder.hours_path().c_str()), 0);
    ASSERT_EQ(::mkdir(folder.hours_path().c_str(), 0700), 0);
    zovSinkHours out;
    EXPECT_FALSE(folder.kernel().session(zovSession("L", ten(), eleven()), out));
    EXPECT_EQ(count(out), 0u);
    struct stat st;
    ASSERT_EQ(::stat(folder.hours_path().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST_F(CorrectionRefused, read_only_hours_file)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes to read-only files";
    const std::string before = read_file(folder.hours_path());
    ASSERT_EQ(::chmod(folder.hours_path().c_str(), 0400), 0);
    ASSERT_EQ(::chmod(folder.dir().path().c_str(), 0500), 0);
    zovSinkHours out;
    EXPECT_FALSE(folder.kernel().session(zovSession("L", ten(), eleven()), out));
    EXPECT_EQ(count(out), 0u);
    EXPECT_EQ(read_file(folder.hours_path()), before);
}

// Lowers the file size limit of the process, so that a write beyond it stops
// short (EFBIG) instead of raising SIGXFSZ. Works for root as well.
class file_size_limit
{
public:
    explicit file_size_limit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lower = m_old;
        lower.rlim_cur = bytes;
        m_set = ::setrlimit(RLIMIT_FSIZE, &lower) == 0;
    }
    ~file_size_limit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }
    file_size_limit(const file_size_limit&) = delete;
    file_size_limit& operator=(const file_size_limit&) = delete;
    bool set() const { return m_set; }

private:
    rlimit m_old{};
    void (*m_handler)(int);
    bool m_set;
};

TEST_F(CorrectionRefused, write_cut_short_leaves_no_cancelling_line)
{
    // Room for the cancelling line but not for the new session after it: a
    // correction written line by line would leave K cancelled and no L.
    const std::string before = read_file(folder.hours_path());
    const std::string cancel =
        session_line("K", "-1.00", "2013-03-13T11:00:00+01:00", "2013-03-13T10:00:00+01:00") + "\n";
    zovSinkHours out;
    bool result = true;
    {
        file_size_limit limit(before.size() + cancel.size() + 20);
        ASSERT_TRUE(limit.set());
        result = folder.kernel().session(zovSession("L", ten(), eleven()), out);
    }
    EXPECT_FALSE(result);
    EXPECT_EQ(count(out), 0u);
    EXPECT_EQ(read_file(folder.hours_path()), before);
    expect_net(folder.net(ten(), eleven()), {{"K", 1}}, "span after the failure");

    // With room again the same correction lands whole.
    EXPECT_EQ(folder.correct(zovSession("L", ten(), eleven())).size(), 2u);
    expect_net(folder.net(ten(), eleven()), {{"L", 1}}, "span after the retry");
}

}  // namespace

// A correction with nothing in its place: the time is taken out.
TEST_P(Correction, cancel_takes_recorded_time_out_without_a_replacement)
{
    folder.record({line("K", "4.00", "08:00", "12:00")});
    zovSinkHours out;
    ASSERT_TRUE(folder.kernel().cancel(v("10:00"), v("11:00"), out));
    EXPECT_EQ(lines_of(out), std::vector<std::string>{line("K", "-1.00", "11:00", "10:00")});
    expect_net(net_day(), {{"K", 3}}, "after the cancel");
    // Nothing recorded there: nothing to write, and that is no failure.
    const std::string before = read_file(folder.hours_path());
    ASSERT_TRUE(folder.kernel().cancel(v("13:00"), v("14:00"), out));
    EXPECT_EQ(read_file(folder.hours_path()), before);
    EXPECT_FALSE(folder.kernel().cancel(v("11:00"), v("10:00"), out));
    // The running session's part is taken too; it goes on from the end.
    clock.set(t("13:00"));
    ASSERT_TRUE(folder.kernel().login("L"));
    clock.set(t("16:00"));
    ASSERT_TRUE(folder.kernel().cancel(v("14:00"), v("15:00"), out));
    EXPECT_EQ(folder.kernel().current().time(), v("15:00"));
    EXPECT_TRUE(folder.kernel().current().active());
    clock.set(t("17:00"));
    ASSERT_TRUE(folder.kernel().logout());
    expect_net(net_day(), {{"K", 3}, {"L", 3}}, "with the running session");
    zovtest::expect_recorded_at_most_once(folder.hours_path());
}
