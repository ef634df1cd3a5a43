#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <zov/zovCurrent.h>
#include <zov/zovJournal.h>
#include <zov/zovLoginOut.h>
#include <zov/zovRules.h>
#include <zov/zovSession.h>
#include <zov/zovSettings.h>
#include <zov/zovSinkHours.h>

class zovTimeSheet;
struct zovImportPlan;
struct zovUndoPlan;

// State and log as one moment: what CURRENT.TSK said while HOURS.TSK was read,
// with no change by any program in between, and the instant it was taken.
struct zovSnapshot
{
    explicit zovSnapshot(const std::string& dir) : current(dir) {}
    zovCurrent current;
    zovSinkHours hours;  // the recorded sessions clipped to the range asked for
    vu_datetime now;
    bool read_ok = true;  // false: HOURS.TSK could not be read to its end
};

// The recording cycle over the task files of one data folder, and every rule
// that applies to them. Every program changes the files through these
// operations only, so that all obey the same rules.
//
// Each change:
// - takes the folder's lock (another program's change waits or the call
//   fails with `busy`) and checks its preconditions under it: a valid task
//   name, a readable HOURS.TSK, a writable folder;
// - first makes up a daily log-out that is due at its instant (the
//   "AutoLogout" setting of the settings file), exactly as if a program had
//   been running at the log-out time: the running session ends then, with
//   its "LOGOUT" stamp;
// - then does all of its own writes or none (a write that fails takes back
//   the ones before it);
// - reports false with last_error() and message() saying why.
// Every reader that reports the running session (current, snapshot, tsheet)
// makes up a due log-out the same way, and answers from one moment.
class zovKernel
{
public:
    // What a program means to do with the folder. A reader (status, reports)
    // never creates, renames or writes a task file; only the index of
    // HOURS.TSK, a cache, may be written.
    enum class access { change, read_only };

    // Why the last operation failed.
    enum class error
    {
        none,
        bad_name,    // not a storable task name
        bad_range,   // a span outside what may be changed; message() names the bound
        unreadable,  // HOURS.TSK could not be read
        unwritable,  // a task file could not be written; nothing was changed
        busy,        // another program held the folder's lock too long
        changed,     // the state is no longer the one the caller expected
    };

    // dir ends with the path separator; the folder must exist. The settings
    // come from zov::settings_file(), read at each operation. For changes,
    // the task files are checked first: missing ones are created, a state
    // file that cannot be read is kept aside (see kept_aside) and replaced by
    // the default state, and a change cut short is finished.
    explicit zovKernel(const std::string& dir, access mode = access::change);
    // The same with another settings file (empty: none, the defaults).
    zovKernel(const std::string& dir, const std::string& settings_file, access mode = access::change);
    zovKernel(const zovKernel&) = default;
    zovKernel& operator=(const zovKernel&) = default;
    virtual ~zovKernel();

    static std::string kernel_name();
    std::string dir() const;
    const std::string& settings_file() const { return m_settings_file; }
    // The settings as the file holds them now, or as held.
    zovSettings settings() const;
    // Settings that could not be stored: this kernel uses them instead of
    // the file's until released (the tray, for the rest of its run).
    void hold_settings(const zovSettings& settings);
    void release_settings();

    // The state, after a due daily log-out has been made up.
    const zovCurrent& current();

    // Begins recording `task` (empty: the remembered task) at now. Active
    // already: nothing is written, true. Writes LOGINOUT.TSK "LOGIN", then
    // CURRENT.TSK.
    // With `at` (set), as of that instant: not after now, not before the
    // state's last change; `bad_range` otherwise.
    bool login(const std::string& task, const vu_datetime& at = vu_datetime());
    // Active: closes the running session at now (HOURS.TSK) and runs `task`
    // from then (CURRENT.TSK); the same task: nothing. Inactive: remembers
    // `task` for the next log-in (CURRENT.TSK) and writes no session.
    // With `at` (set), as of that instant: not after now, not before the
    // running session's begin; `bad_range` otherwise, and `changed` when
    // nothing runs.
    bool next(const std::string& task, const vu_datetime& at = vu_datetime());
    // Closes the running session at now: LOGINOUT.TSK "LOGOUT", HOURS.TSK,
    // CURRENT.TSK. Inactive: nothing, true.
    bool logout();
    // Closes the session that began at `expected_begin`, as of `at` (never
    // later than now, never before its begin). When another session runs, or
    // none: nothing is written, false with `changed`. A daily log-out due
    // before `at` closes it at that earlier time instead.
    bool logout(const vu_datetime& at, const vu_datetime& expected_begin);
    // Makes up the daily log-out due now, if any. True when it logged out;
    // false with last_error() none when none was due.
    bool apply_due_logout();

    // The recorded sessions clipped to the range; replaced by the next call.
    // Does not report the running session: see snapshot.
    const zovSinkHours& hours(const vu_datetime& lo, const vu_datetime& hi);
    // The state and the recorded sessions clipped to [lo, hi] as one moment,
    // after a due daily log-out has been made up.
    zovSnapshot snapshot(const vu_datetime& lo, const vu_datetime& hi);

