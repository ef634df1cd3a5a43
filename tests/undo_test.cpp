// Undo in the kernel: each kind of change, taken back, leaves the net hours
// and the state as they were before it, with HOURS.TSK only grown; the
// record refuses what no longer matches the files.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "test_support.h"

using namespace zovtest;

namespace {

const std::string day = "2026-12-08T";

class Undo : public ::testing::TestWithParam<const char*>
{
protected:
    Undo() : m_tz(GetParam()), m_clock(day + "11:00:00") {}

    void SetUp() override
    {
        write_file(m_dir.file("HOURS.TSK"), "% task hours t1 t2\n"
                                               + zovSession("Alpha", at(day + "07:00:00"), at(day + "08:00:00")).to_file_string()
                                               + "\n");
        write_file(m_dir.file("CURRENT.TSK"), "Beta " + at(day + "09:00:00").to_readable_datetime_string() + " ACTIVE\n");
    }

    std::map<std::string, double> net()
    {
        zovKernel k(m_dir.path(), "");
        std::map<std::string, double> sums;
        for (const zovSession& s : k.hours(at(day + "00:00:00"), at(day + "23:59:59")))
            sums[s.task()] += s.hours();
        for (auto it = sums.begin(); it != sums.end();)
            it = std::abs(it->second) < 1e-9 ? sums.erase(it) : std::next(it);
        return sums;
    }

    TzGuard m_tz;
    FixedClock m_clock;
    TempDir m_dir;
};

struct change
{
    const char* name;
    const char* what;  // what undo_what() calls it
    std::function<bool(zovKernel&)> make;
};

TEST_P(Undo, EachKindOfChangeComesBack)
{
    const std::vector<change> changes = {
        {"switch", "switch to Gamma", [](zovKernel& k) { return k.next("Gamma"); }},
        {"log-out", "log-out at 11:00", [](zovKernel& k) { return k.logout(); }},
        {"log-out as of an earlier time", "log-out at 10:00",
         [](zovKernel& k) { return k.logout(at(day + "10:00:00"), at(day + "09:00:00")); }},
        {"correction", "correction Gamma 2026-12-08 08:30 to 09:30", [](zovKernel& k) {
             zovSinkHours out;
             return k.correct(zovSession("Gamma", at(day + "08:30:00"), at(day + "09:30:00")), false, out);
         }},
        {"correction kept active", "correction Gamma 2026-12-08 10:00 to 10:30", [](zovKernel& k) {
             zovSinkHours out;
             return k.correct(zovSession("Gamma", at(day + "10:00:00"), at(day + "10:30:00")), true, out);
         }},
        {"cancel", "cancel 2026-12-08 07:30 to 09:30", [](zovKernel& k) {
             zovSinkHours out;
             return k.cancel(at(day + "07:30:00"), at(day + "09:30:00"), out);
         }},
        {"away answer: log out", "away answer: log-out at 10:00", [](zovKernel& k) {
             zov::away_question q{true, "Beta", at(day + "09:00:00"), at(day + "10:00:00"), at(day + "10:45:00")};
             return k.away_log_out(q);
         }},
        {"away answer: book", "away answer: Lunch 2026-12-08 10:00 to 10:45", [](zovKernel& k) {
             zov::away_question q{true, "Beta", at(day + "09:00:00"), at(day + "10:00:00"), at(day + "10:45:00")};
             return k.away_book(q, "Lunch");
         }},
        {"import", "import of 1 session", [](zovKernel& k) {
             zovImportPlan plan;
             return k.import_sessions({zovSession("Old", at(day + "05:00:00"), at(day + "06:00:00"))}, false, false, plan);
         }},
    };
    for (const change& c : changes) {
        SCOPED_TRACE(c.name);
        SetUp();
        ::unlink(m_dir.file("JOURNAL.TSK").c_str());
        const std::map<std::string, double> before = net();
        const std::string state = read_file(m_dir.file("CURRENT.TSK"));
        zovKernel k(m_dir.path(), "");
        ASSERT_TRUE(c.make(k)) << k.message();
        const std::string changed = read_file(m_dir.file("HOURS.TSK"));
        EXPECT_EQ(k.undo_what(), c.what);
        zovUndoPlan plan;
        ASSERT_TRUE(k.undo(true, plan)) << k.message();
        EXPECT_EQ(plan.what, c.what);
        EXPECT_EQ(read_file(m_dir.file("HOURS.TSK")), changed) << "a dry run wrote";
        ASSERT_TRUE(k.undo(false, plan)) << k.message();
        EXPECT_EQ(read_file(m_dir.file("CURRENT.TSK")), state);
        EXPECT_EQ(net(), before);
        EXPECT_EQ(read_file(m_dir.file("HOURS.TSK")).compare(0, changed.size(), changed), 0) << "HOURS.TSK rewritten";
        expect_recorded_at_most_once(m_dir.file("HOURS.TSK"));
        EXPECT_EQ(k.undo_what(), "");
        EXPECT_FALSE(k.undo(false, plan));
        EXPECT_EQ(k.last_error(), zovKernel::error::changed);
    }
}

// A daily log-out made up later is a change of its own; taken back while it
// is still due, it would only be made up again at once: refused.
TEST_P(Undo, DailyLogOutIsItsOwnChange)
{
    write_file(m_dir.file("Zovaro.conf"), "AutoLogout=36000\n");  // 10:00
    zovKernel k(m_dir.path(), m_dir.file("Zovaro.conf"));
    ASSERT_FALSE(k.current().active());  // made up when read
    EXPECT_EQ(k.undo_what(), "daily log-out at 10:00");
    zovUndoPlan plan;
    EXPECT_FALSE(k.undo(false, plan));
    EXPECT_NE(k.message().find("daily log-out would end the session again"), std::string::npos) << k.message();
    // With the setting off, it comes back.
    write_file(m_dir.file("Zovaro.conf"), "AutoLogout=-36000\n");
    ASSERT_TRUE(k.undo(false, plan)) << k.message();
    EXPECT_TRUE(k.current().active());
    EXPECT_EQ(k.current().time(), at(day + "09:00:00"));
}

// The record is checked against the files: a hand edit, or a state changed
// without a record, makes undo refuse and write nothing.
TEST_P(Undo, RefusesWhatTheRecordNoLongerMatches)
{
    zovKernel k(m_dir.path(), "");
    ASSERT_TRUE(k.next("Gamma"));
    write_file(m_dir.file("HOURS.TSK"), read_file(m_dir.file("HOURS.TSK")) + "% a note by hand\n");
    const std::string hours = read_file(m_dir.file("HOURS.TSK"));
    zovUndoPlan plan;
    EXPECT_FALSE(k.undo(false, plan));
    EXPECT_EQ(k.last_error(), zovKernel::error::changed);
    EXPECT_EQ(read_file(m_dir.file("HOURS.TSK")), hours);

    SetUp();
    ::unlink(m_dir.file("JOURNAL.TSK").c_str());
    ASSERT_TRUE(k.next("Gamma"));
    write_file(m_dir.file("CURRENT.TSK"), "Delta " + at(day + "10:59:00").to_readable_datetime_string() + " ACTIVE\n");
    EXPECT_FALSE(k.undo(false, plan));
    EXPECT_NE(k.message().find("switch to Gamma"), std::string::npos) << k.message();
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Zones, Undo, ::testing::ValuesIn(test_zones), zone_name);
