#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "settings/families.h"
#include "tools/drvsettings/drvargs.h"
#include "tools/drvsettings/drvtool.h"
#include "inifile.h"
#include "regfixture.h"
#include "testutil.h"

#define CUPS_PRINTER "JH_PDF_A" /* a queue of the test environment */

static const std::wstring kCupsPrinterKey = std::wstring(TEST_ROOT) + L"\\" CUPS_PRINTER;

/* Parses a command line given as words after the program name. */
static int Parse(std::vector<const WCHAR *> words, ToolArgs *pArgs, std::wstring *pError = NULL)
{
    words.insert(words.begin(), L"drvsettings.exe");
    WCHAR szError[TOOL_ERROR_CCH] = L"marker";
    int nResult = ParseToolArgs((int)words.size(), words.data(), pArgs, szError, TOOL_ERROR_CCH);
    if (pError)
        *pError = szError;
    return nResult;
}

TEST(DrvSettingsTool, ParseArguments)
{
    ToolArgs args;
    std::wstring error;

    /* Complete command lines. */
    ASSERT_EQ(1, Parse({L"export", L"--devmode", L"job.dm", L"out.ini"}, &args, &error));
    EXPECT_EQ(TOOL_CMD_EXPORT, args.nCommand);
    EXPECT_EQ(TOOL_SRC_DEVMODE_FILE, args.nSource);
    EXPECT_STREQ(L"job.dm", args.pszSource);
    EXPECT_STREQ(L"out.ini", args.pszIniFile);
    EXPECT_EQ(L"", error);
    ASSERT_EQ(1, Parse({L"EXPORT", L"out.ini", L"--Printer", L"Office Laser"}, &args));
    EXPECT_EQ(TOOL_SRC_PRINTER, args.nSource);
    EXPECT_STREQ(L"Office Laser", args.pszSource);
    EXPECT_STREQ(L"out.ini", args.pszIniFile);
    ASSERT_EQ(1, Parse({L"get", L"--printer", L"P", L"Default Settings", L"File Format"}, &args));
    EXPECT_EQ(TOOL_CMD_GET, args.nCommand);
    EXPECT_STREQ(L"Default Settings", args.pszSection);
    EXPECT_STREQ(L"File Format", args.pszKey);
    EXPECT_TRUE(args.pszIniFile == NULL);
    for (const WCHAR *pszHelp : {L"help", L"-h", L"--help", L"/?"}) {
        ASSERT_EQ(1, Parse({pszHelp}, &args)) << pszHelp;
        EXPECT_EQ(TOOL_CMD_HELP, args.nCommand);
    }

    /* Bad command lines: 0, a message, and nothing half-filled to act on. */
    const std::vector<std::vector<const WCHAR *>> aBad = {
        {},
        {L"frobnicate"},
        {L"export"},
        {L"export", L"out.ini"},                                            /* no source */
        {L"export", L"--devmode"},                                          /* option without value */
        {L"export", L"--devmode", L"", L"out.ini"},                         /* empty value */
        {L"export", L"--devmode", L"a.dm", L"--printer", L"P", L"out.ini"}, /* two sources */
        {L"export", L"--devmode", L"a.dm", L"--devmode", L"b.dm", L"o.ini"},
        {L"export", L"--devmode", L"a.dm"},                                 /* no INI file */
        {L"export", L"--devmode", L"a.dm", L"o.ini", L"extra"},
        {L"export", L"--devmode", L"a.dm", L""},
        {L"export", L"--verbose", L"--devmode", L"a.dm", L"o.ini"},         /* unknown option */
        {L"get", L"--printer", L"P", L"Default Settings"},                  /* no key */
        {L"get", L"--printer", L"P", L"S", L"K", L"extra"},
    };
    for (size_t i = 0; i < aBad.size(); i++) {
        EXPECT_EQ(0, Parse(aBad[i], &args, &error)) << "case " << i;
        EXPECT_NE(L"", error) << "case " << i;
        EXPECT_NE(L"marker", error) << "case " << i;
    }
    Parse({L"frobnicate"}, &args, &error);
    EXPECT_NE(std::wstring::npos, error.find(L"frobnicate"));

    /* A small message buffer is never overrun. */
    const WCHAR *apszLong[] = {L"drvsettings.exe", L"a-very-long-command-name-that-does-not-exist"};
    WCHAR szSmall[12];
    szSmall[11] = L'#';
    EXPECT_EQ(0, ParseToolArgs(2, apszLong, &args, szSmall, 11));
    EXPECT_EQ(L'#', szSmall[11]);
    EXPECT_EQ(0, ParseToolArgs(2, apszLong, NULL, NULL, 0));
}

