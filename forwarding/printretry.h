/*
 * Printers that are away: a redirect printer that cannot be opened, or whose
 * documents cannot be started or ended, is tried again with growing pauses
 * until a bounded time after the job's last page, and is then sent the whole
 * document again from the kept pages (keptpages.h).
 */
#ifndef JH_FORWARDING_PRINTRETRY_H
#define JH_FORWARDING_PRINTRETRY_H

#include <windows.h>
#include "forwarding/printsession.h"

/* ForwardTarget.nOutcome */
#define TARGET_PENDING 0 /* documents started (bActive), or to be tried again */
#define TARGET_PRINTED 1 /* every copy's document ended */
#define TARGET_LOST    2 /* given up, or no such printer */

/* The pause after the first failure, doubled after each further one up to
 * the longest; tries go on until RETRY_WINDOW_MS after the job's last page. */
#define RETRY_FIRST_PAUSE_MS 1000
#define RETRY_MAX_PAUSE_MS   10000
#define RETRY_WINDOW_MS      60000

/* A printer that comes back is sent the kept pages it missed, in each cycle
 * of the job loop one after the other until CATCH_UP_BUDGET_MS have passed
 * (one page at least). */
#define CATCH_UP_BUDGET_MS 250

typedef struct RetryTimings {
    DWORD dwFirstPauseMs;
    DWORD dwMaxPauseMs;
    DWORD dwWindowMs;
} RetryTimings;

/* What the steps below need of the job. */
typedef struct RetryJob {
    const char  *pszDocName;     /* the document name, or NULL */
    const char  *pszPrinterName; /* the printer of this job */
    const char  *pszKeepFolder;  /* the kept pages' folder; empty when none are kept */
    DWORD        dwPages;        /* pages consumed so far */
    BOOL         bPagesDone;     /* the job's last page has been consumed */
    ULONGLONG    ullNow;         /* tick count of this cycle */
    ULONGLONG    ullDeadline;    /* last try: RETRY_WINDOW_MS after the last page; 0 before */
    RetryTimings stTimings;
} RetryJob;

/* The pause after dwFailedTries (1 or more) failed tries: the first pause,
 * doubled for each further failure, at most the longest. */
DWORD RetryPauseMs(DWORD dwFailedTries, const RetryTimings *pTimings);

/* When the next try is due after dwFailedTries failed tries, the latest at
 * ullNow: ullNow plus the pause, but never past ullDeadline (0: none). */
ULONGLONG NextTryTime(ULONGLONG ullNow, DWORD dwFailedTries, ULONGLONG ullDeadline, const RetryTimings *pTimings);

/* TRUE when a failure with dwError means the printer does not exist at all:
 * ERROR_INVALID_PRINTER_NAME while the system lists dwListedPrinters > 0
 * printers. With no printer listed the spooler's back end is taken to be
 * away (Wine drops every CUPS queue while cupsd is unreachable). */
BOOL IsNoSuchPrinter(DWORD dwError, DWORD dwListedPrinters);

/* The number of printers the system lists (local and connections). */
DWORD CountListedPrinters(void);

/* TRUE when a target that is away is due for a try in this cycle. */
BOOL IsTryDue(const ForwardTarget *pTarget, const RetryJob *pJob);

/* Starts pTarget's documents for pTarget->dwCopies copies on pszPrinter
 * (DoStartDocument); on success it is active with no page played. After a
 * failure, a printer that does not exist is given up (at once, and silently
 * after the start's own line when it was the first try); else the first
 * failure is logged as tried again, and the next try is set, or the printer
 * given up once the deadline has passed, with one line: how long it was
 * tried, its last error and the pages it did not get. */
void StartTarget(ForwardTarget *pTarget, const char *pszPrinter, const RetryJob *pJob);

/* Ends pTarget's documents (its bActive cleared first). Every copy ended:
 * printed, logged with the number of tries when it had failed before;
 * otherwise the failed copies are still owed, and the failure is dealt with
 * as StartTarget's. */
void EndTarget(ForwardTarget *pTarget, const char *pszPrinter, const RetryJob *pJob);

/* TRUE when pTarget has something to do in this cycle: a try, kept pages to
 * catch up, or, once the last page has been consumed, its documents to end. */
BOOL TargetHasStep(const ForwardTarget *pTarget, const RetryJob *pJob);

/* Does what pTarget has to do in this cycle: tries it when due
 * (StartTarget); sends it the kept pages it has missed, in order, until
 * CATCH_UP_BUDGET_MS have passed, passing over a page that was never kept
 * (not printable, or not written, both logged when it was consumed); and,
 * once it has had the job's last page, ends its documents (EndTarget). */
void SettleTarget(ForwardTarget *pTarget, const char *pszPrinter, const RetryJob *pJob);

#endif
