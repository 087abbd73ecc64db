/*
 * The watermark stamp: the picture that the job's settings choose for a page
 * is loaded, lightened into a 24-bit packed DIB and painted before the page
 * content, stretched, centred or tiled. The lightened picture is kept for the
 * job and painted again on every page, copy and printer while its settings
 * and file stay the same.
 */
#include "stamping/watermark.h"
#include "stamping/imageload.h"
#include "stamping/stampcommon.h"
#include "stamping/stamps.h"
#include "settings/devmode.h"
#include "settings/selectors.h"

#include <string.h>

/* Converted bitmaps larger than this are refused (StretchDIBits and
 * biSizeImage count in 32 bits). */
#define WM_MAX_CONVERTED_BYTES ((ULONGLONG)0x7FFFFF00)
/* Rows of a picture that the platform decodes are drawn a strip of about
 * this many bytes at a time. */
#define WM_DECODE_STRIP_BYTES ((SIZE_T)4 << 20)
/* Tiling paints at most about this many tiles across and down; smaller
 * pictures are replicated into a larger tile first. */
#define WM_MAX_TILES_PER_SIDE ((ULONGLONG)8)

/* What one page gets: the picture file, its brightness and placement. */
typedef struct WatermarkChoice {
    WCHAR szImage[MAX_PATH];
    DWORD dwBrightness;
    int nPlacement;
} WatermarkChoice;

/* Slots of the picture cache: the page picture and the first-page picture,
 * each per orientation. */
#define WM_CACHE_PORTRAIT        0
#define WM_CACHE_LANDSCAPE       1
#define WM_CACHE_FIRST_PORTRAIT  2
#define WM_CACHE_FIRST_LANDSCAPE 3
#define WM_CACHE_SLOTS           4

/* What a lightened picture was made from: the file with its size and last
 * write, the loader library its kind goes to (empty for bitmap files) and
 * the brightness. Zero-filled before it is set, so that two keys compare
 * with memcmp. */
typedef struct WatermarkPictureKey {
    WCHAR szImage[MAX_PATH];
    WCHAR szLibrary[DM_CCH_PATH];
    DWORD dwBrightness;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    FILETIME ftLastWrite;
} WatermarkPictureKey;

/* One cached picture; hLightened NULL when the slot is empty. */
typedef struct WatermarkCacheEntry {
    WatermarkPictureKey stKey;
    HGLOBAL hLightened;
} WatermarkCacheEntry;

/* The job's pictures, until ReleaseWatermarkCache (one thread only). */
static WatermarkCacheEntry s_aPictureCache[WM_CACHE_SLOTS];

/* ---- Conversion ------------------------------------------------------ */

/* Bytes of one DIB row of nWidth pixels, padded to a multiple of 4. */
static ULONGLONG RowBytes(ULONGLONG nBitsPerPixel, ULONGLONG nWidth)
{
    return ((nBitsPerPixel * nWidth + 31) / 32) * 4;
}

/* TRUE for the bit counts a DIB may have. */
static BOOL IsKnownDepth(UINT nBits)
{
    return nBits == 1 || nBits == 4 || nBits == 8 || nBits == 16 || nBits == 24 || nBits == 32;
}

/* A size in pixels from a float: 0 for none or less, at most 0x7FFFFF80. */
static int ClampToInt(float fValue)
{
    if (fValue >= 2147483520.0f)
        return 0x7FFFFF80;
    if (fValue <= 0.0f)
        return 0;
    return (int)fValue;
}

/* A page side as an int, capped at 0x7FFFFFFF. */
static int PageSideToInt(DWORD cPage)
{
    return cPage > 0x7FFFFFFF ? 0x7FFFFFFF : (int)cPage;
}

/* One colour component raised by the lift, capped at 255. */
static BYTE LiftByte(BYTE bValue, float fLift)
{
    float fSum = (float)bValue + fLift;
    return fSum >= 255.0f ? 255 : (BYTE)fSum;
}

/* Lifts every component of a 24-bit row. */
static void LiftRow24(const BYTE *pSrc, BYTE *pDst, LONG nWidth, float fLift)
{
    for (LONG i = 0; i < nWidth * 3; i++)
        pDst[i] = LiftByte(pSrc[i], fLift);
}

/* Lifts an 8-bit row through its colour table. Indices past the colour
 * table count as black, as GDI draws them. */
