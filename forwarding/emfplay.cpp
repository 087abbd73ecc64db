/*
 * The checking player. EnumEnhMetaFile hands every record of the metafile's
 * own copy to the callback in order, with the handle table the player
 * keeps; the callback checks the record and plays it with
 * PlayEnhMetaFileRecord, which is what PlayEnhMetaFile does for every
 * record.
 */
#include "forwarding/emfplay.h"
#include "forwarding/emfprinter.h"

#include <cmath>
#include <cstring>

#define FONT_TABLE_MAXP     0x7078616D /* 'maxp': its numGlyphs at offset 4 */
#define EMF_TEXT_SIZE       40         /* EMRTEXT */
#define EMF_NBYTES_OFFSET   48         /* ENHMETAHEADER.nBytes */
#define ALPHABLEND_CBBITS   96         /* EMRALPHABLEND.cbBitsSrc */
#define DEVICE_LIMIT        134217728.0 /* 2^27 device units: far off any page, far from 32-bit overflow */

/* What the playing callback keeps. */
typedef struct PlayState {
    const BYTE   *pFirstRecord; /* the header, to tell record offsets */
    DWORD         cbMetaFile;
    BOOL          bPrinter;          /* playing on a printer */
    BOOL          bGradientPictures; /* the printer takes gradients as pictures */
    EmfCheckState stChecks;
    EmfPlayReport stReport;
} PlayState;

static DWORD ReadDword(const BYTE *p)
{
    DWORD dw = 0;
    memcpy(&dw, p, sizeof(dw));
    return dw;
}

static WORD ReadWord(const BYTE *p)
{
    WORD w = 0;
    memcpy(&w, p, sizeof(w));
    return w;
}

/* The number of glyphs of the font selected into hdc; 0 when the font has
 * no glyph table to tell. */
static DWORD GetFontGlyphCount(HDC hdc)
{
    BYTE abCount[2] = { 0, 0 };
    if (GetFontData(hdc, FONT_TABLE_MAXP, 4, abCount, sizeof(abCount)) != sizeof(abCount))
        return 0;
    return ((DWORD)abCount[0] << 8) | abCount[1];
}

/* Whether the glyph-index string of the EMRTEXT at pText lies below
 * nGlyphs. The record checks have placed the string inside the record. */
static BOOL TextGlyphsFit(const BYTE *pRecord, const BYTE *pText, DWORD nGlyphs)
{
    DWORD nChars = ReadDword(pText + 8);
    const BYTE *pString = pRecord + ReadDword(pText + 12);
    for (DWORD i = 0; i < nChars; i++) {
        if (ReadWord(pString + i * 2) >= nGlyphs)
            return FALSE;
    }
    return TRUE;
}

/* Whether a text record's glyph indexes fit the font now selected: Wine's
 * PostScript driver reads glyph outlines by index without a bound. */
static BOOL RecordGlyphsFit(HDC hdc, const BYTE *pRecord, DWORD dwType)
{
    DWORD dwFirst = 36, nTexts = 1;
    if (dwType == EMR_POLYTEXTOUTA || dwType == EMR_POLYTEXTOUTW) {
        dwFirst = 40;
        nTexts = ReadDword(pRecord + 36);
    } else if (dwType != EMR_EXTTEXTOUTA && dwType != EMR_EXTTEXTOUTW) {
        return TRUE;
    }
    DWORD nGlyphs = MAXDWORD;
    for (DWORD i = 0; i < nTexts; i++) {
        const BYTE *pText = pRecord + dwFirst + i * EMF_TEXT_SIZE;
        if (!(ReadDword(pText + 16) & ETO_GLYPH_INDEX))
            continue;
        if (nGlyphs == MAXDWORD)
            nGlyphs = GetFontGlyphCount(hdc);
        if (!TextGlyphsFit(pRecord, pText, nGlyphs))
            return FALSE;
    }
    return TRUE;
}

/* A point as the platform maps it to the device: transformed and rounded;
 * FALSE when it lands past DEVICE_LIMIT (or the transform is not a number). */
