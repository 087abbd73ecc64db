/*
 * Records that printers take in another form than the player hands them
 * on: gradient fills on printers that cannot draw them, and mono pattern
 * brushes of fewer than 8 pixels a side.
 */
#ifndef JH_FORWARDING_EMFPRINTER_H
#define JH_FORWARDING_EMFPRINTER_H

#include <windows.h>

/* TRUE when hdc is a printer whose driver reports no gradient fills
 * (SHADEBLENDCAPS without SB_GRAD_RECT and SB_GRAD_TRI): the platform then
 * paints a gradient into a picture for the driver itself. */
BOOL PrinterNeedsGradientPicture(HDC hdc);

/* Plays a GRADIENTFILL record that passed the record checks on such a
 * printer as the platform's emulation means it: the platform fills the
 * gradient into a 32-bit bitmap of the shapes' extent on the device
 * (clipped to the page), which is drawn with StretchDIBits, clipped to the
 * shapes. *pcPixels receives that extent's pixels (0 when nothing lands on
 * the page), which must not exceed cMaxPixels; FALSE when it would, or a
 * step failed (nothing is drawn then). The DC's state is restored. */
BOOL PlayGradientAsPicture(HDC hdc, const BYTE *pRecord, ULONGLONG cMaxPixels, ULONGLONG *pcPixels);

/* For a CREATEMONOBRUSH or CREATEDIBPATTERNBRUSHPT record that passed the
 * record checks: when its pattern is of 1 bit per pixel with a
 * BITMAPINFOHEADER (or later) and fewer than 8 pixels across or down, a
 * new copy of the record (free with HeapFree) whose pattern repeats it to
 * the least common multiple of each side and 8, which tiles the same;
 * else NULL. */
BYTE *WidenSmallPattern(const BYTE *pRecord);

#endif
