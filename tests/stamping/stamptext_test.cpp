#include <gtest/gtest.h>

#include "stamping/imageload.h"
#include "stamping/stampcommon.h"
#include "stamping/stamps.h"
#include "stamping/stamptext.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <vector>

TEST(StampText, CopyAndAppend)
{
    WCHAR sz[8];
    wmemset(sz, L'#', 8);
    EXPECT_TRUE(StampTextCopy(sz, 6, L"abcde"));
    EXPECT_STREQ(sz, L"abcde");
    EXPECT_FALSE(StampTextAppend(sz, 6, L"f"));
    EXPECT_STREQ(sz, L"abcde");
    EXPECT_FALSE(StampTextCopy(sz, 4, L"abcdef"));
    EXPECT_STREQ(sz, L"abc");
    EXPECT_TRUE(StampTextAppend(sz, 6, L"de"));
    EXPECT_FALSE(StampTextAppendFormat(sz, 7, L"%02d", 7));
    EXPECT_STREQ(sz, L"abcde0");
    EXPECT_EQ(sz[7], L'#');
    EXPECT_FALSE(StampTextCopy(sz, 0, L"x"));
    EXPECT_EQ(sz[0], L'a');
}

TEST(StampText, Offsets)
{
    EXPECT_EQ(StampPixelsPerMetre(600), 23622);
    EXPECT_EQ(StampPixelsPerMetre(300), 11811);
    EXPECT_EQ(StampPixelsPerMetre(96), 3780);

    /* One inch at 600 dpi; 254 tenths of a millimetre fall just short. */
    EXPECT_EQ(ConvertStampOffset(100, STAMP_UNIT_HUNDREDTH_INCH, 23622), 600);
    EXPECT_EQ(ConvertStampOffset(254, STAMP_UNIT_TENTH_MM, 23622), 599);
    EXPECT_EQ(ConvertStampOffset(100, STAMP_UNIT_TENTH_MM, 11811), 118);
    EXPECT_EQ(ConvertStampOffset(50, STAMP_UNIT_HUNDREDTH_INCH, 11811), 150);
    /* Negative offsets move inward by the same distance in every unit. */
    EXPECT_EQ(ConvertStampOffset(-254, STAMP_UNIT_TENTH_MM, 23622), -599);
    EXPECT_EQ(ConvertStampOffset(-50, STAMP_UNIT_HUNDREDTH_INCH, 11811), -150);
    EXPECT_EQ(ConvertStampOffset(-7, STAMP_UNIT_PIXELS, 11811), -7);
    EXPECT_EQ(ConvertStampOffset(500, 3, 11811), 0);
    EXPECT_EQ(ConvertStampOffset(500, -1, 11811), 0);
    /* No overflow for large offsets. */
    EXPECT_EQ(ConvertStampOffset(1000000, STAMP_UNIT_TENTH_MM, 23622), 2362200);
}

TEST(StampText, Font)
{
    LOGFONTW stored;
    memset(&stored, 0, sizeof(stored));
    LOGFONTW font;
    memset(&font, 0xCC, sizeof(font));
    PrepareStampFont(&stored, 45, 600, &font);
    EXPECT_EQ(font.lfHeight, 100);
    EXPECT_EQ(font.lfWeight, 400);
    EXPECT_STREQ(font.lfFaceName, L"Arial");
    EXPECT_EQ(font.lfEscapement, 450);
    EXPECT_EQ(font.lfOrientation, 0);
    PrepareStampFont(&stored, 0, 300, &font);
    EXPECT_EQ(font.lfHeight, 50);

    /* A stored font keeps its face and weight; a negative height stays negative. */
    stored.lfHeight = -25;
    stored.lfWeight = 700;
    stored.lfOrientation = 30;
    wcscpy(stored.lfFaceName, L"Courier New");
    PrepareStampFont(&stored, -90, 300, &font);
    EXPECT_EQ(font.lfHeight, -78);  /* -25 * 300 / 96 = -78.125 */
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_EQ(font.lfOrientation, 30);
    EXPECT_EQ(font.lfEscapement, -900);
    EXPECT_STREQ(font.lfFaceName, L"Courier New");
}