static BOOL MapPoint(const XFORM *pXform, double x, double y, double *pdX, double *pdY)
{
    *pdX = floor(pXform->eM11 * x + pXform->eM21 * y + pXform->eDx + 0.5);
    *pdY = floor(pXform->eM12 * x + pXform->eM22 * y + pXform->eDy + 0.5);
    return fabs(*pdX) <= DEVICE_LIMIT && fabs(*pdY) <= DEVICE_LIMIT;
}

/* The width and height on the device of the rectangle from (x0, y0) to
 * (x1, y1), from its two corners as the platform maps them; FALSE when a
 * corner lands past DEVICE_LIMIT. */
static BOOL MapArea(const XFORM *pXform, double x0, double y0, double x1, double y1, double *pdWidth,
                    double *pdHeight)
{
    double dX0, dY0, dX1, dY1;
    if (!MapPoint(pXform, x0, y0, &dX0, &dY0) || !MapPoint(pXform, x1, y1, &dX1, &dY1))
        return FALSE;
    *pdWidth = fabs(dX1 - dX0);
    *pdHeight = fabs(dY1 - dY0);
    return TRUE;
}

/* Whether the rectangle from (x0, y0) to (x1, y1) keeps a width and a height
 * on the device under pXform, and under the identity that the platform uses
 * when it refuses pXform. The platform's blits map these two corners and
 * divide by the width and height of the source they get. */
static BOOL AreaKeepsSize(const XFORM *pXform, double x0, double y0, double x1, double y1)
{
    static const XFORM s_stIdentity = { 1, 0, 0, 1, 0, 0 };
    const XFORM *apUsed[2] = { pXform, &s_stIdentity };
    for (int i = 0; i < 2; i++) {
        double dWidth, dHeight;
        if (!MapArea(apUsed[i], x0, y0, x1, y1, &dWidth, &dHeight) || dWidth == 0 || dHeight == 0)
            return FALSE;
    }
    return TRUE;
}

static double Coordinate(const BYTE *pRecord, DWORD dwOffset)
{
    return (double)(LONG)ReadDword(pRecord + dwOffset);
}

/* MASKBLT and PLGBLT. The platform draws both with MaskBlt, which first
 * blits the destination area from the device into a bitmap of the blit's
 * size, and the source area from a DC with the record's xformSrc; each of
 * those areas must keep a size on its device, or the blit divides by zero
 * or writes outside its bitmap (measured). MASKBLT's destination is mapped
 * by the page's transform, which the player keeps as the DC's world
 * transform; PLGBLT's by the transform from the source rectangle to the
 * parallelogram followed by xformSrc, in place of the page's. */
static BOOL MaskBltKeepsSize(HDC hdc, const BYTE *pRecord, DWORD dwType)
{
    XFORM stSource;
    if (dwType == EMR_MASKBLT) {
        XFORM stDevice = { 1, 0, 0, 1, 0, 0 };
        GetWorldTransform(hdc, &stDevice);
        memcpy(&stSource, pRecord + 52, sizeof(stSource));
        double x = Coordinate(pRecord, 24), y = Coordinate(pRecord, 28);
        double w = Coordinate(pRecord, 32), h = Coordinate(pRecord, 36);
        double xSrc = Coordinate(pRecord, 44), ySrc = Coordinate(pRecord, 48);
        return AreaKeepsSize(&stDevice, x, y, x + w, y + h) && AreaKeepsSize(&stSource, xSrc, ySrc, xSrc + w, ySrc + h);
    }
    memcpy(&stSource, pRecord + 64, sizeof(stSource));
    double x0 = Coordinate(pRecord, 24), y0 = Coordinate(pRecord, 28);
    double x3 = Coordinate(pRecord, 32) + Coordinate(pRecord, 40) - x0;
    double y3 = Coordinate(pRecord, 36) + Coordinate(pRecord, 44) - y0;
    double xSrc = Coordinate(pRecord, 48), ySrc = Coordinate(pRecord, 52);
    double w = Coordinate(pRecord, 56), h = Coordinate(pRecord, 60);
    return AreaKeepsSize(&stSource, x0, y0, x3, y3) && AreaKeepsSize(&stSource, xSrc, ySrc, xSrc + w, ySrc + h);
}

