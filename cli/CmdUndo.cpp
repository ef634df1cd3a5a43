// cancel and undo: taking time out of the record, and taking back a change.
#include <sstream>

#include <zov/zovKernel.h>
#include <zov/zovUndo.h>

#include "Args.h"
#include "Commands.h"
#include "Output.h"

namespace zovcli {

namespace {

std::string state_text(const zovJournal::state& s)
{
    return s.task + (s.active ? " working since " : " sleeping since ") + s.time.to_format_string("%Y-%m-%d %H:%M");
}

}  // namespace

int cmd_cancel(context& c, const std::string& from, const std::string& until, bool dry_run)
{
    range r;
    if (const int status = read_range(c, from, until, r))
        return status;
    zovSinkHours written;
    if (!c.kernel.cancel(r.lo, r.hi, written, dry_run))
        return c.change_failed();
    std::ostringstream text;
    for (const zovSession& line : written)
        text << line.to_file_string() << '\n';
    c.out << text.str() << std::flush;
    return ok;
}

int cmd_undo(context& c, bool dry_run)
{
    zovUndoPlan plan;
    if (!c.kernel.undo(dry_run, plan))
        return c.change_failed();
    std::ostringstream text;
    text << (dry_run ? "would undo " : "undid ") << plan.what << '\n';
    for (const zovSession& line : plan.lines)
        text << "  " << line.to_file_string() << '\n';
    text << "  " << state_text(plan.state) << '\n';
    c.out << text.str() << std::flush;
    return ok;
}

}  // namespace zovcli
