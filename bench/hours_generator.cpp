#include "hours_generator.h"

#include <fstream>
#include <map>
#include <sys/stat.h>
#include <random>
#include <vector>
#include <ctime>

#include <zovkernel.h>

namespace zovbench {

history generate_history(const std::string& dir, const vu_datetime& end, int years, int tasks,
                         std::uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<std::string> names;
    for (int i = 0; i < tasks; ++i)
        names.push_back("PRJ-" + std::to_string(1000 + i * 7) + (i % 3 ? "-dev" : "-ops"));
    std::uniform_int_distribution<int> task_pick(0, tasks - 1);
    std::uniform_int_distribution<int> minutes(5, 60);
    std::uniform_int_distribution<int> start_minute(6 * 60, 8 * 60);
    std::uniform_int_distribution<int> percent(0, 99);

    history h;
    h.dir = dir;
    h.sessions = 0;
    std::ofstream out(dir + "HOURS.TSK", std::ios::binary | std::ios::trunc);
    out << "% task hours t1 t2\n";
    const vu_datetime today = end.date();
    vu_datetime day;
    day.set_jdn(today.to_jdn() - 365.25 * years);
    day = day.date();
    // About forty sessions a working day: ten years make some 100,000 lines.
    for (; day < today; day.set_jdn(day.to_jdn() + 1.5), day = day.date()) {
        if (day.to_day_of_week2() >= 5)
            continue;
        vu_datetime t;
        t.set_jdn(day.to_jdn() + start_minute(rng) / 1440.0);
        const int count = 36 + percent(rng) % 9;
        for (int i = 0; i < count; ++i) {
            vu_datetime e;
            e.set_jdn(t.to_jdn() + minutes(rng) / 1440.0);
            const zovSession s(names[static_cast<std::size_t>(task_pick(rng))], t, e);
            out << s.to_file_string() << '\n';
            if (h.sessions == 0)
                h.first = t;
            ++h.sessions;
            if (percent(rng) == 0) {
                // Now and then a correction: a reversed copy of a piece.
                zovSession piece = s;
                out << piece.reverse().to_file_string() << '\n';
                ++h.sessions;
            }
            h.last = e;
            t = e;
        }
    }
    std::ofstream cur(dir + "CURRENT.TSK", std::ios::binary | std::ios::trunc);
    cur << names[0] << ' ' << h.last.to_readable_datetime_string() << " INACTIVE\n";
    return h;
}

namespace {

// Collects every session line in file order.
class all_sessions : public zovSink
{
public:
    bool operator()(const std::string& line) override
    {
        const zovSession s(line);
        if (s.is_valid())
            m_sessions.push_back(s);
        return true;
    }
    std::vector<zovSession> m_sessions;
};

std::string utc_stamp(const vu_datetime& t)
{
    const std::time_t secs = static_cast<std::time_t>(t.to_time_t());
    std::tm tm{};
    ::gmtime_r(&secs, &tm);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y%m%dT%H%M%SZ", &tm);
    return buffer;
}

}  // namespace

std::size_t write_timewarrior(const std::string& hours_file, const std::string& tw_dir)
{
    const std::string dir = hours_file.substr(0, hours_file.rfind('/') + 1);
    all_sessions sink;
    zovHours(dir).read(sink);
    std::vector<zovSession> kept;
    for (const zovSession& s : sink.m_sessions) {
        if (s.hours() < 0.0) {
            // The generator cancels the session right before.
            if (!kept.empty() && kept.back().tbeg() == s.tend() && kept.back().tend() == s.tbeg())
                kept.pop_back();
            continue;
        }
        kept.push_back(s);
    }
    ::mkdir((tw_dir + "/data").c_str(), 0700);
    std::ofstream(tw_dir + "/timewarrior.cfg", std::ios::trunc);
    std::map<std::string, std::ofstream> files;
    for (const zovSession& s : kept) {
        const std::string month = s.tbeg().to_format_string("%Y-%m");
        auto it = files.find(month);
        if (it == files.end())
            it = files.emplace(month, std::ofstream(tw_dir + "/data/" + month + ".data", std::ios::trunc)).first;
        it->second << "inc " << utc_stamp(s.tbeg()) << " - " << utc_stamp(s.tend()) << " # " << s.task() << '\n';
    }
    return kept.size();
}

}  // namespace zovbench
