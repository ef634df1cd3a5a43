#pragma once

#include <string>
#include <vector>

class zovSink;

// A task file in the data folder; each operation opens, uses and closes it.
class zovFile
{
public:
    explicit zovFile(const std::string& file);
    zovFile(const zovFile&) = default;
    zovFile& operator=(const zovFile&) = default;
    virtual ~zovFile();

    static void set_dir(const std::string& dir);
    static std::string get_dir();

    // The file's full path: the data folder followed by the file name.
    std::string path() const;

protected:
    bool get_tokens(const std::string& line, std::vector<std::string>& tokens) const;
    // Offers each line that is neither blank nor a comment to the sink; true
    // when at least one line was offered.
    bool read(zovSink& sink) const;
    bool read_first(std::string& line) const;
    // Appends line and a line end in one write; false unless all of it was
    // stored. Starts a new line first when the file lacks its final line end.
    bool write_append(const std::string& line) const;
    // Removes line and its line end from the end of the file, if the file
    // still ends with them: undoes a write_append whose purpose failed.
    bool take_back(const std::string& line) const;
    // Replaces the file by line and a line end, atomically: a temporary file,
    // flushed to disk, renamed over the old one.
    bool write_clear(const std::string& line) const;

    static std::string m_dir;
    std::string m_file;
};
