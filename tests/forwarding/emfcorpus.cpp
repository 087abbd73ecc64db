#include "emfcorpus.h"
#include "forwarding/emfcheck.h"
#include "fwdtestutil.h"

#include <cstring>

/* ---- valid pages -------------------------------------------------------- */

static HDC BeginRecording(void)
{
    RECT rcFrame = { 0, 0, 21000, 29700 };
    return CreateEnhMetaFileW(NULL, NULL, &rcFrame, L"corpus\0page\0");
}

/* A bottom-up DIB of cx x cy pixels at nBits, filled with a pattern, as one
 * block: header, colour table (grey ramp up to 8 bits), pixels. */
static std::vector<BYTE> MakeDib(int cx, int cy, WORD nBits)
{
    DWORD nColors = nBits <= 8 ? 1u << nBits : 0;
    DWORD cbStride = ((cx * nBits + 31) / 32) * 4;
    std::vector<BYTE> dib(sizeof(BITMAPINFOHEADER) + nColors * 4 + cbStride * cy, 0);
    BITMAPINFOHEADER *pHeader = (BITMAPINFOHEADER *)&dib[0];
    pHeader->biSize = sizeof(BITMAPINFOHEADER);
    pHeader->biWidth = cx;
    pHeader->biHeight = cy;
    pHeader->biPlanes = 1;
    pHeader->biBitCount = nBits;
    pHeader->biCompression = BI_RGB;
    pHeader->biSizeImage = cbStride * cy;
    RGBQUAD *pTable = (RGBQUAD *)&dib[sizeof(BITMAPINFOHEADER)];
    for (DWORD i = 0; i < nColors; i++)
        pTable[i].rgbRed = pTable[i].rgbGreen = pTable[i].rgbBlue = (BYTE)(i * 255 / (nColors - 1));
    BYTE *pPixels = &dib[sizeof(BITMAPINFOHEADER) + nColors * 4];
    for (DWORD i = 0; i < cbStride * cy; i++)
        pPixels[i] = (BYTE)(i * 37 + (i / cbStride) * 11);
    return dib;
}

static void DrawText(HDC hdc)
{
    LOGFONTW stFont;
    memset(&stFont, 0, sizeof(stFont));
    stFont.lfHeight = -60;
    stFont.lfEscapement = 150;
    lstrcpyW(stFont.lfFaceName, L"Arial");
    HFONT hFont = CreateFontIndirectW(&stFont);
    HGDIOBJ hOld = SelectObject(hdc, hFont);
    SetTextColor(hdc, RGB(0, 0, 160));
    TextOutW(hdc, 100, 200, L"Corpus text", 11);
    INT aDx[6] = { 40, 42, 44, 46, 48, 50 };
    RECT rc = { 90, 400, 900, 480 };
    ExtTextOutW(hdc, 100, 400, ETO_CLIPPED | ETO_OPAQUE, &rc, L"spaced", 6, aDx);
    TextOutA(hdc, 100, 600, "narrow text", 11);
    SelectObject(hdc, hOld);
    DeleteObject(hFont);
}

/* Inserts a record before the closing record of a page (or, bLast, after
 * it, as the page's last bytes), counting it in the header. */
static std::string InsertRecord(const std::string &page, const std::string &record, bool bLast = false)
{
    DWORD cbPage = 0, nRecords = 0, cbLast = 0;
    memcpy(&cbPage, &page[48], 4);
    memcpy(&nRecords, &page[52], 4);
    for (DWORD dwOffset = 0; dwOffset < cbPage; dwOffset += cbLast)
        memcpy(&cbLast, &page[dwOffset + 4], 4);
    DWORD dwAt = bLast ? cbPage : cbPage - cbLast;
    std::string out = page.substr(0, dwAt) + record + page.substr(dwAt);
    cbPage += (DWORD)record.size();
    nRecords++;
    memcpy(&out[48], &cbPage, 4);
    memcpy(&out[52], &nRecords, 4);
    return out;
}

/* The recorder of this platform writes SetDIBitsToDevice records past
 * their end, so that record is put together here: an 8-bit picture at
 * (500, 100), all its rows, inserted before the closing record. */
static std::string AddSetDIBitsToDevice(const std::string &page, const std::vector<BYTE> &dib)
{
    const BITMAPINFOHEADER *pHeader = (const BITMAPINFOHEADER *)&dib[0];
    DWORD cbBmi = sizeof(BITMAPINFOHEADER) + 256 * 4;
    DWORD cbBits = (DWORD)dib.size() - cbBmi;
    DWORD adwFixed[19] = { EMR_SETDIBITSTODEVICE, 76 + (DWORD)dib.size(), 500, 100, 519, 109, 500, 100, 0, 0,
                           (DWORD)pHeader->biWidth, (DWORD)pHeader->biHeight, 76, cbBmi, 76 + cbBmi, cbBits,
                           DIB_RGB_COLORS, 0, (DWORD)pHeader->biHeight };
    std::string record((const char *)adwFixed, sizeof(adwFixed));
    record.append((const char *)&dib[0], dib.size());
    return InsertRecord(page, record);
}

