/*
 * Forwarding print sessions: one record per redirect printer, one device
 * context and one started document per copy.
 */
#ifndef JH_FORWARDING_PRINTSESSION_H
#define JH_FORWARDING_PRINTSESSION_H

#include <windows.h>
#include <winspool.h>

#define DEFAULT_DOCUMENT_NAME "Quennor Forwarded Document"

/* A copy's CreateDC or StartDoc refused with a sharing violation is tried
 * this many times in all, SHARING_RETRY_MS apart: at most about two seconds
 * each. */
#define SHARING_RETRY_TRIES 200
#define SHARING_RETRY_MS    10

typedef struct ForwardTarget {
    int    nJobNumber;  /* job whose page keys this target reads */
    HANDLE hPrinter;    /* open from DoStartDocument until DoEndDocument */
    HDC   *phCopyDCs;   /* one entry per copy; released by the job monitor */
    DWORD  bActive;     /* 1 while documents are started on every copy */
} ForwardTarget;

/* Opens szRedirectToPrinter, creates one DC per copy with the device mode of
 * its level-2 printer information and starts a document named pszDocName
 * (NULL gives DEFAULT_DOCUMENT_NAME, an empty name stays empty) on each; a
 * DC or document refused with a sharing violation is retried a bounded
 * number of times (SHARING_RETRY_TRIES).
 * Allocates pTarget->phCopyDCs (one zeroed entry per copy; the caller frees
 * it with HeapFree). Gives 1 on success; 0 otherwise, logged, with every DC
 * deleted and the printer closed. */
int DoStartDocument(const char *szRedirectToPrinter, const char *pszDocName, DWORD dwCopies,
                    ForwardTarget *pTarget);

/* Closes the printer, then ends every copy's document and deletes its DC
 * (clearing the entry). A copy whose document fails to end is logged and does
 * not stop the later copies. Gives 1, or 0 when any copy failed. */
int DoEndDocument(ForwardTarget *pTarget, DWORD dwCopies);

#endif