/* A device-mode file of the given size holding a test block. */
static std::string WriteDevModeFile(const std::string &dir, const DriverDevMode *pDm, size_t cb)
{
    std::string path = dir + "\\job.dm";
    std::string data((const char *)pDm, sizeof(*pDm));
    data.resize(cb, '\0');
    WriteWholeFile(path, data);
    return path;
}

TEST(DrvSettingsTool, DeviceModeSources)
{
    RegistryScope scope;
    DriverDevMode dm, loaded;
    MakeTestBlock(&dm);
    DevMode_SetFileFormat(&dm, 17);
    std::string dir = MakeTempDir("drvdm");
    DWORD dwError = 0;

    /* Device-mode files: exactly 6879 bytes, else ERROR_BAD_LENGTH. */
    EXPECT_EQ(0, LoadDevModeFile(Widen(dir + "\\missing.dm").c_str(), &loaded, &dwError));
    EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, dwError);
    for (size_t cb : {(size_t)0, (size_t)220, (size_t)DRIVER_DEVMODE_SIZE - 1, (size_t)DRIVER_DEVMODE_SIZE + 1}) {
        dwError = 0;
        std::string path = WriteDevModeFile(dir, &dm, cb);
        EXPECT_EQ(0, LoadDevModeFile(Widen(path).c_str(), &loaded, &dwError)) << cb;
        EXPECT_EQ((DWORD)ERROR_BAD_LENGTH, dwError) << cb;
    }
    std::string path = WriteDevModeFile(dir, &dm, DRIVER_DEVMODE_SIZE);
    ASSERT_EQ(1, LoadDevModeFile(Widen(path).c_str(), &loaded, &dwError));
    EXPECT_EQ(17u, DevMode_GetFileFormat(&loaded));
    EXPECT_EQ((DWORD)TEST_PRINTER_ID, DevMode_GetPrinterId(&loaded));
    RemoveTree(dir);

    /* A printer's own device mode: the public part only. */
    DEVMODEW plain = {};
    plain.dmSize = sizeof(DEVMODEW);
    plain.dmPaperSize = DMPAPER_A4;
    lstrcpyW(plain.dmDeviceName, L"Plain Printer");
    memset(&loaded, 0x5A, sizeof(loaded));
    EXPECT_EQ(0, BlockFromPrinterDevMode(&plain, sizeof(plain), &loaded));
    EXPECT_EQ(DMPAPER_A4, DevMode_GetPaperSize(&loaded));
    EXPECT_STREQ(L"Plain Printer", DevMode_GetDeviceName(&loaded));
    EXPECT_EQ(0u, DevMode_GetPrinterId(&loaded));
    EXPECT_EQ(0u, DevMode_GetFlags(&loaded));
    EXPECT_EQ(DRIVER_DEVMODE_PRIVATE_SIZE, loaded.dmPublic.dmDriverExtra);
    /* A whole DriverDevMode keeps its private block. */
    EXPECT_EQ(1, BlockFromPrinterDevMode(&dm.dmPublic, sizeof(dm), &loaded));
    EXPECT_EQ(0, memcmp(&dm, &loaded, sizeof(dm)));
    EXPECT_EQ(0, BlockFromPrinterDevMode(&dm.dmPublic, sizeof(dm) - 1, &loaded)); /* too short for it */
    EXPECT_EQ(0, BlockFromPrinterDevMode(NULL, sizeof(dm), &loaded));

    /* Installed printers. */
    dwError = 0;
    EXPECT_EQ(0, LoadPrinterDevMode(L"No Such Printer JH", &loaded, &dwError));
    EXPECT_EQ((DWORD)ERROR_INVALID_PRINTER_NAME, dwError);
    ASSERT_EQ(1, LoadPrinterDevMode(L"" CUPS_PRINTER, &loaded, &dwError)) << dwError;
    EXPECT_STREQ(L"" CUPS_PRINTER, DevMode_GetDeviceName(&loaded));
    EXPECT_EQ(DMPAPER_A4, DevMode_GetPaperSize(&loaded));
}

