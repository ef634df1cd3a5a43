#include "zovAwayRules.h"

#include <algorithm>

#include <zov/zovKernel.h>
#include <zov/zovSinkHours.h>

#include "zovTrayRules.h"

namespace zovtray {

namespace {

vu_datetime seconds_before(const vu_datetime& t, long seconds)
{
    vu_datetime earlier;
    earlier.set_time_t(t.to_time_t() - seconds);
    return earlier;
}

}  // namespace

long usable_ask_away(long stored)
{
    const long minutes = stored < 0 ? -stored : stored;
    if (minutes < ask_away_min || minutes > ask_away_max)
        return default_ask_away;
    return stored;
}

away_question question_for(const vu_datetime& left, const vu_datetime& back,
                           const away_state& state, long auto_logout, long ask_away,
                           const vu_datetime& auto_logout_set)
{
    away_question question;
    if (ask_away <= 0 || left.is_not_a_date_time() || back.is_not_a_date_time()
        || state.time.is_not_a_date_time() || !(left < back))
        return question;
    if (state.active) {
        if (!(state.time < back))
            return question;  // logged in after the return
        question.begin = state.time;
        question.from = max(left, state.time);
        question.until = back;
        const vu_datetime due =
            auto_logout_instant(auto_logout, state.time, back, auto_logout_set);
        if (!due.is_not_a_date_time() && due < back)
            question.until = due;
    }
    else {
        // Closed inside the absence at that day's log-out time: by the
        // daily log-out, since nobody was there to log out by hand.
        const long setting = usable_auto_logout(auto_logout);
        if (setting <= 0 || !(left < state.time) || back < state.time
            || wall_time_on(state.time, setting) != state.time)
            return question;
        question.from = left;
        question.until = state.time;
    }
    if (!(question.from < question.until) || question.until.diff_seconds(question.from) < ask_away * 60.0)
        return away_question();
    question.ask = true;
    question.task = state.task;
    return question;
}

away_question extended(const away_question& open, const vu_datetime& left,
                       const vu_datetime& back, const away_state& state, long auto_logout,
                       long ask_away, const vu_datetime& auto_logout_set)
{
    // Short gaps (a minute without input) are no second absence.
    if (!open.ask || ask_away <= 0 || !(left < back) || back.diff_seconds(left) < ask_away * 60.0)
        return open;
    const away_question wider = question_for(min(open.from, left), max(open.until, back), state,
                                             auto_logout, ask_away, auto_logout_set);
    if (!wider.ask || wider.task != open.task)
        return open;
    return wider;
}

bool idle_absence(const idle_sample& previous, const idle_sample& latest, long minimum_seconds,
                  vu_datetime& left, vu_datetime& back)
{
    if (previous.at.is_not_a_date_time() || latest.at.is_not_a_date_time()
        || previous.idle_seconds < minimum_seconds || latest.idle_seconds < 0)
        return false;
    const vu_datetime last_before = seconds_before(previous.at, previous.idle_seconds);
    const vu_datetime last_after = seconds_before(latest.at, latest.idle_seconds);
    // Input since the previous sample restarted the idle count.
    if (!(previous.at < last_after))
        return false;
    left = last_before;
    back = last_after;
    return true;
}

long screensaver_idle_per_second(const char* current_desktop)
{
    // A colon-separated list, e.g. "KDE" or "ubuntu:KDE".
    const std::string desktops = current_desktop ? current_desktop : "";
    std::size_t start = 0;
    while (start <= desktops.size()) {
        const std::size_t end = std::min(desktops.find(':', start), desktops.size());
        if (desktops.compare(start, end - start, "KDE") == 0)
            return 1000;
        start = end + 1;
    }
    return 1;
}

wxString clock_text(const vu_datetime& t)
{
    return from_bytes(t.to_format_string("%H:%M"));
}

wxString span_text(const vu_datetime& from, const vu_datetime& until)
{
    // Between the minutes shown, so that 12:03 to 13:10 reads 1:07 whatever
    // the seconds were.
    auto minute_of = [](const vu_datetime& t) {
        const std::int64_t s = t.to_time_t();
        return s >= 0 ? s / 60 : -((-s + 59) / 60);
    };
    std::int64_t minutes = minute_of(until) - minute_of(from);
    if (minutes < 0)
        minutes = 0;
    return wxString::Format("%lld:%02lld", static_cast<long long>(minutes / 60),
                            static_cast<long long>(minutes % 60));
}

wxString away_text(const away_question& question)
{
    return wxString::Format("You were away from %s to %s (%s) while \"%s\" was running.",
                            clock_text(question.from), clock_text(question.until),
                            span_text(question.from, question.until), from_bytes(question.task));
}

wxString keep_label()
{
    return "Keep it";
}

wxString log_out_label(const away_question& question)
{
    return "Log out at " + clock_text(question.from);
}

wxString book_label(const wxString& task, const away_question& question)
{
    return wxString::Format("Book it to %s and go on with %s", task.empty() ? "..." : task,
                            from_bytes(question.task));
}

bool answer_log_out(zovKernel& kernel, const away_question& question)
{
    if (!question.ask)
        return false;
    // Only the very session asked about: not one begun since.
    const zovCurrent& current = kernel.current();
    if (current.active() && current.task() == question.task && current.time() == question.begin)
        return kernel.logout(question.from);
    // The daily log-out closed it inside the absence: its time from the
    // moment the user left is cancelled, as if logged out then.
    if (!current.active() && current.task() == question.task && current.time() == question.until) {
        double recorded = 0.0;
        for (const zovSession& piece : kernel.hours(question.from, question.until))
            recorded += piece.hours();
        if (recorded * 3600.0 < 1.0)
            return false;  // cancelled already
        zovSinkHours written;
        return kernel.cancel(question.from, question.until, written);
    }
    return false;
}

bool answer_book(zovKernel& kernel, const away_question& question, const std::string& task)
{
    if (!question.ask || !zovKernel::is_valid_task_name(task))
        return false;
    vu_datetime now;
    now.set_local_time();
    // A booking that reaches the present would end the running session
    // rather than let it go on after it.
    vu_datetime until = question.until;
    if (!(until < now))
        until = seconds_before(now, 1);
    if (!(question.from < until))
        return false;
    zovSinkHours written;
    return kernel.session(zovSession(task, question.from, until), written);
}

}  // namespace zovtray
