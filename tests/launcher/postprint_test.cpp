#include "launcher/postprint.h"

#include "launcherutil.h"
#include "jobprotocol/jobkeys.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <string>

#define MARKER "\x7f\x7f\x7f"
#define PRINTER "JH Launcher Printer"
#define OUTPUT_DATA "%PDF-1.4 jobhelper test output\r\n"
#define OUTPUT_BASE64 "JVBERi0xLjQgam9iaGVscGVyIHRlc3Qgb3V0cHV0DQo="

static const char kMailKey[] = "Software\\Clients\\Mail";
static const char kOfficeKey[] = "Software\\Microsoft\\Office";
static const char kOutlook14Key[] = "Software\\Microsoft\\Office\\14.0\\Outlook";

TEST(PostPrint, FormatKeyArgument)
{
    char szArg[300] = MARKER;
    EXPECT_TRUE(PostPrint_FormatKeyArgument(7, PRINTER, FALSE, szArg, sizeof(szArg)));
    EXPECT_STREQ("\"SOFTWARE\\Quennor Software LLC\\JH Launcher Printer\\Email_TMP\\7\"", szArg);
    EXPECT_TRUE(PostPrint_FormatKeyArgument(-3, PRINTER, TRUE, szArg, sizeof(szArg)));
    EXPECT_STREQ("\"SOFTWARE\\Quennor Software LLC\\JH Launcher Printer\\SharePoint_TMP\\-3\"", szArg);

    /* The e-mail argument for printer "P", job 1 is 45 characters long. */
    char szSmall[64] = MARKER;
    EXPECT_FALSE(PostPrint_FormatKeyArgument(1, "P", FALSE, szSmall, 45));
    EXPECT_STREQ(MARKER, szSmall);
    EXPECT_TRUE(PostPrint_FormatKeyArgument(1, "P", FALSE, szSmall, 46));
    EXPECT_STREQ("\"SOFTWARE\\Quennor Software LLC\\P\\Email_TMP\\1\"", szSmall);
    EXPECT_FALSE(PostPrint_FormatKeyArgument(1, NULL, FALSE, szSmall, sizeof(szSmall)));
}