TEST(DrvSettingsTool, ReadExportedSetting)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);
    DevMode_SetFlags(&dm, 0x80000020);
    ASSERT_EQ(1, SetRedirectSinglePrinter(&dm, L"Office Laser"));
    WCHAR szValue[64];
    DWORD dwError = 0;

    EXPECT_EQ(1, ReadExportedSetting(&dm, L"Default Settings", L"Flags", szValue, 64, &dwError));
    EXPECT_STREQ(L"-2147483616", szValue);
    EXPECT_EQ(1, ReadExportedSetting(&dm, L"Redirect Printing", L"Printer1", szValue, 64, &dwError));
    EXPECT_STREQ(L"Office Laser", szValue);
    EXPECT_EQ(1, ReadExportedSetting(&dm, L"Bates Numbering", L"Number of Formats", szValue, 64, &dwError));
    EXPECT_STREQ(L"", szValue); /* present and empty */
    EXPECT_EQ(0, ReadExportedSetting(&dm, L"Default Settings", L"No Such Key", szValue, 64, &dwError));
    EXPECT_EQ((DWORD)ERROR_NOT_FOUND, dwError);
    EXPECT_EQ(0, ReadExportedSetting(&dm, L"Redirect Printing", L"Printer2", szValue, 64, &dwError));
    /* A multi-line text comes back whole, its escapes decoded. */
    ASSERT_EQ(1, SetEmailBody(&dm, L"Hello,\r\n\r\nplease find it attached."));
    EXPECT_EQ(1, ReadExportedSetting(&dm, L"Email Settings", L"Email Body", szValue, 64, &dwError));
    EXPECT_STREQ(L"Hello,\r\n\r\nplease find it attached.", szValue);
    /* A value longer than the buffer is cut, never overrun. */
    WCHAR szSmall[14];
    szSmall[13] = L'#';
    EXPECT_EQ(1, ReadExportedSetting(&dm, L"Default Settings", L"Flags", szSmall, 13, &dwError));
    EXPECT_STREQ(L"-2147483616", szSmall);
    EXPECT_EQ(L'#', szSmall[13]);
}

/* ---- drvsettings.exe ---- */

static DWORD RunTool(const std::string &args)
{
    return RunAndWait("\"" + BinDir() + "drvsettings.exe\" " + args, 60000);
}

/* Runs the tool with its standard output and error going to files; gives
 * the exit code and what it wrote. */
