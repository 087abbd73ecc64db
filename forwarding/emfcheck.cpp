/*
 * Record checks of a spooled page's enhanced metafile. Every field that a
 * player uses to find data (an offset, a size, a count, a bitmap header, an
 * object handle index) is checked against the record before the record is
 * played, and what a record can make the player allocate or compute is
 * charged to the page's cost bounds. "The player" below is the platform's
 * PlayEnhMetaFileRecord as the 64-bit Wine 8 builds it, which is where the
 * helper runs its tests, together with the published record layouts that
 * any other player reads. Records are read at byte offsets with memcpy, so
 * the layout is independent of any compiler's structure packing; sums and
 * products are formed in 64 bits.
 */
#include "forwarding/emfcheck.h"

#include <climits>
#include <cstring>

#define EMF_LAST_TYPE        122         /* EMR_CREATECOLORSPACEW */
#define EMF_HEADER_MIN_SIZE  88          /* ENHMETAHEADER without its extensions */
#define EMF_HEADER_PIXFMT_END 100        /* cbPixelFormat, offPixelFormat, bOpenGL end here */
#define EMF_STOCK_OBJECT     0x80000000u /* handle index of a stock object */
#define EMF_RGN_HEADER_SIZE  32          /* RGNDATAHEADER */
#define EMF_TEXT_SIZE        40          /* EMRTEXT */
#define EMF_DIB_PAL_MONO     2           /* monochrome brush bits without a colour table */
#define EMF_DIB_INFO_SIZE    40          /* BITMAPINFOHEADER */
#define EMF_DIB_CORE_SIZE    12          /* BITMAPCOREHEADER */
#define EMF_DIB_MASKS_END    52          /* bit-field masks: at bmiColors, offset 40, whatever biSize says */

/* One record as the checks see it. */
typedef struct EmfRecord {
    const BYTE *pData;
    DWORD       cbRecord;
    DWORD       dwType;
    DWORD       cbRoom;  /* from the record's start to the end of the metafile */
} EmfRecord;

/* A record's check: its reason, and what it would cost the player. */
typedef int (*EmfCheckProc)(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost);

/* A type's fixed part (the fields every player reads) and the check of what
 * the fixed part says about the rest. */
typedef struct EmfRule {
    DWORD        cbFixed;
    EmfCheckProc pfnCheck;
} EmfRule;

/* Where one bitmap of a record is described. */
typedef struct EmfBitmapFields {
    DWORD dwUsage;    /* offset of the colour-table usage; DIB_RGB_COLORS when NO_FIELD */
    DWORD dwOffBmi;   /* offsets of offBmi, cbBmi, offBits, cbBits */
    DWORD dwCbBmi;
    DWORD dwOffBits;
    DWORD dwCbBits;
} EmfBitmapFields;

#define NO_FIELD 0xFFFFFFFFu

/* How the player uses a bitmap of a record. */
#define DIB_DRAWN    0 /* drawn from the record's bits (StretchDIBits, SetDIBitsToDevice) */
#define DIB_BITMAP   1 /* made into a bitmap of the device's format (blits, brushes) */
#define DIB_SECTION  2 /* made into a DIB section the bits are copied into (alpha blend) */
#define DIB_MONO     3 /* a mono brush: its two colours are read before it is made a bitmap */

static DWORD GetDword(const EmfRecord *pRecord, DWORD dwOffset)
{
    DWORD dw = 0;
    memcpy(&dw, pRecord->pData + dwOffset, sizeof(dw));
    return dw;
}

static WORD GetWord(const BYTE *p)
{
    WORD w = 0;
    memcpy(&w, p, sizeof(w));
    return w;
}

/* TRUE when ullSize bytes at ullOffset lie inside the record. */
static BOOL InRecord(const EmfRecord *pRecord, ULONGLONG ullOffset, ULONGLONG ullSize)
{
    return ullOffset <= pRecord->cbRecord && ullSize <= pRecord->cbRecord - ullOffset;
}

/* TRUE when ullSize bytes at ullOffset from the record's start lie inside
 * the metafile (a player that reads past a record's end). */
static BOOL InRoom(const EmfRecord *pRecord, ULONGLONG ullOffset, ULONGLONG ullSize)
{
    return ullOffset <= pRecord->cbRoom && ullSize <= pRecord->cbRoom - ullOffset;
}

/* ---- object handles ---------------------------------------------------- */

/* The player indexes its handle table with these without a bound. Index 0
 * holds the metafile being played: creating an object there is refused,
 * and deleting it would free the metafile under the player. */
static int CheckTableIndex(DWORD dwIndex, const EmfCheckState *pState)
{
    return dwIndex >= 1 && dwIndex < pState->nHandles ? EMF_RECORD_OK : EMF_RECORD_BAD_HANDLE;
}

/* An index that a record selects: a stock object (the player looks it up
 * with GetStockObject, which answers NULL for unknown ones) or an entry of
 * the table; selecting entry 0, the metafile, simply fails. */
static int CheckSelectIndex(DWORD dwIndex, const EmfCheckState *pState)
{
    if (dwIndex & EMF_STOCK_OBJECT)
        return EMF_RECORD_OK;
    return dwIndex < pState->nHandles ? EMF_RECORD_OK : EMF_RECORD_BAD_HANDLE;
}

static int CheckCreateObject(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckTableIndex(GetDword(pRecord, 8), pState);
}

static int CheckSelectObject(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckSelectIndex(GetDword(pRecord, 8), pState);
}

/* ---- points ------------------------------------------------------------- */

/* cptl at 24, then cptl points of cbPoint bytes (and one type byte each
 * for the poly-draw records). */
static int CheckPointList(const EmfRecord *pRecord, DWORD cbPerPoint)
{
    ULONGLONG ullPoints = GetDword(pRecord, 24);
    return InRecord(pRecord, 28, ullPoints * cbPerPoint) ? EMF_RECORD_OK : EMF_RECORD_OUTSIDE;
}

static int CheckPoints32(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckPointList(pRecord, 8);
}

static int CheckPoints16(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckPointList(pRecord, 4);
}

static int CheckPolyDraw32(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckPointList(pRecord, 8 + 1);
}

static int CheckPolyDraw16(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckPointList(pRecord, 4 + 1);
}

/* nPolys at 24, the point count at 28, nPolys counts at 32, then the
 * points; the counts may not add up to more points than there are. */
static int CheckPolyPoly(const EmfRecord *pRecord, DWORD cbPoint)
{
    ULONGLONG ullPolys = GetDword(pRecord, 24);
    ULONGLONG ullPoints = GetDword(pRecord, 28);
    if (!InRecord(pRecord, 32, ullPolys * 4 + ullPoints * cbPoint))
        return EMF_RECORD_OUTSIDE;
    ULONGLONG ullSum = 0;
    for (DWORD i = 0; i < (DWORD)ullPolys; i++)
        ullSum += GetDword(pRecord, 32 + i * 4);
    return ullSum <= ullPoints ? EMF_RECORD_OK : EMF_RECORD_OUTSIDE;
}

static int CheckPolyPoly32(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckPolyPoly(pRecord, 8);
}

