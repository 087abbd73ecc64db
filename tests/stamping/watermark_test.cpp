#include <gtest/gtest.h>
#include "stamping/watermark.h"
#include "stamping/imageload.h"
#include "stamping/stamps.h"
#include "pictures.h"
#include "testutil.h"
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

const RGBQUAD kBlackWhite[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};

/* Converts a copy of dib at the brightness; gives the result's bytes
 * (empty when refused). */
std::vector<BYTE> Convert(const std::vector<BYTE> &dib, DWORD dwBrightness)
{
    HGLOBAL hSource = ToGlobal(dib);
    HGLOBAL hOut = ApplyWatermarkBrightness(hSource, dwBrightness);
    std::vector<BYTE> out = FromGlobal(hOut);
    if (hOut != NULL)
        GlobalFree(hOut);
    GlobalFree(hSource);
    return out;
}

bool Refused(const std::vector<BYTE> &dib)
{
    WatermarkDibLayout layout;
    memset(&layout, 0xAB, sizeof(layout));
    BOOL bAccepted = GetWatermarkDibLayout(dib.data(), dib.size(), &layout);
    if (!bAccepted) {
        EXPECT_EQ(0xABABABABu, static_cast<DWORD>(layout.nWidth)); /* untouched */
    }
    return !bAccepted && Convert(dib, 30).empty();
}

} // namespace

TEST(Watermark, ApplyWatermarkBrightness)
{
    EXPECT_EQ(NULL, ApplyWatermarkBrightness(NULL, 30));
    EXPECT_FLOAT_EQ(76.5f, GetWatermarkLift(30));

    /* 24 bits: 100 -> 176, 200 -> 255, 0 -> 76; 2 x 2 leaves 2 padding bytes per row. */
    std::vector<BYTE> dib = MakePicture24(2, 2, [](LONG x, LONG y) {
        return x == 0 ? RGB(100, 200, 0) : RGB(0, 100, 200);
    });
    std::vector<BYTE> out = Convert(dib, 30);
    ASSERT_GE(out.size(), 40u + 8u * 2);
    const BITMAPINFOHEADER *h = reinterpret_cast<const BITMAPINFOHEADER *>(out.data());
    EXPECT_EQ(40u, h->biSize);
    EXPECT_EQ(2, h->biWidth);
    EXPECT_EQ(2, h->biHeight);
    EXPECT_EQ(1, h->biPlanes);
    EXPECT_EQ(24, h->biBitCount);
    EXPECT_EQ(16u, h->biSizeImage);
    EXPECT_EQ(2835, h->biXPelsPerMeter);
    EXPECT_EQ(3780, h->biYPelsPerMeter);
    EXPECT_EQ(RGB(176, 255, 76), DibPixel(out, 0, 0));
    EXPECT_EQ(RGB(76, 176, 255), DibPixel(out, 1, 1));
    EXPECT_EQ(0, out[40 + 6]);
    EXPECT_EQ(0, out[40 + 7]);
    std::vector<BYTE> same = Convert(dib, 0);
    ASSERT_GE(same.size(), dib.size());
    EXPECT_TRUE(std::equal(dib.begin() + 40, dib.end(), same.begin() + 40));
    EXPECT_EQ(RGB(255, 255, 255), DibPixel(Convert(dib, 100), 1, 0));
    EXPECT_EQ(RGB(255, 255, 255), DibPixel(Convert(dib, 4000000000u), 0, 0));

    /* 8 bits through the colour table; an index past biClrUsed is black. */
    RGBQUAD table[2] = {{100, 0, 200, 0}, {10, 20, 30, 0}};
    std::vector<BYTE> dib8 = MakePackedDib(8, 3, 1, table, 2, 1, 2);
    dib8[40 + 8] = 0;
    dib8[40 + 8 + 2] = 7;
    out = Convert(dib8, 30);
    ASSERT_GE(out.size(), 40u + 12u);
    EXPECT_EQ(RGB(255, 76, 176), DibPixel(out, 0, 0));
    EXPECT_EQ(RGB(106, 96, 86), DibPixel(out, 1, 0));
    EXPECT_EQ(RGB(76, 76, 76), DibPixel(out, 2, 0));

    /* 1 bit: ink becomes grey 76, white paper stays white, bits read from
     * the top bit down and afresh on each row (9 pixels: 4 bytes a row). */
    std::vector<BYTE> dib1 = MakePackedDib(1, 9, 2, kBlackWhite, 2, 0);
    dib1[48 + 0] = 0x80; /* bottom row: pixel 0 white, the rest ink */
    dib1[48 + 4] = 0x00; /* top row: all ink... */
    dib1[48 + 5] = 0x80; /* ...but pixel 8 white */
    out = Convert(dib1, 30);
    ASSERT_GE(out.size(), 40u + 28u * 2);
    EXPECT_EQ(RGB(255, 255, 255), DibPixel(out, 0, 1));
    EXPECT_EQ(RGB(76, 76, 76), DibPixel(out, 1, 1));
    EXPECT_EQ(RGB(76, 76, 76), DibPixel(out, 8, 1));
    EXPECT_EQ(RGB(76, 76, 76), DibPixel(out, 0, 0));
    EXPECT_EQ(RGB(255, 255, 255), DibPixel(out, 8, 0));
    EXPECT_EQ(RGB(0, 0, 0), DibPixel(Convert(dib1, 0), 1, 1));
    /* The ink never wraps past white; a coloured paper entry keeps its colour. */
    EXPECT_EQ(RGB(255, 255, 255), DibPixel(Convert(dib1, 120), 1, 1));
    RGBQUAD redPaper[2] = {{0, 0, 0, 0}, {10, 20, 255, 0}};
    std::vector<BYTE> dibRed = MakePackedDib(1, 1, 1, redPaper, 2, 0xFF);
    EXPECT_EQ(RGB(255, 20, 10), DibPixel(Convert(dibRed, 30), 0, 0));

}

