#include "stamping/watermark.h"
#include "stamping/imageload.h"
#include "stamping/stamps.h"
#include "settings/devmode.h"
#include "settings/selectors.h"

namespace {

/* Converted bitmaps larger than this are refused (StretchDIBits and
 * biSizeImage count in 32 bits). */
const ULONGLONG kMaxConvertedBytes = 0x7FFFFF00;
/* Tiling paints at most about this many tiles across and down; smaller
 * pictures are replicated into a larger tile first. */
const ULONGLONG kMaxTilesPerSide = 8;

ULONGLONG RowBytes(ULONGLONG nBitsPerPixel, ULONGLONG nWidth)
{
    return ((nBitsPerPixel * nWidth + 31) / 32) * 4;
}

bool IsKnownDepth(UINT nBits)
{
    return nBits == 1 || nBits == 4 || nBits == 8 || nBits == 16 || nBits == 24 || nBits == 32;
}

int ClampToInt(float f)
{
    if (f >= 2147483520.0f)
        return 0x7FFFFF80;
    if (f <= 0.0f)
        return 0;
    return static_cast<int>(f);
}

BYTE LiftByte(BYTE bValue, float fLift)
{
    float f = static_cast<float>(bValue) + fLift;
    return f >= 255.0f ? 255 : static_cast<BYTE>(f);
}

void LiftRow24(const BYTE *pSrc, BYTE *pDst, LONG nWidth, float fLift)
{
    for (LONG i = 0; i < nWidth * 3; i++)
        pDst[i] = LiftByte(pSrc[i], fLift);
}

/* Indices past the colour table count as black, as GDI draws them. */
void LiftRow8(const BYTE *pSrc, const RGBQUAD *pTable, DWORD nColors, BYTE *pDst, LONG nWidth,
              float fLift)
{
    for (LONG x = 0; x < nWidth; x++) {
        RGBQUAD q = {0, 0, 0, 0};
        if (pSrc[x] < nColors)
            q = pTable[pSrc[x]];
        pDst[x * 3 + 0] = LiftByte(q.rgbBlue, fLift);
        pDst[x * 3 + 1] = LiftByte(q.rgbGreen, fLift);
        pDst[x * 3 + 2] = LiftByte(q.rgbRed, fLift);
    }
}

/* Paper (an entry whose red is 255) keeps its colour; ink becomes grey. */
void LiftRow1(const BYTE *pSrc, const RGBQUAD *pTable, BYTE *pDst, LONG nWidth, BYTE bInk)
{
    for (LONG x = 0; x < nWidth; x++) {
        int nBit = (pSrc[x / 8] >> (7 - (x % 8))) & 1;
        const RGBQUAD &q = pTable[nBit];
        bool bPaper = q.rgbRed == 255;
        pDst[x * 3 + 0] = bPaper ? q.rgbBlue : bInk;
        pDst[x * 3 + 1] = bPaper ? q.rgbGreen : bInk;
        pDst[x * 3 + 2] = bPaper ? q.rgbRed : bInk;
    }
}

void FillConvertedHeader(BITMAPINFOHEADER *pOut, const BITMAPINFOHEADER &src, DWORD cbImage)
{
    pOut->biSize = sizeof(BITMAPINFOHEADER);
    pOut->biWidth = src.biWidth;
    pOut->biHeight = src.biHeight;
    pOut->biPlanes = 1;
    pOut->biBitCount = 24;
    pOut->biCompression = BI_RGB;
    pOut->biSizeImage = cbImage;
    pOut->biXPelsPerMeter = src.biXPelsPerMeter;
    pOut->biYPelsPerMeter = src.biYPelsPerMeter;
    pOut->biClrUsed = 0;
    pOut->biClrImportant = 0;
}

void ConvertRows(const BYTE *pSource, const WatermarkDibLayout &layout, BYTE *pOutPixels,
                 float fLift)
{
    const RGBQUAD *pTable = reinterpret_cast<const RGBQUAD *>(pSource + sizeof(BITMAPINFOHEADER));
    const BYTE *pSrcPixels = pSource + layout.cbPixelOffset;
    SIZE_T cbOutRow = static_cast<SIZE_T>(RowBytes(24, layout.nWidth));
    float fInk = fLift >= 255.0f ? 255.0f : fLift;
    BYTE bInk = static_cast<BYTE>(fInk);
    for (LONG y = 0; y < layout.nHeight; y++) {
        const BYTE *pSrc = pSrcPixels + layout.cbSourceRow * y;
        BYTE *pDst = pOutPixels + cbOutRow * y;
        if (layout.nBitsPerPixel == 24)
            LiftRow24(pSrc, pDst, layout.nWidth, fLift);
        else if (layout.nBitsPerPixel == 8)
            LiftRow8(pSrc, pTable, layout.nColors, pDst, layout.nWidth, fLift);
        else if (layout.nBitsPerPixel == 1)
            LiftRow1(pSrc, pTable, pDst, layout.nWidth, bInk);
    }
}

HGLOBAL ConvertLockedSource(const BYTE *pSource, const WatermarkDibLayout &layout, float fLift)
{
    DWORD cbImage = static_cast<DWORD>(RowBytes(24, layout.nWidth) * layout.nHeight);
    HGLOBAL hOut = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + cbImage);
    if (hOut == NULL)
        return NULL;
    BYTE *pOut = static_cast<BYTE *>(GlobalLock(hOut));
    if (pOut == NULL) {
        GlobalFree(hOut);
        return NULL;
    }
    BITMAPINFOHEADER src;
    CopyMemory(&src, pSource, sizeof(src));
    FillConvertedHeader(reinterpret_cast<BITMAPINFOHEADER *>(pOut), src, cbImage);
    ConvertRows(pSource, layout, pOut + sizeof(BITMAPINFOHEADER), fLift);
    GlobalUnlock(hOut);
    return hOut;
}

