/*
 * The polling loop: four phases per cycle (application start before printing,
 * job status, forwarding, sleep and exit test), one page at most per cycle.
 */
#include "monitor/jobloop.h"
#include "jobprotocol/jobkeys.h"
#include "jobprotocol/redirectlog.h"
#include "launcher/appstarter.h"
#include "launcher/postprint.h"
#include "forwarding/keptpages.h"
#include "forwarding/pageforward.h"
#include "forwarding/printretry.h"
#include "forwarding/printsession.h"
#include "stamping/stamps.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

#define LOG_SEPARATOR "---------------------------"

/* What a phase tells the loop. */
#define CYCLE_CONTINUE 0
#define CYCLE_EXIT     1

/* Everything the loop knows about its job. */
typedef struct JobState {
    int            nJobNumber;
    const char    *pszPrinterName;
    BOOL           bJobFinished;
    BOOL           bForwarding;      /* forwarding has started */
    BOOL           bPagesDone;       /* the last page has been consumed; printers may still be settling */
    BOOL           bForwardingDone;
    DWORD          dwNextPage;
    DWORD          dwPageCount;
    DWORD          dwPagesConsumed;
    DWORD          dwCopies;
    ForwardTarget *pTargets;
    DWORD          dwTargetCount;
    ULONGLONG      ullDeadline;      /* last try of a printer that is away; 0 before the last page */
    RetryTimings   stRetryTimings;
    char           szKeepFolder[MAX_PATH]; /* the kept pages' folder; empty when none */
    char           szCommandLine[COMMAND_LINE_SIZE];
    char           szAppPath[TEXT_BUFFER_SIZE];
    DWORD          dwStartFlags;
    char           szMessagingInterfaceName[TEXT_BUFFER_SIZE];
    char           szDocumentName[TEXT_BUFFER_SIZE];
    char           szRegistryPath[KEY_PATH_SIZE];
} JobState;

/* Converts the job number text up to the first character that is not a
 * digit, as atoi does (leading blanks and a sign allowed, no digits give 0),
 * however many digits it has. FALSE when the number lies outside the signed
 * 32-bit range: it names no job the port monitor can have written. */
static BOOL ParseJobNumber(const char *pszText, int *pnJobNumber)
{
    while (*pszText == ' ' || *pszText == '\t' || *pszText == '\n' || *pszText == '\r' || *pszText == '\v' ||
           *pszText == '\f')
        pszText++;
    BOOL bNegative = FALSE;
    if (*pszText == '+' || *pszText == '-')
        bNegative = (*pszText++ == '-');
    long long llValue = 0;
    for (; *pszText >= '0' && *pszText <= '9'; pszText++) {
        llValue = llValue * 10 + (*pszText - '0');
        if (llValue > (long long)INT_MAX + 1)
            return FALSE;
    }
    if (bNegative)
        llValue = -llValue;
    if (llValue > INT_MAX)
        return FALSE;
    *pnJobNumber = (int)llValue;
    return TRUE;
}

BOOL ParseJobCommandLine(const char *pszCmdLine, int *pnJobNumber, char *pszPrinterName, size_t cchPrinterName)
{
    int nJobNumber = 0;
    if (!pszCmdLine || !pnJobNumber || !pszPrinterName)
        return FALSE;
    const char *pszComma = strchr(pszCmdLine, ',');
    if (!pszComma || !ParseJobNumber(pszCmdLine, &nJobNumber))
        return FALSE;
    const char *pszName = pszComma + 1;
    size_t cchName = strlen(pszName);
    if (cchName >= cchPrinterName || !JobKeyPathsFit(pszName, nJobNumber) || !BatesFormatKeysFit(pszName))
        return FALSE;
    memcpy(pszPrinterName, pszName, cchName + 1);
    *pnJobNumber = nJobNumber;
    return TRUE;
}

/* Releases every target's per-copy DC array and the target list, the
 * watermark pictures and the pages kept for the job. */