static void LiftRow8(const BYTE *pSrc, const RGBQUAD *pTable, DWORD nColors, BYTE *pDst, LONG nWidth,
                     float fLift)
{
    for (LONG x = 0; x < nWidth; x++) {
        RGBQUAD stEntry = { 0, 0, 0, 0 };
        if (pSrc[x] < nColors)
            stEntry = pTable[pSrc[x]];
        pDst[x * 3 + 0] = LiftByte(stEntry.rgbBlue, fLift);
        pDst[x * 3 + 1] = LiftByte(stEntry.rgbGreen, fLift);
        pDst[x * 3 + 2] = LiftByte(stEntry.rgbRed, fLift);
    }
}

/* Converts a 1-bit row: paper (an entry whose red is 255) keeps its colour;
 * ink becomes the grey bInk. */
static void LiftRow1(const BYTE *pSrc, const RGBQUAD *pTable, BYTE *pDst, LONG nWidth, BYTE bInk)
{
    for (LONG x = 0; x < nWidth; x++) {
        int nBit = (pSrc[x / 8] >> (7 - (x % 8))) & 1;
        const RGBQUAD *pEntry = &pTable[nBit];
        BOOL bPaper = pEntry->rgbRed == 255;
        pDst[x * 3 + 0] = bPaper ? pEntry->rgbBlue : bInk;
        pDst[x * 3 + 1] = bPaper ? pEntry->rgbGreen : bInk;
        pDst[x * 3 + 2] = bPaper ? pEntry->rgbRed : bInk;
    }
}

/* The header of a 24-bit bottom-up DIB of pSource's size and resolution
 * with cbImage bytes of pixels. */
static void FillConvertedHeader(BITMAPINFOHEADER *pOut, const BITMAPINFOHEADER *pSource, DWORD cbImage)
{
    pOut->biSize = sizeof(BITMAPINFOHEADER);
    pOut->biWidth = pSource->biWidth;
    pOut->biHeight = pSource->biHeight;
    pOut->biPlanes = 1;
    pOut->biBitCount = 24;
    pOut->biCompression = BI_RGB;
    pOut->biSizeImage = cbImage;
    pOut->biXPelsPerMeter = pSource->biXPelsPerMeter;
    pOut->biYPelsPerMeter = pSource->biYPelsPerMeter;
    pOut->biClrUsed = 0;
    pOut->biClrImportant = 0;
}

/* Converts every row of the plain source DIB into 24-bit rows at pOutPixels. */
static void ConvertRows(const BYTE *pSource, const WatermarkDibLayout *pLayout, BYTE *pOutPixels, float fLift)
{
    const RGBQUAD *pTable = (const RGBQUAD *)(pSource + sizeof(BITMAPINFOHEADER));
    const BYTE *pSrcPixels = pSource + pLayout->cbPixelOffset;
    SIZE_T cbOutRow = (SIZE_T)RowBytes(24, pLayout->nWidth);
    float fInk = fLift >= 255.0f ? 255.0f : fLift;
    BYTE bInk = (BYTE)fInk;
    for (LONG y = 0; y < pLayout->nHeight; y++) {
        const BYTE *pSrc = pSrcPixels + pLayout->cbSourceRow * y;
        BYTE *pDst = pOutPixels + cbOutRow * y;
        if (pLayout->nBitsPerPixel == 24)
            LiftRow24(pSrc, pDst, pLayout->nWidth, fLift);
        else if (pLayout->nBitsPerPixel == 8)
            LiftRow8(pSrc, pTable, pLayout->nColors, pDst, pLayout->nWidth, fLift);
        else if (pLayout->nBitsPerPixel == 1)
            LiftRow1(pSrc, pTable, pDst, pLayout->nWidth, bInk);
    }
}

/* A new movable, locked 24-bit packed DIB with the size and resolution of
 * pShape and its header filled; NULL when it cannot be had. */
static HGLOBAL NewConvertedDib(const BITMAPINFOHEADER *pShape, BYTE **ppOut)
{
    DWORD cbImage = (DWORD)(RowBytes(24, pShape->biWidth) * pShape->biHeight);
    HGLOBAL hOut = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + cbImage);
    *ppOut = hOut != NULL ? (BYTE *)GlobalLock(hOut) : NULL;
    if (*ppOut == NULL) {
        if (hOut != NULL)
            GlobalFree(hOut);
        return NULL;
    }
    FillConvertedHeader((BITMAPINFOHEADER *)*ppOut, pShape, cbImage);
    return hOut;
}

/* A new movable 24-bit packed DIB converted from the locked plain source;
 * NULL when the block cannot be had. */
