/*
 * Record checks of a spooled page's enhanced metafile. Every field that the
 * player uses to find data (an offset, a size, a count, a bitmap header, an
 * object handle index) is checked against the record and the header before
 * anything is played. Records are read at byte offsets with memcpy, so the
 * layout is independent of any compiler's structure packing; sums and
 * products are formed in 64 bits.
 */
#include "forwarding/emfcheck.h"

#include <climits>
#include <cstring>

#define EMF_LAST_TYPE        122         /* EMR_CREATECOLORSPACEW */
#define EMF_HEADER_MIN_SIZE  88          /* ENHMETAHEADER without its extensions */
#define EMF_STOCK_OBJECT     0x80000000u /* handle index of a stock object */
#define EMF_LAST_STOCK       19          /* DC_PEN */
#define EMF_RGN_HEADER_SIZE  32          /* RGNDATAHEADER */
#define EMF_TEXT_SIZE        40          /* EMRTEXT */
#define EMF_DIB_PAL_MONO     2           /* monochrome brush bits without a colour table */

/* One record as the checks see it. */
typedef struct EmfRecord {
    const BYTE *pData;
    DWORD       cbRecord;
    DWORD       dwType;
} EmfRecord;

/* What every record is checked against. */
typedef struct EmfContext {
    DWORD nHandles;
} EmfContext;

typedef int (*EmfCheckProc)(const EmfRecord *pRecord, const EmfContext *pContext);

/* A type's fixed part (0: a type the player has no rules for) and the check
 * of what the fixed part says about the rest. */
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

/* Bitmap requirements, combined with | . */
#define BITMAP_REQUIRED  0
#define BITMAP_OPTIONAL  1 /* absent when its offset and size are both 0 */
#define BITMAP_SECTION   2 /* copied into a bitmap of the header's own size */

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

/* ---- object handles ---------------------------------------------------- */

/* An index of the handle table that a record creates or deletes. */
static int CheckTableIndex(DWORD dwIndex, const EmfContext *pContext)
{
    return dwIndex >= 1 && dwIndex < pContext->nHandles ? EMF_RECORD_OK : EMF_RECORD_BAD_HANDLE;
}

/* An index that a record selects: a table index or a stock object. */
static int CheckSelectIndex(DWORD dwIndex, const EmfContext *pContext)
{
    if (dwIndex & EMF_STOCK_OBJECT)
        return (dwIndex & ~EMF_STOCK_OBJECT) <= EMF_LAST_STOCK ? EMF_RECORD_OK : EMF_RECORD_BAD_HANDLE;
    return CheckTableIndex(dwIndex, pContext);
}

static int CheckCreateObject(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckTableIndex(GetDword(pRecord, 8), pContext);
}

static int CheckSelectObject(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckSelectIndex(GetDword(pRecord, 8), pContext);
}

/* ---- points ------------------------------------------------------------- */

/* cptl at 24, then cptl points of cbPoint bytes (and one type byte each
 * for the poly-draw records). */
static int CheckPointList(const EmfRecord *pRecord, DWORD cbPerPoint)
{
    ULONGLONG ullPoints = GetDword(pRecord, 24);
    return InRecord(pRecord, 28, ullPoints * cbPerPoint) ? EMF_RECORD_OK : EMF_RECORD_OUTSIDE;
}

static int CheckPoints32(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckPointList(pRecord, 8);
}

static int CheckPoints16(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckPointList(pRecord, 4);
}

static int CheckPolyDraw32(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckPointList(pRecord, 8 + 1);
}

static int CheckPolyDraw16(const EmfRecord *pRecord, const EmfContext *pContext)
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

static int CheckPolyPoly32(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckPolyPoly(pRecord, 8);
}

static int CheckPolyPoly16(const EmfRecord *pRecord, const EmfContext *pContext)
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

static int CheckExtTextOutA(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckEmrText(pRecord, 36, 1, FALSE);
}