/* Text, clipping by rectangle and region, and world transforms. */
static std::string MakeTextPage(void)
{
    HDC hdc = BeginRecording();
    SaveDC(hdc);
    IntersectClipRect(hdc, 50, 50, 2000, 2500);
    HRGN hRgn = CreateRectRgn(60, 60, 1500, 700);
    HRGN hSecond = CreateRectRgn(60, 800, 1800, 1400);
    CombineRgn(hRgn, hRgn, hSecond, RGN_OR);
    ExtSelectClipRgn(hdc, hRgn, RGN_AND);
    DrawText(hdc);
    SetGraphicsMode(hdc, GM_ADVANCED);
    XFORM stXform = { 0.866f, 0.5f, -0.5f, 0.866f, 900.0f, 900.0f };
    SetWorldTransform(hdc, &stXform);
    Ellipse(hdc, 0, 0, 400, 200);
    DrawText(hdc);
    ModifyWorldTransform(hdc, NULL, MWT_IDENTITY);
    RestoreDC(hdc, -1);
    Rectangle(hdc, 1200, 1200, 1600, 1500);
    DeleteObject(hSecond);
    DeleteObject(hRgn);
    return CloseEmfToBytes(hdc);
}

/* Bitmaps every way they are recorded, and a DIB pattern brush. */
static std::string MakeBitmapPage(void)
{
    HDC hdc = BeginRecording();
    std::vector<BYTE> dib24 = MakeDib(16, 12, 24);
    std::vector<BYTE> dib8 = MakeDib(20, 10, 8);
    const BITMAPINFO *pInfo24 = (const BITMAPINFO *)&dib24[0];
    StretchDIBits(hdc, 100, 100, 320, 240, 0, 0, 16, 12, &dib24[sizeof(BITMAPINFOHEADER)], pInfo24,
                  DIB_RGB_COLORS, SRCCOPY);
    HDC hdcMem = CreateCompatibleDC(hdc);
    void *pBits = NULL;
    HBITMAP hbm = CreateDIBSection(hdcMem, pInfo24, DIB_RGB_COLORS, &pBits, NULL, 0);
    memcpy(pBits, &dib24[sizeof(BITMAPINFOHEADER)], dib24.size() - sizeof(BITMAPINFOHEADER));
    HGDIOBJ hOldBitmap = SelectObject(hdcMem, hbm);
    BitBlt(hdc, 100, 500, 16, 12, hdcMem, 0, 0, SRCCOPY);
    StretchBlt(hdc, 300, 500, 160, 120, hdcMem, 0, 0, 16, 12, SRCCOPY);
    SelectObject(hdcMem, hOldBitmap);
    DeleteObject(hbm);
    DeleteDC(hdcMem);
    PatBlt(hdc, 600, 500, 100, 50, BLACKNESS);
    std::vector<BYTE> pattern = MakeDib(8, 8, 24);
    HBRUSH hBrush = CreateDIBPatternBrushPt(&pattern[0], DIB_RGB_COLORS);
    HGDIOBJ hOldBrush = SelectObject(hdc, hBrush);
    Rectangle(hdc, 100, 800, 700, 1200);
    SelectObject(hdc, hOldBrush);
    DeleteObject(hBrush);
    return AddSetDIBitsToDevice(CloseEmfToBytes(hdc), dib8);
}

/* Pens, polygons in both widths, beziers, a path, regions, a palette and
 * a comment. */
