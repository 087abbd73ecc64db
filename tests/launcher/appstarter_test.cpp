#include "launcher/appstarter.h"

#include "launcherutil.h"
#include "jobprotocol/jobkeys.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#define MARKER "\x7f\x7f\x7f"

TEST(AppStarter, GetWorkingDirectory)
{
    struct Case {
        const char *pszPath, *pszDir;
    } cases[] = {
        {"D:\\Tools\\viewer.exe", "D:\\Tools"},
        {"D:\\viewer.exe", "D:"},
        {"viewer.exe", ""},
        {"D:viewer.exe", "D:"}, /* the drive, not a folder named "D" */
        {"\\\\server\\share\\viewer.exe", "\\\\server\\share"},
        {"\"C:\\Program Files\\Viewer\\viewer.exe\"", "C:\\Program Files\\Viewer"},
        {"\"viewer.exe\"", ""},
        {"\"D:\\viewer.exe\"", "D:"},
        {"", ""},
    };
    for (const Case &c : cases) {
        char szDir[MAX_PATH] = MARKER;
        EXPECT_TRUE(StartApp_GetWorkingDirectory(c.pszPath, szDir, sizeof(szDir))) << c.pszPath;
        EXPECT_STREQ(c.pszDir, szDir) << c.pszPath;
    }

    /* "D:\Tools" needs 9 characters with its terminator. */
    char szDir[16] = MARKER;
    EXPECT_FALSE(StartApp_GetWorkingDirectory("D:\\Tools\\viewer.exe", szDir, 8));
    EXPECT_STREQ(MARKER, szDir);
    EXPECT_TRUE(StartApp_GetWorkingDirectory("D:\\Tools\\viewer.exe", szDir, 9));
    EXPECT_STREQ("D:\\Tools", szDir);
    EXPECT_FALSE(StartApp_GetWorkingDirectory(NULL, szDir, sizeof(szDir)));
    EXPECT_FALSE(StartApp_GetWorkingDirectory("viewer.exe", szDir, 0));
}

TEST(AppStarter, GetShowCommand)
{
    EXPECT_EQ(SW_SHOW, StartApp_GetShowCommand(0x1));
    EXPECT_EQ(SW_SHOW, StartApp_GetShowCommand(0x7));
    EXPECT_EQ(SW_SHOWMINIMIZED, StartApp_GetShowCommand(0x11));
    EXPECT_EQ(SW_HIDE, StartApp_GetShowCommand(0x21));
    EXPECT_EQ(SW_HIDE, StartApp_GetShowCommand(0x33)); /* hidden wins over minimized */
}

TEST(AppStarter, ComposeCommandLine)
{
    char szFull[APP_FULL_COMMAND_LINE_SIZE] = MARKER;
    /* Without SAF_APPEND_COMMAND_LINE the text is dropped. */
    EXPECT_TRUE(StartApp_ComposeCommandLine("D:\\Tools\\viewer.exe", "/p x.pdf", 0x1, szFull, sizeof(szFull)));
    EXPECT_STREQ("D:\\Tools\\viewer.exe", szFull);
    EXPECT_TRUE(StartApp_ComposeCommandLine("D:\\Tools\\viewer.exe", "/p x.pdf", 0x7, szFull, sizeof(szFull)));
    EXPECT_STREQ("D:\\Tools\\viewer.exe /p x.pdf", szFull);
    EXPECT_TRUE(StartApp_ComposeCommandLine("D:\\Tools\\viewer.exe", "", 0x5, szFull, sizeof(szFull)));
    EXPECT_STREQ("D:\\Tools\\viewer.exe ", szFull);
    EXPECT_TRUE(StartApp_ComposeCommandLine("D:\\Tools\\viewer.exe", NULL, 0x5, szFull, sizeof(szFull)));
    EXPECT_STREQ("D:\\Tools\\viewer.exe", szFull);

    /* A path with blanks is quoted unless it arrived quoted. */
    EXPECT_TRUE(StartApp_ComposeCommandLine("C:\\Program Files\\x\\app.exe", "a b", 0x5, szFull, sizeof(szFull)));
    EXPECT_STREQ("\"C:\\Program Files\\x\\app.exe\" a b", szFull);
    EXPECT_TRUE(
        StartApp_ComposeCommandLine("\"C:\\Program Files\\x\\app.exe\"", "a b", 0x5, szFull, sizeof(szFull)));
    EXPECT_STREQ("\"C:\\Program Files\\x\\app.exe\" a b", szFull);
    EXPECT_TRUE(StartApp_ComposeCommandLine("C:\\Tab\tDir\\app.exe", NULL, 0x1, szFull, sizeof(szFull)));
    EXPECT_STREQ("\"C:\\Tab\tDir\\app.exe\"", szFull);

    /* The longest inputs (259 + 1023 characters, path with blanks) fit. */
    std::string longPath = "C:\\a b\\" + std::string(259 - 11, 'p') + ".exe";
    std::string longText(1023, 't');
    ASSERT_EQ(259u, longPath.size());
    EXPECT_TRUE(StartApp_ComposeCommandLine(longPath.c_str(), longText.c_str(), 0x5, szFull, sizeof(szFull)));
    EXPECT_EQ(259u + 2 + 1 + 1023, strlen(szFull));

    /* Limit: "a.exe x" needs 8 characters. */
    char szSmall[16] = MARKER;
    EXPECT_FALSE(StartApp_ComposeCommandLine("a.exe", "x", 0x5, szSmall, 7));
    EXPECT_STREQ(MARKER, szSmall);
    EXPECT_TRUE(StartApp_ComposeCommandLine("a.exe", "x", 0x5, szSmall, 8));
    EXPECT_STREQ("a.exe x", szSmall);
    EXPECT_FALSE(StartApp_ComposeCommandLine(NULL, "x", 0x5, szSmall, sizeof(szSmall)));
}

