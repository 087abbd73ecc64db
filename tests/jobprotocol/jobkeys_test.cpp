#include <gtest/gtest.h>

#include "jobprotocol/jobkeys.h"
#include "jobtestkeys.h"
#include "testutil.h"

#include <cstring>

class JobKeys : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTree(TEST_ROOT); }
    void TearDown() override { RegDeleteTree(TEST_ROOT); }
};

TEST_F(JobKeys, StartApp_CheckReady)
{
    EXPECT_EQ(RET_NONE, StartApp_CheckReady(TEST_PRINTER, 5)); /* no key */
    RegSetDword(JobKey(5), "Flags", 0x3);
    RegSetString(JobKey(5), "Ready", "yes");
    EXPECT_EQ(RET_NONE, StartApp_CheckReady(TEST_PRINTER, 5));
    RegSetString(JobKey(5), "Ready", "YES ");
    EXPECT_EQ(RET_NONE, StartApp_CheckReady(TEST_PRINTER, 5));
    RegSetString(JobKey(5), "Ready", "YES");
    EXPECT_EQ(RET_START_APP_BEFORE, StartApp_CheckReady(TEST_PRINTER, 5));
    RegSetDword(JobKey(5), "Flags", 0x1);
    EXPECT_EQ(RET_START_APP_AFTER, StartApp_CheckReady(TEST_PRINTER, 5));
    RegDeleteTree(JobKey(5));
    RegSetString(JobKey(5), "Ready", "YES"); /* no "Flags" */
    EXPECT_EQ(RET_NONE, StartApp_CheckReady(TEST_PRINTER, 5));
    /* Negative job numbers are formatted signed. */
    RegSetString(JobKey(-3), "Ready", "YES");
    RegSetDword(JobKey(-3), "Flags", 0x2);
    EXPECT_EQ(RET_START_APP_BEFORE, StartApp_CheckReady(TEST_PRINTER, -3));
}

TEST_F(JobKeys, StartApp_ReadRegistryKey)
{
    char szCmd[COMMAND_LINE_SIZE], szPath[TEXT_BUFFER_SIZE], szEvent[TEXT_BUFFER_SIZE];
    DWORD dwFlags = 0xdeadbeef;
    std::string key = JobKey(6);

    EXPECT_EQ(RET_NONE, StartApp_ReadRegistryKey(TEST_PRINTER, 6, NULL, 0, szPath, sizeof(szPath), &dwFlags,
                                                 szEvent, sizeof(szEvent)));
    RegSetString(key, "Ready", "YES");
    RegSetString(key, "Server", "D:\\Tools\\viewer.exe");
    RegSetDword(key, "Flags", 0x7);
    strcpy(szEvent, "marker");
    /* Without "Command Line" the buffer still holds "Ready"; without the
     * event name a start before printing is not ready. */
    EXPECT_EQ(RET_NONE, StartApp_ReadRegistryKey(TEST_PRINTER, 6, szCmd, sizeof(szCmd), szPath, sizeof(szPath),
                                                 &dwFlags, szEvent, sizeof(szEvent)));
    EXPECT_STREQ("YES", szCmd);
    EXPECT_STREQ("marker", szEvent);
    RegSetString(key, "MessagingInterface", "JobEvent");
    RegSetString(key, "Command Line", "/p report.pdf");
    EXPECT_EQ(RET_START_APP_READY, StartApp_ReadRegistryKey(TEST_PRINTER, 6, szCmd, sizeof(szCmd), szPath,
                                                            sizeof(szPath), &dwFlags, szEvent, sizeof(szEvent)));
    EXPECT_STREQ("/p report.pdf", szCmd);
    EXPECT_STREQ("D:\\Tools\\viewer.exe", szPath);
    EXPECT_EQ(0x7u, dwFlags);
    EXPECT_STREQ("JobEvent", szEvent);

    /* A path of 259 characters fits the 260-byte buffer, 260 do not. */
    RegSetString(key, "Server", std::string(259, 'p'));
    EXPECT_EQ(RET_START_APP_READY, StartApp_ReadRegistryKey(TEST_PRINTER, 6, szCmd, sizeof(szCmd), szPath,
                                                            sizeof(szPath), &dwFlags, szEvent, sizeof(szEvent)));
    EXPECT_EQ(259u, strlen(szPath));
    RegSetString(key, "Server", std::string(260, 'p'));
    EXPECT_EQ(RET_NONE, StartApp_ReadRegistryKey(TEST_PRINTER, 6, szCmd, sizeof(szCmd), szPath, sizeof(szPath),
                                                 &dwFlags, szEvent, sizeof(szEvent)));

    RegSetString(key, "Ready", "Abort");
    EXPECT_EQ(RET_START_APP_ABORT, StartApp_ReadRegistryKey(TEST_PRINTER, 6, szCmd, sizeof(szCmd), szPath,
                                                            sizeof(szPath), &dwFlags, szEvent, sizeof(szEvent)));
    RegSetString(key, "Ready", "ABORT");
    EXPECT_EQ(RET_NONE, StartApp_ReadRegistryKey(TEST_PRINTER, 6, szCmd, sizeof(szCmd), szPath, sizeof(szPath),
                                                 &dwFlags, szEvent, sizeof(szEvent)));
}

