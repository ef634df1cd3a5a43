#pragma once

#include <string>

#include <vu_utils/vu_datetime.h>
#include <zov/zovFile.h>

// CURRENT.TSK: the recording state, one line "task time ACTIVE|INACTIVE".
class zovCurrent : public zovFile
{
public:
    explicit zovCurrent(const std::string& dir);

    // Makes sure the file holds a readable state line; an unreadable file is
    // moved aside (its new name, without the folder, goes to kept_aside) and
    // replaced by "DEFAULT <now> INACTIVE".
    static bool init(const std::string& dir, std::string* kept_aside = nullptr);

    // On false nothing changes. What is clearly meant is read: a time
    // without seconds, blanks around the fields.
    bool read();
    // Whether the file is missing or holds nothing but blanks and comments:
    // there is no state to lose.
    bool is_blank() const;
    // Stores the state; the members change only when the file was written.
    bool write(const std::string& task, const vu_datetime& time, bool active);

    const std::string& task() const { return m_task; }
    const vu_datetime& time() const { return m_time; }
    bool active() const { return m_active; }
    std::string message() const;

private:
    bool write() const;

    std::string m_task;
    vu_datetime m_time;
    bool m_active;
};