static int CheckPolyPoly16(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckPolyPoly(pRecord, 4);
}

/* ---- text --------------------------------------------------------------- */

/* One EMRTEXT at dwText: the string and, when bDxAlways or offDx is set,
 * the spacing values (two per character with ETO_PDY). Glyph indexes are
 * 16 bits wide whatever the record's character width. */
static int CheckEmrText(const EmfRecord *pRecord, DWORD dwText, DWORD cbChar, BOOL bDxAlways)
{
    ULONGLONG ullChars = GetDword(pRecord, dwText + 8);
    DWORD dwOffString = GetDword(pRecord, dwText + 12);
    DWORD dwOptions = GetDword(pRecord, dwText + 16);
    DWORD dwOffDx = GetDword(pRecord, dwText + 36);
    if (dwOptions & ETO_GLYPH_INDEX)
        cbChar = sizeof(WORD);
    if (!InRecord(pRecord, dwOffString, ullChars * cbChar))
        return EMF_RECORD_OUTSIDE;
    if ((dwOffDx != 0 || bDxAlways) && !InRecord(pRecord, dwOffDx, ullChars * ((dwOptions & ETO_PDY) ? 8 : 4)))
        return EMF_RECORD_OUTSIDE;
    return EMF_RECORD_OK;
}

static int CheckExtTextOutA(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckEmrText(pRecord, 36, 1, FALSE);
}

static int CheckExtTextOutW(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckEmrText(pRecord, 36, 2, FALSE);
}

/* cStrings at 36, then that many EMRTEXT; the player hands every string's
 * spacing on, also when its offset is 0. */
static int CheckPolyTextOut(const EmfRecord *pRecord, DWORD cbChar)
{
    ULONGLONG ullStrings = GetDword(pRecord, 36);
    if (!InRecord(pRecord, 40, ullStrings * EMF_TEXT_SIZE))
        return EMF_RECORD_OUTSIDE;
    for (DWORD i = 0; i < (DWORD)ullStrings; i++) {
        int nResult = CheckEmrText(pRecord, 40 + i * EMF_TEXT_SIZE, cbChar, TRUE);
        if (nResult != EMF_RECORD_OK)
            return nResult;
    }
    return EMF_RECORD_OK;
}

static int CheckPolyTextOutA(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckPolyTextOut(pRecord, 1);
}

static int CheckPolyTextOutW(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckPolyTextOut(pRecord, 2);
}

/* cChars at 16, options at 20; a clipping rectangle at 36 unless
 * ETO_NO_RECT, then the characters, one byte each with ETO_SMALL_CHARS. */
static int CheckSmallTextOut(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    ULONGLONG ullChars = GetDword(pRecord, 16);
    DWORD dwOptions = GetDword(pRecord, 20);
    DWORD dwText = (dwOptions & 0x100) ? 36 : 52;
    return InRecord(pRecord, dwText, ullChars * ((dwOptions & 0x200) ? 1 : 2)) ? EMF_RECORD_OK
                                                                                : EMF_RECORD_OUTSIDE;
}

/* ---- bitmaps ------------------------------------------------------------ */

/* What the platform's bitmap functions make of one bitmap header. */
typedef struct DibShape {
    BOOL      bUsable;      /* the platform accepts the header and reads the pixels */
    BOOL      bPassThrough; /* JPEG or PNG bits, handed to the device as they are */
    BOOL      bCore;        /* a 12-byte BITMAPCOREHEADER */
    WORD      wPlanes;
    WORD      wBits;
    DWORD     dwCompression;
    ULONGLONG cbInfo;       /* bytes read from the header's start: header, masks, colour table */
    ULONGLONG cbStride;     /* bytes per row of uncompressed bits; 0 for compressed ones */
    ULONGLONG ullRows;
    ULONGLONG cbImage;      /* pixel bytes of every row; compressed: biSizeImage */
    ULONGLONG ullPixels;    /* width x rows, what a decoded copy holds */
    BITMAPINFOHEADER stHeader; /* as read; a core header turned into these fields */
} DibShape;

/* The colour-table entries the platform reads after a header: only up to 8
 * bits per pixel, biClrUsed of them (at most the depth's) or the depth's. */
static ULONGLONG DibTableBytes(const BITMAPINFOHEADER *pHeader, BOOL bCore, DWORD dwUsage)
{
    if (pHeader->biBitCount == 0 || pHeader->biBitCount > 8)
        return 0;
    ULONGLONG ullMax = 1ull << pHeader->biBitCount;
    ULONGLONG ullColors = pHeader->biClrUsed && pHeader->biClrUsed < ullMax ? pHeader->biClrUsed : ullMax;
    ULONGLONG cbEntry = dwUsage == DIB_PAL_COLORS ? sizeof(WORD) : bCore ? sizeof(RGBTRIPLE) : sizeof(RGBQUAD);
    return ullColors * cbEntry;
}

/* Fills pDib->bUsable and the sizes from a header read into *pHeader (a
 * core header turned into its fields). The rules are the platform's: a
 * positive width, a height other than 0, planes other than 0, 1, 4, 8 or 24
 * bits uncompressed, 16 or 32 bits uncompressed or with bit fields, RLE of
 * the matching depth bottom-up with its size given, and a row size that
 * fits 32 bits; usages other than 0, 1 and 2 are refused. */
static void ShapeDib(const BITMAPINFOHEADER *pHeader, DWORD dwUsage, DibShape *pDib)
{
    LONG nHeight = pHeader->biHeight;
    WORD wBits = pHeader->biBitCount;
    DWORD dwCompression = pHeader->biCompression;
    pDib->wPlanes = pHeader->biPlanes;
    pDib->wBits = wBits;
    pDib->dwCompression = dwCompression;
    if (dwUsage > EMF_DIB_PAL_MONO || pHeader->biWidth <= 0 || nHeight == 0 || nHeight == LONG_MIN)
        return;
    pDib->ullRows = nHeight < 0 ? (ULONGLONG)-(LONGLONG)nHeight : (ULONGLONG)nHeight;
    pDib->ullPixels = (ULONGLONG)pHeader->biWidth * pDib->ullRows;
    pDib->cbInfo = pHeader->biSize + DibTableBytes(pHeader, pDib->bCore, dwUsage);
    if (dwCompression == BI_JPEG || dwCompression == BI_PNG) {
        pDib->bPassThrough = !pDib->bCore;
        pDib->cbImage = pHeader->biSizeImage;
        return;
    }
    if (dwCompression == BI_RLE8 || dwCompression == BI_RLE4) {
        pDib->bUsable = wBits == (dwCompression == BI_RLE8 ? 8 : 4) && nHeight > 0 && pHeader->biSizeImage != 0;
        pDib->cbImage = pHeader->biSizeImage;
        return;
    }
    BOOL bMasks = dwCompression == BI_BITFIELDS && (wBits == 16 || wBits == 32);
    if (pHeader->biPlanes == 0 || (dwCompression != BI_RGB && !bMasks) ||
        (wBits != 1 && wBits != 4 && wBits != 8 && wBits != 16 && wBits != 24 && wBits != 32))
        return;
    if (bMasks && pDib->cbInfo < EMF_DIB_MASKS_END)
        pDib->cbInfo = EMF_DIB_MASKS_END;
    pDib->cbStride = ((ULONGLONG)pHeader->biWidth * wBits + 31) / 32 * 4;
    pDib->cbImage = pDib->cbStride * pDib->ullRows;
    pDib->bUsable = pDib->cbImage <= UINT_MAX;
}

