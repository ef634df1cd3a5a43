// The tray's minute refresh (today's total and the recent list) and the
// week sheets, answered through the index of HOURS.TSK, beside the same
// questions answered by reading the whole file; and what the index costs when
// it must be built or extended.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <zovkernel.h>

#include "hours_generator.h"
#include "zovIndex.h"

namespace {

struct refresh_history
{
    zovbench::history h;
    refresh_history()
    {
        setenv("TZ", "Europe/Berlin", 1);
        vu_datetime::reset_time_zone();
        std::string templ = "/tmp/zovbench-refresh-XXXXXX";
        const std::string dir = std::string(mkdtemp(&templ[0])) + "/";
        vu_datetime end;
        end.set_local_time();
        h = zovbench::generate_history(dir, end);
        std::ofstream cur(dir + "CURRENT.TSK", std::ios::binary | std::ios::trunc);
        cur << "PRJ-1000-ops " << h.last.to_readable_datetime_string() << " ACTIVE\n";
    }
    ~refresh_history() { std::filesystem::remove_all(h.dir); }
};

const zovbench::history& history()
{
    static refresh_history shared;
    return shared.h;
}

// What the current-task page and the icon do once a minute.
void minute_refresh(zovKernel& kernel, const vu_datetime& now)
{
    const zov::day_range today = zov::today_range(now);
    // State and log of one moment, as the page reads them.
    const zovSnapshot snap = kernel.snapshot(today.lo, today.hi);
    benchmark::DoNotOptimize(zov::today_total(snap.hours, snap.current, now).hours);
    const zov::day_range recent = zov::recent_range(now);
    benchmark::DoNotOptimize(zov::recent_tasks(kernel.hours(recent.lo, recent.hi)).size());
}

void BM_minute_refresh(benchmark::State& state)
{
    zovKernel kernel(history().dir);
    const vu_datetime now = history().last;
    minute_refresh(kernel, now);  // the program has read the file once
    for (auto _ : state)
        minute_refresh(kernel, now);
    state.counters["lines"] = static_cast<double>(history().sessions);
}
BENCHMARK(BM_minute_refresh)->Unit(benchmark::kMicrosecond);

// The same two questions by a full read of HOURS.TSK each, as before the index.
class full_read : public zovHours
{
public:
    explicit full_read(const std::string& dir) : zovHours(dir) {}
    void into(zovSink& sink) const { read_lines(sink); }
};

void BM_minute_refresh_full_read(benchmark::State& state)
{
    zovKernel kernel(history().dir);
    const vu_datetime now = history().last;
    for (auto _ : state) {
        const zov::day_range today = zov::today_range(now);
        zovSinkHours day(today.lo, today.hi);
        full_read(history().dir).into(day);
        benchmark::DoNotOptimize(zov::today_total(day, kernel.current(), now).hours);
        const zov::day_range recent = zov::recent_range(now);
        zovSinkHours days(recent.lo, recent.hi);
        full_read(history().dir).into(days);
        benchmark::DoNotOptimize(zov::recent_tasks(days).size());
    }
}
BENCHMARK(BM_minute_refresh_full_read)->Unit(benchmark::kMillisecond);

void run_week(benchmark::State& state, const vu_datetime& in_week)
{
    zovKernel kernel(history().dir);
    for (auto _ : state) {
        zovTimeSheet sheet(in_week.to_week_number(), in_week.to_year_number());
        benchmark::DoNotOptimize(kernel.tsheet(sheet));
    }
}

void BM_week_newest(benchmark::State& state)
{
    run_week(state, history().last);
}
BENCHMARK(BM_week_newest)->Unit(benchmark::kMicrosecond);

void BM_week_first(benchmark::State& state)
{
    run_week(state, history().first);
}
BENCHMARK(BM_week_first)->Unit(benchmark::kMicrosecond);

// A process's first question when the index file must be made from scratch
// (first use, or after a hand edit), and when it is only loaded.
void BM_index_rebuild(benchmark::State& state)
{
    zovKernel kernel(history().dir);
    const zov::day_range today = zov::today_range(history().last);
    const std::string file = zov_detail::index_path(history().dir + "HOURS.TSK");
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(file);
        zov_detail::forget_index();
        state.ResumeTiming();
        benchmark::DoNotOptimize(kernel.hours(today.lo, today.hi).begin());
    }
}
BENCHMARK(BM_index_rebuild)->Unit(benchmark::kMillisecond);

void BM_index_load(benchmark::State& state)
{
    zovKernel kernel(history().dir);
    const zov::day_range today = zov::today_range(history().last);
    kernel.hours(today.lo, today.hi);
    for (auto _ : state) {
        zov_detail::forget_index();
        benchmark::DoNotOptimize(kernel.hours(today.lo, today.hi).begin());
    }
}
BENCHMARK(BM_index_load)->Unit(benchmark::kMicrosecond);

// The first question after a line was appended (a switch of task): the index
// checks every indexed block before it takes the new line in.
void BM_query_after_append(benchmark::State& state)
{
    zovKernel kernel(history().dir);
    const zov::day_range today = zov::today_range(history().last);
    const std::string path = history().dir + "HOURS.TSK";
    kernel.hours(today.lo, today.hi);
    const auto size = std::filesystem::file_size(path);
    const std::string line =
        zovSession("PRJ-1000-ops", history().last, history().last).to_file_string() + "\n";
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream(path, std::ios::binary | std::ios::app) << line;
        state.ResumeTiming();
        benchmark::DoNotOptimize(kernel.hours(today.lo, today.hi).begin());
    }
    std::filesystem::resize_file(path, size);
}
BENCHMARK(BM_query_after_append)->Unit(benchmark::kMillisecond);

}  // namespace
