#pragma once
// What adding sessions from another program's records does: which are new,
// which are there already, which collide with recorded time.

#include <vector>

#include <zov/zovSession.h>

struct zovImportPlan
{
    // Appended as they are: nothing recorded in their span.
    std::vector<zovSession> added;
    // Recorded already, same task, begin and end: a repeated import.
    std::vector<zovSession> present;
    // Overlapping recorded time, the running session or an earlier session
    // of the same import: left out, unless replace was asked and they
    // overlap only recorded time, which they then correct (see replaced).
    std::vector<zovSession> overlapping;
    // Entered with replace like a correction: what they overlap cancelled.
    std::vector<zovSession> replaced;
    // Every line appended to HOURS.TSK (or that would be), in order.
    std::vector<zovSession> written;
};
