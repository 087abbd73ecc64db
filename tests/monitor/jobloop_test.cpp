#include <gtest/gtest.h>

#include "monitor/jobloop.h"
#include "jobprotocol/jobkeys.h"
#include "jobprotocol/redirectlog.h"
#include "jobtestkeys.h"
#include "testutil.h"

#include <climits>
#include <cstring>

TEST(JobLoop, ParseJobCommandLine)
{
    char szName[KEY_PATH_SIZE];
    int nJob = 0;
    const struct { const char *pszCmd; int nJob; const char *pszName; } good[] = {
        { "17,Office Printer", 17, "Office Printer" },
        { "17,A,B", 17, "A,B" },
        { "x,Office Printer", 0, "Office Printer" },
        { "  -5,P ", -5, "P " },
        { "+8x9,P", 8, "P" },
        { "2147483647,P", INT_MAX, "P" },
        { "-2147483648,P", INT_MIN, "P" },
        { "3,", 3, "" },
    };
    /* Every digit counts, however many leading zeros come first. */
    std::string zeros70 = std::string(68, '0') + "17";
    std::string negative = "-" + std::string(100, '0') + "1";
    for (const auto &c : good) {
        memset(szName, 'x', sizeof(szName));
        nJob = 12345;
        EXPECT_TRUE(ParseJobCommandLine(c.pszCmd, &nJob, szName, sizeof(szName))) << c.pszCmd;
        EXPECT_EQ(c.nJob, nJob) << c.pszCmd;
        EXPECT_STREQ(c.pszName, szName) << c.pszCmd;
    }
    EXPECT_TRUE(ParseJobCommandLine((zeros70 + ",P").c_str(), &nJob, szName, sizeof(szName)));
    EXPECT_EQ(17, nJob);
    EXPECT_TRUE(ParseJobCommandLine((negative + ",P").c_str(), &nJob, szName, sizeof(szName)));
    EXPECT_EQ(-1, nJob);
    /* No comma, or a number outside the signed 32-bit range: refused. */
    nJob = 12345;
    strcpy(szName, "marker");
    for (const char *pszCmd : { "Office Printer", "", "2147483648,P", "-2147483649,P", "99999999999999999999,P" })
        EXPECT_FALSE(ParseJobCommandLine(pszCmd, &nJob, szName, sizeof(szName))) << pszCmd;
    EXPECT_EQ(12345, nJob);
    EXPECT_STREQ("marker", szName);

    /* Names longer than 63 characters are carried while every key path fits
     * 260 characters: for job 17 the job settings key allows 203. */
    std::string longName(JOB_KEY_PATH_MAX - 30 - 25 - 2, 'L');
    EXPECT_TRUE(ParseJobCommandLine(("17," + longName).c_str(), &nJob, szName, sizeof(szName)));
    EXPECT_EQ(longName, szName);
    std::string tooLong = longName + "L";
    EXPECT_FALSE(ParseJobCommandLine(("17," + tooLong).c_str(), &nJob, szName, sizeof(szName)));
    EXPECT_FALSE(ParseJobCommandLine(("17," + std::string(5000, 'L')).c_str(), &nJob, szName, sizeof(szName)));
    EXPECT_STREQ(longName.c_str(), szName);
}

/* Runs the job loop on a thread with a short cycle. */
struct LoopRun {
    int nJob;
    JobLoopLimits limits;
    HANDLE hThread;
};

static DWORD WINAPI LoopThread(void *pv)
{
    LoopRun *p = (LoopRun *)pv;
    return (DWORD)RunJobLoop(p->nJob, TEST_PRINTER, &p->limits);
}

static void StartLoop(LoopRun *p, int nJob, int nMaxCycles = 2000)
{
    p->nJob = nJob;
    p->limits.dwSleepMs = 10;
    p->limits.nMaxCycles = nMaxCycles;
    p->limits.stRetry = { 50, 200, 1000 };
    p->hThread = CreateThread(NULL, 0, LoopThread, p, 0, NULL);
}

/* true when the loop ended within dwMs. */
static bool LoopEnded(LoopRun *p, DWORD dwMs)
{
    if (WaitForSingleObject(p->hThread, dwMs) != WAIT_OBJECT_0)
        return false;
    DWORD dwCode = 1;
    GetExitCodeThread(p->hThread, &dwCode);
    EXPECT_EQ(0u, dwCode);
    CloseHandle(p->hThread);
    p->hThread = NULL;
    return true;
}

static bool WaitKeyGone(const std::string &key, DWORD dwMs)
{
    for (DWORD t = 0; t < dwMs; t += 10) {
        if (!RegKeyExists(key))
            return true;
        Sleep(10);
    }
    return false;
}

