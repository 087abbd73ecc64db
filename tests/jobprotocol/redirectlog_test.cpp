#include <gtest/gtest.h>

#include "jobprotocol/redirectlog.h"
#include "jobtestkeys.h"
#include "testutil.h"

#include <cstring>

/* Sets the log values of the test's redirect settings key. */
static void SetLogValues(const char *pszEnable, const std::string &file)
{
    RegDeleteTree(TEST_REDIRECT_KEY);
    if (pszEnable)
        RegSetString(TEST_REDIRECT_KEY, "Enable Redirect Printing Log", pszEnable);
    if (!file.empty())
        RegSetString(TEST_REDIRECT_KEY, "Redirect Printing Log File", file);
    RegSetDword(TEST_REDIRECT_KEY, "Printer count", 0);
}

/* A line is the 22-character timestamp, the message and CR LF. */
static void ExpectLine(const std::string &line, const std::string &message)
{
    ASSERT_GE(line.size(), 22u);
    EXPECT_EQ('[', line[0]);
    EXPECT_EQ('/', line[3]);
    EXPECT_EQ('/', line[6]);
    EXPECT_EQ(' ', line[11]);
    EXPECT_EQ(':', line[14]);
    EXPECT_EQ(':', line[17]);
    EXPECT_EQ("] ", line.substr(20, 2));
    EXPECT_EQ(message, line.substr(22));
}

TEST(RedirectLog, FormatLogTimestamp)
{
    SYSTEMTIME st = {};
    char sz[32];
    st.wYear = 2026, st.wMonth = 3, st.wDay = 7, st.wHour = 14, st.wMinute = 5, st.wSecond = 9;
    FormatLogTimestamp(&st, sz, sizeof(sz));
    EXPECT_STREQ("[03/07/2026 14:05:09] ", sz);
    st.wYear = 999;
    FormatLogTimestamp(&st, sz, sizeof(sz));
    EXPECT_STREQ("[03/07/ 999 14:05:09] ", sz);
}

TEST(RedirectLog, Switch)
{
    std::string dir = MakeTempDir("logswitch");
    const struct { const char *pszEnable; bool bOn; } cases[] = {
        { "NO", false }, { "No", false }, { "no", false }, { "yes", true }, { "1", true }, { "", true },
        { "no ", true },
    };
    int n = 0;
    for (const auto &c : cases) {
        std::string file = dir + "\\switch" + std::to_string(n++) + ".log";
        SetLogValues(c.pszEnable, file);
        EXPECT_EQ(1, OpenLogFile(TEST_REDIRECT_KEY)) << c.pszEnable;
        LogMessage("line");
        CloseLogFile();
        EXPECT_EQ(c.bOn, FileExists(file)) << c.pszEnable;
    }
    RegDeleteTree(TEST_REDIRECT_KEY);
}

TEST(RedirectLog, Failures)
{
    std::string dir = MakeTempDir("logfail");
    RegDeleteTree(TEST_REDIRECT_KEY);
    EXPECT_EQ(0, OpenLogFile(TEST_REDIRECT_KEY)); /* no settings key */
    SetLogValues(NULL, dir + "\\a.log");
    EXPECT_EQ(1, OpenLogFile(TEST_REDIRECT_KEY)); /* no switch: off */
    LogMessage("dropped");
    EXPECT_FALSE(FileExists(dir + "\\a.log"));
    SetLogValues("yes", "");
    EXPECT_EQ(0, OpenLogFile(TEST_REDIRECT_KEY)); /* no file name */
    SetLogValues("yes", dir + "\\missing\\b.log");
    EXPECT_EQ(0, OpenLogFile(TEST_REDIRECT_KEY)); /* folder does not exist */
    LogMessage("dropped");
    CloseLogFile();
    CloseLogFile(); /* closing a closed log does nothing */
    EXPECT_FALSE(FileExists(dir + "\\missing"));
    RegDeleteTree(TEST_REDIRECT_KEY);
}

TEST(RedirectLog, LongestFileName)
{
    /* A path of 259 characters fills the 260-byte buffer with its
     * terminator and gives a log; one of 260 does not fit. */
    std::string dir = MakeTempDir("loglong");
    std::string file = dir + "\\" + std::string(TEXT_BUFFER_SIZE - 1 - dir.size() - 1, 'f');
    ASSERT_EQ((size_t)TEXT_BUFFER_SIZE - 1, file.size());
    SetLogValues("yes", file);
    ASSERT_EQ(1, OpenLogFile(TEST_REDIRECT_KEY));
    LogMessage("long");
    CloseLogFile();
    EXPECT_EQ(1u, SplitLines(ReadWholeFile(file)).size());
    SetLogValues("yes", file + "g");
    EXPECT_EQ(0, OpenLogFile(TEST_REDIRECT_KEY));
    RegDeleteTree(TEST_REDIRECT_KEY);
    RemoveTree(dir);
}

TEST(RedirectLog, Lines)
{
    std::string dir = MakeTempDir("loglines");
    std::string file = dir + "\\r.log";
    WriteWholeFile(file, "earlier\r\n");
    SetLogValues("yes", file);
    ASSERT_EQ(1, OpenLogFile(TEST_REDIRECT_KEY));
    /* Another job opens it as well, and appends a line first: each line goes
     * to the end of the file as it is then. */
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS, 0,
                           NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD cbWritten = 0;
    SetFilePointer(h, 0, NULL, FILE_END);
    WriteFile(h, "other job\r\n", 11, &cbWritten, NULL);
    CloseHandle(h);
    LogMessage("Printing page: %d", 3);
    LogMessage("\t%s", "JH_PDF_A");
    std::string longName(600, 'd');
    LogMessage("Document Name = %s", longName.c_str());
    CloseLogFile();
    LogMessage("after close");

    std::vector<std::string> lines = SplitLines(ReadWholeFile(file));
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ("earlier", lines[0]);
    EXPECT_EQ("other job", lines[1]);
    ExpectLine(lines[2], "Printing page: 3");
    ExpectLine(lines[3], "\tJH_PDF_A");
    ExpectLine(lines[4], ("Document Name = " + longName).substr(0, 511));
    EXPECT_EQ("\r\n", ReadWholeFile(file).substr(ReadWholeFile(file).size() - 2));
    RegDeleteTree(TEST_REDIRECT_KEY);
}