static std::string MakeShapesPage(void)
{
    HDC hdc = BeginRecording();
    DWORD adwStyle[4] = { 20, 10, 5, 10 };
    LOGBRUSH stBrush = { BS_SOLID, RGB(200, 0, 0), 0 };
    HPEN hPen = ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE, 3, &stBrush, 4, adwStyle);
    HGDIOBJ hOldPen = SelectObject(hdc, hPen);
    POINT aSmall[7] = { { 100, 100 }, { 300, 100 }, { 200, 300 }, { 400, 400 }, { 600, 400 }, { 500, 600 },
                        { 450, 450 } };
    INT anCounts[2] = { 3, 4 };
    PolyPolygon(hdc, aSmall, anCounts, 2);
    POINT aLarge[6] = { { 100, 40000 }, { 900, 40000 }, { 500, 41000 }, { 1000, 1000 }, { 1500, 1000 },
                        { 1200, 1500 } };
    INT anLargeCounts[2] = { 3, 3 };
    PolyPolygon(hdc, aLarge, anLargeCounts, 2);
    Polyline(hdc, aSmall, 7);
    PolyBezier(hdc, aSmall, 7);
    HPEN hSimple = CreatePen(PS_DASH, 1, RGB(0, 120, 0));
    SelectObject(hdc, hSimple);
    BeginPath(hdc);
    MoveToEx(hdc, 700, 700, NULL);
    LineTo(hdc, 900, 700);
    ArcTo(hdc, 800, 700, 1000, 900, 900, 700, 1000, 800);
    LineTo(hdc, 700, 900);
    CloseFigure(hdc);
    EndPath(hdc);
    StrokeAndFillPath(hdc);
    HBRUSH hBrush = CreateSolidBrush(RGB(0, 90, 200));
    HRGN hRgn = CreateEllipticRgn(1100, 100, 1500, 400);
    FillRgn(hdc, hRgn, hBrush);
    FrameRgn(hdc, hRgn, hBrush, 3, 3);
    struct { WORD wVersion; WORD wEntries; PALETTEENTRY aEntries[4]; } stPalette = {
        0x300, 4, { { 0, 0, 0, 0 }, { 255, 0, 0, 0 }, { 0, 255, 0, 0 }, { 0, 0, 255, 0 } } };
    HPALETTE hPalette = CreatePalette((const LOGPALETTE *)&stPalette);
    HPALETTE hOldPalette = SelectPalette(hdc, hPalette, FALSE);
    GdiComment(hdc, 12, (const BYTE *)"corpus note");
    RoundRect(hdc, 100, 1300, 500, 1500, 40, 40);
    Pie(hdc, 600, 1300, 900, 1600, 900, 1300, 600, 1300);
    SelectPalette(hdc, hOldPalette, FALSE);
    SelectObject(hdc, hOldPen);
    DeleteObject(hPalette);
    DeleteObject(hRgn);
    DeleteObject(hBrush);
    DeleteObject(hSimple);
    DeleteObject(hPen);
    return CloseEmfToBytes(hdc);
}

/* ---- records as real applications write them, and records that mislead
 * or exhaust the player ----------------------------------------------- */

/* A record put together field by field. */
struct Rec {
    std::string bytes;
    explicit Rec(DWORD dwType) { Put(dwType); Put(0); }
    Rec &Put(DWORD dw) { bytes.append((const char *)&dw, 4); return *this; }
    Rec &Put16(WORD w) { bytes.append((const char *)&w, 2); return *this; }
    Rec &Raw(const std::string &data) { bytes += data; return *this; }
    Rec &Zeros(size_t n) { bytes.append(n, '\0'); return *this; }
    size_t Size() const { return bytes.size(); }
    std::string Done() { while (bytes.size() % 4) bytes += '\0'; PutDword(bytes, 4, (DWORD)bytes.size()); return bytes; }
};

/* A BITMAPINFOHEADER of biSize bytes (40 or more: zeros after the first 40). */
static std::string InfoHeader(DWORD biSize, LONG w, LONG h, WORD wBits, DWORD dwCompression, DWORD cbImage,
                              DWORD nClrUsed = 0)
{
    Rec r(biSize);
    r.bytes.resize(4);
    r.Put((DWORD)w).Put((DWORD)h).Put16(1).Put16(wBits).Put(dwCompression).Put(cbImage).Put(0).Put(0).Put(nClrUsed).Put(0);
    r.Zeros(biSize - 40);
    return r.bytes;
}

/* Pixel rows of a w x h picture at wBits, filled with a pattern. */
static std::string Rows(LONG w, LONG h, WORD wBits)
{
    std::string rows(((w * wBits + 31) / 32) * 4 * h, '\0');
    for (size_t i = 0; i < rows.size(); i++)
        rows[i] = (char)(i * 29 + 7);
    return rows;
}

/* A StretchDIBits record at x of a bitmap given as header (with its colours)
 * and bits. */
static std::string StretchDIBitsRecord(LONG x, const std::string &info, const std::string &bits, DWORD dwUsage = 0)
{
    LONG w = 0, h = 0;
    memcpy(&w, &info[4], 4);
    memcpy(&h, &info[8], 4);
    if (info.size() >= 12 && info[0] == 12) {
        w = (BYTE)info[4] | ((BYTE)info[5] << 8);
        h = (BYTE)info[6] | ((BYTE)info[7] << 8);
    }
    Rec r(EMR_STRETCHDIBITS);
    r.Put(x).Put(100).Put(x + 200).Put(300).Put(x).Put(100).Put(0).Put(0).Put(w).Put(h < 0 ? -h : h);
    r.Put(80).Put((DWORD)info.size()).Put(80 + (DWORD)info.size()).Put((DWORD)bits.size()).Put(dwUsage).Put(SRCCOPY);
    r.Put(200).Put(200).Raw(info).Raw(bits);
    return r.Done();
}

/* The blit records' common part up to the source fields: bounds, destination,
 * the raster operation, the source origin and transform, the background. */
static Rec BlitRecord(DWORD dwType, LONG nLeft)
{
    Rec r(dwType);
    r.Put(nLeft).Put(10).Put(300).Put(300);
    if (dwType == EMR_PLGBLT) {
        r.Put(10).Put(10).Put(200).Put(10).Put(10).Put(200).Put(0).Put(0).Put(8).Put(8);
    } else {
        r.Put(10).Put(10).Put(200).Put(200).Put(dwType == EMR_ALPHABLEND ? 0x00FF0000 : SRCCOPY).Put(0).Put(0);
    }
    float afXform[6] = { 1, 0, 0, 1, 0, 0 };
    r.bytes.append((const char *)afXform, sizeof(afXform));
    return r.Put(0);
}