static DWORD RunToolCaptured(const std::string &args, std::string *pOut, std::string *pErr)
{
    std::string dir = MakeTempDir("drvcapture");
    std::string outPath = dir + "\\out.txt", errPath = dir + "\\err.txt";
    SECURITY_ATTRIBUTES sa = {sizeof(sa), NULL, TRUE};
    HANDLE hOut = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, NULL);
    HANDLE hErr = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, NULL);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = hOut;
    si.hStdError = hErr;
    PROCESS_INFORMATION pi = {};
    std::string command = "\"" + BinDir() + "drvsettings.exe\" " + args;
    std::vector<char> cmd(command.begin(), command.end());
    cmd.push_back('\0');
    DWORD dwExit = (DWORD)-1;
    if (hOut != INVALID_HANDLE_VALUE && hErr != INVALID_HANDLE_VALUE &&
        CreateProcessA(NULL, cmd.data(), NULL, NULL, TRUE, 0, NULL, NULL, &si, &pi)) {
        if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0)
            GetExitCodeProcess(pi.hProcess, &dwExit);
        else
            TerminateProcess(pi.hProcess, WAIT_TIMEOUT);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    if (hOut != INVALID_HANDLE_VALUE)
        CloseHandle(hOut);
    if (hErr != INVALID_HANDLE_VALUE)
        CloseHandle(hErr);
    *pOut = ReadWholeFile(outPath);
    *pErr = ReadWholeFile(errPath);
    RemoveTree(dir);
    return dwExit;
}

TEST(DrvSettingsTool, Output)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);
    DevMode_SetFlags(&dm, 0x80000020);
    ASSERT_EQ(1, SetRedirectSinglePrinter(&dm, L"Office Laser"));
    std::string dir = MakeTempDir("drvoutput");
    std::string dmPath = WriteDevModeFile(dir, &dm, DRIVER_DEVMODE_SIZE);
    std::string out, err;

    /* One setting on standard output, nothing else. */
    EXPECT_EQ(0u, RunToolCaptured("get --devmode \"" + dmPath + "\" \"Default Settings\" Flags", &out, &err));
    EXPECT_EQ("-2147483616\r\n", out);
    EXPECT_EQ("", err);
    EXPECT_EQ(0u, RunToolCaptured("get --devmode \"" + dmPath + "\" \"Redirect Printing\" Printer1", &out, &err));
    EXPECT_EQ("Office Laser\r\n", out);

    /* Failures: a message naming the cause on standard error. */
    EXPECT_EQ(3u, RunToolCaptured("get --devmode \"" + dmPath + "\" \"Redirect Printing\" Printer2", &out, &err));
    EXPECT_EQ("", out);
    EXPECT_NE(std::string::npos, err.find("no such setting")) << err;
    EXPECT_EQ(2u, RunToolCaptured("get --printer \"No Such Printer JH\" S K", &out, &err));
    EXPECT_NE(std::string::npos, err.find("No Such Printer JH")) << err;
    EXPECT_EQ(1u, RunToolCaptured("export --devmode", &out, &err));
    EXPECT_NE(std::string::npos, err.find("--devmode needs a value")) << err;
    EXPECT_NE(std::string::npos, err.find("Usage:")) << err;

    /* Help on standard output. */
    EXPECT_EQ(0u, RunToolCaptured("--help", &out, &err));
    EXPECT_NE(std::string::npos, out.find("Usage:"));
    EXPECT_NE(std::string::npos, out.find("Exit codes"));

    RemoveTree(dir);
}

TEST(DrvSettingsTool, ExitCodes)
{
    std::string dir = MakeTempDir("drvexit");
    EXPECT_EQ(0u, RunTool("help"));
    EXPECT_EQ(0u, RunTool("/?"));
    EXPECT_EQ(1u, RunTool(""));
    EXPECT_EQ(1u, RunTool("frobnicate"));
    EXPECT_EQ(1u, RunTool("export \"" + dir + "\\x.ini\""));
    EXPECT_EQ(1u, RunTool("export --printer \"" CUPS_PRINTER "\""));
    EXPECT_EQ(1u, RunTool("get --printer \"" CUPS_PRINTER "\" \"Default Settings\""));

    /* Missing or unusable sources. */
    EXPECT_EQ(2u, RunTool("export --printer \"No Such Printer JH\" \"" + dir + "\\x.ini\""));
    EXPECT_EQ(2u, RunTool("export --devmode \"" + dir + "\\missing.dm\" \"" + dir + "\\x.ini\""));
    WriteWholeFile(dir + "\\short.dm", std::string(DRIVER_DEVMODE_SIZE - 1, '\0'));
    EXPECT_EQ(2u, RunTool("export --devmode \"" + dir + "\\short.dm\" \"" + dir + "\\x.ini\""));
    EXPECT_FALSE(FileExists(dir + "\\x.ini"));

    /* An INI file that cannot be written, a setting that does not exist. */
    EXPECT_EQ(3u, RunTool("export --printer \"" CUPS_PRINTER "\" \"" + dir + "\\no\\such\\folder\\x.ini\""));
    EXPECT_EQ(3u, RunTool("get --printer \"" CUPS_PRINTER "\" \"Default Settings\" \"No Such Key\""));
    EXPECT_EQ(0u, RunTool("get --printer \"" CUPS_PRINTER "\" \"Default Settings\" \"Paper Size\""));

    RemoveTree(dir);
}

