// Peak memory of `zov` (which holds the kernel) on a 1 GB HOURS.TSK: four
// lines of some 250 MB of "x" each (no session line comes near; every reader
// skips them), then ten years of sessions. Each question runs as a fresh
// process; its peak resident size comes from wait4(). The figure is the
// counter "peak_MiB"; the time is that of the whole process.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <zovkernel.h>

#include "hours_generator.h"

namespace {

struct big_history
{
    zovbench::history h;
    big_history()
    {
        setenv("TZ", "Europe/Berlin", 1);
        vu_datetime::reset_time_zone();
        std::string templ = "/tmp/zovbench-memory-XXXXXX";
        const std::string dir = std::string(mkdtemp(&templ[0])) + "/";
        vu_datetime end;
        end.set_local_time();
        h = zovbench::generate_history(dir, end);
        std::ifstream in(dir + "HOURS.TSK", std::ios::binary);
        const std::string sessions((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::ofstream out(dir + "HOURS.TSK", std::ios::binary | std::ios::trunc);
        const std::string chunk(1 << 20, 'x');
        const std::size_t target = std::size_t(1) << 30;
        const std::size_t per_line = (target - sessions.size()) / 4 / chunk.size();
        for (int line = 0; line < 4; ++line) {
            for (std::size_t i = 0; i < per_line; ++i)
                out << chunk;
            out << '\n';
        }
        out << sessions;
        std::ofstream cur(dir + "CURRENT.TSK", std::ios::binary | std::ios::trunc);
        cur << "PRJ-1000-ops " << h.last.to_readable_datetime_string() << " ACTIVE\n";
    }
    ~big_history() { std::filesystem::remove_all(h.dir); }
};

const zovbench::history& history()
{
    static big_history shared;
    return shared.h;
}

// Runs zov with the arguments; the peak resident size in MiB, or -1.
double peak_of_zov(const std::vector<std::string>& args)
{
    std::vector<std::string> all = {ZOV_PROGRAM, "--data", history().dir};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!std::freopen("/dev/null", "w", stdout))
            ::_exit(126);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage{};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_zov_peak_memory(benchmark::State& state, std::vector<std::string> args, bool fresh_index)
{
    const std::string index = history().dir + ".HOURS.TSK.index";
    double peak = 0;
    for (auto _ : state) {
        if (fresh_index) {
            state.PauseTiming();
            std::remove(index.c_str());
            state.ResumeTiming();
        }
        peak = peak_of_zov(args);
        if (peak < 0)
            state.SkipWithError("zov failed");
    }
    state.counters["peak_MiB"] = peak;
}

std::string day_text(const vu_datetime& t)
{
    return t.to_format_string("%Y-%m-%d");
}

void BM_zov_status_building_the_index(benchmark::State& state)
{
    BM_zov_peak_memory(state, {"status"}, true);
}
void BM_zov_status(benchmark::State& state)
{
    BM_zov_peak_memory(state, {"status"}, false);
}
void BM_zov_week(benchmark::State& state)
{
    BM_zov_peak_memory(state, {"week", day_text(history().last)}, false);
}
void BM_zov_report_all_years(benchmark::State& state)
{
    BM_zov_peak_memory(state, {"report", day_text(history().first), day_text(history().last), "--by", "month"},
                       false);
}
void BM_zov_tasks(benchmark::State& state)
{
    BM_zov_peak_memory(state, {"tasks"}, false);
}

}  // namespace

BENCHMARK(BM_zov_status_building_the_index)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_zov_status)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_zov_week)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_zov_report_all_years)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_zov_tasks)->Iterations(3)->Unit(benchmark::kMillisecond);
