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

/* Coordinates, offsets and font heights of the text stamps are clamped to
 * +-2^27, the range of device coordinates GDI guarantees: text pushed that
 * far lies off any page and draws nothing. */
#define STAMP_COORD_LIMIT 0x8000000LL

/* Pixels per metre for dots per inch: trunc(dpi * 10000 / 254.0 + 0.5),
 * in double precision, clamped to the int range. */
int StampPixelsPerMetre(int nDpi);

/* A rotation in degrees taken modulo 360, keeping its sign (370 gives 10,
 * -370 gives -10): the same turn, and rotation x 10 never overflows. */
int StampRotation(int nRotation);

/* One offset in device pixels, for its unit and the axis' pixels per metre:
 * tenths of a millimetre in single precision, hundredths of an inch through
 * the dpi recovered from pixels per metre, pixels unchanged; any other unit
 * gives 0. Results truncate toward zero, so negative offsets move the other
 * way by the same distance in every unit; they are formed in 64 bits or
 * double precision and clamped to +-STAMP_COORD_LIMIT. */
int ConvertStampOffset(int nOffset, int nUnit, int nPixelsPerMetre);

/* The font to create from a stored LOGFONTW (height in pixels at 96 dpi) at
 * the device's vertical dpi: Arial, weight 400, 16 pixels when no height is
 * stored; the rotation (degrees, StampRotation) as escapement; the height
 * scaled from 96 dpi truncating toward zero, clamped to +-STAMP_COORD_LIMIT.
 * The face name ends within its 32 characters. Other fields stay as stored. */
void PrepareStampFont(const LOGFONTW *pStored, int nRotation, int nDpiY, LOGFONTW *pFont);

/* Reference point for TextOut (top-left alignment) of text cx x cy pixels on
 * a printable area cxPage x cyPage, for an anchor STAMP_POS_* (any other value
 * is the top left), a rotation in degrees counter-clockwise (StampRotation)
 * and offsets in pixels (x right, y down). The text turns about the midpoint
 * of its top edge as it would lie unrotated at the anchor. The sums are
 * formed in 64 bits; each coordinate is clamped to +-STAMP_COORD_LIMIT. */
POINT ComputeStampPosition(int nAnchor, int nRotation, int cx, int cy,
                           int cxPage, int cyPage, int xOff, int yOff);

#endif