    // A correction: enters `session` and cancels the recorded time it
    // overlaps, the running session's included (appended reversed pieces,
    // then the session, to HOURS.TSK). The span must lie within the dates
    // the files can hold and end at the latest now (`bad_range` otherwise,
    // nothing written). A running session that began before the span's end
    // goes on from that end (or ends there when the end is now). With
    // `keep_active`, the session's task runs on from the span's end: a
    // running session is closed there, and when nobody was logged in the
    // task is logged in at now. `out` receives the lines written, or with
    // `dry_run` the lines that would be, with nothing written.
    bool correct(const zovSession& session, bool keep_active, zovSinkHours& out, bool dry_run = false);
    // correct(session, false, out).
    bool session(const zovSession& session, zovSinkHours& out);
    // The same with nothing in its place: the recorded time within the span
    // (and the running session's part of it) is cancelled. For time that was
    // recorded while nobody worked.
    bool cancel(const vu_datetime& from, const vu_datetime& until, zovSinkHours& out, bool dry_run = false);

    // Adds sessions from another program's records, in one append: those
    // already recorded are skipped (a repeated import adds nothing), those
    // overlapping recorded time are left out, or with replace corrected in
    // like a correction. With dry_run only the plan is made.
    bool import_sessions(const std::vector<zovSession>& sessions, bool replace, bool dry_run, zovImportPlan& plan);

    // The change the next undo takes back ("switch to Review"); empty when
    // there is none.
    std::string undo_what() const;
    // Takes back the last change not taken back yet, made by any program:
    // appends its lines reversed to HOURS.TSK and restores CURRENT.TSK as it
    // was before, never rewriting; itself recorded, so that the next undo
    // takes back the change before. Refused (`changed`) when the files no
    // longer match the record. With dry_run only the plan is made.
    bool undo(bool dry_run, zovUndoPlan& plan);

    // The away answers. "Log out at <from>": the session asked about ends
    // where the absence began; when the daily log-out closed it inside the
    // absence, its time from the absence's begin on is cancelled. When
    // another session runs now: nothing written, false with `changed`.
    bool away_log_out(const zov::away_question& question);
    // "Book it to <task>": the absence becomes a session of `task` (ending
    // before now, so that the running session goes on after it), after a due
    // daily log-out has been made up.
    bool away_book(const zov::away_question& question, const std::string& task);

    // Fills a fresh sheet with its week's sessions and the running one, from
    // one moment.
    double tsheet(zovTimeSheet& sheet);

    // Whether the last hours, snapshot, correction or tsheet call could read
    // all of HOURS.TSK; when not, its figures are incomplete.
    bool read_ok() const { return m_read_ok; }
    // Why the last change failed, and a sentence for the user.
    error last_error() const { return m_error; }
    const std::string& message() const { return m_message; }

    // Whether a name can be stored as a task name: one word, without blanks,
    // tabs or control characters, not beginning with "%", and no longer than
    // max_task_name bytes (its line must stay far below the line bound that
    // every reader skips beyond).
    static bool is_valid_task_name(const std::string& task);
    static constexpr std::size_t max_task_name = 200;
    // Whether an instant can be written to and read back from the task files.
    static bool is_storable_time(const vu_datetime& t);

    // How long a change waits for another program's change to the same
    // folder before it gives up (false).
    static void set_lock_wait(int milliseconds);

    // The name under which the start-up check kept an unreadable CURRENT.TSK
    // (in the data folder); empty when it found nothing wrong. The program
    // must tell the user: the state started afresh.
    const std::string& kept_aside() const { return m_kept_aside; }
    // Whether CURRENT.TSK is missing, empty or holds a readable state: false
    // when a reader would have to guess the state.
    bool state_readable() const;

private:

    bool fail(error e, const std::string& message);
    // Checks what every change needs, under the lock: a readable HOURS.TSK
    // and a writable folder. Reads the state into m_current (an unreadable
    // state line leaves the last known state).
    bool ready();
    // Brings CURRENT.TSK in line with what HOURS.TSK and LOGINOUT.TSK show
    // was already done, after a change was cut short. Runs under the lock.
    void repair();
    // The daily log-out due at `at`, made up under the lock. False only when
    // it was due and could not be written.
    bool make_up_logout(const vu_datetime& at, bool& done);
    // Logs out at end (already checked), under the lock.
    bool logout_locked(const vu_datetime& end, const std::string& what);
    // Cancels what is recorded in [lo, hi] and appends session, if any;
    // under the lock.
    // `what` names the change in the record of changes.
    bool correct_locked(const vu_datetime& lo, const vu_datetime& hi, const zovSession* session,
                        bool keep_active, bool dry_run, zovSinkHours& out, const std::string& what);
    bool check_span(const vu_datetime& lo, const vu_datetime& hi, const vu_datetime& now);
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

    std::string m_dir;
    std::string m_settings_file;
    bool m_settings_held = false;
    zovSettings m_held;
    zovLoginOut m_loginout;
    zovCurrent m_current;
    zovSinkHours m_hours;
    bool m_read_ok = true;
    std::string m_kept_aside;
    error m_error = error::none;
    std::string m_message;
};