/* An alpha blend is computed by the platform pixel by pixel over its whole
 * destination on the device, before clipping to the page: its time and
 * memory grow with that area, and past 2^31 bytes of it the platform
 * writes outside its buffer (measured). Its device pixels are charged to
 * the page. */
static BOOL AlphaBlendAffordable(HDC hdc, const BYTE *pRecord, EmfBudget *pSpent)
{
    XFORM stDevice = { 1, 0, 0, 1, 0, 0 };
    GetWorldTransform(hdc, &stDevice);
    double x = Coordinate(pRecord, 24), y = Coordinate(pRecord, 28), dWidth, dHeight;
    if (!MapArea(&stDevice, x, y, x + Coordinate(pRecord, 32), y + Coordinate(pRecord, 36), &dWidth, &dHeight))
        return FALSE;
    double dPixels = dWidth * dHeight;
    if (dPixels > EMF_MAX_DEVICE_PIXELS || pSpent->ullDevicePixels + dPixels > EMF_MAX_PAGE_DEVICE_PIXELS)
        return FALSE;
    pSpent->ullDevicePixels += (ULONGLONG)dPixels;
    return TRUE;
}

/* The checks that only playing can make: glyphs against the font, what
 * MaskBlt's areas become on the device, and an alpha blend's size there. */
static int CheckWhilePlaying(HDC hdc, const BYTE *pRecord, DWORD dwType, EmfBudget *pSpent)
{
    if (!RecordGlyphsFit(hdc, pRecord, dwType))
        return EMF_RECORD_BAD_GLYPHS;
    if ((dwType == EMR_MASKBLT || dwType == EMR_PLGBLT) && !MaskBltKeepsSize(hdc, pRecord, dwType))
        return EMF_RECORD_FAR_OFF;
    if (dwType == EMR_ALPHABLEND && !AlphaBlendAffordable(hdc, pRecord, pSpent))
        return EMF_RECORD_TOO_COSTLY;
    return EMF_RECORD_OK;
}

/* Plays an alpha blend; one whose cbBitsSrc is larger than the bitmap the
 * player copies them into is played from a copy with cbBitsSrc cut. */
static BOOL PlayAlphaBlend(HDC hdc, HANDLETABLE *pHandles, const ENHMETARECORD *pEmr, UINT nHandles)
{
    DWORD cbSection = GetAlphaBlendSectionSize((const BYTE *)pEmr);
    if (cbSection == 0 || ReadDword((const BYTE *)pEmr + ALPHABLEND_CBBITS) <= cbSection)
        return PlayEnhMetaFileRecord(hdc, pHandles, pEmr, nHandles);
    BYTE *pCopy = (BYTE *)HeapAlloc(GetProcessHeap(), 0, pEmr->nSize);
    if (!pCopy)
        return FALSE;
    memcpy(pCopy, pEmr, pEmr->nSize);
    memcpy(pCopy + ALPHABLEND_CBBITS, &cbSection, sizeof(cbSection));
    BOOL bPlayed = PlayEnhMetaFileRecord(hdc, pHandles, (const ENHMETARECORD *)pCopy, nHandles);
    HeapFree(GetProcessHeap(), 0, pCopy);
    return bPlayed;
}

/* Counts a record left out, keeping the first. */
static void NoteLeftOut(PlayState *pState, int nReason, DWORD dwType, DWORD dwOffset)
{
    if (pState->stReport.nLeftOut++ == 0) {
        pState->stReport.stFirst.nReason = nReason;
        pState->stReport.stFirst.dwType = dwType;
        pState->stReport.stFirst.dwOffset = dwOffset;
    }
}

/* A pattern brush on a printer, its pattern widened to 8 pixels a side
 * when it is a small 1-bit one. */
