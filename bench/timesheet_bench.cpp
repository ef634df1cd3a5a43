// Weekly time sheet and session correction on a ten-year history of about
// 100,000 sessions (bench/hours_generator.h).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <zovkernel.h>

#include "hours_generator.h"

namespace {

// A history of its own: the correction benchmark writes to it.
struct sheet_history
{
    zovbench::history h;
    sheet_history()
    {
        setenv("TZ", "Europe/Berlin", 1);
        vu_datetime::reset_time_zone();
        std::string templ = "/tmp/zovbench-sheet-XXXXXX";
        const std::string dir = std::string(mkdtemp(&templ[0])) + "/";
        vu_datetime end;
        end.set_local_time();
        h = zovbench::generate_history(dir, end);
        // A session running since the end of the history, so that the sheet
        // of the current week takes the running-session path too.
        std::ofstream cur(dir + "CURRENT.TSK", std::ios::binary | std::ios::trunc);
        cur << "PRJ-1000-ops " << h.last.to_readable_datetime_string() << " ACTIVE\n";
    }
    ~sheet_history() { std::filesystem::remove_all(h.dir); }
};

const zovbench::history& history()
{
    static sheet_history shared;
    return shared.h;
}

vu_datetime middle_of_history()
{
    vu_datetime d;
    d.set_jdn((history().first.to_jdn() + history().last.to_jdn()) / 2);
    return d;
}

std::size_t count(const zovSinkWeek& week)
{
    return static_cast<std::size_t>(std::distance(week.begin(), week.end()));
}

void run_tsheet(benchmark::State& state, const vu_datetime& in_week)
{
    zovKernel kernel(history().dir);
    const int week = in_week.to_week_number();
    const int year = in_week.to_year_number();
    std::size_t sessions = 0;
    unsigned tasks = 0;
    for (auto _ : state) {
        zovTimeSheet sheet(week, year);  // tsheet wants a fresh sheet
        benchmark::DoNotOptimize(kernel.tsheet(sheet));
        sessions = count(sheet.hours());
        tasks = sheet.size_task();
    }
    state.counters["lines"] = static_cast<double>(history().sessions);
    state.counters["week_sessions"] = static_cast<double>(sessions);
    state.counters["tasks"] = tasks;
}

void BM_tsheet_mid_history_week(benchmark::State& state)
{
    run_tsheet(state, middle_of_history());
}
BENCHMARK(BM_tsheet_mid_history_week)->Unit(benchmark::kMillisecond);

void BM_tsheet_current_week(benchmark::State& state)
{
    vu_datetime now;
    now.set_local_time();
    run_tsheet(state, now);
}
BENCHMARK(BM_tsheet_current_week)->Unit(benchmark::kMillisecond);

// The report alone, of a filled mid-history sheet.
void BM_show_time_sheet(benchmark::State& state)
{
    zovKernel kernel(history().dir);
    const vu_datetime mid = middle_of_history();
    zovTimeSheet sheet(mid.to_week_number(), mid.to_year_number());
    kernel.tsheet(sheet);
    for (auto _ : state) {
        std::ostringstream out;
        sheet.show_time_sheet(out);
        benchmark::DoNotOptimize(out.str().size());
    }
}
BENCHMARK(BM_show_time_sheet)->Unit(benchmark::kMicrosecond);

// A correction from 13:00 to 18:00 of a working day in the middle of the
// history, where some ten recorded sessions are overlapped. HOURS.TSK is cut
// back to its former length after each iteration (outside the timing), so
// every iteration corrects the same ~100,000-line file: letting it grow would
// make each run cancel the lines of the one before as well.
void BM_session_busy_afternoon(benchmark::State& state)
{
    zovKernel kernel(history().dir);
    vu_datetime day = middle_of_history().date();
    while (day.to_day_of_week2() >= 5)
        day.set_jdn(day.to_jdn() + 1.5), day = day.date();
    vu_datetime from, until;
    from.set_jdn(day.to_jdn() + 13.0 / 24);
    until.set_jdn(day.to_jdn() + 18.0 / 24);
    const zovSession correction("PRJ-9999-fix", from, until);
    const std::string path = history().dir + "HOURS.TSK";
    const auto size = std::filesystem::file_size(path);
    std::size_t lines = 0;
    for (auto _ : state) {
        zovSinkHours out;
        if (!kernel.session(correction, out))
            state.SkipWithError("session() failed");
        state.PauseTiming();
        lines = static_cast<std::size_t>(std::distance(out.begin(), out.end()));
        if (::truncate(path.c_str(), static_cast<off_t>(size)) != 0)
            state.SkipWithError("cannot restore HOURS.TSK");
        state.ResumeTiming();
    }
    state.counters["lines_appended"] = static_cast<double>(lines);
}
BENCHMARK(BM_session_busy_afternoon)->Unit(benchmark::kMillisecond);

}  // namespace