TEST_F(JobKeys, ReadJobStatusFromRegistryKey)
{
    EXPECT_EQ(RET_NONE, ReadJobStatusFromRegistryKey(TEST_PRINTER, 7));
    const struct { const char *pszStatus; int nResult; } cases[] = {
        { "Job Finished", RET_JOB_FINISHED }, { "Aborted", RET_JOB_ABORTED }, { "job finished", RET_NONE },
        { "Aborted ", RET_NONE },             { "", RET_NONE },
    };
    for (const auto &c : cases) {
        RegSetString(JobKey(7), "Job Status", c.pszStatus);
        EXPECT_EQ(c.nResult, ReadJobStatusFromRegistryKey(TEST_PRINTER, 7)) << c.pszStatus;
    }
}

TEST_F(JobKeys, ReadEndDocFromRegistryKey)
{
    char szDoc[TEXT_BUFFER_SIZE], szPath[KEY_PATH_SIZE];
    DWORD dwPages = 77;
    std::string key = PageKey(8, 0);
    EXPECT_EQ(RET_NONE, ReadEndDocFromRegistryKey(TEST_PRINTER, 8, NULL, szDoc, szPath));
    EXPECT_EQ(RET_NONE, ReadEndDocFromRegistryKey(TEST_PRINTER, 8, &dwPages, szDoc, szPath));

    RegSetString(key, KEY_DOCUMENT_NAME, "Report");
    RegSetString(key, KEY_REGISTRY_PATH, "Test Printer\\Redirect");
    strcpy(szDoc, "doc marker");
    strcpy(szPath, "path marker");
    RegSetString(key, "Ready", "No Redirect");
    EXPECT_EQ(RET_REDIRECT_PRINTING_DISABLED, ReadEndDocFromRegistryKey(TEST_PRINTER, 8, &dwPages, szDoc, szPath));
    EXPECT_STREQ("doc marker", szDoc);
    EXPECT_STREQ("path marker", szPath);

    RegSetString(key, "Ready", "Spooling");
    EXPECT_EQ(RET_NONE, ReadEndDocFromRegistryKey(TEST_PRINTER, 8, &dwPages, szDoc, szPath));
    EXPECT_STREQ("Report", szDoc);
    EXPECT_STREQ("SOFTWARE\\Quennor Software LLC\\Test Printer\\Redirect", szPath);

    RegSetString(key, "Ready", "Printing");
    EXPECT_EQ(RET_REDIRECT_PRINTING_PRINTING, ReadEndDocFromRegistryKey(TEST_PRINTER, 8, &dwPages, szDoc, szPath));
    EXPECT_EQ(77u, dwPages);
    RegSetString(key, "Ready", "YES");
    EXPECT_EQ(RET_REDIRECT_PRINTING_FINISHED, ReadEndDocFromRegistryKey(TEST_PRINTER, 8, &dwPages, szDoc, szPath));
    EXPECT_EQ(77u, dwPages); /* no "PAGENUMBER" yet */
    RegSetDword(key, "PAGENUMBER", 5);
    EXPECT_EQ(RET_REDIRECT_PRINTING_FINISHED, ReadEndDocFromRegistryKey(TEST_PRINTER, 8, &dwPages, szDoc, szPath));
    EXPECT_EQ(5u, dwPages);

    /* A redirect settings path that cannot fit leaves the old one. */
    RegSetString(key, KEY_REGISTRY_PATH, std::string(250, 'r'));
    EXPECT_EQ(RET_REDIRECT_PRINTING_FINISHED, ReadEndDocFromRegistryKey(TEST_PRINTER, 8, &dwPages, szDoc, szPath));
    EXPECT_STREQ("SOFTWARE\\Quennor Software LLC\\Test Printer\\Redirect", szPath);
    /* 241 characters after the 30-character root fill 271 characters. */
    RegSetString(key, KEY_REGISTRY_PATH, std::string(241, 'r'));
    ReadEndDocFromRegistryKey(TEST_PRINTER, 8, &dwPages, szDoc, szPath);
    EXPECT_EQ((size_t)KEY_PATH_SIZE - 1, strlen(szPath));
}