/* A manual-reset event of a unique name, in the given state. */
static HANDLE MakeEvent(const std::string &name, BOOL bSignaled)
{
    return CreateEventA(NULL, TRUE, bSignaled, name.c_str());
}

static bool IsSignaled(HANDLE hEvent)
{
    return WaitForSingleObject(hEvent, 0) == WAIT_OBJECT_0;
}

static std::string UniqueName(const char *pszTag)
{
    return std::string("jh_launcher_") + pszTag + "_" + std::to_string(GetCurrentProcessId());
}

TEST(AppStarter, StartApplicationAfterPrinting)
{
    std::string dir = MakeTempDir("appafter");
    std::string app = dir + "\\viewer.exe";
    ASSERT_TRUE(CopyProgram("testapp.exe", app));
    std::string record = app + ".record";
    std::string eventName = UniqueName("after");
    HANDLE hEvent = MakeEvent(eventName, TRUE);

    /* 0x1: the path alone, shown normally, started in its own folder; the
     * event is not touched. */
    EXPECT_EQ(0, StartApplication("out=C:\\ignored.txt", app.c_str(), 0x1, eventName.c_str()));
    ASSERT_TRUE(FileExists(record)) << "the start returns only once the application is idle";
    std::map<std::string, std::string> rec = ReadRecord(record);
    EXPECT_EQ(app, rec["commandline"]);
    EXPECT_EQ(app, rec["module"]);
    EXPECT_EQ(dir, rec["cwd"]);
    EXPECT_EQ("0x1", rec["startflags"]); /* STARTF_USESHOWWINDOW only */
    EXPECT_EQ("5", rec["showwindow"]);
    EXPECT_TRUE(IsSignaled(hEvent));
    EndRecordedProcess(record);
    DeleteFileA(record.c_str());

    /* 0x13: minimized; 0x33: hidden wins over minimized. */
    EXPECT_EQ(0, StartApplication("", app.c_str(), 0x13, NULL));
    EXPECT_EQ("2", ReadRecord(record)["showwindow"]);
    EndRecordedProcess(record);
    DeleteFileA(record.c_str());
    EXPECT_EQ(0, StartApplication("", app.c_str(), 0x33, NULL));
    EXPECT_EQ("0", ReadRecord(record)["showwindow"]);
    EndRecordedProcess(record);
    DeleteFileA(record.c_str());

    /* 0x2 without bit 0: nothing starts, the event keeps its state. */
    EXPECT_EQ(0, StartApplication("", app.c_str(), 0x2, eventName.c_str()));
    EXPECT_FALSE(FileExists(record));
    EXPECT_TRUE(IsSignaled(hEvent));

    CloseHandle(hEvent);
    RemoveTree(dir);
}