TEST(Watermark, RefusesBadBitmaps)
{
    std::vector<BYTE> good = MakePackedDib(24, 3, 2, NULL, 0, 0x40);
    WatermarkDibLayout layout = {};
    ASSERT_TRUE(GetWatermarkDibLayout(good.data(), good.size(), &layout));
    EXPECT_EQ(40u, layout.cbPixelOffset);
    EXPECT_EQ(12u, layout.cbSourceRow);

    std::vector<BYTE> dib = good;
    DibHeader(dib)->biWidth = 0;
    EXPECT_TRUE(Refused(dib));
    DibHeader(dib)->biWidth = -3;
    EXPECT_TRUE(Refused(dib));
    dib = good;
    DibHeader(dib)->biHeight = 0;
    EXPECT_TRUE(Refused(dib));
    DibHeader(dib)->biHeight = -2; /* top-down: not plain, drawn by the platform */
    EXPECT_FALSE(GetWatermarkDibLayout(dib.data(), dib.size(), &layout));
    EXPECT_EQ(good.size(), Convert(dib, 30).size());

    /* The header claims more rows than the block holds: one byte short. */
    dib = good;
    dib.pop_back();
    EXPECT_TRUE(Refused(dib));
    dib = good;
    DibHeader(dib)->biHeight = 3;
    EXPECT_TRUE(Refused(dib));
    EXPECT_TRUE(Refused(std::vector<BYTE>(good.begin(), good.begin() + 39)));

    /* Impossible depths, planes, header sizes and compressions. */
    for (WORD nBits : {0, 2, 7, 25, 64}) {
        dib = good;
        DibHeader(dib)->biBitCount = nBits;
        EXPECT_TRUE(Refused(dib)) << nBits;
    }
    dib = good;
    DibHeader(dib)->biPlanes = 2;
    EXPECT_TRUE(Refused(dib));
    dib = good;
    DibHeader(dib)->biSize = 12;
    EXPECT_TRUE(Refused(dib));
    dib = good;
    DibHeader(dib)->biCompression = BI_RLE8;
    EXPECT_TRUE(Refused(dib));
    /* RLE: only bottom-up, with a stream of 1 to the block's 16 bytes. */
    RGBQUAD table[256] = {};
    std::vector<BYTE> rle = MakePackedDib(8, 4, 4, table, 256, 0);
    DibHeader(rle)->biCompression = BI_RLE8;
    for (LONG nHeight : {4, -4})
        for (DWORD cbStream : {16u, 0u, 17u}) {
            DibHeader(rle)->biHeight = nHeight;
            DibHeader(rle)->biSizeImage = cbStream;
            EXPECT_EQ(nHeight > 0 && cbStream == 16, !Convert(rle, 30).empty()) << nHeight << " " << cbStream;
        }

    /* Colour tables: more than 256 entries, or a table past the block. */
    std::vector<BYTE> dib8 = MakePackedDib(8, 4, 4, table, 256, 0);
    ASSERT_TRUE(GetWatermarkDibLayout(dib8.data(), dib8.size(), &layout));
    EXPECT_EQ(40u + 1024u, layout.cbPixelOffset);
    DibHeader(dib8)->biClrUsed = 257;
    EXPECT_TRUE(Refused(dib8));
    DibHeader(dib8)->biClrUsed = 0xFFFFFFFF;
    EXPECT_TRUE(Refused(dib8));
    std::vector<BYTE> dib8Short = MakePackedDib(8, 4, 1, table, 0, 0); /* no table at all */
    EXPECT_TRUE(Refused(dib8Short));

    /* Sizes that overflow: rows times height past any block. */
    dib = good;
    DibHeader(dib)->biWidth = 0x7FFFFFFF;
    DibHeader(dib)->biHeight = 0x7FFFFFFF;
    EXPECT_TRUE(Refused(dib));
    DibHeader(dib)->biBitCount = 32;
    EXPECT_TRUE(Refused(dib));
    DibHeader(dib)->biHeight = 1;
    EXPECT_TRUE(Refused(dib));
}

TEST(Watermark, PlacementGeometry)
{
    WatermarkRect r;
    memset(&r, 0xAB, sizeof(r));
    /* Stretch to width: 1000 x 500 on 2000 x 3000 lands at (0, 1000), 2000 x 1000. */
    ASSERT_TRUE(GetWatermarkPlacementRect(WM_PLACE_STRETCH_TO_WIDTH, 2000, 3000, 1000, 500, &r));
    EXPECT_EQ(0, r.xDest);
    EXPECT_EQ(1000, r.yDest);
    EXPECT_EQ(2000, r.cxDest);
    EXPECT_EQ(1000, r.cyDest);
    EXPECT_EQ(0, r.xSrc);
    EXPECT_EQ(0, r.ySrc);
    EXPECT_EQ(1000, r.cxSrc);
    EXPECT_EQ(500, r.cySrc);
    /* ...and a picture taller than the page after scaling starts at the top. */
    ASSERT_TRUE(GetWatermarkPlacementRect(WM_PLACE_STRETCH_TO_WIDTH, 2000, 3000, 100, 200, &r));
    EXPECT_EQ(0, r.yDest);
    EXPECT_EQ(4000, r.cyDest);

    /* Centre: 3000 x 1000 on 2000 x 3000 takes columns from 500, 2500 wide, at (0, 1000). */
    ASSERT_TRUE(GetWatermarkPlacementRect(WM_PLACE_CENTER, 2000, 3000, 3000, 1000, &r));
    EXPECT_EQ(0, r.xDest);
    EXPECT_EQ(1000, r.yDest);
    EXPECT_EQ(2500, r.cxDest);
    EXPECT_EQ(1000, r.cyDest);
    EXPECT_EQ(500, r.xSrc);
    EXPECT_EQ(0, r.ySrc);
    EXPECT_EQ(2500, r.cxSrc);
    EXPECT_EQ(1000, r.cySrc);
    ASSERT_TRUE(GetWatermarkPlacementRect(WM_PLACE_CENTER, 2001, 3001, 10, 4001, &r));
    EXPECT_EQ(995, r.xDest);
    EXPECT_EQ(0, r.yDest);
    EXPECT_EQ(500, r.ySrc);
    EXPECT_EQ(3501, r.cySrc);

    ASSERT_TRUE(GetWatermarkPlacementRect(WM_PLACE_STRETCH_TO_FIT, 2000, 3000, 7, 9, &r));
    EXPECT_EQ(0, r.xDest);
    EXPECT_EQ(0, r.yDest);
    EXPECT_EQ(2000, r.cxDest);
    EXPECT_EQ(3000, r.cyDest);
    EXPECT_EQ(7, r.cxSrc);
    EXPECT_EQ(9, r.cySrc);

    memset(&r, 0xAB, sizeof(r));
    EXPECT_FALSE(GetWatermarkPlacementRect(WM_PLACE_TILE, 2000, 3000, 7, 9, &r));
    EXPECT_FALSE(GetWatermarkPlacementRect(0, 2000, 3000, 7, 9, &r));
    EXPECT_FALSE(GetWatermarkPlacementRect(WM_PLACE_CENTER, 2000, 3000, 0, 9, &r));
    EXPECT_EQ(static_cast<int>(0xABABABAB), r.xDest);

    /* First-page positions and the switches of one orientation. */
    EXPECT_EQ(WM_PLACE_STRETCH_TO_FIT, WatermarkPositionToPlacement(1));
    EXPECT_EQ(WM_PLACE_STRETCH_TO_WIDTH, WatermarkPositionToPlacement(2));
    EXPECT_EQ(WM_PLACE_TILE, WatermarkPositionToPlacement(8));
    for (DWORD dw : {0u, 3u, 4u, 16u, 0xFFFFFFFFu})
        EXPECT_EQ(WM_PLACE_CENTER, WatermarkPositionToPlacement(dw)) << dw;
    EXPECT_EQ(WM_PLACE_TILE, WatermarkSwitchesToPlacement(TRUE, TRUE, TRUE));
    EXPECT_EQ(WM_PLACE_TILE, WatermarkSwitchesToPlacement(TRUE, FALSE, TRUE));
    EXPECT_EQ(WM_PLACE_STRETCH_TO_WIDTH, WatermarkSwitchesToPlacement(FALSE, TRUE, TRUE));
    EXPECT_EQ(WM_PLACE_STRETCH_TO_FIT, WatermarkSwitchesToPlacement(FALSE, FALSE, TRUE));
    EXPECT_EQ(WM_PLACE_CENTER, WatermarkSwitchesToPlacement(FALSE, FALSE, FALSE));
}

