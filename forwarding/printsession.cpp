/*
 * Forwarding print sessions: each redirect printer is opened once per job,
 * with one device context and one started document per copy.
 */
#include "forwarding/printsession.h"
#include "jobprotocol/redirectlog.h"

#include <cstdarg>
#include <cstring>

/* Logs a failure of pTarget's start or end, unless it is being tried again
 * (its first failure was logged), and keeps its error code. */
static void ReportFailure(ForwardTarget *pTarget, DWORD dwError, const char *pszFormat, ...)
{
    pTarget->dwLastError = dwError;
    if (pTarget->dwFailedTries > 0)
        return;
    va_list args;
    va_start(args, pszFormat);
    LogMessageV(pszFormat, args);
    va_end(args);
}

/* Deletes every copy device context created so far, closes and clears the
 * printer: the clean-up of a failed start. */
static void ReleaseStartedCopies(ForwardTarget *pTarget, DWORD dwCopies)
{
    for (DWORD i = 0; pTarget->phCopyDCs && i < dwCopies; i++) {
        if (pTarget->phCopyDCs[i]) {
            DeleteDC(pTarget->phCopyDCs[i]);
            pTarget->phCopyDCs[i] = NULL;
        }
    }
    if (pTarget->hPrinter) {
        ClosePrinter(pTarget->hPrinter);
        pTarget->hPrinter = NULL;
    }
}

/* Allocates the zero-filled per-copy array; FALSE (reported) when the size
 * overflows or the heap refuses it. */
