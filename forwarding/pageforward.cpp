/*
 * Page forwarding: one page, one redirect printer, every copy. The spool file
 * and the job device mode are read anew for each printer; the device mode is
 * applied and the device measured anew for each copy.
 */
#include "forwarding/pageforward.h"
#include "forwarding/pagereader.h"
#include "jobprotocol/jobkeys.h"
#include "jobprotocol/redirectlog.h"
#include "stamping/stamps.h"

#include <cstring>

/* What one page carries from its key and spool file. */
typedef struct PageData {
    BYTE        *pDevMode;
    DWORD        cbDevMode;
    HENHMETAFILE hMetaFile;
    BOOL         bSkipLogged; /* a record left out while playing has been logged */
} PageData;

/* The values one copy hands to the stamps. */
typedef struct CopyTarget {
    HDC         hdc;
    DWORD       dwCopy;
    const char *pszPrinter;
    ULONGLONG ptPhysPageInPixels;
    ULONGLONG ptPhysDPI;
    LONG      nWidth;
    LONG      nHeight;
} CopyTarget;

/* The log lines of one stamp's outcome on one copy. */
typedef struct StampLogLines {
    const char *pszFailed;
    const char *pszDrawn;
} StampLogLines;

/* Indexes into s_aStampLogLines. */
#define STAMP_LOG_WATERMARK  0
#define STAMP_LOG_ANNOTATION 1
#define STAMP_LOG_BATES      2

static const StampLogLines s_aStampLogLines[] = {
    { "Adding watermark failed (copy: %d).", "Watermark added successfully (copy: %d)." },
    { "Adding annotations failed (copy: %d).", "Annotations added successfully (copy: %d)." },
    { "Adding Bates number failed (copy: %d).", "Bates number added successfully (copy: %d)." },
};

/* Copies one 16-bit field where it differs and marks it in dmFields. */
static BOOL MergeField(short sJob, short *psPrinter, DWORD dwBit, DWORD *pdwFields)
{
    if (sJob == *psPrinter)
        return FALSE;
    *psPrinter = sJob;
    *pdwFields |= dwBit;
    return TRUE;
}

BOOL MergeJobDevModeFields(const DEVMODEW *pJob, DEVMODEW *pPrinter)
{
    BOOL bChanged = FALSE;
    bChanged |= MergeField(pJob->dmOrientation, &pPrinter->dmOrientation, DM_ORIENTATION, &pPrinter->dmFields);
    bChanged |= MergeField(pJob->dmPaperSize, &pPrinter->dmPaperSize, DM_PAPERSIZE, &pPrinter->dmFields);
    bChanged |= MergeField(pJob->dmPaperLength, &pPrinter->dmPaperLength, DM_PAPERLENGTH, &pPrinter->dmFields);
    bChanged |= MergeField(pJob->dmPaperWidth, &pPrinter->dmPaperWidth, DM_PAPERWIDTH, &pPrinter->dmFields);
    bChanged |= MergeField(pJob->dmPrintQuality, &pPrinter->dmPrintQuality, DM_PRINTQUALITY, &pPrinter->dmFields);
    bChanged |= MergeField(pJob->dmYResolution, &pPrinter->dmYResolution, DM_YRESOLUTION, &pPrinter->dmFields);
    return bChanged;
}

/* A failed step's error code; never 0, so that 0 keeps meaning success. */
static DWORD StepError(void)
{
    DWORD dwError = GetLastError();
    return dwError ? dwError : ERROR_GEN_FAILURE;
}

/* Merges the job's fields into the printer's device mode in pPrinter, lets
 * the driver validate it when anything changed, and resets the DC. */
static DWORD ApplyPrinterDevMode(HDC hdc, const WCHAR *pwszRedirectPrinter, HANDLE hPrinter,
                                 const void *pJobDevMode, DEVMODEW *pPrinter)
{
    DEVMODEW stJob;
    memcpy(&stJob, pJobDevMode, DEVMODEW_PUBLIC_SIZE);
    if (MergeJobDevModeFields(&stJob, pPrinter) &&
        DocumentPropertiesW(NULL, hPrinter, (LPWSTR)pwszRedirectPrinter, pPrinter, pPrinter,
                            DM_IN_BUFFER | DM_OUT_BUFFER) != IDOK)
        return StepError();
    ResetDCW(hdc, pPrinter);
    return 0;
}

