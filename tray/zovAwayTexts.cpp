#include "zovAwayTexts.h"

#include <algorithm>


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

}  // namespace zovtray