/* Reads the bitmap header at dwOffBmi of a record. The platform reads 12
 * bytes of a core header and 40 of any other whatever its biSize; a biSize
 * of anything else makes the header unusable. FALSE when the bytes it reads
 * lie outside the record. */
static BOOL ReadDibShape(const EmfRecord *pRecord, DWORD dwOffBmi, DWORD dwUsage, DibShape *pDib)
{
    memset(pDib, 0, sizeof(*pDib));
    if (!InRecord(pRecord, dwOffBmi, sizeof(DWORD)))
        return FALSE;
    BITMAPINFOHEADER stHeader;
    memset(&stHeader, 0, sizeof(stHeader));
    stHeader.biSize = GetDword(pRecord, dwOffBmi);
    if (stHeader.biSize == EMF_DIB_CORE_SIZE) {
        if (!InRecord(pRecord, dwOffBmi, EMF_DIB_CORE_SIZE))
            return FALSE;
        const BYTE *pCore = pRecord->pData + dwOffBmi;
        stHeader.biWidth = GetWord(pCore + 4);
        stHeader.biHeight = GetWord(pCore + 6);
        stHeader.biPlanes = GetWord(pCore + 8);
        stHeader.biBitCount = GetWord(pCore + 10);
        pDib->bCore = TRUE;
    } else if (stHeader.biSize >= EMF_DIB_INFO_SIZE) {
        if (!InRecord(pRecord, dwOffBmi, EMF_DIB_INFO_SIZE))
            return FALSE;
        memcpy(&stHeader, pRecord->pData + dwOffBmi, sizeof(stHeader));
    } else {
        return TRUE;
    }
    pDib->stHeader = stHeader;
    ShapeDib(&stHeader, dwUsage, pDib);
    return TRUE;
}

/* A DIB section is made only of an uncompressed header with its colours
 * given as RGB values, one plane, and bit-field masks (read at offset 40)
 * that are not 0; of any other the platform makes no bitmap, and the
 * player then copies the bits to no memory at all. */
static BOOL SectionUsable(const EmfRecord *pRecord, DWORD dwOffBmi, DWORD dwUsage, const DibShape *pDib)
{
    if (!pDib->bUsable || dwUsage != DIB_RGB_COLORS || pDib->wPlanes != 1 || pDib->cbStride == 0)
        return FALSE;
    if (pDib->dwCompression != BI_BITFIELDS)
        return TRUE;
    for (DWORD i = 0; i < 3; i++) {
        if (GetDword(pRecord, dwOffBmi + EMF_DIB_INFO_SIZE + i * 4) == 0)
            return FALSE;
    }
    return TRUE;
}

/* The bytes read of a bitmap's header: a mono brush's player reads two
 * colours at bmiColors whatever the table holds, to tell black and white. */
static ULONGLONG DibInfoRead(const DibShape *pDib, int nUse)
{
    if (nUse != DIB_MONO || pDib->wBits != 1)
        return pDib->cbInfo;
    ULONGLONG cbTwoColours = pDib->bCore ? EMF_DIB_CORE_SIZE + 2 * sizeof(RGBTRIPLE)
                                         : EMF_DIB_INFO_SIZE + 2 * sizeof(RGBQUAD);
    return pDib->cbInfo > cbTwoColours ? pDib->cbInfo : cbTwoColours;
}

/* One bitmap of a record: the header and bits ranges the record names
 * (what a player that goes by cbBmi and cbBits reads), the header usable
 * for nUse, the header and the pixel rows the player reads (at most
 * ullMaxRows) inside the record, and its decoded size within
 * EMF_MAX_BITMAP_PIXELS, which is charged to *pCost. The player reads the
 * whole colour table a header calls for, which some applications write
 * shorter, leaving the rest to the bytes of the records that follow: the
 * masks and colours must lie inside the metafile. */
static int CheckDib(const EmfRecord *pRecord, const EmfBitmapFields *pFields, int nUse, ULONGLONG ullMaxRows,
                    EmfBudget *pCost)
{
    DWORD dwOffBmi = GetDword(pRecord, pFields->dwOffBmi);
    DWORD dwOffBits = GetDword(pRecord, pFields->dwOffBits);
    DWORD dwUsage = pFields->dwUsage == NO_FIELD ? DIB_RGB_COLORS : GetDword(pRecord, pFields->dwUsage);
    if (!InRecord(pRecord, dwOffBmi, GetDword(pRecord, pFields->dwCbBmi)) ||
        !InRecord(pRecord, dwOffBits, GetDword(pRecord, pFields->dwCbBits)))
        return EMF_RECORD_OUTSIDE;
    DibShape stDib;
    if (!ReadDibShape(pRecord, dwOffBmi, dwUsage, &stDib))
        return EMF_RECORD_OUTSIDE;
    BOOL bUsable = nUse == DIB_SECTION ? SectionUsable(pRecord, dwOffBmi, dwUsage, &stDib)
                                       : stDib.bUsable || (nUse == DIB_DRAWN && stDib.bPassThrough);
    if (!bUsable)
        return EMF_RECORD_BAD_BITMAP;
    if (!InRecord(pRecord, dwOffBmi, stDib.stHeader.biSize) || !InRoom(pRecord, dwOffBmi, DibInfoRead(&stDib, nUse)))
        return EMF_RECORD_OUTSIDE;
    ULONGLONG ullRows = stDib.ullRows < ullMaxRows ? stDib.ullRows : ullMaxRows;
    ULONGLONG cbImage = stDib.cbStride ? stDib.cbStride * ullRows : stDib.cbImage;
    if (nUse != DIB_SECTION && !InRecord(pRecord, dwOffBits, cbImage))
        return EMF_RECORD_OUTSIDE;
    if (stDib.ullPixels > EMF_MAX_BITMAP_PIXELS)
        return EMF_RECORD_TOO_COSTLY;
    pCost->ullPixels += stDib.ullPixels;
    return EMF_RECORD_OK;
}

/* The source bitmap of the blit records, at the same place in each. */
static const EmfBitmapFields s_stBlitSource = { 80, 84, 88, 92, 96 };

/* The player makes no bitmap when offBmiSrc is 0 (a pattern blit). */
static int CheckBlitSource(const EmfRecord *pRecord, int nUse, EmfBudget *pCost)
{
    if (GetDword(pRecord, s_stBlitSource.dwOffBmi) == 0)
        return EMF_RECORD_OK;
    return CheckDib(pRecord, &s_stBlitSource, nUse, ULLONG_MAX, pCost);
}

static int CheckBitBlt(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckBlitSource(pRecord, DIB_BITMAP, pCost);
}

