/*
 * The stamps drawn on every forwarded page: the watermark under the page
 * content, the annotation text and the Bates number over it. Each gives 0
 * when it cannot run (missing input, or a device mode that is not a full
 * DriverDevMode), 1 when it ran, 2 when the job's settings switch it off.
 * ptPhysPageInPixels and ptPhysDPI carry x in the low 32 bits, y in the high.
 */
#ifndef JH_STAMPING_STAMPS_H
#define JH_STAMPING_STAMPS_H

#include <windows.h>

int AddWatermark(HDC hdc, const void *pDevMode, DWORD cbDevMode, DWORD dwPage,
                 ULONGLONG ptPhysPageInPixels, int nJobNumber);

int AddAnnotation(HDC hdc, const void *pDevMode, DWORD cbDevMode, const char *pszDocumentName,
                  DWORD dwPage, ULONGLONG ptPhysPageInPixels, ULONGLONG ptPhysDPI);

int AddBatesNumber(HDC hdc, const char *pszPrinterName, const void *pDevMode, DWORD cbDevMode,
                   DWORD dwPage, int nFormatIndex, int nStartNumber,
                   ULONGLONG ptPhysPageInPixels, ULONGLONG ptPhysDPI);

#endif
