/*
 * Forwarding print sessions: one record per redirect printer, one device
 * context and one started document per copy.
 */
#ifndef JH_FORWARDING_PRINTSESSION_H
#define JH_FORWARDING_PRINTSESSION_H

#include <windows.h>
#include <winspool.h>

#define DEFAULT_DOCUMENT_NAME "Quennor Forwarded Document"

typedef struct ForwardTarget {
    DWORD  nJobNumber;  /* job whose page keys this target reads */
    HANDLE hPrinter;    /* open from DoStartDocument until DoEndDocument */
    HDC   *phCopyDCs;   /* one entry per copy; released by the job monitor */
    DWORD  bActive;     /* 1 while documents are started on every copy */
} ForwardTarget;

/* Opens szRedirectToPrinter, creates one DC per copy with the printer's
 * default device mode and starts a document named pszDocName (NULL gives
 * DEFAULT_DOCUMENT_NAME) on each. Gives 1 on success, 0 otherwise (logged). */
int DoStartDocument(const char *szRedirectToPrinter, const char *pszDocName, DWORD dwCopies,
                    ForwardTarget *pTarget);

/* Closes the printer, ends and deletes every copy's document. Gives 1, or 0
 * at the first copy whose document fails to end (logged). */
int DoEndDocument(ForwardTarget *pTarget, DWORD dwCopies);

#endif
