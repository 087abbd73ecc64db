/*
 * Page forwarding: plays one spooled page on every copy of one redirect
 * printer, with the stamps under and over it.
 */
#ifndef JH_FORWARDING_PAGEFORWARD_H
#define JH_FORWARDING_PAGEFORWARD_H

#include <windows.h>
#include "forwarding/printsession.h"

/* Reads page dwPage of the target's job and prints it on every copy of the
 * target. Failures are logged; nothing is returned. */
void DoPrintPage(const char *pszRedirectPrinter, const char *pszDocName, DWORD dwPage,
                 ForwardTarget *pTarget, const char *pszPrinterName, DWORD dwCopies);

#endif
