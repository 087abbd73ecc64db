/*
 * Application starter: starts the application that the job key names, before
 * printing (with a handshake through a named event) or after the job.
 */
#include "launcher/appstarter.h"

#include "jobprotocol/jobkeys.h"

#include <cstring>

BOOL StartApp_GetWorkingDirectory(const char *pszAppPath, char *pszDir, size_t cchDir)
{
    if (!pszAppPath || !pszDir || cchDir == 0)
        return FALSE;
    /* A path quoted because of its blanks is cut without its quotes. */
    const char *pszStart = pszAppPath;
    size_t cchPath = strlen(pszAppPath);
    if (pszStart[0] == '"') {
        pszStart++;
        const char *pszClose = strchr(pszStart, '"');
        cchPath = pszClose ? (size_t)(pszClose - pszStart) : strlen(pszStart);
    }
    size_t cchDirText = 0;
    const char *pszBackslash = NULL;
    const char *pszColon = NULL;
    for (size_t i = 0; i < cchPath; i++) {
        if (pszStart[i] == '\\')
            pszBackslash = pszStart + i;
        else if (pszStart[i] == ':')
            pszColon = pszStart + i;
    }
    if (pszBackslash)
        cchDirText = (size_t)(pszBackslash - pszStart);
    else if (pszColon)
        cchDirText = (size_t)(pszColon - pszStart) + 1; /* "D:" names the drive; "D" would be a folder */
    if (cchDirText >= cchDir)
        return FALSE;
    memcpy(pszDir, pszStart, cchDirText);
    pszDir[cchDirText] = '\0';
    return TRUE;
}

WORD StartApp_GetShowCommand(DWORD dwFlags)
{
    if (dwFlags & SAF_HIDDEN)
        return SW_HIDE;
    if (dwFlags & SAF_MINIMIZED)
        return SW_SHOWMINIMIZED;
    return SW_SHOW;
}

static BOOL NeedsQuotes(const char *pszAppPath)
{
    return pszAppPath[0] != '"' && strpbrk(pszAppPath, " \t") != NULL;
}

BOOL StartApp_ComposeCommandLine(const char *pszAppPath, const char *pszCommandLine, DWORD dwFlags,
                                 char *pszFull, size_t cchFull)
{
    if (!pszAppPath || !pszFull || cchFull == 0)
        return FALSE;
    BOOL bQuote = NeedsQuotes(pszAppPath);
    BOOL bAppend = (dwFlags & SAF_APPEND_COMMAND_LINE) && pszCommandLine;
    size_t cchPath = strlen(pszAppPath);
    size_t cchText = bAppend ? strlen(pszCommandLine) : 0;
    size_t cchTotal = cchPath + (bQuote ? 2 : 0) + (bAppend ? 1 + cchText : 0);
    if (cchTotal >= cchFull)
        return FALSE;
    size_t pos = 0;
    if (bQuote)
        pszFull[pos++] = '"';
    memcpy(pszFull + pos, pszAppPath, cchPath);
    pos += cchPath;
    if (bQuote)
        pszFull[pos++] = '"';
    if (bAppend) {
        pszFull[pos++] = ' ';
        memcpy(pszFull + pos, pszCommandLine, cchText);
        pos += cchText;
    }
    pszFull[pos] = '\0';
    return TRUE;
}

/* Opens the handshake event for a start before printing; NULL when there is
 * no handshake (no event name, or no such event). */
static HANDLE OpenHandshakeEvent(DWORD dwFlags, const char *pszEventName)
{
    if (!(dwFlags & SAF_BEFORE_PRINTING) || !pszEventName || !pszEventName[0])
        return NULL;
    return OpenEventA(EVENT_MODIFY_STATE, FALSE, pszEventName);
}

/* Starts the process and waits until it is ready for input; TRUE when it
 * started. The process runs on independently. */
static BOOL StartAndWaitIdle(char *pszFullCommandLine, const char *pszWorkingDir, WORD wShowWindow)
{
    STARTUPINFOA stStartup;
    PROCESS_INFORMATION stProcess;
    memset(&stStartup, 0, sizeof(stStartup));
    memset(&stProcess, 0, sizeof(stProcess));
    stStartup.cb = sizeof(stStartup);
    stStartup.dwFlags = STARTF_USESHOWWINDOW;
    stStartup.wShowWindow = wShowWindow;
    if (!CreateProcessA(NULL, pszFullCommandLine, NULL, NULL, TRUE, 0, NULL,
                        pszWorkingDir[0] ? pszWorkingDir : NULL, &stStartup, &stProcess))
        return FALSE;
    /* A console program gives WAIT_FAILED at once; it counts as started. */
    WaitForInputIdle(stProcess.hProcess, INFINITE);
    CloseHandle(stProcess.hProcess);
    CloseHandle(stProcess.hThread);
    return TRUE;
}

int StartApplication(const char *pszCommandLine, const char *pszAppPath, DWORD dwFlags, const char *pszEventName)
{
    if (!(dwFlags & SAF_START_APPLICATION) || !pszAppPath)
        return 0;
    char szWorkingDir[MAX_PATH] = "";
    char szFullCommandLine[APP_FULL_COMMAND_LINE_SIZE] = "";
    if (!StartApp_GetWorkingDirectory(pszAppPath, szWorkingDir, sizeof(szWorkingDir)) ||
        !StartApp_ComposeCommandLine(pszAppPath, pszCommandLine, dwFlags, szFullCommandLine,
                                     sizeof(szFullCommandLine)))
        return 0;
    HANDLE hEvent = OpenHandshakeEvent(dwFlags, pszEventName);
    if (hEvent)
        ResetEvent(hEvent);
    if (StartAndWaitIdle(szFullCommandLine, szWorkingDir, StartApp_GetShowCommand(dwFlags)) && hEvent)
        SetEvent(hEvent);
    if (hEvent)
        CloseHandle(hEvent);
    return 0;
}
