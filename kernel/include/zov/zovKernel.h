#pragma once

#include <cstddef>
#include <string>

#include <zov/zovCurrent.h>
#include <zov/zovLoginOut.h>
#include <zov/zovSession.h>
#include <zov/zovSinkHours.h>

class zovTimeSheet;

// The recording cycle over the task files of one data folder. Every call
// reads the files again: they are the state.
class zovKernel
{
public:
    // What a program means to do with the folder. A reader (status, reports)
    // never creates, renames or writes a task file; only the index of
    // HOURS.TSK, a cache, may be written.
    enum class access { change, read_only };

    // dir ends with the path separator; the folder must exist. For changes,
    // the task files are checked first: missing ones are created, a state
    // file that cannot be read is kept aside (see kept_aside) and replaced by
    // the default state, and a change cut short is finished.
    explicit zovKernel(const std::string& dir, access mode = access::change);
    zovKernel(const zovKernel&) = default;
    zovKernel& operator=(const zovKernel&) = default;
    virtual ~zovKernel();

    static std::string kernel_name();
    std::string dir() const;

    const zovCurrent& current();
    // Task names are one token: no blank, tab or control character, and no
    // leading "%". Such names are refused (false, nothing written).
    bool login(const std::string& task);
    bool next(const std::string& task);
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
    // Fills a fresh sheet with its week's sessions and the running one.
    double tsheet(zovTimeSheet& sheet);

    // Whether the last hours, session or tsheet call could read all of
    // HOURS.TSK; when not, its figures are incomplete.
    bool read_ok() const { return m_read_ok; }

    // Whether a name can be stored as a task name: one word, without blanks,
    // tabs or control characters, not beginning with "%", and no longer than
    // max_task_name bytes (its line must stay far below the line bound that
    // every reader skips beyond).
    static bool is_valid_task_name(const std::string& task);
    static constexpr std::size_t max_task_name = 200;

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
    std::string m_kept_aside;
};
