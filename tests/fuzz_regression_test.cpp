// Inputs the fuzz targets (fuzz/) found, kept as regular tests.
#include <gtest/gtest.h>

#include "test_support.h"

using namespace zovtest;

namespace {

// Readable texts at the ends of the four-digit years. Accepted once, they
// were written back as "-001-12-31T..." or "10000-01-01T...", which no reader
// takes: a correction cancelling such a session would write a line that drops
// out of every sum.
TEST(fuzz_regression, readable_text_is_taken_only_when_every_zone_can_write_it_back)
{
    const struct
    {
        const char* text;
        bool accepted;
    } cases[] = {
        {"0000-01-01T00:00:00+14:00", false},
        {"0000-01-01T00:00:00Z", false},
        {"0000-01-01T12:00:00", false},
        {"9999-12-31T23:59:59-23:59:59", false},
        {"9999-12-31T00:00:00Z", false},
        {"0000-01-02T00:00:00Z", true},
        {"9999-12-30T23:59:59Z", true},
    };
    for (const char* zone : test_zones) {
        TzGuard tz(zone);
        for (const auto& c : cases) {
            vu_datetime v;
            v.set_time_t(1363158000);
            const vu_datetime before = v;
            EXPECT_EQ(v.parse_readable_datetime_string(c.text), c.accepted) << c.text << " in " << zone;
            if (!c.accepted) {
                EXPECT_EQ(v, before) << c.text << " in " << zone;
                continue;
            }
            for (const char* writer : test_zones) {
                TzGuard tz_writer(writer);
                const std::string written = v.to_readable_datetime_string();
                vu_datetime back;
                EXPECT_TRUE(back.parse_readable_datetime_string(written))
                    << c.text << " read in " << zone << ", written in " << writer << ": " << written;
                EXPECT_EQ(back, v) << written;
            }
        }
    }
}

TEST(fuzz_regression, session_at_the_end_of_the_years_is_not_read)
{
    TzGuard tz("Europe/Berlin");
    EXPECT_FALSE(zovSession("K   2.00     0000-01-01T00:00:00+14:00     0000-01-01T02:00:00+14:00").is_valid());
    const zovSession s("K   2.00     0000-01-03T00:00:00+14:00     0000-01-03T02:00:00+14:00");
    ASSERT_TRUE(s.is_valid());
    const zovSession back(s.to_file_string());
    EXPECT_TRUE(back.is_valid()) << s.to_file_string();
    EXPECT_EQ(back.tbeg(), s.tbeg());
}

}  // namespace
