#include "emfcorpus.h"
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
    DWORD cbPage = 0, nRecords = 0, cbLast = 0;
    memcpy(&cbPage, &page[48], 4);
    memcpy(&nRecords, &page[52], 4);
    for (DWORD dwOffset = 0; dwOffset < cbPage; dwOffset += cbLast)
        memcpy(&cbLast, &page[dwOffset + 4], 4);
    std::string out = page.substr(0, cbPage - cbLast) + record + page.substr(cbPage - cbLast);
    cbPage += (DWORD)record.size();
    nRecords++;
    memcpy(&out[48], &cbPage, 4);
    memcpy(&out[52], &nRecords, 4);
    return out;
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

std::vector<CorpusPage> MakeValidPages()
{
    std::vector<CorpusPage> pages;
    pages.push_back({ "valid", "text, clipping, transforms", MakeTextPage() });
    pages.push_back({ "valid", "bitmaps and a pattern brush", MakeBitmapPage() });
    pages.push_back({ "valid", "pens, polygons, path, regions", MakeShapesPage() });
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
    static const DWORD s_adwTypes[] = { 2, 3, 4, 5, 6, 7, 8, 14, 37, 38, 39, 40, 48, 49, 70, 71, 72, 75, 76,
                                        77, 80, 81, 82, 83, 84, 85, 86, 87, 88, 89, 90, 91, 93, 94, 95, 96, 97 };
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
        DWORD dwOffBmi = dwType == EMR_BITBLT || dwType == EMR_STRETCHBLT ? 84
                         : dwType == EMR_STRETCHDIBITS || dwType == EMR_SETDIBITSTODEVICE ? 48
                         : dwType == EMR_CREATEDIBPATTERNBRUSHPT || dwType == EMR_CREATEMONOBRUSH ? 16 : 0;
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
