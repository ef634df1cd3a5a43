#pragma once
// JOURNAL.TSK: the record of changes that undo takes back. One line per
// change, only ever appended, written after the change itself:
//   CHANGE <id> - <stamp> <hours from> <to> <hash> <loginout from> <to>
//          <task> <time> <ACTIVE|INACTIVE> <task> <time> <ACTIVE|INACTIVE> <what>
//   UNDO   <id> <id of the change undone> ... the same fields ...
// The byte ranges say which bytes the change appended to HOURS.TSK and
// LOGINOUT.TSK (the hash tells they are still those bytes); the two states
// are CURRENT.TSK before and after. The other task files keep their formats.

#include <cstdint>
#include <functional>
#include <string>

#include <vu_utils/vu_datetime.h>
#include <zov/zovFile.h>

class zovJournal : public zovFile
{
public:
    struct state
    {
        std::string task;
        vu_datetime time;
        bool active = false;
        bool operator==(const state& o) const { return task == o.task && time == o.time && active == o.active; }
        bool operator!=(const state& o) const { return !(*this == o); }
    };

    struct entry
    {
        bool undo = false;
        std::int64_t id = 0;      // the line's offset in JOURNAL.TSK
        std::int64_t target = -1;  // an undo: the id of the change it took back
        vu_datetime stamp;
        std::int64_t hours_from = 0, hours_to = 0;
        std::uint64_t hours_hash = 0;
        std::int64_t loginout_from = 0, loginout_to = 0;
        state before, after;
        std::string what;
    };

    explicit zovJournal(const std::string& dir);

    // Appends the entry; its id becomes the journal's size before the append.
    bool append(entry& e) const;
    // Offers the entries newest first until `each` returns false. False when
    // the file could not be read (a missing file has no entries: true).
    bool newest_first(const std::function<bool(const entry&)>& each) const;

    // The size of a task file of the folder (0 when missing, -1 on error).
    static std::int64_t size_of(const std::string& path);
    // FNV-1a of the bytes [from, to) of a file; false when they cannot be read.
    static bool hash_of(const std::string& path, std::int64_t from, std::int64_t to, std::uint64_t& hash,
                        std::string* bytes = nullptr);

    static std::string line_of(const entry& e);
    static bool parse(const std::string& line, entry& e);
};