class JobLoopRun : public ::testing::Test {
protected:
    std::string dir, log;
    LoopRun run = {};
    void SetUp() override
    {
        RegDeleteTree(TEST_ROOT);
        dir = MakeTempDir("loop");
        log = dir + "\\redirect.log";
    }
    void TearDown() override
    {
        if (run.hThread) {
            /* End a loop that is still waiting: abort the job. */
            RegSetString(JobKey(run.nJob), "Job Status", "Aborted");
            WaitForSingleObject(run.hThread, 5000);
            CloseHandle(run.hThread);
        }
        RegDeleteTree(TEST_ROOT);
    }
    /* Document key values and redirect settings with no printers. */
    void WriteDocument(int nJob, const char *pszReady)
    {
        RegSetString(TEST_REDIRECT_KEY, "Enable Redirect Printing Log", "yes");
        RegSetString(TEST_REDIRECT_KEY, "Redirect Printing Log File", log);
        RegSetDword(TEST_REDIRECT_KEY, "Printer count", 0);
        RegSetString(PageKey(nJob, 0), KEY_DOCUMENT_NAME, "Loop Doc");
        RegSetString(PageKey(nJob, 0), KEY_REGISTRY_PATH, TEST_REDIRECT_RELATIVE);
        RegSetString(PageKey(nJob, 0), "Ready", pszReady);
    }
    std::string WritePage(int nJob, int nPage, bool bReady = true)
    {
        std::string file = dir + "\\" + std::to_string(nJob) + "_" + std::to_string(nPage) + ".emf";
        WriteWholeFile(file, "page");
        std::string key = PageKey(nJob, nPage);
        RegSetString(key, "Forwarding", file);
        RegSetDword(key, "Size", 4);
        RegSetDword(key, "DevModeSize", 4);
        RegSetData(key, "DevMode", REG_BINARY, "dmdm", 4);
        if (bReady)
            RegSetString(key, "Ready", "YES");
        return file;
    }
    void EndDocument(int nJob, DWORD dwPages)
    {
        RegSetDword(PageKey(nJob, 0), "PAGENUMBER", dwPages);
        RegSetString(PageKey(nJob, 0), "Ready", "YES");
    }
    /* After an abort the log stays open until the process ends; the
     * tests run in one process, so they close it themselves. */
    std::vector<std::string> LogMessages()
    {
        CloseLogFile();
        std::vector<std::string> msgs;
        for (const std::string &line : SplitLines(ReadWholeFile(log)))
            msgs.push_back(line.size() >= 22 ? line.substr(22) : line);
        return msgs;
    }
};

static const std::vector<std::string> kStartLines = {
    "Redirect printing started.", "Document Name = Loop Doc", "Redirect Printers Count = 0",
    "Number of copies = 1",       "Redirect Printer Names:",
};

TEST_F(JobLoopRun, NoRedirectAndFinish)
{
    WriteDocument(20, "No Redirect");
    RegSetString(JobKey(20), "Job Status", "Job Finished");
    StartLoop(&run, 20);
    ASSERT_TRUE(LoopEnded(&run, 10000));
    EXPECT_FALSE(RegKeyExists(PageKey(20, 0)));
    EXPECT_FALSE(RegKeyExists(JobKey(20)));
    EXPECT_FALSE(FileExists(log));
}

TEST_F(JobLoopRun, PagesInOrder)
{
    /* Page 2 is not ready: page 3 waits behind it. */
    WriteDocument(21, "Printing");
    RegSetDword(JobKey(21), "Post Print Flags", 0);
    std::string f1 = WritePage(21, 1), f2 = WritePage(21, 2, false), f3 = WritePage(21, 3);
    StartLoop(&run, 21);
    ASSERT_TRUE(WaitKeyGone(PageKey(21, 1), 5000));
    EXPECT_FALSE(FileExists(f1));
    Sleep(200);
    EXPECT_TRUE(RegKeyExists(PageKey(21, 3)));
    EXPECT_TRUE(FileExists(f3));
    /* "Abort" on a page key holds the loop too. */
    RegSetString(PageKey(21, 2), "Ready", "Abort");
    Sleep(200);
    EXPECT_TRUE(RegKeyExists(PageKey(21, 2)));
    RegSetString(PageKey(21, 2), "Ready", "YES");
    ASSERT_TRUE(WaitKeyGone(PageKey(21, 3), 5000));
    EXPECT_FALSE(FileExists(f2));
    EXPECT_FALSE(FileExists(f3));
    /* "YES" with more pages than forwarded: pages 4 and 5 still come. */
    std::string f4 = WritePage(21, 4), f5 = WritePage(21, 5);
    EndDocument(21, 5);
    RegSetString(JobKey(21), "Job Status", "Job Finished");
    ASSERT_TRUE(LoopEnded(&run, 10000));
    EXPECT_FALSE(FileExists(f4));
    EXPECT_FALSE(FileExists(f5));
    EXPECT_FALSE(RegKeyExists(PageKey(21, 0)));
    EXPECT_FALSE(RegKeyExists(JobKey(21)));
    std::vector<std::string> expected = kStartLines;
    for (int n = 1; n <= 5; n++)
        expected.push_back("Printing page: " + std::to_string(n));
    expected.push_back("Redirect printing finished.");
    expected.push_back("---------------------------");
    EXPECT_EQ(expected, LogMessages());
}