DWORD ChangePhysicalPrinterSettings(HDC hdc, const WCHAR *pwszRedirectPrinter, HANDLE hPrinter,
                                    const void *pJobDevMode)
{
    if (!hdc || !pwszRedirectPrinter || !pJobDevMode)
        return ERROR_INVALID_PARAMETER;
    LONG cbDevMode = DocumentPropertiesW(NULL, hPrinter, (LPWSTR)pwszRedirectPrinter, NULL, NULL, 0);
    if (cbDevMode <= 0)
        return StepError();
    if ((size_t)cbDevMode < sizeof(DEVMODEW))
        return ERROR_INVALID_DATA;
    HGLOBAL hDevMode = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, (SIZE_T)cbDevMode);
    if (!hDevMode)
        return StepError();
    DEVMODEW *pPrinter = (DEVMODEW *)GlobalLock(hDevMode);
    if (!pPrinter) {
        DWORD dwError = StepError();
        GlobalFree(hDevMode);
        return dwError;
    }
    DWORD dwResult = 0;
    if (DocumentPropertiesW(NULL, hPrinter, (LPWSTR)pwszRedirectPrinter, pPrinter, NULL, DM_OUT_BUFFER) != IDOK)
        dwResult = StepError();
    else
        dwResult = ApplyPrinterDevMode(hdc, pwszRedirectPrinter, hPrinter, pJobDevMode, pPrinter);
    GlobalUnlock(hDevMode);
    GlobalFree(hDevMode);
    return dwResult;
}

/* Logs why a page's bytes were refused; one line. */
static void LogRefusedPage(DWORD dwPage, const char *pszPrinter, int nCheck, DWORD cbRead,
                           const BYTE *pBuffer)
{
    PageLayout stLayout;
    memset(&stLayout, 0, sizeof(stLayout));
    CheckPageBytes(pBuffer, cbRead, &stLayout);
    switch (nCheck) {
    case PAGE_SHORT_HEADER:
        LogMessage("Page %d not printed on %s: its %d bytes are too few for a metafile header.", dwPage,
                   pszPrinter, cbRead);
        break;
    case PAGE_SIZE_PAST_END:
        LogMessage("Page %d not printed on %s: the metafile size %d runs past the %d bytes read.", dwPage,
                   pszPrinter, stLayout.cbMetaFile, cbRead - stLayout.dwOffset);
        break;
    case PAGE_BROKEN_RECORD:
        LogMessage("Page %d not printed on %s: broken metafile record at offset %d.", dwPage, pszPrinter,
                   stLayout.dwBadRecord);
        break;
    case PAGE_UNSAFE_RECORD:
        LogMessage("Page %d not printed on %s: metafile record of type %d at offset %d %s.", dwPage, pszPrinter,
                   stLayout.stFault.dwType, stLayout.stFault.dwOffset, GetEmfFaultText(stLayout.stFault.nReason));
        break;
    default:
        LogMessage("Page %d not printed on %s: the system refused its metafile.", dwPage, pszPrinter);
        break;
    }
}

/* Logs why a page's spool file could not be read, from the system error
 * code of the attempt; one line. */
static void LogUnreadableSpoolFile(DWORD dwPage, const char *pszPrinter, const char *pszFileName, DWORD dwError)
{
    if (!pszFileName[0]) {
        LogMessage("Page %d not printed on %s: its page key names no spool file.", dwPage, pszPrinter);
    } else if (dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND) {
        LogMessage("Page %d not printed on %s: its spool file %s is missing.", dwPage, pszPrinter, pszFileName);
    } else if (dwError == ERROR_SHARING_VIOLATION || dwError == ERROR_LOCK_VIOLATION) {
        LogMessage("Page %d not printed on %s: its spool file %s is in use by another program.", dwPage,
                   pszPrinter, pszFileName);
    } else {
        LogMessage("Page %d not printed on %s: its spool file %s cannot be read (error %d).", dwPage, pszPrinter,
                   pszFileName, dwError);
    }
}

/* Reads the spool file and builds the page's metafile; logs the refusals of
 * bad bytes. Gives TRUE with pPage->hMetaFile set. */
