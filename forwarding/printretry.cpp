/*
 * Printers that are away: the schedule of their tries, and the steps that
 * start, catch up and end their documents, each logged once per event.
 */
#include "forwarding/printretry.h"
#include "forwarding/keptpages.h"
#include "forwarding/pageforward.h"
#include "jobprotocol/redirectlog.h"

DWORD RetryPauseMs(DWORD dwFailedTries, const RetryTimings *pTimings)
{
    DWORD dwPause = pTimings->dwFirstPauseMs;
    for (DWORD i = 1; i < dwFailedTries && dwPause < pTimings->dwMaxPauseMs; i++)
        dwPause = dwPause > pTimings->dwMaxPauseMs / 2 ? pTimings->dwMaxPauseMs : dwPause * 2;
    return dwPause < pTimings->dwMaxPauseMs ? dwPause : pTimings->dwMaxPauseMs;
}

ULONGLONG NextTryTime(ULONGLONG ullNow, DWORD dwFailedTries, ULONGLONG ullDeadline, const RetryTimings *pTimings)
{
    ULONGLONG ullNext = ullNow + RetryPauseMs(dwFailedTries, pTimings);
    return ullDeadline && ullNext > ullDeadline ? ullDeadline : ullNext;
}

BOOL IsNoSuchPrinter(DWORD dwError, DWORD dwListedPrinters)
{
    return dwError == ERROR_INVALID_PRINTER_NAME && dwListedPrinters > 0;
}

DWORD CountListedPrinters(void)
{
    DWORD cbNeeded = 0, dwCount = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, NULL, 4, NULL, 0, &cbNeeded, &dwCount);
    if (cbNeeded == 0)
        return 0;
    BYTE *pBuffer = (BYTE *)HeapAlloc(GetProcessHeap(), 0, cbNeeded);
    if (!pBuffer)
        return 1; /* printers are listed; only their names could not be had */
    if (!EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, NULL, 4, pBuffer, cbNeeded, &cbNeeded,
                       &dwCount))
        dwCount = 1;
    HeapFree(GetProcessHeap(), 0, pBuffer);
    return dwCount;
}

BOOL IsTryDue(const ForwardTarget *pTarget, const RetryJob *pJob)
{
    if (pTarget->bActive || pTarget->nOutcome != TARGET_PENDING)
        return FALSE;
    return pJob->ullNow >= pTarget->ullNextTry || (pJob->ullDeadline && pJob->ullNow >= pJob->ullDeadline);
}

/* The seconds since pTarget's first failure, rounded. */
static DWORD SecondsTried(const ForwardTarget *pTarget, const RetryJob *pJob)
{
    return (DWORD)((pJob->ullNow - pTarget->ullFirstFailure + 500) / 1000);
}

/* Gives pTarget up with one line: how long it was tried, its last error and
 * the pages it did not get. */
static void GiveUpTarget(ForwardTarget *pTarget, const char *pszPrinter, const RetryJob *pJob)
{
    DWORD dwSeconds = SecondsTried(pTarget, pJob);
    if (!pJob->bPagesDone)
        LogMessage("Printer %s given up after %d s (Error %d): pages 1 to %d and later pages not printed "
                   "(copies: %d).", pszPrinter, dwSeconds, pTarget->dwLastError, pJob->dwPages, pTarget->dwCopies);
    else if (pJob->dwPages == 0)
        LogMessage("Printer %s given up after %d s (Error %d): its empty document not printed (copies: %d).",
                   pszPrinter, dwSeconds, pTarget->dwLastError, pTarget->dwCopies);
    else
        LogMessage("Printer %s given up after %d s (Error %d): pages 1 to %d not printed (copies: %d).", pszPrinter,
                   dwSeconds, pTarget->dwLastError, pJob->dwPages, pTarget->dwCopies);
    pTarget->nOutcome = TARGET_LOST;
}

