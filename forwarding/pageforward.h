/*
 * Page forwarding: reads one spooled page once and plays it on every copy of
 * every redirect printer, with the stamps under and over it.
 */
#ifndef JH_FORWARDING_PAGEFORWARD_H
#define JH_FORWARDING_PAGEFORWARD_H

#include <windows.h>
#include <winspool.h>
#include "forwarding/emfplay.h"
#include "forwarding/pagereader.h"
#include "forwarding/printsession.h"
#include "jobprotocol/jobkeys.h"

#define DEVMODEW_PUBLIC_SIZE 220 /* the platform's DEVMODEW, without driver data */

/* How far reading a page got (ForwardPage.nState). */
#define FWD_PAGE_NOT_READY  0 /* the page key is missing or does not say "YES" */
#define FWD_PAGE_ABANDONED  1 /* the page key says "Abort" */
#define FWD_PAGE_UNREADABLE 2 /* no spool file named, or it cannot be read */
#define FWD_PAGE_SHORT      3 /* the spool file holds fewer bytes than "Size" */
#define FWD_PAGE_REFUSED    4 /* the bytes fail the checks, or the system refused them */
#define FWD_PAGE_READY      5 /* the metafile is built */

/* One spooled page as read once for every redirect printer and copy. */
typedef struct ForwardPage {
    DWORD        dwPage;
    int          nState;                       /* FWD_PAGE_* */
    char         szFileName[TEXT_BUFFER_SIZE]; /* the page key's spool file */
    DWORD        cbFileSize;                   /* the page key's "Size" */
    BYTE        *pDevMode;                     /* the job device mode (process heap), or NULL */
    DWORD        cbDevMode;
    DWORD        dwError;                      /* FWD_PAGE_UNREADABLE: the system error code */
    DWORD        cbRead;                       /* bytes read from the spool file */
    int          nCheck;                       /* FWD_PAGE_REFUSED: the CheckPageBytes result */
    PageLayout   stLayout;                     /* FWD_PAGE_REFUSED: where the checks stopped */
    HENHMETAFILE hMetaFile;                    /* FWD_PAGE_READY */
    int          nBatesStart;                  /* the document key's Bates values, 0 unless read */
    int          nBatesCurrent;
    DWORD        dwKeepError;                  /* FWD_PAGE_READY: why it could not be kept, or 0 */
} ForwardPage;

/* Reads page dwPage of job nJobNumber of the printer pszPrinterName: its page
 * key and, when the key says "YES", the document key's Bates values and the
 * spool file, which is checked and built into a metafile; the file is not
 * held open. With pszKeepFile, a page whose metafile was built is also kept
 * there (WriteKeptPage) for printers that are sent it later; a failure
 * leaves its error code in pPage->dwKeepError. Logs nothing: why the page
 * cannot be printed stays in *pPage for DoPrintPage. Gives the result of
 * RedirectPrinting_ReadRegistryKey (RET_PAGE_READY when the key was ready,
 * whatever its file held). Release *pPage with ReleaseForwardPage whatever
 * the result. */
int ReadForwardPage(const char *pszPrinterName, int nJobNumber, DWORD dwPage, const char *pszKeepFile,
                    ForwardPage *pPage);

/* Reads page dwPage back from its kept file pszKeepFile: its device mode,
 * Bates values and metafile, as ReadForwardPage built them. nState is
 * FWD_PAGE_READY, or FWD_PAGE_UNREADABLE (dwError set; ERROR_FILE_NOT_FOUND
 * when the page was never kept) or FWD_PAGE_REFUSED when the file is not a
 * kept page whole. Release *pPage with ReleaseForwardPage. */
void LoadKeptPage(const char *pszKeepFile, DWORD dwPage, ForwardPage *pPage);

/* Deletes the metafile and frees the device mode of a page read by
 * ReadForwardPage; it may be called again. */
void ReleaseForwardPage(ForwardPage *pPage);

/* Prints a page read by ReadForwardPage on every copy of one redirect printer
 * (its name as the loop read it for this page): settings change, page start,
 * watermark, page, annotation, Bates number, page end. pszPrinterName is the
 * printer of this job (Bates formats). A page that cannot be printed gets one
 * log line naming this printer, after a pause of one second when it was
 * abandoned; a device mode shorter than DEVMODEW_PUBLIC_SIZE leaves the
 * copies' settings as they are. Failures are logged; nothing is returned. */
void DoPrintPage(const char *pszRedirectPrinter, const char *pszDocName, const ForwardPage *pPage,
                 ForwardTarget *pTarget, const char *pszPrinterName, DWORD dwCopies);

/* Applies the job's orientation, paper and resolution to one copy's device
 * context: fetches the redirect printer's current default device mode from
 * the driver (DocumentPropertiesW), merges the job's fields into it, lets the
 * driver validate it when anything changed, and resets hdc with it. The job
 * device mode must hold at least DEVMODEW_PUBLIC_SIZE bytes. Gives 0 when the
 * device context was reset (a failed ResetDCW included), otherwise the system
 * error code of the step that failed. */
DWORD ChangePhysicalPrinterSettings(HDC hdc, const WCHAR *pwszRedirectPrinter, HANDLE hPrinter,
                                    const void *pJobDevMode);

/* Copies dmOrientation, dmPaperSize, dmPaperLength, dmPaperWidth,
 * dmPrintQuality and dmYResolution of pJob into pPrinter where they differ,
 * setting each changed field's DM_* bit in pPrinter->dmFields. Nothing else is
 * carried. Gives TRUE when at least one field differed. */
BOOL MergeJobDevModeFields(const DEVMODEW *pJob, DEVMODEW *pPrinter);

#endif