static HGLOBAL ConvertLockedSource(const BYTE *pSource, const WatermarkDibLayout *pLayout, float fLift)
{
    BITMAPINFOHEADER stSource;
    CopyMemory(&stSource, pSource, sizeof(stSource));
    BYTE *pOut = NULL;
    HGLOBAL hOut = NewConvertedDib(&stSource, &pOut);
    if (hOut == NULL)
        return NULL;
    ConvertRows(pSource, pLayout, pOut + sizeof(BITMAPINFOHEADER), fLift);
    GlobalUnlock(hOut);
    return hOut;
}

/* ---- Conversion by the platform -------------------------------------- */

/* Takes a packed DIB that is not plain. Fills pShape with its width, its
 * number of rows (positive), its compression and its resolution (0 for a
 * core header), and gives TRUE with the offset of its pixels when it is a bitmap the platform
 * draws and the block holds its colour table and pixels (for RLE, the
 * biSizeImage bytes of its stream). */
static BOOL GetDecodableShape(const BYTE *pDib, SIZE_T cbDib, BITMAPINFOHEADER *pShape, SIZE_T *pcbPixelOffset)
{
    SIZE_T cbInfo = GetDibInfoBytes(pDib, cbDib);
    if (cbInfo == 0 || cbInfo > cbDib)
        return FALSE;
    BITMAPINFOHEADER stHeader;
    ZeroMemory(&stHeader, sizeof(stHeader));
    CopyMemory(&stHeader.biSize, pDib, sizeof(stHeader.biSize));
    if (stHeader.biSize != sizeof(BITMAPCOREHEADER)) {
        CopyMemory(&stHeader, pDib, sizeof(stHeader));
    } else {
        BITMAPCOREHEADER stCore;
        CopyMemory(&stCore, pDib, sizeof(stCore));
        stHeader.biWidth = stCore.bcWidth;
        stHeader.biHeight = stCore.bcHeight;
        stHeader.biPlanes = stCore.bcPlanes;
        stHeader.biBitCount = stCore.bcBitCount;
    }
    UINT nBits = stHeader.biBitCount;
    DWORD dwCompression = stHeader.biCompression;
    BOOL bBottomUp = stHeader.biHeight > 0;
    BOOL bKnown = (dwCompression == BI_RGB && IsKnownDepth(nBits))
                  || (dwCompression == BI_BITFIELDS && (nBits == 16 || nBits == 32))
                  || (dwCompression == BI_RLE8 && nBits == 8 && bBottomUp)
                  || (dwCompression == BI_RLE4 && nBits == 4 && bBottomUp);
    ULONGLONG nRows = bBottomUp ? (ULONGLONG)stHeader.biHeight : 0 - (ULONGLONG)(LONGLONG)stHeader.biHeight;
    if (!bKnown || stHeader.biPlanes != 1 || stHeader.biWidth <= 0 || nRows == 0
        || nRows > WM_MAX_CONVERTED_BYTES / RowBytes(24, stHeader.biWidth))
        return FALSE;
    SIZE_T cbPixels = cbDib - cbInfo;
    BOOL bRle = dwCompression == BI_RLE8 || dwCompression == BI_RLE4;
    if (bRle ? stHeader.biSizeImage == 0 || stHeader.biSizeImage > cbPixels
             : nRows > cbPixels / RowBytes(nBits, stHeader.biWidth))
        return FALSE;
    ZeroMemory(pShape, sizeof(*pShape));
    pShape->biWidth = stHeader.biWidth;
    pShape->biHeight = (LONG)nRows;
    pShape->biCompression = dwCompression;
    pShape->biXPelsPerMeter = stHeader.biXPelsPerMeter;
    pShape->biYPelsPerMeter = stHeader.biYPelsPerMeter;
    *pcbPixelOffset = cbInfo;
    return TRUE;
}

/* Has the platform draw the packed DIB pDib (pixels at pBits, shape pShape
 * from GetDecodableShape) onto white 24-bit strips of a memory DC, a few
 * megabytes at a time (RLE, which the platform expands whole for every
 * call, in one strip), and lifts each row into the bottom-up rows at
 * pOutPixels. Pixels that the bitmap leaves out (RLE skips) stay white.
 * FALSE when the DC or strip cannot be had or the platform refuses the
 * bitmap. */