static void ReleaseTargets(JobState *pJob)
{
    ReleaseWatermarkCache();
    RemoveKeepFolder(pJob->szKeepFolder, pJob->dwPagesConsumed);
    pJob->szKeepFolder[0] = '\0';
    for (DWORD i = 0; i < pJob->dwTargetCount; i++) {
        if (pJob->pTargets[i].phCopyDCs) {
            HeapFree(GetProcessHeap(), 0, pJob->pTargets[i].phCopyDCs);
            pJob->pTargets[i].phCopyDCs = NULL;
        }
    }
    if (pJob->pTargets)
        HeapFree(GetProcessHeap(), 0, pJob->pTargets);
    pJob->pTargets = NULL;
    pJob->dwTargetCount = 0;
}

/* Ends the documents of every active target, in order. */
static void EndActiveTargets(JobState *pJob)
{
    for (DWORD i = 0; i < pJob->dwTargetCount; i++) {
        if (pJob->pTargets[i].bActive) {
            pJob->pTargets[i].bActive = 0;
            DoEndDocument(&pJob->pTargets[i], pJob->pTargets[i].dwCopies);
        }
    }
}

/* The job as the steps of printers that are away see it in this cycle. */
static void MakeRetryJob(const JobState *pJob, RetryJob *pRetry)
{
    pRetry->pszDocName = pJob->szDocumentName;
    pRetry->pszPrinterName = pJob->pszPrinterName;
    pRetry->pszKeepFolder = pJob->szKeepFolder;
    pRetry->dwPages = pJob->dwPagesConsumed;
    pRetry->bPagesDone = pJob->bPagesDone;
    pRetry->ullNow = GetTickCount64();
    pRetry->ullDeadline = pJob->ullDeadline;
    pRetry->stTimings = pJob->stRetryTimings;
}

/* Reads redirect printer nIndex into a PRINTER_NAME_SIZE buffer; empty when
 * it cannot be read. */
static void ReadRedirectPrinterName(const JobState *pJob, DWORD nIndex, char *pszName)
{
    DWORD cbName = PRINTER_NAME_SIZE;
    memset(pszName, 0, PRINTER_NAME_SIZE);
    if (!RedirectPrinting_ReadPrinterName(pJob->szRegistryPath, (int)nIndex, pszName, &cbName))
        pszName[0] = '\0';
    pszName[PRINTER_NAME_SIZE - 1] = '\0';
}

/* The job's status said "Aborted": remove its keys and files, end the
 * documents forwarded so far. Their end-of-document lines come before the
 * abort line, so that the separator is the job's last line. */
static int RunJobAbort(JobState *pJob)
{
    DeleteAbortedJobRegistryKeys(pJob->pszPrinterName, pJob->nJobNumber);
    EndActiveTargets(pJob);
    LogMessage("Redirect printing aborted.");
    LogMessage(LOG_SEPARATOR);
    ReleaseTargets(pJob);
    return CYCLE_EXIT;
}

/* The job key's "Ready" said "Abort": remove the keys and files and leave the
 * forwarded documents unended. */
static int RunApplicationAbort(JobState *pJob)
{
    Sleep(1000);
    DeleteAbortedJobRegistryKeys(pJob->pszPrinterName, pJob->nJobNumber);
    LogMessage("Redirect printing aborted.");
    LogMessage(LOG_SEPARATOR);
    ReleaseTargets(pJob);
    return CYCLE_EXIT;
}

static int ReadApplicationValues(JobState *pJob)
{
    return StartApp_ReadRegistryKey(pJob->pszPrinterName, pJob->nJobNumber, pJob->szCommandLine,
                                    sizeof(pJob->szCommandLine), pJob->szAppPath, sizeof(pJob->szAppPath),
                                    &pJob->dwStartFlags, pJob->szMessagingInterfaceName,
                                    sizeof(pJob->szMessagingInterfaceName));
}

/* Phase 1: the application start before printing. */
static int RunStartBeforePrinting(JobState *pJob)
{
    if (StartApp_CheckReady(pJob->pszPrinterName, pJob->nJobNumber) != RET_START_APP_BEFORE)
        return CYCLE_CONTINUE;
    switch (ReadApplicationValues(pJob)) {
    case RET_START_APP_READY:
        StartApplication(pJob->szCommandLine, pJob->szAppPath, pJob->dwStartFlags, pJob->szMessagingInterfaceName);
        DeleteJobRegistryKey(pJob->pszPrinterName, pJob->nJobNumber);
        return CYCLE_CONTINUE;
    case RET_START_APP_ABORT:
        return RunApplicationAbort(pJob);
    default:
        return CYCLE_CONTINUE;
    }
}

