// Kernel speed on a ten-year history of about 100,000 sessions.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include <zovkernel.h>

#include "hours_generator.h"

namespace {

// One history for all benchmarks, in a folder removed at exit.
struct shared_history
{
    zovbench::history h;
    shared_history()
    {
        setenv("TZ", "Europe/Berlin", 1);
        vu_datetime::reset_time_zone();
        std::string templ = "/tmp/zovbench-XXXXXX";
        const std::string dir = std::string(mkdtemp(&templ[0])) + "/";
        vu_datetime end;
        end.set_local_time();
        h = zovbench::generate_history(dir, end);
    }
    ~shared_history() { std::filesystem::remove_all(h.dir); }
};

const zovbench::history& history()
{
    static shared_history shared;
    return shared.h;
}

vu_datetime middle_day()
{
    vu_datetime d;
    d.set_jdn((history().first.to_jdn() + history().last.to_jdn()) / 2);
    d = d.date();
    // A working day, so the range holds sessions.
    while (d.to_day_of_week2() >= 5)
        d.set_jdn(d.to_jdn() + 1.5), d = d.date();
    return d;
}

void BM_hours_one_day(benchmark::State& state)
{
    zovKernel kernel(history().dir);
    const vu_datetime lo = middle_day();
    vu_datetime hi;
    hi.set_jdn(lo.to_jdn() + 1.0);
    std::size_t pieces = 0;
    for (auto _ : state) {
        const zovSinkHours& r = kernel.hours(lo, hi);
        pieces = static_cast<std::size_t>(std::distance(r.begin(), r.end()));
        benchmark::DoNotOptimize(pieces);
    }
    state.counters["sessions"] = static_cast<double>(history().sessions);
    state.counters["pieces"] = static_cast<double>(pieces);
}
BENCHMARK(BM_hours_one_day)->Unit(benchmark::kMillisecond);

void BM_hours_90_days(benchmark::State& state)
{
    zovKernel kernel(history().dir);
    vu_datetime hi = history().last.date();
    hi.set_jdn(hi.to_jdn() + 2.0);
    vu_datetime lo;
    lo.set_jdn(hi.to_jdn() - 90.0);
    std::size_t pieces = 0;
    for (auto _ : state) {
        const zovSinkHours& r = kernel.hours(lo, hi);
        pieces = static_cast<std::size_t>(std::distance(r.begin(), r.end()));
        benchmark::DoNotOptimize(pieces);
    }
    state.counters["pieces"] = static_cast<double>(pieces);
}
BENCHMARK(BM_hours_90_days)->Unit(benchmark::kMillisecond);

void BM_constructor(benchmark::State& state)
{
    const std::string dir = history().dir;
    for (auto _ : state) {
        zovKernel kernel(dir);
        benchmark::DoNotOptimize(kernel);
    }
}
BENCHMARK(BM_constructor)->Unit(benchmark::kMicrosecond);

void BM_current(benchmark::State& state)
{
    zovKernel kernel(history().dir);
    for (auto _ : state)
        benchmark::DoNotOptimize(kernel.current().active());
}
BENCHMARK(BM_current)->Unit(benchmark::kMicrosecond);

}  // namespace
