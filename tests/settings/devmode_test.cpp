/* Tests of the driver device mode accessors and of drvsettings.dll. */
#include "settings/devmode.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

#include "testutil.h"

namespace {

/* A zeroed, initialised device mode on the heap. */
std::vector<BYTE> NewBlock()
{
    std::vector<BYTE> buffer(DRIVER_DEVMODE_SIZE, 0);
    DevMode_Initialize(reinterpret_cast<DriverDevMode*>(buffer.data()));
    return buffer;
}

DriverDevMode* AsDevMode(std::vector<BYTE>& buffer)
{
    return reinterpret_cast<DriverDevMode*>(buffer.data());
}

DWORD RawDword(const std::vector<BYTE>& buffer, size_t nOffset)
{
    DWORD dwValue = 0;
    memcpy(&dwValue, buffer.data() + nOffset, sizeof(dwValue));
    return dwValue;
}

void PutDword(std::vector<BYTE>& buffer, size_t nOffset, DWORD dwValue)
{
    memcpy(buffer.data() + nOffset, &dwValue, sizeof(dwValue));
}

short RawShort(const std::vector<BYTE>& buffer, size_t nOffset)
{
    short nValue = 0;
    memcpy(&nValue, buffer.data() + nOffset, sizeof(nValue));
    return nValue;
}

std::wstring RawString(const std::vector<BYTE>& buffer, size_t nOffset, size_t cchField)
{
    std::wstring text;
    for (size_t i = 0; i < cchField; ++i) {
        WCHAR ch = 0;
        memcpy(&ch, buffer.data() + nOffset + i * sizeof(WCHAR), sizeof(ch));
        if (ch == 0)
            break;
        text += ch;
    }
    return text;
}

enum FlagWordId { kFlags, kWatermarkFlags, kAnnotationFlags, kLaunchFlags, kPDFFlags };

DWORD WholeWord(const DriverDevMode* pDevMode, FlagWordId word)
{
    switch (word) {
    case kFlags:           return DevMode_GetFlags(pDevMode);
    case kWatermarkFlags:  return DevMode_GetWatermarkFlags(pDevMode);
    case kAnnotationFlags: return DevMode_GetAnnotationFlags(pDevMode);
    case kLaunchFlags:     return DevMode_GetLaunchFlags(pDevMode);
    case kPDFFlags:        return DevMode_GetPDFFlags(pDevMode);
    }
    return 0;
}

void SetWholeWord(DriverDevMode* pDevMode, FlagWordId word, DWORD dwValue)
{
    switch (word) {
    case kFlags:           DevMode_SetFlags(pDevMode, dwValue); break;
    case kWatermarkFlags:  DevMode_SetWatermarkFlags(pDevMode, dwValue); break;
    case kAnnotationFlags: DevMode_SetAnnotationFlags(pDevMode, dwValue); break;
    case kLaunchFlags:     DevMode_SetLaunchFlags(pDevMode, dwValue); break;
    case kPDFFlags:        DevMode_SetPDFFlags(pDevMode, static_cast<WORD>(dwValue)); break;
    }
}

struct FlagAccessor {
    const char* pszName;
    int (*pfnQuery)(const DriverDevMode*);
    void (*pfnSet)(DriverDevMode*);
    void (*pfnClear)(DriverDevMode*);
    FlagWordId word;
    DWORD dwMask;
    int nNoBlock;
    bool bRaw;
};

const FlagAccessor kFlagAccessors[] = {
    { "FlagTiffInternet", DevMode_IsFlagTiffInternet, DevMode_SetFlagTiffInternet, DevMode_ClearFlagTiffInternet, kFlags, FLAG_TIFF_INTERNET, 1, false },
    { "FlagTiffPageNumberTag", DevMode_IsFlagTiffPageNumberTag, DevMode_SetFlagTiffPageNumberTag, DevMode_ClearFlagTiffPageNumberTag, kFlags, FLAG_TIFF_PAGE_NUMBER_TAG, 1, true },
    { "FlagTiffReverseBitOrder", DevMode_IsFlagTiffReverseBitOrder, DevMode_SetFlagTiffReverseBitOrder, DevMode_ClearFlagTiffReverseBitOrder, kFlags, FLAG_TIFF_REVERSE_BIT_ORDER, 1, false },
    { "FlagMultipage", DevMode_IsFlagMultipage, DevMode_SetFlagMultipage, DevMode_ClearFlagMultipage, kFlags, FLAG_MULTIPAGE, 1, false },
    { "FlagMultipageAlt", DevMode_IsFlagMultipageAlt, DevMode_SetFlagMultipageAlt, DevMode_ClearFlagMultipageAlt, kFlags, FLAG_MULTIPAGE, 1, true },
    { "FlagBit6", DevMode_IsFlagBit6, DevMode_SetFlagBit6, DevMode_ClearFlagBit6, kFlags, FLAG_BIT6, 1, false },
    { "FlagBit7", DevMode_IsFlagBit7, DevMode_SetFlagBit7, DevMode_ClearFlagBit7, kFlags, FLAG_BIT7, 1, false },
    { "FlagBit7Alt", DevMode_IsFlagBit7Alt, DevMode_SetFlagBit7Alt, DevMode_ClearFlagBit7Alt, kFlags, FLAG_BIT7, 1, false },
    { "FlagBit8", DevMode_IsFlagBit8, DevMode_SetFlagBit8, DevMode_ClearFlagBit8, kFlags, FLAG_BIT8, 1, false },
    { "FlagBit9", DevMode_IsFlagBit9, DevMode_SetFlagBit9, DevMode_ClearFlagBit9, kFlags, FLAG_BIT9, 1, false },
    { "FlagBit10", DevMode_IsFlagBit10, DevMode_SetFlagBit10, DevMode_ClearFlagBit10, kFlags, FLAG_BIT10, 1, false },
    { "FlagBit11", DevMode_IsFlagBit11, DevMode_SetFlagBit11, DevMode_ClearFlagBit11, kFlags, FLAG_BIT11, 1, false },
    { "FlagBit13", DevMode_IsFlagBit13, DevMode_SetFlagBit13, DevMode_ClearFlagBit13, kFlags, FLAG_BIT13, 1, false },
    { "FlagBit14", DevMode_IsFlagBit14, DevMode_SetFlagBit14, DevMode_ClearFlagBit14, kFlags, FLAG_BIT14, 1, false },
    { "FlagBit15", DevMode_IsFlagBit15, DevMode_SetFlagBit15, DevMode_ClearFlagBit15, kFlags, FLAG_BIT15, 1, false },
    { "FlagBit16", DevMode_IsFlagBit16, DevMode_SetFlagBit16, DevMode_ClearFlagBit16, kFlags, FLAG_BIT16, 1, false },
    { "FlagBit18", DevMode_IsFlagBit18, DevMode_SetFlagBit18, DevMode_ClearFlagBit18, kFlags, FLAG_BIT18, 1, false },
    { "FlagBit19", DevMode_IsFlagBit19, DevMode_SetFlagBit19, DevMode_ClearFlagBit19, kFlags, FLAG_BIT19, 1, false },
    { "FlagAppendFile", DevMode_IsFlagAppendFile, DevMode_SetFlagAppendFile, DevMode_ClearFlagAppendFile, kFlags, FLAG_APPEND_FILE, 1, false },
    { "FlagBit21", DevMode_IsFlagBit21, DevMode_SetFlagBit21, DevMode_ClearFlagBit21, kFlags, FLAG_BIT21, 1, false },
    { "FlagBit22", DevMode_IsFlagBit22, DevMode_SetFlagBit22, DevMode_ClearFlagBit22, kFlags, FLAG_BIT22, 1, false },
    { "FlagBit23", DevMode_IsFlagBit23, DevMode_SetFlagBit23, DevMode_ClearFlagBit23, kFlags, FLAG_BIT23, 1, false },
    { "FlagBit24", DevMode_IsFlagBit24, DevMode_SetFlagBit24, DevMode_ClearFlagBit24, kFlags, FLAG_BIT24, 1, false },
    { "FlagRedirectPrinting", DevMode_IsFlagRedirectPrinting, DevMode_SetFlagRedirectPrinting, DevMode_ClearFlagRedirectPrinting, kFlags, FLAG_REDIRECT_PRINTING, 1, false },
    { "FlagBit26", DevMode_IsFlagBit26, DevMode_SetFlagBit26, DevMode_ClearFlagBit26, kFlags, FLAG_BIT26, 1, false },
    { "FlagBatesNumbering", DevMode_IsFlagBatesNumbering, DevMode_SetFlagBatesNumbering, DevMode_ClearFlagBatesNumbering, kFlags, FLAG_BATES_NUMBERING, 1, false },
    { "FlagBit28", DevMode_IsFlagBit28, DevMode_SetFlagBit28, DevMode_ClearFlagBit28, kFlags, FLAG_BIT28, 0, false },
    { "FlagBit29", DevMode_IsFlagBit29, DevMode_SetFlagBit29, DevMode_ClearFlagBit29, kFlags, FLAG_BIT29, 0, false },
    { "FlagBit30", DevMode_IsFlagBit30, DevMode_SetFlagBit30, DevMode_ClearFlagBit30, kFlags, FLAG_BIT30, 0, false },
    { "FlagUseProfile", DevMode_IsFlagUseProfile, DevMode_SetFlagUseProfile, DevMode_ClearFlagUseProfile, kFlags, FLAG_USE_PROFILE, 0, false },
    { "WmfPrintWatermark", DevMode_IsWmfPrintWatermark, DevMode_SetWmfPrintWatermark, DevMode_ClearWmfPrintWatermark, kWatermarkFlags, WMF_PRINT_WATERMARK, 1, false },
    { "WmfFirstPageOnly", DevMode_IsWmfFirstPageOnly, DevMode_SetWmfFirstPageOnly, DevMode_ClearWmfFirstPageOnly, kWatermarkFlags, WMF_FIRST_PAGE_ONLY, 1, false },
    { "WmfPStretchToFit", DevMode_IsWmfPStretchToFit, DevMode_SetWmfPStretchToFit, DevMode_ClearWmfPStretchToFit, kWatermarkFlags, WMF_P_STRETCH_TO_FIT, 1, false },
    { "WmfPStretchToWidth", DevMode_IsWmfPStretchToWidth, DevMode_SetWmfPStretchToWidth, DevMode_ClearWmfPStretchToWidth, kWatermarkFlags, WMF_P_STRETCH_TO_WIDTH, 1, false },
    { "WmfPBit4", DevMode_IsWmfPBit4, DevMode_SetWmfPBit4, DevMode_ClearWmfPBit4, kWatermarkFlags, WMF_P_BIT4, 1, false },
    { "WmfPTile", DevMode_IsWmfPTile, DevMode_SetWmfPTile, DevMode_ClearWmfPTile, kWatermarkFlags, WMF_P_TILE, 1, false },
    { "WmfLStretchToFit", DevMode_IsWmfLStretchToFit, DevMode_SetWmfLStretchToFit, DevMode_ClearWmfLStretchToFit, kWatermarkFlags, WMF_L_STRETCH_TO_FIT, 1, false },
    { "WmfLStretchToWidth", DevMode_IsWmfLStretchToWidth, DevMode_SetWmfLStretchToWidth, DevMode_ClearWmfLStretchToWidth, kWatermarkFlags, WMF_L_STRETCH_TO_WIDTH, 1, false },
    { "WmfLBit8", DevMode_IsWmfLBit8, DevMode_SetWmfLBit8, DevMode_ClearWmfLBit8, kWatermarkFlags, WMF_L_BIT8, 1, false },
    { "WmfLTile", DevMode_IsWmfLTile, DevMode_SetWmfLTile, DevMode_ClearWmfLTile, kWatermarkFlags, WMF_L_TILE, 1, false },
    { "WmfFirstImage", DevMode_IsWmfFirstImage, DevMode_SetWmfFirstImage, DevMode_ClearWmfFirstImage, kWatermarkFlags, WMF_FIRST_IMAGE, 0, false },
    { "AnfEnabled", DevMode_IsAnfEnabled, DevMode_SetAnfEnabled, DevMode_ClearAnfEnabled, kAnnotationFlags, ANF_ENABLED, 1, false },
    { "AnfText", DevMode_IsAnfText, DevMode_SetAnfText, DevMode_ClearAnfText, kAnnotationFlags, ANF_TEXT, 1, false },
    { "AnfDate", DevMode_IsAnfDate, DevMode_SetAnfDate, DevMode_ClearAnfDate, kAnnotationFlags, ANF_DATE, 1, false },
    { "AnfDateMdy", DevMode_IsAnfDateMdy, DevMode_SetAnfDateMdy, DevMode_ClearAnfDateMdy, kAnnotationFlags, ANF_DATE_MDY, 1, false },
    { "AnfDateMdyShort", DevMode_IsAnfDateMdyShort, DevMode_SetAnfDateMdyShort, DevMode_ClearAnfDateMdyShort, kAnnotationFlags, ANF_DATE_MDY_SHORT, 1, false },
    { "AnfDateDmy", DevMode_IsAnfDateDmy, DevMode_SetAnfDateDmy, DevMode_ClearAnfDateDmy, kAnnotationFlags, ANF_DATE_DMY, 1, false },
    { "AnfDateDMonY", DevMode_IsAnfDateDMonY, DevMode_SetAnfDateDMonY, DevMode_ClearAnfDateDMonY, kAnnotationFlags, ANF_DATE_D_MON_Y, 1, false },
    { "AnfDateYmd", DevMode_IsAnfDateYmd, DevMode_SetAnfDateYmd, DevMode_ClearAnfDateYmd, kAnnotationFlags, ANF_DATE_YMD, 1, false },
    { "AnfDateJulian", DevMode_IsAnfDateJulian, DevMode_SetAnfDateJulian, DevMode_ClearAnfDateJulian, kAnnotationFlags, ANF_DATE_JULIAN, 1, false },
    { "AnfTime", DevMode_IsAnfTime, DevMode_SetAnfTime, DevMode_ClearAnfTime, kAnnotationFlags, ANF_TIME, 1, false },
    { "AnfTime12h", DevMode_IsAnfTime12h, DevMode_SetAnfTime12h, DevMode_ClearAnfTime12h, kAnnotationFlags, ANF_TIME_12H, 1, false },
    { "AnfTime24h", DevMode_IsAnfTime24h, DevMode_SetAnfTime24h, DevMode_ClearAnfTime24h, kAnnotationFlags, ANF_TIME_24H, 1, false },
    { "AnfTimeMinutes", DevMode_IsAnfTimeMinutes, DevMode_SetAnfTimeMinutes, DevMode_ClearAnfTimeMinutes, kAnnotationFlags, ANF_TIME_MINUTES, 1, false },
    { "AnfTimeSeconds", DevMode_IsAnfTimeSeconds, DevMode_SetAnfTimeSeconds, DevMode_ClearAnfTimeSeconds, kAnnotationFlags, ANF_TIME_SECONDS, 1, false },
    { "AnfTimeZone", DevMode_IsAnfTimeZone, DevMode_SetAnfTimeZone, DevMode_ClearAnfTimeZone, kAnnotationFlags, ANF_TIME_ZONE, 1, false },
    { "AnfTransparent", DevMode_IsAnfTransparent, DevMode_SetAnfTransparent, DevMode_ClearAnfTransparent, kAnnotationFlags, ANF_TRANSPARENT, 1, false },
    { "AnfBit16", DevMode_IsAnfBit16, DevMode_SetAnfBit16, DevMode_ClearAnfBit16, kAnnotationFlags, ANF_BIT16, 1, false },
    { "AnfBit17", DevMode_IsAnfBit17, DevMode_SetAnfBit17, DevMode_ClearAnfBit17, kAnnotationFlags, ANF_BIT17, 1, false },
    { "AnfPosTopRight", DevMode_IsAnfPosTopRight, DevMode_SetAnfPosTopRight, DevMode_ClearAnfPosTopRight, kAnnotationFlags, ANF_POS_TOP_RIGHT, 1, false },
    { "AnfPosCenter", DevMode_IsAnfPosCenter, DevMode_SetAnfPosCenter, DevMode_ClearAnfPosCenter, kAnnotationFlags, ANF_POS_CENTER, 1, false },
    { "AnfPosBottomLeft", DevMode_IsAnfPosBottomLeft, DevMode_SetAnfPosBottomLeft, DevMode_ClearAnfPosBottomLeft, kAnnotationFlags, ANF_POS_BOTTOM_LEFT, 1, false },
    { "AnfPosBottomRight", DevMode_IsAnfPosBottomRight, DevMode_SetAnfPosBottomRight, DevMode_ClearAnfPosBottomRight, kAnnotationFlags, ANF_POS_BOTTOM_RIGHT, 1, false },
    { "AnfUnitsTenthMm", DevMode_IsAnfUnitsTenthMm, DevMode_SetAnfUnitsTenthMm, DevMode_ClearAnfUnitsTenthMm, kAnnotationFlags, ANF_UNITS_TENTH_MM, 1, false },
    { "AnfUnitsHundredthInch", DevMode_IsAnfUnitsHundredthInch, DevMode_SetAnfUnitsHundredthInch, DevMode_ClearAnfUnitsHundredthInch, kAnnotationFlags, ANF_UNITS_HUNDREDTH_INCH, 1, false },
    { "AnfBit24", DevMode_IsAnfBit24, DevMode_SetAnfBit24, DevMode_ClearAnfBit24, kAnnotationFlags, ANF_BIT24, 1, false },
    { "LnfBit0", DevMode_IsLnfBit0, DevMode_SetLnfBit0, DevMode_ClearLnfBit0, kLaunchFlags, LNF_BIT0, 1, false },
    { "LnfBit1", DevMode_IsLnfBit1, DevMode_SetLnfBit1, DevMode_ClearLnfBit1, kLaunchFlags, LNF_BIT1, 1, false },
    { "LnfBit2", DevMode_IsLnfBit2, DevMode_SetLnfBit2, DevMode_ClearLnfBit2, kLaunchFlags, LNF_BIT2, 1, false },
    { "LnfBit3", DevMode_IsLnfBit3, DevMode_SetLnfBit3, DevMode_ClearLnfBit3, kLaunchFlags, LNF_BIT3, 1, false },
    { "LnfBit4", DevMode_IsLnfBit4, DevMode_SetLnfBit4, DevMode_ClearLnfBit4, kLaunchFlags, LNF_BIT4, 1, false },
    { "LnfBit5", DevMode_IsLnfBit5, DevMode_SetLnfBit5, DevMode_ClearLnfBit5, kLaunchFlags, LNF_BIT5, 1, false },
    { "LnfBit6", DevMode_IsLnfBit6, DevMode_SetLnfBit6, DevMode_ClearLnfBit6, kLaunchFlags, LNF_BIT6, 1, false },
    { "PdffBit5", DevMode_IsPdffBit5, DevMode_SetPdffBit5, DevMode_ClearPdffBit5, kPDFFlags, PDFF_BIT5, 1, false },
    { "PdffBit6", DevMode_IsPdffBit6, DevMode_SetPdffBit6, DevMode_ClearPdffBit6, kPDFFlags, PDFF_BIT6, 1, false },
    { "PdffBit7", DevMode_IsPdffBit7, DevMode_SetPdffBit7, DevMode_ClearPdffBit7, kPDFFlags, PDFF_BIT7, 1, false },
    { "PdffBit8", DevMode_IsPdffBit8, DevMode_SetPdffBit8, DevMode_ClearPdffBit8, kPDFFlags, PDFF_BIT8, 1, false },
    { "PdffBit9", DevMode_IsPdffBit9, DevMode_SetPdffBit9, DevMode_ClearPdffBit9, kPDFFlags, PDFF_BIT9, 1, false },
    { "PdffBit10", DevMode_IsPdffBit10, DevMode_SetPdffBit10, DevMode_ClearPdffBit10, kPDFFlags, PDFF_BIT10, 1, false },
    { "PdffBit11", DevMode_IsPdffBit11, DevMode_SetPdffBit11, DevMode_ClearPdffBit11, kPDFFlags, PDFF_BIT11, 1, false },
    { "PdffBit12", DevMode_IsPdffBit12, DevMode_SetPdffBit12, DevMode_ClearPdffBit12, kPDFFlags, PDFF_BIT12, 1, false },
};

} // namespace