TEST_F(JobKeys, RedirectPrinting_ReadRegistryKey)
{
    char szFile[TEXT_BUFFER_SIZE];
    DWORD dwSize = 0x55, dwDevModeSize = 0x66;
    BYTE *pDevMode = NULL;
    std::string key = PageKey(9, 1);
    BYTE devMode[300];
    memset(devMode, 0xAB, sizeof(devMode));

    EXPECT_EQ(RET_NONE, RedirectPrinting_ReadRegistryKey(TEST_PRINTER, 9, 1, NULL, 0, &dwSize, &pDevMode,
                                                         &dwDevModeSize));
    RegSetString(key, "Ready", "YES");
    RegSetString(key, "Forwarding", "C:\\spool\\9_1.emf");
    EXPECT_EQ(RET_PAGE_READY, RedirectPrinting_ReadRegistryKey(TEST_PRINTER, 9, 1, szFile, sizeof(szFile), &dwSize,
                                                               &pDevMode, &dwDevModeSize));
    EXPECT_STREQ("C:\\spool\\9_1.emf", szFile);
    EXPECT_EQ(0x55u, dwSize);
    EXPECT_EQ(0x66u, dwDevModeSize);
    EXPECT_EQ(NULL, pDevMode);

    RegSetDword(key, "Size", 1234);
    RegSetDword(key, "DevModeSize", sizeof(devMode));
    EXPECT_EQ(RET_NONE, RedirectPrinting_ReadRegistryKey(TEST_PRINTER, 9, 1, szFile, sizeof(szFile), &dwSize,
                                                         &pDevMode, &dwDevModeSize));
    ASSERT_NE(nullptr, pDevMode); /* handed back although "DevMode" is missing */
    HeapFree(GetProcessHeap(), 0, pDevMode);
    pDevMode = NULL;

    RegSetData(key, "DevMode", REG_BINARY, devMode, sizeof(devMode));
    EXPECT_EQ(RET_PAGE_READY, RedirectPrinting_ReadRegistryKey(TEST_PRINTER, 9, 1, szFile, sizeof(szFile), &dwSize,
                                                               &pDevMode, &dwDevModeSize));
    EXPECT_EQ(1234u, dwSize);
    EXPECT_EQ(sizeof(devMode), dwDevModeSize);
    ASSERT_NE(nullptr, pDevMode);
    EXPECT_EQ(0, memcmp(devMode, pDevMode, sizeof(devMode)));
    HeapFree(GetProcessHeap(), 0, pDevMode);
    pDevMode = NULL;

    RegSetString(key, "Ready", "Abort");
    EXPECT_EQ(RET_PAGE_ABORT, RedirectPrinting_ReadRegistryKey(TEST_PRINTER, 9, 1, szFile, sizeof(szFile), &dwSize,
                                                               &pDevMode, &dwDevModeSize));
    RegSetString(key, "Ready", "yes");
    EXPECT_EQ(RET_NONE, RedirectPrinting_ReadRegistryKey(TEST_PRINTER, 9, 1, szFile, sizeof(szFile), &dwSize,
                                                         &pDevMode, &dwDevModeSize));
    EXPECT_EQ(NULL, pDevMode);
}

TEST_F(JobKeys, DocumentValues)
{
    DWORD dwCopies = 1;
    int nCurrent = -9, nStart = -9;
    /* No document key: true, outputs untouched. */
    EXPECT_TRUE(RedirectPrinting_ReadNumberOfCopies(TEST_PRINTER, 10, &dwCopies));
    EXPECT_EQ(1u, dwCopies);
    EXPECT_TRUE(RedirectPrinting_ReadBatesNumbers(TEST_PRINTER, 10, &nCurrent, &nStart));
    EXPECT_EQ(-9, nCurrent);
    RegSetString(PageKey(10, 0), "Ready", "Printing");
    EXPECT_FALSE(RedirectPrinting_ReadNumberOfCopies(TEST_PRINTER, 10, &dwCopies));
    EXPECT_EQ(1u, dwCopies);
    RegSetDword(PageKey(10, 0), "Number of copies", 3);
    EXPECT_TRUE(RedirectPrinting_ReadNumberOfCopies(TEST_PRINTER, 10, &dwCopies));
    EXPECT_EQ(3u, dwCopies);
    RegSetDword(PageKey(10, 0), "Bates start number", 42);
    EXPECT_FALSE(RedirectPrinting_ReadBatesNumbers(TEST_PRINTER, 10, &nCurrent, &nStart));
    EXPECT_EQ(42, nStart);
    EXPECT_EQ(-9, nCurrent);
    RegSetDword(PageKey(10, 0), "Current Bates number", (DWORD)-1);
    EXPECT_TRUE(RedirectPrinting_ReadBatesNumbers(TEST_PRINTER, 10, &nCurrent, &nStart));
    EXPECT_EQ(-1, nCurrent);
}