static BOOL DecodeRows(const BYTE *pDib, const BYTE *pBits, const BITMAPINFOHEADER *pShape, BYTE *pOutPixels,
                       float fLift)
{
    LONG nWidth = pShape->biWidth, nRows = pShape->biHeight;
    SIZE_T cbRow = (SIZE_T)RowBytes(24, nWidth);
    SIZE_T nFit = WM_DECODE_STRIP_BYTES / cbRow;
    BOOL bRle = pShape->biCompression == BI_RLE8 || pShape->biCompression == BI_RLE4;
    LONG nStrip = bRle || nFit >= (SIZE_T)nRows ? nRows : nFit < 1 ? 1 : (LONG)nFit;
    BITMAPINFO stStrip;
    ZeroMemory(&stStrip, sizeof(stStrip));
    stStrip.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    stStrip.bmiHeader.biWidth = nWidth;
    stStrip.bmiHeader.biHeight = -nStrip;
    stStrip.bmiHeader.biPlanes = 1;
    stStrip.bmiHeader.biBitCount = 24;
    stStrip.bmiHeader.biCompression = BI_RGB;
    void *pvStrip = NULL;
    HDC hdc = CreateCompatibleDC(NULL);
    HBITMAP hStrip = hdc != NULL ? CreateDIBSection(hdc, &stStrip, DIB_RGB_COLORS, &pvStrip, NULL, 0) : NULL;
    HGDIOBJ hOld = hStrip != NULL ? SelectObject(hdc, hStrip) : NULL;
    BOOL bDrawn = hOld != NULL && pvStrip != NULL;
    for (LONG yTop = 0; bDrawn && yTop < nRows; yTop += nStrip) {
        BYTE *pStrip = (BYTE *)pvStrip;
        FillMemory(pStrip, cbRow * nStrip, 0xFF);
        bDrawn = SetDIBitsToDevice(hdc, 0, -yTop, nWidth, nRows, 0, 0, 0, nRows, pBits, (const BITMAPINFO *)pDib,
                                   DIB_RGB_COLORS) != 0;
        GdiFlush();
        for (LONG y = yTop; bDrawn && y < nRows && y < yTop + nStrip; y++)
            LiftRow24(pStrip + cbRow * (y - yTop), pOutPixels + cbRow * (nRows - 1 - y), nWidth, fLift);
    }
    if (hOld != NULL)
        SelectObject(hdc, hOld);
    if (hStrip != NULL)
        DeleteObject(hStrip);
    if (hdc != NULL)
        DeleteDC(hdc);
    return bDrawn;
}

/* A new movable 24-bit packed DIB decoded by the platform from the locked
 * source and lifted; NULL when the source is not a bitmap the platform
 * draws or memory cannot be had. */
static HGLOBAL DecodeLockedSource(const BYTE *pSource, SIZE_T cbSource, float fLift)
{
    BITMAPINFOHEADER stShape;
    SIZE_T cbPixelOffset = 0;
    if (!GetDecodableShape(pSource, cbSource, &stShape, &cbPixelOffset))
        return NULL;
    BYTE *pOut = NULL;
    HGLOBAL hOut = NewConvertedDib(&stShape, &pOut);
    if (hOut == NULL)
        return NULL;
    BOOL bDecoded = DecodeRows(pSource, pSource + cbPixelOffset, &stShape, pOut + sizeof(BITMAPINFOHEADER), fLift);
    GlobalUnlock(hOut);
    if (bDecoded)
        return hOut;
    GlobalFree(hOut);
    return NULL;
}

/* ---- Painting -------------------------------------------------------- */

/* A 24-bit packed DIB holding the picture repeated nAcross x nDown times,
 * the picture's top row at the top of every repeat. */
static HGLOBAL ReplicateTile(const BYTE *pDib, const WatermarkDibLayout *pLayout, LONG nAcross, LONG nDown)
{
    LONG nWidth = pLayout->nWidth * nAcross, nHeight = pLayout->nHeight * nDown;
    SIZE_T cbRow = (SIZE_T)RowBytes(24, nWidth);
    HGLOBAL hTile = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + cbRow * nHeight);
    BYTE *pTile = hTile != NULL ? (BYTE *)GlobalLock(hTile) : NULL;
    if (pTile == NULL) {
        if (hTile != NULL)
            GlobalFree(hTile);
        return NULL;
    }
    BITMAPINFOHEADER stHeader;
    CopyMemory(&stHeader, pDib, sizeof(stHeader));
    stHeader.biWidth = nWidth;
    stHeader.biHeight = nHeight;
    FillConvertedHeader((BITMAPINFOHEADER *)pTile, &stHeader, (DWORD)(cbRow * nHeight));
    for (LONG yRow = 0; yRow < nHeight; yRow++) {
        LONG nFromTop = (nHeight - 1 - yRow) % pLayout->nHeight;
        const BYTE *pSrc = pDib + pLayout->cbPixelOffset + pLayout->cbSourceRow * (pLayout->nHeight - 1 - nFromTop);
        BYTE *pDst = pTile + sizeof(BITMAPINFOHEADER) + cbRow * yRow;
        for (LONG i = 0; i < nAcross; i++)
            CopyMemory(pDst + (SIZE_T)i * pLayout->nWidth * 3, pSrc, (SIZE_T)pLayout->nWidth * 3);
    }
    GlobalUnlock(hTile);
    return hTile;
}

