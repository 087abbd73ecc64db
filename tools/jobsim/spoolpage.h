#ifndef JH_TOOLS_SPOOLPAGE_H
#define JH_TOOLS_SPOOLPAGE_H

#include <windows.h>

/* Draws one A4 page through GDI into an enhanced metafile at pszPath: a
 * frame, "Page <n>", the caption line pszText (any "%d" is the page number)
 * and a few shapes. With bPlaceable the file gets the 24-byte prefix that
 * starts with the placeable-metafile key. Gives the file size, 0 on failure. */
DWORD WriteSpoolPage(const char *pszPath, DWORD dwPage, const char *pszText, BOOL bPlaceable);

/* Builds the job's device mode into pBuffer (cbBuffer bytes, zero-filled
 * first): the public DEVMODEW part for pszPrinterName, portrait A4 at
 * 300 dpi, then the settings of the job description (see README). Gives the
 * device-mode size to store. */
DWORD BuildJobDevMode(BYTE *pBuffer, DWORD cbBuffer, const char *pszPrinterName,
                      const struct KeyValue *pSettings, DWORD dwSettings);

#endif