static int CheckAlphaBlend(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckBlitSource(pRecord, DIB_SECTION, pCost);
}

/* The source and mask of MASKBLT and PLGBLT. The player reads both headers
 * unconditionally: one that is absent (offset 0) is read from the record's
 * own start, which it then takes for a header whose width is the record's
 * size and whose height is rclBounds.left. Such a header is usually one the
 * platform refuses, so only the bitmap it allocates from those two numbers
 * is bounded; one it would accept is checked like any bitmap. */
static int CheckMaskBltBitmap(const EmfRecord *pRecord, const EmfBitmapFields *pFields, EmfBudget *pCost)
{
    if (GetDword(pRecord, pFields->dwOffBmi) != 0)
        return CheckDib(pRecord, pFields, DIB_BITMAP, ULLONG_MAX, pCost);
    if (!InRecord(pRecord, 0, GetDword(pRecord, pFields->dwCbBmi)) ||
        !InRecord(pRecord, GetDword(pRecord, pFields->dwOffBits), GetDword(pRecord, pFields->dwCbBits)))
        return EMF_RECORD_OUTSIDE;
    DibShape stDib;
    ReadDibShape(pRecord, 0, GetDword(pRecord, pFields->dwUsage), &stDib);
    if (stDib.bUsable)
        return CheckDib(pRecord, pFields, DIB_BITMAP, ULLONG_MAX, pCost);
    LONG nLeft = (LONG)GetDword(pRecord, 8);
    ULONGLONG ullRows = nLeft < 0 ? 0 - (ULONGLONG)(LONGLONG)nLeft : (ULONGLONG)nLeft;
    if ((ULONGLONG)pRecord->cbRecord * ullRows > EMF_MAX_BITMAP_PIXELS)
        return EMF_RECORD_TOO_COSTLY;
    pCost->ullPixels += (ULONGLONG)pRecord->cbRecord * ullRows;
    return EMF_RECORD_OK;
}

/* The platform draws both records with MaskBlt, which copies the
 * destination area into two temporary bitmaps of the blit's size (in
 * logical units, taken as pixels) and back: their pixels are charged.
 * Where the area lands on the device is known only while playing
 * (emfplay.cpp). */
static int CheckMaskBltArea(const EmfRecord *pRecord, DWORD dwWidth, DWORD dwHeight, EmfBudget *pCost)
{
    LONG nWidth = (LONG)GetDword(pRecord, dwWidth), nHeight = (LONG)GetDword(pRecord, dwHeight);
    ULONGLONG ullPixels = 2 * (ULONGLONG)(nWidth < 0 ? 0 - (LONGLONG)nWidth : nWidth) *
                          (ULONGLONG)(nHeight < 0 ? 0 - (LONGLONG)nHeight : nHeight);
    if (ullPixels > EMF_MAX_BITMAP_PIXELS)
        return EMF_RECORD_TOO_COSTLY;
    pCost->ullPixels += ullPixels;
    return EMF_RECORD_OK;
}

static int CheckMaskBlts(const EmfRecord *pRecord, DWORD dwWidth, const EmfBitmapFields *pSource,
                         const EmfBitmapFields *pMask, EmfBudget *pCost)
{
    int nResult = CheckMaskBltArea(pRecord, dwWidth, dwWidth + 4, pCost);
    if (nResult == EMF_RECORD_OK)
        nResult = CheckMaskBltBitmap(pRecord, pSource, pCost);
    return nResult != EMF_RECORD_OK ? nResult : CheckMaskBltBitmap(pRecord, pMask, pCost);
}

static int CheckMaskBlt(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    static const EmfBitmapFields stMask = { 108, 112, 116, 120, 124 };
    return CheckMaskBlts(pRecord, 32, &s_stBlitSource, &stMask, pCost);
}

static int CheckPlgBlt(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    static const EmfBitmapFields stSource = { 92, 96, 100, 104, 108 };
    static const EmfBitmapFields stMask = { 120, 124, 128, 132, 136 };
    return CheckMaskBlts(pRecord, 56, &stSource, &stMask, pCost);
}

/* The bits hold the cScans rows that are set. */
static int CheckSetDIBitsToDevice(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    static const EmfBitmapFields stSource = { 64, 48, 52, 56, 60 };
    return CheckDib(pRecord, &stSource, DIB_DRAWN, GetDword(pRecord, 72), pCost);
}

static int CheckStretchDIBits(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    static const EmfBitmapFields stSource = { 64, 48, 52, 56, 60 };
    return CheckDib(pRecord, &stSource, DIB_DRAWN, ULLONG_MAX, pCost);
}

static const EmfBitmapFields s_stBrushPattern = { 12, 16, 20, 24, 28 };

/* A mono brush. With the undocumented usage 2 the player makes a bitmap of
 * the header's width, height, planes and depth from rows of
 * 4 * ((width + 31) / 32) bytes: only one plane of one bit is safe. */
static int CheckMonoBrush(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    int nResult = CheckCreateObject(pRecord, pState, pCost);
    if (nResult != EMF_RECORD_OK)
        return nResult;
    if (GetDword(pRecord, s_stBrushPattern.dwUsage) != EMF_DIB_PAL_MONO)
        return CheckDib(pRecord, &s_stBrushPattern, DIB_MONO, ULLONG_MAX, pCost);
    DWORD dwOffBmi = GetDword(pRecord, s_stBrushPattern.dwOffBmi);
    if (!InRecord(pRecord, dwOffBmi, 16))
        return EMF_RECORD_OUTSIDE;
    LONG nWidth = (LONG)GetDword(pRecord, dwOffBmi + 4), nHeight = (LONG)GetDword(pRecord, dwOffBmi + 8);
    if (nWidth <= 0 || nHeight == 0 || nHeight == LONG_MIN || GetWord(pRecord->pData + dwOffBmi + 12) != 1 ||
        GetWord(pRecord->pData + dwOffBmi + 14) != 1)
        return EMF_RECORD_BAD_BITMAP;
    ULONGLONG ullRows = nHeight < 0 ? (ULONGLONG)-(LONGLONG)nHeight : (ULONGLONG)nHeight;
    ULONGLONG ullPixels = (ULONGLONG)nWidth * ullRows;
    if (!InRecord(pRecord, GetDword(pRecord, s_stBrushPattern.dwOffBits), ((ULONGLONG)nWidth + 31) / 32 * 4 * ullRows))
        return EMF_RECORD_OUTSIDE;
    if (ullPixels > EMF_MAX_BITMAP_PIXELS)
        return EMF_RECORD_TOO_COSTLY;
    pCost->ullPixels += ullPixels;
    return EMF_RECORD_OK;
}

/* The size of a packed bitmap's header and colours, where the platform
 * finds its bits: a core header and its depth's colours, or the header
 * (at least 40 bytes, and the bit-field masks of a 40-byte one) and
 * biClrUsed colours, at most 256, also on more than 8 bits per pixel. */