TEST(AppStarter, StartApplicationHandshake)
{
    std::string dir = MakeTempDir("apphandshake");
    std::string app = BinDir() + "testapp.exe";
    std::string record = dir + "\\handshake.record";
    std::string eventName = UniqueName("ready");
    std::string quitName = UniqueName("quit");
    /* Signalled beforehand, so that the record shows whether it was reset
     * before the start; the application pauses before going idle, so that a
     * premature SetEvent would show in its second look. */
    HANDLE hEvent = MakeEvent(eventName, TRUE);
    HANDLE hQuit = MakeEvent(quitName, FALSE);
    std::string text = "out=" + record + " watch=" + eventName + " delay=500 quit=" + quitName;

    EXPECT_EQ(0, StartApplication(text.c_str(), app.c_str(), 0x7, eventName.c_str()));
    std::map<std::string, std::string> rec = ReadRecord(record);
    EXPECT_EQ(app + " " + text, rec["commandline"]);
    EXPECT_EQ("unsignaled", rec["watch_at_start"]);
    EXPECT_EQ("unsignaled", rec["watch_before_idle"]);
    EXPECT_TRUE(rec.count("idle"));
    EXPECT_TRUE(IsSignaled(hEvent));
    SetEvent(hQuit);
    EndRecordedProcess(record);
    DeleteFileA(record.c_str());

    /* 0x3 with an event name that no event has: the start goes on, and no
     * event of that name comes into being. */
    std::string missing = UniqueName("missing");
    std::string copy = dir + "\\app.exe";
    ASSERT_TRUE(CopyProgram("testapp.exe", copy));
    EXPECT_EQ(0, StartApplication("", copy.c_str(), 0x3, missing.c_str()));
    EXPECT_TRUE(FileExists(copy + ".record"));
    HANDLE hMissing = OpenEventA(SYNCHRONIZE, FALSE, missing.c_str());
    EXPECT_EQ(NULL, hMissing);
    if (hMissing)
        CloseHandle(hMissing);
    EndRecordedProcess(copy + ".record");

    /* A start that fails leaves the event reset and not set. */
    SetEvent(hEvent);
    std::string absent = dir + "\\absent.exe";
    EXPECT_EQ(0, StartApplication("", absent.c_str(), 0x3, eventName.c_str()));
    EXPECT_FALSE(IsSignaled(hEvent));

    CloseHandle(hQuit);
    CloseHandle(hEvent);
    RemoveTree(dir);
}

TEST(AppStarter, StartApplicationPaths)
{
    std::string dir = MakeTempDir("apppaths");

    /* No '\' and no ':': started in the caller's own current directory. */
    std::string app = dir + "\\viewer.exe";
    ASSERT_TRUE(CopyProgram("testapp.exe", app));
    char szOldDir[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof(szOldDir), szOldDir);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));
    EXPECT_EQ(0, StartApplication("", "viewer.exe", 0x1, NULL));
    SetCurrentDirectoryA(szOldDir);
    std::map<std::string, std::string> rec = ReadRecord(app + ".record");
    EXPECT_EQ("viewer.exe", rec["commandline"]);
    EXPECT_EQ(dir, rec["cwd"]);
    EndRecordedProcess(app + ".record");

    /* A path with blanks, with a program where its first word would end. */
    std::string blanks = dir + "\\Program Files\\x\\app.exe";
    std::string decoy = dir + "\\Program.exe";
    ASSERT_TRUE(CopyProgram("testapp.exe", blanks));
    ASSERT_TRUE(CopyProgram("testapp.exe", decoy));
    EXPECT_EQ(0, StartApplication("", blanks.c_str(), 0x1, NULL));
    EXPECT_FALSE(FileExists(decoy + ".record"));
    rec = ReadRecord(blanks + ".record");
    EXPECT_EQ(blanks, rec["module"]);
    EXPECT_EQ("\"" + blanks + "\"", rec["commandline"]);
    EXPECT_EQ(dir + "\\Program Files\\x", rec["cwd"]);
    EndRecordedProcess(blanks + ".record");
    EndRecordedProcess(decoy + ".record");
    DeleteFileA((blanks + ".record").c_str());

    /* The same path arriving quoted: same program, same working directory. */
    std::string quoted = "\"" + blanks + "\"";
    EXPECT_EQ(0, StartApplication("x y", quoted.c_str(), 0x5, NULL));
    rec = ReadRecord(blanks + ".record");
    EXPECT_EQ(blanks, rec["module"]);
    EXPECT_EQ(quoted + " x y", rec["commandline"]);
    EXPECT_EQ(dir + "\\Program Files\\x", rec["cwd"]);
    EndRecordedProcess(blanks + ".record");

    RemoveTree(dir);
}