static int CheckExtTextOutW(const EmfRecord *pRecord, const EmfContext *pContext)
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

static int CheckPolyTextOutA(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckPolyTextOut(pRecord, 1);
}

static int CheckPolyTextOutW(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckPolyTextOut(pRecord, 2);
}

/* cChars at 16, options at 20; a clipping rectangle at 36 unless
 * ETO_NO_RECT, then the characters, one byte each with ETO_SMALL_CHARS. */
static int CheckSmallTextOut(const EmfRecord *pRecord, const EmfContext *pContext)
{
    ULONGLONG ullChars = GetDword(pRecord, 16);
    DWORD dwOptions = GetDword(pRecord, 20);
    DWORD dwText = (dwOptions & 0x100) ? 36 : 52;
    return InRecord(pRecord, dwText, ullChars * ((dwOptions & 0x200) ? 1 : 2)) ? EMF_RECORD_OK
                                                                                : EMF_RECORD_OUTSIDE;
}

/* The face name of a created font ends inside its 32 characters. */
static int CheckCreateFont(const EmfRecord *pRecord, const EmfContext *pContext)
{
    int nResult = CheckCreateObject(pRecord, pContext);
    if (nResult != EMF_RECORD_OK)
        return nResult;
    for (DWORD i = 0; i < LF_FACESIZE; i++) {
        if (GetWord(pRecord->pData + 40 + i * 2) == 0)
            return EMF_RECORD_OK;
    }
    return EMF_RECORD_OUTSIDE;
}

/* ---- bitmaps ------------------------------------------------------------ */

/* The bytes of pixel data a bitmap header asks for, at most dwMaxRows rows,
 * when the header is one the player can use safely: a BITMAPINFOHEADER or
 * later header inside cbBmi with its colour table, a positive width, a
 * height other than 0, one plane, a known depth and compression, at most
 * 256 colours. bSection: the bits are copied into a bitmap of the header's
 * own size, so they may not be compressed. FALSE for any other header. */
static BOOL GetDibImageSize(const BITMAPINFOHEADER *pHeader, DWORD cbBmi, DWORD dwUsage, BOOL bSection,
                            DWORD dwMaxRows, ULONGLONG *pullImage)
{
    WORD wBits = pHeader->biBitCount;
    DWORD dwCompression = pHeader->biCompression;
    if (pHeader->biSize < sizeof(BITMAPINFOHEADER) || pHeader->biSize > cbBmi || pHeader->biWidth <= 0 ||
        pHeader->biHeight == 0 || pHeader->biHeight == LONG_MIN || pHeader->biPlanes != 1)
        return FALSE;
    if (wBits != 1 && wBits != 4 && wBits != 8 && wBits != 16 && wBits != 24 && wBits != 32)
        return FALSE;
    if (dwUsage > DIB_PAL_COLORS && !(dwUsage == EMF_DIB_PAL_MONO && wBits == 1))
        return FALSE;
    BOOL bRle = (dwCompression == BI_RLE8 && wBits == 8) || (dwCompression == BI_RLE4 && wBits == 4);
    BOOL bMasks = dwCompression == BI_BITFIELDS && (wBits == 16 || wBits == 32);
    if ((dwCompression != BI_RGB && !bRle && !bMasks) || (bRle && (bSection || pHeader->biHeight < 0)))
        return FALSE;
    if (pHeader->biClrUsed > 256)
        return FALSE;
    ULONGLONG ullColors = pHeader->biClrUsed ? pHeader->biClrUsed : (wBits <= 8 ? 1u << wBits : 0);
    ULONGLONG cbEntry = dwUsage == DIB_RGB_COLORS ? sizeof(RGBQUAD) : dwUsage == DIB_PAL_COLORS ? sizeof(WORD) : 0;
    ULONGLONG cbTable = ullColors * cbEntry + ((bMasks && pHeader->biSize == sizeof(BITMAPINFOHEADER)) ? 12 : 0);
    if (pHeader->biSize + cbTable > cbBmi)
        return FALSE;
    if (bRle) {
        *pullImage = pHeader->biSizeImage;
        return pHeader->biSizeImage != 0;
    }
    ULONGLONG ullRows = pHeader->biHeight < 0 ? (ULONGLONG)-(LONGLONG)pHeader->biHeight : pHeader->biHeight;
    ULONGLONG ullStride = ((ULONGLONG)pHeader->biWidth * wBits + 31) / 32 * 4;
    *pullImage = ullStride * (ullRows < dwMaxRows ? ullRows : dwMaxRows);
    return TRUE;
}