/* Paints the source rectangle of a 24-bit DIB into the destination one.
 * The rectangle counts rows from the picture's top; StretchDIBits counts
 * them from the bottom row of a bottom-up DIB. */
static void PaintAt(HDC hdc, const BYTE *pDib, const WatermarkDibLayout *pLayout, const WatermarkRect *pRect)
{
    int ySrcFromBottom = pLayout->nHeight - pRect->ySrc - pRect->cySrc;
    StretchDIBits(hdc, pRect->xDest, pRect->yDest, pRect->cxDest, pRect->cyDest, pRect->xSrc, ySrcFromBottom,
                  pRect->cxSrc, pRect->cySrc, pDib + pLayout->cbPixelOffset, (const BITMAPINFO *)pDib,
                  DIB_RGB_COLORS, SRCCOPY);
}

/* Paints the DIB at its own size in rows of tiles from the top left corner
 * until the page is covered. */
static void PaintTiles(HDC hdc, const BYTE *pDib, const WatermarkDibLayout *pLayout, DWORD cxPage, DWORD cyPage)
{
    ULONGLONG nAcross = cxPage == 0 ? 1 : (cxPage + (ULONGLONG)pLayout->nWidth - 1) / pLayout->nWidth;
    ULONGLONG nDown = (cyPage + (ULONGLONG)pLayout->nHeight - 1) / pLayout->nHeight;
    for (ULONGLONG nRow = 0; nRow < nDown; nRow++) {
        for (ULONGLONG nColumn = 0; nColumn < nAcross; nColumn++) {
            WatermarkRect stRect = { (int)(nColumn * pLayout->nWidth), (int)(nRow * pLayout->nHeight),
                                     pLayout->nWidth, pLayout->nHeight, 0, 0, pLayout->nWidth, pLayout->nHeight };
            PaintAt(hdc, pDib, pLayout, &stRect);
        }
    }
}

/* Tiles the page; a picture that would need more than WM_MAX_TILES_PER_SIDE
 * tiles across or down is first replicated into a larger tile. */
static void PrintTiled(HDC hdc, const BYTE *pDib, const WatermarkDibLayout *pLayout, DWORD cxPage, DWORD cyPage)
{
    if (cyPage == 0)
        return;
    ULONGLONG nAcross = (cxPage + (ULONGLONG)pLayout->nWidth - 1) / pLayout->nWidth;
    ULONGLONG nDown = (cyPage + (ULONGLONG)pLayout->nHeight - 1) / pLayout->nHeight;
    LONG nRepeatX = (LONG)((nAcross + WM_MAX_TILES_PER_SIDE - 1) / WM_MAX_TILES_PER_SIDE);
    LONG nRepeatY = (LONG)((nDown + WM_MAX_TILES_PER_SIDE - 1) / WM_MAX_TILES_PER_SIDE);
    if (nRepeatX <= 1 && nRepeatY <= 1) {
        PaintTiles(hdc, pDib, pLayout, cxPage, cyPage);
        return;
    }
    nRepeatX = nRepeatX < 1 ? 1 : nRepeatX;
    nRepeatY = nRepeatY < 1 ? 1 : nRepeatY;
    HGLOBAL hTile = ReplicateTile(pDib, pLayout, nRepeatX, nRepeatY);
    const BYTE *pTile = hTile != NULL ? (const BYTE *)GlobalLock(hTile) : NULL;
    WatermarkDibLayout stTileLayout;
    if (pTile != NULL && GetWatermarkDibLayout(pTile, GlobalSize(hTile), &stTileLayout))
        PaintTiles(hdc, pTile, &stTileLayout, cxPage, cyPage);
    if (pTile != NULL)
        GlobalUnlock(hTile);
    if (hTile != NULL)
        GlobalFree(hTile);
}

/* One axis of a centred picture: where it lands on the page, where the part
 * shown starts in the picture (its middle when larger than the page), and
 * how many pixels of it are shown. */
