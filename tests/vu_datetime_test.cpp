#include <gtest/gtest.h>

#include "test_support.h"

using namespace zovtest;

TEST(vu_datetime, readable_round_trip_smoke)
{
    TzGuard tz("Europe/Berlin");
    vu_datetime v = at("2013-03-13T08:00:00+01:00");
    EXPECT_EQ(v.to_readable_datetime_string(), "2013-03-13T08:00:00+01:00");
}
