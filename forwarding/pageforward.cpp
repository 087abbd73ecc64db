/*
 * Page forwarding: a page is read, checked and built once; then, for each
 * redirect printer, played on every copy. The job device mode is applied and
 * the device measured anew for each copy.
 */
#include "forwarding/pageforward.h"
#include "forwarding/keptpages.h"
#include "jobprotocol/redirectlog.h"
#include "stamping/stamps.h"

#include <cstdio>
#include <cstring>

/* What the copies of one redirect printer share for one page. */
typedef struct PrinterPass {
    const ForwardPage   *pPage;
    const ForwardTarget *pTarget;
    const char *pszPrinter;                /* the redirect printer */
    WCHAR       wszPrinter[PRINTER_NAME_SIZE];
    const char *pszDocName;
    const char *pszPrinterName;            /* the printer of this job */
    BOOL        bSkipLogged;               /* a record left out while playing has been logged */
} PrinterPass;

/* The values one copy hands to the stamps. */
typedef struct CopyTarget {
    HDC         hdc;
    DWORD       dwCopy;
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
static void LogRefusedPage(const ForwardPage *pPage, const char *pszPrinter)
{
    const PageLayout *pLayout = &pPage->stLayout;
    switch (pPage->nCheck) {
    case PAGE_SHORT_HEADER:
        LogMessage("Page %d not printed on %s: its %d bytes are too few for a metafile header.", pPage->dwPage,
                   pszPrinter, pPage->cbRead);
        break;
    case PAGE_SIZE_PAST_END:
        LogMessage("Page %d not printed on %s: the metafile size %d runs past the %d bytes read.", pPage->dwPage,
                   pszPrinter, pLayout->cbMetaFile, pPage->cbRead - pLayout->dwOffset);
        break;
    case PAGE_BROKEN_RECORD:
        LogMessage("Page %d not printed on %s: broken metafile record at offset %d.", pPage->dwPage, pszPrinter,
                   pLayout->dwBadRecord);
        break;
    case PAGE_BAD_HEADER:
        LogMessage("Page %d not printed on %s: metafile record of type %d at offset %d %s.", pPage->dwPage,
                   pszPrinter, pLayout->stFault.dwType, pLayout->stFault.dwOffset,
                   GetEmfFaultText(pLayout->stFault.nReason));
        break;
    default:
        LogMessage("Page %d not printed on %s: the system refused its metafile.", pPage->dwPage, pszPrinter);
        break;
    }
}

/* Logs why a page's spool file could not be read, from the system error
 * code of the attempt; one line. */
static void LogUnreadableSpoolFile(const ForwardPage *pPage, const char *pszPrinter)
{
    DWORD dwPage = pPage->dwPage, dwError = pPage->dwError;
    const char *pszFileName = pPage->szFileName;
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

/* Logs why a page cannot be printed on pszPrinter; one line. An abandoned
 * page is logged after a pause of one second. */
static void LogUnprintablePage(const ForwardPage *pPage, const char *pszPrinter)
{
    switch (pPage->nState) {
    case FWD_PAGE_ABANDONED:
        Sleep(1000);
        LogMessage("Page %d not printed on %s: the page was abandoned.", pPage->dwPage, pszPrinter);
        break;
    case FWD_PAGE_NOT_READY:
        LogMessage("Page %d not printed on %s: its page key is not ready.", pPage->dwPage, pszPrinter);
        break;
    case FWD_PAGE_UNREADABLE:
        LogUnreadableSpoolFile(pPage, pszPrinter);
        break;
    case FWD_PAGE_SHORT:
        LogMessage("Page %d not printed on %s: the spool file holds %d bytes, not %d.", pPage->dwPage, pszPrinter,
                   pPage->cbRead, pPage->cbFileSize);
        break;
    default:
        LogRefusedPage(pPage, pszPrinter);
        break;
    }
}

/* Keeps the page's bytes, as read from its spool file, in pszKeepFile with
 * its device mode and Bates values; a failure sets pPage->dwKeepError. */
static void KeepPageBytes(ForwardPage *pPage, const BYTE *pBuffer, const char *pszKeepFile)
{
    KeptPageHeader stHeader;
    stHeader.dwMagic = KEPT_PAGE_MAGIC;
    stHeader.cbDevMode = pPage->pDevMode ? pPage->cbDevMode : 0;
    stHeader.cbSpool = pPage->cbRead;
    stHeader.nBatesStart = pPage->nBatesStart;
    stHeader.nBatesCurrent = pPage->nBatesCurrent;
    if (!WriteKeptPage(pszKeepFile, &stHeader, pPage->pDevMode, pBuffer)) {
        DWORD dwError = GetLastError();
        pPage->dwKeepError = dwError ? dwError : ERROR_WRITE_FAULT;
    }
}

/* Checks a page's bytes and builds the metafile; sets pPage->nState. */
static void BuildPageMetaFile(ForwardPage *pPage, const BYTE *pBuffer, DWORD cbBuffer)
{
    pPage->hMetaFile = ReadMetaFile(pBuffer, cbBuffer, &pPage->nCheck, &pPage->stLayout);
    pPage->nState = pPage->hMetaFile ? FWD_PAGE_READY : FWD_PAGE_REFUSED;
}

/* Reads the spool file the page key named, checks its bytes and builds the
 * metafile; sets pPage->nState. A page that can be printed is kept in
 * pszKeepFile, when given. The bytes are freed again at once. */
static void LoadPageMetaFile(ForwardPage *pPage, const char *pszKeepFile)
{
    BYTE *pBuffer = ReadPageFile(pPage->szFileName, pPage->cbFileSize, &pPage->cbRead);
    if (!pBuffer) {
        pPage->dwError = GetLastError();
        pPage->nState = FWD_PAGE_UNREADABLE;
        return;
    }
    if (pPage->cbRead < pPage->cbFileSize)
        pPage->nState = FWD_PAGE_SHORT;
    else
        BuildPageMetaFile(pPage, pBuffer, pPage->cbRead);
    if (pPage->nState == FWD_PAGE_READY && pszKeepFile)
        KeepPageBytes(pPage, pBuffer, pszKeepFile);
    HeapFree(GetProcessHeap(), 0, pBuffer);
}

/* Fills a page's fields up to the page key's read: its number, the state
 * "not ready" and nothing else. */
static void ClearForwardPage(ForwardPage *pPage, DWORD dwPage)
{
    memset(pPage, 0, sizeof(*pPage));
    pPage->dwPage = dwPage;
    pPage->nState = FWD_PAGE_NOT_READY;
}

int ReadForwardPage(const char *pszPrinterName, int nJobNumber, DWORD dwPage, const char *pszKeepFile,
                    ForwardPage *pPage)
{
    if (!pPage)
        return RET_NONE;
    ClearForwardPage(pPage, dwPage);
    if (!pszPrinterName)
        return RET_NONE;
    int nReady = RedirectPrinting_ReadRegistryKey(pszPrinterName, nJobNumber, dwPage, pPage->szFileName,
                                                  sizeof(pPage->szFileName), &pPage->cbFileSize, &pPage->pDevMode,
                                                  &pPage->cbDevMode);
    if (nReady == RET_PAGE_ABORT) {
        pPage->nState = FWD_PAGE_ABANDONED;
    } else if (nReady == RET_PAGE_READY) {
        RedirectPrinting_ReadBatesNumbers(pszPrinterName, nJobNumber, &pPage->nBatesCurrent, &pPage->nBatesStart);
        LoadPageMetaFile(pPage, pszKeepFile);
    }
    return nReady;
}

/* Takes the device mode, the Bates values and the metafile from a kept
 * page's cbFile bytes; sets pPage->nState. */
static void UnpackKeptPage(ForwardPage *pPage, const BYTE *pFile, DWORD cbFile)
{
    KeptPageHeader stHeader;
    if (!CheckKeptPageHeader(pFile, cbFile, &stHeader)) {
        pPage->nState = FWD_PAGE_REFUSED;
        pPage->nCheck = PAGE_NO_BUFFER;
        return;
    }
    const BYTE *pDevMode = pFile + sizeof(stHeader);
    if (stHeader.cbDevMode > 0) {
        pPage->pDevMode = (BYTE *)HeapAlloc(GetProcessHeap(), 0, stHeader.cbDevMode);
        if (!pPage->pDevMode) {
            pPage->dwError = ERROR_NOT_ENOUGH_MEMORY;
            pPage->nState = FWD_PAGE_UNREADABLE;
            return;
        }
        memcpy(pPage->pDevMode, pDevMode, stHeader.cbDevMode);
        pPage->cbDevMode = stHeader.cbDevMode;
    }
    pPage->nBatesStart = stHeader.nBatesStart;
    pPage->nBatesCurrent = stHeader.nBatesCurrent;
    pPage->cbRead = stHeader.cbSpool;
    BuildPageMetaFile(pPage, pDevMode + stHeader.cbDevMode, stHeader.cbSpool);
}

void LoadKeptPage(const char *pszKeepFile, DWORD dwPage, ForwardPage *pPage)
{
    WIN32_FILE_ATTRIBUTE_DATA stData;
    if (!pPage)
        return;
    ClearForwardPage(pPage, dwPage);
    pPage->nState = FWD_PAGE_UNREADABLE;
    pPage->dwError = ERROR_INVALID_PARAMETER;
    if (!pszKeepFile)
        return;
    snprintf(pPage->szFileName, sizeof(pPage->szFileName), "%s", pszKeepFile);
    if (!GetFileAttributesExA(pszKeepFile, GetFileExInfoStandard, &stData)) {
        pPage->dwError = GetLastError();
        return;
    }
    pPage->dwError = ERROR_FILE_TOO_LARGE;
    if (stData.nFileSizeHigh)
        return;
    pPage->cbFileSize = stData.nFileSizeLow;
    BYTE *pFile = ReadPageFile(pszKeepFile, pPage->cbFileSize, &pPage->cbRead);
    if (!pFile) {
        pPage->dwError = GetLastError();
        return;
    }
    pPage->dwError = 0;
    if (pPage->cbRead < pPage->cbFileSize)
        pPage->nState = FWD_PAGE_SHORT;
    else
        UnpackKeptPage(pPage, pFile, pPage->cbRead);
    HeapFree(GetProcessHeap(), 0, pFile);
}

void ReleaseForwardPage(ForwardPage *pPage)
{
    if (!pPage)
        return;
    if (pPage->hMetaFile)
        DeleteEnhMetaFile(pPage->hMetaFile);
    if (pPage->pDevMode)
        HeapFree(GetProcessHeap(), 0, pPage->pDevMode);
    pPage->hMetaFile = NULL;
    pPage->pDevMode = NULL;
    pPage->cbDevMode = 0;
    pPage->nState = FWD_PAGE_NOT_READY;
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

/* Logs the records a play of the page left out; one line. */
static void LogLeftOutRecords(const PrinterPass *pPass, const EmfPlayReport *pReport)
{
    const EmfFault *pFirst = &pReport->stFirst;
    if (pReport->nLeftOut == 1)
        LogMessage("Page %d printed on %s without its metafile record of type %d at offset %d, which %s.",
                   pPass->pPage->dwPage, pPass->pszPrinter, pFirst->dwType, pFirst->dwOffset,
                   GetEmfFaultText(pFirst->nReason));
    else
        LogMessage("Page %d printed on %s without %d of its metafile records; the first, of type %d at offset %d, "
                   "%s.", pPass->pPage->dwPage, pPass->pszPrinter, pReport->nLeftOut, pFirst->dwType,
                   pFirst->dwOffset, GetEmfFaultText(pFirst->nReason));
}

/* Watermark under the page, the page itself over the printable area. The
 * records the checking player leaves out are logged once for the page on
 * this printer. */
static void DrawPageBody(const CopyTarget *pCopy, PrinterPass *pPass)
{
    const ForwardPage *pPage = pPass->pPage;
    int nStamp = AddWatermark(pCopy->hdc, pPage->pDevMode, pPage->cbDevMode, pPage->dwPage,
                              pCopy->ptPhysPageInPixels, pPass->pTarget->nJobNumber);
    LogStampResult(STAMP_LOG_WATERMARK, nStamp, pCopy->dwCopy);
    RECT rcPage = { 0, 0, pCopy->nWidth - 1, pCopy->nHeight - 1 };
    EmfPlayReport stReport;
    if (!PlayCheckedMetaFile(pCopy->hdc, pPage->hMetaFile, &rcPage, &stReport))
        LogMessage("Error sending data to the printer (copy: %d). Error: %d", pCopy->dwCopy, GetLastError());
    if (stReport.nLeftOut != 0 && !pPass->bSkipLogged) {
        LogLeftOutRecords(pPass, &stReport);
        pPass->bSkipLogged = TRUE;
    }
}

/* Annotation text and Bates number over the page. */
static void DrawPageStamps(const CopyTarget *pCopy, const PrinterPass *pPass)
{
    const ForwardPage *pPage = pPass->pPage;
    int nStamp = AddAnnotation(pCopy->hdc, pPage->pDevMode, pPage->cbDevMode,
                               pPass->pszDocName ? pPass->pszDocName : DEFAULT_DOCUMENT_NAME, pPage->dwPage,
                               pCopy->ptPhysPageInPixels, pCopy->ptPhysDPI);
    LogStampResult(STAMP_LOG_ANNOTATION, nStamp, pCopy->dwCopy);
    nStamp = AddBatesNumber(pCopy->hdc, pPass->pszPrinterName, pPage->pDevMode, pPage->cbDevMode, pPage->dwPage,
                            pPage->nBatesCurrent, pPage->nBatesStart, pCopy->ptPhysPageInPixels, pCopy->ptPhysDPI);
    LogStampResult(STAMP_LOG_BATES, nStamp, pCopy->dwCopy);
}

/* Prints the page on one copy: settings, measure, page start, drawing, end. */
static void PrintCopy(PrinterPass *pPass, HDC hdc, DWORD dwCopy)
{
    const ForwardPage *pPage = pPass->pPage;
    CopyTarget stCopy;
    if (pPage->pDevMode && pPage->cbDevMode >= DEVMODEW_PUBLIC_SIZE)
        ChangePhysicalPrinterSettings(hdc, pPass->wszPrinter, pPass->pTarget->hPrinter, pPage->pDevMode);
    stCopy.hdc = hdc;
    stCopy.dwCopy = dwCopy;
    stCopy.nWidth = GetDeviceCaps(hdc, HORZRES);
    stCopy.nHeight = GetDeviceCaps(hdc, VERTRES);
    stCopy.ptPhysPageInPixels = PackPoint(stCopy.nWidth, stCopy.nHeight);
    stCopy.ptPhysDPI = PackPoint(GetDeviceCaps(hdc, LOGPIXELSX), GetDeviceCaps(hdc, LOGPIXELSY));
    if (StartPage(hdc) <= 0) {
        LogMessage("Error at StartPage (copy: %d). Error: %d", dwCopy, GetLastError());
        return;
    }
    DrawPageBody(&stCopy, pPass);
    DrawPageStamps(&stCopy, pPass);
    if (EndPage(hdc) <= 0)
        LogMessage("Error at EndPage (copy: %d), Error: %d", dwCopy, GetLastError());
}

void DoPrintPage(const char *pszRedirectPrinter, const char *pszDocName, const ForwardPage *pPage,
                 ForwardTarget *pTarget, const char *pszPrinterName, DWORD dwCopies)
{
    if (!pszRedirectPrinter || !pPage || !pTarget || !pszPrinterName)
        return;
    if (pPage->nState != FWD_PAGE_READY) {
        LogUnprintablePage(pPage, pszRedirectPrinter);
        return;
    }
    PrinterPass stPass;
    memset(&stPass, 0, sizeof(stPass));
    stPass.pPage = pPage;
    stPass.pTarget = pTarget;
    stPass.pszPrinter = pszRedirectPrinter;
    stPass.pszDocName = pszDocName;
    stPass.pszPrinterName = pszPrinterName;
    if (!MultiByteToWideChar(CP_ACP, 0, pszRedirectPrinter, -1, stPass.wszPrinter, PRINTER_NAME_SIZE))
        stPass.wszPrinter[0] = L'\0';
    for (DWORD i = 0; pTarget->phCopyDCs && i < dwCopies; i++)
        PrintCopy(&stPass, pTarget->phCopyDCs[i], i);
}