/* After a failed try: see StartTarget. */
static void NoteFailedTry(ForwardTarget *pTarget, const char *pszPrinter, const RetryJob *pJob)
{
    BOOL bFirst = pTarget->dwFailedTries == 0;
    if (bFirst)
        pTarget->ullFirstFailure = pJob->ullNow;
    pTarget->dwFailedTries++;
    if (IsNoSuchPrinter(pTarget->dwLastError, CountListedPrinters())) {
        if (bFirst)
            pTarget->nOutcome = TARGET_LOST;
        else
            GiveUpTarget(pTarget, pszPrinter, pJob);
        return;
    }
    if (bFirst)
        LogMessage("Printer %s will be tried again.", pszPrinter);
    if (pJob->ullDeadline && pJob->ullNow >= pJob->ullDeadline)
        GiveUpTarget(pTarget, pszPrinter, pJob);
    else
        pTarget->ullNextTry = NextTryTime(pJob->ullNow, pTarget->dwFailedTries, pJob->ullDeadline, &pJob->stTimings);
}

void StartTarget(ForwardTarget *pTarget, const char *pszPrinter, const RetryJob *pJob)
{
    if (DoStartDocument(pszPrinter, pJob->pszDocName, pTarget->dwCopies, pTarget)) {
        pTarget->bActive = 1;
        pTarget->dwPagesPlayed = 0;
    } else {
        NoteFailedTry(pTarget, pszPrinter, pJob);
    }
}

/* Plays kept page dwPage on pTarget's documents; a page that was never
 * kept is passed over silently. */
static void PlayKeptPage(ForwardTarget *pTarget, const char *pszPrinter, DWORD dwPage, const RetryJob *pJob)
{
    char szFile[MAX_PATH];
    ForwardPage stPage;
    if (!pJob->pszKeepFolder[0] || !FormatKeptPagePath(pJob->pszKeepFolder, dwPage, szFile, sizeof(szFile)))
        return;
    LoadKeptPage(szFile, dwPage, &stPage);
    if (stPage.nState == FWD_PAGE_READY || stPage.dwError != ERROR_FILE_NOT_FOUND)
        DoPrintPage(pszPrinter, pJob->pszDocName, &stPage, pTarget, pJob->pszPrinterName, pTarget->dwCopies);
    ReleaseForwardPage(&stPage);
}

/* Plays the kept pages pTarget's documents have not had yet: see
 * SettleTarget. */
static void CatchUpTarget(ForwardTarget *pTarget, const char *pszPrinter, const RetryJob *pJob)
{
    ULONGLONG ullStart = GetTickCount64();
    while (pTarget->bActive && pTarget->dwPagesPlayed < pJob->dwPages) {
        PlayKeptPage(pTarget, pszPrinter, pTarget->dwPagesPlayed + 1, pJob);
        pTarget->dwPagesPlayed++;
        if (GetTickCount64() - ullStart >= CATCH_UP_BUDGET_MS)
            break;
    }
}

void EndTarget(ForwardTarget *pTarget, const char *pszPrinter, const RetryJob *pJob)
{
    pTarget->bActive = 0;
    DWORD dwFailed = EndCopyDocuments(pTarget, pTarget->dwCopies);
    if (dwFailed == 0) {
        if (pTarget->dwFailedTries > 0)
            LogMessage("Printer %s printed the document after %d tries.", pszPrinter, pTarget->dwFailedTries + 1);
        pTarget->nOutcome = TARGET_PRINTED;
        return;
    }
    pTarget->dwCopies = dwFailed;
    NoteFailedTry(pTarget, pszPrinter, pJob);
}

BOOL TargetHasStep(const ForwardTarget *pTarget, const RetryJob *pJob)
{
    if (pTarget->nOutcome != TARGET_PENDING)
        return FALSE;
    if (!pTarget->bActive)
        return IsTryDue(pTarget, pJob);
    return pTarget->dwPagesPlayed < pJob->dwPages || pJob->bPagesDone;
}

void SettleTarget(ForwardTarget *pTarget, const char *pszPrinter, const RetryJob *pJob)
{
    if (IsTryDue(pTarget, pJob))
        StartTarget(pTarget, pszPrinter, pJob);
    if (pTarget->bActive)
        CatchUpTarget(pTarget, pszPrinter, pJob);
    if (pTarget->bActive && pJob->bPagesDone && pTarget->dwPagesPlayed == pJob->dwPages)
        EndTarget(pTarget, pszPrinter, pJob);
}