static BOOL LoadPageMetaFile(const char *pszFileName, DWORD cbFileSize, DWORD dwPage, const char *pszPrinter,
                             PageData *pPage)
{
    DWORD cbRead = 0;
    BYTE *pBuffer = ReadPageFile(pszFileName, cbFileSize, &cbRead);
    if (!pBuffer) {
        LogUnreadableSpoolFile(dwPage, pszPrinter, pszFileName, GetLastError());
        return FALSE;
    }
    int nCheck = PAGE_OK;
    if (cbRead < cbFileSize)
        LogMessage("Page %d not printed on %s: the spool file holds %d bytes, not %d.", dwPage, pszPrinter,
                   cbRead, cbFileSize);
    else if (!(pPage->hMetaFile = ReadMetaFile(pBuffer, cbRead, &nCheck)))
        LogRefusedPage(dwPage, pszPrinter, nCheck, cbRead, pBuffer);
    HeapFree(GetProcessHeap(), 0, pBuffer);
    return pPage->hMetaFile != NULL;
}

/* Reads the page key and the page. Gives TRUE when the page can be printed;
 * on FALSE nothing is left to release. */
static BOOL LoadPage(const ForwardTarget *pTarget, const char *pszPrinterName, DWORD dwPage, const char *pszPrinter,
                     PageData *pPage)
{
    char szFileName[TEXT_BUFFER_SIZE];
    DWORD cbFileSize = 0;
    memset(szFileName, 0, sizeof(szFileName));
    int nReady = RedirectPrinting_ReadRegistryKey(pszPrinterName, pTarget->nJobNumber, dwPage, szFileName,
                                                  sizeof(szFileName), &cbFileSize, &pPage->pDevMode,
                                                  &pPage->cbDevMode);
    if (nReady == RET_PAGE_ABORT) {
        Sleep(1000);
        LogMessage("Page %d not printed on %s: the page was abandoned.", dwPage, pszPrinter);
    } else if (nReady != RET_PAGE_READY) {
        LogMessage("Page %d not printed on %s: its page key is not ready.", dwPage, pszPrinter);
    }
    if (nReady == RET_PAGE_READY && LoadPageMetaFile(szFileName, cbFileSize, dwPage, pszPrinter, pPage))
        return TRUE;
    if (pPage->pDevMode)
        HeapFree(GetProcessHeap(), 0, pPage->pDevMode);
    pPage->pDevMode = NULL;
    return FALSE;
}

/* Logs the STAMP_* result nResult of stamp nStampLog (STAMP_LOG_*) on copy
 * dwCopy: its failure or success line, nothing when it is switched off. */
static void LogStampResult(int nStampLog, int nResult, DWORD dwCopy)
{
    const StampLogLines *pLines = &s_aStampLogLines[nStampLog];
    if (nResult == STAMP_FAILED)
        LogMessage(pLines->pszFailed, dwCopy);
    else if (nResult == STAMP_DRAWN)
        LogMessage(pLines->pszDrawn, dwCopy);
}

/* Watermark under the page, the page itself over the printable area. A
 * record the player cannot be trusted with is left out, and logged once
 * for the page on this printer. */
static void DrawPageBody(const CopyTarget *pCopy, PageData *pPage, DWORD dwPage, int nJobNumber)
{
    int nStamp = AddWatermark(pCopy->hdc, pPage->pDevMode, pPage->cbDevMode, dwPage, pCopy->ptPhysPageInPixels,
                              nJobNumber);
    LogStampResult(STAMP_LOG_WATERMARK, nStamp, pCopy->dwCopy);
    RECT rcPage = { 0, 0, pCopy->nWidth - 1, pCopy->nHeight - 1 };
    EmfFault stSkipped;
    if (!PlayCheckedMetaFile(pCopy->hdc, pPage->hMetaFile, &rcPage, &stSkipped))
        LogMessage("Error sending data to the printer (copy: %d). Error: %d", pCopy->dwCopy, GetLastError());
    if (stSkipped.nReason != EMF_RECORD_OK && !pPage->bSkipLogged) {
        LogMessage("Page %d printed on %s without its metafile record of type %d at offset %d, which %s.", dwPage,
                   pCopy->pszPrinter, stSkipped.dwType, stSkipped.dwOffset, GetEmfFaultText(stSkipped.nReason));
        pPage->bSkipLogged = TRUE;
    }
}

