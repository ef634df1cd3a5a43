// The readable date-time text of the task files: any text is read or refused
// without a crash; a refused text leaves the value as it was; an accepted one
// is written back as one token that reads back to the same second.
#include <cstdint>
#include <string>

#include <vu_utils/vu_datetime.h>

#include "fuzz_support.h"

using zovfuzz::fail;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zovfuzz::pick_zone(data, size);
    const std::string text(reinterpret_cast<const char*>(data), size);

    vu_datetime v;
    v.set_time_t(1363158000);
    const vu_datetime before = v;
    if (!v.parse_readable_datetime_string(text)) {
        if (v != before)
            fail("a refused text changed the value", text);
        vu_datetime unset;
        if (unset.parse_readable_datetime_string(text.data(), text.size()) || !unset.is_not_a_date_time())
            fail("the two readers disagree", text);
        return 0;
    }
    if (v.is_not_a_date_time())
        fail("an accepted text gave no date-time", text);

    const std::string written = v.to_readable_datetime_string();
    if (written.empty() || written.find_first_of(" \t\r\n") != std::string::npos)
        fail("the written text is not one token", text + "  ->  " + written);
    vu_datetime back;
    if (!back.parse_readable_datetime_string(written) || back != v)
        fail("the written text does not read back to the same second", text + "  ->  " + written);
    if (back.to_readable_datetime_string() != written)
        fail("the written text is not stable", text + "  ->  " + written);
    return 0;
}
