// The state line reader of CURRENT.TSK, through the file reader that every
// task file uses. The input is written as the file of a temporary data folder.
// Checked: no crash; the file reader offers every line that is neither blank
// nor a comment, once, byte for byte and in order (no lost line); a state that
// was read writes back to the same state; a state that was not read leaves the
// object as it was.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <zovkernel.h>

#include "fuzz_support.h"

using zovfuzz::fail;

namespace {

std::string data_dir;

void remove_data_dir()
{
    std::error_code ec;
    std::filesystem::remove_all(data_dir, ec);
}

void write_raw(const std::string& path, const std::string& content)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        fail("cannot write the fuzz file", path);
    const ssize_t n = ::write(fd, content.data(), content.size());
    ::close(fd);
    if (n != static_cast<ssize_t>(content.size()))
        fail("short write of the fuzz file", path);
}

class collect : public zovSink
{
public:
    bool operator()(const std::string& line) override
    {
        lines.push_back(line);
        return true;
    }
    std::vector<std::string> lines;
};

// The lines a reader must offer: split at line feeds; a line that holds only
// blanks, tabs and carriage returns, or whose first other character is "%",
// is left out.
std::vector<std::string> expected_lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t lf = text.find('\n', start);
        if (lf == std::string::npos)
            lf = text.size();
        const std::string line = text.substr(start, lf - start);
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first != std::string::npos && line[first] != '%')
            lines.push_back(line);
        start = lf + 1;
    }
    return lines;
}

std::string describe(const zovCurrent& c)
{
    return c.task() + " " + c.time().to_readable_datetime_string() + (c.active() ? " ACTIVE" : " INACTIVE");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Memory-backed when possible: every input is one file write.
    const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    std::string templ = std::string(base) + "/zovfuzz-XXXXXX";
    if (!::mkdtemp(&templ[0]))
        fail("mkdtemp failed", templ);
    data_dir = templ + "/";
    std::atexit(remove_data_dir);
    // HOURS.TSK is the same file, so that the general reader sees the input too.
    if (::symlink("CURRENT.TSK", (data_dir + "HOURS.TSK").c_str()) != 0)
        fail("symlink failed", data_dir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zovfuzz::pick_zone(data, size);
    const std::string text(reinterpret_cast<const char*>(data), size);
    write_raw(data_dir + "CURRENT.TSK", text);

    collect sink;
    const bool offered = zovHours(data_dir).read(sink);
    const std::vector<std::string> expected = expected_lines(text);
    if (sink.lines != expected)
        fail("the file reader lost, changed or invented a line", std::to_string(sink.lines.size()) + " lines offered, "
                 + std::to_string(expected.size()) + " expected");
    if (offered != !expected.empty())
        fail("the file reader's result does not match the lines offered", "");

    zovCurrent state(data_dir);
    const std::string fresh = describe(state);
    if (!state.read()) {
        if (describe(state) != fresh)
            fail("a state that was not read changed the object", describe(state));
        return 0;
    }
    if (state.task().empty() || state.task().find_first_of(" \t\r\n") != std::string::npos
        || state.time().is_not_a_date_time())
        fail("a state was read with an unusable task or time", describe(state));
    // Written back, it reads as the same state.
    write_raw(data_dir + "CURRENT.TSK", state.message() + "\n");
    zovCurrent again(data_dir);
    if (!again.read() || again.task() != state.task() || again.time() != state.time()
        || again.active() != state.active())
        fail("a state does not read back", describe(state));
    return 0;
}
