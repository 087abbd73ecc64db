/*
 * Gradient fills on printers that cannot draw them. For such a printer the
 * platform paints the gradient into a bitmap of the shapes' extent and hands
 * the driver that picture, clipped to the shapes. Wine's PostScript driver
 * answers the platform's question for its picture format with none, and the
 * picture is then written as an image of 0 bits per component, which ends
 * the document at that page (measured: the PDF stops before it, with no
 * error anywhere). The helper paints the picture itself, the same way, and
 * draws it with StretchDIBits, which every printer driver takes.
 */
#include "forwarding/emfprinter.h"

#include <cstring>

#define GRADIENT_NVER       24 /* EMRGRADIENTFILL.nVer, nTri, ulMode, then the vertices */
#define GRADIENT_VERTICES   36
#define GRADIENT_VERTEX_SIZE 16 /* TRIVERTEX */

BOOL PrinterNeedsGradientPicture(HDC hdc)
{
    return GetDeviceCaps(hdc, TECHNOLOGY) == DT_RASPRINTER &&
           (GetDeviceCaps(hdc, SHADEBLENDCAPS) & (SB_GRAD_RECT | SB_GRAD_TRI)) == 0;
}

/* The shapes of a gradient as one region of device points: triangles of
 * three vertex indexes, or rectangles of two. */
static HRGN MakeShapesRegion(const POINT *pPoints, const ULONG *pIndexes, ULONG nShapes, ULONG ulMode)
{
    HRGN hShapes = CreateRectRgn(0, 0, 0, 0);
    for (ULONG i = 0; hShapes && i < nShapes; i++) {
        HRGN hShape = NULL;
        if (ulMode == GRADIENT_FILL_TRIANGLE) {
            POINT aTriangle[3] = { pPoints[pIndexes[i * 3]], pPoints[pIndexes[i * 3 + 1]], pPoints[pIndexes[i * 3 + 2]] };
            hShape = CreatePolygonRgn(aTriangle, 3, WINDING);
        } else {
            RECT rc = { pPoints[pIndexes[i * 2]].x, pPoints[pIndexes[i * 2]].y, pPoints[pIndexes[i * 2 + 1]].x,
                        pPoints[pIndexes[i * 2 + 1]].y };
            hShape = CreateRectRgn(rc.left < rc.right ? rc.left : rc.right, rc.top < rc.bottom ? rc.top : rc.bottom,
                                   rc.left < rc.right ? rc.right : rc.left, rc.top < rc.bottom ? rc.bottom : rc.top);
        }
        if (hShape) {
            CombineRgn(hShapes, hShapes, hShape, RGN_OR);
            DeleteObject(hShape);
        }
    }
    return hShapes;
}

/* The extent of the points, clipped to the printable area; FALSE when
 * nothing of it lies on the page. */
static BOOL GetPictureBox(HDC hdc, const POINT *pPoints, ULONG nPoints, RECT *prcBox)
{
    RECT rcPoints = { pPoints[0].x, pPoints[0].y, pPoints[0].x, pPoints[0].y };
    for (ULONG i = 1; i < nPoints; i++) {
        rcPoints.left = pPoints[i].x < rcPoints.left ? pPoints[i].x : rcPoints.left;
        rcPoints.top = pPoints[i].y < rcPoints.top ? pPoints[i].y : rcPoints.top;
        rcPoints.right = pPoints[i].x > rcPoints.right ? pPoints[i].x : rcPoints.right;
        rcPoints.bottom = pPoints[i].y > rcPoints.bottom ? pPoints[i].y : rcPoints.bottom;
    }
    RECT rcPage = { 0, 0, GetDeviceCaps(hdc, HORZRES), GetDeviceCaps(hdc, VERTRES) };
    return IntersectRect(prcBox, &rcPoints, &rcPage);
}

/* Fills the gradient of the record into a top-down 32-bit bitmap of the
 * box, its vertices moved by the box's origin. Gives the bitmap (delete it
 * with DeleteObject) and its bits, or NULL. */