TEST_F(JobKeys, RedirectSettings)
{
    char szName[PRINTER_NAME_SIZE];
    DWORD cb = sizeof(szName);
    EXPECT_EQ(0u, RedirectPrinting_ReadPrinterCount(TEST_REDIRECT_KEY));
    RegSetDword(TEST_REDIRECT_KEY, "Printer count", 2);
    RegSetString(TEST_REDIRECT_KEY, "Printer 1", "First");
    RegSetString(TEST_REDIRECT_KEY, "Printer 2", std::string(511, 'n'));
    EXPECT_EQ(2u, RedirectPrinting_ReadPrinterCount(TEST_REDIRECT_KEY));
    EXPECT_TRUE(RedirectPrinting_ReadPrinterName(TEST_REDIRECT_KEY, 0, szName, &cb));
    EXPECT_STREQ("First", szName);
    cb = sizeof(szName);
    EXPECT_TRUE(RedirectPrinting_ReadPrinterName(TEST_REDIRECT_KEY, 1, szName, &cb));
    EXPECT_EQ(511u, strlen(szName));
    cb = sizeof(szName);
    EXPECT_FALSE(RedirectPrinting_ReadPrinterName(TEST_REDIRECT_KEY, 2, szName, &cb));
}

/* Writes page key n with a spool file; gives the file's path. */
static std::string MakePage(const std::string &dir, int nJob, int nPage)
{
    std::string file = dir + "\\page" + std::to_string(nPage) + ".emf";
    WriteWholeFile(file, "spool");
    RegSetString(PageKey(nJob, nPage), "Forwarding", file);
    RegSetString(PageKey(nJob, nPage), "Ready", "YES");
    return file;
}

TEST_F(JobKeys, DeleteAbortedJobRegistryKeys)
{
    std::string dir = MakeTempDir("abortkeys");
    RegSetString(JobKey(11), "Job Status", "Aborted");
    RegSetString(PageKey(11, 0), "Ready", "Printing");
    std::string f1 = MakePage(dir, 11, 1), f2 = MakePage(dir, 11, 2);
    DeleteAbortedJobRegistryKeys(TEST_PRINTER, 11);
    EXPECT_FALSE(RegKeyExists(JobKey(11)));
    EXPECT_FALSE(RegKeyExists(PageKey(11, 0)));
    EXPECT_FALSE(RegKeyExists(PageKey(11, 1)));
    EXPECT_FALSE(RegKeyExists(PageKey(11, 2)));
    EXPECT_FALSE(FileExists(f1));
    EXPECT_FALSE(FileExists(f2));

    /* The walk stops at the first missing page. */
    std::string f3 = MakePage(dir, 12, 3);
    DeleteAbortedJobRegistryKeys(TEST_PRINTER, 12);
    EXPECT_TRUE(RegKeyExists(PageKey(12, 3)));
    EXPECT_TRUE(FileExists(f3));
}

TEST_F(JobKeys, DeletePortMonitorFinishedTheJobRegistryKey)
{
    /* A job key that keeps a subkey loses its status all the same. */
    RegSetString(JobKey(13), "Job Status", "Job Finished");
    RegSetString(JobKey(13) + "\\sub", "x", "y");
    EXPECT_TRUE(DeletePortMonitorFinishedTheJobRegistryKey(TEST_PRINTER, 13));
    EXPECT_TRUE(RegKeyExists(JobKey(13)));
    EXPECT_FALSE(RegValueExists(JobKey(13), "Job Status"));
    RegDeleteTree(JobKey(13) + "\\sub");
    EXPECT_TRUE(DeletePortMonitorFinishedTheJobRegistryKey(TEST_PRINTER, 13));
    EXPECT_FALSE(RegKeyExists(JobKey(13)));
    EXPECT_TRUE(DeletePortMonitorFinishedTheJobRegistryKey(TEST_PRINTER, 13)); /* already gone */
}

TEST(JobKeyPaths, Limits)
{
    char szPath[KEY_PATH_SIZE];
    memset(szPath, 'x', sizeof(szPath));
    EXPECT_TRUE(FormatPageKeyPath("P", -7, 3, szPath, sizeof(szPath)));
    EXPECT_STREQ("SOFTWARE\\Quennor Software LLC\\P\\Forwarding\\-7_3", szPath);
    /* The job settings key is the longest: root 30 + name + 25 + job digits. */
    std::string fits(KEY_PATH_SIZE - 1 - 30 - 25 - 2, 'n');
    EXPECT_TRUE(JobKeyPathsFit(fits.c_str(), 17));
    EXPECT_FALSE(JobKeyPathsFit((fits + "n").c_str(), 17));
    memset(szPath, 'x', sizeof(szPath));
    EXPECT_FALSE(FormatJobSettingsKeyPath((fits + "n").c_str(), 17, szPath, sizeof(szPath)));
    EXPECT_EQ('x', szPath[0]);
}