TEST(StampText, Position)
{
    POINT pt;
    /* Unrotated: the text's top-left corner at the anchor, offsets added. */
    pt = ComputeStampPosition(STAMP_POS_TOP_LEFT, 0, 200, 40, 2479, 3508, 0, 0);
    EXPECT_EQ(pt.x, 0);
    EXPECT_EQ(pt.y, 0);
    pt = ComputeStampPosition(STAMP_POS_BOTTOM_RIGHT, 0, 200, 40, 2479, 3508, 0, 0);
    EXPECT_EQ(pt.x, 2279);
    EXPECT_EQ(pt.y, 3468);
    pt = ComputeStampPosition(STAMP_POS_BOTTOM_RIGHT, 0, 200, 40, 2479, 3508, 10, -20);
    EXPECT_EQ(pt.x, 2289);
    EXPECT_EQ(pt.y, 3448);
    pt = ComputeStampPosition(STAMP_POS_TOP_RIGHT, 0, 200, 40, 2479, 3508, 0, 0);
    EXPECT_EQ(pt.x, 2279);
    EXPECT_EQ(pt.y, 0);
    pt = ComputeStampPosition(STAMP_POS_BOTTOM_LEFT, 0, 200, 40, 2479, 3508, 0, 0);
    EXPECT_EQ(pt.x, 0);
    EXPECT_EQ(pt.y, 3468);
    pt = ComputeStampPosition(STAMP_POS_CENTER, 0, 201, 41, 2479, 3508, 0, 0);
    EXPECT_EQ(pt.x, 1239 - 100);
    EXPECT_EQ(pt.y, 1754 - 20);
    pt = ComputeStampPosition(77, 0, 200, 40, 2479, 3508, 0, 0);
    EXPECT_EQ(pt.x, 0);

    /* Rotated 90 degrees about the top edge's midpoint: (100, 99), not
     * (100, 100), because the angle uses 3.14159. */
    pt = ComputeStampPosition(STAMP_POS_TOP_LEFT, 90, 200, 40, 2479, 3508, 0, 0);
    EXPECT_EQ(pt.x, 100);
    EXPECT_EQ(pt.y, 99);
    pt = ComputeStampPosition(STAMP_POS_TOP_LEFT, 180, 200, 40, 2479, 3508, 0, 0);
    EXPECT_EQ(pt.x, 199);
    EXPECT_EQ(pt.y, 0);
}

TEST(StampText, AbsurdInputsClamped)
{
    /* A rotation is a turn modulo 360, so rotation x 10 never overflows. */
    const struct { int nRotation, nTurn; } turns[] = {
        { 370, 10 }, { -370, -10 }, { 360, 0 }, { 359, 359 }, { INT_MAX, 127 }, { INT_MIN, -128 },
    };
    LOGFONTW stored, font;
    memset(&stored, 0, sizeof(stored));
    for (const auto &t : turns) {
        EXPECT_EQ(t.nTurn, StampRotation(t.nRotation)) << t.nRotation;
        PrepareStampFont(&stored, t.nRotation, 300, &font);
        EXPECT_EQ(t.nTurn * 10, font.lfEscapement) << t.nRotation;
    }
    /* Heights, offsets and positions stay within +-2^27, keeping their sign. */
    const long long llLimit = STAMP_COORD_LIMIT;
    stored.lfHeight = INT_MIN;
    PrepareStampFont(&stored, 0, INT_MAX, &font);
    EXPECT_EQ(-llLimit, font.lfHeight);
    EXPECT_EQ(INT_MAX, StampPixelsPerMetre(INT_MAX));
    EXPECT_EQ(-INT_MAX, StampPixelsPerMetre(INT_MIN));
    for (int nUnit : { STAMP_UNIT_TENTH_MM, STAMP_UNIT_HUNDREDTH_INCH, STAMP_UNIT_PIXELS }) {
        EXPECT_EQ(llLimit, ConvertStampOffset(INT_MAX, nUnit, INT_MAX)) << nUnit;
        EXPECT_EQ(-llLimit, ConvertStampOffset(INT_MIN, nUnit, INT_MAX)) << nUnit;
    }
    const int aExtremes[] = { INT_MIN, -1, 0, INT_MAX };
    for (int nAnchor = STAMP_POS_TOP_LEFT; nAnchor <= STAMP_POS_BOTTOM_RIGHT; nAnchor++)
        for (int nValue : aExtremes)
            for (int nOther : aExtremes) {
                POINT pt = ComputeStampPosition(nAnchor, nValue, nOther, nValue, nOther, nValue, nValue, nOther);
                EXPECT_LE(llabs(pt.x), llLimit) << nAnchor << " " << nValue << " " << nOther;
                EXPECT_LE(llabs(pt.y), llLimit) << nAnchor << " " << nValue << " " << nOther;
            }
    POINT pt = ComputeStampPosition(STAMP_POS_BOTTOM_RIGHT, 0, 200, 40, 2479, 3508, INT_MAX, INT_MIN);
    EXPECT_EQ(llLimit, pt.x);
    EXPECT_EQ(-llLimit, pt.y);
}

