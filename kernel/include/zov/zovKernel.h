#pragma once

#include <string>

#include <zov/zovCurrent.h>
#include <zov/zovLoginOut.h>
#include <zov/zovSession.h>
#include <zov/zovSinkHours.h>

class zovTimeSheet;

// The recording cycle over the task files of one data folder. Every call
// reads the files again: they are the state.
class zovKernel
{
public:
    // dir ends with the path separator; the folder must exist.
    explicit zovKernel(const std::string& dir);
    zovKernel(const zovKernel&) = default;
    zovKernel& operator=(const zovKernel&) = default;
    virtual ~zovKernel();

    static std::string kernel_name();
    std::string dir() const;

    const zovCurrent& current();
    // Task names are one token: no blank, tab or control character, and no
    // leading "%". Such names are refused (false, nothing written).
    bool login(const std::string& task);
    bool next(const std::string& task);
    bool logout();

    // The recorded sessions clipped to the range; replaced by the next call.
    const zovSinkHours& hours(const vu_datetime& lo, const vu_datetime& hi);
    // Enters a past session and cancels the recorded time it overlaps.
    bool session(const zovSession& session, zovSinkHours& out);
    // Fills a fresh sheet with its week's sessions and the running one.
    double tsheet(zovTimeSheet& sheet);

    // Whether a name can be stored as a task name.
    static bool is_valid_task_name(const std::string& task);

private:
    zovLoginOut m_loginout;
    zovCurrent m_current;
    zovSinkHours m_hours;
};