TEST(Watermark, Tiles)
{
    /* 600 x 400 on 2000 x 3000: x = 0, 600, 1200, 1800 in rows 0, 400, ..., 2800. */
    POINT corners[40];
    memset(corners, 0xAB, sizeof(corners));
    ASSERT_EQ(32u, GetWatermarkTiles(2000, 3000, 600, 400, corners, 40));
    for (int i = 0; i < 32; i++) {
        EXPECT_EQ((i % 4) * 600, corners[i].x) << i;
        EXPECT_EQ((i / 4) * 400, corners[i].y) << i;
    }
    EXPECT_EQ(static_cast<LONG>(0xABABABAB), corners[32].x);
    /* Only cMax corners are written. */
    memset(corners, 0xAB, sizeof(corners));
    EXPECT_EQ(32u, GetWatermarkTiles(2000, 3000, 600, 400, corners, 3));
    EXPECT_EQ(static_cast<LONG>(0xABABABAB), corners[3].x);
    EXPECT_EQ(6u, GetWatermarkTiles(1200, 1200, 600, 400, NULL, 0));
    EXPECT_EQ(0u, GetWatermarkTiles(2000, 0, 600, 400, corners, 40));
    EXPECT_EQ(8u, GetWatermarkTiles(0, 3000, 600, 400, NULL, 0));
    EXPECT_EQ(0u, GetWatermarkTiles(2000, 3000, 0, 400, NULL, 0));
    EXPECT_EQ(0u, GetWatermarkTiles(2000, 3000, 600, -1, NULL, 0));
    /* Counted, not walked: a one-pixel picture on the largest page. */
    EXPECT_EQ(static_cast<SIZE_T>(0xFFFFFFFFull * 0xFFFFFFFFull),
              GetWatermarkTiles(0xFFFFFFFF, 0xFFFFFFFF, 1, 1, NULL, 0));
}

namespace {

/* Paints the picture on a white page of cx x cy; gives the page's pixel
 * at each probe (x, y). */
std::vector<COLORREF> Paint(const std::vector<BYTE> &dib, int nPlacement, LONG cx, LONG cy,
                            const std::vector<POINT> &probes)
{
    std::vector<COLORREF> result;
    TestPage page;
    if (!OpenTestPage(page, cx, cy))
        return result;
    HGLOBAL hDib = ToGlobal(dib);
    PrintWatermark(page.hdc, hDib, nPlacement, PackPoint(cx, cy));
    GdiFlush();
    for (const POINT &pt : probes)
        result.push_back(PagePixel(page, pt.x, pt.y));
    GlobalFree(hDib);
    CloseTestPage(page);
    return result;
}

const COLORREF kWhite = RGB(255, 255, 255);

/* Each pixel of a 6 x 4 picture has its own colour. */
COLORREF Marker(LONG x, LONG y) { return RGB(10 + x * 30, 20 + y * 40, 99); }

} // namespace

TEST(Watermark, PrintWatermark)
{
    std::vector<BYTE> picture = MakePicture24(6, 4, Marker);

    /* Stretch to width: 6 x 4 on 12 x 30 lands at (0, 11), 12 x 8. */
    std::vector<COLORREF> px = Paint(picture, WM_PLACE_STRETCH_TO_WIDTH, 12, 30,
                                     {{0, 10}, {0, 11}, {1, 11}, {11, 18}, {0, 19}});
    ASSERT_EQ(5u, px.size());
    EXPECT_EQ(kWhite, px[0]);
    EXPECT_EQ(Marker(0, 0), px[1]);
    EXPECT_EQ(Marker(0, 0), px[2]);
    EXPECT_EQ(Marker(5, 3), px[3]);
    EXPECT_EQ(kWhite, px[4]);

    /* Stretch to fit covers the page. */
    px = Paint(picture, WM_PLACE_STRETCH_TO_FIT, 12, 30, {{0, 0}, {11, 29}});
    EXPECT_EQ(Marker(0, 0), px[0]);
    EXPECT_EQ(Marker(5, 3), px[1]);

    /* Centre, smaller than the page: at (3, 13) at its own size. */
    px = Paint(picture, WM_PLACE_CENTER, 12, 30, {{2, 13}, {3, 13}, {8, 16}, {9, 16}, {3, 17}});
    EXPECT_EQ(kWhite, px[0]);
    EXPECT_EQ(Marker(0, 0), px[1]);
    EXPECT_EQ(Marker(5, 3), px[2]);
    EXPECT_EQ(kWhite, px[3]);
    EXPECT_EQ(kWhite, px[4]);
    /* Centre, wider and taller than a 4 x 2 page: the middle columns and
     * rows, from column 1 and row 1 counted from the top. */
    px = Paint(picture, WM_PLACE_CENTER, 4, 2, {{0, 0}, {3, 1}});
    EXPECT_EQ(Marker(1, 1), px[0]);
    EXPECT_EQ(Marker(4, 2), px[1]);

    /* Tile from the top left corner; the last tiles are cut at the edges. */
    px = Paint(picture, WM_PLACE_TILE, 14, 9, {{0, 0}, {6, 0}, {12, 0}, {13, 8}, {5, 3}, {7, 5}});
    EXPECT_EQ(Marker(0, 0), px[0]);
    EXPECT_EQ(Marker(0, 0), px[1]);
    EXPECT_EQ(Marker(0, 0), px[2]);
    EXPECT_EQ(Marker(1, 0), px[3]);
    EXPECT_EQ(Marker(5, 3), px[4]);
    EXPECT_EQ(Marker(1, 1), px[5]);

    /* A tiny picture on a large page is replicated into a larger tile with
     * the same outcome: 2 x 3 over 1000 x 900, probed all over. */
    auto tiny = [](LONG x, LONG y) { return RGB(x * 100, y * 50, 7); };
    std::vector<POINT> probes;
    for (LONG y = 0; y < 900; y += 37)
        for (LONG x = 0; x < 1000; x += 41)
            probes.push_back({x, y});
    probes.push_back({999, 899});
    px = Paint(MakePicture24(2, 3, tiny), WM_PLACE_TILE, 1000, 900, probes);
    ASSERT_EQ(probes.size(), px.size());
    for (size_t i = 0; i < probes.size(); i++)
        ASSERT_EQ(tiny(probes[i].x % 2, probes[i].y % 3), px[i]) << probes[i].x << "," << probes[i].y;
    /* A one-row picture as wide as the page. */
    auto stripe = [](LONG x, LONG) { return RGB(x % 256, 1, 2); };
    px = Paint(MakePicture24(300, 1, stripe), WM_PLACE_TILE, 300, 500, {{299, 0}, {17, 499}});
    EXPECT_EQ(stripe(299, 0), px[0]);
    EXPECT_EQ(stripe(17, 0), px[1]);

    /* Refused bitmaps and unknown placements paint nothing. */
    std::vector<BYTE> zeroWidth = picture;
    DibHeader(zeroWidth)->biWidth = 0;
    std::vector<BYTE> eightBit = MakePackedDib(8, 2, 2, NULL, 0, 0, 0);
    for (int nPlacement : {1, 2, 3, 4}) {
        EXPECT_EQ(kWhite, Paint(zeroWidth, nPlacement, 12, 30, {{0, 0}})[0]);
        EXPECT_EQ(kWhite, Paint(eightBit, nPlacement, 12, 30, {{0, 0}})[0]);
    }
    EXPECT_EQ(kWhite, Paint(picture, 0, 12, 30, {{0, 0}})[0]);
    EXPECT_EQ(kWhite, Paint(picture, 5, 12, 30, {{0, 0}})[0]);
    PrintWatermark(NULL, NULL, WM_PLACE_TILE, PackPoint(12, 30));
}

