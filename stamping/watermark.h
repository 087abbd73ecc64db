/*
 * The watermark stamp: a picture painted on a forwarded page before the page
 * content, lightened by a brightness and laid out in one of four placements.
 * AddWatermark itself is declared in stamping/stamps.h.
 */
#ifndef JH_STAMPING_WATERMARK_H
#define JH_STAMPING_WATERMARK_H

#include <windows.h>

/* Placement codes of PrintWatermark. */
#define WM_PLACE_STRETCH_TO_FIT 1   /* whole picture over the whole page */
#define WM_PLACE_STRETCH_TO_WIDTH 2 /* page width, aspect kept, centred vertically */
#define WM_PLACE_CENTER 3           /* own size, centred, cut where larger */
#define WM_PLACE_TILE 4             /* own size, repeated from the top left */

/* Where a picture lands: the destination rectangle on the page and the
 * source rectangle in the picture, both with rows counted from the top. */
typedef struct WatermarkRect {
    int xDest, yDest, cxDest, cyDest;
    int xSrc, ySrc, cxSrc, cySrc;
} WatermarkRect;

/* The shape of a plain packed DIB, the kind the stamp converts pixel by
 * pixel itself. */
typedef struct WatermarkDibLayout {
    LONG nWidth;          /* > 0 */
    LONG nHeight;         /* > 0, bottom-up rows */
    UINT nBitsPerPixel;   /* 1, 8 or 24 */
    DWORD nColors;        /* colour-table entries: 2 for 1 bit, biClrUsed (256 when 0) for 8, 0 for 24 */
    SIZE_T cbPixelOffset; /* header plus colour table */
    SIZE_T cbSourceRow;   /* bytes per source row, a multiple of 4 */
} WatermarkDibLayout;

/* Takes a packed DIB's bytes and the size of its block. Fills pLayout and
 * gives TRUE for a plain bitmap that the block holds whole: a 40-byte
 * header, positive width and height, one plane, BI_RGB, and 1 bit with a
 * colour table of 2 entries (biClrUsed 0 or 2), 8 bits with at most 256,
 * or 24 bits with none. FALSE, pLayout untouched, otherwise. */
BOOL GetWatermarkDibLayout(const BYTE *pDib, SIZE_T cbDib, WatermarkDibLayout *pLayout);

/* The lift added to every colour component: brightness / 100 x 255, in
 * single precision (30 gives 76.5). */
float GetWatermarkLift(DWORD dwBrightness);

/* Takes a packed DIB (not freed) and a brightness percentage. Gives a new
 * movable bottom-up 24-bit packed DIB of the same size. A plain bitmap
 * (GetWatermarkDibLayout) has every 8- and 24-bit colour component raised
 * by the lift (capped at 255), and the ink of its 1-bit pictures turned to
 * the grey level of the lift with their paper kept. Every other bitmap that
 * the platform's DIB functions draw (1 to 32 bits, RLE4 and RLE8, bit
 * fields, top-down rows, 12-byte core, V4 and V5 headers, colour tables on
 * any depth; pixels right after the colour table) is decoded by the
 * platform into 24 bits and lifted like a 24-bit picture. NULL when
 * hSourceDib is NULL or cannot be locked, the block does not hold what its
 * header describes, the platform refuses the bitmap, or the new block
 * cannot be had. */
HGLOBAL ApplyWatermarkBrightness(HGLOBAL hSourceDib, DWORD dwBrightness);

/* Takes a placement code 1, 2 or 3, the page size W x H and the picture
 * size w x h (all positive). Fills pRect and gives TRUE; FALSE for any
 * other placement code or size. */
BOOL GetWatermarkPlacementRect(int nPlacement, DWORD cxPage, DWORD cyPage, LONG cxPicture,
                               LONG cyPicture, WatermarkRect *pRect);

/* Takes the page size and a positive picture size; gives the number of
 * tiles that cover the page from its top left corner and writes the top
 * left corners of the first cMax of them to pCorners (which may be NULL
 * when cMax is 0). Nothing when the page height is 0. */
SIZE_T GetWatermarkTiles(DWORD cxPage, DWORD cyPage, LONG cxPicture, LONG cyPicture,
                         POINT *pCorners, SIZE_T cMax);

/* Turns a stored first-page position (1, 2, 4 or 8) into a placement:
 * 1 stretch to fit, 2 stretch to width, 8 tile, anything else centre. */
int WatermarkPositionToPlacement(DWORD dwPosition);

/* Chooses the placement from one orientation's switches: tile before
 * stretch to width before stretch to fit, centre when none is on. */
int WatermarkSwitchesToPlacement(BOOL bTile, BOOL bStretchToWidth, BOOL bStretchToFit);

/* Paints a 24-bit packed DIB (not freed) on hdc with StretchDIBits
 * (DIB_RGB_COLORS, SRCCOPY; hdc's stretching mode untouched). ptPageSize
 * is the page size as a packed point (PackPoint): the width in its low 32
 * bits, the height in the high 32.
 * A bitmap that fails GetWatermarkDibLayout or an unknown placement paints
 * nothing. Tiling a picture that is small against the page paints it
 * replicated into a larger tile first, with the same pixels as a result. */
void PrintWatermark(HDC hdc, HGLOBAL hDib, int nPlacement, ULONGLONG ptPageSize);

#endif