/* A 24-bit packed DIB holding the picture repeated nAcross x nDown times,
 * the picture's top row at the top of every repeat. */
HGLOBAL ReplicateTile(const BYTE *pDib, const WatermarkDibLayout &layout, LONG nAcross, LONG nDown)
{
    LONG nWidth = layout.nWidth * nAcross, nHeight = layout.nHeight * nDown;
    SIZE_T cbRow = static_cast<SIZE_T>(RowBytes(24, nWidth));
    HGLOBAL hTile = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + cbRow * nHeight);
    BYTE *pTile = hTile != NULL ? static_cast<BYTE *>(GlobalLock(hTile)) : NULL;
    if (pTile == NULL) {
        if (hTile != NULL)
            GlobalFree(hTile);
        return NULL;
    }
    BITMAPINFOHEADER header;
    CopyMemory(&header, pDib, sizeof(header));
    header.biWidth = nWidth;
    header.biHeight = nHeight;
    FillConvertedHeader(reinterpret_cast<BITMAPINFOHEADER *>(pTile), header, static_cast<DWORD>(cbRow * nHeight));
    for (LONG s = 0; s < nHeight; s++) {
        LONG nFromTop = (nHeight - 1 - s) % layout.nHeight;
        const BYTE *pSrc = pDib + layout.cbPixelOffset + layout.cbSourceRow * (layout.nHeight - 1 - nFromTop);
        BYTE *pDst = pTile + sizeof(BITMAPINFOHEADER) + cbRow * s;
        for (LONG i = 0; i < nAcross; i++)
            CopyMemory(pDst + static_cast<SIZE_T>(i) * layout.nWidth * 3, pSrc, static_cast<SIZE_T>(layout.nWidth) * 3);
    }
    GlobalUnlock(hTile);
    return hTile;
}