namespace {

/* A bitmap file's layout: header size (12, 40, 108 or 124), depth,
 * compression, colour-table entries (biClrUsed; a full table of up to 8 bits
 * is written as 0), bit masks (red, green, blue), top-down rows, bytes
 * between the colour table and the bits, and its size (odd: every depth
 * pads its rows). */
struct BitmapVariant {
    const char *pszName;
    DWORD cbHeader;
    WORD nBits;
    DWORD dwCompression, nTable, adwMasks[3];
    bool bTopDown;
    DWORD cbGap;
    LONG cx = 13, cy = 7;
};

/* The original's colour index at (x, y from the top) and its colours: 16
 * with distinct components, black and white for 1 bit. */
int Index(const BitmapVariant &v, LONG x, LONG y) { return (x + 3 * y + x * y) % (v.nBits == 1 ? 2 : 16); }
COLORREF Color(const BitmapVariant &v, int i)
{
    return v.nBits == 1 ? (i ? RGB(255, 255, 255) : 0) : RGB(i * 16 + 3, 250 - i * 15, i * 7 % 16 * 16 + 8);
}

std::string Bytes(const void *p, size_t cb) { return std::string(static_cast<const char *>(p), cb); }

/* One row (y from the top) as stored: indices, colours packed by the masks
 * (default ones when none), or a run for each stretch of one index. */
std::string VariantRow(const BitmapVariant &v, LONG y)
{
    std::string row;
    bool bRle = v.dwCompression == BI_RLE8 || v.dwCompression == BI_RLE4;
    static const DWORD adw555[3] = { 0x7C00, 0x03E0, 0x001F }, adw888[3] = { 0xFF0000, 0xFF00, 0xFF };
    const DWORD *adwMasks = v.adwMasks[0] ? v.adwMasks : v.nBits == 16 ? adw555 : adw888;
    if (!bRle)
        row.assign(TestRowBytes(v.nBits, v.cx), '\0');
    for (LONG x = 0, n = 1; x < v.cx; x += n) {
        int i = Index(v, x, y);
        for (n = 1; bRle && x + n < v.cx && Index(v, x + n, y) == i; n++) {}
        COLORREF c = Color(v, i);
        const DWORD adwChannel[3] = { GetRValue(c), GetGValue(c), GetBValue(c) };
        DWORD dw = 0;
        for (int k = 0; k < 3; k++) { /* the channel's top bits, as many as its mask has, at the mask */
            int nShift = 0, nWidth = 0;
            while (!(adwMasks[k] >> nShift & 1)) nShift++;
            while (adwMasks[k] >> (nShift + nWidth) & 1) nWidth++;
            dw |= adwChannel[k] >> (8 - nWidth) << nShift;
        }
        if (bRle)
            row += std::string(1, static_cast<char>(n)) + static_cast<char>(v.nBits == 4 ? i << 4 | i : i);
        else if (v.nBits <= 8)
            row[x * v.nBits / 8] |= static_cast<char>(i << (8 - v.nBits - x * v.nBits % 8));
        else
            memcpy(&row[x * v.nBits / 8], &dw, v.nBits / 8);
    }
    return bRle ? row + std::string(2, '\0') : row;
}

/* The whole bitmap file of a variant. */
std::string MakeVariantFile(const BitmapVariant &v)
{
    std::string bits, info;
    for (LONG n = 0; n < v.cy; n++)
        bits += VariantRow(v, v.bTopDown ? n : v.cy - 1 - n);
    if (v.dwCompression == BI_RLE8 || v.dwCompression == BI_RLE4)
        bits.back() = 1; /* the last end-of-line becomes end-of-bitmap */
    BITMAPCOREHEADER c = { sizeof(c), static_cast<WORD>(v.cx), static_cast<WORD>(v.cy), 1, v.nBits };
    BITMAPINFOHEADER ih = { v.cbHeader, v.cx, v.bTopDown ? -v.cy : v.cy, 1, v.nBits, v.dwCompression,
                            static_cast<DWORD>(bits.size()), 2835, 3780,
                            v.nBits <= 8 && v.nTable == 1u << v.nBits ? 0 : v.nTable, 0 };
    BITMAPV5HEADER h = {};
    memcpy(&h, &ih, sizeof(ih));
    memcpy(&h.bV5RedMask, v.adwMasks, sizeof(v.adwMasks));
    bool bMasksAfter = v.cbHeader == 40 && v.dwCompression == BI_BITFIELDS;
    info = v.cbHeader == 12 ? Bytes(&c, 12) : Bytes(&h, v.cbHeader) + (bMasksAfter ? Bytes(v.adwMasks, 12) : "");
    for (DWORD i = 0; i < v.nTable; i++) {
        COLORREF rgb = Color(v, i % 16);
        RGBQUAD q = { GetBValue(rgb), GetGValue(rgb), GetRValue(rgb), 0 };
        info += Bytes(&q, v.cbHeader == 12 ? 3 : 4);
    }
    BITMAPFILEHEADER f = { 0x4D42, 0, 0, 0, static_cast<DWORD>(14 + info.size() + v.cbGap) };
    return Bytes(&f, 14) + info + std::string(v.cbGap, '\xEE') + bits;
}

/* Two converted pictures of the same size whose components differ by at
 * most nTolerance. */
bool SamePicture(const std::vector<BYTE> &a, const std::vector<BYTE> &b, int nTolerance)
{
    if (a.size() != b.size() || a.size() < 40 || memcmp(a.data() + 4, b.data() + 4, 12) != 0)
        return false;
    for (size_t i = 40; i < a.size(); i++)
        if (abs(a[i] - b[i]) > nTolerance)
            return false;
    return true;
}

} // namespace

