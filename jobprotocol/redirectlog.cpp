/*
 * Redirect printing log: an appended ANSI text file, held open without
 * sharing from the start to the finish of forwarding.
 */
#include "jobprotocol/redirectlog.h"
#include "jobprotocol/jobkeys.h"
#include "settings/regtext.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#define LOG_SWITCH_SIZE 32 /* "Enable Redirect Printing Log" */

static HANDLE g_hLogFile = INVALID_HANDLE_VALUE;

/* Reads the log switch and file name from the redirect settings key.
 * Gives 1 with *pbEnabled set and pszFileName filled, or the result that
 * OpenLogFile gives when the settings stop it (1 for off, 0 for missing). */
static int ReadLogSettings(const char *pszRegistryPath, BOOL *pbEnabled, char *pszFileName, DWORD cchFileName)
{
    HKEY hKey = NULL;
    /* The switch is read as 32 bytes of text, and a terminator after them. */
    char szEnable[LOG_SWITCH_SIZE + 1];
    *pbEnabled = FALSE;
    if (!pszRegistryPath ||
        RegOpenKeyExA(HKEY_CURRENT_USER, pszRegistryPath, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return 0;
    int nResult = 1;
    if (RegReadTextA(hKey, "Enable Redirect Printing Log", szEnable, sizeof(szEnable), NULL) == ERROR_SUCCESS &&
        lstrcmpiA(szEnable, "no") != 0) {
        if (RegReadTextA(hKey, "Redirect Printing Log File", pszFileName, cchFileName, NULL) == ERROR_SUCCESS)
            *pbEnabled = TRUE;
        else
            nResult = 0;
    }
    RegCloseKey(hKey);
    return nResult;
}

int OpenLogFile(const char *pszRegistryPath)
{
    char szFileName[TEXT_BUFFER_SIZE];
    BOOL bEnabled = FALSE;
    memset(szFileName, 0, sizeof(szFileName));
    int nResult = ReadLogSettings(pszRegistryPath, &bEnabled, szFileName, sizeof(szFileName));
    if (!bEnabled)
        return nResult;
    if (g_hLogFile != INVALID_HANDLE_VALUE)
        return 1;
    HANDLE hFile = CreateFileA(szFileName, GENERIC_WRITE, 0, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return 0;
    SetFilePointer(hFile, 0, NULL, FILE_END);
    g_hLogFile = hFile;
    return 1;
}

void FormatLogTimestamp(const SYSTEMTIME *pstTime, char *pszOut, size_t cchOut)
{
    snprintf(pszOut, cchOut, "[%02d/%02d/%4d %02d:%02d:%02d] ", pstTime->wMonth, pstTime->wDay, pstTime->wYear,
             pstTime->wHour, pstTime->wMinute, pstTime->wSecond);
}

static void WriteText(const char *pszText)
{
    DWORD cbWritten = 0;
    WriteFile(g_hLogFile, pszText, (DWORD)strlen(pszText), &cbWritten, NULL);
}

void LogMessage(const char *pszFormat, ...)
{
    char szMessage[LOG_MESSAGE_SIZE * 2];
    char szStamp[32];
    SYSTEMTIME stNow;
    va_list args;
    if (g_hLogFile == INVALID_HANDLE_VALUE || !pszFormat)
        return;
    /* wvsprintfA writes at most 1024 characters; the line keeps 511. */
    va_start(args, pszFormat);
    wvsprintfA(szMessage, pszFormat, args);
    va_end(args);
    szMessage[LOG_MESSAGE_SIZE - 1] = '\0';
    GetLocalTime(&stNow);
    FormatLogTimestamp(&stNow, szStamp, sizeof(szStamp));
    WriteText(szStamp);
    WriteText(szMessage);
    WriteText("\r\n");
}

void CloseLogFile(void)
{
    if (g_hLogFile == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(g_hLogFile);
    g_hLogFile = INVALID_HANDLE_VALUE;
}