/* A blit of an 8 x 8 24-bit source without a mask; MASKBLT and PLGBLT say so
 * with zero mask fields. */
static std::string BlitWithoutMask(DWORD dwType)
{
    std::string info = InfoHeader(40, 8, 8, 24, BI_RGB, 0), bits = Rows(8, 8, 24);
    Rec r = BlitRecord(dwType, 10);
    DWORD cbFixed = dwType == EMR_PLGBLT ? 140 : dwType == EMR_MASKBLT ? 128 : 108;
    r.Put(DIB_RGB_COLORS).Put(cbFixed).Put((DWORD)info.size()).Put(cbFixed + (DWORD)info.size()).Put((DWORD)bits.size());
    if (dwType == EMR_ALPHABLEND || dwType == EMR_STRETCHBLT)
        return r.Put(8).Put(8).Raw(info).Raw(bits).Done();
    r.Put(0).Put(0).Put(DIB_RGB_COLORS).Put(0).Put(0).Put(0).Put(0);
    return r.Raw(info).Raw(bits).Done();
}

/* An alpha blend of a bitmap given as header and bits, cbBits of them. */
static std::string AlphaBlendRecord(const std::string &info, const std::string &bits, DWORD dwUsage = DIB_RGB_COLORS)
{
    Rec r = BlitRecord(EMR_ALPHABLEND, 10);
    r.Put(dwUsage).Put(108).Put((DWORD)info.size()).Put(108 + (DWORD)info.size()).Put((DWORD)bits.size());
    LONG w = 0, h = 0;
    memcpy(&w, &info[4], 4);
    memcpy(&h, &info[8], 4);
    return r.Put(w).Put(h < 0 ? -h : h).Raw(info).Raw(bits).Done();
}

/* An extended pen in the published layout (52 bytes and its style
 * entries), the pattern fields as given. */
static std::string PublishedPen(DWORD dwIndex, DWORD dwWidth, DWORD nEntries, DWORD dwOffBmi, DWORD dwOffBits)
{
    Rec r(EMR_EXTCREATEPEN);
    r.Put(dwIndex).Put(dwOffBmi).Put(0).Put(dwOffBits).Put(0);
    r.Put(PS_GEOMETRIC | PS_SOLID).Put(dwWidth).Put(BS_SOLID).Put(RGB(0, 0, 200)).Put(0).Put(nEntries);
    for (DWORD i = 0; i < nEntries; i++)
        r.Put(10);
    return r.Done();
}

/* A header whose description follows its 88 base bytes at once, as many
 * applications write it: no extension fields, size 88 + description. */
static std::string WithDescriptionAfterBase(const std::string &page)
{
    DWORD cbHeader = 0;
    memcpy(&cbHeader, &page[4], 4);
    std::string description;
    for (const char *p = "written by an application\0page\0"; description.size() < 64; p++)
        description.append(1, *p).append(1, '\0');
    std::string header = page.substr(0, 88) + description;
    PutDword(header, 4, (DWORD)header.size());
    PutDword(header, 60, 32);
    PutDword(header, 64, 88);
    std::string out = header + page.substr(cbHeader);
    PutDword(out, 48, (DWORD)out.size());
    return out;
}

/* Adds nMore handle table entries to a page; gives the first new index. */
static DWORD AddHandles(std::string &page, DWORD nMore)
{
    WORD nHandles = 0;
    memcpy(&nHandles, &page[56], 2);
    WORD nNew = (WORD)(nHandles + nMore);
    memcpy(&page[56], &nNew, 2);
    return nHandles;
}

/* Records that players draw and applications write, which a reading of the
 * format alone might refuse: a description right after the 88 base bytes,
 * a record count one off, pens with bitmap offsets but no bitmap sizes,
 * JPEG and PNG bits handed to the device, a 12-byte core header, a colour
 * table on 24 bits, MASKBLT and PLGBLT without a mask, a face name of 32
 * characters without a terminator, alpha-blend bits longer than the image;
 * and a gradient and a 4 x 4 mono pattern brush, which printers take in
 * another form. */
