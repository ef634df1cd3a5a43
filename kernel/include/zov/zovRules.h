#pragma once
// The rules every program applies to the recording state, as decisions
// without files or windows: when the daily log-out is due, and what an
// absence asks about. The kernel's operations act on them; tests reach them
// directly.

#include <string>

#include <vu_utils/vu_datetime.h>

namespace zov {

// The wall-clock time of day `seconds` after midnight on the local calendar
// day of `day`. A time that the clock skips (spring) moves on by the gap; a
// repeated one (autumn) is its first occurrence.
vu_datetime wall_time_on(const vu_datetime& day, long seconds);

// The daily log-out that is due for a session running since `begin`, checked
// at `now`: the first log-out time after the session's begin (the setting's
// time of day on a calendar day), once it has passed. A session that began at
// or after a day's log-out time is the user's decision and runs on to the
// next day's. No memory and no window: a check at any moment after the
// log-out time (a late timer, a resume from sleep, a command the next
// morning) closes the session at that time, never later, never before its
// begin, never in the future. Not-a-date-time when nothing is due: switched
// off, 00:00 (stored as 0), or no running session. `set_at`, when given, is
// when the setting took its value: a log-out time before it never counts, so
// switching the log-out on (or moving it) at 18:00 to 17:00 does not cut the
// hour just worked; the session ends at the next day's 17:00.
vu_datetime auto_logout_instant(long setting, const vu_datetime& begin, const vu_datetime& now,
                                const vu_datetime& set_at = vu_datetime());

// The recording state as read on the user's return from an absence.
struct away_state
{
    bool active = false;
    std::string task;
    vu_datetime time;  // begin of the running session, or of the last change
};

// What to ask about: the part of the absence [from, until] during which the
// session of `task` ran.
struct away_question
{
    bool ask = false;
    std::string task;
    vu_datetime begin;  // the session's begin, when it still runs
    vu_datetime from;
    vu_datetime until;
};

// The question for an absence from `left` to `back`, given the state read on
// return, the "AutoLogout" setting (and when it was set) and the "AskAway"
// setting (minutes). Asked when the setting is on and the session ran for at
// least that many minutes of the absence. A daily log-out that fell inside
// the absence ends the span there: what comes after it is not the session's
// any more. That log-out shows as an inactive state whose time is that day's
// log-out time, inside the absence; a log-out still due counts the same.
away_question question_for(const vu_datetime& left, const vu_datetime& back,
                           const away_state& state, long auto_logout, long ask_away,
                           const vu_datetime& auto_logout_set = vu_datetime());

// A second absence before the answer: the question spans both and all
// between. Re-decided on the state read now; when that no longer gives a
// question (the user logged out meanwhile) the open one stays as it was.
away_question extended(const away_question& open, const vu_datetime& left,
                       const vu_datetime& back, const away_state& state, long auto_logout,
                       long ask_away, const vu_datetime& auto_logout_set = vu_datetime());

}  // namespace zov