TEST(StampCommon, WorkingCopy)
{
    /* No zero byte anywhere: none of the block's string fields ends. */
    std::vector<BYTE> block(DRIVER_DEVMODE_SIZE, 0x41);
    DriverDevMode stWork;
    memset(&stWork, 0, sizeof(stWork));
    EXPECT_FALSE(StampCopyDevMode(block.data(), DRIVER_DEVMODE_SIZE - 1, &stWork));
    EXPECT_FALSE(StampCopyDevMode(block.data(), DRIVER_DEVMODE_SIZE + 1, &stWork));
    EXPECT_FALSE(StampCopyDevMode(NULL, DRIVER_DEVMODE_SIZE, &stWork));
    EXPECT_FALSE(StampCopyDevMode(block.data(), DRIVER_DEVMODE_SIZE, NULL));
    EXPECT_EQ(0u, stWork.Flags);

    ASSERT_TRUE(StampCopyDevMode(block.data(), DRIVER_DEVMODE_SIZE, &stWork));
    /* The strings the stamps read end within their fields; the rest is copied. */
    struct { const WCHAR *psz; size_t cchField; } aFields[] = {
        { DevMode_GetDeviceName(&stWork), DM_CCH_DEVICE_NAME },
        { DevMode_GetAnnotationText(&stWork), DM_CCH_ANNOTATION },
        { DevMode_GetAnnotationSeparator(&stWork), DM_CCH_ANNOTATION },
        { DevMode_GetWatermarkFilePortrait(&stWork), DM_CCH_PATH },
        { DevMode_GetWatermarkFileLandscape(&stWork), DM_CCH_PATH },
        { DevMode_GetJpegLoaderLibrary(&stWork), DM_CCH_PATH },
        { DevMode_GetTiffLoaderLibrary(&stWork), DM_CCH_PATH },
    };
    for (const auto &f : aFields)
        EXPECT_EQ(f.cchField - 1, wcsnlen(f.psz, f.cchField));
    EXPECT_EQ(0x41414141u, stWork.Flags);
    EXPECT_EQ(0x41414141u, stWork.AnnotationFlags);
    /* The caller's block stays as it was. */
    EXPECT_EQ(std::vector<BYTE>(DRIVER_DEVMODE_SIZE, 0x41), block);
}

TEST(StampCommon, UnterminatedBlockAtNoAccessPage)
{
    /* A device mode whose every string field runs to its end without a
     * terminator, ending right before a page that cannot be read: the stamps
     * and the picture loading read each string within its field. */
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    const SIZE_T cbPage = si.dwPageSize, cbBlock = 2 * cbPage;
    BYTE *pBase = (BYTE *)VirtualAlloc(NULL, cbBlock + cbPage, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(nullptr, pBase);
    DWORD dwOld = 0;
    ASSERT_TRUE(VirtualProtect(pBase + cbBlock, cbPage, PAGE_NOACCESS, &dwOld));
    /* An even start keeps the UTF-16 fields aligned; the byte after the
     * block is the last one before the guard page. */
    BYTE *pBlock = pBase + cbBlock - (DRIVER_DEVMODE_SIZE + 1);
    memset(pBlock, 0x41, DRIVER_DEVMODE_SIZE + 1);
    /* No UTF-16 NUL from the first string field to the end: the flag words
     * keep 0x41 bytes around their bits (watermark on; annotation on, with
     * text), the font height both halves (a large font). */
    DriverDevMode *pDevMode = (DriverDevMode *)pBlock;
    pDevMode->Flags = FLAG_BATES_NUMBERING;
    pDevMode->WatermarkFlags = 0x41414141 | WMF_PRINT_WATERMARK;
    pDevMode->AnnotationFlags = 0x41414141 | ANF_ENABLED | ANF_TEXT;
    pDevMode->AnnotationFont.lfHeight = 0x00010001;

    ULONGLONG ptPage = PackPoint(2479, 3508), ptDpi = PackPoint(300, 300);
    HDC hdc = CreateEnhMetaFileW(NULL, NULL, NULL, NULL);
    /* The picture named "AAA..." cannot be read. */
    EXPECT_EQ(STAMP_FAILED, AddWatermark(hdc, pBlock, DRIVER_DEVMODE_SIZE, 2, ptPage, 77));
    EXPECT_EQ(STAMP_DRAWN, AddAnnotation(hdc, pBlock, DRIVER_DEVMODE_SIZE, "doc", 1, ptPage, ptDpi));
    EXPECT_EQ(STAMP_FAILED, AddBatesNumber(hdc, "No Such Printer", pBlock, DRIVER_DEVMODE_SIZE, 1, 0, 1, ptPage,
                                           ptDpi));
    DeleteEnhMetaFile(CloseEnhMetaFile(hdc));
    /* The library names straight from the block, as another caller may pass it. */
    EXPECT_EQ(nullptr, LoadWatermarkIntoDIB(L"C:\\no such folder\\pic.jpg", pDevMode));
    EXPECT_EQ(nullptr, LoadWatermarkIntoDIB(L"C:\\no such folder\\pic.png", pDevMode));
    VirtualFree(pBase, 0, MEM_RELEASE);
}

TEST(StampCommon, PackedPoints)
{
    EXPECT_EQ(0x0000000200000001ull, PackPoint(1, 2));
    EXPECT_EQ(0x00000BB80000094Full, PackPoint(2383, 3000));
    EXPECT_EQ(0xFFFFFFFF00000000ull, PackPoint(0, -1));
    for (LONG n : { 0L, 1L, -1L, 2479L, (LONG)LONG_MIN, (LONG)LONG_MAX }) {
        EXPECT_EQ(n, PackedPointX(PackPoint(n, -7)));
        EXPECT_EQ(-7, PackedPointY(PackPoint(n, -7)));
        EXPECT_EQ(n, PackedPointY(PackPoint(-7, n)));
    }
}