static std::string MakeApplicationPage(void)
{
    HDC hdc = BeginRecording();
    TextOutW(hdc, 100, 100, L"Application page", 16);
    std::string page = WithDescriptionAfterBase(CloseEmfToBytes(hdc));
    DWORD dwFirst = AddHandles(page, 3);
    page = InsertRecord(page, PublishedPen(dwFirst, 3, 0, 56, 56) + Rec(EMR_SELECTOBJECT).Put(dwFirst).Done());
    page = InsertRecord(page, Rec(EMR_LINETO).Put(900).Put(900).Done());
    const std::string jpeg("\xFF\xD8\xFF\xE0 not really a picture \xFF\xD9", 28);
    page = InsertRecord(page, StretchDIBitsRecord(100, InfoHeader(40, 8, 8, 0, BI_JPEG, (DWORD)jpeg.size()), jpeg));
    page = InsertRecord(page, StretchDIBitsRecord(300, InfoHeader(40, 8, 8, 0, BI_PNG, (DWORD)jpeg.size()), jpeg));
    std::string core = Rec(12).bytes.substr(0, 4) + std::string("\x08\x00\x08\x00\x01\x00\x18\x00", 8);
    page = InsertRecord(page, StretchDIBitsRecord(500, core, Rows(8, 8, 24)));
    page = InsertRecord(page, StretchDIBitsRecord(700, InfoHeader(40, 8, 8, 24, BI_RGB, 0, 4) + std::string(16, '\x40'),
                                                  Rows(8, 8, 24)));
    page = InsertRecord(page, BlitWithoutMask(EMR_MASKBLT));
    page = InsertRecord(page, BlitWithoutMask(EMR_PLGBLT));
    Rec font(EMR_EXTCREATEFONTINDIRECTW);
    font.Put(dwFirst + 1).Put((DWORD)-40).Zeros(24);
    for (int i = 0; i < LF_FACESIZE; i++)
        font.Put16((WORD)('A' + i % 26));
    page = InsertRecord(page, font.Done() + Rec(EMR_SELECTOBJECT).Put(dwFirst + 1).Done());
    page = InsertRecord(page, AlphaBlendRecord(InfoHeader(40, 4, 4, 32, BI_RGB, 0), Rows(4, 4, 32) + std::string(16, '\x7F')));
    Rec gradient(EMR_GRADIENTFILL);
    gradient.Put(0).Put(0).Put(600).Put(600).Put(4).Put(2).Put(GRADIENT_FILL_TRIANGLE);
    const LONG alVertices[4][2] = { { 100, 1000 }, { 160, 1000 }, { 100, 1060 }, { 160, 1060 } };
    for (int i = 0; i < 4; i++)
        gradient.Put(alVertices[i][0]).Put(alVertices[i][1]).Put(0xFF00 * (i & 1)).Put(0xFF00 * (i >> 1));
    gradient.Put(0).Put(1).Put(2).Put(1).Put(2).Put(3);
    Rec hatch(EMR_CREATEMONOBRUSH);
    hatch.Put(dwFirst + 2).Put(DIB_RGB_COLORS).Put(32).Put(48).Put(80).Put(16);
    hatch.Raw(InfoHeader(40, 4, 4, 1, BI_RGB, 16, 2)).Put(0).Put(0xFFFFFF);
    hatch.Put(0x90000000).Put(0x60000000).Put(0x60000000).Put(0x90000000);
    page = InsertRecord(page, gradient.Done());
    page = InsertRecord(page, hatch.Done() + Rec(EMR_SELECTOBJECT).Put(dwFirst + 2).Done() +
                                  Rec(EMR_RECTANGLE).Put(700).Put(1000).Put(1200).Put(1500).Done());
    DWORD nRecords = 0;
    memcpy(&nRecords, &page[52], 4);
    PutDword(page, 52, nRecords + 1);
    return page;
}

/* A page with one record that misleads or exhausts the player, and the
 * reason it is to be left out for. */
static CorpusPage Unsafe(const char *pszName, const std::string &record, int nReason, bool bLast = false)
{
    std::string page = MakeShapesPage();
    AddHandles(page, 2);
    return { "unsafe", pszName, InsertRecord(page, record, bLast), nReason };
}

/* A region record of nRects rectangles: EXTSELECTCLIPRGN or FILLRGN. */
static std::string RegionRecord(DWORD dwType, DWORD nRects)
{
    Rec r(dwType);
    if (dwType == EMR_EXTSELECTCLIPRGN)
        r.Put(32 + nRects * 16).Put(RGN_COPY);
    else
        r.Put(0).Put(0).Put(2000).Put(2000).Put(32 + nRects * 16).Put(1);
    r.Put(32).Put(RDH_RECTANGLES).Put(nRects).Put(nRects * 16).Put(0).Put(0).Put(2000).Put(2000);
    for (DWORD i = 0; i < nRects; i++)
        r.Put(i % 200 * 10).Put(i / 200 * 3).Put(i % 200 * 10 + 5).Put(i / 200 * 3 + 2);
    return r.Done();
}

