/* drvsettings.exe: exports a printer's driver settings profile to an INI
 * file, or prints one of its settings. See ToolUsageText for the command
 * line. */
#include "tools/drvsettings/drvargs.h"
#include "tools/drvsettings/drvtool.h"

#include <cwchar>

#define TOOL_VALUE_CCH 4096

/* Writes text to a standard handle: to the console as UTF-16, otherwise
 * (redirected to a file or a pipe) in the ANSI code page. */
static void WriteText(DWORD dwStdHandle, const WCHAR *pszText)
{
    HANDLE hOut = GetStdHandle(dwStdHandle);
    if (!hOut || hOut == INVALID_HANDLE_VALUE || !pszText)
        return;
    DWORD cchText = (DWORD)wcslen(pszText), dwMode = 0, dwWritten = 0;
    if (GetConsoleMode(hOut, &dwMode)) {
        WriteConsoleW(hOut, pszText, cchText, &dwWritten, NULL);
        return;
    }
    int cb = WideCharToMultiByte(CP_ACP, 0, pszText, (int)cchText, NULL, 0, NULL, NULL);
    if (cb <= 0)
        return;
    char *pszAnsi = (char *)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)cb);
    if (!pszAnsi)
        return;
    WideCharToMultiByte(CP_ACP, 0, pszText, (int)cchText, pszAnsi, cb, NULL, NULL);
    WriteFile(hOut, pszAnsi, (DWORD)cb, &dwWritten, NULL);
    HeapFree(GetProcessHeap(), 0, pszAnsi);
}

/* "drvsettings: <message>" on standard error; with dwError, its system text. */
static void ReportError(const WCHAR *pszMessage, const WCHAR *pszArg, DWORD dwError)
{
    WCHAR szLine[1024];
    swprintf(szLine, 1024, L"drvsettings: %ls%ls%ls%ls", pszMessage, pszArg ? L" \"" : L"", pszArg ? pszArg : L"",
             pszArg ? L"\"" : L"");
    WriteText(STD_ERROR_HANDLE, szLine);
    if (dwError) {
        WCHAR szSystem[512] = {0};
        if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, dwError, 0, szSystem,
                           512, NULL) == 0)
            szSystem[0] = 0;
        size_t cch = wcslen(szSystem);
        while (cch > 0 && (szSystem[cch - 1] == L'\r' || szSystem[cch - 1] == L'\n' || szSystem[cch - 1] == L' '))
            szSystem[--cch] = 0;
        swprintf(szLine, 1024, L": %ls (error %lu)", szSystem[0] ? szSystem : L"failed", dwError);
        WriteText(STD_ERROR_HANDLE, szLine);
    }
    WriteText(STD_ERROR_HANDLE, L"\r\n");
}

static int LoadSource(const ToolArgs *pArgs, DriverDevMode *pDevMode)
{
    DWORD dwError = 0;
    if (pArgs->nSource == TOOL_SRC_DEVMODE_FILE) {
        if (LoadDevModeFile(pArgs->pszSource, pDevMode, &dwError))
            return 1;
        ReportError(dwError == ERROR_BAD_LENGTH ? L"not a device-mode file of 6879 bytes:"
                                                : L"cannot read the device-mode file",
                    pArgs->pszSource, dwError == ERROR_BAD_LENGTH ? 0 : dwError);
        return 0;
    }
    if (LoadPrinterDevMode(pArgs->pszSource, pDevMode, &dwError))
        return 1;
    ReportError(dwError == ERROR_INVALID_PRINTER_NAME ? L"no such printer" : L"cannot read the printer",
                pArgs->pszSource, dwError);
    return 0;
}

static int RunCommand(const ToolArgs *pArgs)
{
    static DriverDevMode stDevMode; /* 6879 bytes: kept off the stack */
    if (!LoadSource(pArgs, &stDevMode))
        return TOOL_EXIT_NO_SOURCE;

    DWORD dwError = 0;
    if (pArgs->nCommand == TOOL_CMD_EXPORT) {
        if (ExportToIniFile(&stDevMode, pArgs->pszIniFile, &dwError))
            return TOOL_EXIT_OK;
        ReportError(L"cannot write the INI file", pArgs->pszIniFile, dwError);
        return TOOL_EXIT_FAILED;
    }

    WCHAR *pszValue = (WCHAR *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, TOOL_VALUE_CCH * sizeof(WCHAR));
    if (!pszValue)
        return TOOL_EXIT_FAILED;
    int nExit = TOOL_EXIT_OK;
    if (ReadExportedSetting(&stDevMode, pArgs->pszSection, pArgs->pszKey, pszValue, TOOL_VALUE_CCH, &dwError)) {
        WriteText(STD_OUTPUT_HANDLE, pszValue);
        WriteText(STD_OUTPUT_HANDLE, L"\r\n");
    } else if (dwError == ERROR_NOT_FOUND) {
        WCHAR szName[600];
        swprintf(szName, 600, L"[%ls] %ls", pArgs->pszSection, pArgs->pszKey);
        ReportError(L"no such setting", szName, 0);
        nExit = TOOL_EXIT_FAILED;
    } else {
        ReportError(L"cannot export the settings", NULL, dwError);
        nExit = TOOL_EXIT_FAILED;
    }
    HeapFree(GetProcessHeap(), 0, pszValue);
    return nExit;
}

int wmain(int argc, wchar_t **argv)
{
    ToolArgs stArgs;
    WCHAR szError[TOOL_ERROR_CCH];
    if (!ParseToolArgs(argc, (const WCHAR *const *)argv, &stArgs, szError, TOOL_ERROR_CCH)) {
        ReportError(szError, NULL, 0);
        WriteText(STD_ERROR_HANDLE, L"\r\n");
        WriteText(STD_ERROR_HANDLE, ToolUsageText());
        return TOOL_EXIT_USAGE;
    }
    if (stArgs.nCommand == TOOL_CMD_HELP) {
        WriteText(STD_OUTPUT_HANDLE, ToolUsageText());
        return TOOL_EXIT_OK;
    }
    return RunCommand(&stArgs);
}