/* The source rectangle counts rows from the picture's top; StretchDIBits
 * counts them from the bottom row of a bottom-up DIB. */
void PaintAt(HDC hdc, const BYTE *pDib, const WatermarkDibLayout &layout, const WatermarkRect &r)
{
    int ySrcFromBottom = layout.nHeight - r.ySrc - r.cySrc;
    StretchDIBits(hdc, r.xDest, r.yDest, r.cxDest, r.cyDest, r.xSrc, ySrcFromBottom, r.cxSrc, r.cySrc,
                  pDib + layout.cbPixelOffset, reinterpret_cast<const BITMAPINFO *>(pDib),
                  DIB_RGB_COLORS, SRCCOPY);
}

void PaintTiles(HDC hdc, const BYTE *pDib, const WatermarkDibLayout &layout, DWORD cxPage, DWORD cyPage)
{
    ULONGLONG nAcross = cxPage == 0 ? 1 : (cxPage + static_cast<ULONGLONG>(layout.nWidth) - 1) / layout.nWidth;
    ULONGLONG nDown = (cyPage + static_cast<ULONGLONG>(layout.nHeight) - 1) / layout.nHeight;
    for (ULONGLONG r = 0; r < nDown; r++) {
        for (ULONGLONG c = 0; c < nAcross; c++) {
            WatermarkRect rect = {static_cast<int>(c * layout.nWidth), static_cast<int>(r * layout.nHeight),
                                  layout.nWidth, layout.nHeight, 0, 0, layout.nWidth, layout.nHeight};
            PaintAt(hdc, pDib, layout, rect);
        }
    }
}

/* Tiles the page; a picture that would need more than kMaxTilesPerSide
 * tiles across or down is first replicated into a larger tile. */
void PrintTiled(HDC hdc, const BYTE *pDib, const WatermarkDibLayout &layout, DWORD cxPage, DWORD cyPage)
{
    if (cyPage == 0)
        return;
    ULONGLONG nAcross = (cxPage + static_cast<ULONGLONG>(layout.nWidth) - 1) / layout.nWidth;
    ULONGLONG nDown = (cyPage + static_cast<ULONGLONG>(layout.nHeight) - 1) / layout.nHeight;
    LONG nRepeatX = static_cast<LONG>((nAcross + kMaxTilesPerSide - 1) / kMaxTilesPerSide);
    LONG nRepeatY = static_cast<LONG>((nDown + kMaxTilesPerSide - 1) / kMaxTilesPerSide);
    if (nRepeatX <= 1 && nRepeatY <= 1) {
        PaintTiles(hdc, pDib, layout, cxPage, cyPage);
        return;
    }
    nRepeatX = nRepeatX < 1 ? 1 : nRepeatX;
    nRepeatY = nRepeatY < 1 ? 1 : nRepeatY;
    HGLOBAL hTile = ReplicateTile(pDib, layout, nRepeatX, nRepeatY);
    const BYTE *pTile = hTile != NULL ? static_cast<const BYTE *>(GlobalLock(hTile)) : NULL;
    WatermarkDibLayout tileLayout;
    if (pTile != NULL && GetWatermarkDibLayout(pTile, GlobalSize(hTile), &tileLayout))
        PaintTiles(hdc, pTile, tileLayout, cxPage, cyPage);
    if (pTile != NULL)
        GlobalUnlock(hTile);
    if (hTile != NULL)
        GlobalFree(hTile);
}

/* What one page gets: the picture file, its brightness and placement. */
struct WatermarkChoice {
    WCHAR szImage[MAX_PATH];
    DWORD dwBrightness;
    int nPlacement;
};

/* The first-page picture of the orientation; FALSE when its file name
 * cannot be read from the profile nor from the printer's "Watermark" key. */