std::vector<CorpusPage> MakeUnsafePages()
{
    std::string pixels = Rows(4, 4, 32), mono = Rows(8, 8, 1);
    std::string masks16 = InfoHeader(44, 8, 8, 16, BI_BITFIELDS, 0);
    Rec late(EMR_STRETCHDIBITS);
    late.Put(0).Put(0).Put(100).Put(100).Put(0).Put(0).Put(0).Put(0).Put(8).Put(8);
    late.Put(80 + 128).Put(44).Put(80).Put(128).Put(DIB_RGB_COLORS).Put(SRCCOPY).Put(100).Put(100);
    late.Raw(Rows(8, 8, 16)).Raw(masks16);
    Rec brush(EMR_CREATEMONOBRUSH);
    brush.Put(1).Put(DIB_RGB_COLORS).Put(32 + 32).Put(44).Put(32).Put(32).Raw(mono)
        .Raw(InfoHeader(40, 8, 8, 1, BI_RGB, 0, 1)).Put(0);
    Rec rle(EMR_STRETCHDIBITS);
    rle.Put(0).Put(0).Put(100).Put(100).Put(0).Put(0).Put(0).Put(0).Put(20000).Put(20000);
    rle.Put(80).Put(40 + 1024).Put(80 + 40 + 1024).Put(4).Put(DIB_RGB_COLORS).Put(SRCCOPY).Put(100).Put(100);
    rle.Raw(InfoHeader(40, 20000, 20000, 8, BI_RLE8, 4)).Zeros(1024).Put(0x00010000);
    std::string palette = Rec(EMR_CREATEPALETTE).Put(1).Put(0x300 | (1 << 16)).Put(0).Done();
    std::vector<CorpusPage> out = {
        Unsafe("alpha blend: 1 bit with palette indexes",
               AlphaBlendRecord(InfoHeader(40, 8, 8, 1, BI_RGB, 0) + std::string(4, '\0'), mono, DIB_PAL_COLORS),
               EMF_RECORD_BAD_BITMAP),
        Unsafe("alpha blend: bit-field masks of 0",
               AlphaBlendRecord(InfoHeader(40, 4, 4, 32, BI_BITFIELDS, 0) + std::string(12, '\0'), pixels),
               EMF_RECORD_BAD_BITMAP),
        Unsafe("alpha blend: a 44-byte header with bit fields",
               AlphaBlendRecord(InfoHeader(44, 4, 4, 32, BI_BITFIELDS, 0) + std::string(8, '\0'), pixels),
               EMF_RECORD_BAD_BITMAP),
        Unsafe("RESTOREDC of INT_MIN", Rec(EMR_RESTOREDC).Put(0x80000000).Done(), EMF_RECORD_BAD_VALUE),
        Unsafe("RLE8 of 20000 x 20000 pixels in 4 bytes", rle.Done(), EMF_RECORD_TOO_COSTLY),
        Unsafe("palette resized to 300 million entries",
               palette + Rec(EMR_RESIZEPALETTE).Put(1).Put(300000000).Done(), EMF_RECORD_TOO_COSTLY),
        Unsafe("clipping region of 50000 rectangles", RegionRecord(EMR_EXTSELECTCLIPRGN, 50000), EMF_RECORD_TOO_COSTLY),
        Unsafe("fill region of 50000 rectangles", RegionRecord(EMR_FILLRGN, 50000), EMF_RECORD_TOO_COSTLY),
        Unsafe("published pen at the metafile's end", PublishedPen(1, 7, 0, 0, 0), EMF_RECORD_OUTSIDE, true),
        Unsafe("published pen whose wide style entries pass the metafile's end",
               PublishedPen(1, 7, 0, 0, 0) + Rec(EMR_SETBKMODE).Put(1).Done(), EMF_RECORD_OUTSIDE, true),
        Unsafe("bit-field masks read after a 44-byte header", late.Done(), EMF_RECORD_OUTSIDE, true),
        Unsafe("mono brush whose one colour is read as two", brush.Done(), EMF_RECORD_OUTSIDE, true),
        Unsafe("alpha blend with 1 MB of bits more than its bitmap, played with them cut",
               AlphaBlendRecord(InfoHeader(40, 4, 4, 32, BI_RGB, 0), pixels + std::string(1 << 20, '\x7F')),
               EMF_RECORD_OK),
    };
    return out;
}

std::vector<CorpusPage> MakeValidPages()
{
    std::vector<CorpusPage> pages;
    pages.push_back({ "valid", "text, clipping, transforms", MakeTextPage() });
    pages.push_back({ "valid", "bitmaps and a pattern brush", MakeBitmapPage() });
    pages.push_back({ "valid", "pens, polygons, path, regions", MakeShapesPage() });
    pages.push_back({ "valid", "records as applications write them", MakeApplicationPage() });
    return pages;
}

/* ---- malformed variants ------------------------------------------------- */

/* Where each record of a page starts. */
static std::vector<DWORD> RecordOffsets(const std::string &bytes)
{
    std::vector<DWORD> offsets;
    for (DWORD dwOffset = 0; dwOffset + 8 <= bytes.size();) {
        DWORD cbRecord = 0;
        memcpy(&cbRecord, &bytes[dwOffset + 4], 4);
        if (cbRecord < 8)
            break;
        offsets.push_back(dwOffset);
        dwOffset += cbRecord;
    }
    return offsets;
}

static DWORD Dword(const std::string &bytes, size_t dwOffset)
{
    DWORD dw = 0;
    if (dwOffset + 4 <= bytes.size())
        memcpy(&dw, &bytes[dwOffset], 4);
    return dw;
}

