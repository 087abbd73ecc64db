/*
 * Forwarding print sessions: each redirect printer is opened once per job,
 * with one device context and one started document per copy.
 */
#include "forwarding/printsession.h"
#include "jobprotocol/redirectlog.h"

#include <cstring>

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

/* Allocates the zero-filled per-copy array; FALSE (logged) when the size
 * overflows or the heap refuses it. */
static BOOL AllocateCopyDCs(ForwardTarget *pTarget, DWORD dwCopies)
{
    SIZE_T cbArray = (SIZE_T)dwCopies * sizeof(HDC);
    HDC *phCopyDCs = NULL;
    if (cbArray / sizeof(HDC) == dwCopies)
        phCopyDCs = (HDC *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, cbArray ? cbArray : sizeof(HDC));
    if (!phCopyDCs) {
        LogMessage("Memory allocation error for printer DCs: Error %d", ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    if (pTarget->phCopyDCs)
        HeapFree(GetProcessHeap(), 0, pTarget->phCopyDCs);
    pTarget->phCopyDCs = phCopyDCs;
    return TRUE;
}

/* After failed try dwTry of a call: keeps the system error code in
 * *pdwError and, when it is a sharing violation and tries are left, waits
 * SHARING_RETRY_MS. TRUE when the call is to be tried again. */
static BOOL WaitToRetry(DWORD dwTry, DWORD *pdwError)
{
    *pdwError = GetLastError();
    if (*pdwError != ERROR_SHARING_VIOLATION || dwTry >= SHARING_RETRY_TRIES)
        return FALSE;
    Sleep(SHARING_RETRY_MS);
    return TRUE;
}

/* Creates a copy's DC for szRedirectToPrinter. A sharing violation means a
 * file of the printer's driver or spooler is held for a moment by another
 * process (several jobs setting up the same printer at once): the call is
 * tried again, a bounded number of times. Gives the DC, or NULL with
 * *pdwError set. */
static HDC CreateCopyDC(const char *szRedirectToPrinter, const DEVMODEA *pDevMode, DWORD *pdwError)
{
    for (DWORD dwTry = 1;; dwTry++) {
        HDC hDC = CreateDCA("WINSPOOL", szRedirectToPrinter, NULL, pDevMode);
        if (hDC || !WaitToRetry(dwTry, pdwError))
            return hDC;
    }
}

/* Starts the document on one copy's DC, retrying a sharing violation as
 * CreateCopyDC does: the spool file of the new document may be held by
 * another process, and each new StartDoc may be given another one. Gives TRUE
 * when the document is started, else FALSE with *pdwError set. */
static BOOL StartCopyDocument(HDC hCopyDC, const DOCINFOA *pDocInfo, DWORD *pdwError)
{
    for (DWORD dwTry = 1;; dwTry++) {
        if (StartDocA(hCopyDC, pDocInfo) > 0)
            return TRUE;
        if (!WaitToRetry(dwTry, pdwError))
            return FALSE;
    }
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
            LogMessage("Cannot use the printer (i): Error %d", dwError);
            return FALSE;
        }
    }
    DOCINFOA stDocInfo;
    memset(&stDocInfo, 0, sizeof(stDocInfo));
    stDocInfo.cbSize = sizeof(stDocInfo);
    stDocInfo.lpszDocName = pszDocName ? pszDocName : DEFAULT_DOCUMENT_NAME;
    for (DWORD i = 0; i < dwCopies; i++) {
        if (!StartCopyDocument(pTarget->phCopyDCs[i], &stDocInfo, &dwError)) {
            LogMessage("Error at StartDoc (copy %d): Error %d", i, dwError);
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
        LogMessage("Memory allocation error: Error %d", GetLastError());
        return FALSE;
    }
    BOOL bStarted = FALSE;
    PRINTER_INFO_2A *pInfo = (PRINTER_INFO_2A *)GlobalLock(hInfo);
    if (pInfo) {
        if (!GetPrinterA(pTarget->hPrinter, 2, (BYTE *)pInfo, cbNeeded, &cbNeeded))
            LogMessage("Cannot access the printer (3): Error %d", GetLastError());
        else if (AllocateCopyDCs(pTarget, dwCopies))
            bStarted = StartCopyDocuments(szRedirectToPrinter, pszDocName, dwCopies, pInfo->pDevMode, pTarget);
        GlobalUnlock(hInfo);
    }
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
        LogMessage("Cannot access the printer: Error %d", GetLastError());
        pTarget->hPrinter = NULL;
        return 0;
    }
    if (pTarget->hPrinter == INVALID_HANDLE_VALUE) {
        LogMessage("Cannot access the printer (1): Error %d", GetLastError());
        pTarget->hPrinter = NULL;
        return 0;
    }
    if (!StartWithPrinterInfo(szRedirectToPrinter, pszDocName, dwCopies, pTarget)) {
        ReleaseStartedCopies(pTarget, dwCopies);
        return 0;
    }
    return 1;
}

int DoEndDocument(ForwardTarget *pTarget, DWORD dwCopies)
{
    if (!pTarget)
        return 0;
    if (pTarget->hPrinter) {
        ClosePrinter(pTarget->hPrinter);
        pTarget->hPrinter = NULL;
    }
    /* A copy whose document fails to end does not hold up the others: each
     * later copy is still a complete document of its own. */
    int nResult = 1;
    for (DWORD i = 0; pTarget->phCopyDCs && i < dwCopies; i++) {
        if (EndDoc(pTarget->phCopyDCs[i]) <= 0) {
            LogMessage("Error at EndDoc (copy: %d) %d", i, GetLastError());
            nResult = 0;
        } else {
            LogMessage("Printing successfully finished (copy: %d).", i);
        }
        if (pTarget->phCopyDCs[i]) {
            DeleteDC(pTarget->phCopyDCs[i]);
            pTarget->phCopyDCs[i] = NULL;
        }
    }
    return nResult;
}