BOOL ReadFirstPageChoice(const DriverDevMode *pDevMode, int nProfile, int bPortrait, WatermarkChoice *pChoice)
{
    DWORD cbImage = sizeof(pChoice->szImage);
    pChoice->szImage[0] = L'\0';
    if (!SelectFirstImage(pDevMode, nProfile, bPortrait, pChoice->szImage, &cbImage))
        return FALSE;
    pChoice->szImage[MAX_PATH - 1] = L'\0';
    pChoice->dwBrightness = SelectFirstImageBrightness(pDevMode, nProfile, bPortrait);
    pChoice->nPlacement = WatermarkPositionToPlacement(SelectFirstImagePosition(pDevMode, nProfile, bPortrait));
    return TRUE;
}

/* The picture of the orientation for every other page. */
void ReadPageChoice(const DriverDevMode *pDevMode, int nProfile, int bPortrait, WatermarkChoice *pChoice)
{
    const WCHAR *pszImage = bPortrait ? SelectWatermarkImagePortrait(pDevMode, nProfile)
                                      : SelectWatermarkImageLandscape(pDevMode, nProfile);
    lstrcpynW(pChoice->szImage, pszImage != NULL ? pszImage : L"", MAX_PATH);
    if (bPortrait) {
        pChoice->dwBrightness = SelectWatermarkBrightnessPortrait(pDevMode, nProfile);
        pChoice->nPlacement = WatermarkSwitchesToPlacement(SelectWatermarkPTile(pDevMode, nProfile),
                                                           SelectWatermarkPStretchToWidth(pDevMode, nProfile),
                                                           SelectWatermarkPStretchToFit(pDevMode, nProfile));
    } else {
        pChoice->dwBrightness = SelectWatermarkBrightnessLandscape(pDevMode, nProfile);
        pChoice->nPlacement = WatermarkSwitchesToPlacement(SelectWatermarkLTile(pDevMode, nProfile),
                                                           SelectWatermarkLStretchToWidth(pDevMode, nProfile),
                                                           SelectWatermarkLStretchToFit(pDevMode, nProfile));
    }
}

/* Loads, lightens and paints the chosen picture: 1 when painted, 2 when it
 * cannot be loaded or converted. */
int StampPicture(HDC hdc, const DriverDevMode *pDevMode, const WatermarkChoice &choice, ULONGLONG ptPageSize)
{
    HGLOBAL hPicture = LoadWatermarkIntoDIB(choice.szImage, pDevMode);
    HGLOBAL hLightened = ApplyWatermarkBrightness(hPicture, choice.dwBrightness);
    if (hPicture != NULL)
        GlobalFree(hPicture);
    if (hLightened == NULL)
        return 2;
    PrintWatermark(hdc, hLightened, choice.nPlacement, ptPageSize);
    GlobalFree(hLightened);
    return 1;
}

} // namespace

int AddWatermark(HDC hdc, const void *pDevMode, DWORD cbDevMode, DWORD dwPage, ULONGLONG ptPhysPageInPixels,
                 int nJobNumber)
{
    if (hdc == NULL || pDevMode == NULL || cbDevMode != DRIVER_DEVMODE_SIZE)
        return 0;
    DriverDevMode stWork;
    CopyMemory(&stWork, pDevMode, sizeof(stWork));
    int nProfile = nJobNumber;
    if (!SelectPrintWatermark(&stWork, nProfile))
        return 2;
    int bPortrait = DevMode_GetOrientation(&stWork) != DMORIENT_LANDSCAPE;
    WatermarkChoice choice;
    if (dwPage == 1 && SelectFirstImageEnabled(&stWork, nProfile)) {
        /* The first-page picture; first page only plays no part here. */
        if (!ReadFirstPageChoice(&stWork, nProfile, bPortrait, &choice))
            return 0;
    } else {
        if (dwPage != 1 && SelectWatermarkFirstPageOnly(&stWork, nProfile))
            return 2;
        ReadPageChoice(&stWork, nProfile, bPortrait, &choice);
    }
    return StampPicture(hdc, &stWork, choice, ptPhysPageInPixels);
}