static HBITMAP PaintGradient(const BYTE *pRecord, const POINT *pPoints, const RECT *prcBox, void **ppBits)
{
    ULONG nVertices = 0, nShapes = 0, ulMode = 0;
    memcpy(&nVertices, pRecord + GRADIENT_NVER, sizeof(ULONG));
    memcpy(&nShapes, pRecord + GRADIENT_NVER + 4, sizeof(ULONG));
    memcpy(&ulMode, pRecord + GRADIENT_NVER + 8, sizeof(ULONG));
    TRIVERTEX *pVertices = (TRIVERTEX *)HeapAlloc(GetProcessHeap(), 0, nVertices * sizeof(TRIVERTEX));
    BITMAPINFO stInfo;
    memset(&stInfo, 0, sizeof(stInfo));
    stInfo.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    stInfo.bmiHeader.biWidth = prcBox->right - prcBox->left;
    stInfo.bmiHeader.biHeight = -(prcBox->bottom - prcBox->top);
    stInfo.bmiHeader.biPlanes = 1;
    stInfo.bmiHeader.biBitCount = 32;
    HDC hdcPicture = CreateCompatibleDC(NULL);
    HBITMAP hPicture = hdcPicture ? CreateDIBSection(hdcPicture, &stInfo, DIB_RGB_COLORS, ppBits, NULL, 0) : NULL;
    BOOL bPainted = FALSE;
    if (pVertices && hPicture) {
        HGDIOBJ hOld = SelectObject(hdcPicture, hPicture);
        for (ULONG i = 0; i < nVertices; i++) {
            memcpy(&pVertices[i], pRecord + GRADIENT_VERTICES + i * GRADIENT_VERTEX_SIZE, sizeof(TRIVERTEX));
            pVertices[i].x = pPoints[i].x - prcBox->left;
            pVertices[i].y = pPoints[i].y - prcBox->top;
        }
        void *pShapes = (void *)(pRecord + GRADIENT_VERTICES + nVertices * GRADIENT_VERTEX_SIZE);
        bPainted = GdiGradientFill(hdcPicture, pVertices, nVertices, pShapes, nShapes, ulMode);
        GdiFlush();
        SelectObject(hdcPicture, hOld);
    }
    if (!bPainted && hPicture) {
        DeleteObject(hPicture);
        hPicture = NULL;
    }
    if (hdcPicture)
        DeleteDC(hdcPicture);
    if (pVertices)
        HeapFree(GetProcessHeap(), 0, pVertices);
    return hPicture;
}

/* Draws the picture at the box in device units, clipped to the shapes; the
 * DC's coordinates and clipping are restored after. */
static BOOL DrawPicture(HDC hdc, const void *pBits, const RECT *prcBox, HRGN hShapes)
{
    BITMAPINFO stInfo;
    memset(&stInfo, 0, sizeof(stInfo));
    stInfo.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    stInfo.bmiHeader.biWidth = prcBox->right - prcBox->left;
    stInfo.bmiHeader.biHeight = -(prcBox->bottom - prcBox->top);
    stInfo.bmiHeader.biPlanes = 1;
    stInfo.bmiHeader.biBitCount = 32;
    int nSaved = SaveDC(hdc);
    ModifyWorldTransform(hdc, NULL, MWT_IDENTITY);
    SetMapMode(hdc, MM_TEXT);
    SetWindowOrgEx(hdc, 0, 0, NULL);
    SetViewportOrgEx(hdc, 0, 0, NULL);
    ExtSelectClipRgn(hdc, hShapes, RGN_AND);
    int nWidth = stInfo.bmiHeader.biWidth, nHeight = -stInfo.bmiHeader.biHeight;
    BOOL bDrawn = StretchDIBits(hdc, prcBox->left, prcBox->top, nWidth, nHeight, 0, 0, nWidth, nHeight, pBits,
                                &stInfo, DIB_RGB_COLORS, SRCCOPY) != 0;
    if (nSaved)
        RestoreDC(hdc, nSaved);
    return bDrawn;
}

BOOL PlayGradientAsPicture(HDC hdc, const BYTE *pRecord, ULONGLONG cMaxPixels, ULONGLONG *pcPixels)
{
    ULONG nVertices = 0, nShapes = 0, ulMode = 0;
    memcpy(&nVertices, pRecord + GRADIENT_NVER, sizeof(ULONG));
    memcpy(&nShapes, pRecord + GRADIENT_NVER + 4, sizeof(ULONG));
    memcpy(&ulMode, pRecord + GRADIENT_NVER + 8, sizeof(ULONG));
    *pcPixels = 0;
    if (nVertices == 0 || nShapes == 0)
        return TRUE;
    POINT *pPoints = (POINT *)HeapAlloc(GetProcessHeap(), 0, nVertices * sizeof(POINT));
    if (!pPoints)
        return FALSE;
    for (ULONG i = 0; i < nVertices; i++)
        memcpy(&pPoints[i], pRecord + GRADIENT_VERTICES + i * GRADIENT_VERTEX_SIZE, sizeof(POINT));
    LPtoDP(hdc, pPoints, (int)nVertices);
    RECT rcBox;
    BOOL bDone = TRUE;
    if (GetPictureBox(hdc, pPoints, nVertices, &rcBox)) {
        *pcPixels = (ULONGLONG)(rcBox.right - rcBox.left) * (ULONGLONG)(rcBox.bottom - rcBox.top);
        void *pBits = NULL;
        HBITMAP hPicture = *pcPixels <= cMaxPixels ? PaintGradient(pRecord, pPoints, &rcBox, &pBits) : NULL;
        const ULONG *pIndexes = (const ULONG *)(pRecord + GRADIENT_VERTICES + nVertices * GRADIENT_VERTEX_SIZE);
        HRGN hShapes = hPicture ? MakeShapesRegion(pPoints, pIndexes, nShapes, ulMode) : NULL;
        bDone = hShapes && DrawPicture(hdc, pBits, &rcBox, hShapes);
        if (hShapes)
            DeleteObject(hShapes);
        if (hPicture)
            DeleteObject(hPicture);
    }
    HeapFree(GetProcessHeap(), 0, pPoints);
    return bDone;
}