/* Phase 2: the job status. */
static int RunJobStatus(JobState *pJob)
{
    int nStatus = ReadJobStatusFromRegistryKey(pJob->pszPrinterName, pJob->nJobNumber);
    if (nStatus == RET_JOB_ABORTED)
        return RunJobAbort(pJob);
    if (nStatus != RET_JOB_FINISHED)
        return CYCLE_CONTINUE;
    pJob->bJobFinished = TRUE;
    int nStart = ReadApplicationValues(pJob);
    if (nStart == RET_START_APP_READY)
        StartApplication(pJob->szCommandLine, pJob->szAppPath, pJob->dwStartFlags, NULL);
    else if (nStart == RET_START_APP_ABORT)
        return RunApplicationAbort(pJob);
    DWORD dwPostPrintFlags = 0;
    if (ReadJobRegistryDword(pJob->pszPrinterName, pJob->nJobNumber, "Post Print Flags", &dwPostPrintFlags) &&
        dwPostPrintFlags != 0)
        StartPostPrintSteps(pJob->nJobNumber, pJob->pszPrinterName, dwPostPrintFlags);
    DeleteJobRegistryKey(pJob->pszPrinterName, pJob->nJobNumber);
    DeletePortMonitorFinishedTheJobRegistryKey(pJob->pszPrinterName, pJob->nJobNumber);
    return CYCLE_CONTINUE;
}

/* The redirect printer count, bounded to JOB_MAX_PRINTERS (logged). */
static DWORD ReadBoundedPrinterCount(const JobState *pJob)
{
    DWORD dwCount = RedirectPrinting_ReadPrinterCount(pJob->szRegistryPath);
    if (dwCount > JOB_MAX_PRINTERS) {
        LogMessage("Printer count %u is more than the %d printers a job can hold; the first %d are used.", dwCount,
                   JOB_MAX_PRINTERS, JOB_MAX_PRINTERS);
        dwCount = JOB_MAX_PRINTERS;
    }
    return dwCount;
}

/* The number of copies, bounded to JOB_MAX_COPIES (logged). */
static void ReadBoundedCopies(JobState *pJob)
{
    RedirectPrinting_ReadNumberOfCopies(pJob->pszPrinterName, pJob->nJobNumber, &pJob->dwCopies);
    if (pJob->dwCopies > JOB_MAX_COPIES) {
        LogMessage("Number of copies %u is more than the %d a device mode holds; %d copies are printed.",
                   pJob->dwCopies, JOB_MAX_COPIES, JOB_MAX_COPIES);
        pJob->dwCopies = JOB_MAX_COPIES;
    }
}

/* Opens the log, logs the job and starts a document on every copy of every
 * redirect printer. A target list that cannot be allocated is logged and
 * the job goes on without printers: its pages are still consumed. */
static void StartForwarding(JobState *pJob)
{
    char szPrinter[PRINTER_NAME_SIZE];
    pJob->dwNextPage = 1;
    OpenLogFile(pJob->szRegistryPath);
    LogMessage("Redirect printing started.");
    LogMessage("Document Name = %s", pJob->szDocumentName);
    DWORD dwCount = ReadBoundedPrinterCount(pJob);
    LogMessage("Redirect Printers Count = %d", dwCount);
    ReadBoundedCopies(pJob);
    LogMessage("Number of copies = %d", pJob->dwCopies);
    LogMessage("Redirect Printer Names:");
    if (dwCount > 0) {
        pJob->pTargets = (ForwardTarget *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY,
                                                    (SIZE_T)dwCount * sizeof(ForwardTarget));
        if (!pJob->pTargets) {
            LogMessage("Memory allocation error: Error %d", ERROR_NOT_ENOUGH_MEMORY);
            dwCount = 0;
        }
    }
    pJob->dwTargetCount = dwCount;
    pJob->bForwarding = TRUE;
    if (dwCount > 0 && !CreateKeepFolder(pJob->nJobNumber, pJob->szKeepFolder, sizeof(pJob->szKeepFolder)))
        LogMessage("Pages cannot be kept for printers that are tried again: Error %d", GetLastError());
    RetryJob stRetry;
    MakeRetryJob(pJob, &stRetry);
    for (DWORD i = 0; i < dwCount; i++) {
        ReadRedirectPrinterName(pJob, i, szPrinter);
        LogMessage("\t%s", szPrinter);
        pJob->pTargets[i].nJobNumber = pJob->nJobNumber;
        pJob->pTargets[i].dwCopies = pJob->dwCopies;
        StartTarget(&pJob->pTargets[i], szPrinter, &stRetry);
    }
}