static ULONGLONG PackedInfoSize(const DibShape *pDib, DWORD dwUsage)
{
    const BITMAPINFOHEADER *pHeader = &pDib->stHeader;
    ULONGLONG cbEntry = dwUsage == DIB_RGB_COLORS ? (pDib->bCore ? 3 : 4) : 2;
    ULONGLONG ullColors = pHeader->biBitCount <= 8 ? 1ull << pHeader->biBitCount : 0;
    if (pDib->bCore)
        return EMF_DIB_CORE_SIZE + ullColors * cbEntry;
    if (pHeader->biClrUsed)
        ullColors = pHeader->biClrUsed < 256 ? pHeader->biClrUsed : 256;
    ULONGLONG cbHeader = pHeader->biCompression == BI_BITFIELDS ? EMF_DIB_MASKS_END : EMF_DIB_INFO_SIZE;
    if (pHeader->biSize > cbHeader)
        cbHeader = pHeader->biSize;
    return cbHeader + ullColors * cbEntry;
}

/* A DIB pattern brush. When offBits follows the header's range at once, the
 * player hands the header on as a packed bitmap, whose bits the platform
 * finds after the header and its colours as PackedInfoSize counts them. */
static int CheckDibBrush(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    int nResult = CheckCreateObject(pRecord, pState, pCost);
    if (nResult == EMF_RECORD_OK)
        nResult = CheckDib(pRecord, &s_stBrushPattern, DIB_BITMAP, ULLONG_MAX, pCost);
    DWORD dwOffBmi = GetDword(pRecord, s_stBrushPattern.dwOffBmi);
    if (nResult != EMF_RECORD_OK ||
        (ULONGLONG)dwOffBmi + GetDword(pRecord, s_stBrushPattern.dwCbBmi) != GetDword(pRecord, s_stBrushPattern.dwOffBits))
        return nResult;
    DWORD dwUsage = GetDword(pRecord, s_stBrushPattern.dwUsage);
    DibShape stDib;
    ReadDibShape(pRecord, dwOffBmi, dwUsage, &stDib);
    return InRecord(pRecord, dwOffBmi + PackedInfoSize(&stDib, dwUsage), stDib.cbImage) ? EMF_RECORD_OK
                                                                                         : EMF_RECORD_OUTSIDE;
}

/* An extended pen. The published layout has its style count at 48 and the
 * entries from 52; 64-bit Wine 8 reads the record in a wider layout
 * (EXTLOGPEN with a pointer-sized hatch: the style at 32, the count at 56,
 * the entries from 60), so a pen of the published layout is read past its
 * own end, into the next record, and draws nothing there, as with the bare
 * player. The platform reads the entries only for a user style with 1 to
 * 16 of them. Both reads must stay inside the metafile. The pattern bitmap
 * is absent when its sizes are 0, whatever its offsets say. */
static int CheckExtCreatePen(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    static const EmfBitmapFields stPattern = { NO_FIELD, 12, 16, 20, 24 };
    int nResult = CheckCreateObject(pRecord, pState, pCost);
    if (nResult != EMF_RECORD_OK)
        return nResult;
    if (!InRecord(pRecord, 52, (ULONGLONG)GetDword(pRecord, 48) * 4) || !InRoom(pRecord, 56, sizeof(DWORD)))
        return EMF_RECORD_OUTSIDE;
    DWORD nWideEntries = 0;
    memcpy(&nWideEntries, pRecord->pData + 56, sizeof(nWideEntries));
    BOOL bUserStyle = (GetDword(pRecord, 32) & PS_STYLE_MASK) == PS_USERSTYLE;
    if (bUserStyle && nWideEntries >= 1 && nWideEntries <= 16 && !InRoom(pRecord, 60, (ULONGLONG)nWideEntries * 4))
        return EMF_RECORD_OUTSIDE;
    if (GetDword(pRecord, 16) == 0 && GetDword(pRecord, 24) == 0)
        return EMF_RECORD_OK;
    return CheckDib(pRecord, &stPattern, DIB_BITMAP, ULLONG_MAX, pCost);
}

/* ---- regions ------------------------------------------------------------ */

/* Region data at dwData, the end of the fixed part: the player reads its
 * RGNDATAHEADER, takes a dwSize of at least 32 whatever the type, and reads
 * nCount rectangles from offset 32. A player that goes by the record's
 * size field (at dwCbField) reads that many bytes. Building a region of n
 * rectangles costs the platform more than n squared steps, hence the
 * bounds. */
static int CheckRegionAt(const EmfRecord *pRecord, DWORD dwCbField, DWORD dwData, EmfBudget *pCost)
{
    if (!InRecord(pRecord, dwData, GetDword(pRecord, dwCbField)) ||
        !InRecord(pRecord, dwData, EMF_RGN_HEADER_SIZE))
        return EMF_RECORD_OUTSIDE;
    if (GetDword(pRecord, dwData) < EMF_RGN_HEADER_SIZE)
        return EMF_RECORD_BAD_REGION;
    ULONGLONG ullRects = GetDword(pRecord, dwData + 8);
    if (!InRecord(pRecord, dwData + EMF_RGN_HEADER_SIZE, ullRects * sizeof(RECT)))
        return EMF_RECORD_OUTSIDE;
    if (ullRects > EMF_MAX_REGION_RECTS)
        return EMF_RECORD_TOO_COSTLY;
    pCost->ullRegionRects += ullRects;
    return EMF_RECORD_OK;
}

/* Fill and frame take a brush of the handle table (no stock objects: the
 * player indexes the table with it). */
static int CheckFillRgn(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    int nResult = CheckTableIndex(GetDword(pRecord, 28), pState);
    return nResult != EMF_RECORD_OK ? nResult : CheckRegionAt(pRecord, 24, 32, pCost);
}

static int CheckFrameRgn(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    int nResult = CheckTableIndex(GetDword(pRecord, 28), pState);
    return nResult != EMF_RECORD_OK ? nResult : CheckRegionAt(pRecord, 24, 40, pCost);
}

static int CheckPaintRgn(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckRegionAt(pRecord, 24, 28, pCost);
}

/* The clipping region: the player reads it whenever the record has room for
 * a region header after the fixed part, whatever cbRgnData says; a smaller
 * record selects no region. */
static int CheckSelectClipRgn(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    DWORD cbRegion = GetDword(pRecord, 8);
    if (!InRecord(pRecord, 16, cbRegion))
        return EMF_RECORD_OUTSIDE;
    if (pRecord->cbRecord < 16 + EMF_RGN_HEADER_SIZE)
        return cbRegion == 0 ? EMF_RECORD_OK : EMF_RECORD_BAD_REGION;
    return CheckRegionAt(pRecord, 8, 16, pCost);
}

/* ---- palettes, colour spaces and other objects -------------------------- */

/* palNumEntries (16 bits) at 14, the entries at 16. */
static int CheckCreatePalette(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    int nResult = CheckCreateObject(pRecord, pState, pCost);
    if (nResult != EMF_RECORD_OK)
        return nResult;
    return InRecord(pRecord, 16, (ULONGLONG)GetWord(pRecord->pData + 14) * 4) ? EMF_RECORD_OK : EMF_RECORD_OUTSIDE;
}

