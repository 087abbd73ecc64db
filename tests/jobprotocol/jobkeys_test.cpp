#include <gtest/gtest.h>

#include "jobprotocol/jobkeys.h"
#include "jobtestkeys.h"
#include "testutil.h"

#include <climits>
#include <cstring>
#include <string>
#include <vector>

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

    /* A "Forwarding" that fills its 260 bytes without a terminator is a ready
     * page with no file name (and nothing after it read); 259 characters fit. */
    RegSetUnterminated(key, "Forwarding", std::string(TEXT_BUFFER_SIZE, 'f'));
    memset(szFile, 'x', sizeof(szFile));
    dwSize = 0x55;
    EXPECT_EQ(RET_PAGE_READY, RedirectPrinting_ReadRegistryKey(TEST_PRINTER, 9, 1, szFile, sizeof(szFile), &dwSize,
                                                               &pDevMode, &dwDevModeSize));
    EXPECT_STREQ("", szFile);
    EXPECT_EQ(0x55u, dwSize);
    EXPECT_EQ(NULL, pDevMode);
    RegSetUnterminated(key, "Forwarding", std::string(TEXT_BUFFER_SIZE - 1, 'f'));
    EXPECT_EQ(RET_PAGE_READY, RedirectPrinting_ReadRegistryKey(TEST_PRINTER, 9, 1, szFile, sizeof(szFile), &dwSize,
                                                               &pDevMode, &dwDevModeSize));
    EXPECT_EQ(std::string(TEXT_BUFFER_SIZE - 1, 'f'), szFile);
    HeapFree(GetProcessHeap(), 0, pDevMode);
    pDevMode = NULL;
    /* No device mode is larger than its two 16-bit sizes allow. */
    RegSetDword(key, "DevModeSize", DEVMODE_MAX_SIZE + 1);
    dwDevModeSize = 0x66;
    EXPECT_EQ(RET_PAGE_READY, RedirectPrinting_ReadRegistryKey(TEST_PRINTER, 9, 1, szFile, sizeof(szFile), &dwSize,
                                                               &pDevMode, &dwDevModeSize));
    EXPECT_EQ(0x66u, dwDevModeSize);
    EXPECT_EQ(NULL, pDevMode);

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

/* One stored form of a 32-bit value, and what every reader makes of it. */
struct DwordForm {
    const char *pszWhat;
    DWORD dwType;
    std::string data;
    bool bRead;
    DWORD dwValue;
};

static DwordForm TextForm(const char *pszText, bool bRead, DWORD dwValue, DWORD dwType = REG_SZ)
{
    return { pszText, dwType, std::string(pszText) + '\0', bRead, dwValue };
}

static DwordForm RawForm(const char *pszWhat, DWORD dwType, const std::string &data, bool bRead, DWORD dwValue)
{
    return { pszWhat, dwType, data, bRead, dwValue };
}

