/*
 * Helpers shared by the text stamps (annotation and Bates number): bounded
 * UTF-16 text, and the font, offset and position rules both follow. The text
 * functions keep the destination terminated and never write past cchDest
 * characters.
 */
#ifndef JH_STAMPING_STAMPTEXT_H
#define JH_STAMPING_STAMPTEXT_H

#include <windows.h>
#include <stddef.h>

/* Copies pszSource into pszDest (cchDest characters with the terminator),
 * cut to cchDest - 1 characters. TRUE when it was copied whole. */
BOOL StampTextCopy(WCHAR *pszDest, size_t cchDest, const WCHAR *pszSource);

/* Appends pszSource to the text in pszDest, cut where the buffer ends.
 * TRUE when it was appended whole. */
BOOL StampTextAppend(WCHAR *pszDest, size_t cchDest, const WCHAR *pszSource);

/* Appends text formatted like wsprintfW (%d, %02d, %ls ...), cut where the
 * buffer ends. TRUE when it was appended whole. */
BOOL StampTextAppendFormat(WCHAR *pszDest, size_t cchDest, const WCHAR *pszFormat, ...);

/* Anchors of a text stamp on the page. */
#define STAMP_POS_TOP_LEFT     0
#define STAMP_POS_TOP_RIGHT    1
#define STAMP_POS_CENTER       2
#define STAMP_POS_BOTTOM_LEFT  3
#define STAMP_POS_BOTTOM_RIGHT 4

/* Units of the offsets. */
#define STAMP_UNIT_TENTH_MM       0
#define STAMP_UNIT_HUNDREDTH_INCH 1
#define STAMP_UNIT_PIXELS         2

/* Pixels per metre for dots per inch: trunc(dpi * 10000 / 254.0 + 0.5). */
int StampPixelsPerMetre(int nDpi);

/* One offset in device pixels, for its unit and the axis' pixels per metre:
 * tenths of a millimetre in single precision, hundredths of an inch through
 * the dpi recovered from pixels per metre, pixels unchanged; any other unit
 * gives 0. Results truncate toward zero, so negative offsets move the other
 * way by the same distance in every unit. */
int ConvertStampOffset(int nOffset, int nUnit, int nPixelsPerMetre);

/* The font to create from a stored LOGFONTW (height in pixels at 96 dpi) at
 * the device's vertical dpi: Arial, weight 400, 16 pixels when no height is
 * stored; the rotation (degrees) as escapement; the height scaled from 96 dpi
 * truncating toward zero. Other fields stay as stored. */
void PrepareStampFont(const LOGFONTW *pStored, int nRotation, int nDpiY, LOGFONTW *pFont);

/* Reference point for TextOut (top-left alignment) of text cx x cy pixels on
 * a printable area cxPage x cyPage, for an anchor STAMP_POS_* (any other value
 * is the top left), a rotation in degrees counter-clockwise and offsets in
 * pixels (x right, y down). The text turns about the midpoint of its top edge
 * as it would lie unrotated at the anchor. */
POINT ComputeStampPosition(int nAnchor, int nRotation, int cx, int cy,
                           int cxPage, int cyPage, int xOff, int yOff);

#endif