TEST_F(JobLoopRun, EmptyDocumentAndJobSettingsKey)
{
    /* "YES" with 0 pages the first time it is seen still starts forwarding;
     * the next cycle finishes it and deletes the job settings key. */
    std::string settings = std::string(TEST_ROOT "\\Save As Option Settings\\22");
    RegSetDword(settings, "File Format", 4);
    WriteDocument(22, "Printing");
    EndDocument(22, 0);
    RegSetString(JobKey(22), "Job Status", "Job Finished");
    StartLoop(&run, 22);
    ASSERT_TRUE(LoopEnded(&run, 10000));
    std::vector<std::string> expected = kStartLines;
    expected.push_back("Redirect printing finished.");
    expected.push_back("---------------------------");
    EXPECT_EQ(expected, LogMessages());
    EXPECT_FALSE(RegKeyExists(settings));
    EXPECT_FALSE(RegKeyExists(PageKey(22, 0)));
}

TEST_F(JobLoopRun, CopiesAndUnreadablePage)
{
    /* Copies as decimal text count; more than a device mode holds are cut
     * to 32767, and the log says so. A ready page whose "Forwarding" does
     * not fit is consumed without a file; the next page follows. */
    const struct { DWORD dwType; std::string data; std::vector<std::string> lines; } cases[] = {
        { REG_SZ, std::string("2", 2), { "Number of copies = 2" } },
        { REG_DWORD, std::string("\x40\x42\x0F\x00", 4),
          { "Number of copies 1000000 is more than the 32767 a device mode holds; 32767 copies are printed.",
            "Number of copies = 32767" } },
    };
    int nJob = 29;
    for (const auto &c : cases) {
        WriteDocument(nJob, "Printing");
        RegSetData(PageKey(nJob, 0), "Number of copies", c.dwType, c.data.data(), (DWORD)c.data.size());
        WritePage(nJob, 1);
        RegSetUnterminated(PageKey(nJob, 1), "Forwarding", std::string(TEXT_BUFFER_SIZE, 'f'));
        std::string f2 = WritePage(nJob, 2);
        EndDocument(nJob, 2);
        RegSetString(JobKey(nJob), "Job Status", "Job Finished");
        DeleteFileA(log.c_str());
        StartLoop(&run, nJob);
        ASSERT_TRUE(LoopEnded(&run, 10000));
        EXPECT_FALSE(RegKeyExists(PageKey(nJob, 1)));
        EXPECT_FALSE(RegKeyExists(PageKey(nJob, 2)));
        EXPECT_FALSE(FileExists(f2));
        std::vector<std::string> expected = { kStartLines[0], kStartLines[1], kStartLines[2] };
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        expected.insert(expected.end(), { "Redirect Printer Names:", "Printing page: 1", "Printing page: 2",
                                          "Redirect printing finished.", "---------------------------" });
        EXPECT_EQ(expected, LogMessages());
        nJob++;
    }
}

TEST_F(JobLoopRun, JobFinishedFirst)
{
    /* Post-print work is done at once; the loop goes on until forwarding ends. */
    RegSetString(JobKey(23), "Job Status", "Job Finished");
    StartLoop(&run, 23);
    ASSERT_TRUE(WaitKeyGone(JobKey(23), 5000));
    EXPECT_FALSE(LoopEnded(&run, 300));
    WriteDocument(23, "Printing");
    WritePage(23, 1);
    EndDocument(23, 1);
    ASSERT_TRUE(LoopEnded(&run, 10000));
    EXPECT_FALSE(RegKeyExists(PageKey(23, 1)));
}