TEST(DevMode, size_check)
{
    std::vector<BYTE> buffer(DRIVER_DEVMODE_SIZE + 1, 0);
    EXPECT_EQ(1, IsDriverDevModeSize(6879));
    EXPECT_EQ(0, IsDriverDevModeSize(6878));
    EXPECT_EQ(0, IsDriverDevModeSize(6880));
    EXPECT_EQ(0, IsDriverDevModeSize(0));
    EXPECT_EQ(0, IsDriverDevModeSize(220));
    EXPECT_EQ(reinterpret_cast<DriverDevMode*>(buffer.data()), DevMode_FromBuffer(buffer.data(), 6879));
    EXPECT_EQ(nullptr, DevMode_FromBuffer(buffer.data(), 6878));
    EXPECT_EQ(nullptr, DevMode_FromBuffer(buffer.data(), 6880));
    EXPECT_EQ(nullptr, DevMode_FromBuffer(nullptr, 6879));
    EXPECT_EQ(nullptr, DevMode_FromConstBuffer(buffer.data(), 6878));
    EXPECT_NE(nullptr, DevMode_FromConstBuffer(buffer.data(), 6879));

    /* Initialisation fills in the public sizes and nothing else. */
    std::vector<BYTE> block = NewBlock();
    EXPECT_EQ(220, AsDevMode(block)->dmPublic.dmSize);
    EXPECT_EQ(6659, AsDevMode(block)->dmPublic.dmDriverExtra);
    for (size_t i = DRIVER_DEVMODE_PUBLIC_SIZE; i < DRIVER_DEVMODE_SIZE; ++i)
        ASSERT_EQ(0, block[i]) << "byte " << i;
}