/* The palette at 8, cEntries at 16, the entries at 20. */
static int CheckSetPaletteEntries(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    int nResult = CheckTableIndex(GetDword(pRecord, 8), pState);
    if (nResult != EMF_RECORD_OK)
        return nResult;
    return InRecord(pRecord, 20, (ULONGLONG)GetDword(pRecord, 16) * 4) ? EMF_RECORD_OK : EMF_RECORD_OUTSIDE;
}

/* The palette at 8, cEntries at 12: the platform reallocates the palette to
 * that many entries and clears the new ones, so a count in the hundreds of
 * millions takes gigabytes. A logical palette is created with at most
 * 65535 entries (its count is 16 bits). */
static int CheckResizePalette(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    int nResult = CheckTableIndex(GetDword(pRecord, 8), pState);
    if (nResult != EMF_RECORD_OK)
        return nResult;
    return GetDword(pRecord, 12) <= EMF_MAX_PALETTE_ENTRIES ? EMF_RECORD_OK : EMF_RECORD_TOO_COSTLY;
}

/* Records that use or delete an object of the handle table at 8. */
static int CheckTableObject(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckTableIndex(GetDword(pRecord, 8), pState);
}

/* iRelative at 8: the player keeps its own stack of saved states and takes
 * abs(iRelative), which INT_MIN overflows; it then pops past the bottom of
 * that stack. */
static int CheckRestoreDC(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return (LONG)GetDword(pRecord, 8) == LONG_MIN ? EMF_RECORD_BAD_VALUE : EMF_RECORD_OK;
}

/* A colour space with its profile data: cbData at 604, data at 608. */
static int CheckCreateColorSpaceW(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    int nResult = CheckCreateObject(pRecord, pState, pCost);
    if (nResult != EMF_RECORD_OK)
        return nResult;
    return InRecord(pRecord, 608, GetDword(pRecord, 604)) ? EMF_RECORD_OK : EMF_RECORD_OUTSIDE;
}

/* ---- records that carry data of a counted size -------------------------- */

static int CheckCountedData(const EmfRecord *pRecord, DWORD dwCountField, DWORD dwData, DWORD cbUnit)
{
    return InRecord(pRecord, dwData, (ULONGLONG)GetDword(pRecord, dwCountField) * cbUnit) ? EMF_RECORD_OK
                                                                                          : EMF_RECORD_OUTSIDE;
}

static int CheckTwoSizes(const EmfRecord *pRecord, DWORD dwFirstSize, DWORD dwData)
{
    ULONGLONG cbData = (ULONGLONG)GetDword(pRecord, dwFirstSize) + GetDword(pRecord, dwFirstSize + 4);
    return InRecord(pRecord, dwData, cbData) ? EMF_RECORD_OK : EMF_RECORD_OUTSIDE;
}

static int CheckComment(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckCountedData(pRecord, 8, 12, 1);
}

static int CheckEscape(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckCountedData(pRecord, 12, 16, 1);
}

static int CheckGlsRecord(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckCountedData(pRecord, 8, 12, 1);
}

static int CheckGlsBoundedRecord(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckCountedData(pRecord, 24, 28, 1);
}

static int CheckLinkedUfis(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckCountedData(pRecord, 8, 12, 8);
}

static int CheckNamedEscape(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckTwoSizes(pRecord, 12, 20);
}

static int CheckIcmProfile(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckTwoSizes(pRecord, 12, 20);
}

static int CheckColorMatch(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    return CheckTwoSizes(pRecord, 16, 24);
}

/* The closing record's palette: nPalEntries at 8, their offset at 12. */
static int CheckEof(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    ULONGLONG ullEntries = GetDword(pRecord, 8);
    if (ullEntries == 0)
        return EMF_RECORD_OK;
    return InRecord(pRecord, GetDword(pRecord, 12), ullEntries * 4) ? EMF_RECORD_OK : EMF_RECORD_OUTSIDE;
}

/* nVer at 24, nTri at 28, the mode at 32, the vertices at 36 (16 bytes
 * each), then triangles of three or rectangles of two vertex indexes, every
 * one of them below nVer (the platform looks the vertices up by them).
 * Each shape is painted pixel by pixel over its extent, which costs the
 * printer driver about a tenth of a second for a page-sized one. */
static int CheckGradientFill(const EmfRecord *pRecord, const EmfCheckState *pState, EmfBudget *pCost)
{
    ULONGLONG ullVertices = GetDword(pRecord, 24);
    ULONGLONG ullShapes = GetDword(pRecord, 28);
    DWORD dwMode = GetDword(pRecord, 32);
    if (dwMode > GRADIENT_FILL_TRIANGLE)
        return EMF_RECORD_BAD_VALUE;
    DWORD nIndexes = dwMode == GRADIENT_FILL_TRIANGLE ? 3 : 2;
    ULONGLONG ullShapesAt = 36 + ullVertices * 16;
    if (!InRecord(pRecord, ullShapesAt, ullShapes * nIndexes * 4))
        return EMF_RECORD_OUTSIDE;
    for (ULONGLONG i = 0; i < ullShapes * nIndexes; i++) {
        if (GetDword(pRecord, (DWORD)(ullShapesAt + i * 4)) >= ullVertices)
            return EMF_RECORD_OUTSIDE;
    }
    pCost->ullGradients += ullShapes;
    return EMF_RECORD_OK;
}

/* ---- the rules of every type ------------------------------------------- */

/* Indexed by record type. Types no player draws (0, 69, 107, 117, a header
 * after the first record) are read by nobody beyond their size: { 8, NULL }. */