static void Add(std::vector<CorpusPage> &out, const CorpusPage &valid, const char *pszFamily, size_t dwOffset,
                DWORD dwValue, size_t cbValue)
{
    CorpusPage page = { pszFamily, valid.name, valid.bytes };
    if (dwOffset + cbValue > page.bytes.size() || memcmp(&page.bytes[dwOffset], &dwValue, cbValue) == 0)
        return;
    memcpy(&page.bytes[dwOffset], &dwValue, cbValue);
    char szWhat[96];
    wsprintfA(szWhat, ": %u bytes at %u set to 0x%x", (unsigned)cbValue, (unsigned)dwOffset, (unsigned)dwValue);
    page.name += szWhat;
    out.push_back(page);
}

/* Record types that carry data of their own. */
static BOOL CarriesData(DWORD dwType)
{
    static const DWORD s_adwTypes[] = { 2,  3,  4,  5,  6,  7,  8,  14, 37, 38, 39, 40, 48, 49, 70, 71,
                                        72, 75, 76, 77, 78, 79, 80, 81, 82, 83, 84, 85, 86, 87, 88, 89,
                                        90, 91, 93, 94, 95, 96, 97, 114 };
    for (DWORD t : s_adwTypes) {
        if (t == dwType)
            return TRUE;
    }
    return FALSE;
}

/* Every 32-bit field of a data-carrying record (offsets, sizes, counts),
 * taking turns through the boundary values. */
static void AddFieldVariants(std::vector<CorpusPage> &out, const CorpusPage &valid)
{
    static const DWORD s_adwValues[] = { 0, 0xFFFFFFFF, 0x7FFFFFFF, 0x40000001, 0x10000 };
    size_t nTurn = 0;
    for (DWORD dwRecord : RecordOffsets(valid.bytes)) {
        DWORD cbRecord = Dword(valid.bytes, dwRecord + 4);
        if (!CarriesData(Dword(valid.bytes, dwRecord)))
            continue;
        for (DWORD dwField = 8; dwField + 4 <= cbRecord && dwField < 160; dwField += 4) {
            Add(out, valid, "fields", dwRecord + dwField, s_adwValues[nTurn % 5], 4);
            Add(out, valid, "fields", dwRecord + dwField, s_adwValues[(nTurn + 2) % 5], 4);
            nTurn++;
        }
    }
}

/* Object handle indexes around the handle table's size. */
static void AddHandleVariants(std::vector<CorpusPage> &out, const CorpusPage &valid)
{
    DWORD nHandles = Dword(valid.bytes, 56) & 0xFFFF;
    const DWORD adwValues[] = { 0, nHandles - 1, nHandles, nHandles + 1, 100, 0xFFFF, 0x80000005, 0x80000064 };
    for (DWORD dwRecord : RecordOffsets(valid.bytes)) {
        DWORD dwType = Dword(valid.bytes, dwRecord);
        DWORD dwField = (dwType == EMR_FILLRGN || dwType == EMR_FRAMERGN) ? 28 : 8;
        BOOL bHandle = (dwType >= EMR_SELECTOBJECT && dwType <= EMR_DELETEOBJECT) || dwType == EMR_SELECTPALETTE ||
                       dwType == EMR_CREATEPALETTE || dwType == EMR_EXTCREATEFONTINDIRECTW ||
                       dwType == EMR_CREATEMONOBRUSH || dwType == EMR_CREATEDIBPATTERNBRUSHPT ||
                       dwType == EMR_EXTCREATEPEN || dwType == EMR_FILLRGN || dwType == EMR_FRAMERGN;
        for (size_t i = 0; bHandle && i < sizeof(adwValues) / sizeof(adwValues[0]); i++)
            Add(out, valid, "handles", dwRecord + dwField, adwValues[i], 4);
    }
}

/* The fields of every bitmap header a record carries. */
static void AddBitmapVariants(std::vector<CorpusPage> &out, const CorpusPage &valid)
{
    struct Field { DWORD dwOffset; size_t cb; DWORD adwValues[4]; };
    static const Field s_aFields[] = {
        { 0, 4, { 0, 12, 39, 0x7FFFFFFF } },              /* biSize */
        { 4, 4, { 0, 0xFFFFFFFF, 0x7FFFFFFF, 0x10000 } }, /* biWidth */
        { 8, 4, { 0, 0x7FFFFFFF, 0x80000000, 0x10000 } }, /* biHeight */
        { 12, 2, { 0, 2, 0xFFFF, 0 } },                   /* biPlanes */
        { 14, 2, { 0, 2, 64, 1 } },                       /* biBitCount */
        { 16, 4, { BI_RLE8, BI_RLE4, BI_BITFIELDS, BI_JPEG } },
        { 20, 4, { 0, 0xFFFFFFFF, 1, 0 } },               /* biSizeImage */
        { 32, 4, { 257, 0xFFFFFFFF, 1, 0x10000 } },       /* biClrUsed */
    };
    for (DWORD dwRecord : RecordOffsets(valid.bytes)) {
        DWORD dwType = Dword(valid.bytes, dwRecord);
        DWORD dwOffBmi = dwType == EMR_BITBLT || dwType == EMR_STRETCHBLT || dwType == EMR_MASKBLT ||
                                 dwType == EMR_ALPHABLEND ? 84
                         : dwType == EMR_PLGBLT ? 96
                         : dwType == EMR_STRETCHDIBITS || dwType == EMR_SETDIBITSTODEVICE ? 48
                         : dwType == EMR_CREATEDIBPATTERNBRUSHPT || dwType == EMR_CREATEMONOBRUSH ? 16
                         : dwType == EMR_EXTCREATEPEN ? 12 : 0;
        DWORD dwBmi = dwOffBmi ? Dword(valid.bytes, dwRecord + dwOffBmi) : 0;
        if (dwBmi == 0)
            continue;
        for (const Field &f : s_aFields) {
            for (DWORD dwValue : f.adwValues)
                Add(out, valid, "bitmaps", dwRecord + dwBmi + f.dwOffset, dwValue, f.cb);
        }
    }
}