/* Every bitmap file kind the platform draws, read as a ".bmp" file and, as
 * a loader library would hand it over, as a packed DIB: converted at
 * brightness 0 and 30 like its 24-bit original (16-bit channels within
 * their rounding). */
TEST(Watermark, EveryBitmapVariant)
{
#define M565 { 0xF800, 0x07E0, 0x001F }
    const BitmapVariant variants[] = {
        { "1 bit", 40, 1, BI_RGB, 2, {}, false, 0 },
        { "1 bit, top-down", 40, 1, BI_RGB, 2, {}, true, 0 },
        { "1 bit, core header", 12, 1, BI_RGB, 2, {}, false, 0 },
        { "4 bit", 40, 4, BI_RGB, 16, {}, false, 0 },
        { "4 bit, RLE4", 40, 4, BI_RLE4, 16, {}, false, 0 },
        { "4 bit, core header", 12, 4, BI_RGB, 16, {}, false, 0 },
        { "8 bit", 40, 8, BI_RGB, 256, {}, false, 0 },
        { "8 bit, 16 colours", 40, 8, BI_RGB, 16, {}, false, 0 },
        { "8 bit, RLE8", 40, 8, BI_RLE8, 16, {}, false, 0 },
        { "8 bit, RLE8, V5 header, gap", 124, 8, BI_RLE8, 16, {}, false, 6 },
        { "8 bit, top-down", 40, 8, BI_RGB, 16, {}, true, 0 },
        { "8 bit, core header", 12, 8, BI_RGB, 256, {}, false, 0 },
        { "8 bit, V4 header", 108, 8, BI_RGB, 16, {}, false, 0 },
        { "8 bit, gap", 40, 8, BI_RGB, 256, {}, false, 10 },
        { "16 bit", 40, 16, BI_RGB, 0, {}, false, 0 },
        { "16 bit, 5-6-5 masks after the header", 40, 16, BI_BITFIELDS, 0, M565, false, 0 },
        { "16 bit, 5-6-5 masks in a V4 header", 108, 16, BI_BITFIELDS, 0, M565, false, 0 },
        { "16 bit, masks, colour table, top-down", 40, 16, BI_BITFIELDS, 16, M565, true, 0 },
        { "24 bit", 40, 24, BI_RGB, 0, {}, false, 0 },
        { "24 bit, top-down", 40, 24, BI_RGB, 0, {}, true, 0 },
        { "24 bit, core header", 12, 24, BI_RGB, 0, {}, false, 0 },
        { "24 bit, colour table", 40, 24, BI_RGB, 16, {}, false, 0 },
        { "24 bit, V5 header", 124, 24, BI_RGB, 0, {}, false, 0 },
        { "24 bit, gap", 40, 24, BI_RGB, 0, {}, false, 2 },
        { "32 bit", 40, 32, BI_RGB, 0, {}, false, 0 },
        { "32 bit, masks after the header", 40, 32, BI_BITFIELDS, 0, { 0xFF00, 0xFF0000, 0xFF000000 }, false, 0 },
        { "32 bit, masks in a V5 header, top-down", 124, 32, BI_BITFIELDS, 0, { 0xFF0000, 0xFF00, 0xFF }, true, 0 },
        { "32 bit, colour table", 40, 32, BI_RGB, 256, {}, false, 0 },
        /* Decoded by the platform in two strips. */
        { "32 bit, top-down, 1400 x 1100", 40, 32, BI_RGB, 0, {}, true, 0, 1400, 1100 },
    };
#undef M565
    std::string path = MakeTempDir("wm_variants") + "\\variant.bmp";
    for (const BitmapVariant &v : variants) {
        std::string file = MakeVariantFile(v);
        WriteWholeFile(path, file);
        HGLOBAL hRead = LoadWatermarkIntoDIB(Widen(path).c_str(), NULL);
        std::vector<BYTE> read = FromGlobal(hRead), packed(file.begin() + 14, file.end());
        if (hRead != NULL)
            GlobalFree(hRead);
        for (DWORD dwBrightness : {0u, 30u}) {
            std::vector<BYTE> want = Convert(
                MakePicture24(v.cx, v.cy, [&](LONG x, LONG y) { return Color(v, Index(v, x, y)); }), dwBrightness);
            EXPECT_TRUE(SamePicture(Convert(read, dwBrightness), want, v.nBits == 16 ? 7 : 0))
                << v.pszName << ", file, brightness " << dwBrightness;
            EXPECT_TRUE(v.cbGap != 0 || SamePicture(Convert(packed, dwBrightness), want, v.nBits == 16 ? 7 : 0))
                << v.pszName << ", packed, brightness " << dwBrightness;
        }
    }
    DeleteFileA(path.c_str());
}

#include "settings/devmode.h"
#include "settings/families.h"
#include "settings/profile.h"

