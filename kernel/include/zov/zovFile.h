#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class zovSink;

// A task file in a data folder; each operation opens, uses and closes it.
// The folder belongs to the object, so that one program can work on two.
class zovFile
{
public:
    // dir ends with the path separator.
    zovFile(const std::string& dir, const std::string& file);
    zovFile(const zovFile&) = default;
    zovFile& operator=(const zovFile&) = default;
    virtual ~zovFile();

    const std::string& dir() const { return m_dir; }

    // The file's full path: the data folder followed by the file name.
    std::string path() const;

    // What a read found. A file that exists but could not be read to its end
    // is "failed", never "empty": callers must not take it for a new file.
    enum class read_status { lines, empty, missing, failed };

    // Lines longer than this are skipped when reading: no valid line comes
    // near it, and collecting one would take unbounded memory.
    static constexpr std::size_t max_line = 64 * 1024;

protected:
    bool get_tokens(const std::string& line, std::vector<std::string>& tokens) const;
    // Offers each line that is neither blank nor a comment to the sink; true
    // when at least one line was offered.
    bool read(zovSink& sink) const;
    // The same, telling an empty or missing file from one that could not be
    // read. A sink that stops the reading early gives "lines".
    read_status read_lines(zovSink& sink) const;
    bool read_first(std::string& line) const;
    // The last line that is neither blank nor a comment, found from the end
    // of the file without reading all of it.
    read_status read_last(std::string& line) const;
    // The file's last max bytes (all of it when shorter) and the offset they
    // begin at; "lines" when there were any.
    read_status read_tail(std::size_t max, std::string& tail, std::uint64_t& from) const;
    // Shortens the file to size bytes, flushed to disk.
    bool cut_at(std::uint64_t size) const;
    // Appends line and a line end in one write; false unless all of it was
    // stored. Starts a new line first when the file lacks its final line end.
    bool write_append(const std::string& line) const;
    // Removes line and its line end from the end of the file, if the file
    // still ends with them: undoes a write_append whose purpose failed.
    bool take_back(const std::string& line) const;
    // Replaces the file by line and a line end, atomically: a temporary file,
    // flushed to disk, renamed over the old one.
    bool write_clear(const std::string& line) const;
    // Creates the file holding line and a line end, only if no file of that
    // name exists: never replaces anything. True when the file was created
    // or a regular file of that name already existed.
    bool write_new(const std::string& line) const;

    std::string m_dir;
    std::string m_file;
};