TEST(DevMode, no_block_defaults)
{
    EXPECT_EQ(300, DevMode_GetPrintQuality(nullptr));
    EXPECT_EQ(300, DevMode_GetYResolution(nullptr));
    EXPECT_EQ(1, DevMode_GetOrientation(nullptr));
    EXPECT_EQ(1, DevMode_GetPaperSize(nullptr));
    EXPECT_EQ(1, DevMode_GetPaperLength(nullptr));
    EXPECT_EQ(1, DevMode_GetPaperWidth(nullptr));
    EXPECT_EQ(1728u, DevMode_GetPaperWidthInPixels(nullptr));
    EXPECT_EQ(2200u, DevMode_GetPaperHeightInPixels(nullptr));
    EXPECT_EQ(4u, DevMode_GetFileFormat(nullptr));
    EXPECT_EQ(30u, DevMode_GetWatermarkBrightnessPortrait(nullptr));
    EXPECT_EQ(30u, DevMode_GetWatermarkBrightnessLandscape(nullptr));
    EXPECT_EQ(0x1E001Eu, DevMode_GetWatermarkBrightness(nullptr));
    EXPECT_EQ(0u, DevMode_GetColorDepth(nullptr));
    EXPECT_EQ(1u, DevMode_GetBitsPerPixel(nullptr));
    EXPECT_EQ(0u, DevMode_GetLossRatio(nullptr));
    EXPECT_EQ(0u, DevMode_GetBrightness(nullptr));
    EXPECT_EQ(0u, DevMode_GetFileNameGenerationFlags(nullptr));
    EXPECT_EQ(0, DevMode_GetAnnotationRotation(nullptr));
    EXPECT_EQ(0, DevMode_GetStartApplicationParameterOrder(nullptr, 0));
    EXPECT_EQ(0u, DevMode_GetFlags(nullptr));
    EXPECT_EQ(0u, DevMode_GetPrinterId(nullptr));
    EXPECT_EQ(nullptr, DevMode_GetAnnotationText(nullptr));
    EXPECT_EQ(nullptr, DevMode_GetDeviceName(nullptr));

    DWORD dwSession = 0xDEADBEEF;
    EXPECT_EQ(0, DevMode_GetSessionID(nullptr, &dwSession));
    EXPECT_EQ(0xDEADBEEFu, dwSession);
    EXPECT_EQ(0, DevMode_SetSessionID(nullptr, 5));

    WCHAR szOut[80] = L"marker";
    EXPECT_EQ(0, DevMode_GetCustomStartApplicationParameter(nullptr, szOut, 80));
    EXPECT_STREQ(L"marker", szOut);

    LOGFONTW stFont;
    memset(&stFont, 0xAB, sizeof(stFont));
    DevMode_GetAnnotationFont(nullptr, &stFont);
    const BYTE* pFont = reinterpret_cast<const BYTE*>(&stFont);
    for (size_t i = 0; i < sizeof(stFont); ++i)
        ASSERT_EQ(0, pFont[i]);

    /* Every flag query answers 1, except bits 28..31 of Flags and WMF_FIRST_IMAGE. */
    for (const FlagAccessor& flag : kFlagAccessors) {
        bool bZero = (flag.word == kFlags && flag.dwMask >= 0x10000000u) ||
                     (flag.word == kWatermarkFlags && flag.dwMask == WMF_FIRST_IMAGE);
        EXPECT_EQ(bZero ? 0 : 1, flag.pfnQuery(nullptr)) << flag.pszName;
        flag.pfnSet(nullptr);   /* setters with no block do nothing */
        flag.pfnClear(nullptr);
    }
}