namespace {

const wchar_t kPrinter[] = L"JH Watermark Test Printer";
const std::wstring kPrinterKey = std::wstring(L"SOFTWARE\\Quennor Software LLC\\") + kPrinter;
const DWORD kJob = 31;

/* The printer's registry keys are removed when a test starts and ends. */
struct PrinterKeyScope {
    PrinterKeyScope() { Clean(); }
    ~PrinterKeyScope() { Clean(); }
    static void Clean()
    {
        RegDeleteTree(kPrinterKey);
    }
};

/* Solid pictures as bitmap files; lightened at 30 each 0 becomes 76 and
 * each 100 becomes 176. */
struct Pictures {
    std::wstring portrait, landscape, firstPortrait, firstLandscape, halves, missing;
};

std::wstring WriteSolid(const std::string &dir, const char *pszName, COLORREF color)
{
    std::string path = dir + "\\" + pszName;
    WriteWholeFile(path, MakeBitmapFile(MakePicture24(4, 4, [&](LONG, LONG) { return color; })));
    return Widen(path);
}

Pictures MakePictures()
{
    std::string dir = MakeTempDir("wm_stamp");
    Pictures p;
    p.portrait = WriteSolid(dir, "portrait.bmp", RGB(0, 0, 100));
    p.landscape = WriteSolid(dir, "landscape.bmp", RGB(0, 100, 0));
    p.firstPortrait = WriteSolid(dir, "first-p.bmp", RGB(100, 0, 0));
    p.firstLandscape = WriteSolid(dir, "first-l.bmp", RGB(100, 100, 0));
    /* Left half 100 red, right half 100 blue. */
    std::string halves = dir + "\\halves.bmp";
    WriteWholeFile(halves, MakeBitmapFile(MakePicture24(4, 4, [](LONG x, LONG) {
                       return x < 2 ? RGB(100, 0, 0) : RGB(0, 0, 100);
                   })));
    p.halves = Widen(halves);
    p.missing = Widen(dir + "\\missing.bmp");
    return p;
}

const COLORREF kPortrait = RGB(76, 76, 176), kLandscape = RGB(76, 176, 76);
const COLORREF kFirstPortrait = RGB(176, 76, 76), kFirstLandscape = RGB(176, 176, 76);

/* A device mode for the test printer: watermark on, the two pictures
 * stretched to fit, brightness 30 each. */
DriverDevMode *NewDevMode(const Pictures &p)
{
    DriverDevMode *pDevMode = static_cast<DriverDevMode *>(calloc(1, sizeof(DriverDevMode)));
    DevMode_Initialize(pDevMode);
    DevMode_SetDeviceName(pDevMode, kPrinter);
    DevMode_SetPrinterId(pDevMode, 0x5EED);
    DevMode_SetOrientation(pDevMode, DMORIENT_PORTRAIT);
    DevMode_SetWatermarkFlags(pDevMode, WMF_PRINT_WATERMARK | WMF_P_STRETCH_TO_FIT | WMF_L_STRETCH_TO_FIT);
    DevMode_SetWatermarkBrightnessPortrait(pDevMode, 30);
    DevMode_SetWatermarkBrightnessLandscape(pDevMode, 30);
    DevMode_SetWatermarkFilePortrait(pDevMode, p.portrait.c_str());
    DevMode_SetWatermarkFileLandscape(pDevMode, p.landscape.c_str());
    return pDevMode;
}

struct StampResult {
    int nResult;
    std::vector<COLORREF> pixels;
};

/* Stamps page dwPage on a white 40 x 30 page; gives the result and the
 * pixels at (0, 0), (2, 0) and (20, 15). */
StampResult Stamp(const DriverDevMode *pDevMode, DWORD dwPage, DWORD cbDevMode = sizeof(DriverDevMode))
{
    StampResult r = {-1, {}};
    TestPage page;
    if (!OpenTestPage(page, 40, 30))
        return r;
    r.nResult = AddWatermark(page.hdc, pDevMode, cbDevMode, dwPage, PackPoint(40, 30), kJob);
    GdiFlush();
    r.pixels = {PagePixel(page, 0, 0), PagePixel(page, 2, 0), PagePixel(page, 20, 15)};
    CloseTestPage(page);
    return r;
}

/* Result and the colour at the page centre, or white when painted nothing. */
::testing::AssertionResult Stamped(const DriverDevMode *pDevMode, DWORD dwPage, int nResult, COLORREF color)
{
    StampResult r = Stamp(pDevMode, dwPage);
    if (r.nResult != nResult || r.pixels.size() != 3 || r.pixels[2] != color)
        return ::testing::AssertionFailure() << "page " << dwPage << ": result " << r.nResult << ", centre 0x"
                                             << std::hex << (r.pixels.size() == 3 ? r.pixels[2] : 0);
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(Watermark, AddWatermarkArguments)
{
    PrinterKeyScope scope;
    Pictures p = MakePictures();
    DriverDevMode *pDevMode = NewDevMode(p);
    ASSERT_TRUE(Stamped(pDevMode, 1, STAMP_DRAWN, kPortrait));
    EXPECT_EQ(STAMP_FAILED, AddWatermark(NULL, pDevMode, sizeof(DriverDevMode), 1, PackPoint(40, 30), kJob));
    EXPECT_EQ(STAMP_FAILED, Stamp(NULL, 1).nResult);
    EXPECT_EQ(kWhite, Stamp(pDevMode, 1, 6878).pixels[2]);
    EXPECT_EQ(STAMP_FAILED, Stamp(pDevMode, 1, 6878).nResult);
    EXPECT_EQ(STAMP_FAILED, Stamp(pDevMode, 1, 6880).nResult);

    /* Watermark off: switched off on every page. */
    DevMode_ClearWmfPrintWatermark(pDevMode);
    EXPECT_TRUE(Stamped(pDevMode, 1, STAMP_SWITCHED_OFF, kWhite));
    EXPECT_TRUE(Stamped(pDevMode, 2, STAMP_SWITCHED_OFF, kWhite));
    DevMode_SetWmfPrintWatermark(pDevMode);

    /* No picture named: switched off. A named picture that cannot be read
     * (missing), loaded (no such library) or converted (rows missing):
     * failed, nothing painted. */
    DevMode_SetWatermarkFilePortrait(pDevMode, L"");
    EXPECT_TRUE(Stamped(pDevMode, 2, STAMP_SWITCHED_OFF, kWhite));
    DevMode_SetWatermarkFilePortrait(pDevMode, p.missing.c_str());
    EXPECT_TRUE(Stamped(pDevMode, 2, STAMP_FAILED, kWhite));
    ASSERT_TRUE(CopyFileW(p.portrait.c_str(), (p.missing + L".jpg").c_str(), FALSE));
    DevMode_SetWatermarkFilePortrait(pDevMode, (p.missing + L".jpg").c_str());
    DevMode_SetJpegLoaderLibrary(pDevMode, L"wm_no_such_loader.dll");
    EXPECT_TRUE(Stamped(pDevMode, 2, STAMP_FAILED, kWhite));
    std::vector<BYTE> truncated = MakePicture24(4, 4, [](LONG, LONG) { return RGB(1, 2, 3); });
    truncated.resize(truncated.size() - 1);
    WriteWholeFile(std::string(p.missing.begin(), p.missing.end()), MakeBitmapFile(truncated));
    DevMode_SetWatermarkFilePortrait(pDevMode, p.missing.c_str());
    EXPECT_TRUE(Stamped(pDevMode, 2, STAMP_FAILED, kWhite));
    free(pDevMode);
}

TEST(Watermark, AddWatermarkFirstPage)
{
    PrinterKeyScope scope;
    Pictures p = MakePictures();
    DriverDevMode *pDevMode = NewDevMode(p);

    /* First page only, no separate first picture: page 1 normal, page 2 nothing. */
    DevMode_SetWmfFirstPageOnly(pDevMode);
    EXPECT_TRUE(Stamped(pDevMode, 1, STAMP_DRAWN, kPortrait));
    EXPECT_TRUE(Stamped(pDevMode, 2, STAMP_SWITCHED_OFF, kWhite));

    /* Separate first picture on but stored nowhere: page 1 fails, page 2
     * follows first page only. */
    DevMode_SetWmfFirstImage(pDevMode);
    EXPECT_TRUE(Stamped(pDevMode, 1, STAMP_FAILED, kWhite));
    EXPECT_TRUE(Stamped(pDevMode, 2, STAMP_SWITCHED_OFF, kWhite));
    DevMode_ClearWmfFirstPageOnly(pDevMode);
    EXPECT_TRUE(Stamped(pDevMode, 1, STAMP_FAILED, kWhite));
    EXPECT_TRUE(Stamped(pDevMode, 2, STAMP_DRAWN, kPortrait));

    /* Stored in the printer's "Watermark" key: page 1 gets it, with or
     * without first page only; later pages get the normal picture or none. */
    ASSERT_EQ(1, SetWatermarkFirstImage(pDevMode, 1, p.firstPortrait.c_str()));
    ASSERT_EQ(1, SetWatermarkFirstImage(pDevMode, 0, p.firstLandscape.c_str()));
    ASSERT_EQ(1, SetWatermarkFirstImagePosition(pDevMode, 1, 1));
    ASSERT_EQ(1, SetWatermarkFirstImagePosition(pDevMode, 0, 1));
    EXPECT_TRUE(Stamped(pDevMode, 1, STAMP_DRAWN, kFirstPortrait));
    EXPECT_TRUE(Stamped(pDevMode, 2, STAMP_DRAWN, kPortrait));
    EXPECT_TRUE(Stamped(pDevMode, 3, STAMP_DRAWN, kPortrait));
    DevMode_SetWmfFirstPageOnly(pDevMode);
    EXPECT_TRUE(Stamped(pDevMode, 1, STAMP_DRAWN, kFirstPortrait));
    EXPECT_TRUE(Stamped(pDevMode, 2, STAMP_SWITCHED_OFF, kWhite));
    /* The first picture off again: page 1 is normal. */
    DevMode_ClearWmfFirstImage(pDevMode);
    EXPECT_TRUE(Stamped(pDevMode, 1, STAMP_DRAWN, kPortrait));
    DevMode_SetWmfFirstImage(pDevMode);

    /* Landscape pages take the landscape first picture. */
    DevMode_SetOrientation(pDevMode, DMORIENT_LANDSCAPE);
    EXPECT_TRUE(Stamped(pDevMode, 1, STAMP_DRAWN, kFirstLandscape));

    /* First-page brightness from the "Watermark" key. */
    ASSERT_EQ(1, SetWatermarkFirstImageBrightness(pDevMode, 0, 60));
    EXPECT_TRUE(Stamped(pDevMode, 1, STAMP_DRAWN, RGB(253, 253, 153)));
    DevMode_SetOrientation(pDevMode, DMORIENT_PORTRAIT);

    /* Position 8 tiles the 4 x 4 picture from the corner; 4, 16 and 0
     * centre it at (18, 13), leaving the corner white. */
    ASSERT_EQ(1, SetWatermarkFirstImagePosition(pDevMode, 1, 8));
    StampResult r = Stamp(pDevMode, 1);
    EXPECT_EQ(STAMP_DRAWN, r.nResult);
    EXPECT_EQ(kFirstPortrait, r.pixels[0]);
    EXPECT_EQ(kFirstPortrait, r.pixels[2]);
    for (DWORD dwPosition : {4u, 16u, 0u}) {
        std::wstring key = kPrinterKey + L"\\Watermark";
        RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"First Image Portrait Position", REG_DWORD, &dwPosition,
                        sizeof(dwPosition));
        r = Stamp(pDevMode, 1);
        EXPECT_EQ(STAMP_DRAWN, r.nResult) << dwPosition;
        EXPECT_EQ(kWhite, r.pixels[0]) << dwPosition;
        EXPECT_EQ(kFirstPortrait, r.pixels[2]) << dwPosition;
    }
    free(pDevMode);
}

TEST(Watermark, AddWatermarkOrientationAndPlacement)
{
    PrinterKeyScope scope;
    Pictures p = MakePictures();
    DriverDevMode *pDevMode = NewDevMode(p);

    /* Orientation 2 is landscape; 1 and 0 (and anything else) portrait. */
    DevMode_SetOrientation(pDevMode, DMORIENT_LANDSCAPE);
    EXPECT_TRUE(Stamped(pDevMode, 1, STAMP_DRAWN, kLandscape));
    DevMode_SetWatermarkBrightnessLandscape(pDevMode, 60);
    EXPECT_TRUE(Stamped(pDevMode, 2, STAMP_DRAWN, RGB(153, 253, 153)));
    for (short nOrientation : {1, 0, 3}) {
        DevMode_SetOrientation(pDevMode, nOrientation);
        EXPECT_TRUE(Stamped(pDevMode, 2, STAMP_DRAWN, kPortrait)) << nOrientation;
    }

    /* Portrait tile and stretch to fit both on: tiled. The halves picture
     * shows its blue half at x = 2 only when tiled at its own size. */
    DevMode_SetWatermarkFilePortrait(pDevMode, p.halves.c_str());
    DevMode_SetWmfPTile(pDevMode);
    StampResult r = Stamp(pDevMode, 2);
    EXPECT_EQ(RGB(176, 76, 76), r.pixels[0]);
    EXPECT_EQ(RGB(76, 76, 176), r.pixels[1]);
    DevMode_ClearWmfPTile(pDevMode);
    r = Stamp(pDevMode, 2);
    EXPECT_EQ(RGB(176, 76, 76), r.pixels[1]);
    /* Neither: centred, the corner left white. */
    DevMode_ClearWmfPStretchToFit(pDevMode);
    r = Stamp(pDevMode, 2);
    EXPECT_EQ(kWhite, r.pixels[0]);
    EXPECT_EQ(RGB(76, 76, 176), r.pixels[2]); /* column 2 of the picture at x = 20 */
    /* The landscape switches belong to landscape pages only. */
    DevMode_SetWmfLTile(pDevMode);
    r = Stamp(pDevMode, 2);
    EXPECT_EQ(kWhite, r.pixels[0]);
    free(pDevMode);
}

TEST(Watermark, AddWatermarkFromProfile)
{
    PrinterKeyScope scope;
    Pictures p = MakePictures();
    DriverDevMode *pDevMode = NewDevMode(p);
    DevMode_SetFlagUseProfile(pDevMode);
    DevMode_SetWmfPTile(pDevMode);

    /* "Print Watermark" missing falls back to the block; the picture too. */
    EXPECT_TRUE(Stamped(pDevMode, 2, STAMP_DRAWN, kPortrait));
    /* The placement switches have no fallback: "Watermark P Tile" missing
     * is off even though the block tiles, so the picture is centred. */
    StampResult r = Stamp(pDevMode, 2);
    EXPECT_EQ(kWhite, r.pixels[0]);
    ASSERT_EQ(1, WriteProfileDword(pDevMode, PD_WATERMARK_P_TILE, kJob, 1));
    r = Stamp(pDevMode, 2);
    EXPECT_EQ(kPortrait, r.pixels[0]);

    /* Profile picture, brightness and switches of this job. */
    ASSERT_EQ(1, WriteProfileString(pDevMode, PS_WATERMARK_PORTRAIT_IMAGE, kJob, p.firstPortrait.c_str()));
    ASSERT_EQ(1, WriteProfileDword(pDevMode, PD_WATERMARK_P_BRIGHTNESS, kJob, 0));
    EXPECT_TRUE(Stamped(pDevMode, 2, STAMP_DRAWN, RGB(100, 0, 0)));
    ASSERT_EQ(1, WriteProfileDword(pDevMode, PD_PRINT_WATERMARK, kJob, 0));
    EXPECT_TRUE(Stamped(pDevMode, 2, STAMP_SWITCHED_OFF, kWhite));
    ASSERT_EQ(1, WriteProfileDword(pDevMode, PD_PRINT_WATERMARK, kJob, 1));

    /* The first picture from the profile; "Watermark First Image enabled"
     * missing is off whatever the block says. */
    DevMode_SetWmfFirstImage(pDevMode);
    EXPECT_TRUE(Stamped(pDevMode, 1, STAMP_DRAWN, RGB(100, 0, 0)));
    ASSERT_EQ(1, WriteProfileDword(pDevMode, PD_WATERMARK_FIRST_IMAGE_ENABLED, kJob, 1));
    EXPECT_TRUE(Stamped(pDevMode, 1, STAMP_FAILED, kWhite));
    ASSERT_EQ(1, WriteProfileString(pDevMode, PS_WATERMARK_PORTRAIT_FIRST_IMAGE, kJob, p.landscape.c_str()));
    ASSERT_EQ(1, WriteProfileDword(pDevMode, PD_WATERMARK_P_FIRST_BRIGHTNESS, kJob, 30));
    EXPECT_TRUE(Stamped(pDevMode, 1, STAMP_DRAWN, kLandscape));
    free(pDevMode);
}

namespace {

FILETIME LastWrite(const std::string &path)
{
    FILETIME ft = {0, 0};
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    GetFileTime(hFile, NULL, NULL, &ft);
    CloseHandle(hFile);
    return ft;
}

/* Rewrites a 4 x 4 solid picture in place, with the given last write. */
void RewriteSolid(const std::wstring &picture, COLORREF color, FILETIME ftWrite)
{
    std::string path(picture.begin(), picture.end());
    WriteWholeFile(path, MakeBitmapFile(MakePicture24(4, 4, [&](LONG, LONG) { return color; })));
    HANDLE hFile = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, NULL, OPEN_EXISTING, 0, NULL);
    SetFileTime(hFile, NULL, NULL, &ftWrite);
    CloseHandle(hFile);
}

} // namespace