/* One bitmap of a record: its header and bits inside the record, the header
 * usable, and bits enough for the rows the player reads (exactly enough for
 * BITMAP_SECTION). An optional bitmap is absent when its offset and size are
 * both 0. */
static int CheckRecordBitmap(const EmfRecord *pRecord, const EmfBitmapFields *pFields, int nKind, DWORD dwMaxRows)
{
    DWORD dwOffBmi = GetDword(pRecord, pFields->dwOffBmi);
    DWORD cbBmi = GetDword(pRecord, pFields->dwCbBmi);
    DWORD dwOffBits = GetDword(pRecord, pFields->dwOffBits);
    DWORD cbBits = GetDword(pRecord, pFields->dwCbBits);
    DWORD dwUsage = pFields->dwUsage == NO_FIELD ? DIB_RGB_COLORS : GetDword(pRecord, pFields->dwUsage);
    if ((nKind & BITMAP_OPTIONAL) && dwOffBmi == 0 && cbBmi == 0)
        return EMF_RECORD_OK;
    if (!InRecord(pRecord, dwOffBmi, cbBmi) || !InRecord(pRecord, dwOffBits, cbBits))
        return EMF_RECORD_OUTSIDE;
    if (cbBmi < sizeof(BITMAPINFOHEADER))
        return EMF_RECORD_BAD_BITMAP;
    BITMAPINFOHEADER stHeader;
    memcpy(&stHeader, pRecord->pData + dwOffBmi, sizeof(stHeader));
    ULONGLONG ullImage = 0;
    if (!GetDibImageSize(&stHeader, cbBmi, dwUsage, (nKind & BITMAP_SECTION) != 0, dwMaxRows, &ullImage) ||
        ullImage > cbBits || ((nKind & BITMAP_SECTION) && cbBits != ullImage))
        return EMF_RECORD_BAD_BITMAP;
    return EMF_RECORD_OK;
}

/* The source bitmap of the blit records, at the same place in each. */
static const EmfBitmapFields s_stBlitSource = { 80, 84, 88, 92, 96 };

static int CheckBitBlt(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckRecordBitmap(pRecord, &s_stBlitSource, BITMAP_OPTIONAL, MAXDWORD);
}

static int CheckAlphaBlend(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckRecordBitmap(pRecord, &s_stBlitSource, BITMAP_OPTIONAL | BITMAP_SECTION, MAXDWORD);
}

static int CheckMaskBlt(const EmfRecord *pRecord, const EmfContext *pContext)
{
    static const EmfBitmapFields stMask = { 108, 112, 116, 120, 124 };
    int nResult = CheckRecordBitmap(pRecord, &s_stBlitSource, BITMAP_REQUIRED, MAXDWORD);
    return nResult != EMF_RECORD_OK ? nResult : CheckRecordBitmap(pRecord, &stMask, BITMAP_REQUIRED, MAXDWORD);
}

static int CheckPlgBlt(const EmfRecord *pRecord, const EmfContext *pContext)
{
    static const EmfBitmapFields stSource = { 92, 96, 100, 104, 108 };
    static const EmfBitmapFields stMask = { 120, 124, 128, 132, 136 };
    int nResult = CheckRecordBitmap(pRecord, &stSource, BITMAP_REQUIRED, MAXDWORD);
    return nResult != EMF_RECORD_OK ? nResult : CheckRecordBitmap(pRecord, &stMask, BITMAP_REQUIRED, MAXDWORD);
}

