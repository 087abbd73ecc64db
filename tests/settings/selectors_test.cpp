#include <gtest/gtest.h>
#include <cstring>
#include "settings/families.h"
#include "settings/profile.h"
#include "settings/selectors.h"
#include "regfixture.h"

static const int kJob = 31;
static const std::wstring kJobProfile = PrinterKey() + L"\\Save As Option Settings\\31";

/* A block with the watermark flags set and FLAG_USE_PROFILE as asked. */
static void MakeSelectingBlock(DriverDevMode *pDevMode, bool bUseProfile)
{
    MakeTestBlock(pDevMode);
    DevMode_SetWmfPrintWatermark(pDevMode);
    DevMode_SetWmfPTile(pDevMode);
    DevMode_SetFlagMultipage(pDevMode);
    DevMode_SetColorDepth(pDevMode, DM_COLOR_COLOR8);
    DevMode_SetWatermarkFilePortrait(pDevMode, L"C:\\block\\portrait.bmp");
    if (bUseProfile)
        DevMode_SetFlagUseProfile(pDevMode);
}

TEST(selectors, FlagKind)
{
    RegistryScope scope;
    DriverDevMode dm;

    /* Bit set, profile lacks "Watermark P Tile": off, whatever the block says. */
    MakeSelectingBlock(&dm, true);
    EXPECT_EQ(0, SelectWatermarkPTile(&dm, kJob));
    RawSetDword(kJobProfile, L"Watermark P Tile", 5);
    EXPECT_EQ(1, SelectWatermarkPTile(&dm, kJob));
    RawSetDword(kJobProfile, L"Watermark P Tile", 0);
    EXPECT_EQ(0, SelectWatermarkPTile(&dm, kJob));

    /* Bit clear: the block, whatever the profile holds. */
    MakeSelectingBlock(&dm, false);
    EXPECT_EQ(1, SelectWatermarkPTile(&dm, kJob));
    EXPECT_EQ(0, SelectWatermarkLTile(&dm, kJob));
    DevMode_SetFlagTiffPageNumberTag(&dm); /* the block query gives 0x8 */
    EXPECT_EQ(1, SelectTiffPageNumberTag(&dm, kJob));

    /* Family switches when the bit is clear. */
    EXPECT_EQ(0, SelectOpenOutputFolder(&dm, kJob));
    SetPostPrintOpenOutputFolder(&dm, 1);
    EXPECT_EQ(1, SelectOpenOutputFolder(&dm, kJob));
    RawSetDword(kJobProfile, L"Open output folder", 0);
    EXPECT_EQ(1, SelectOpenOutputFolder(&dm, kJob));
    DevMode_SetFlagUseProfile(&dm);
    EXPECT_EQ(0, SelectOpenOutputFolder(&dm, kJob));
}

TEST(selectors, AllPagesInOneFileInverted)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeSelectingBlock(&dm, true);

    EXPECT_EQ(0, SelectAllPagesInOneFile(&dm, kJob)); /* missing */
    RawSetDword(kJobProfile, L"Save each page as separate file", 1);
    EXPECT_EQ(0, SelectAllPagesInOneFile(&dm, kJob));
    RawSetDword(kJobProfile, L"Save each page as separate file", 0);
    EXPECT_EQ(1, SelectAllPagesInOneFile(&dm, kJob));

    DevMode_ClearFlagUseProfile(&dm);
    RawSetDword(kJobProfile, L"Save each page as separate file", 1);
    EXPECT_EQ(1, SelectAllPagesInOneFile(&dm, kJob)); /* FLAG_MULTIPAGE */
    DevMode_ClearFlagMultipage(&dm);
    EXPECT_EQ(0, SelectAllPagesInOneFile(&dm, kJob));
}

