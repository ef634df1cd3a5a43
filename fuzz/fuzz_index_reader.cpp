// The reader of the index of HOURS.TSK. The input is written as the index
// file beside a fixed HOURS.TSK of a few blocks, and range questions are asked
// through it.
// The first byte after the zone byte picks how much of the input is kept as
// it is: raw (the index must then be refused or rebuilt, and every answer
// equals a full read), or with the file's identity and the header checksum
// put right, so that the fuzzer gets past them to the counts, spans and
// times (then only: no crash, no unbounded allocation, no read out of place).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <zovkernel.h>

#include "fuzz_support.h"
#include "zovIndex.h"

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

std::uint64_t fnv(const void* data, std::size_t size, std::uint64_t h = 1469598103934665603ULL)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        h ^= p[i];
        h *= 1099511628211ULL;
    }
    return h;
}

// The header's layout: identity at 8 and 16, the checksum last, at 96.
constexpr std::size_t header_bytes = 104;

void put(std::string& s, std::size_t at, std::uint64_t value)
{
    if (s.size() >= at + 8)
        s.replace(at, 8, reinterpret_cast<const char*>(&value), 8);
}

std::string pieces(const zovSinkHours& sink)
{
    std::string out;
    for (const zovSession& s : sink)
        out += s.to_file_string() + "\n";
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    std::string templ = std::string(base) + "/zovfuzz-XXXXXX";
    if (!::mkdtemp(&templ[0]))
        fail("mkdtemp failed", templ);
    data_dir = templ + "/";
    std::atexit(remove_data_dir);

    // Some 110 KB over six weeks: a few blocks, a line in local time, a
    // comment and an overlong line among them.
    setenv("TZ", "UTC", 1);
    std::string text = "% task hours t1 t2\n";
    vu_datetime t;
    t.parse_readable_datetime_string("2026-01-05T08:00:00Z");
    for (int i = 0; i < 500; ++i) {
        vu_datetime e;
        e.set_time_t(t.to_time_t() + 3600);
        text += zovSession("T" + std::to_string(i % 7), t, e).to_file_string() + "\n";
        if (i == 250)
            text += "Local   1.00     2026-02-20T08:00:00     2026-02-20T09:00:00\n% comment\n"
                    + std::string(70000, 'x') + "\n";
        t.set_time_t(t.to_time_t() + (i % 3 == 2 ? 20 * 3600 : 3600));
    }
    write_raw(data_dir + "HOURS.TSK", text);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zovfuzz::pick_zone(data, size);
    if (size == 0)
        return 0;
    const bool patched = data[0] & 1;
    std::string index(reinterpret_cast<const char*>(data + 1), size - 1);
    if (patched && index.size() >= header_bytes) {
        struct stat st;
        if (::stat((data_dir + "HOURS.TSK").c_str(), &st) != 0)
            fail("cannot stat HOURS.TSK", data_dir);
        put(index, 8, static_cast<std::uint64_t>(st.st_dev));
        put(index, 16, static_cast<std::uint64_t>(st.st_ino));
        put(index, 96, 0);
        std::uint64_t sum = fnv(index.data(), header_bytes);
        if (index.size() > header_bytes)
            sum = fnv(index.data() + header_bytes, index.size() - header_bytes, sum);
        put(index, 96, sum);
    }
    write_raw(data_dir + ".HOURS.TSK.index", index);
    zov_detail::forget_index();

    static const char* const ranges[][2] = {{"2026-01-10T00:00:00Z", "2026-01-17T00:00:00Z"},
                                            {"2026-02-19T00:00:00Z", "2026-02-21T00:00:00Z"},
                                            {"2025-01-01T00:00:00Z", "2027-01-01T00:00:00Z"}};
    for (const auto& r : ranges) {
        vu_datetime lo, hi;
        lo.parse_readable_datetime_string(r[0]);
        hi.parse_readable_datetime_string(r[1]);
        zovSinkHours through_index(lo, hi);
        zovHours(data_dir).read_lines(through_index, lo, hi);
        if (patched)
            continue;
        zovSinkHours full(lo, hi);
        zovHours(data_dir).read_lines(full);  // every line, no index
        if (pieces(through_index) != pieces(full))
            fail("an answer through a damaged index differs from a full read", r[0]);
    }
    return 0;
}