/* The bits hold the cScans rows that are set. */
static int CheckSetDIBitsToDevice(const EmfRecord *pRecord, const EmfContext *pContext)
{
    static const EmfBitmapFields stSource = { 64, 48, 52, 56, 60 };
    return CheckRecordBitmap(pRecord, &stSource, BITMAP_REQUIRED, GetDword(pRecord, 72));
}

static int CheckStretchDIBits(const EmfRecord *pRecord, const EmfContext *pContext)
{
    static const EmfBitmapFields stSource = { 64, 48, 52, 56, 60 };
    return CheckRecordBitmap(pRecord, &stSource, BITMAP_REQUIRED, MAXDWORD);
}

static int CheckDibBrush(const EmfRecord *pRecord, const EmfContext *pContext)
{
    static const EmfBitmapFields stPattern = { 12, 16, 20, 24, 28 };
    int nResult = CheckCreateObject(pRecord, pContext);
    return nResult != EMF_RECORD_OK ? nResult : CheckRecordBitmap(pRecord, &stPattern, BITMAP_REQUIRED, MAXDWORD);
}

/* A pen: its style entries (count at 48, entries at 52) and the optional
 * pattern of a bitmap brush. */
static int CheckExtCreatePen(const EmfRecord *pRecord, const EmfContext *pContext)
{
    static const EmfBitmapFields stPattern = { NO_FIELD, 12, 16, 20, 24 };
    int nResult = CheckCreateObject(pRecord, pContext);
    if (nResult != EMF_RECORD_OK)
        return nResult;
    if (!InRecord(pRecord, 52, (ULONGLONG)GetDword(pRecord, 48) * 4))
        return EMF_RECORD_OUTSIDE;
    return CheckRecordBitmap(pRecord, &stPattern, BITMAP_OPTIONAL, MAXDWORD);
}

/* ---- regions ------------------------------------------------------------ */

/* Region data whose size is at dwCbField and which starts at dwData, the
 * end of the fixed part. Some players read it whenever the record has room
 * for a region header, whatever its size field says, so that room is
 * checked too. */
static int CheckRegionData(const EmfRecord *pRecord, DWORD dwCbField, DWORD dwData, BOOL bRequired)
{
    DWORD cbRegion = GetDword(pRecord, dwCbField);
    DWORD cbRoom = pRecord->cbRecord - dwData;
    if (cbRegion > cbRoom)
        return EMF_RECORD_OUTSIDE;
    DWORD cbUsed = cbRegion ? cbRegion : (cbRoom >= EMF_RGN_HEADER_SIZE ? cbRoom : 0);
    if (cbUsed == 0)
        return bRequired ? EMF_RECORD_BAD_REGION : EMF_RECORD_OK;
    if (cbUsed < EMF_RGN_HEADER_SIZE)
        return EMF_RECORD_BAD_REGION;
    DWORD dwHeaderSize = GetDword(pRecord, dwData);
    DWORD dwRegionType = GetDword(pRecord, dwData + 4);
    ULONGLONG ullRects = GetDword(pRecord, dwData + 8);
    if (dwHeaderSize != EMF_RGN_HEADER_SIZE || dwRegionType != RDH_RECTANGLES ||
        ullRects * sizeof(RECT) > cbUsed - EMF_RGN_HEADER_SIZE)
        return EMF_RECORD_BAD_REGION;
    return EMF_RECORD_OK;
}

/* Fill and frame take a brush of the handle table (no stock objects). */
static int CheckFillRgn(const EmfRecord *pRecord, const EmfContext *pContext)
{
    int nResult = CheckTableIndex(GetDword(pRecord, 28), pContext);
    return nResult != EMF_RECORD_OK ? nResult : CheckRegionData(pRecord, 24, 32, TRUE);
}

