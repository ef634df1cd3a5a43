#pragma once
// Shared by the fuzz targets: the first byte of an input picks the time zone,
// so that one run covers the zones the tests use (half-hour changes included).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <vu_utils/vu_datetime.h>

namespace zovfuzz {

inline void pick_zone(const std::uint8_t*& data, std::size_t& size)
{
    static const char* const zones[] = {"UTC", "Europe/Berlin", "America/New_York", "Australia/Lord_Howe"};
    if (size == 0)
        return;
    // vu_datetime notices the change of TZ by itself.
    setenv("TZ", zones[data[0] & 3], 1);
    ++data;
    --size;
}

// A broken invariant is a finding: report it and abort, so libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* what, const std::string& detail)
{
    std::fprintf(stderr, "invariant broken: %s\n  %s\n  TZ=%s\n", what, detail.c_str(),
                 std::getenv("TZ") ? std::getenv("TZ") : "(unset)");
    std::abort();
}

}  // namespace zovfuzz