static BOOL AllocateCopyDCs(ForwardTarget *pTarget, DWORD dwCopies)
{
    SIZE_T cbArray = (SIZE_T)dwCopies * sizeof(HDC);
    HDC *phCopyDCs = NULL;
    if (cbArray / sizeof(HDC) == dwCopies)
        phCopyDCs = (HDC *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, cbArray ? cbArray : sizeof(HDC));
    if (!phCopyDCs) {
        ReportFailure(pTarget, ERROR_NOT_ENOUGH_MEMORY, "Memory allocation error for printer DCs: Error %d",
                      ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    if (pTarget->phCopyDCs)
        HeapFree(GetProcessHeap(), 0, pTarget->phCopyDCs);
    pTarget->phCopyDCs = phCopyDCs;
    return TRUE;
}

/* After a failed call: keeps its system error code in *pdwError. TRUE when
 * it was a sharing violation and the tick count ullEnd has not come yet: the
 * call is to be tried again. The DC and document starts share this policy. */
static BOOL SharingRetryLeft(ULONGLONG ullEnd, DWORD *pdwError)
{
    *pdwError = GetLastError();
    return *pdwError == ERROR_SHARING_VIOLATION && GetTickCount64() < ullEnd;
}

HANDLE LockSpoolNames(DWORD dwWaitMs)
{
    HANDLE hMutex = CreateMutexA(NULL, FALSE, SPOOL_NAMES_MUTEX);
    if (!hMutex)
        return NULL;
    /* An abandoned mutex is owned all the same: its holder ended, and with
     * it every document it had started. */
    DWORD dwWait = WaitForSingleObject(hMutex, dwWaitMs);
    if (dwWait == WAIT_OBJECT_0 || dwWait == WAIT_ABANDONED)
        return hMutex;
    DWORD dwError = dwWait == WAIT_TIMEOUT ? ERROR_TIMEOUT : GetLastError();
    CloseHandle(hMutex);
    SetLastError(dwError);
    return NULL;
}

void UnlockSpoolNames(HANDLE hLock)
{
    if (!hLock)
        return;
    ReleaseMutex(hLock);
    CloseHandle(hLock);
}

/* Creates a copy's DC for szRedirectToPrinter. A sharing violation means a
 * file of the printer's driver or spooler is held for a moment by another
 * process (several jobs setting up the same printer at once): the call is
 * tried again, DC_SHARING_RETRY_MS apart, within SPOOL_NAME_BUDGET_MS. Gives
 * the DC, or NULL with *pdwError set. */
static HDC CreateCopyDC(const char *szRedirectToPrinter, const DEVMODEA *pDevMode, DWORD *pdwError)
{
    ULONGLONG ullEnd = GetTickCount64() + SPOOL_NAME_BUDGET_MS;
    for (;;) {
        HDC hDC = CreateDCA("WINSPOOL", szRedirectToPrinter, NULL, pDevMode);
        if (hDC || !SharingRetryLeft(ullEnd, pdwError))
            return hDC;
        Sleep(DC_SHARING_RETRY_MS);
    }
}

/* Starts the document on one copy's DC under the spool-names mutex. The
 * spooler names the document's spool file after a counter of this process;
 * a name another process holds open refuses the start with a sharing
 * violation, and the next start takes the next name, so the starts go on,
 * without a pause, until one succeeds or SPOOL_NAME_BUDGET_MS has passed.
 * Gives TRUE when the document is started, else FALSE with *pdwError set. */
static BOOL StartCopyDocument(HDC hCopyDC, const DOCINFOA *pDocInfo, DWORD *pdwError)
{
    HANDLE hLock = LockSpoolNames(SPOOL_NAMES_WAIT_MS);
    if (!hLock) {
        *pdwError = GetLastError();
        return FALSE;
    }
    ULONGLONG ullEnd = GetTickCount64() + SPOOL_NAME_BUDGET_MS;
    BOOL bStarted = FALSE;
    do {
        bStarted = StartDocA(hCopyDC, pDocInfo) > 0;
    } while (!bStarted && SharingRetryLeft(ullEnd, pdwError));
    UnlockSpoolNames(hLock);
    return bStarted;
}

/* Creates one DC per copy with the printer's default device mode and starts
 * the document on each; logs and gives FALSE at the first failure. */
static BOOL StartCopyDocuments(const char *szRedirectToPrinter, const char *pszDocName, DWORD dwCopies,
                               const DEVMODEA *pDevMode, ForwardTarget *pTarget)
{
    DWORD dwError = ERROR_SUCCESS;
    for (DWORD i = 0; i < dwCopies; i++) {
        pTarget->phCopyDCs[i] = CreateCopyDC(szRedirectToPrinter, pDevMode, &dwError);
        if (!pTarget->phCopyDCs[i]) {
            ReportFailure(pTarget, dwError, "Cannot use the printer (i): Error %d", dwError);
            return FALSE;
        }
    }
    DOCINFOA stDocInfo;
    memset(&stDocInfo, 0, sizeof(stDocInfo));
    stDocInfo.cbSize = sizeof(stDocInfo);
    stDocInfo.lpszDocName = pszDocName ? pszDocName : DEFAULT_DOCUMENT_NAME;
    for (DWORD i = 0; i < dwCopies; i++) {
        if (!StartCopyDocument(pTarget->phCopyDCs[i], &stDocInfo, &dwError)) {
            ReportFailure(pTarget, dwError, "Error at StartDoc (copy %d): Error %d", i, dwError);
            return FALSE;
        }
    }
    return TRUE;
}

/* Reads the printer's level-2 information into a locked global block and
 * starts the copies with its device mode. */
static BOOL StartWithPrinterInfo(const char *szRedirectToPrinter, const char *pszDocName, DWORD dwCopies,
                                 ForwardTarget *pTarget)
{
    DWORD cbNeeded = 0;
    GetPrinterA(pTarget->hPrinter, 2, NULL, 0, &cbNeeded);
    HGLOBAL hInfo = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, cbNeeded);
    if (!hInfo) {
        DWORD dwError = GetLastError();
        ReportFailure(pTarget, dwError, "Memory allocation error: Error %d", dwError);
        return FALSE;
    }
    BOOL bStarted = FALSE;
    PRINTER_INFO_2A *pInfo = (PRINTER_INFO_2A *)GlobalLock(hInfo);
    if (!pInfo) {
        pTarget->dwLastError = GetLastError();
    } else if (!GetPrinterA(pTarget->hPrinter, 2, (BYTE *)pInfo, cbNeeded, &cbNeeded)) {
        DWORD dwError = GetLastError();
        ReportFailure(pTarget, dwError, "Cannot access the printer (3): Error %d", dwError);
    } else if (AllocateCopyDCs(pTarget, dwCopies)) {
        bStarted = StartCopyDocuments(szRedirectToPrinter, pszDocName, dwCopies, pInfo->pDevMode, pTarget);
    }
    if (pInfo)
        GlobalUnlock(hInfo);
    GlobalFree(hInfo);
    return bStarted;
}

int DoStartDocument(const char *szRedirectToPrinter, const char *pszDocName, DWORD dwCopies,
                    ForwardTarget *pTarget)
{
    if (!szRedirectToPrinter || !pTarget)
        return 0;
    pTarget->hPrinter = NULL;
    if (!OpenPrinterA((LPSTR)szRedirectToPrinter, &pTarget->hPrinter, NULL)) {
        DWORD dwError = GetLastError();
        ReportFailure(pTarget, dwError, "Cannot access the printer: Error %d", dwError);
        pTarget->hPrinter = NULL;
        return 0;
    }
    if (pTarget->hPrinter == INVALID_HANDLE_VALUE) {
        DWORD dwError = GetLastError();
        ReportFailure(pTarget, dwError, "Cannot access the printer (1): Error %d", dwError);
        pTarget->hPrinter = NULL;
        return 0;
    }
    if (!StartWithPrinterInfo(szRedirectToPrinter, pszDocName, dwCopies, pTarget)) {
        ReleaseStartedCopies(pTarget, dwCopies);
        return 0;
    }
    return 1;
}

/* Ends one copy's document under the spool-names mutex: the spooler closes
 * the document's spool file and then hands it on by name, and no other
 * process may start a document, and so reuse that name, in between. Gives
 * TRUE when ended, else FALSE with *pdwError set. A document that could not
 * be ended for want of the mutex is abandoned. */
static BOOL EndCopyDocument(HDC hCopyDC, DWORD *pdwError)
{
    HANDLE hLock = LockSpoolNames(SPOOL_NAMES_WAIT_MS);
    if (!hLock) {
        *pdwError = GetLastError();
        AbortDoc(hCopyDC);
        return FALSE;
    }
    BOOL bEnded = EndDoc(hCopyDC) > 0;
    *pdwError = GetLastError();
    UnlockSpoolNames(hLock);
    return bEnded;
}

DWORD EndCopyDocuments(ForwardTarget *pTarget, DWORD dwCopies)
{
    if (!pTarget)
        return dwCopies;
    if (pTarget->hPrinter) {
        ClosePrinter(pTarget->hPrinter);
        pTarget->hPrinter = NULL;
    }
    /* A copy whose document fails to end does not hold up the others: each
     * later copy is still a complete document of its own. */
    DWORD dwFailed = 0, dwError = ERROR_SUCCESS;
    for (DWORD i = 0; pTarget->phCopyDCs && i < dwCopies; i++) {
        if (!EndCopyDocument(pTarget->phCopyDCs[i], &dwError)) {
            ReportFailure(pTarget, dwError, "Error at EndDoc (copy: %d) %d", i, dwError);
            dwFailed++;
        } else {
            LogMessage("Printing successfully finished (copy: %d).", i);
        }
        if (pTarget->phCopyDCs[i]) {
            DeleteDC(pTarget->phCopyDCs[i]);
            pTarget->phCopyDCs[i] = NULL;
        }
    }
    return dwFailed;
}

int DoEndDocument(ForwardTarget *pTarget, DWORD dwCopies)
{
    if (!pTarget)
        return 0;
    return EndCopyDocuments(pTarget, dwCopies) == 0 ? 1 : 0;
}
