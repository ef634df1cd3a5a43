#include <zov/zovRules.h>

#include <cstdio>

#include <zov/zovDays.h>
#include <zov/zovSettings.h>

namespace zov {

vu_datetime wall_time_on(const vu_datetime& day, long seconds)
{
    int year = 0, month = 0, mday = 0;
    vu_datetime at;
    if (day.is_not_a_date_time()
        || std::sscanf(day.to_format_string("%Y-%m-%d").c_str(), "%d-%d-%d", &year, &month, &mday)
               != 3)
        return at;
    at.set_local(year, month, mday, static_cast<int>(seconds / 3600),
                 static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return at;
}

namespace {

// The first moment at the setting's time of day that is later than `t` (or,
// with `or_at`, equal to it): on t's calendar day, or else on the next one
// (never 24 hours on: days of 23 and 25 hours exist).
vu_datetime next_logout_time(long setting, const vu_datetime& t, bool or_at)
{
    vu_datetime first = wall_time_on(t, setting);
    if (first < t || (!or_at && first == t))
        first = wall_time_on(midnight_after(t, 1), setting);
    return first;
}

}  // namespace

vu_datetime auto_logout_instant(long setting, const vu_datetime& begin, const vu_datetime& now,
                                const vu_datetime& set_at)
{
    const vu_datetime none;
    if (setting <= 0 || setting != zovSettings::usable_auto_logout(setting) || begin.is_not_a_date_time()
        || now.is_not_a_date_time() || !(begin < now))
        return none;
    vu_datetime first = next_logout_time(setting, begin, false);
    if (!set_at.is_not_a_date_time() && first < set_at)
        first = next_logout_time(setting, set_at, true);
    if (first.is_not_a_date_time() || now < first)
        return none;
    return first;
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
        const long setting = zovSettings::usable_auto_logout(auto_logout);
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

}  // namespace zov