/* The file page dwPage is kept in, in szFile (MAX_PATH), while a printer may
 * still have to be sent it; else NULL. */
static const char *KeepFileOf(const JobState *pJob, DWORD dwPage, char *szFile)
{
    if (!pJob->szKeepFolder[0] || !FormatKeptPagePath(pJob->szKeepFolder, dwPage, szFile, MAX_PATH))
        return NULL;
    for (DWORD i = 0; i < pJob->dwTargetCount; i++) {
        if (pJob->pTargets[i].nOutcome == TARGET_PENDING)
            return szFile;
    }
    return NULL;
}

/* Plays a page just read on target nIndex when its documents have had every
 * earlier page; a target that is away or catching up is sent it later from
 * the kept pages, but learns now why a page cannot be printed. */
static void PlayNewPage(JobState *pJob, DWORD nIndex, const ForwardPage *pPage)
{
    char szPrinter[PRINTER_NAME_SIZE];
    ForwardTarget *pTarget = &pJob->pTargets[nIndex];
    if (pTarget->nOutcome != TARGET_PENDING)
        return;
    ReadRedirectPrinterName(pJob, nIndex, szPrinter);
    BOOL bInStep = pTarget->bActive && pTarget->dwPagesPlayed == pJob->dwPagesConsumed;
    if (bInStep || pPage->nState != FWD_PAGE_READY)
        DoPrintPage(szPrinter, pJob->szDocumentName, pPage, pTarget, pJob->pszPrinterName, pTarget->dwCopies);
    if (bInStep)
        pTarget->dwPagesPlayed++;
}

/* Forwards the next page when its key is ready, then consumes it. The page
 * is read once (and kept while a printer may need it again) and played on
 * every active redirect printer that has had every earlier page. */
static void ForwardNextPage(JobState *pJob)
{
    char szKeepFile[MAX_PATH];
    ForwardPage stPage;
    const char *pszKeepFile = KeepFileOf(pJob, pJob->dwNextPage, szKeepFile);
    if (ReadForwardPage(pJob->pszPrinterName, pJob->nJobNumber, pJob->dwNextPage, pszKeepFile, &stPage) ==
        RET_PAGE_READY) {
        LogMessage("Printing page: %d", pJob->dwNextPage);
        if (stPage.dwKeepError)
            LogMessage("Page %d cannot be kept for printers that are tried again: Error %d", pJob->dwNextPage,
                       stPage.dwKeepError);
        for (DWORD i = 0; i < pJob->dwTargetCount; i++)
            PlayNewPage(pJob, i, &stPage);
        RedirectPrinting_DeletePageRegistryKey(pJob->pszPrinterName, pJob->nJobNumber, pJob->dwNextPage);
        if (stPage.szFileName[0])
            DeleteFileA(stPage.szFileName);
        pJob->dwNextPage++;
        pJob->dwPagesConsumed++;
    }
    ReleaseForwardPage(&stPage);
}

/* The document key said "YES" and every page has been consumed: the
 * document key and the job settings key are deleted, and the printers that
 * are away have RETRY_WINDOW_MS left. */
static void EndOfPages(JobState *pJob)
{
    pJob->dwNextPage = pJob->dwPageCount;
    pJob->bPagesDone = TRUE;
    pJob->ullDeadline = GetTickCount64() + pJob->stRetryTimings.dwWindowMs;
    RedirectPrinting_DeletePageRegistryKey(pJob->pszPrinterName, pJob->nJobNumber, 0);
    DeleteSaveAsOptionSettingsRegistryKey(pJob->pszPrinterName, pJob->nJobNumber);
}