TEST_F(JobKeys, DwordValueTypes)
{
    const DWORD dwFive = 5;
    const std::vector<DwordForm> forms = {
        RawForm("REG_DWORD", REG_DWORD, std::string((const char *)&dwFive, 4), true, 5),
        TextForm("2", true, 2),
        TextForm(" +7\t", true, 7),
        TextForm("3", true, 3, REG_EXPAND_SZ),
        TextForm("4294967295", true, 0xFFFFFFFF),
        TextForm("-2147483648", true, 0x80000000),
        TextForm("4294967296", false, 0),
        TextForm("2x", false, 0),
        TextForm("", false, 0),
        RawForm("REG_BINARY", REG_BINARY, std::string((const char *)&dwFive, 4), false, 0),
        RawForm("short REG_DWORD", REG_DWORD, std::string("\5\0", 2), false, 0),
    };
    /* Every 32-bit value of the protocol, each read by its own reader:
     * (key, value name, reader giving whether it read and what). */
    struct Reader {
        std::string key;
        const char *pszName;
        bool (*pfnRead)(DWORD *);
    };
    const Reader readers[] = {
        { PageKey(14, 0), "Number of copies",
          [](DWORD *p) { return RedirectPrinting_ReadNumberOfCopies(TEST_PRINTER, 14, p) != FALSE; } },
        { PageKey(14, 0), "PAGENUMBER",
          [](DWORD *p) {
              char szDoc[TEXT_BUFFER_SIZE], szPath[KEY_PATH_SIZE];
              DWORD dw = 0xABCD;
              ReadEndDocFromRegistryKey(TEST_PRINTER, 14, &dw, szDoc, szPath);
              *p = dw;
              return dw != 0xABCD;
          } },
        { PageKey(14, 0), "Bates start number",
          [](DWORD *p) {
              int nCurrent = 0, nStart = 0;
              bool b = RedirectPrinting_ReadBatesNumbers(TEST_PRINTER, 14, &nCurrent, &nStart) != FALSE;
              *p = (DWORD)nStart;
              return b;
          } },
        { TEST_REDIRECT_KEY, "Printer count",
          [](DWORD *p) { return (*p = RedirectPrinting_ReadPrinterCount(TEST_REDIRECT_KEY)) != 0; } },
        { JobKey(14), "Post Print Flags",
          [](DWORD *p) { return ReadJobRegistryDword(TEST_PRINTER, 14, "Post Print Flags", p) != FALSE; } },
        { JobKey(14), "Flags",
          [](DWORD *p) {
              char szCmd[COMMAND_LINE_SIZE], szPath[TEXT_BUFFER_SIZE];
              return StartApp_ReadRegistryKey(TEST_PRINTER, 14, szCmd, sizeof(szCmd), szPath, sizeof(szPath), p,
                                              NULL, 0) == RET_START_APP_READY;
          } },
        { PageKey(14, 1), "Size",
          [](DWORD *p) {
              char szFile[TEXT_BUFFER_SIZE];
              DWORD dwDevModeSize = 0;
              *p = 0xABCD;
              RedirectPrinting_ReadRegistryKey(TEST_PRINTER, 14, 1, szFile, sizeof(szFile), p, NULL, &dwDevModeSize);
              return *p != 0xABCD;
          } },
    };
    RegSetString(PageKey(14, 0), "Ready", "YES");
    RegSetDword(PageKey(14, 0), "Current Bates number", 0);
    RegSetString(JobKey(14), "Ready", "YES");
    RegSetString(JobKey(14), "Server", "app.exe");
    RegSetString(PageKey(14, 1), "Ready", "YES");
    RegSetString(PageKey(14, 1), "Forwarding", "C:\\spool\\14_1.emf");
    for (const Reader &r : readers) {
        for (const DwordForm &f : forms) {
            /* Flags with bit 1 set would want an event name too. */
            if (strcmp(r.pszName, "Flags") == 0 && f.bRead && (f.dwValue & SAF_BEFORE_PRINTING))
                continue;
            RegSetData(r.key, r.pszName, f.dwType, f.data.data(), (DWORD)f.data.size());
            DWORD dwValue = 0;
            bool bRead = r.pfnRead(&dwValue);
            EXPECT_EQ(f.bRead, bRead) << r.pszName << " as " << f.pszWhat;
            if (f.bRead && bRead) {
                EXPECT_EQ(f.dwValue, dwValue) << r.pszName << " as " << f.pszWhat;
            }
        }
    }
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
    /* The ANSI registry calls open no path over 260 characters. The job
     * settings key is the longest: the root with its separator (30), the name,
     * the 25 characters of \Save As Option Settings\ and the job number. */
    for (int nJob : { 17, 0, -7, INT_MAX, INT_MIN }) {
        size_t cchJob = std::to_string(nJob).size();
        std::string fits(JOB_KEY_PATH_MAX - 30 - 25 - cchJob, 'n');
        EXPECT_TRUE(JobKeyPathsFit(fits.c_str(), nJob)) << nJob;
        EXPECT_FALSE(JobKeyPathsFit((fits + "n").c_str(), nJob)) << nJob;
        memset(szPath, 'x', sizeof(szPath));
        EXPECT_FALSE(FormatJobSettingsKeyPath((fits + "n").c_str(), nJob, szPath, sizeof(szPath)));
        EXPECT_EQ('x', szPath[0]);
    }
}

TEST(JobKeyPaths, LongestNameWorks)
{
    /* At the limit the longest key, 260 characters, is written and then
     * deleted by the program through the ANSI calls. */
    std::string name(JOB_KEY_PATH_MAX - 30 - 25 - 11, 'n');
    char szPath[KEY_PATH_SIZE];
    ASSERT_TRUE(FormatJobSettingsKeyPath(name.c_str(), INT_MIN, szPath, sizeof(szPath)));
    EXPECT_EQ((size_t)JOB_KEY_PATH_MAX, strlen(szPath));
    RegSetDword(szPath, "File Format", 4);
    ASSERT_TRUE(RegKeyExists(szPath));
    DeleteSaveAsOptionSettingsRegistryKey(name.c_str(), INT_MIN);
    EXPECT_FALSE(RegKeyExists(szPath));
    RegDeleteTree(std::string(JH_ROOT_KEY) + name);
}