static const EmfRule s_aRules[EMF_LAST_TYPE + 1] = {
    { 8, NULL },                          /* 0 */
    { 8, NULL },                          /* HEADER: checked apart when first, ignored elsewhere */
    { 28, CheckPoints32 },                /* POLYBEZIER */
    { 28, CheckPoints32 },                /* POLYGON */
    { 28, CheckPoints32 },                /* POLYLINE */
    { 28, CheckPoints32 },                /* POLYBEZIERTO */
    { 28, CheckPoints32 },                /* POLYLINETO */
    { 32, CheckPolyPoly32 },              /* POLYPOLYLINE */
    { 32, CheckPolyPoly32 },              /* POLYPOLYGON */
    { 16, NULL },                         /* SETWINDOWEXTEX */
    { 16, NULL },                         /* SETWINDOWORGEX */
    { 16, NULL },                         /* SETVIEWPORTEXTEX */
    { 16, NULL },                         /* SETVIEWPORTORGEX */
    { 16, NULL },                         /* SETBRUSHORGEX */
    { 20, CheckEof },                     /* EOF */
    { 20, NULL },                         /* SETPIXELV */
    { 12, NULL },                         /* SETMAPPERFLAGS */
    { 12, NULL },                         /* SETMAPMODE */
    { 12, NULL },                         /* SETBKMODE */
    { 12, NULL },                         /* SETPOLYFILLMODE */
    { 12, NULL },                         /* SETROP2 */
    { 12, NULL },                         /* SETSTRETCHBLTMODE */
    { 12, NULL },                         /* SETTEXTALIGN */
    { 32, NULL },                         /* SETCOLORADJUSTMENT */
    { 12, NULL },                         /* SETTEXTCOLOR */
    { 12, NULL },                         /* SETBKCOLOR */
    { 16, NULL },                         /* OFFSETCLIPRGN */
    { 16, NULL },                         /* MOVETOEX */
    { 8, NULL },                          /* SETMETARGN */
    { 24, NULL },                         /* EXCLUDECLIPRECT */
    { 24, NULL },                         /* INTERSECTCLIPRECT */
    { 24, NULL },                         /* SCALEVIEWPORTEXTEX */
    { 24, NULL },                         /* SCALEWINDOWEXTEX */
    { 8, NULL },                          /* SAVEDC */
    { 12, CheckRestoreDC },               /* RESTOREDC */
    { 32, NULL },                         /* SETWORLDTRANSFORM */
    { 36, NULL },                         /* MODIFYWORLDTRANSFORM */
    { 12, CheckSelectObject },            /* SELECTOBJECT */
    { 28, CheckCreateObject },            /* CREATEPEN */
    { 24, CheckCreateObject },            /* CREATEBRUSHINDIRECT */
    { 12, CheckTableObject },             /* DELETEOBJECT */
    { 28, NULL },                         /* ANGLEARC */
    { 24, NULL },                         /* ELLIPSE */
    { 24, NULL },                         /* RECTANGLE */
    { 32, NULL },                         /* ROUNDRECT */
    { 40, NULL },                         /* ARC */
    { 40, NULL },                         /* CHORD */
    { 40, NULL },                         /* PIE */
    { 12, CheckSelectObject },            /* SELECTPALETTE */
    { 16, CheckCreatePalette },           /* CREATEPALETTE */
    { 20, CheckSetPaletteEntries },       /* SETPALETTEENTRIES */
    { 16, CheckResizePalette },           /* RESIZEPALETTE */
    { 8, NULL },                          /* REALIZEPALETTE */
    { 24, NULL },                         /* EXTFLOODFILL */
    { 16, NULL },                         /* LINETO */
    { 40, NULL },                         /* ARCTO */
    { 28, CheckPolyDraw32 },              /* POLYDRAW */
    { 12, NULL },                         /* SETARCDIRECTION */
    { 12, NULL },                         /* SETMITERLIMIT */
    { 8, NULL },                          /* BEGINPATH */
    { 8, NULL },                          /* ENDPATH */
    { 8, NULL },                          /* CLOSEFIGURE */
    { 24, NULL },                         /* FILLPATH */
    { 24, NULL },                         /* STROKEANDFILLPATH */
    { 24, NULL },                         /* STROKEPATH */
    { 8, NULL },                          /* FLATTENPATH */
    { 8, NULL },                          /* WIDENPATH */
    { 12, NULL },                         /* SELECTCLIPPATH */
    { 8, NULL },                          /* ABORTPATH */
    { 8, NULL },                          /* 69 */
    { 12, CheckComment },                 /* GDICOMMENT */
    { 32, CheckFillRgn },                 /* FILLRGN */
    { 40, CheckFrameRgn },                /* FRAMERGN */
    { 28, CheckPaintRgn },                /* INVERTRGN */
    { 28, CheckPaintRgn },                /* PAINTRGN */
    { 16, CheckSelectClipRgn },           /* EXTSELECTCLIPRGN */
    { 100, CheckBitBlt },                 /* BITBLT */
    { 108, CheckBitBlt },                 /* STRETCHBLT */
    { 128, CheckMaskBlt },                /* MASKBLT */
    { 140, CheckPlgBlt },                 /* PLGBLT */
    { 76, CheckSetDIBitsToDevice },       /* SETDIBITSTODEVICE */
    { 80, CheckStretchDIBits },           /* STRETCHDIBITS */
    { 104, CheckCreateObject },           /* EXTCREATEFONTINDIRECTW: the face name is copied with the rest */
    { 76, CheckExtTextOutA },             /* EXTTEXTOUTA */
    { 76, CheckExtTextOutW },             /* EXTTEXTOUTW */
    { 28, CheckPoints16 },                /* POLYBEZIER16 */
    { 28, CheckPoints16 },                /* POLYGON16 */
    { 28, CheckPoints16 },                /* POLYLINE16 */
    { 28, CheckPoints16 },                /* POLYBEZIERTO16 */
    { 28, CheckPoints16 },                /* POLYLINETO16 */
    { 32, CheckPolyPoly16 },              /* POLYPOLYLINE16 */
    { 32, CheckPolyPoly16 },              /* POLYPOLYGON16 */
    { 28, CheckPolyDraw16 },              /* POLYDRAW16 */
    { 32, CheckMonoBrush },               /* CREATEMONOBRUSH */
    { 32, CheckDibBrush },                /* CREATEDIBPATTERNBRUSHPT */
    { 52, CheckExtCreatePen },            /* EXTCREATEPEN */
    { 40, CheckPolyTextOutA },            /* POLYTEXTOUTA */
    { 40, CheckPolyTextOutW },            /* POLYTEXTOUTW */
    { 12, NULL },                         /* SETICMMODE */
    { 340, CheckCreateObject },           /* CREATECOLORSPACE */
    { 12, CheckTableObject },             /* SETCOLORSPACE */
    { 12, CheckTableObject },             /* DELETECOLORSPACE */
    { 12, CheckGlsRecord },               /* GLSRECORD */
    { 28, CheckGlsBoundedRecord },        /* GLSBOUNDEDRECORD */
    { 48, NULL },                         /* PIXELFORMAT */
    { 16, CheckEscape },                  /* DRAWESCAPE */
    { 16, CheckEscape },                  /* EXTESCAPE */
    { 8, NULL },                          /* 107 */
    { 36, CheckSmallTextOut },            /* SMALLTEXTOUT */
    { 16, NULL },                         /* FORCEUFIMAPPING */
    { 20, CheckNamedEscape },             /* NAMEDESCAPE */
    { 24, CheckTableObject },             /* COLORCORRECTPALETTE */
    { 20, CheckIcmProfile },              /* SETICMPROFILEA */
    { 20, CheckIcmProfile },              /* SETICMPROFILEW */
    { 108, CheckAlphaBlend },             /* ALPHABLEND */
    { 12, NULL },                         /* SETLAYOUT */
    { 108, CheckBitBlt },                 /* TRANSPARENTBLT */
    { 8, NULL },                          /* 117 */
    { 36, CheckGradientFill },            /* GRADIENTFILL */
    { 12, CheckLinkedUfis },              /* SETLINKEDUFIS */
    { 16, NULL },                         /* SETTEXTJUSTIFICATION */
    { 24, CheckColorMatch },              /* COLORMATCHTOPROFILEW */
    { 608, CheckCreateColorSpaceW },      /* CREATECOLORSPACEW */
};

/* ---- the whole metafile ------------------------------------------------- */

static BOOL ReadRecord(const BYTE *pRecord, DWORD cbRoom, EmfRecord *pView)
{
    if (!pRecord || cbRoom < 8)
        return FALSE;
    pView->pData = pRecord;
    pView->cbRoom = cbRoom;
    memcpy(&pView->dwType, pRecord, sizeof(DWORD));
    memcpy(&pView->cbRecord, pRecord + 4, sizeof(DWORD));
    return pView->cbRecord >= 8 && pView->cbRecord <= cbRoom;
}