TEST(PostPrint, IsOutlook64Bit)
{
    SavedKey userMail = SaveKey(HKEY_CURRENT_USER, kMailKey);
    SavedKey machineMail = SaveKey(HKEY_LOCAL_MACHINE, kMailKey);
    SavedKey office = SaveKey(HKEY_LOCAL_MACHINE, kOfficeKey);
    RegDeleteTree(kMailKey, HKEY_CURRENT_USER);
    RegDeleteTree(kOfficeKey, HKEY_LOCAL_MACHINE);

    RegSetString(kMailKey, NULL, "Native Mail Client", HKEY_LOCAL_MACHINE);
    RegSetString(kOutlook14Key, "Bitness", "x64", HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(IsOutlook64Bit()) << "another default mail client";

    RegSetString(kMailKey, NULL, "Microsoft Outlook", HKEY_LOCAL_MACHINE);
    EXPECT_TRUE(IsOutlook64Bit());
    RegSetString(kOutlook14Key, "Bitness", "x86", HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(IsOutlook64Bit());
    RegSetString(kOutlook14Key, "Bitness", "X64", HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(IsOutlook64Bit()) << "compared case-sensitively";
    RegDeleteTree(kOutlook14Key, HKEY_LOCAL_MACHINE);
    RegSetString("Software\\Microsoft\\Office\\16.0\\Outlook", "Bitness", "x64", HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(IsOutlook64Bit()) << "only the 14.0 key counts";

    /* HKCU comes first; a key without a default value falls back to HKLM. */
    RegSetString(kOutlook14Key, "Bitness", "x64", HKEY_LOCAL_MACHINE);
    RegSetString(kMailKey, NULL, "Native Mail Client", HKEY_LOCAL_MACHINE);
    RegSetString(kMailKey, NULL, "Microsoft Outlook", HKEY_CURRENT_USER);
    EXPECT_TRUE(IsOutlook64Bit());
    RegSetString(kMailKey, NULL, "microsoft outlook", HKEY_CURRENT_USER);
    EXPECT_FALSE(IsOutlook64Bit()) << "a name that HKCU gives is not looked up again in HKLM";
    RegDeleteTree(kMailKey, HKEY_CURRENT_USER);
    RegSetString(kMailKey, "Other", "Microsoft Outlook", HKEY_CURRENT_USER);
    RegSetString(kMailKey, NULL, "Microsoft Outlook", HKEY_LOCAL_MACHINE);
    EXPECT_TRUE(IsOutlook64Bit());
    RegDeleteTree(kMailKey, HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(IsOutlook64Bit()) << "no default mail client";

    RestoreKey(office);
    RestoreKey(machineMail);
    RestoreKey(userMail);
}

/* Everything one post-print run needs: a folder with the output, shell
 * associations that record what they open, and the job's keys. */
struct PostPrintSetup {
    int nJob;
    std::string dir, outFolder, outFile, outbox, site, trace;
    std::string jobKey, emailKey, sharePointKey;
    SavedKey folderOpen;
};

static PostPrintSetup SetUpPostPrint(int nJob, const char *pszExt)
{
    PostPrintSetup s;
    s.nJob = nJob;
    s.dir = MakeTempDir("postprint");
    s.outFolder = s.dir + "\\output";
    s.outFile = s.outFolder + "\\doc" + pszExt;
    s.outbox = s.dir + "\\outbox";
    s.site = s.dir + "\\site";
    s.trace = s.dir + "\\trace.txt";
    CreateDirectoryA(s.outFolder.c_str(), NULL);
    CreateDirectoryA(s.outbox.c_str(), NULL);
    CreateDirectoryA(s.site.c_str(), NULL);
    WriteWholeFile(s.outFile, OUTPUT_DATA);

    s.folderOpen = RegisterShellRecorders(s.dir);

    std::string printerKey = std::string(JH_ROOT_KEY) + PRINTER;
    s.jobKey = printerKey + "\\" + std::to_string(nJob);
    s.emailKey = printerKey + "\\Email_TMP\\" + std::to_string(nJob);
    s.sharePointKey = printerKey + "\\SharePoint_TMP\\" + std::to_string(nJob);
    RegSetString(s.jobKey, "Output folder", s.outFolder);
    RegSetString(s.jobKey, "Output Filename", s.outFile);
    RegSetString(s.emailKey, "Email sending program 32bit", BinDir() + "emailsender.exe");
    RegSetString(s.emailKey, "Output Filename", s.outFile);
    RegSetString(s.emailKey, "Outbox folder", s.outbox);
    RegSetString(s.emailKey, "To", "reader@example.com");
    RegSetString(s.emailKey, "Subject", "Job output");
    RegSetString(s.emailKey, "Body", "The output is attached.\nRegards");
    RegSetString(s.sharePointKey, "SharePoint utility", BinDir() + "sharepointutil.exe");
    RegSetString(s.sharePointKey, "Output Filename", s.outFile);
    RegSetString(s.sharePointKey, "Site folder", s.site);
    SetEnvironmentVariableA("JH_STANDIN_TRACE", s.trace.c_str());
    return s;
}

static void TearDownPostPrint(PostPrintSetup &s)
{
    SetEnvironmentVariableA("JH_STANDIN_TRACE", NULL);
    RegDeleteTree(std::string(JH_ROOT_KEY) + PRINTER);
    UnregisterShellRecorders(s.folderOpen);
    Sleep(200); /* let the stand-ins close their files */
    RemoveTree(s.dir);
}

static std::string EmailKeyArgument(int nJob)
{
    return "\"SOFTWARE\\Quennor Software LLC\\" PRINTER "\\Email_TMP\\" + std::to_string(nJob) + "\"";
}

TEST(PostPrint, StartPostPrintStepsAllFour)
{
    PostPrintSetup s = SetUpPostPrint(9101, ".jhview");
    std::string eml = s.outbox + "\\9101.eml";
    std::string receipt = s.site + "\\doc.jhview.receipt.txt";

    StartPostPrintSteps(s.nJob, PRINTER, 0xF);
    ASSERT_TRUE(WaitForFile(eml, 20000));
    ASSERT_TRUE(WaitForFile(receipt, 20000));
    ASSERT_TRUE(WaitForFile(s.dir + "\\folder.record", 20000));
    ASSERT_TRUE(WaitForFile(s.dir + "\\viewer.record", 20000));

    /* Started in order: folder, e-mail sender, viewer, SharePoint utility. */
    std::vector<std::string> started = ReadTraceInStartOrder(s.trace);
    ASSERT_EQ(4u, started.size());
    EXPECT_NE(std::string::npos, started[0].find("folder.record")) << started[0];
    EXPECT_NE(std::string::npos, started[1].find("emailsender.exe")) << started[1];
    EXPECT_NE(std::string::npos, started[2].find("viewer.record")) << started[2];
    EXPECT_NE(std::string::npos, started[3].find("sharepointutil.exe")) << started[3];
    /* Each external program gets exactly one argument, its quoted key path. */
    EXPECT_EQ(EmailKeyArgument(s.nJob), ArgumentsOf(started[1]));
    EXPECT_EQ("\"SOFTWARE\\Quennor Software LLC\\" PRINTER "\\SharePoint_TMP\\9101\"", ArgumentsOf(started[3]));

    std::map<std::string, std::string> folder = ReadRecord(s.dir + "\\folder.record");
    EXPECT_NE(std::string::npos, folder["commandline"].find(s.outFolder)) << folder["commandline"];
    std::map<std::string, std::string> viewer = ReadRecord(s.dir + "\\viewer.record");
    EXPECT_NE(std::string::npos, viewer["commandline"].find(s.outFile)) << viewer["commandline"];
    EXPECT_EQ("8", folder["showwindow"]); /* SW_SHOWNA */
    EXPECT_EQ("5", viewer["showwindow"]); /* SW_SHOW */

    std::string mail = ReadWholeFile(eml);
    EXPECT_EQ(0u, mail.find("From: jobhelper@localhost\r\nTo: reader@example.com\r\nSubject: Job output\r\n"));
    EXPECT_NE(std::string::npos, mail.find("\r\nMIME-Version: 1.0\r\n"));
    EXPECT_NE(std::string::npos, mail.find("\r\n\r\nThe output is attached.\r\nRegards\r\n"));
    EXPECT_NE(std::string::npos, mail.find("Content-Disposition: attachment; filename=\"doc.jhview\"\r\n\r\n"
                                           OUTPUT_BASE64 "\r\n"));

    EXPECT_EQ(OUTPUT_DATA, ReadWholeFile(s.site + "\\doc.jhview"));
    std::vector<std::string> lines = SplitLines(ReadWholeFile(receipt));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ("Key=" + s.sharePointKey, lines[0]);
    EXPECT_EQ("Size=" + std::to_string(sizeof(OUTPUT_DATA) - 1), lines[3]);
    TearDownPostPrint(s);
}

TEST(PostPrint, StartPostPrintStepsSkipsAndRetries)
{
    /* An output type with only an "edit" verb: opened once more with "edit". */
    PostPrintSetup s = SetUpPostPrint(9102, ".jhedit");
    StartPostPrintSteps(s.nJob, PRINTER, 0x4);
    ASSERT_TRUE(WaitForFile(s.dir + "\\edit.record", 20000));
    EXPECT_NE(std::string::npos, ReadRecord(s.dir + "\\edit.record")["commandline"].find(s.outFile));

    /* No e-mail key: no sender starts; the other three still run. */
    RegDeleteTree(s.emailKey);
    DeleteFileA(s.trace.c_str());
    std::string viewFile = s.outFolder + "\\doc.jhview";
    WriteWholeFile(viewFile, OUTPUT_DATA);
    RegSetString(s.jobKey, "Output Filename", viewFile);
    StartPostPrintSteps(s.nJob, PRINTER, 0xF);
    ASSERT_TRUE(WaitForFile(s.site + "\\doc.jhedit.receipt.txt", 20000));
    ASSERT_TRUE(WaitForFile(s.dir + "\\folder.record", 20000));
    ASSERT_TRUE(WaitForFile(s.dir + "\\viewer.record", 20000));
    Sleep(500);
    std::vector<std::string> started = ReadTraceInStartOrder(s.trace);
    EXPECT_EQ(3u, started.size());
    for (const std::string &line : started)
        EXPECT_EQ(std::string::npos, line.find("emailsender")) << line;
    EXPECT_FALSE(FileExists(s.outbox + "\\9102.eml"));
    TearDownPostPrint(s);
}

TEST(PostPrint, StartPostPrintStepsSenderBitness)
{
    PostPrintSetup s = SetUpPostPrint(9103, ".jhview");
    SavedKey userMail = SaveKey(HKEY_CURRENT_USER, kMailKey);
    SavedKey machineMail = SaveKey(HKEY_LOCAL_MACHINE, kMailKey);
    SavedKey office = SaveKey(HKEY_LOCAL_MACHINE, kOfficeKey);
    std::string sender64 = s.dir + "\\x64\\emailsender.exe";
    ASSERT_TRUE(CopyProgram("emailsender.exe", sender64));
    RegSetString(s.emailKey, "Email sending program 64bit", sender64);
    std::string eml = s.outbox + "\\9103.eml";

    struct Case {
        const char *pszClient, *pszBitness;
        bool b64;
    } cases[] = {
        {"Microsoft Outlook", "x64", true},
        {"Microsoft Outlook", "x86", false},
        {"Native Mail Client", "x64", false},
    };
    for (const Case &c : cases) {
        RegDeleteTree(kMailKey, HKEY_CURRENT_USER);
        RegSetString(kMailKey, NULL, c.pszClient, HKEY_LOCAL_MACHINE);
        RegSetString(kOutlook14Key, "Bitness", c.pszBitness, HKEY_LOCAL_MACHINE);
        DeleteFileA(s.trace.c_str());
        DeleteFileA(eml.c_str());
        StartPostPrintSteps(s.nJob, PRINTER, 0x2);
        ASSERT_TRUE(WaitForFile(eml, 20000)) << c.pszClient << " " << c.pszBitness;
        std::vector<std::string> started = ReadTraceInStartOrder(s.trace);
        ASSERT_EQ(1u, started.size());
        EXPECT_EQ(c.b64, started[0].find(sender64) != std::string::npos) << started[0];
        EXPECT_EQ(EmailKeyArgument(s.nJob), ArgumentsOf(started[0]));
    }

    RestoreKey(office);
    RestoreKey(machineMail);
    RestoreKey(userMail);
    TearDownPostPrint(s);
}
