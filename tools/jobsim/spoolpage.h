#ifndef JH_TOOLS_SPOOLPAGE_H
#define JH_TOOLS_SPOOLPAGE_H

#include <windows.h>

/* Draws one A4 page through GDI into an enhanced metafile at pszPath: a
 * frame, "Page <n>", the caption line pszText (any "%d" is the page number)
 * and a few shapes. With bPlaceable the file gets the 24-byte prefix that
 * starts with the placeable-metafile key. Gives the file size, 0 on failure. */
DWORD WriteSpoolPage(const char *pszPath, DWORD dwPage, const char *pszText, BOOL bPlaceable);

#endif
