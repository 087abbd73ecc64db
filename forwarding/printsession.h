/*
 * Forwarding print sessions: one record per redirect printer, one device
 * context and one started document per copy.
 */
#ifndef JH_FORWARDING_PRINTSESSION_H
#define JH_FORWARDING_PRINTSESSION_H

#include <windows.h>
#include <winspool.h>

#define DEFAULT_DOCUMENT_NAME "Quennor Forwarded Document"

/* A copy's CreateDC refused with a sharing violation is tried again every
 * DC_SHARING_RETRY_MS for up to SPOOL_NAME_BUDGET_MS. */
#define DC_SHARING_RETRY_MS 10

/* The system's spooler may give a new document the spool file name of a
 * document another process has just ended and is still handing on. Starting
 * and ending a document therefore take the named mutex SPOOL_NAMES_MUTEX,
 * shared by every process of this program, waiting for it at most
 * SPOOL_NAMES_WAIT_MS; a start then searches a free name (each start refused
 * with a sharing violation moves to the next name) for at most
 * SPOOL_NAME_BUDGET_MS. */
#define SPOOL_NAMES_MUTEX    "Quennor JobHelper Spool Names"
#define SPOOL_NAMES_WAIT_MS  120000
#define SPOOL_NAME_BUDGET_MS 30000

typedef struct ForwardTarget {
    int       nJobNumber;      /* job whose page keys this target reads */
    HANDLE    hPrinter;        /* open from DoStartDocument until DoEndDocument */
    HDC      *phCopyDCs;       /* one entry per copy; released by the job monitor */
    DWORD     bActive;         /* 1 while documents are started on every copy */
    DWORD     dwLastError;     /* system error code of the last failed start or end */
    DWORD     dwFailedTries;   /* while above 0, failures are not logged here */
    /* Kept by the job monitor (printretry.h): */
    DWORD     dwCopies;        /* copies this printer is still owed */
    DWORD     dwPagesPlayed;   /* pages of the job played into its started documents */
    int       nOutcome;        /* TARGET_PENDING, TARGET_PRINTED or TARGET_LOST */
    ULONGLONG ullFirstFailure; /* tick count of its first failed try */
    ULONGLONG ullNextTry;      /* tick count of its next try while it is not active */
} ForwardTarget;

/* Opens szRedirectToPrinter, creates one DC per copy with the device mode of
 * its level-2 printer information and starts a document named pszDocName
 * (NULL gives DEFAULT_DOCUMENT_NAME, an empty name stays empty) on each; a
 * DC refused with a sharing violation is retried, and each document start
 * searches a spool file name under the spool-names mutex, both within
 * SPOOL_NAME_BUDGET_MS (the wait for the mutex apart).
 * Allocates pTarget->phCopyDCs (one zeroed entry per copy; the caller frees
 * it with HeapFree). Gives 1 on success; 0 otherwise, with every DC deleted,
 * the printer closed and the error code in pTarget->dwLastError; the failure
 * is logged unless pTarget->dwFailedTries is above 0. */
int DoStartDocument(const char *szRedirectToPrinter, const char *pszDocName, DWORD dwCopies,
                    ForwardTarget *pTarget);

/* Closes the printer, then ends every copy's document under the spool-names
 * mutex and deletes its DC (clearing the entry). A copy whose document fails
 * to end does not stop the later copies; it is logged (unless
 * pTarget->dwFailedTries is above 0) and its error code kept in
 * pTarget->dwLastError. Gives the number of copies whose documents failed to
 * end (0 when all were ended). */
DWORD EndCopyDocuments(ForwardTarget *pTarget, DWORD dwCopies);

/* EndCopyDocuments giving 1 when every copy's document was ended, else 0. */
int DoEndDocument(ForwardTarget *pTarget, DWORD dwCopies);

/* Takes the spool-names mutex, waiting at most dwWaitMs. Gives the open
 * mutex handle (give it back with UnlockSpoolNames), or NULL with the
 * system error code (ERROR_TIMEOUT when it stayed taken) for GetLastError. */
HANDLE LockSpoolNames(DWORD dwWaitMs);

/* Releases and closes a handle from LockSpoolNames. */
void UnlockSpoolNames(HANDLE hLock);

#endif
