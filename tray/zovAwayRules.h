#pragma once
// Away time: which part of an absence to ask about, how the question reads,
// and how an answer reaches the files. Without windows, so that tests reach
// every decision directly.

#include <string>

#include <wx/string.h>

#include <vu_utils/vu_datetime.h>

class zovKernel;

namespace zovtray {

// The stored "AskAway" as the program uses it: minutes, negative when
// switched off (the sign is the switch, as for "AutoLogout"). Anything outside
// 5-240 either way reads as the default, 15 minutes switched on.
long usable_ask_away(long stored);
constexpr long default_ask_away = 15;
constexpr long ask_away_min = 5;
constexpr long ask_away_max = 240;

// The recording state as read on the user's return.
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
// return, the "AutoLogout" setting and the "AskAway" setting (minutes).
// Asked when the setting is on and the session ran for at least that many
// minutes of the absence. A daily log-out that fell inside the absence ends
// the span there: what comes after it is not the session's any more. That
// log-out shows as an inactive state whose time is that day's log-out time,
// inside the absence; a log-out still due (the check has not run yet) counts
// the same.
// `auto_logout_set` is when that setting took its value (see
// auto_logout_instant).
away_question question_for(const vu_datetime& left, const vu_datetime& back,
                           const away_state& state, long auto_logout, long ask_away,
                           const vu_datetime& auto_logout_set = vu_datetime());

// A second absence before the answer: the question spans both and all
// between. Re-decided on the state read now; when that no longer gives a
// question (the user logged out meanwhile) the open one stays as it was.
away_question extended(const away_question& open, const vu_datetime& left,
                       const vu_datetime& back, const away_state& state, long auto_logout,
                       long ask_away, const vu_datetime& auto_logout_set = vu_datetime());

// An absence seen by sampling the idle time: the last input before it and
// the last input seen after it. `previous` and `latest` are the sampling
// instants, with the idle seconds each saw.
struct idle_sample
{
    vu_datetime at;
    long idle_seconds = 0;
};
// True, with [left, back], when there was input since the previous sample
// after at least `minimum_seconds` without any: the absence is over.
bool idle_absence(const idle_sample& previous, const idle_sample& latest, long minimum_seconds,
                  vu_datetime& left, vu_datetime& back);

// What org.freedesktop.ScreenSaver.GetSessionIdleTime counts in, by the
// desktop named in XDG_CURRENT_DESKTOP: KDE's answers milliseconds, the
// others seconds, as the interface was first written.
long screensaver_idle_per_second(const char* current_desktop);

// "12:03" local time.
wxString clock_text(const vu_datetime& t);
// "1:07", hours and minutes between the two (whole minutes, rounded down).
wxString span_text(const vu_datetime& from, const vu_datetime& until);
// "You were away from 12:03 to 13:10 (1:07) while "K" was running."
wxString away_text(const away_question& question);
wxString keep_label();
// "Log out at 12:03"
wxString log_out_label(const away_question& question);
// "Book it to L and go on with K"; "Book it to … and go on with K" without a task.
wxString book_label(const wxString& task, const away_question& question);

// The answers, through the kernel's operations only. False when nothing
// could be written (or, for the log-out, when the session asked about no
// longer runs).
bool answer_log_out(zovKernel& kernel, const away_question& question);
// A daily log-out that is due must have acted before the booking (the caller
// runs the check), or the session would go on past it from the booking's end.
bool answer_book(zovKernel& kernel, const away_question& question, const std::string& task);

}  // namespace zovtray
