/*
 * The stamps drawn on every forwarded page: the watermark under the page
 * content, the annotation text and the Bates number over it. Each gives a
 * STAMP_* result. The printable area and the dpi come as packed points: x in
 * the low 32 bits, y in the high 32 bits (PackPoint).
 */
#ifndef JH_STAMPING_STAMPS_H
#define JH_STAMPING_STAMPS_H

#include <windows.h>

/* Results of the stamps. */
#define STAMP_FAILED        0   /* cannot run: missing input, or a device mode that is not a full DriverDevMode */
#define STAMP_DRAWN         1   /* ran */
#define STAMP_SWITCHED_OFF  2   /* the job's settings switch it off */

/* Packs a pair into the 64-bit form the stamps take: x low, y high. */
inline ULONGLONG PackPoint(LONG x, LONG y)
{
    return (ULONGLONG)(DWORD)x | ((ULONGLONG)(DWORD)y << 32);
}

/* The x of a packed point: its low 32 bits, signed. */
inline LONG PackedPointX(ULONGLONG pt)
{
    return (LONG)(DWORD)pt;
}

/* The y of a packed point: its high 32 bits, signed. */
inline LONG PackedPointY(ULONGLONG pt)
{
    return (LONG)(DWORD)(pt >> 32);
}

/* Paints the job's watermark picture for page dwPage on hdc, before the page
 * content; nJobNumber selects the job's profile. STAMP_SWITCHED_OFF also when
 * the page's picture file name is empty; STAMP_FAILED also when the named
 * picture cannot be read, loaded or converted, and when page 1 asks for a
 * first-page picture that is named nowhere. The lightened picture
 * is kept (one for each orientation, and one for each orientation's
 * first-page picture) and painted again while its file, size, last write,
 * loader library and brightness stay the same, until ReleaseWatermarkCache.
 * One thread only. */
int AddWatermark(HDC hdc, const void *pDevMode, DWORD cbDevMode, DWORD dwPage,
                 ULONGLONG ptPhysPageInPixels, int nJobNumber);

/* Frees every picture AddWatermark keeps; the next page loads its picture
 * anew. Called when a job's forwarding ends. */
void ReleaseWatermarkCache(void);

/* Draws the job's annotation line for page dwPage on hdc. STAMP_DRAWN also
 * when its font cannot be created (nothing drawn then). */
int AddAnnotation(HDC hdc, const void *pDevMode, DWORD cbDevMode, const char *pszDocumentName,
                  DWORD dwPage, ULONGLONG ptPhysPageInPixels, ULONGLONG ptPhysDPI);

/* Draws the Bates number of page dwPage in format nFormatIndex of the printer
 * pszPrinterName on hdc. STAMP_FAILED also when the format cannot be loaded;
 * STAMP_DRAWN also when its font cannot be created (nothing drawn then). */
int AddBatesNumber(HDC hdc, const char *pszPrinterName, const void *pDevMode, DWORD cbDevMode,
                   DWORD dwPage, int nFormatIndex, int nStartNumber,
                   ULONGLONG ptPhysPageInPixels, ULONGLONG ptPhysDPI);

/* TRUE when the printer name pszPrinterName (ANSI) converts to UTF-16 and the
 * key of every Bates format AddBatesNumber may read for it, up to the largest
 * format number, fits the stamp's key path buffer. */
BOOL BatesFormatKeysFit(const char *pszPrinterName);

#endif
