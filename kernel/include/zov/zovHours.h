#pragma once

#include <vector>

#include <zov/zovFile.h>
#include <zov/zovSession.h>

class zovSink;
class zovSinkHours;
class zovSinkWeek;

// HOURS.TSK: the append-only log of work sessions.
class zovHours : public zovFile
{
public:
    explicit zovHours(const std::string& dir);

    static bool init(const std::string& dir);

    bool read(zovSink& sink) const;
    read_status read_lines(zovSink& sink) const;
    // The same for a sink that takes only sessions reaching into [lo, hi]:
    // lines that cannot are skipped with the help of an index of the file.
    read_status read_lines(zovSinkHours& sink, const vu_datetime& lo, const vu_datetime& hi) const;
    read_status read_lines(zovSinkWeek& sink, const vu_datetime& lo, const vu_datetime& hi) const;
    read_status read_last(std::string& line) const;
    // Appends the session's line; false for an invalid session.
    bool write(const zovSession& session) const;
    // Takes the session's line back if it is still the file's last line.
    bool take_back(const zovSession& session) const;
    // Appends the lines of all sessions in one write: all of them or none.
    // They stand between the comments "% correction begins" and "% correction
    // ends", so that a power cut that kept only part of the write shows.
    bool write(const std::vector<zovSession>& sessions) const;
    // Takes back the lines of such a write if they still end the file.
    bool take_back(const std::vector<zovSession>& sessions) const;
    // Removes the end of the file from a "% correction begins" comment that
    // no "% correction ends" follows: a write of several lines that a power
    // cut left in part. True when nothing was wrong or it was removed.
    bool drop_unfinished_batch() const;

private:
    // The sessions' lines, without the final line end; empty if any is invalid.
    static std::string lines(const std::vector<zovSession>& sessions);
};