/* The header: the player reads its 88 base bytes (the frame and device
 * sizes that scale the page, nBytes, and nHandles, which sizes its handle
 * table; the table's entry 0 is always written, so 0 handles would write
 * past it). The description (nDescription characters at offDescription)
 * and the pixel format (cbPixelFormat bytes at offPixelFormat, fields 88 to
 * 100) are read by the functions that report them. Those extension fields
 * exist only when the header is large enough and the description does not
 * start inside them: pages of real applications put the description right
 * after the 88 base bytes. The record count is read by no player. */
int CheckMetaFileHeader(const BYTE *pMetaFile, DWORD cbMetaFile)
{
    EmfRecord stHeader;
    if (!ReadRecord(pMetaFile, cbMetaFile, &stHeader) || stHeader.dwType != EMR_HEADER ||
        stHeader.cbRecord < EMF_HEADER_MIN_SIZE || GetWord(pMetaFile + 56) == 0)
        return EMF_RECORD_BAD_HEADER;
    ULONGLONG ullDescription = GetDword(&stHeader, 60);
    DWORD dwOffDescription = GetDword(&stHeader, 64);
    if (ullDescription != 0 && !InRecord(&stHeader, dwOffDescription, ullDescription * 2))
        return EMF_RECORD_OUTSIDE;
    BOOL bPixelFormat = stHeader.cbRecord >= EMF_HEADER_PIXFMT_END &&
                        (ullDescription == 0 || dwOffDescription >= EMF_HEADER_PIXFMT_END);
    if (bPixelFormat && GetDword(&stHeader, 88) != 0 &&
        !InRecord(&stHeader, GetDword(&stHeader, 92), GetDword(&stHeader, 88)))
        return EMF_RECORD_OUTSIDE;
    return EMF_RECORD_OK;
}

void BeginRecordChecks(const BYTE *pMetaFile, EmfCheckState *pState)
{
    memset(pState, 0, sizeof(*pState));
    pState->nHandles = GetWord(pMetaFile + 56);
}

/* TRUE when the page's costs so far and pCost stay within the bounds. */
static BOOL WithinPageBounds(const EmfBudget *pSpent, const EmfBudget *pCost)
{
    return pSpent->ullPixels + pCost->ullPixels <= EMF_MAX_PAGE_PIXELS &&
           pSpent->ullRegionRects + pCost->ullRegionRects <= EMF_MAX_PAGE_REGION_RECTS &&
           pSpent->ullGradients + pCost->ullGradients <= EMF_MAX_PAGE_GRADIENTS;
}

int CheckMetaFileRecord(const BYTE *pRecord, DWORD cbRoom, EmfCheckState *pState)
{
    EmfRecord stRecord;
    if (!pState || !ReadRecord(pRecord, cbRoom, &stRecord))
        return EMF_RECORD_OUTSIDE;
    const EmfRule *pRule = stRecord.dwType <= EMF_LAST_TYPE ? &s_aRules[stRecord.dwType] : NULL;
    if (!pRule)
        return EMF_RECORD_OK;
    if (stRecord.cbRecord < pRule->cbFixed)
        return EMF_RECORD_TOO_SHORT;
    EmfBudget stCost;
    memset(&stCost, 0, sizeof(stCost));
    int nResult = pRule->pfnCheck ? pRule->pfnCheck(&stRecord, pState, &stCost) : EMF_RECORD_OK;
    if (nResult != EMF_RECORD_OK)
        return nResult;
    if (!WithinPageBounds(&pState->stSpent, &stCost))
        return EMF_RECORD_TOO_COSTLY;
    pState->stSpent.ullPixels += stCost.ullPixels;
    pState->stSpent.ullRegionRects += stCost.ullRegionRects;
    pState->stSpent.ullGradients += stCost.ullGradients;
    return EMF_RECORD_OK;
}

static void SetFault(EmfFault *pFault, int nReason, DWORD dwType, DWORD dwOffset)
{
    if (pFault) {
        pFault->nReason = nReason;
        pFault->dwType = dwType;
        pFault->dwOffset = dwOffset;
    }
}

DWORD CheckMetaFileRecords(const BYTE *pMetaFile, DWORD cbMetaFile, EmfFault *pFirst)
{
    SetFault(pFirst, EMF_RECORD_OK, 0, 0);
    EmfRecord stRecord;
    if (!ReadRecord(pMetaFile, cbMetaFile, &stRecord))
        return 0;
    EmfCheckState stState;
    BeginRecordChecks(pMetaFile, &stState);
    DWORD nLeftOut = 0;
    for (DWORD dwOffset = stRecord.cbRecord; dwOffset < cbMetaFile; dwOffset += stRecord.cbRecord) {
        if (!ReadRecord(pMetaFile + dwOffset, cbMetaFile - dwOffset, &stRecord))
            break;
        int nResult = CheckMetaFileRecord(stRecord.pData, stRecord.cbRoom, &stState);
        if (nResult != EMF_RECORD_OK && nLeftOut++ == 0)
            SetFault(pFirst, nResult, stRecord.dwType, dwOffset);
    }
    return nLeftOut;
}

DWORD GetAlphaBlendSectionSize(const BYTE *pRecord)
{
    EmfRecord stRecord;
    if (!ReadRecord(pRecord, MAXDWORD, &stRecord) || stRecord.dwType != EMR_ALPHABLEND ||
        stRecord.cbRecord < s_aRules[EMR_ALPHABLEND].cbFixed)
        return 0;
    DWORD dwOffBmi = GetDword(&stRecord, s_stBlitSource.dwOffBmi);
    DibShape stDib;
    if (dwOffBmi == 0 || !ReadDibShape(&stRecord, dwOffBmi, DIB_RGB_COLORS, &stDib) || !stDib.bUsable)
        return 0;
    return (DWORD)stDib.cbImage;
}

const char *GetEmfFaultText(int nReason)
{
    switch (nReason) {
    case EMF_RECORD_OK:
        return "is sound";
    case EMF_RECORD_TOO_SHORT:
        return "is too short for its type";
    case EMF_RECORD_OUTSIDE:
        return "points outside itself";
    case EMF_RECORD_BAD_BITMAP:
        return "holds an unusable bitmap";
    case EMF_RECORD_BAD_HANDLE:
        return "uses an object handle outside the handle table";
    case EMF_RECORD_BAD_HEADER:
        return "is not a usable metafile header";
    case EMF_RECORD_BAD_REGION:
        return "holds an unusable region";
    case EMF_RECORD_BAD_GLYPHS:
        return "draws glyphs its font does not have";
    case EMF_RECORD_BAD_VALUE:
        return "holds a value the player mishandles";
    case EMF_RECORD_TOO_COSTLY:
        return "would cost more than a page may";
    case EMF_RECORD_FAR_OFF:
        return "draws an area the device cannot hold";
    default:
        return "is refused";
    }
}