static void CenterAxis(LONGLONG cPage, LONGLONG cPicture, int *pDest, int *pSrc, int *pcShown)
{
    *pDest = (int)(cPicture <= cPage ? (cPage - cPicture) / 2 : 0);
    *pSrc = (int)(cPicture <= cPage ? 0 : (cPicture - cPage) / 2);
    *pcShown = (int)(cPicture - *pSrc);
}

/* ---- The stamp ------------------------------------------------------- */

/* The first-page picture of the orientation; FALSE when its file name
 * cannot be read from the profile nor from the printer's "Watermark" key. */
static BOOL ReadFirstPageChoice(const DriverDevMode *pDevMode, int nProfile, BOOL bPortrait,
                                WatermarkChoice *pChoice)
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
static void ReadPageChoice(const DriverDevMode *pDevMode, int nProfile, BOOL bPortrait, WatermarkChoice *pChoice)
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

/* The chosen picture loaded and lightened: a new 24-bit packed DIB, or NULL
 * when it cannot be loaded or converted. */
static HGLOBAL LoadLightenedPicture(const WCHAR *pszImage, DWORD dwBrightness, const DriverDevMode *pDevMode)
{
    HGLOBAL hPicture = LoadWatermarkIntoDIB(pszImage, pDevMode);
    HGLOBAL hLightened = ApplyWatermarkBrightness(hPicture, dwBrightness);
    if (hPicture != NULL)
        GlobalFree(hPicture);
    return hLightened;
}

/* Fills the cache key of the chosen picture; FALSE when the file's size and
 * last write cannot be read. */
static BOOL FillPictureKey(const WatermarkChoice *pChoice, const DriverDevMode *pDevMode, WatermarkPictureKey *pKey)
{
    WIN32_FILE_ATTRIBUTE_DATA stData;
    if (!GetFileAttributesExW(pChoice->szImage, GetFileExInfoStandard, &stData))
        return FALSE;
    ZeroMemory(pKey, sizeof(*pKey));
    lstrcpynW(pKey->szImage, pChoice->szImage, MAX_PATH);
    int nKind = GetWatermarkLoaderKind(pChoice->szImage);
    const WCHAR *pszLibrary = L"";
    if (nKind == WM_LOADER_JPEG)
        pszLibrary = DevMode_GetJpegLoaderLibrary(pDevMode);
    else if (nKind == WM_LOADER_TIFF)
        pszLibrary = DevMode_GetTiffLoaderLibrary(pDevMode);
    lstrcpynW(pKey->szLibrary, pszLibrary != NULL ? pszLibrary : L"", DM_CCH_PATH);
    pKey->dwBrightness = pChoice->dwBrightness;
    pKey->nFileSizeHigh = stData.nFileSizeHigh;
    pKey->nFileSizeLow = stData.nFileSizeLow;
    pKey->ftLastWrite = stData.ftLastWriteTime;
    return TRUE;
}

/* Frees a slot's picture and empties the slot. */
static void ReleaseCacheEntry(WatermarkCacheEntry *pEntry)
{
    if (pEntry->hLightened != NULL)
        GlobalFree(pEntry->hLightened);
    ZeroMemory(pEntry, sizeof(*pEntry));
}

/* The lightened picture of pKey from slot nSlot; a slot that holds another
 * picture, or none, is loaded anew. NULL, the slot empty, when the picture
 * cannot be loaded or converted. The cache keeps the handle. */
static HGLOBAL GetCachedPicture(int nSlot, const WatermarkPictureKey *pKey, const DriverDevMode *pDevMode)
{
    WatermarkCacheEntry *pEntry = &s_aPictureCache[nSlot];
    if (pEntry->hLightened != NULL && memcmp(&pEntry->stKey, pKey, sizeof(*pKey)) == 0)
        return pEntry->hLightened;
    ReleaseCacheEntry(pEntry);
    pEntry->hLightened = LoadLightenedPicture(pKey->szImage, pKey->dwBrightness, pDevMode);
    if (pEntry->hLightened != NULL)
        pEntry->stKey = *pKey;
    return pEntry->hLightened;
}

/* Paints the chosen picture from cache slot nSlot: STAMP_DRAWN when
 * painted, STAMP_SWITCHED_OFF when no picture is named, STAMP_FAILED when
 * the named one cannot be read, loaded or converted. A file whose size and
 * last write cannot be read empties the slot and is loaded for this page
 * only. */