static int CheckFrameRgn(const EmfRecord *pRecord, const EmfContext *pContext)
{
    int nResult = CheckTableIndex(GetDword(pRecord, 28), pContext);
    return nResult != EMF_RECORD_OK ? nResult : CheckRegionData(pRecord, 24, 40, TRUE);
}

static int CheckPaintRgn(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckRegionData(pRecord, 24, 28, TRUE);
}

static int CheckSelectClipRgn(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckRegionData(pRecord, 8, 16, FALSE);
}

/* ---- palettes, colour spaces and other objects -------------------------- */

/* palNumEntries (16 bits) at 14, the entries at 16. */
static int CheckCreatePalette(const EmfRecord *pRecord, const EmfContext *pContext)
{
    int nResult = CheckCreateObject(pRecord, pContext);
    if (nResult != EMF_RECORD_OK)
        return nResult;
    return InRecord(pRecord, 16, (ULONGLONG)GetWord(pRecord->pData + 14) * 4) ? EMF_RECORD_OK : EMF_RECORD_OUTSIDE;
}

/* The palette at 8, cEntries at 16, the entries at 20. */
static int CheckSetPaletteEntries(const EmfRecord *pRecord, const EmfContext *pContext)
{
    int nResult = CheckTableIndex(GetDword(pRecord, 8), pContext);
    if (nResult != EMF_RECORD_OK)
        return nResult;
    return InRecord(pRecord, 20, (ULONGLONG)GetDword(pRecord, 16) * 4) ? EMF_RECORD_OK : EMF_RECORD_OUTSIDE;
}

/* Records that use or delete an object of the handle table at 8. */
static int CheckTableObject(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckTableIndex(GetDword(pRecord, 8), pContext);
}

