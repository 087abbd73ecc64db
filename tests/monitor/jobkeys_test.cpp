#include <gtest/gtest.h>
#include "monitor/jobkeys.h"
#include "testutil.h"
TEST(jobkeys, smoke) { EXPECT_EQ(RET_NONE, StartApp_CheckReady("No Such Printer", 1)); }