TEST(DevMode, flag_bits)
{
    EXPECT_EQ(81u, sizeof(kFlagAccessors) / sizeof(kFlagAccessors[0]));
    for (const FlagAccessor& flag : kFlagAccessors) {
        std::vector<BYTE> block = NewBlock();
        DriverDevMode* pDevMode = AsDevMode(block);
        EXPECT_EQ(0, flag.pfnQuery(pDevMode)) << flag.pszName;
        flag.pfnSet(pDevMode);
        EXPECT_EQ(flag.dwMask, WholeWord(pDevMode, flag.word)) << flag.pszName;
        EXPECT_EQ(flag.bRaw ? static_cast<int>(flag.dwMask) : 1, flag.pfnQuery(pDevMode)) << flag.pszName;

        /* Clearing takes away that bit only; no other byte of the block moves. */
        DWORD dwAll = flag.word == kPDFFlags ? 0xFFFFu : 0xFFFFFFFFu;
        SetWholeWord(pDevMode, flag.word, dwAll);
        std::vector<BYTE> before = block;
        flag.pfnClear(pDevMode);
        EXPECT_EQ(dwAll & ~flag.dwMask, WholeWord(pDevMode, flag.word)) << flag.pszName;
        EXPECT_EQ(0, flag.pfnQuery(pDevMode)) << flag.pszName;
        size_t nChanged = 0;
        for (size_t i = 0; i < block.size(); ++i)
            nChanged += block[i] != before[i] ? 1 : 0;
        EXPECT_EQ(1u, nChanged) << flag.pszName;
    }

    /* A few bits checked against the raw words at their offsets. */
    std::vector<BYTE> block = NewBlock();
    DevMode_SetFlagUseProfile(AsDevMode(block));
    DevMode_SetFlagMultipage(AsDevMode(block));
    EXPECT_EQ(0x80000020u, RawDword(block, 220));
    EXPECT_LT(static_cast<LONG>(RawDword(block, 220)), 0);
    DevMode_SetWmfFirstImage(AsDevMode(block));
    EXPECT_EQ(0x400u, RawDword(block, 6012));
    DevMode_SetAnfUnitsHundredthInch(AsDevMode(block));
    EXPECT_EQ(0x800000u, RawDword(block, 6624));
    DevMode_SetLnfBit6(AsDevMode(block));
    EXPECT_EQ(0x40u, RawDword(block, 776));
    DevMode_SetPdffBit12(AsDevMode(block));
    EXPECT_EQ(0x1000, RawShort(block, 6652));
    EXPECT_EQ(0, block[6654]);  /* the 16-bit word does not spill over */
}