TEST_F(JobLoopRun, JobAbort)
{
    WriteDocument(24, "Printing");
    WritePage(24, 1);
    StartLoop(&run, 24);
    ASSERT_TRUE(WaitKeyGone(PageKey(24, 1), 5000));
    std::string f2 = WritePage(24, 2, false), f3 = WritePage(24, 3, false);
    RegSetString(JobKey(24), "Job Status", "Aborted");
    ASSERT_TRUE(LoopEnded(&run, 10000));
    EXPECT_FALSE(RegKeyExists(JobKey(24)));
    EXPECT_FALSE(RegKeyExists(PageKey(24, 0)));
    /* The clean-up walks from page 1, which is already gone: pages after a
     * gap stay with their files. */
    EXPECT_TRUE(RegKeyExists(PageKey(24, 2)));
    EXPECT_TRUE(FileExists(f3));
    std::vector<std::string> msgs = LogMessages();
    ASSERT_GE(msgs.size(), 2u);
    EXPECT_EQ("Redirect printing aborted.", msgs[msgs.size() - 2]);
    EXPECT_EQ("---------------------------", msgs.back());
}

TEST_F(JobLoopRun, ApplicationAbort)
{
    /* "Ready" = "Abort" waits for "Job Finished"; then no post-print work. */
    RegSetString(JobKey(25), "Ready", "Abort");
    RegSetDword(JobKey(25), "Post Print Flags", 0xF);
    WriteDocument(25, "Printing");
    WritePage(25, 1);
    StartLoop(&run, 25);
    ASSERT_TRUE(WaitKeyGone(PageKey(25, 1), 5000));
    EXPECT_TRUE(RegKeyExists(JobKey(25)));
    std::string f2 = WritePage(25, 2, false);
    RegSetString(JobKey(25), "Job Status", "Job Finished");
    ASSERT_TRUE(LoopEnded(&run, 10000));
    EXPECT_FALSE(RegKeyExists(JobKey(25)));
    EXPECT_FALSE(RegKeyExists(PageKey(25, 0)));
    EXPECT_TRUE(FileExists(f2));
    std::vector<std::string> msgs = LogMessages();
    ASSERT_GE(msgs.size(), 2u);
    EXPECT_EQ("Redirect printing aborted.", msgs[msgs.size() - 2]);
}

TEST_F(JobLoopRun, CycleLimitAndTwoJobsOneLog)
{
    /* Nothing to do: the loop ends at its cycle limit and touches nothing. */
    RegSetString(JobKey(26), "Ready", "Waiting");
    StartLoop(&run, 26, 5);
    ASSERT_TRUE(LoopEnded(&run, 5000));
    EXPECT_TRUE(RegKeyExists(JobKey(26)));

    /* Two jobs one after the other append to one log. */
    for (int nJob = 27; nJob <= 28; nJob++) {
        WriteDocument(nJob, "Printing");
        EndDocument(nJob, 0);
        RegSetString(JobKey(nJob), "Job Status", "Job Finished");
        StartLoop(&run, nJob);
        ASSERT_TRUE(LoopEnded(&run, 10000));
    }
    std::vector<std::string> msgs = LogMessages();
    ASSERT_EQ(14u, msgs.size());
    EXPECT_EQ("Redirect printing started.", msgs[0]);
    EXPECT_EQ("---------------------------", msgs[6]);
    EXPECT_EQ("Redirect printing started.", msgs[7]);
    EXPECT_EQ("---------------------------", msgs[13]);
}

TEST_F(JobLoopRun, PrinterGivenUp)
{
    /* JH_REJECT never ends a document: it is tried again until the window
     * after the last page has passed, then given up; the job finishes, and
     * its kept pages' folder is gone. */
    WriteDocument(30, "Printing");
    RegSetDword(TEST_REDIRECT_KEY, "Printer count", 2);
    RegSetString(TEST_REDIRECT_KEY, "Printer 1", "JH_PDF_A");
    RegSetString(TEST_REDIRECT_KEY, "Printer 2", "JH_REJECT");
    EndDocument(30, 0);
    RegSetString(JobKey(30), "Job Status", "Job Finished");
    StartLoop(&run, 30);
    ASSERT_TRUE(LoopEnded(&run, 20000));
    std::vector<std::string> msgs = LogMessages();
    for (std::string &msg : msgs) {
        size_t nAfter = msg.find(" given up after ");
        if (nAfter != std::string::npos)
            msg.replace(nAfter + 16, msg.find(" s ") - nAfter - 16, "N");
    }
    std::vector<std::string> expected = { kStartLines[0], kStartLines[1], "Redirect Printers Count = 2",
                                          kStartLines[3], kStartLines[4], "\tJH_PDF_A", "\tJH_REJECT",
                                          "Printing successfully finished (copy: 0).",
                                          "Error at EndDoc (copy: 0) 6",
                                          "Printer JH_REJECT will be tried again.",
                                          "Printer JH_REJECT given up after N s (Error 6): its empty document "
                                          "not printed (copies: 1).",
                                          "Redirect printing finished.", "---------------------------" };
    EXPECT_EQ(expected, msgs);
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    EXPECT_FALSE(FileExists(std::string(szTemp) + "jobhelper_30_" + std::to_string(GetCurrentProcessId())));
}