static int StampPicture(HDC hdc, const DriverDevMode *pDevMode, const WatermarkChoice *pChoice, int nSlot,
                        ULONGLONG ptPageSize)
{
    WatermarkPictureKey stKey;
    HGLOBAL hUncached = NULL;
    HGLOBAL hLightened = NULL;
    if (pChoice->szImage[0] == L'\0')
        return STAMP_SWITCHED_OFF;
    if (FillPictureKey(pChoice, pDevMode, &stKey)) {
        hLightened = GetCachedPicture(nSlot, &stKey, pDevMode);
    } else {
        ReleaseCacheEntry(&s_aPictureCache[nSlot]);
        hLightened = hUncached = LoadLightenedPicture(pChoice->szImage, pChoice->dwBrightness, pDevMode);
    }
    if (hLightened == NULL)
        return STAMP_FAILED;
    PrintWatermark(hdc, hLightened, pChoice->nPlacement, ptPageSize);
    if (hUncached != NULL)
        GlobalFree(hUncached);
    return STAMP_DRAWN;
}

void ReleaseWatermarkCache(void)
{
    for (int i = 0; i < WM_CACHE_SLOTS; i++)
        ReleaseCacheEntry(&s_aPictureCache[i]);
}

int AddWatermark(HDC hdc, const void *pDevMode, DWORD cbDevMode, DWORD dwPage, ULONGLONG ptPhysPageInPixels,
                 int nJobNumber)
{
    DriverDevMode stWork;
    if (hdc == NULL || !StampCopyDevMode(pDevMode, cbDevMode, &stWork))
        return STAMP_FAILED;
    int nProfile = nJobNumber;
    if (!SelectPrintWatermark(&stWork, nProfile))
        return STAMP_SWITCHED_OFF;
    BOOL bPortrait = DevMode_GetOrientation(&stWork) != DMORIENT_LANDSCAPE;
    WatermarkChoice stChoice;
    int nSlot = bPortrait ? WM_CACHE_PORTRAIT : WM_CACHE_LANDSCAPE;
    if (dwPage == 1 && SelectFirstImageEnabled(&stWork, nProfile)) {
        /* The first-page picture; first page only plays no part here. */
        if (!ReadFirstPageChoice(&stWork, nProfile, bPortrait, &stChoice))
            return STAMP_FAILED;
        nSlot = bPortrait ? WM_CACHE_FIRST_PORTRAIT : WM_CACHE_FIRST_LANDSCAPE;
    } else {
        if (dwPage != 1 && SelectWatermarkFirstPageOnly(&stWork, nProfile))
            return STAMP_SWITCHED_OFF;
        ReadPageChoice(&stWork, nProfile, bPortrait, &stChoice);
    }
    return StampPicture(hdc, &stWork, &stChoice, nSlot, ptPhysPageInPixels);
}

/* ---- Conversion and placement, public -------------------------------- */

BOOL GetWatermarkDibLayout(const BYTE *pDib, SIZE_T cbDib, WatermarkDibLayout *pLayout)
{
    if (pDib == NULL || pLayout == NULL || cbDib < sizeof(BITMAPINFOHEADER))
        return FALSE;
    BITMAPINFOHEADER stHeader;
    CopyMemory(&stHeader, pDib, sizeof(stHeader));
    UINT nBits = stHeader.biBitCount;
    DWORD nClrUsed = stHeader.biClrUsed;
    if (stHeader.biSize != sizeof(BITMAPINFOHEADER) || stHeader.biWidth <= 0 || stHeader.biHeight <= 0
        || stHeader.biPlanes != 1 || stHeader.biCompression != BI_RGB)
        return FALSE;
    DWORD nColors = 0;
    if (nBits == 1 && (nClrUsed == 0 || nClrUsed == 2))
        nColors = 2;
    else if (nBits == 8 && nClrUsed <= 256)
        nColors = nClrUsed == 0 ? 256 : nClrUsed;
    else if (nBits != 24 || nClrUsed != 0)
        return FALSE;
    ULONGLONG cbOffset = sizeof(BITMAPINFOHEADER) + nColors * sizeof(RGBQUAD);
    ULONGLONG cbRow = RowBytes(nBits, (ULONGLONG)stHeader.biWidth);
    if (cbOffset > cbDib || (ULONGLONG)stHeader.biHeight > (cbDib - cbOffset) / cbRow)
        return FALSE;
    if ((ULONGLONG)stHeader.biHeight > WM_MAX_CONVERTED_BYTES / RowBytes(24, stHeader.biWidth))
        return FALSE;
    pLayout->nWidth = stHeader.biWidth;
    pLayout->nHeight = stHeader.biHeight;
    pLayout->nBitsPerPixel = nBits;
    pLayout->nColors = nColors;
    pLayout->cbPixelOffset = (SIZE_T)cbOffset;
    pLayout->cbSourceRow = (SIZE_T)cbRow;
    return TRUE;
}