/* A colour space with its profile data: cbData at 604, data at 608. */
static int CheckCreateColorSpaceW(const EmfRecord *pRecord, const EmfContext *pContext)
{
    int nResult = CheckCreateObject(pRecord, pContext);
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

static int CheckComment(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckCountedData(pRecord, 8, 12, 1);
}

static int CheckEscape(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckCountedData(pRecord, 12, 16, 1);
}

static int CheckGlsRecord(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckCountedData(pRecord, 8, 12, 1);
}

static int CheckGlsBoundedRecord(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckCountedData(pRecord, 24, 28, 1);
}

static int CheckLinkedUfis(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckCountedData(pRecord, 8, 12, 8);
}

static int CheckNamedEscape(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckTwoSizes(pRecord, 12, 20);
}

static int CheckIcmProfile(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckTwoSizes(pRecord, 12, 20);
}

static int CheckColorMatch(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return CheckTwoSizes(pRecord, 16, 24);
}

/* The closing record's palette: nPalEntries at 8, their offset at 12. */
static int CheckEof(const EmfRecord *pRecord, const EmfContext *pContext)
{
    ULONGLONG ullEntries = GetDword(pRecord, 8);
    if (ullEntries == 0)
        return EMF_RECORD_OK;
    return InRecord(pRecord, GetDword(pRecord, 12), ullEntries * 4) ? EMF_RECORD_OK : EMF_RECORD_OUTSIDE;
}

/* nVer at 24, nTri at 28, the mode at 32, the vertices at 36 (16 bytes
 * each), then triangles of three or rectangles of two vertex indexes, every
 * one of them below nVer. */
static int CheckGradientFill(const EmfRecord *pRecord, const EmfContext *pContext)
{
    ULONGLONG ullVertices = GetDword(pRecord, 24);
    ULONGLONG ullShapes = GetDword(pRecord, 28);
    DWORD dwMode = GetDword(pRecord, 32);
    if (dwMode > GRADIENT_FILL_TRIANGLE)
        return EMF_RECORD_OUTSIDE;
    DWORD nIndexes = dwMode == GRADIENT_FILL_TRIANGLE ? 3 : 2;
    ULONGLONG ullShapesAt = 36 + ullVertices * 16;
    if (!InRecord(pRecord, ullShapesAt, ullShapes * nIndexes * 4))
        return EMF_RECORD_OUTSIDE;
    for (ULONGLONG i = 0; i < ullShapes * nIndexes; i++) {
        if (GetDword(pRecord, (DWORD)(ullShapesAt + i * 4)) >= ullVertices)
            return EMF_RECORD_OUTSIDE;
    }
    return EMF_RECORD_OK;
}

/* A header anywhere but at the start. */
static int CheckLateHeader(const EmfRecord *pRecord, const EmfContext *pContext)
{
    return EMF_RECORD_BAD_HEADER;
}

/* ---- the rules of every type ------------------------------------------- */

/* Indexed by record type; types 0, 69, 107 and 117 are not used. */
static const EmfRule s_aRules[EMF_LAST_TYPE + 1] = {
    { 0, NULL },                          /* 0 */
    { EMF_HEADER_MIN_SIZE, CheckLateHeader }, /* HEADER: checked apart when first */
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
    { 12, NULL },                         /* RESTOREDC */
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
    { 16, CheckTableObject },             /* RESIZEPALETTE */
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
    { 0, NULL },                          /* 69 */
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
    { 104, CheckCreateFont },             /* EXTCREATEFONTINDIRECTW */
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
    { 32, CheckDibBrush },                /* CREATEMONOBRUSH */
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
    { 0, NULL },                          /* 107 */
    { 36, CheckSmallTextOut },            /* SMALLTEXTOUT */
    { 16, NULL },                         /* FORCEUFIMAPPING */
    { 20, CheckNamedEscape },             /* NAMEDESCAPE */
    { 24, CheckTableObject },             /* COLORCORRECTPALETTE */
    { 20, CheckIcmProfile },              /* SETICMPROFILEA */
    { 20, CheckIcmProfile },              /* SETICMPROFILEW */
    { 108, CheckAlphaBlend },             /* ALPHABLEND */
    { 12, NULL },                         /* SETLAYOUT */
    { 108, CheckBitBlt },                 /* TRANSPARENTBLT */
    { 0, NULL },                          /* 117 */
    { 36, CheckGradientFill },            /* GRADIENTFILL */
    { 12, CheckLinkedUfis },              /* SETLINKEDUFIS */
    { 16, NULL },                         /* SETTEXTJUSTIFICATION */
    { 24, CheckColorMatch },              /* COLORMATCHTOPROFILEW */
    { 608, CheckCreateColorSpaceW },      /* CREATECOLORSPACEW */
};

/* ---- the whole metafile ------------------------------------------------- */

/* The header: the first record, with the size, record count and handle
 * count that the player relies on, and its own description and pixel
 * format inside it. */
static int CheckHeader(const EmfRecord *pHeader, DWORD cbMetaFile, DWORD nRecords)
{
    if (pHeader->dwType != EMR_HEADER || pHeader->cbRecord < EMF_HEADER_MIN_SIZE)
        return EMF_RECORD_BAD_HEADER;
    if (GetDword(pHeader, 48) != cbMetaFile || GetDword(pHeader, 52) != nRecords ||
        GetWord(pHeader->pData + 56) == 0)
        return EMF_RECORD_BAD_HEADER;
    ULONGLONG ullDescription = GetDword(pHeader, 60);
    if (ullDescription != 0 && !InRecord(pHeader, GetDword(pHeader, 64), ullDescription * 2))
        return EMF_RECORD_OUTSIDE;
    if (pHeader->cbRecord >= 100 && GetDword(pHeader, 88) != 0 &&
        !InRecord(pHeader, GetDword(pHeader, 92), GetDword(pHeader, 88)))
        return EMF_RECORD_OUTSIDE;
    return EMF_RECORD_OK;
}

/* One record against the rules of its type. */
static int CheckRecord(const EmfRecord *pRecord, const EmfContext *pContext)
{
    const EmfRule *pRule = pRecord->dwType <= EMF_LAST_TYPE ? &s_aRules[pRecord->dwType] : NULL;
    if (!pRule || pRule->cbFixed == 0)
        return EMF_RECORD_UNKNOWN_TYPE;
    if (pRecord->cbRecord < pRule->cbFixed)
        return EMF_RECORD_TOO_SHORT;
    return pRule->pfnCheck ? pRule->pfnCheck(pRecord, pContext) : EMF_RECORD_OK;
}

/* The record at dwOffset; FALSE when the chain is broken there. */
static BOOL GetRecordAt(const BYTE *pMetaFile, DWORD cbMetaFile, DWORD dwOffset, EmfRecord *pRecord)
{
    if (cbMetaFile - dwOffset < 8)
        return FALSE;
    pRecord->pData = pMetaFile + dwOffset;
    memcpy(&pRecord->dwType, pRecord->pData, sizeof(DWORD));
    memcpy(&pRecord->cbRecord, pRecord->pData + 4, sizeof(DWORD));
    return pRecord->cbRecord >= 8 && (pRecord->cbRecord & 3) == 0 && pRecord->cbRecord <= cbMetaFile - dwOffset;
}

static int SetFault(EmfFault *pFault, int nReason, const EmfRecord *pRecord, DWORD dwOffset)
{
    if (pFault) {
        pFault->nReason = nReason;
        pFault->dwType = pRecord ? pRecord->dwType : 0;
        pFault->dwOffset = dwOffset;
    }
    return nReason;
}

int CheckMetaFileRecords(const BYTE *pMetaFile, DWORD cbMetaFile, EmfFault *pFault)
{
    EmfRecord stRecord;
    DWORD nRecords = 0;
    for (DWORD dwOffset = 0; dwOffset < cbMetaFile; dwOffset += stRecord.cbRecord, nRecords++) {
        if (!GetRecordAt(pMetaFile, cbMetaFile, dwOffset, &stRecord))
            return SetFault(pFault, EMF_RECORD_OUTSIDE, NULL, dwOffset);
    }
    if (!pMetaFile || !GetRecordAt(pMetaFile, cbMetaFile, 0, &stRecord))
        return SetFault(pFault, EMF_RECORD_BAD_HEADER, NULL, 0);
    int nResult = CheckHeader(&stRecord, cbMetaFile, nRecords);
    if (nResult != EMF_RECORD_OK)
        return SetFault(pFault, nResult, &stRecord, 0);
    EmfContext stContext = { GetWord(pMetaFile + 56) };
    for (DWORD dwOffset = stRecord.cbRecord; dwOffset < cbMetaFile; dwOffset += stRecord.cbRecord) {
        GetRecordAt(pMetaFile, cbMetaFile, dwOffset, &stRecord);
        nResult = CheckRecord(&stRecord, &stContext);
        if (nResult != EMF_RECORD_OK)
            return SetFault(pFault, nResult, &stRecord, dwOffset);
    }
    return SetFault(pFault, EMF_RECORD_OK, NULL, 0);
}

const char *GetEmfFaultText(int nReason)
{
    switch (nReason) {
    case EMF_RECORD_OK:
        return "is sound";
    case EMF_RECORD_UNKNOWN_TYPE:
        return "is of an unknown type";
    case EMF_RECORD_TOO_SHORT:
        return "is too short for its type";
    case EMF_RECORD_OUTSIDE:
        return "points outside itself";
    case EMF_RECORD_BAD_BITMAP:
        return "holds an unusable bitmap";
    case EMF_RECORD_BAD_HANDLE:
        return "uses an object handle outside the handle table";
    case EMF_RECORD_BAD_HEADER:
        return "does not match the metafile's records";
    case EMF_RECORD_BAD_REGION:
        return "holds an unusable region";
    case EMF_RECORD_BAD_GLYPHS:
        return "draws glyphs its font does not have";
    default:
        return "is refused";
    }
}

/* ---- playing ------------------------------------------------------------ */

#define FONT_TABLE_MAXP 0x7078616D /* 'maxp': its numGlyphs at offset 4 */

/* What the playing callback keeps. */
typedef struct PlayState {
    const BYTE *pFirstRecord; /* the header, to tell record offsets */
    EmfFault    stSkipped;
} PlayState;

/* The number of glyphs of the font selected into hdc; 0 when the font has
 * no glyph table to tell. */
static DWORD GetFontGlyphCount(HDC hdc)
{
    BYTE abCount[2] = { 0, 0 };
    if (GetFontData(hdc, FONT_TABLE_MAXP, 4, abCount, sizeof(abCount)) != sizeof(abCount))
        return 0;
    return ((DWORD)abCount[0] << 8) | abCount[1];
}

/* Whether the glyph-index strings of one EMRTEXT at dwText lie below
 * nGlyphs; strings of characters pass. */
static BOOL TextGlyphsFit(const EmfRecord *pRecord, DWORD dwText, DWORD nGlyphs)
{
    DWORD nChars = GetDword(pRecord, dwText + 8);
    DWORD dwOffString = GetDword(pRecord, dwText + 12);
    if (!(GetDword(pRecord, dwText + 16) & ETO_GLYPH_INDEX))
        return TRUE;
    for (DWORD i = 0; i < nChars; i++) {
        if (GetWord(pRecord->pData + dwOffString + i * 2) >= nGlyphs)
            return FALSE;
    }
    return TRUE;
}

/* Whether a text record's glyph indexes fit the font now selected. */
static BOOL RecordGlyphsFit(HDC hdc, const EmfRecord *pRecord)
{
    DWORD dwFirst = 36, nTexts = 1;
    if (pRecord->dwType == EMR_POLYTEXTOUTA || pRecord->dwType == EMR_POLYTEXTOUTW) {
        dwFirst = 40;
        nTexts = GetDword(pRecord, 36);
    } else if (pRecord->dwType != EMR_EXTTEXTOUTA && pRecord->dwType != EMR_EXTTEXTOUTW) {
        return TRUE;
    }
    DWORD nGlyphs = MAXDWORD;
    for (DWORD i = 0; i < nTexts; i++) {
        if (!(GetDword(pRecord, dwFirst + i * EMF_TEXT_SIZE + 16) & ETO_GLYPH_INDEX))
            continue;
        if (nGlyphs == MAXDWORD)
            nGlyphs = GetFontGlyphCount(hdc);
        if (!TextGlyphsFit(pRecord, dwFirst + i * EMF_TEXT_SIZE, nGlyphs))
            return FALSE;
    }
    return TRUE;
}

static int CALLBACK PlayCheckedRecord(HDC hdc, HANDLETABLE *pHandles, const ENHMETARECORD *pEmr, int nHandles,
                                      LPARAM lParam)
{
    PlayState *pState = (PlayState *)lParam;
    EmfRecord stRecord = { (const BYTE *)pEmr, pEmr->nSize, pEmr->iType };
    if (!pState->pFirstRecord)
        pState->pFirstRecord = stRecord.pData;
    if (!RecordGlyphsFit(hdc, &stRecord)) {
        if (pState->stSkipped.nReason == EMF_RECORD_OK)
            SetFault(&pState->stSkipped, EMF_RECORD_BAD_GLYPHS, &stRecord,
                     (DWORD)(stRecord.pData - pState->pFirstRecord));
        return TRUE;
    }
    return PlayEnhMetaFileRecord(hdc, pHandles, pEmr, (UINT)nHandles);
}

BOOL PlayCheckedMetaFile(HDC hdc, HENHMETAFILE hMetaFile, const RECT *prcPage, EmfFault *pSkipped)
{
    PlayState stState;
    memset(&stState, 0, sizeof(stState));
    BOOL bPlayed = EnumEnhMetaFile(hdc, hMetaFile, PlayCheckedRecord, &stState, prcPage);
    if (pSkipped)
        *pSkipped = stState.stSkipped;
    return bPlayed;
}