TEST(DrvSettingsTool, ExportFromDevModeFile)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);
    DevMode_SetColorDepth(&dm, 1);
    DevMode_SetOutputDirectory(&dm, L"C:\\out");
    ASSERT_EQ(1, SetRedirectSinglePrinter(&dm, L"Office Laser"));
    ASSERT_EQ(1, SetPdfUserPassword(&dm, L"secret"));
    std::string dir = MakeTempDir("drvexport");
    std::string dmPath = WriteDevModeFile(dir, &dm, DRIVER_DEVMODE_SIZE);
    std::string iniPath = dir + "\\profile.ini";

    /* An existing file is replaced, not merged into. */
    WriteWholeFile(iniPath, "[Stale]\r\nOld=1\r\n[Redirect Printing]\r\nPrinter7=Gone\r\n");
    ASSERT_EQ(0u, RunTool("export --devmode \"" + dmPath + "\" \"" + iniPath + "\""));
    IniFile ini = ReadIniText(iniPath);
    ASSERT_FALSE(ini.empty());
    EXPECT_EQ("Default Settings", ini[0].name);
    EXPECT_TRUE(FindSection(ini, "Stale") == NULL);
    EXPECT_EQ("<missing>", IniValue(ini, "Redirect Printing", "Printer7"));
    EXPECT_EQ("8gray", IniValue(ini, "Default Settings", "BitsPerPixel"));
    EXPECT_EQ("C:\\out", IniValue(ini, "Default Settings", "OutputDirectory"));
    EXPECT_EQ("Office Laser", IniValue(ini, "Redirect Printing", "Printer1"));
    EXPECT_EQ("secret", IniValue(ini, "PDF Settings", "Document User Password"));
    EXPECT_EQ("Email Settings", ini.back().name);

    RemoveTree(dir);
}

/* An installed printer without the driver's block: its public fields, and
 * the registry settings kept under its own name. */
TEST(DrvSettingsTool, ExportFromPrinter)
{
    RegDeleteTree(kCupsPrinterKey);
    RegSetDword(kCupsPrinterKey + L"\\Redirect Printing Settings", L"Printer count", 1);
    RegSetUnterminated(kCupsPrinterKey + L"\\Redirect Printing Settings", L"Printer 1", L"Archive Copy");
    std::string dir = MakeTempDir("drvprinter");
    std::string iniPath = dir + "\\printer.ini";

    EXPECT_EQ(0u, RunTool("export --printer \"" CUPS_PRINTER "\" \"" + iniPath + "\""));
    IniFile ini = ReadIniText(iniPath);
    EXPECT_EQ("9", IniValue(ini, "Default Settings", "Paper Size")); /* A4 */
    EXPECT_EQ("300", IniValue(ini, "Default Settings", "X DPI"));
    EXPECT_EQ("Archive Copy", IniValue(ini, "Redirect Printing", "Printer1"));

    RegDeleteTree(kCupsPrinterKey);
    RegDeleteIfEmpty(TEST_ROOT);
    RemoveTree(dir);
}
