// import: another time tracker's records, added as one change.
#include <map>
#include <sstream>

#include <zov/zovImport.h>
#include <zov/zovKernel.h>

#include "Commands.h"
#include "Importers.h"
#include "Output.h"

namespace zovcli {

namespace {

void per_task(std::ostream& text, const std::vector<zovSession>& sessions)
{
    std::map<std::string, std::pair<int, double>> sums;
    double total = 0.0;
    for (const zovSession& s : sessions) {
        sums[s.task()].first += 1;
        sums[s.task()].second += s.hours();
        total += s.hours();
    }
    std::size_t width = 5;
    for (const auto& [task, sum] : sums)
        width = std::max(width, task.size());
    for (const auto& [task, sum] : sums)
        text << "  " << task << std::string(width - task.size(), ' ') << "  " << hours_text(sum.second, 2)
             << " h in " << sum.first << (sum.first == 1 ? " session\n" : " sessions\n");
    text << "  " << "Total" << std::string(width - 5, ' ') << "  " << hours_text(total, 2) << " h\n";
}

void listed(std::ostream& text, const std::vector<zovSession>& sessions)
{
    for (const zovSession& s : sessions)
        text << "  " << iso(s.tbeg()) << "  " << iso(s.tend()) << "  " << hours_text(s.hours()) << "  " << s.task()
             << '\n';
}

}  // namespace

int cmd_import(context& c, const std::string& source, const std::string& where, bool replace, bool dry_run)
{
    imported found;
    std::string error;
    bool read = false;
    if (source == "timewarrior")
        read = read_timewarrior(where.empty() ? default_timewarrior_dir() : where, found, error);
    else if (source == "watson")
        read = read_watson(where.empty() ? default_watson_file() : where, found, error);
    else if (source == "gtimelog")
        read = read_gtimelog(where.empty() ? default_gtimelog_file() : where, found, error);
    else if (where.empty())
        return c.fail(usage, "import csv needs the FILE to read");
    else
        read = read_csv(where, found, error);
    if (!read)
        return c.fail(refused, error);

    zovImportPlan plan;
    if (!c.kernel.import_sessions(found.sessions, replace, dry_run, plan)) {
        if (!c.kernel.read_ok())
            return c.read_failed();
        return c.change_failed();
    }
    std::ostringstream text;
    for (const std::string& note : found.notes)
        c.err << "zov: " << note << '\n';
    const std::vector<zovSession>& taken = plan.added;
    std::vector<zovSession> all = taken;
    all.insert(all.end(), plan.replaced.begin(), plan.replaced.end());
    text << (dry_run ? "would add " : "added ") << all.size() << (all.size() == 1 ? " session" : " sessions");
    if (!plan.replaced.empty())
        text << " (" << plan.replaced.size() << " correcting what was recorded)";
    text << ":\n";
    if (dry_run)
        listed(text, all);
    per_task(text, all);
    if (!plan.present.empty())
        text << plan.present.size() << " already recorded, left alone\n";
    if (!plan.overlapping.empty()) {
        text << plan.overlapping.size() << " overlapping recorded time, left out"
             << (replace ? " (they overlap the running session or each other):\n"
                         : " (zov import --replace corrects them in):\n");
        listed(text, plan.overlapping);
    }
    c.out << text.str() << std::flush;
    return ok;
}

}  // namespace zovcli