float GetWatermarkLift(DWORD dwBrightness)
{
    return (float)dwBrightness / 100.0f * 255.0f;
}

HGLOBAL ApplyWatermarkBrightness(HGLOBAL hSourceDib, DWORD dwBrightness)
{
    if (hSourceDib == NULL)
        return NULL;
    const BYTE *pSource = (const BYTE *)GlobalLock(hSourceDib);
    if (pSource == NULL)
        return NULL;
    HGLOBAL hOut = NULL;
    SIZE_T cbSource = GlobalSize(hSourceDib);
    float fLift = GetWatermarkLift(dwBrightness);
    WatermarkDibLayout stLayout;
    if (GetWatermarkDibLayout(pSource, cbSource, &stLayout))
        hOut = ConvertLockedSource(pSource, &stLayout, fLift);
    else
        hOut = DecodeLockedSource(pSource, cbSource, fLift);
    GlobalUnlock(hSourceDib);
    return hOut;
}

BOOL GetWatermarkPlacementRect(int nPlacement, DWORD cxPage, DWORD cyPage, LONG cxPicture,
                               LONG cyPicture, WatermarkRect *pRect)
{
    if (pRect == NULL || cxPicture <= 0 || cyPicture <= 0)
        return FALSE;
    WatermarkRect stRect = { 0, 0, 0, 0, 0, 0, cxPicture, cyPicture };
    if (nPlacement == WM_PLACE_STRETCH_TO_FIT) {
        stRect.cxDest = PageSideToInt(cxPage);
        stRect.cyDest = PageSideToInt(cyPage);
    } else if (nPlacement == WM_PLACE_STRETCH_TO_WIDTH) {
        float fScale = (float)cxPage / (float)cxPicture;
        float fHeight = (float)cyPicture * fScale;
        stRect.cxDest = PageSideToInt(cxPage);
        stRect.cyDest = ClampToInt(fHeight);
        stRect.yDest = ClampToInt(((float)cyPage - fHeight) * 0.5f);
    } else if (nPlacement == WM_PLACE_CENTER) {
        CenterAxis(cxPage, cxPicture, &stRect.xDest, &stRect.xSrc, &stRect.cxDest);
        CenterAxis(cyPage, cyPicture, &stRect.yDest, &stRect.ySrc, &stRect.cyDest);
        stRect.cxSrc = stRect.cxDest;
        stRect.cySrc = stRect.cyDest;
    } else {
        return FALSE;
    }
    *pRect = stRect;
    return TRUE;
}

SIZE_T GetWatermarkTiles(DWORD cxPage, DWORD cyPage, LONG cxPicture, LONG cyPicture,
                         POINT *pCorners, SIZE_T cMax)
{
    if (cyPage == 0 || cxPicture <= 0 || cyPicture <= 0)
        return 0;
    /* x grows by the width and wraps once it reaches the page width, so a
     * row holds at least one tile even on a page of width 0. */
    ULONGLONG nAcross = cxPage == 0 ? 1 : (cxPage + (ULONGLONG)cxPicture - 1) / cxPicture;
    ULONGLONG nDown = (cyPage + (ULONGLONG)cyPicture - 1) / cyPicture;
    ULONGLONG nCount = nAcross * nDown;
    for (ULONGLONG i = 0; pCorners != NULL && i < cMax && i < nCount; i++) {
        pCorners[i].x = (LONG)((i % nAcross) * cxPicture);
        pCorners[i].y = (LONG)((i / nAcross) * cyPicture);
    }
    return (SIZE_T)nCount;
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
    const BYTE *pDib = (const BYTE *)GlobalLock(hDib);
    if (pDib == NULL)
        return;
    DWORD cxPage = (DWORD)PackedPointX(ptPageSize);
    DWORD cyPage = (DWORD)PackedPointY(ptPageSize);
    WatermarkDibLayout stLayout;
    WatermarkRect stRect;
    if (GetWatermarkDibLayout(pDib, GlobalSize(hDib), &stLayout) && stLayout.nBitsPerPixel == 24) {
        if (nPlacement == WM_PLACE_TILE)
            PrintTiled(hdc, pDib, &stLayout, cxPage, cyPage);
        else if (GetWatermarkPlacementRect(nPlacement, cxPage, cyPage, stLayout.nWidth, stLayout.nHeight, &stRect))
            PaintAt(hdc, pDib, &stLayout, &stRect);
    }
    GlobalUnlock(hDib);
}
