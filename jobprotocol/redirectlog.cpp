/*
 * Redirect printing log: an appended ANSI text file, held open from the start
 * to the finish of forwarding and shared with the other jobs that name it.
 * Each line is appended whole: seek to the end and one write, under a lock
 * that every writer takes on one byte far past any real end of the file.
 */
#include "jobprotocol/redirectlog.h"
#include "jobprotocol/jobkeys.h"
#include "settings/regtext.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#define LOG_SWITCH_SIZE 32 /* "Enable Redirect Printing Log" */

/* The locked byte: offset 0x7FFFFFFF00000000, never written. */
#define LOG_LOCK_OFFSET_LOW  0
#define LOG_LOCK_OFFSET_HIGH 0x7FFFFFFF
/* A writer that finds the lock taken tries again LOG_LOCK_TRIES times,
 * 1 ms apart, then writes without it: a line may wait, the job never does. */
#define LOG_LOCK_TRIES 100
#define LOG_STAMP_SIZE 32
/* Timestamp, message and CR LF. */
#define LOG_LINE_SIZE (LOG_STAMP_SIZE + LOG_MESSAGE_SIZE + 2)

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
    HANDLE hFile = CreateFileA(szFileName, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return 0;
    g_hLogFile = hFile;
    return 1;
}

void FormatLogTimestamp(const SYSTEMTIME *pstTime, char *pszOut, size_t cchOut)
{
    snprintf(pszOut, cchOut, "[%02d/%02d/%4d %02d:%02d:%02d] ", pstTime->wMonth, pstTime->wDay, pstTime->wYear,
             pstTime->wHour, pstTime->wMinute, pstTime->wSecond);
}

/* Takes the log's lock, waiting a bounded time; TRUE when taken. */
static BOOL LockLog(void)
{
    for (int nTry = 0;; nTry++) {
        if (LockFile(g_hLogFile, LOG_LOCK_OFFSET_LOW, LOG_LOCK_OFFSET_HIGH, 1, 0))
            return TRUE;
        if (GetLastError() != ERROR_LOCK_VIOLATION || nTry >= LOG_LOCK_TRIES)
            return FALSE;
        Sleep(1);
    }
}

/* Appends "[timestamp] message\r\n" in one write at the current end of the
 * file; the time is taken under the lock, so the file's lines stay in time
 * order. pszMessage holds at most LOG_MESSAGE_SIZE - 1 characters. */
static void AppendLine(const char *pszMessage)
{
    char szLine[LOG_LINE_SIZE];
    SYSTEMTIME stNow;
    LARGE_INTEGER liZero;
    DWORD cbWritten = 0;
    liZero.QuadPart = 0;
    BOOL bLocked = LockLog();
    GetLocalTime(&stNow);
    FormatLogTimestamp(&stNow, szLine, LOG_STAMP_SIZE);
    size_t cchStamp = strlen(szLine);
    size_t cchMessage = strlen(pszMessage);
    memcpy(szLine + cchStamp, pszMessage, cchMessage);
    memcpy(szLine + cchStamp + cchMessage, "\r\n", 2);
    if (SetFilePointerEx(g_hLogFile, liZero, NULL, FILE_END))
        WriteFile(g_hLogFile, szLine, (DWORD)(cchStamp + cchMessage + 2), &cbWritten, NULL);
    if (bLocked)
        UnlockFile(g_hLogFile, LOG_LOCK_OFFSET_LOW, LOG_LOCK_OFFSET_HIGH, 1, 0);
}

void LogMessageV(const char *pszFormat, va_list args)
{
    char szMessage[LOG_MESSAGE_SIZE * 2];
    if (g_hLogFile == INVALID_HANDLE_VALUE || !pszFormat)
        return;
    /* wvsprintfA writes at most 1024 characters; the line keeps 511. */
    wvsprintfA(szMessage, pszFormat, args);
    szMessage[LOG_MESSAGE_SIZE - 1] = '\0';
    AppendLine(szMessage);
}

void LogMessage(const char *pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    LogMessageV(pszFormat, args);
    va_end(args);
}

void CloseLogFile(void)
{
    if (g_hLogFile == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(g_hLogFile);
    g_hLogFile = INVALID_HANDLE_VALUE;
}
