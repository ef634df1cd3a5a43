#pragma once
// Readers of other time trackers' records. Each gives the spans it found,
// with a task name made by one rule (task_name), and a note per line it
// could not take.

#include <string>
#include <vector>

#include <zov/zovSession.h>

namespace zovcli {

struct imported
{
    std::vector<zovSession> sessions;
    std::vector<std::string> notes;  // "file:line: why", one per line left out
};

// The task name for a span: its parts (Timewarrior: the tags; Watson, Toggl,
// Clockify: the project, then the tags; GTimeLog: the text; a CSV row
// without project and tags: its description), each with its blanks made
// "_", joined by "+"; "DEFAULT" when there are none. A leading "%" becomes
// "_%". So Watson's project "acme" with tags "code" and "two words" is the
// task "acme+code+two_words".
std::string task_name(const std::vector<std::string>& parts);

// Timewarrior: every data/YYYY-MM.data file in dir (UTC; an interval without
// an end is still running and is left out).
bool read_timewarrior(const std::string& dir, imported& out, std::string& error);
// Watson's frames file: a JSON array of [start, stop, project, id, tags,
// updated_at], UTC epoch seconds.
bool read_watson(const std::string& file, imported& out, std::string& error);
// GTimeLog's timelog.txt: "YYYY-MM-DD HH:MM: text" in local time; each entry
// ends the activity begun at the entry before on the same day (days turn at
// 02:00, GTimeLog's virtual midnight); text with "**" is not work.
bool read_gtimelog(const std::string& file, imported& out, std::string& error);
// A detailed CSV export of Toggl Track or Clockify, columns by header name:
// Start date, Start time, End date, End time, Project, Tags, Description.
// Dates as 2026-12-07, 12/07/2026 (month first) or 07.12.2026; times as
// 13:05, 13:05:00 or 1:05:00 PM; local time.
bool read_csv(const std::string& file, imported& out, std::string& error);

// Where each program keeps its records by default.
std::string default_timewarrior_dir();
std::string default_watson_file();
std::string default_gtimelog_file();

}  // namespace zovcli
