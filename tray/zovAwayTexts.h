#pragma once
// Away time as the tray sees and words it: an absence told by the idle time,
// and the texts of the question. What to ask and what an answer writes are
// the kernel's (zovRules.h, zovKernel).

#include <string>

#include <wx/string.h>

#include <vu_utils/vu_datetime.h>
#include <zov/zovRules.h>

namespace zovtray {

using zov::away_question;
using zov::away_state;

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

}  // namespace zovtray
