// One kernel operation as a whole process, for tests that kill, fail or
// race it from outside: zov_test_op DIR OP [ARGS...]. The clock is
// ZOV_TEST_NOW (local "YYYY-MM-DDTHH:MM:SS") when set.
//
//   start                      construct the kernel (start-up checks)
//   login TASK | next TASK | logout
//   logout AT BEGIN            close the session begun at BEGIN as of AT
//   due                        make up the daily log-out due now
//   session TASK FROM UNTIL    enter a correction
//   active TASK FROM UNTIL     the same, the task running on afterwards
//   cancel FROM UNTIL          cancel what is recorded in the span
//   undo                       take back the last change
//
// The settings file is ZOV_TEST_SETTINGS when set (else none: the defaults).
//   hours FROM UNTIL           print "task hours" per task, net over the range
//
// Exit status: 0 done, 1 the kernel said false, 2 usage, 3 HOURS.TSK could
// not be read whole.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include <zovkernel.h>

namespace {

bool parse(const char* text, vu_datetime& out)
{
    return out.parse_readable_datetime_string(text);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    if (const char* now = std::getenv("ZOV_TEST_NOW")) {
        vu_datetime t;
        if (!parse(now, t))
            return 2;
        const std::int64_t secs = t.to_time_t();
        vu_datetime::set_clock([secs] { return secs; });
    }
    std::string dir = argv[1];
    if (dir.back() != '/')
        dir += '/';
    const std::string op = argv[2];
    const char* settings = std::getenv("ZOV_TEST_SETTINGS");
    zovKernel kernel(dir, settings ? settings : "");
    bool ok = true;
    if (op == "start") {
    } else if (op == "login" && argc == 4) {
        ok = kernel.login(argv[3]);
    } else if (op == "next" && argc == 4) {
        ok = kernel.next(argv[3]);
    } else if (op == "logout" && argc == 3) {
        ok = kernel.logout();
    } else if (op == "logout" && argc == 5) {
        vu_datetime at, begin;
        if (!parse(argv[3], at) || !parse(argv[4], begin))
            return 2;
        ok = kernel.logout(at, begin);
    } else if (op == "due" && argc == 3) {
        ok = kernel.apply_due_logout() || kernel.last_error() == zovKernel::error::none;
    } else if ((op == "session" || op == "active") && argc == 6) {
        vu_datetime from, until;
        if (!parse(argv[4], from) || !parse(argv[5], until))
            return 2;
        zovSinkHours out;
        ok = kernel.correct(zovSession(argv[3], from, until), op == "active", out);
        if (!ok && kernel.last_error() == zovKernel::error::unreadable)
            return 3;
    } else if (op == "cancel" && argc == 5) {
        vu_datetime from, until;
        if (!parse(argv[3], from) || !parse(argv[4], until))
            return 2;
        zovSinkHours out;
        ok = kernel.cancel(from, until, out);
    } else if (op == "undo" && argc == 3) {
        zovUndoPlan plan;
        ok = kernel.undo(false, plan);
    } else if (op == "hours" && argc == 5) {
        vu_datetime from, until;
        if (!parse(argv[3], from) || !parse(argv[4], until))
            return 2;
        std::map<std::string, double> net;
        for (const zovSession& s : kernel.hours(from, until))
            net[s.task()] += s.hours();
        if (!kernel.read_ok())
            return 3;
        for (const auto& [task, hours] : net)
            std::printf("%s %.4f\n", task.c_str(), hours);
    } else {
        return 2;
    }
    return ok ? 0 : 1;
}