TEST(DevMode, resolution)
{
    std::vector<BYTE> block = NewBlock();
    DriverDevMode* pDevMode = AsDevMode(block);
    struct { short nCode; short nX; short nY; } kCases[] = {
        { -1, 100, 100 }, { -2, 200, 200 }, { -3, 300, 300 }, { -4, 600, 600 },
        { -5, 204, 98 }, { -6, 204, 196 }, { -150, 150, 150 }, { -7, 7, 7 },
        { 0, 0, 0 }, { 720, 720, 720 }, { SHRT_MIN, SHRT_MAX, SHRT_MAX },
    };
    for (const auto& c : kCases) {
        DevMode_SetPrintQuality(pDevMode, c.nCode);
        DevMode_SetYResolution(pDevMode, c.nCode);
        EXPECT_EQ(c.nX, RawShort(block, 90)) << c.nCode;
        EXPECT_EQ(c.nY, RawShort(block, 96)) << c.nCode;
        EXPECT_EQ(c.nX, DevMode_GetPrintQuality(pDevMode)) << c.nCode;
        EXPECT_EQ(c.nY, DevMode_GetYResolution(pDevMode)) << c.nCode;
    }
    /* The resolution setters leave dmFields alone. */
    EXPECT_EQ(0u, pDevMode->dmPublic.dmFields);

    DevMode_SetOrientation(pDevMode, 2);
    DevMode_SetPaperSize(pDevMode, 9);
    DevMode_SetPaperLength(pDevMode, -297);
    DevMode_SetPaperWidth(pDevMode, 2100);
    EXPECT_EQ(2, RawShort(block, 76));
    EXPECT_EQ(9, RawShort(block, 78));
    EXPECT_EQ(-297, DevMode_GetPaperLength(pDevMode));
    EXPECT_EQ(2100, RawShort(block, 82));
}

TEST(DevMode, color_depth)
{
    std::vector<BYTE> block = NewBlock();
    DriverDevMode* pDevMode = AsDevMode(block);
    DevMode_SetColorDepth(pDevMode, 2);
    EXPECT_EQ(2u, RawDword(block, 228));
    EXPECT_EQ(24u, RawDword(block, 168));
    EXPECT_EQ(24u, DevMode_GetBitsPerPel(pDevMode));
    EXPECT_EQ(8u, DevMode_GetBitsPerPixel(pDevMode));

    DevMode_SetColorDepth(pDevMode, 0);
    EXPECT_EQ(1u, RawDword(block, 168));
    EXPECT_EQ(1u, DevMode_GetBitsPerPixel(pDevMode));
    DevMode_SetColorDepth(pDevMode, 1);
    EXPECT_EQ(8u, DevMode_GetBitsPerPixel(pDevMode));
    DevMode_SetColorDepth(pDevMode, 9);
    EXPECT_EQ(3u, RawDword(block, 228));
    EXPECT_EQ(24u, DevMode_GetBitsPerPixel(pDevMode));

    /* A stored code above 3 (from outside) reads as 3. */
    PutDword(block, 228, 7);
    EXPECT_EQ(3u, DevMode_GetColorDepth(pDevMode));
    EXPECT_EQ(24u, DevMode_GetBitsPerPixel(pDevMode));
    EXPECT_EQ(0u, pDevMode->dmPublic.dmFields);
}