BOOL GetWatermarkDibLayout(const BYTE *pDib, SIZE_T cbDib, WatermarkDibLayout *pLayout)
{
    if (pDib == NULL || pLayout == NULL || cbDib < sizeof(BITMAPINFOHEADER))
        return FALSE;
    BITMAPINFOHEADER h;
    CopyMemory(&h, pDib, sizeof(h));
    UINT nBits = h.biBitCount;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biHeight <= 0 || h.biPlanes != 1 ||
        !IsKnownDepth(nBits))
        return FALSE;
    bool bBitFields = h.biCompression == BI_BITFIELDS && (nBits == 16 || nBits == 32);
    if (h.biCompression != BI_RGB && !bBitFields)
        return FALSE;
    DWORD nColors = 0;
    if (nBits == 1)
        nColors = 2;
    else if (nBits == 8)
        nColors = h.biClrUsed == 0 ? 256 : h.biClrUsed;
    if (nColors > 256)
        return FALSE;
    ULONGLONG cbOffset = sizeof(BITMAPINFOHEADER) + nColors * sizeof(RGBQUAD);
    ULONGLONG cbRow = RowBytes(nBits, static_cast<ULONGLONG>(h.biWidth));
    if (cbOffset > cbDib || static_cast<ULONGLONG>(h.biHeight) > (cbDib - cbOffset) / cbRow)
        return FALSE;
    if (static_cast<ULONGLONG>(h.biHeight) > kMaxConvertedBytes / RowBytes(24, h.biWidth))
        return FALSE;
    pLayout->nWidth = h.biWidth;
    pLayout->nHeight = h.biHeight;
    pLayout->nBitsPerPixel = nBits;
    pLayout->nColors = nColors;
    pLayout->cbPixelOffset = static_cast<SIZE_T>(cbOffset);
    pLayout->cbSourceRow = static_cast<SIZE_T>(cbRow);
    return TRUE;
}

float GetWatermarkLift(DWORD dwBrightness)
{
    return static_cast<float>(dwBrightness) / 100.0f * 255.0f;
}

HGLOBAL ApplyWatermarkBrightness(HGLOBAL hSourceDib, DWORD dwBrightness)
{
    if (hSourceDib == NULL)
        return NULL;
    const BYTE *pSource = static_cast<const BYTE *>(GlobalLock(hSourceDib));
    if (pSource == NULL)
        return NULL;
    HGLOBAL hOut = NULL;
    WatermarkDibLayout layout;
    if (GetWatermarkDibLayout(pSource, GlobalSize(hSourceDib), &layout))
        hOut = ConvertLockedSource(pSource, layout, GetWatermarkLift(dwBrightness));
    GlobalUnlock(hSourceDib);
    return hOut;
}

BOOL GetWatermarkPlacementRect(int nPlacement, DWORD cxPage, DWORD cyPage, LONG cxPicture,
                               LONG cyPicture, WatermarkRect *pRect)
{
    if (pRect == NULL || cxPicture <= 0 || cyPicture <= 0)
        return FALSE;
    LONGLONG W = cxPage, H = cyPage, w = cxPicture, h = cyPicture;
    WatermarkRect r = {0, 0, 0, 0, 0, 0, cxPicture, cyPicture};
    if (nPlacement == WM_PLACE_STRETCH_TO_FIT) {
        r.cxDest = static_cast<int>(W > 0x7FFFFFFF ? 0x7FFFFFFF : W);
        r.cyDest = static_cast<int>(H > 0x7FFFFFFF ? 0x7FFFFFFF : H);
    } else if (nPlacement == WM_PLACE_STRETCH_TO_WIDTH) {
        float f = static_cast<float>(cxPage) / static_cast<float>(cxPicture);
        float fHeight = static_cast<float>(cyPicture) * f;
        r.cxDest = static_cast<int>(W > 0x7FFFFFFF ? 0x7FFFFFFF : W);
        r.cyDest = ClampToInt(fHeight);
        r.yDest = ClampToInt((static_cast<float>(cyPage) - fHeight) * 0.5f);
    } else if (nPlacement == WM_PLACE_CENTER) {
        r.xDest = static_cast<int>(w <= W ? (W - w) / 2 : 0);
        r.xSrc = static_cast<int>(w <= W ? 0 : (w - W) / 2);
        r.cxDest = r.cxSrc = static_cast<int>(w - r.xSrc);
        r.yDest = static_cast<int>(h <= H ? (H - h) / 2 : 0);
        r.ySrc = static_cast<int>(h <= H ? 0 : (h - H) / 2);
        r.cyDest = r.cySrc = static_cast<int>(h - r.ySrc);
    } else {
        return FALSE;
    }
    *pRect = r;
    return TRUE;
}