/* Annotation text and Bates number over the page. */
static void DrawPageStamps(const CopyTarget *pCopy, const PageData *pPage, DWORD dwPage, const char *pszDocName,
                           const char *pszPrinterName, int nJobNumber)
{
    int nStamp = AddAnnotation(pCopy->hdc, pPage->pDevMode, pPage->cbDevMode,
                               pszDocName ? pszDocName : DEFAULT_DOCUMENT_NAME, dwPage, pCopy->ptPhysPageInPixels,
                               pCopy->ptPhysDPI);
    LogStampResult(STAMP_LOG_ANNOTATION, nStamp, pCopy->dwCopy);
    int nBatesStart = 0, nBatesCurrent = 0;
    RedirectPrinting_ReadBatesNumbers(pszPrinterName, nJobNumber, &nBatesCurrent, &nBatesStart);
    nStamp = AddBatesNumber(pCopy->hdc, pszPrinterName, pPage->pDevMode, pPage->cbDevMode, dwPage, nBatesCurrent,
                            nBatesStart, pCopy->ptPhysPageInPixels, pCopy->ptPhysDPI);
    LogStampResult(STAMP_LOG_BATES, nStamp, pCopy->dwCopy);
}

/* Prints the page on one copy: settings, measure, page start, drawing, end. */
static void PrintCopy(HDC hdc, DWORD dwCopy, const char *pszPrinter, const WCHAR *pwszPrinter,
                      const ForwardTarget *pTarget, PageData *pPage, DWORD dwPage, const char *pszDocName,
                      const char *pszPrinterName)
{
    CopyTarget stCopy;
    if (pPage->pDevMode && pPage->cbDevMode >= DEVMODEW_PUBLIC_SIZE)
        ChangePhysicalPrinterSettings(hdc, pwszPrinter, pTarget->hPrinter, pPage->pDevMode);
    stCopy.hdc = hdc;
    stCopy.dwCopy = dwCopy;
    stCopy.pszPrinter = pszPrinter;
    stCopy.nWidth = GetDeviceCaps(hdc, HORZRES);
    stCopy.nHeight = GetDeviceCaps(hdc, VERTRES);
    stCopy.ptPhysPageInPixels = PackPoint(stCopy.nWidth, stCopy.nHeight);
    stCopy.ptPhysDPI = PackPoint(GetDeviceCaps(hdc, LOGPIXELSX), GetDeviceCaps(hdc, LOGPIXELSY));
    if (StartPage(hdc) <= 0) {
        LogMessage("Error at StartPage (copy: %d). Error: %d", dwCopy, GetLastError());
        return;
    }
    DrawPageBody(&stCopy, pPage, dwPage, pTarget->nJobNumber);
    DrawPageStamps(&stCopy, pPage, dwPage, pszDocName, pszPrinterName, pTarget->nJobNumber);
    if (EndPage(hdc) <= 0)
        LogMessage("Error at EndPage (copy: %d), Error: %d", dwCopy, GetLastError());
}

void DoPrintPage(const char *pszRedirectPrinter, const char *pszDocName, DWORD dwPage,
                 ForwardTarget *pTarget, const char *pszPrinterName, DWORD dwCopies)
{
    WCHAR wszPrinter[PRINTER_NAME_SIZE];
    PageData stPage = { NULL, 0, NULL, FALSE };
    if (!pszRedirectPrinter || !pTarget || !pszPrinterName)
        return;
    if (!LoadPage(pTarget, pszPrinterName, dwPage, pszRedirectPrinter, &stPage))
        return;
    if (!MultiByteToWideChar(CP_ACP, 0, pszRedirectPrinter, -1, wszPrinter, PRINTER_NAME_SIZE))
        wszPrinter[0] = L'\0';
    for (DWORD i = 0; pTarget->phCopyDCs && i < dwCopies; i++)
        PrintCopy(pTarget->phCopyDCs[i], i, pszRedirectPrinter, wszPrinter, pTarget, &stPage, dwPage, pszDocName,
                  pszPrinterName);
    DeleteEnhMetaFile(stPage.hMetaFile);
    if (stPage.pDevMode)
        HeapFree(GetProcessHeap(), 0, stPage.pDevMode);
}