TEST(selectors, ValueKind)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeSelectingBlock(&dm, true);

    /* Profile lacks "Print Watermark": the block's flag. */
    EXPECT_EQ(1u, SelectPrintWatermark(&dm, kJob));
    DevMode_ClearWmfPrintWatermark(&dm);
    EXPECT_EQ(0u, SelectPrintWatermark(&dm, kJob));
    RawSetDword(kJobProfile, L"Print Watermark", 3);
    EXPECT_EQ(3u, SelectPrintWatermark(&dm, kJob));

    RawSetDword(kJobProfile, L"Watermark L Brightness", 77);
    EXPECT_EQ(77u, SelectWatermarkBrightnessLandscape(&dm, kJob));
    EXPECT_EQ(30u, SelectWatermarkBrightnessPortrait(&dm, kJob));
    RawSetDword(kJobProfile, L"File Format", 12);
    EXPECT_EQ(12u, SelectFileFormat(&dm, kJob));

    /* Bit clear: profile ignored. */
    DevMode_ClearFlagUseProfile(&dm);
    EXPECT_EQ(0u, SelectPrintWatermark(&dm, kJob));
    EXPECT_EQ(DevMode_GetFileFormat(&dm), SelectFileFormat(&dm, kJob));
    EXPECT_EQ(DevMode_GetWatermarkBrightnessLandscape(&dm), SelectWatermarkBrightnessLandscape(&dm, kJob));

    /* No block: the getters' no-block defaults. */
    EXPECT_EQ(4u, SelectFileFormat(NULL, kJob));
    EXPECT_EQ(30u, SelectWatermarkBrightnessPortrait(NULL, kJob));
    EXPECT_EQ(1, SelectWatermarkPTile(NULL, kJob));
    EXPECT_EQ(0, SelectFirstImageEnabled(NULL, kJob));
    EXPECT_STREQ(L"", SelectWatermarkImagePortrait(NULL, kJob));
}

TEST(selectors, BitsPerPixel)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeSelectingBlock(&dm, true); /* ColorDepth 2 */

    EXPECT_EQ(8u, SelectBitsPerPixel(&dm, kJob)); /* profile missing: ColorDepth */
    RawSetDword(kJobProfile, L"Color Depth", 3);
    EXPECT_EQ(3u, SelectColorDepth(&dm, kJob));
    EXPECT_EQ(24u, SelectBitsPerPixel(&dm, kJob));
    RawSetDword(kJobProfile, L"Color Depth", 1);
    EXPECT_EQ(8u, SelectBitsPerPixel(&dm, kJob));
    RawSetDword(kJobProfile, L"Color Depth", 7);
    EXPECT_EQ(1u, SelectBitsPerPixel(&dm, kJob));
    RawSetDword(kJobProfile, L"Color Depth", 0);
    EXPECT_EQ(1u, SelectBitsPerPixel(&dm, kJob));

    DevMode_ClearFlagUseProfile(&dm);
    EXPECT_EQ(8u, SelectBitsPerPixel(&dm, kJob));
    DevMode_SetColorDepth(&dm, 9); /* stored as 3 */
    EXPECT_EQ(24u, SelectBitsPerPixel(&dm, kJob));
    EXPECT_EQ(3u, SelectColorDepth(&dm, kJob));
}

TEST(selectors, PortraitSwitch)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeSelectingBlock(&dm, true);
    SetWatermarkFirstImagePosition(&dm, 1, 2);
    SetWatermarkFirstImageBrightness(&dm, 0, 60);

    RawSetDword(kJobProfile, L"Watermark P First Image position", 8);
    RawSetDword(kJobProfile, L"Watermark L First Brightness", 45);
    EXPECT_EQ(8u, SelectFirstImagePosition(&dm, kJob, 1));
    EXPECT_EQ(4u, SelectFirstImagePosition(&dm, kJob, 0)); /* family default */
    EXPECT_EQ(45u, SelectFirstImageBrightness(&dm, kJob, 0));
    EXPECT_EQ(30u, SelectFirstImageBrightness(&dm, kJob, 1));

    RawSetString(kJobProfile, L"Watermark Landscape First Image", L"C:\\profile\\first-l.bmp");
    SetWatermarkFirstImage(&dm, 1, L"C:\\family\\first-p.bmp");
    WCHAR szPath[64];
    DWORD cbSize = sizeof(szPath);
    EXPECT_EQ(1, SelectFirstImage(&dm, kJob, 0, szPath, &cbSize));
    EXPECT_STREQ(L"C:\\profile\\first-l.bmp", szPath);
    cbSize = sizeof(szPath);
    EXPECT_EQ(1, SelectFirstImage(&dm, kJob, 1, szPath, &cbSize));
    EXPECT_STREQ(L"C:\\family\\first-p.bmp", szPath);

    DevMode_ClearFlagUseProfile(&dm);
    EXPECT_EQ(2u, SelectFirstImagePosition(&dm, kJob, 1));
    EXPECT_EQ(60u, SelectFirstImageBrightness(&dm, kJob, 0));
    cbSize = sizeof(szPath);
    EXPECT_EQ(0, SelectFirstImage(&dm, kJob, 0, szPath, &cbSize)); /* family has none */
}