SIZE_T GetWatermarkTiles(DWORD cxPage, DWORD cyPage, LONG cxPicture, LONG cyPicture,
                         POINT *pCorners, SIZE_T cMax)
{
    if (cyPage == 0 || cxPicture <= 0 || cyPicture <= 0)
        return 0;
    /* x grows by the width and wraps once it reaches the page width, so a
     * row holds at least one tile even on a page of width 0. */
    ULONGLONG nAcross = cxPage == 0 ? 1 : (cxPage + static_cast<ULONGLONG>(cxPicture) - 1) / cxPicture;
    ULONGLONG nDown = (cyPage + static_cast<ULONGLONG>(cyPicture) - 1) / cyPicture;
    ULONGLONG nCount = nAcross * nDown;
    for (ULONGLONG i = 0; pCorners != NULL && i < cMax && i < nCount; i++) {
        pCorners[i].x = static_cast<LONG>((i % nAcross) * cxPicture);
        pCorners[i].y = static_cast<LONG>((i / nAcross) * cyPicture);
    }
    return static_cast<SIZE_T>(nCount);
}

int WatermarkPositionToPlacement(DWORD dwPosition)
{
    if (dwPosition == 1)
        return WM_PLACE_STRETCH_TO_FIT;
    if (dwPosition == 2)
        return WM_PLACE_STRETCH_TO_WIDTH;
    if (dwPosition == 8)
        return WM_PLACE_TILE;
    return WM_PLACE_CENTER;
}

int WatermarkSwitchesToPlacement(BOOL bTile, BOOL bStretchToWidth, BOOL bStretchToFit)
{
    if (bTile)
        return WM_PLACE_TILE;
    if (bStretchToWidth)
        return WM_PLACE_STRETCH_TO_WIDTH;
    if (bStretchToFit)
        return WM_PLACE_STRETCH_TO_FIT;
    return WM_PLACE_CENTER;
}

void PrintWatermark(HDC hdc, HGLOBAL hDib, int nPlacement, ULONGLONG ptPageSize)
{
    if (hdc == NULL || hDib == NULL)
        return;
    const BYTE *pDib = static_cast<const BYTE *>(GlobalLock(hDib));
    if (pDib == NULL)
        return;
    DWORD cxPage = static_cast<DWORD>(ptPageSize & 0xFFFFFFFF);
    DWORD cyPage = static_cast<DWORD>(ptPageSize >> 32);
    WatermarkDibLayout layout;
    WatermarkRect rect;
    if (GetWatermarkDibLayout(pDib, GlobalSize(hDib), &layout) && layout.nBitsPerPixel == 24) {
        if (nPlacement == WM_PLACE_TILE)
            PrintTiled(hdc, pDib, layout, cxPage, cyPage);
        else if (GetWatermarkPlacementRect(nPlacement, cxPage, cyPage, layout.nWidth, layout.nHeight, &rect))
            PaintAt(hdc, pDib, layout, rect);
    }
    GlobalUnlock(hDib);
}
