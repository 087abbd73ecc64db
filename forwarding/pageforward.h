/*
 * Page forwarding: plays one spooled page on every copy of one redirect
 * printer, with the stamps under and over it.
 */
#ifndef JH_FORWARDING_PAGEFORWARD_H
#define JH_FORWARDING_PAGEFORWARD_H

#include <windows.h>
#include <winspool.h>
#include "forwarding/printsession.h"

#define DEVMODEW_PUBLIC_SIZE 220 /* the platform's DEVMODEW, without driver data */

/* Reads page dwPage of the target's job (the page key of pszPrinterName, the
 * printer of this job), checks and builds its metafile and prints it on every
 * copy of the target: settings change, page start, watermark, page, annotation,
 * Bates number, page end. A page whose bytes are refused prints nothing and
 * gets one log line; a device mode shorter than DEVMODEW_PUBLIC_SIZE leaves the
 * copies' settings as they are. Failures are logged; nothing is returned. */
void DoPrintPage(const char *pszRedirectPrinter, const char *pszDocName, DWORD dwPage,
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