TEST(DevMode, numeric_limits)
{
    std::vector<BYTE> block = NewBlock();
    DriverDevMode* pDevMode = AsDevMode(block);

    DevMode_SetFileFormat(pDevMode, 38);
    EXPECT_EQ(38u, DevMode_GetFileFormat(pDevMode));
    DevMode_SetFileFormat(pDevMode, 39);
    EXPECT_EQ(19u, RawDword(block, 224));

    DevMode_SetFileNameGenerationFlags(pDevMode, 7);
    EXPECT_EQ(7u, DevMode_GetFileNameGenerationFlags(pDevMode));
    DevMode_SetFileNameGenerationFlags(pDevMode, 8);
    EXPECT_EQ(0u, RawDword(block, 780));
    PutDword(block, 780, 12);
    EXPECT_EQ(0u, DevMode_GetFileNameGenerationFlags(pDevMode));

    DevMode_SetLossRatio(pDevMode, 250);
    EXPECT_EQ(100u, RawDword(block, 236));
    DevMode_SetLossRatio(pDevMode, 0);
    EXPECT_EQ(0u, RawDword(block, 236));
    EXPECT_EQ(1u, DevMode_GetLossRatio(pDevMode));
    PutDword(block, 236, 500);
    EXPECT_EQ(100u, DevMode_GetLossRatio(pDevMode));

    DevMode_SetBrightness(pDevMode, 300);
    EXPECT_EQ(300u, RawDword(block, 244));
    EXPECT_EQ(199u, DevMode_GetBrightness(pDevMode));

    DevMode_SetAnnotationRotation(pDevMode, -180);
    EXPECT_EQ(-180, DevMode_GetAnnotationRotation(pDevMode));
    DevMode_SetAnnotationRotation(pDevMode, 181);
    DevMode_SetAnnotationRotation(pDevMode, -181);
    EXPECT_EQ(-180, static_cast<LONG>(RawDword(block, 6636)));

    DWORD dwSession = 0;
    EXPECT_EQ(1, DevMode_SetSessionID(pDevMode, 0x12345678));
    EXPECT_EQ(1, DevMode_GetSessionID(pDevMode, &dwSession));
    EXPECT_EQ(0x12345678u, dwSession);
    EXPECT_EQ(0x12345678u, RawDword(block, 4452));

    for (int i = 0; i < 8; ++i)
        DevMode_SetStartApplicationParameterOrder(pDevMode, i, 7 - i);
    DevMode_SetStartApplicationParameterOrder(pDevMode, 0, 10);
    DevMode_SetStartApplicationParameterOrder(pDevMode, 1, -1);
    DevMode_SetStartApplicationParameterOrder(pDevMode, 8, 1);
    DevMode_SetStartApplicationParameterOrder(pDevMode, -1, 1);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(7 - i, DevMode_GetStartApplicationParameterOrder(pDevMode, i));
    EXPECT_EQ(0, DevMode_GetStartApplicationParameterOrder(pDevMode, 8));
    EXPECT_EQ(0, DevMode_GetStartApplicationParameterOrder(pDevMode, -1));
    EXPECT_EQ(5, RawShort(block, 6654 + 2 * 2));
    EXPECT_EQ(0, block[6670]);  /* the last entry ends before SelectedBatesFormat */
}

TEST(DevMode, watermark_brightness)
{
    std::vector<BYTE> block = NewBlock();
    DriverDevMode* pDevMode = AsDevMode(block);

    /* Stored 0: portrait reads 30, landscape reads 0. */
    EXPECT_EQ(30u, DevMode_GetWatermarkBrightnessPortrait(pDevMode));
    EXPECT_EQ(0u, DevMode_GetWatermarkBrightnessLandscape(pDevMode));

    DevMode_SetWatermarkBrightnessPortrait(pDevMode, 40);
    DevMode_SetWatermarkBrightnessLandscape(pDevMode, 100);
    EXPECT_EQ(0x00280064u, RawDword(block, 6016));
    DevMode_SetWatermarkBrightnessPortrait(pDevMode, 101);
    DevMode_SetWatermarkBrightnessLandscape(pDevMode, 101);
    EXPECT_EQ(0x00280064u, RawDword(block, 6016));
    EXPECT_EQ(40u, DevMode_GetWatermarkBrightnessPortrait(pDevMode));
    EXPECT_EQ(100u, DevMode_GetWatermarkBrightnessLandscape(pDevMode));

    /* Halves above 100 from outside read as 30. */
    PutDword(block, 6016, 0x00C800C8u);
    EXPECT_EQ(30u, DevMode_GetWatermarkBrightnessPortrait(pDevMode));
    EXPECT_EQ(30u, DevMode_GetWatermarkBrightnessLandscape(pDevMode));
    EXPECT_EQ(0x00C800C8u, DevMode_GetWatermarkBrightness(pDevMode));
}