TEST(selectors, OutAndBufferKinds)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeSelectingBlock(&dm, true);
    int nValue = -1;

    /* Out kind: profile value, else the family getter with its default. */
    EXPECT_EQ(1, SelectPdfJpegQuality(&dm, kJob, &nValue));
    EXPECT_EQ(85, nValue);
    RawSetDword(kJobProfile, L"PDF: Compression - JPEG Quality", 40);
    EXPECT_EQ(1, SelectPdfJpegQuality(&dm, kJob, &nValue));
    EXPECT_EQ(40, nValue);

    WCHAR szText[64];
    wmemset(szText, L'#', 64);
    DWORD cbSize = sizeof(szText);
    EXPECT_EQ(0, SelectPdfForceFont(&dm, kJob, szText, &cbSize, 3)); /* neither */
    RawSetString(kJobProfile, L"PDF: Fonts - Force Embed Font_3", L"Courier New");
    SetPdfForceFont(&dm, L"Family Font", 3);
    EXPECT_EQ(1, SelectPdfForceFont(&dm, kJob, szText, &cbSize, 3));
    EXPECT_STREQ(L"Courier New", szText);
    cbSize = 4; /* a profile value that does not fit: needed size, no fallback */
    EXPECT_EQ(0, SelectPdfForceFont(&dm, kJob, szText, &cbSize, 3));
    EXPECT_EQ(24u, cbSize);

    SetPdfUserPassword(&dm, L"family pw");
    cbSize = sizeof(szText);
    EXPECT_EQ(1, SelectPdfUserPassword(&dm, kJob, szText, &cbSize));
    EXPECT_STREQ(L"family pw", szText);

    /* Buffer kind: the profile string, else the block's. */
    EXPECT_STREQ(L"C:\\block\\portrait.bmp", SelectWatermarkImagePortrait(&dm, kJob));
    RawSetString(kJobProfile, L"Watermark Portrait Image", L"C:\\profile\\p.bmp");
    EXPECT_STREQ(L"C:\\profile\\p.bmp", SelectWatermarkImagePortrait(&dm, kJob));
    EXPECT_STREQ(L"", SelectWatermarkImageLandscape(&dm, kJob));
    std::wstring longPath(300, L'z'); /* too long for the 260-character buffer */
    RawSetString(kJobProfile, L"Watermark Portrait Image", longPath);
    EXPECT_STREQ(L"C:\\block\\portrait.bmp", SelectWatermarkImagePortrait(&dm, kJob));

    /* Bit clear: family and block only. */
    DevMode_ClearFlagUseProfile(&dm);
    EXPECT_EQ(1, SelectPdfJpegQuality(&dm, kJob, &nValue));
    EXPECT_EQ(85, nValue);
    cbSize = sizeof(szText);
    EXPECT_EQ(1, SelectPdfForceFont(&dm, kJob, szText, &cbSize, 3));
    EXPECT_STREQ(L"Family Font", szText);
    EXPECT_STREQ(L"C:\\block\\portrait.bmp", SelectWatermarkImagePortrait(&dm, kJob));
}

TEST(selectors, ProtectedModeProfile)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeSelectingBlock(&dm, true);
    DevMode_SetUserSid(&dm, TEST_USER_SID);
    DevMode_SetProfileOptions(&dm, DM_PROFILE_OPTION_PROTECTED_MODE);
    RawSetDword(kJobProfile, L"Watermark P Tile", 1); /* plain path: not read */
    EXPECT_EQ(0, SelectWatermarkPTile(&dm, kJob));
    RawSetDword(std::wstring(TEST_PROTECTED_ROOT) + L"\\" + TEST_PRINTER_REG + L"\\Save As Option Settings\\31",
                L"Watermark P Tile", 1);
    EXPECT_EQ(1, SelectWatermarkPTile(&dm, kJob));
}