static BOOL PlayPatternBrush(HDC hdc, HANDLETABLE *pHandles, const ENHMETARECORD *pEmr, UINT nHandles)
{
    BYTE *pWide = WidenSmallPattern((const BYTE *)pEmr);
    if (!pWide)
        return PlayEnhMetaFileRecord(hdc, pHandles, pEmr, nHandles);
    BOOL bPlayed = PlayEnhMetaFileRecord(hdc, pHandles, (const ENHMETARECORD *)pWide, nHandles);
    HeapFree(GetProcessHeap(), 0, pWide);
    return bPlayed;
}

/* A gradient on a printer that takes it as a picture, whose pixels are
 * charged to the page; left out when they would pass its bounds. */
static BOOL PlayGradient(HDC hdc, PlayState *pState, const BYTE *pRecord, DWORD dwOffset)
{
    EmfBudget *pSpent = &pState->stChecks.stSpent;
    ULONGLONG cLeft = EMF_MAX_PAGE_DEVICE_PIXELS - pSpent->ullDevicePixels, cPixels = 0;
    if (!PlayGradientAsPicture(hdc, pRecord, cLeft < EMF_MAX_DEVICE_PIXELS ? cLeft : EMF_MAX_DEVICE_PIXELS, &cPixels))
        NoteLeftOut(pState, EMF_RECORD_TOO_COSTLY, EMR_GRADIENTFILL, dwOffset);
    else
        pSpent->ullDevicePixels += cPixels;
    return TRUE;
}

static int CALLBACK PlayCheckedRecord(HDC hdc, HANDLETABLE *pHandles, const ENHMETARECORD *pEmr, int nHandles,
                                      LPARAM lParam)
{
    PlayState *pState = (PlayState *)lParam;
    const BYTE *pRecord = (const BYTE *)pEmr;
    if (!pState->pFirstRecord) {
        /* The header, checked with the page before the metafile was built. */
        pState->pFirstRecord = pRecord;
        pState->cbMetaFile = ReadDword(pRecord + EMF_NBYTES_OFFSET);
        BeginRecordChecks(pRecord, &pState->stChecks);
        return PlayEnhMetaFileRecord(hdc, pHandles, pEmr, (UINT)nHandles);
    }
    DWORD dwOffset = (DWORD)(pRecord - pState->pFirstRecord);
    int nReason = CheckMetaFileRecord(pRecord, pState->cbMetaFile - dwOffset, &pState->stChecks);
    if (nReason == EMF_RECORD_OK)
        nReason = CheckWhilePlaying(hdc, pRecord, pEmr->iType, &pState->stChecks.stSpent);
    if (nReason != EMF_RECORD_OK) {
        NoteLeftOut(pState, nReason, pEmr->iType, dwOffset);
        return TRUE;
    }
    if (pEmr->iType == EMR_ALPHABLEND)
        return PlayAlphaBlend(hdc, pHandles, pEmr, (UINT)nHandles);
    if (pEmr->iType == EMR_GRADIENTFILL && pState->bGradientPictures)
        return PlayGradient(hdc, pState, pRecord, dwOffset);
    if ((pEmr->iType == EMR_CREATEMONOBRUSH || pEmr->iType == EMR_CREATEDIBPATTERNBRUSHPT) && pState->bPrinter)
        return PlayPatternBrush(hdc, pHandles, pEmr, (UINT)nHandles);
    return PlayEnhMetaFileRecord(hdc, pHandles, pEmr, (UINT)nHandles);
}

BOOL PlayCheckedMetaFile(HDC hdc, HENHMETAFILE hMetaFile, const RECT *prcPage, EmfPlayReport *pReport)
{
    PlayState stState;
    memset(&stState, 0, sizeof(stState));
    stState.bPrinter = hdc && GetDeviceCaps(hdc, TECHNOLOGY) == DT_RASPRINTER;
    stState.bGradientPictures = stState.bPrinter && PrinterNeedsGradientPicture(hdc);
    BOOL bPlayed = EnumEnhMetaFile(hdc, hMetaFile, PlayCheckedRecord, &stState, prcPage);
    if (pReport)
        *pReport = stState.stReport;
    return bPlayed;
}
