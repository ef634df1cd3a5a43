#pragma once

#include <string>
#include <vector>

#include <zov/zovCurrent.h>
#include <zov/zovJournal.h>
#include <zov/zovLoginOut.h>
#include <zov/zovSession.h>
#include <zov/zovSinkHours.h>

class zovTimeSheet;
struct zovImportPlan;
struct zovUndoPlan;

// The recording cycle over the task files of one data folder. Every call
// reads the files again: they are the state.
class zovKernel
{
public:
    // dir ends with the path separator; the folder must exist.
    explicit zovKernel(const std::string& dir);
    zovKernel(const zovKernel&) = default;
    zovKernel& operator=(const zovKernel&) = default;
    virtual ~zovKernel();

    static std::string kernel_name();
    std::string dir() const;

    const zovCurrent& current();
    // Task names are one token: no blank, tab or control character, and no
    // leading "%". Such names are refused (false, nothing written).
    // With `at`: as of that instant, which may not lie after now, nor before
    // the last change of the state (log-in) or the running session's begin
    // (switch); refused with message() otherwise.
    bool login(const std::string& task, const vu_datetime& at = vu_datetime());
    bool next(const std::string& task, const vu_datetime& at = vu_datetime());
    bool logout();
    // Logs out as of the instant at: never later than now, never before the
    // running session's begin. LOGINOUT.TSK records that instant.
    bool logout(const vu_datetime& at);

    // The recorded sessions clipped to the range; replaced by the next call.
    const zovSinkHours& hours(const vu_datetime& lo, const vu_datetime& hi);
    // Enters a past session and cancels the recorded time it overlaps, the
    // running session's included: a running session that began before the
    // session's end goes on from that end, or ends there when the end is not
    // in the past.
    bool session(const zovSession& session, zovSinkHours& out);
    // The same with nothing in its place: the recorded time within the span
    // (and the running session's part of it) is cancelled. For time that was
    // recorded while nobody worked.
    bool cancel(const vu_datetime& from, const vu_datetime& until, zovSinkHours& out);
    // Adds sessions from another program's records, in one append: those
    // already recorded are skipped (a repeated import adds nothing), those
    // overlapping recorded time are left out, or with replace corrected in
    // like a correction. With dry_run only the plan is made.
    bool import_sessions(const std::vector<zovSession>& sessions, bool replace, bool dry_run, zovImportPlan& plan);
    // The change the next undo takes back ("switch to Review"); empty when
    // there is none.
    std::string undo_what() const;
    // Takes back the last change not taken back yet, by any program: appends
    // its lines reversed to HOURS.TSK and restores CURRENT.TSK as it was
    // before, never rewriting; itself recorded, so that the next undo takes
    // back the change before. Refused (false, message()) when the files no
    // longer match the record. With dry_run only the plan is made.
    bool undo(bool dry_run, zovUndoPlan& plan);
    // Why the last undo was refused.
    const std::string& message() const { return m_message; }

    // Fills a fresh sheet with its week's sessions and the running one.
    double tsheet(zovTimeSheet& sheet);

    // Whether the last hours, session or tsheet call could read all of
    // HOURS.TSK; when not, its figures are incomplete.
    bool read_ok() const { return m_read_ok; }

    // Whether a name can be stored as a task name.
    static bool is_valid_task_name(const std::string& task);

    // How long a change waits for another program's change to the same
    // folder before it gives up (false).
    static void set_lock_wait(int milliseconds);
    // Whether the last change failed because another program held the lock
    // for the whole wait, rather than for a file error.
    static bool lock_busy();

private:
    // The lock wait that set_lock_wait gave.
    static int wait_ms();
    // The files' extent and the state before a change, for its record.
    struct change_mark
    {
        std::int64_t hours = -1;
        std::int64_t loginout = -1;
        zovJournal::state state;
    };
    change_mark mark() const;
    // Records the change made since `before` as one entry of JOURNAL.TSK.
    void record(const change_mark& before, const std::string& what);
    bool refuse(const std::string& message);
    // Brings CURRENT.TSK in line with what HOURS.TSK and LOGINOUT.TSK show
    // was already done, after a change was cut short. Runs under the lock.
    void repair();
    // Logs out at end (already checked), under the lock.
    bool logout_locked(const vu_datetime& end);
    // Cancels what is recorded in [lo, hi] and appends session, if any.
    bool correct(const vu_datetime& lo, const vu_datetime& hi, const zovSession* session, zovSinkHours& out);

    zovLoginOut m_loginout;
    zovCurrent m_current;
    zovSinkHours m_hours;
    bool m_read_ok = true;
    std::string m_message;
};