/* Header fields: size, record and handle counts, description, pixel format. */
static void AddHeaderVariants(std::vector<CorpusPage> &out, const CorpusPage &valid)
{
    DWORD nRecords = Dword(valid.bytes, 52);
    DWORD nHandles = Dword(valid.bytes, 56) & 0xFFFF;
    DWORD cbHeader = Dword(valid.bytes, 4);
    const DWORD adwRecords[] = { 0, nRecords - 1, nRecords + 1, 0xFFFFFFFF };
    const DWORD adwHandles[] = { 0, 1, nHandles - 1, 0xFFFF };
    for (DWORD dw : adwRecords)
        Add(out, valid, "header", 52, dw, 4);
    for (DWORD dw : adwHandles)
        Add(out, valid, "header", 56, dw, 2);
    Add(out, valid, "header", 48, (DWORD)valid.bytes.size() + 4, 4);
    Add(out, valid, "header", 60, 0x7FFFFFFF, 4);
    Add(out, valid, "header", 64, 0xFFFFFFF0, 4);
    Add(out, valid, "header", 64, cbHeader, 4);
    Add(out, valid, "header", 0, EMR_POLYLINE, 4);
    if (cbHeader >= 100) {
        Add(out, valid, "header", 88, 0x7FFFFFFF, 4);
        Add(out, valid, "header", 92, 0xFFFFFFFF, 4);
    }
}

/* Every record's type turned into others, unknown ones included. */
static void AddTypeVariants(std::vector<CorpusPage> &out, const CorpusPage &valid)
{
    static const DWORD s_adwTypes[] = { 0, 69, 117, 123, 0xFFFF, EMR_HEADER, EMR_STRETCHDIBITS, EMR_EXTTEXTOUTW,
                                        EMR_POLYPOLYGON16, EMR_SELECTOBJECT, EMR_DELETEOBJECT, EMR_FILLRGN,
                                        EMR_CREATEDIBPATTERNBRUSHPT, EMR_EXTCREATEPEN, EMR_GRADIENTFILL,
                                        EMR_POLYTEXTOUTW, EMR_MASKBLT, EMR_ALPHABLEND };
    size_t nTurn = 0;
    for (DWORD dwRecord : RecordOffsets(valid.bytes)) {
        if (dwRecord == 0)
            continue;
        for (int i = 0; i < 3; i++, nTurn++)
            Add(out, valid, "types", dwRecord, s_adwTypes[nTurn % (sizeof(s_adwTypes) / sizeof(s_adwTypes[0]))], 4);
    }
}

/* Random bits flipped anywhere past the header's type and size, from a
 * fixed seed. */
static void AddBitFlips(std::vector<CorpusPage> &out, const CorpusPage &valid, unsigned nSeed, int nCount)
{
    unsigned nState = nSeed;
    for (int i = 0; i < nCount; i++) {
        CorpusPage page = { "bitflips", valid.name, valid.bytes };
        nState = nState * 1103515245u + 12345u;
        int nFlips = 1 + (int)((nState >> 16) % 4);
        for (int f = 0; f < nFlips; f++) {
            nState = nState * 1103515245u + 12345u;
            size_t nBit = 64 + (size_t)(nState >> 1) % ((valid.bytes.size() - 8) * 8);
            page.bytes[nBit / 8] ^= (char)(1 << (nBit % 8));
        }
        char szWhat[48];
        wsprintfA(szWhat, ": bit flips #%d", i);
        page.name += szWhat;
        out.push_back(page);
    }
}

std::vector<CorpusPage> MakeMalformedPages(const CorpusPage &valid, unsigned nSeed)
{
    std::vector<CorpusPage> out;
    AddFieldVariants(out, valid);
    AddHandleVariants(out, valid);
    AddBitmapVariants(out, valid);
    AddHeaderVariants(out, valid);
    AddTypeVariants(out, valid);
    AddBitFlips(out, valid, nSeed, 60);
    return out;
}