/* ---- mono pattern brushes ---------------------------------------------- */

/* Wine's PostScript driver writes the pattern of a 1-bit brush from its
 * first multiple of 8 pixels across and down; a pattern of fewer than 8
 * gives it none, and it writes its uninitialised buffer into the document
 * as the pattern's data, which PostScript refuses: the document ends at
 * that page (measured on two pages of real applications with 4 x 4
 * brushes). A pattern repeated to a multiple of 8 tiles the same. */

#define BRUSH_FIXED_SIZE 32 /* EMRCREATEMONOBRUSH and EMRCREATEDIBPATTERNBRUSHPT up to the bitmap */

static LONG LeastMultipleOfEight(LONG n)
{
    LONG nMultiple = n;
    while (nMultiple % 8 != 0)
        nMultiple += n;
    return nMultiple;
}

/* Repeats the w x h 1-bit rows at pIn into the W x H rows at pOut. */
static void RepeatPattern(const BYTE *pIn, LONG w, LONG h, BYTE *pOut, LONG W, LONG H)
{
    DWORD cbRowIn = (DWORD)((w + 31) / 32) * 4, cbRowOut = (DWORD)((W + 31) / 32) * 4;
    memset(pOut, 0, (size_t)cbRowOut * H);
    for (LONG y = 0; y < H; y++) {
        const BYTE *pRow = pIn + (size_t)(y % h) * cbRowIn;
        for (LONG x = 0; x < W; x++) {
            LONG xIn = x % w;
            if (pRow[xIn / 8] & (0x80 >> (xIn % 8)))
                pOut[(size_t)y * cbRowOut + x / 8] |= (BYTE)(0x80 >> (x % 8));
        }
    }
}

BYTE *WidenSmallPattern(const BYTE *pRecord)
{
    DWORD adwFields[6]; /* iUsage, offBmi, cbBmi, offBits, cbBits, at 12 */
    memcpy(adwFields, pRecord + 12, sizeof(adwFields) - sizeof(DWORD));
    DWORD dwOffBmi = adwFields[1], cbBmi = adwFields[2], dwOffBits = adwFields[3];
    BITMAPINFOHEADER stHeader;
    memcpy(&stHeader, pRecord + dwOffBmi, sizeof(stHeader));
    LONG w = stHeader.biWidth, h = stHeader.biHeight < 0 ? -stHeader.biHeight : stHeader.biHeight;
    if (stHeader.biSize < sizeof(BITMAPINFOHEADER) || stHeader.biBitCount != 1 || stHeader.biCompression != BI_RGB ||
        (cbBmi & 3) != 0 || cbBmi < sizeof(BITMAPINFOHEADER) || w <= 0 || h <= 0 || (w >= 8 && h >= 8))
        return NULL;
    LONG W = LeastMultipleOfEight(w), H = LeastMultipleOfEight(h);
    DWORD cbBits = (DWORD)((W + 31) / 32) * 4 * (DWORD)H;
    DWORD cbRecord = BRUSH_FIXED_SIZE + cbBmi + cbBits;
    BYTE *pWide = (BYTE *)HeapAlloc(GetProcessHeap(), 0, cbRecord);
    if (!pWide)
        return NULL;
    memcpy(pWide, pRecord, BRUSH_FIXED_SIZE);
    memcpy(pWide + BRUSH_FIXED_SIZE, pRecord + dwOffBmi, cbBmi);
    DWORD adwLayout[5] = { cbRecord, 0, BRUSH_FIXED_SIZE, cbBmi, BRUSH_FIXED_SIZE + cbBmi };
    memcpy(pWide + 4, &adwLayout[0], sizeof(DWORD));
    memcpy(pWide + 16, &adwLayout[2], 3 * sizeof(DWORD));
    memcpy(pWide + 28, &cbBits, sizeof(DWORD));
    stHeader.biWidth = W;
    stHeader.biHeight = stHeader.biHeight < 0 ? -H : H;
    stHeader.biSizeImage = cbBits;
    memcpy(pWide + BRUSH_FIXED_SIZE, &stHeader, sizeof(stHeader));
    RepeatPattern(pRecord + dwOffBits, w, h, pWide + BRUSH_FIXED_SIZE + cbBmi, W, H);
    return pWide;
}
