// export: the records in another program's format.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include <zov/zovDataDir.h>
#include <zov/zovKernel.h>
#include <zov/zovNetSessions.h>

#include "Commands.h"
#include "Ics.h"
#include "Timewarrior.h"

namespace zovcli {

namespace {

// All recorded sessions, after corrections.
bool all_sessions(context& c, std::vector<zov::net_session>& out)
{
    vu_datetime lo, hi;
    lo.set_time_t(0);
    hi.set_local(9999, 1, 1);
    const zovSinkHours& pieces = c.kernel.hours(lo, hi);
    out = zov::net_sessions(std::vector<zovSession>(pieces.begin(), pieces.end()));
    return c.kernel.read_ok();
}

bool write_whole(const std::string& path, const std::string& text)
{
    const std::string temp = path + ".zov-tmp";
    {
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        f << text;
        f.flush();
        if (!f)
            return false;
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

}  // namespace

int cmd_export(context& c, const std::string& target)
{
    std::vector<zov::net_session> sessions;
    if (!all_sessions(c, sessions))
        return c.read_failed();
    std::string dir = target;
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    const std::string data = dir + "data/";
    std::error_code ec;
    // Into an empty database only: Timewarrior's own records are not ours to mix.
    if (std::filesystem::is_directory(data, ec)) {
        for (const auto& entry : std::filesystem::directory_iterator(data, ec)) {
            if (entry.path().extension() == ".data" && entry.path().filename() != "tags.data")
                return c.fail(refused, data + " already holds Timewarrior records; export into a new folder");
        }
    }
    if (!zov::make_dirs(data))
        return c.fail(refused, "cannot create " + data + ": " + std::strerror(errno));
    std::map<std::string, std::string> files;  // "2026-12" -> lines
    nlohmann::json tags = nlohmann::json::object();
    for (const zov::net_session& s : sessions) {
        nlohmann::json& count = tags[s.task]["count"];
        count = count.is_null() ? 1 : count.get<int>() + 1;
        const std::string stamp = utc_stamp(s.begin);
        files[stamp.substr(0, 4) + "-" + stamp.substr(4, 2)] += timew_line(s.begin, s.end, s.task) + "\n";
    }
    for (const auto& [month, lines] : files) {
        if (!write_whole(data + month + ".data", lines))
            return c.fail(refused, "cannot write " + data + month + ".data: " + std::strerror(errno));
    }
    // Timewarrior's tag index, which it would otherwise rebuild with a notice.
    if (!write_whole(data + "tags.data", tags.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n"))
        return c.fail(refused, "cannot write " + data + "tags.data: " + std::strerror(errno));
    if (!std::filesystem::exists(dir + "timewarrior.cfg", ec) && !write_whole(dir + "timewarrior.cfg", ""))
        return c.fail(refused, "cannot write " + dir + "timewarrior.cfg: " + std::strerror(errno));
    std::ostringstream text;
    text << "exported " << sessions.size() << " sessions into " << files.size() << " files in " << data << '\n';
    c.out << text.str() << std::flush;
    return ok;
}

}  // namespace zovcli
