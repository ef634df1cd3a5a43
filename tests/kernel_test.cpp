#include <gtest/gtest.h>

#include "test_support.h"

using namespace zovtest;

TEST(zovKernel, login_next_logout_smoke)
{
    TzGuard tz("Europe/Berlin");
    TempDir dir;
    FixedClock clock("2013-03-13T08:00:00");
    zovKernel k(dir.path());
    EXPECT_TRUE(k.login("K"));
    clock.advance(5400);
    EXPECT_TRUE(k.logout());
    const auto lines = read_lines(dir.file("HOURS.TSK"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "K   1.50     2013-03-13T08:00:00+01:00     2013-03-13T09:30:00+01:00");
}