/* The lightened picture is kept while its file (path, size, last write) and
 * brightness stay the same: a file rewritten with other pixels but the same
 * size and last write still paints the kept picture, on every page and in
 * either orientation's entry, until the cache is released or the job's
 * picture changes. */
TEST(Watermark, PictureCache)
{
    PrinterKeyScope scope;
    Pictures p = MakePictures();
    DriverDevMode *pDevMode = NewDevMode(p);
    ReleaseWatermarkCache();
    EXPECT_TRUE(Stamped(pDevMode, 1, STAMP_DRAWN, kPortrait));
    FILETIME ftWrite = LastWrite(std::string(p.portrait.begin(), p.portrait.end()));
    RewriteSolid(p.portrait, RGB(0, 100, 0), ftWrite);
    EXPECT_TRUE(Stamped(pDevMode, 2, STAMP_DRAWN, kPortrait));
    DevMode_SetOrientation(pDevMode, DMORIENT_LANDSCAPE);
    EXPECT_TRUE(Stamped(pDevMode, 2, STAMP_DRAWN, kLandscape));
    DevMode_SetOrientation(pDevMode, DMORIENT_PORTRAIT);
    EXPECT_TRUE(Stamped(pDevMode, 3, STAMP_DRAWN, kPortrait));

    /* Released: the file is read anew. */
    ReleaseWatermarkCache();
    EXPECT_TRUE(Stamped(pDevMode, 2, STAMP_DRAWN, kLandscape));

    /* A new last write, a new brightness, another file: each read anew. */
    ftWrite.dwLowDateTime += 10000000;
    if (ftWrite.dwLowDateTime < 10000000)
        ftWrite.dwHighDateTime++;
    RewriteSolid(p.portrait, RGB(100, 0, 0), ftWrite);
    EXPECT_TRUE(Stamped(pDevMode, 2, STAMP_DRAWN, kFirstPortrait));
    DevMode_SetWatermarkBrightnessPortrait(pDevMode, 60);
    EXPECT_TRUE(Stamped(pDevMode, 2, STAMP_DRAWN, RGB(253, 153, 153)));
    DevMode_SetWatermarkFilePortrait(pDevMode, p.halves.c_str());
    EXPECT_EQ(RGB(153, 153, 253), Stamp(pDevMode, 2).pixels[2]);
    /* The file gone: failed, nothing painted. */
    DeleteFileW(p.halves.c_str());
    EXPECT_TRUE(Stamped(pDevMode, 2, STAMP_FAILED, kWhite));
    ReleaseWatermarkCache();
    free(pDevMode);
}
