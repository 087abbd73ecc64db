/* The real jobhelper.exe started by jobsim.exe, as the port monitor does. */
#include <gtest/gtest.h>

#include "e2etest.h"
#include "jobprotocol/jobkeys.h"
#include "testutil.h"

/* A job to one redirect printer that is not installed: the job monitor's own
 * work is the same whether or not a printer can be reached. */
static std::string JobText(int nJob, const std::string &dir, const char *pszExtra)
{
    return "[Job]\r\nPrinter=E2E Printer\r\nJobNumber=" + std::to_string(nJob) +
           "\r\nDocumentName=E2E Doc\r\nPages=3\r\nRedirectPrinters=\r\nLogFile=" + dir +
           "\\redirect.log\r\nSpoolDir=" + dir + "\\spool\r\nTimeoutSec=60\r\n" + pszExtra;
}

TEST(JobMonitorE2E, FinishedJob)
{
    std::string dir = MakeTempDir("e2e_finish");
    std::string ini = WriteJobIni(dir, "job", JobText(301, dir, ""));
    EXPECT_EQ(0u, RunJobSim(ini));
    EXPECT_TRUE(JobKeysGone("E2E Printer", 301, 3));
    EXPECT_TRUE(ListFiles(dir + "\\spool").empty());
    std::vector<std::string> expected = {
        "Redirect printing started.", "Document Name = E2E Doc", "Redirect Printers Count = 0",
        "Number of copies = 1",       "Redirect Printer Names:",  "Printing page: 1",
        "Printing page: 2",           "Printing page: 3",         "Redirect printing finished.",
        "---------------------------",
    };
    EXPECT_EQ(expected, ReadLogMessages(dir + "\\redirect.log"));
}

TEST(JobMonitorE2E, AbortedJob)
{
    std::string dir = MakeTempDir("e2e_abort");
    std::string ini = WriteJobIni(dir, "job", JobText(302, dir, "End=abort\r\nEndAfterPage=3\r\n"));
    EXPECT_EQ(0u, RunJobSim(ini));
    EXPECT_TRUE(JobKeysGone("E2E Printer", 302, 3));
    EXPECT_TRUE(ListFiles(dir + "\\spool").empty());
    std::vector<std::string> msgs = ReadLogMessages(dir + "\\redirect.log");
    ASSERT_EQ(10u, msgs.size());
    EXPECT_EQ("Printing page: 3", msgs[7]);
    EXPECT_EQ("Redirect printing aborted.", msgs[8]);
    EXPECT_EQ("---------------------------", msgs[9]);
}

TEST(JobMonitorE2E, NoRedirect)
{
    std::string dir = MakeTempDir("e2e_noredirect");
    std::string ini = WriteJobIni(dir, "job", JobText(303, dir, "NoRedirect=1\r\n"));
    EXPECT_EQ(0u, RunJobSim(ini));
    EXPECT_TRUE(JobKeysGone("E2E Printer", 303, 0));
    EXPECT_FALSE(FileExists(dir + "\\redirect.log"));
}

TEST(JobMonitorE2E, LongPrinterNames)
{
    /* Job 17: a name of 203 characters keeps every key path within 260
     * characters and is served (its aborted job key is removed); one of 204
     * ends the process at once, touching nothing. */
    for (size_t cchName : { (size_t)203, (size_t)204 }) {
        std::string name(cchName, 'N');
        std::string jobKey = std::string(JH_ROOT_KEY) + name + "\\17";
        RegSetString(jobKey, "Job Status", "Aborted");
        std::string cmd = "\"" + BinDir() + "jobhelper.exe\" 17," + name;
        EXPECT_EQ(0u, RunAndWait(cmd, 20000)) << cchName;
        EXPECT_EQ(cchName == 204, RegKeyExists(jobKey)) << cchName;
        RegDeleteTree(std::string(JH_ROOT_KEY) + name);
    }
}