TEST(DevMode, odd_offsets)
{
    /* Raw bytes at the odd offsets read back through the accessors ... */
    std::vector<BYTE> block = NewBlock();
    DriverDevMode* pDevMode = AsDevMode(block);
    PutDword(block, 6803, 0x11223344u);
    PutDword(block, 6807, 0x55667701u);
    const WCHAR szParam[] = L"-p %1 --odd";
    memcpy(block.data() + 6671, szParam, sizeof(szParam));
    block[6670] = 3;
    EXPECT_EQ(0x11223344u, DevMode_GetPrinterId(pDevMode));
    EXPECT_EQ(0x55667701u, DevMode_GetProfileOptions(pDevMode));
    EXPECT_EQ(3, DevMode_GetSelectedBatesFormat(pDevMode));
    WCHAR szOut[DM_CCH_CUSTOM_PARAMETER] = L"marker";
    EXPECT_EQ(1, DevMode_GetCustomStartApplicationParameter(pDevMode, szOut, DM_CCH_CUSTOM_PARAMETER));
    EXPECT_STREQ(szParam, szOut);

    /* ... a buffer one character too small is left untouched ... */
    WCHAR szSmall[11] = L"marker";
    EXPECT_EQ(0, DevMode_GetCustomStartApplicationParameter(pDevMode, szSmall, 11));
    EXPECT_STREQ(L"marker", szSmall);
    WCHAR szExact[12] = L"";
    EXPECT_EQ(1, DevMode_GetCustomStartApplicationParameter(pDevMode, szExact, 12));

    /* ... and the setters write exactly there, leaving the neighbours alone. */
    std::vector<BYTE> fresh(DRIVER_DEVMODE_SIZE, 0xEE);
    DriverDevMode* pFresh = AsDevMode(fresh);
    DevMode_SetPrinterId(pFresh, 0xA1B2C3D4u);
    DevMode_SetProfileOptions(pFresh, 1);
    DevMode_SetSelectedBatesFormat(pFresh, 2);
    EXPECT_EQ(1, DevMode_SetCustomStartApplicationParameter(pFresh, L"abc"));
    EXPECT_EQ(0xA1B2C3D4u, RawDword(fresh, 6803));
    EXPECT_EQ(1u, RawDword(fresh, 6807));
    EXPECT_EQ(2, fresh[6670]);
    EXPECT_EQ(L"abc", RawString(fresh, 6671, DM_CCH_CUSTOM_PARAMETER));
    EXPECT_EQ(0, fresh[6671 + 3 * 2]);
    EXPECT_EQ(0, fresh[6802]);         /* the rest of the field is zeroed */
    EXPECT_EQ(0xEE, fresh[6669]);
    EXPECT_EQ(0xEE, fresh[6811]);
    EXPECT_EQ(0xEE, fresh[6878]);

    /* An unterminated field from outside reads as at most 65 characters. */
    std::vector<BYTE> full(DRIVER_DEVMODE_SIZE, 0x41);
    WCHAR szLong[100] = L"";
    EXPECT_EQ(1, DevMode_GetCustomStartApplicationParameter(AsDevMode(full), szLong, 100));
    EXPECT_EQ(65u, wcslen(szLong));
}

TEST(DevMode, strings)
{
    std::vector<BYTE> block(DRIVER_DEVMODE_SIZE, 0xEE);
    DriverDevMode* pDevMode = AsDevMode(block);

    /* AnnotationText of 200 characters keeps its first 127. */
    std::wstring long200(200, L'x');
    long200[126] = L'y';
    EXPECT_EQ(1, DevMode_SetAnnotationText(pDevMode, long200.c_str()));
    std::wstring stored = DevMode_GetAnnotationText(pDevMode);
    EXPECT_EQ(127u, stored.size());
    EXPECT_EQ(L'y', stored[126]);
    EXPECT_EQ(0, block[6020 + 127 * 2]);
    EXPECT_EQ(0xEE, block[6276]);      /* the separator is untouched */
    EXPECT_EQ(1, DevMode_SetAnnotationSeparator(pDevMode, L" - "));
    EXPECT_STREQ(L" - ", DevMode_GetAnnotationSeparator(pDevMode));
    EXPECT_EQ(0xEE, block[6532]);

    /* FileExtension: four characters stored, five refused. */
    EXPECT_EQ(1, DevMode_SetFileExtension(pDevMode, L"tiff"));
    EXPECT_EQ(0, DevMode_SetFileExtension(pDevMode, L"jpeg2"));
    EXPECT_STREQ(L"tiff", DevMode_GetFileExtension(pDevMode));
    EXPECT_EQ(0xEE, block[1852]);

    /* FileNamePrefix: seven characters stored, eight refused. */
    EXPECT_EQ(1, DevMode_SetFileNamePrefix(pDevMode, L"1234567"));
    EXPECT_EQ(0, DevMode_SetFileNamePrefix(pDevMode, L"abcdefgh"));
    EXPECT_STREQ(L"1234567", DevMode_GetFileNamePrefix(pDevMode));

    /* 260-character fields: 259 stored, 260 refused, none writes past the field. */
    std::wstring path259(259, L'p');
    std::wstring path260(260, L'q');
    struct {
        int (*pfnSet)(DriverDevMode*, const WCHAR*);
        const WCHAR* (*pfnGet)(const DriverDevMode*);
        size_t nOffset;
    } kPaths[] = {
        { DevMode_SetApplicationPath, DevMode_GetApplicationPath, 256 },
        { DevMode_SetOutputDirectory, DevMode_GetOutputDirectory, 784 },
        { DevMode_SetFixedFileName, DevMode_GetFixedFileName, 1304 },
        { DevMode_SetReservedString1, DevMode_GetReservedString1, 1852 },
        { DevMode_SetINIFileName, DevMode_GetINIFileName, 2372 },
        { DevMode_SetTiffLoaderLibrary, DevMode_GetTiffLoaderLibrary, 2892 },
        { DevMode_SetJpegLoaderLibrary, DevMode_GetJpegLoaderLibrary, 3412 },
        { DevMode_SetReservedString2, DevMode_GetReservedString2, 3932 },
        { DevMode_SetWatermarkFilePortrait, DevMode_GetWatermarkFilePortrait, 4972 },
        { DevMode_SetWatermarkFileLandscape, DevMode_GetWatermarkFileLandscape, 5492 },
    };
    for (const auto& field : kPaths) {
        std::vector<BYTE> fresh(DRIVER_DEVMODE_SIZE, 0xEE);
        DriverDevMode* pFresh = AsDevMode(fresh);
        EXPECT_EQ(1, field.pfnSet(pFresh, path259.c_str())) << field.nOffset;
        EXPECT_EQ(reinterpret_cast<const WCHAR*>(fresh.data() + field.nOffset), field.pfnGet(pFresh));
        EXPECT_EQ(path259, RawString(fresh, field.nOffset, DM_CCH_PATH));
        EXPECT_EQ(0, field.pfnSet(pFresh, path260.c_str())) << field.nOffset;
        EXPECT_EQ(path259, RawString(fresh, field.nOffset, DM_CCH_PATH));
        EXPECT_EQ(0xEE, fresh[field.nOffset + DM_CCH_PATH * 2]) << field.nOffset;
        EXPECT_EQ(0xEE, fresh[field.nOffset - 1]) << field.nOffset;
        EXPECT_EQ(0, field.pfnSet(pFresh, nullptr));
        EXPECT_EQ(0, field.pfnSet(nullptr, L"x"));
    }

    /* UserSid holds 255 characters; CustomStartApplicationParameter 65. */
    EXPECT_EQ(1, DevMode_SetUserSid(pDevMode, std::wstring(255, L's').c_str()));
    EXPECT_EQ(0, DevMode_SetUserSid(pDevMode, std::wstring(256, L't').c_str()));
    EXPECT_EQ(255u, wcslen(DevMode_GetUserSid(pDevMode)));
    EXPECT_EQ(1, DevMode_SetCustomStartApplicationParameter(pDevMode, std::wstring(65, L'c').c_str()));
    EXPECT_EQ(0, DevMode_SetCustomStartApplicationParameter(pDevMode, std::wstring(66, L'd').c_str()));
    EXPECT_EQ(std::wstring(65, L'c'), RawString(block, 6671, DM_CCH_CUSTOM_PARAMETER));
    EXPECT_EQ(0xEE, block[6803]);

    /* Device name: 31 characters at most. */
    EXPECT_EQ(1, DevMode_SetDeviceName(pDevMode, L"Redirect Printer"));
    EXPECT_EQ(0, DevMode_SetDeviceName(pDevMode, std::wstring(32, L'n').c_str()));
    EXPECT_STREQ(L"Redirect Printer", DevMode_GetDeviceName(pDevMode));
}

