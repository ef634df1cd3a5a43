#pragma once

#include <vector>

#include <zov/zovFile.h>
#include <zov/zovSession.h>

class zovSink;

// HOURS.TSK: the append-only log of work sessions.
class zovHours : public zovFile
{
public:
    zovHours();

    static bool init();

    bool read(zovSink& sink) const;
    // Appends the session's line; false for an invalid session.
    bool write(const zovSession& session) const;
    // Takes the session's line back if it is still the file's last line.
    bool take_back(const zovSession& session) const;
    // Appends the lines of all sessions in one write: all of them or none.
    bool write(const std::vector<zovSession>& sessions) const;
};
