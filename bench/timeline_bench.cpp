// The "Timeline" page with a busy week: 300 sessions of twelve tasks, some
// corrected, one running. The picture is worked out by the kernel and drawn
// into a memory bitmap as the page draws itself (wxGraphicsContext). Needs a
// display (make bench runs it under xvfb-run).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/graphics.h>
#include <wx/init.h>

#include <zovkernel.h>

#include "TimelineCanvas.h"

namespace {

// 300 recorded sessions in week 50 of 2026: about 43 a day of 5 to 30
// minutes, back to back from 06:00, every tenth corrected in its middle
// (a cancelling line and a session of another task: 360 lines).
std::vector<zovSession> busy_week()
{
    std::mt19937 random(50);
    std::vector<zovSession> lines;
    vu_datetime t;
    t.set_local(2026, 12, 7, 6);
    for (int i = 0; i < 300; ++i) {
        if (i % 43 == 0 && i > 0)
            t.set_local(2026, 12, 7 + i / 43, 6);
        const std::string task = "Task" + std::to_string(random() % 12);
        vu_datetime end;
        end.set_time_t(t.to_time_t() + 300 + static_cast<std::int64_t>(random() % 1500));
        lines.push_back(zovSession(task, t, end));
        if (i % 10 == 9) {
            vu_datetime a, b;
            a.set_time_t(t.to_time_t() + 60);
            b.set_time_t(t.to_time_t() + 180);
            lines.push_back(zovSession(task, b, a));
            lines.push_back(zovSession("Other", a, b));
        }
        t = end;
    }
    return lines;
}

zovTimeline make_timeline(const std::vector<zovSession>& lines)
{
    vu_datetime monday, since, now;
    monday.set_local(2026, 12, 7);
    since.set_local(2026, 12, 13, 20);
    now.set_local(2026, 12, 13, 22);
    zovTimeline t(monday, 7);
    for (const zovSession& s : lines)
        t.add(s);
    t.set_running("Task1", since, now);
    t.compute();
    return t;
}

void BM_TimelineCompute(benchmark::State& state)
{
    const std::vector<zovSession> lines = busy_week();
    for (auto _ : state) {
        zovTimeline t = make_timeline(lines);
        benchmark::DoNotOptimize(t.bars().data());
    }
    state.counters["bars"] = static_cast<double>(make_timeline(lines).bars().size());
}
BENCHMARK(BM_TimelineCompute)->Unit(benchmark::kMillisecond);

// The page's whole picture, at the size a maximised window gives it, at
// 1x and at 2x the pixels (a high-density screen).
void BM_TimelineDraw(benchmark::State& state)
{
    const double scale = static_cast<double>(state.range(0));
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "bench");
    TimelineCanvas* canvas = new TimelineCanvas(frame);
    canvas->SetTimeline(make_timeline(busy_week()));
    const wxSize size(1200, 320);
    wxBitmap bitmap;
    bitmap.CreateWithDIPSize(size, scale, 24);
    for (auto _ : state) {
        wxMemoryDC dc(bitmap);
        std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
        canvas->Draw(*gc, size);
    }
    state.counters["bars"] = static_cast<double>(canvas->GetTimeline().bars().size());
    frame->Destroy();
}
BENCHMARK(BM_TimelineDraw)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    setenv("TZ", "Europe/Berlin", 1);
    vu_datetime::reset_time_zone();
    benchmark::Initialize(&argc, argv);
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "zov_timeline_bench: the toolkit could not start (no display?)\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    wxEntryCleanup();
    return 0;
}