TEST(DevMode, terminate_strings)
{
    std::vector<BYTE> block(DRIVER_DEVMODE_SIZE, 0x41);
    DriverDevMode* pDevMode = AsDevMode(block);
    DevMode_TerminateStrings(pDevMode);
    EXPECT_EQ(31u, wcslen(DevMode_GetDeviceName(pDevMode)));
    EXPECT_EQ(259u, wcslen(DevMode_GetOutputDirectory(pDevMode)));
    EXPECT_EQ(8u, wcslen(DevMode_GetFileNamePrefix(pDevMode)));
    EXPECT_EQ(4u, wcslen(DevMode_GetFileExtension(pDevMode)));
    EXPECT_EQ(127u, wcslen(DevMode_GetAnnotationText(pDevMode)));
    EXPECT_EQ(255u, wcslen(DevMode_GetUserSid(pDevMode)));
    /* Numbers outside the strings are untouched. */
    EXPECT_EQ(0x41414141u, RawDword(block, 6803));
    EXPECT_EQ(0x41414141u, RawDword(block, 220));
}

TEST(DevMode, annotation_font)
{
    std::vector<BYTE> block(DRIVER_DEVMODE_SIZE, 0xEE);
    DriverDevMode* pDevMode = AsDevMode(block);
    LOGFONTW stFont;
    memset(&stFont, 0, sizeof(stFont));
    stFont.lfHeight = -24;
    stFont.lfWeight = 700;
    wcscpy(stFont.lfFaceName, L"Courier New");
    DevMode_SetAnnotationFont(pDevMode, &stFont);
    EXPECT_EQ(0, memcmp(block.data() + 6532, &stFont, 92));
    EXPECT_EQ(0xEE, block[6531]);
    EXPECT_EQ(0xEE, block[6624]);

    LOGFONTW stRead;
    memset(&stRead, 0xAB, sizeof(stRead));
    DevMode_GetAnnotationFont(pDevMode, &stRead);
    EXPECT_EQ(0, memcmp(&stFont, &stRead, sizeof(stRead)));

    DevMode_SetAnnotationXOffset(pDevMode, -15);
    DevMode_SetAnnotationYOffset(pDevMode, 250);
    DevMode_SetAnnotationColor(pDevMode, RGB(1, 2, 3));
    EXPECT_EQ(static_cast<DWORD>(-15), RawDword(block, 6628));
    EXPECT_EQ(250u, RawDword(block, 6632));
    EXPECT_EQ(0x030201u, RawDword(block, 6640));
}

/* The DLL exports the same functions with C names. */
TEST(DrvSettingsDll, c_interface)
{
    std::string path = BinDir() + "drvsettings.dll";
    HMODULE hModule = LoadLibraryA(path.c_str());
    ASSERT_NE(nullptr, hModule) << path << " error " << GetLastError();

    typedef int (*IsSizeFn)(DWORD);
    typedef DWORD (*GetDwordFn)(const DriverDevMode*);
    typedef void (*SetDwordFn)(DriverDevMode*, DWORD);
    typedef int (*SetStringFn)(DriverDevMode*, const WCHAR*);
    typedef int (*QueryFn)(const DriverDevMode*);
    IsSizeFn pfnIsSize = reinterpret_cast<IsSizeFn>(GetProcAddress(hModule, "IsDriverDevModeSize"));
    GetDwordFn pfnGetFormat = reinterpret_cast<GetDwordFn>(GetProcAddress(hModule, "DevMode_GetFileFormat"));
    SetDwordFn pfnSetFormat = reinterpret_cast<SetDwordFn>(GetProcAddress(hModule, "DevMode_SetFileFormat"));
    SetStringFn pfnSetExt = reinterpret_cast<SetStringFn>(GetProcAddress(hModule, "DevMode_SetFileExtension"));
    QueryFn pfnUseProfile = reinterpret_cast<QueryFn>(GetProcAddress(hModule, "DevMode_IsFlagUseProfile"));
    ASSERT_NE(nullptr, pfnIsSize);
    ASSERT_NE(nullptr, pfnGetFormat);
    ASSERT_NE(nullptr, pfnSetFormat);
    ASSERT_NE(nullptr, pfnSetExt);
    ASSERT_NE(nullptr, pfnUseProfile);

    EXPECT_EQ(1, pfnIsSize(6879));
    EXPECT_EQ(0, pfnIsSize(6880));
    EXPECT_EQ(4u, pfnGetFormat(nullptr));
    EXPECT_EQ(0, pfnUseProfile(nullptr));

    std::vector<BYTE> block = NewBlock();
    pfnSetFormat(AsDevMode(block), 77);
    EXPECT_EQ(19u, RawDword(block, 224));
    EXPECT_EQ(1, pfnSetExt(AsDevMode(block), L"pdf"));
    EXPECT_EQ(0, pfnSetExt(AsDevMode(block), L"abcde"));
    EXPECT_STREQ(L"pdf", DevMode_GetFileExtension(AsDevMode(block)));

    FreeLibrary(hModule);
}
