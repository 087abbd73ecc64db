/* The real jobhelper.exe, driven by jobsim.exe as by the port monitor,
 * starting the application and running the post-print actions. */
#include "launcherutil.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <string>

#define E2E_PRINTER "E2E Launcher Printer"

static DWORD RunJob(const std::string &dir, const std::string &ini)
{
    std::string path = dir + "\\job.ini";
    WriteWholeFile(path, ini);
    return RunAndWait("\"" + BinDir() + "jobsim.exe\" \"" + path + "\"", 120000);
}

static std::string JobSection(int nJob, const std::string &dir)
{
    return "[Job]\r\nPrinter=" E2E_PRINTER "\r\nJobNumber=" + std::to_string(nJob) +
           "\r\nPages=2\r\nRedirectPrinters=\r\nSpoolDir=" + dir + "\\spool\r\nTimeoutSec=60\r\n";
}

static std::string UniqueName(const char *pszTag)
{
    return std::string("jh_e2e_") + pszTag + "_" + std::to_string(GetCurrentProcessId());
}

TEST(LauncherE2E, StartBeforePrinting)
{
    std::string dir = MakeTempDir("e2e_before");
    std::string record = dir + "\\app.record";
    std::string eventName = UniqueName("ready");
    std::string quitName = UniqueName("quit");
    /* Held here so that its state outlives jobsim, which creates it too. */
    HANDLE hEvent = CreateEventA(NULL, TRUE, FALSE, eventName.c_str());
    HANDLE hQuit = CreateEventA(NULL, TRUE, FALSE, quitName.c_str());
    std::string text = "out=" + record + " watch=" + eventName + " delay=300 quit=" + quitName;
    std::string ini = JobSection(311, dir) + "[Application]\r\nServer=" + BinDir() + "testapp.exe\r\nCommandLine=" +
                      text + "\r\nFlags=0x7\r\nMessagingInterface=" + eventName + "\r\n";

    EXPECT_EQ(0u, RunJob(dir, ini));
    std::map<std::string, std::string> rec = ReadRecord(record);
    EXPECT_EQ(BinDir() + "testapp.exe " + text, rec["commandline"]);
    EXPECT_EQ("unsignaled", rec["watch_at_start"]);
    EXPECT_EQ("unsignaled", rec["watch_before_idle"]);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hEvent, 0)) << "set once the application was idle";
    EXPECT_FALSE(RegKeyExists("SOFTWARE\\Quennor Software LLC\\" E2E_PRINTER "\\311"));

    SetEvent(hQuit);
    EndRecordedProcess(record);
    CloseHandle(hQuit);
    CloseHandle(hEvent);
    RegDeleteTree("SOFTWARE\\Quennor Software LLC\\" E2E_PRINTER);
    RemoveTree(dir);
}

TEST(LauncherE2E, StartAfterPrintingWithPostPrintActions)
{
    std::string dir = MakeTempDir("e2e_after");
    std::string output = dir + "\\output", outFile = output + "\\doc.jhview";
    std::string outbox = dir + "\\outbox", site = dir + "\\site", trace = dir + "\\trace.txt";
    CreateDirectoryA(output.c_str(), NULL);
    CreateDirectoryA(outbox.c_str(), NULL);
    CreateDirectoryA(site.c_str(), NULL);
    WriteWholeFile(outFile, "%PDF-1.4 e2e output\r\n");
    SavedKey folderOpen = RegisterShellRecorders(dir);
    SetEnvironmentVariableA("JH_STANDIN_TRACE", trace.c_str());
    std::string record = dir + "\\app.record";
    std::string quitName = UniqueName("quit_after");
    HANDLE hQuit = CreateEventA(NULL, TRUE, FALSE, quitName.c_str());

    std::string ini = JobSection(312, dir) + "[Application]\r\nServer=" + BinDir() +
                      "testapp.exe\r\nCommandLine=out=" + record + " quit=" + quitName +
                      "\r\nFlags=0x5\r\n"
                      "[PostPrint]\r\nFlags=0xF\r\nOutputFolder=" + output + "\r\nOutputFilename=" + outFile +
                      "\r\n[Email]\r\nEmail sending program 32bit=" + BinDir() +
                      "emailsender.exe\r\nOutput Filename=" + outFile + "\r\nOutbox folder=" + outbox +
                      "\r\nTo=reader@example.com\r\nSubject=E2E output\r\n"
                      "[SharePoint]\r\nSharePoint utility=" + BinDir() + "sharepointutil.exe\r\nOutput Filename=" +
                      outFile + "\r\nSite folder=" + site + "\r\n";

    EXPECT_EQ(0u, RunJob(dir, ini));
    EXPECT_TRUE(WaitForFile(record, 20000));
    EXPECT_TRUE(WaitForFile(dir + "\\folder.record", 20000));
    EXPECT_TRUE(WaitForFile(dir + "\\viewer.record", 20000));
    EXPECT_TRUE(WaitForFile(outbox + "\\312.eml", 20000));
    EXPECT_TRUE(WaitForFile(site + "\\doc.jhview.receipt.txt", 20000));

    /* The application first, then the four actions in their order. */
    std::vector<std::string> started = ReadTraceInStartOrder(trace);
    ASSERT_EQ(5u, started.size());
    EXPECT_NE(std::string::npos, started[0].find("app.record")) << started[0];
    EXPECT_NE(std::string::npos, started[1].find("folder.record")) << started[1];
    EXPECT_EQ("\"SOFTWARE\\Quennor Software LLC\\" E2E_PRINTER "\\Email_TMP\\312\"", ArgumentsOf(started[2]));
    EXPECT_NE(std::string::npos, started[3].find("viewer.record")) << started[3];
    EXPECT_EQ("\"SOFTWARE\\Quennor Software LLC\\" E2E_PRINTER "\\SharePoint_TMP\\312\"", ArgumentsOf(started[4]));

    std::map<std::string, std::string> rec = ReadRecord(record);
    EXPECT_EQ(BinDir() + "testapp.exe out=" + record + " quit=" + quitName, rec["commandline"]);
    EXPECT_EQ("5", rec["showwindow"]);
    EXPECT_NE(std::string::npos, ReadWholeFile(outbox + "\\312.eml").find("Subject: E2E output\r\n"));
    EXPECT_EQ("%PDF-1.4 e2e output\r\n", ReadWholeFile(site + "\\doc.jhview"));
    /* The e-mail and SharePoint keys are the outside programs' to remove. */
    EXPECT_TRUE(RegKeyExists("SOFTWARE\\Quennor Software LLC\\" E2E_PRINTER "\\Email_TMP\\312"));
    EXPECT_FALSE(RegKeyExists("SOFTWARE\\Quennor Software LLC\\" E2E_PRINTER "\\312"));

    SetEvent(hQuit);
    EndRecordedProcess(record);
    CloseHandle(hQuit);
    SetEnvironmentVariableA("JH_STANDIN_TRACE", NULL);
    UnregisterShellRecorders(folderOpen);
    RegDeleteTree("SOFTWARE\\Quennor Software LLC\\" E2E_PRINTER);
    Sleep(200);
    RemoveTree(dir);
}
