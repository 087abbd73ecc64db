#include <gtest/gtest.h>
#include "forwarding/printretry.h"
#include "fwdtestutil.h"
#include "testutil.h"

typedef std::vector<std::string> Lines;

TEST(PrintRetry, Schedule)
{
    const RetryTimings stTimings = { 1000, 10000, 60000 };
    const struct { DWORD dwTries, dwPause; } pauses[] = {
        { 1, 1000 }, { 2, 2000 }, { 3, 4000 }, { 4, 8000 }, { 5, 10000 }, { 0xFFFFFFFF, 10000 },
    };
    for (const auto &c : pauses)
        EXPECT_EQ(c.dwPause, RetryPauseMs(c.dwTries, &stTimings)) << c.dwTries;
    const RetryTimings stHuge = { 3000000000u, 4000000000u, 0 }; /* no doubling past the longest */
    EXPECT_EQ(4000000000u, RetryPauseMs(2, &stHuge));
    EXPECT_EQ(6000u, NextTryTime(5000, 1, 0, &stTimings));
    EXPECT_EQ(9000u, NextTryTime(5000, 3, 60000, &stTimings));
    EXPECT_EQ(5500u, NextTryTime(5000, 3, 5500, &stTimings)); /* never past the last try */

    /* 1801 is final only while the system lists printers: with none listed,
     * the spooler's back end is away. */
    EXPECT_TRUE(IsNoSuchPrinter(ERROR_INVALID_PRINTER_NAME, 3));
    EXPECT_FALSE(IsNoSuchPrinter(ERROR_INVALID_PRINTER_NAME, 0));
    EXPECT_FALSE(IsNoSuchPrinter(ERROR_INVALID_HANDLE, 3));
    EXPECT_GT(CountListedPrinters(), 0u);
}

/* A printer that does not exist, and one whose documents never end (the
 * rejecting queue): its first failure and its being tried again are logged
 * once, later failures not at all, and giving it up once more. */
TEST(PrintRetry, TargetSteps)
{
    RetryJob stJob = { "doc", FWD_TEST_PRINTER, "", 3, TRUE, 1000, 0, { 1000, 10000, 60000 } };
    ForwardTarget stMissing = {}, stRejected = {};
    stMissing.dwCopies = 1;
    stRejected.dwCopies = 2;
    OpenTestLog();
    StartTarget(&stMissing, "No Such Printer", &stJob);
    EXPECT_EQ(TARGET_LOST, stMissing.nOutcome);
    EXPECT_FALSE(IsTryDue(&stMissing, &stJob));

    StartTarget(&stRejected, "JH_REJECT", &stJob);
    ASSERT_EQ(1u, stRejected.bActive);
    EndTarget(&stRejected, "JH_REJECT", &stJob);
    EXPECT_EQ(TARGET_PENDING, stRejected.nOutcome);
    EXPECT_EQ(2u, stRejected.dwCopies);
    EXPECT_EQ(2000u, stRejected.ullNextTry);
    EXPECT_FALSE(IsTryDue(&stRejected, &stJob));
    stJob.ullNow = 2000;
    ASSERT_TRUE(IsTryDue(&stRejected, &stJob));
    StartTarget(&stRejected, "JH_REJECT", &stJob);
    EndTarget(&stRejected, "JH_REJECT", &stJob);
    EXPECT_EQ(4000u, stRejected.ullNextTry);
    /* A failure at the last try gives it up. */
    stJob.ullNow = stJob.ullDeadline = 5400;
    StartTarget(&stRejected, "JH_REJECT", &stJob);
    EndTarget(&stRejected, "JH_REJECT", &stJob);
    EXPECT_EQ(TARGET_LOST, stRejected.nOutcome);
    EXPECT_EQ(Lines({ "Cannot access the printer: Error 1801", "Error at EndDoc (copy: 0) 6",
                      "Error at EndDoc (copy: 1) 6", "Printer JH_REJECT will be tried again.",
                      "Printer JH_REJECT given up after 4 s (Error 6): pages 1 to 3 not printed (copies: 2)." }),
              CloseTestLog());
    HeapFree(GetProcessHeap(), 0, stRejected.phCopyDCs);
}