/* Every printer has printed or been given up. The end-of-document lines (a
 * failure above all) come before the finish line and the separator, which
 * stays the job's last line. */
static void FinishForwarding(JobState *pJob)
{
    LogMessage("Redirect printing finished.");
    LogMessage(LOG_SEPARATOR);
    CloseLogFile();
    pJob->bForwardingDone = TRUE;
    ReleaseTargets(pJob);
}

/* Runs the step of every printer that has one in this cycle (SettleTarget);
 * finishes once the last page has been consumed and every printer has
 * printed or been given up. */
static void SettleTargets(JobState *pJob)
{
    char szPrinter[PRINTER_NAME_SIZE];
    RetryJob stRetry;
    MakeRetryJob(pJob, &stRetry);
    BOOL bSettled = TRUE;
    for (DWORD i = 0; i < pJob->dwTargetCount; i++) {
        if (TargetHasStep(&pJob->pTargets[i], &stRetry)) {
            ReadRedirectPrinterName(pJob, i, szPrinter);
            SettleTarget(&pJob->pTargets[i], szPrinter, &stRetry);
        }
        bSettled = bSettled && pJob->pTargets[i].nOutcome != TARGET_PENDING;
    }
    if (pJob->bPagesDone && bSettled)
        FinishForwarding(pJob);
}

/* Acts on the document key: starts forwarding, forwards the next page, or
 * sees the last page consumed. */
static void ForwardFromDocumentKey(JobState *pJob)
{
    int nState = ReadEndDocFromRegistryKey(pJob->pszPrinterName, pJob->nJobNumber, &pJob->dwPageCount,
                                           pJob->szDocumentName, pJob->szRegistryPath);
    if (nState == RET_REDIRECT_PRINTING_FINISHED) {
        if (pJob->dwNextPage <= pJob->dwPageCount)
            nState = RET_REDIRECT_PRINTING_PRINTING;
        else
            EndOfPages(pJob);
    }
    if (nState == RET_REDIRECT_PRINTING_PRINTING) {
        if (pJob->dwNextPage == 0)
            StartForwarding(pJob);
        ForwardNextPage(pJob);
    } else if (nState == RET_REDIRECT_PRINTING_DISABLED) {
        RedirectPrinting_DeletePageRegistryKey(pJob->pszPrinterName, pJob->nJobNumber, 0);
        pJob->bForwardingDone = TRUE;
    }
}

/* Phase 3: forwarding. Once the last page has been consumed, the document
 * key is gone and only the printers are left to settle. */
static int RunForwarding(JobState *pJob)
{
    if (!pJob->bPagesDone || pJob->bForwardingDone)
        ForwardFromDocumentKey(pJob);
    if (pJob->bForwarding && !pJob->bForwardingDone)
        SettleTargets(pJob);
    return CYCLE_CONTINUE;
}

int RunJobLoop(int nJobNumber, const char *pszPrinterName, const JobLoopLimits *pLimits)
{
    JobState stJob;
    JobState *pJob = &stJob;
    memset(pJob, 0, sizeof(*pJob));
    pJob->nJobNumber = nJobNumber;
    pJob->pszPrinterName = pszPrinterName;
    pJob->dwCopies = 1;
    pJob->stRetryTimings = pLimits->stRetry;

    for (int nCycles = 0;;) {
        if (RunStartBeforePrinting(pJob) == CYCLE_EXIT || RunJobStatus(pJob) == CYCLE_EXIT)
            return 0;
        if (RunForwarding(pJob) == CYCLE_EXIT)
            return 0;
        nCycles++;
        Sleep(pLimits->dwSleepMs);
        if (nCycles >= pLimits->nMaxCycles) {
            RemoveKeepFolder(pJob->szKeepFolder, pJob->dwPagesConsumed);
            return 0;
        }
        if (pJob->bJobFinished && pJob->bForwardingDone)
            return 0;
    }
}
