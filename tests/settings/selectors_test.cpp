#include <gtest/gtest.h>
#include <cstring>
#include "settings/families.h"
#include "settings/profile.h"
#include "settings/selectors.h"
#include "regfixture.h"
#include "testutil.h"

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

TEST(Selectors, FlagKind)
{
    RegistryScope scope;
    DriverDevMode dm;

    /* Bit set, profile lacks "Watermark P Tile": off, whatever the block says. */
    MakeSelectingBlock(&dm, true);
    EXPECT_EQ(0, SelectWatermarkPTile(&dm, kJob));
    RegSetDword(kJobProfile, L"Watermark P Tile", 5);
    EXPECT_EQ(1, SelectWatermarkPTile(&dm, kJob));
    RegSetDword(kJobProfile, L"Watermark P Tile", 0);
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
    RegSetDword(kJobProfile, L"Open output folder", 0);
    EXPECT_EQ(1, SelectOpenOutputFolder(&dm, kJob));
    DevMode_SetFlagUseProfile(&dm);
    EXPECT_EQ(0, SelectOpenOutputFolder(&dm, kJob));
}

TEST(Selectors, AllPagesInOneFileInverted)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeSelectingBlock(&dm, true);

    EXPECT_EQ(0, SelectAllPagesInOneFile(&dm, kJob)); /* missing */
    RegSetDword(kJobProfile, L"Save each page as separate file", 1);
    EXPECT_EQ(0, SelectAllPagesInOneFile(&dm, kJob));
    RegSetDword(kJobProfile, L"Save each page as separate file", 0);
    EXPECT_EQ(1, SelectAllPagesInOneFile(&dm, kJob));

    DevMode_ClearFlagUseProfile(&dm);
    RegSetDword(kJobProfile, L"Save each page as separate file", 1);
    EXPECT_EQ(1, SelectAllPagesInOneFile(&dm, kJob)); /* FLAG_MULTIPAGE */
    DevMode_ClearFlagMultipage(&dm);
    EXPECT_EQ(0, SelectAllPagesInOneFile(&dm, kJob));
}

TEST(Selectors, ValueKind)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeSelectingBlock(&dm, true);

    /* Profile lacks "Print Watermark": the block's flag. */
    EXPECT_EQ(1u, SelectPrintWatermark(&dm, kJob));
    DevMode_ClearWmfPrintWatermark(&dm);
    EXPECT_EQ(0u, SelectPrintWatermark(&dm, kJob));
    RegSetDword(kJobProfile, L"Print Watermark", 3);
    EXPECT_EQ(3u, SelectPrintWatermark(&dm, kJob));

    RegSetDword(kJobProfile, L"Watermark L Brightness", 77);
    EXPECT_EQ(77u, SelectWatermarkBrightnessLandscape(&dm, kJob));
    EXPECT_EQ(30u, SelectWatermarkBrightnessPortrait(&dm, kJob));
    RegSetDword(kJobProfile, L"File Format", 12);
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

TEST(Selectors, BitsPerPixel)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeSelectingBlock(&dm, true); /* ColorDepth 2 */

    EXPECT_EQ(8u, SelectBitsPerPixel(&dm, kJob)); /* profile missing: ColorDepth */
    RegSetDword(kJobProfile, L"Color Depth", 3);
    EXPECT_EQ(3u, SelectColorDepth(&dm, kJob));
    EXPECT_EQ(24u, SelectBitsPerPixel(&dm, kJob));
    RegSetDword(kJobProfile, L"Color Depth", 1);
    EXPECT_EQ(8u, SelectBitsPerPixel(&dm, kJob));
    RegSetDword(kJobProfile, L"Color Depth", 7);
    EXPECT_EQ(1u, SelectBitsPerPixel(&dm, kJob));
    RegSetDword(kJobProfile, L"Color Depth", 0);
    EXPECT_EQ(1u, SelectBitsPerPixel(&dm, kJob));

    DevMode_ClearFlagUseProfile(&dm);
    EXPECT_EQ(8u, SelectBitsPerPixel(&dm, kJob));
    DevMode_SetColorDepth(&dm, 9); /* stored as 3 */
    EXPECT_EQ(24u, SelectBitsPerPixel(&dm, kJob));
    EXPECT_EQ(3u, SelectColorDepth(&dm, kJob));
}

TEST(Selectors, PortraitSwitch)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeSelectingBlock(&dm, true);
    SetWatermarkFirstImagePosition(&dm, 1, 2);
    SetWatermarkFirstImageBrightness(&dm, 0, 60);

    RegSetDword(kJobProfile, L"Watermark P First Image position", 8);
    RegSetDword(kJobProfile, L"Watermark L First Brightness", 45);
    EXPECT_EQ(8u, SelectFirstImagePosition(&dm, kJob, 1));
    EXPECT_EQ(4u, SelectFirstImagePosition(&dm, kJob, 0)); /* family default */
    EXPECT_EQ(45u, SelectFirstImageBrightness(&dm, kJob, 0));
    EXPECT_EQ(30u, SelectFirstImageBrightness(&dm, kJob, 1));

    RegSetUnterminated(kJobProfile, L"Watermark Landscape First Image", L"C:\\profile\\first-l.bmp");
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

TEST(Selectors, OutAndBufferKinds)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeSelectingBlock(&dm, true);
    int nValue = -1;

    /* Out kind: profile value, else the family getter with its default. */
    EXPECT_EQ(1, SelectPdfJpegQuality(&dm, kJob, &nValue));
    EXPECT_EQ(85, nValue);
    RegSetDword(kJobProfile, L"PDF: Compression - JPEG Quality", 40);
    EXPECT_EQ(1, SelectPdfJpegQuality(&dm, kJob, &nValue));
    EXPECT_EQ(40, nValue);

    WCHAR szText[64];
    wmemset(szText, L'#', 64);
    DWORD cbSize = sizeof(szText);
    EXPECT_EQ(0, SelectPdfForceFont(&dm, kJob, szText, &cbSize, 3)); /* neither */
    RegSetUnterminated(kJobProfile, L"PDF: Fonts - Force Embed Font_3", L"Courier New");
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
    RegSetUnterminated(kJobProfile, L"Watermark Portrait Image", L"C:\\profile\\p.bmp");
    EXPECT_STREQ(L"C:\\profile\\p.bmp", SelectWatermarkImagePortrait(&dm, kJob));
    EXPECT_STREQ(L"", SelectWatermarkImageLandscape(&dm, kJob));
    /* Too long for the 260-character buffer with a terminator: 260
     * characters stored without one fill it, and count as unreadable. */
    DevMode_SetOutputDirectory(&dm, L"C:\\block\\out");
    DevMode_SetWatermarkFileLandscape(&dm, L"C:\\block\\landscape.bmp");
    const struct {
        const WCHAR *pszValue;
        const WCHAR *(*pfnSelect)(const DriverDevMode *, int);
    } aBuffers[] = {{L"Output Path", SelectOutputPath},
                    {L"Watermark Portrait Image", SelectWatermarkImagePortrait},
                    {L"Watermark Landscape Image", SelectWatermarkImageLandscape}};
    for (const auto &buffer : aBuffers) {
        const WCHAR *pszBlock = buffer.pfnSelect(&dm, kJob + 1);
        std::wstring blockText = pszBlock;
        for (size_t cch : {259, 260, 300}) {
            RegSetUnterminated(kJobProfile, buffer.pszValue, std::wstring(cch, L'z'));
            EXPECT_EQ(cch == 259 ? std::wstring(259, L'z') : blockText, buffer.pfnSelect(&dm, kJob))
                << buffer.pszValue << " " << cch;
        }
    }

    /* Bit clear: family and block only. */
    DevMode_ClearFlagUseProfile(&dm);
    EXPECT_EQ(1, SelectPdfJpegQuality(&dm, kJob, &nValue));
    EXPECT_EQ(85, nValue);
    cbSize = sizeof(szText);
    EXPECT_EQ(1, SelectPdfForceFont(&dm, kJob, szText, &cbSize, 3));
    EXPECT_STREQ(L"Family Font", szText);
    EXPECT_STREQ(L"C:\\block\\portrait.bmp", SelectWatermarkImagePortrait(&dm, kJob));
}

TEST(Selectors, ProtectedModeProfile)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeSelectingBlock(&dm, true);
    DevMode_SetUserSid(&dm, TEST_USER_SID);
    DevMode_SetProfileOptions(&dm, DM_PROFILE_OPTION_PROTECTED_MODE);
    RegSetDword(kJobProfile, L"Watermark P Tile", 1); /* plain path: not read */
    EXPECT_EQ(0, SelectWatermarkPTile(&dm, kJob));
    RegSetDword(std::wstring(TEST_PROTECTED_ROOT) + L"\\" + TEST_PRINTER_REG + L"\\Save As Option Settings\\31",
                L"Watermark P Tile", 1);
    EXPECT_EQ(1, SelectWatermarkPTile(&dm, kJob));
}

/* The registry side is part of drvsettings.dll's C interface. */
TEST(Selectors, DllInterface)
{
    std::string dll = BinDir() + "drvsettings.dll";
    HMODULE hDll = LoadLibraryA(dll.c_str());
    ASSERT_TRUE(hDll != NULL) << dll;
    const char *apszNames[] = {
        "GetSettingsPrinterName", "SettingsReadString", "SettingsWriteDword", "ReadProfileDword",
        "WriteProfileString", "ReadProfileStringAt", "DeleteProfile", "DeleteDefaultSettings",
        "GetWatermarkFirstImage", "SetPdfJpegQuality", "GetSmtpPassword", "SetRedirectSinglePrinter",
        "IsUiTabShown", "GetPaperTitle", "SelectWatermarkPTile", "SelectBitsPerPixel",
        "SelectFirstImage", "SelectWatermarkImagePortrait", "SelectPdfForceFont",
    };
    for (const char *pszName : apszNames)
        EXPECT_TRUE(GetProcAddress(hDll, pszName) != NULL) << pszName;

    /* One call through the DLL against the registry. */
    typedef int(__cdecl * SetJpegQuality)(const DriverDevMode *, int);
    typedef int(__cdecl * GetJpegQuality)(const DriverDevMode *, int *);
    SetJpegQuality pfnSet = (SetJpegQuality)(void *)GetProcAddress(hDll, "SetPdfJpegQuality");
    GetJpegQuality pfnGet = (GetJpegQuality)(void *)GetProcAddress(hDll, "GetPdfJpegQuality");
    if (pfnSet && pfnGet) {
        RegistryScope scope;
        DriverDevMode dm;
        MakeTestBlock(&dm);
        int nValue = 0;
        EXPECT_EQ(1, pfnSet(&dm, 77));
        EXPECT_EQ(1, GetPdfJpegQuality(&dm, &nValue));
        EXPECT_EQ(77, nValue);
        EXPECT_EQ(1, pfnGet(&dm, &nValue));
        EXPECT_EQ(77, nValue);
    }
    FreeLibrary(hDll);
}

/* ---- every row of the table: its id with the bit set, never with it clear ---- */

typedef int (*FlagSel)(const DriverDevMode *, int);
typedef DWORD (*ValueSel)(const DriverDevMode *, int);
typedef int (*OutSel)(const DriverDevMode *, int, int *);
typedef int (*TextSel)(const DriverDevMode *, int, WCHAR *, DWORD *);
typedef const WCHAR *(*BufferSel)(const DriverDevMode *, int);

struct FlagRow { const char *name; int id; FlagSel fn; };
struct ValueRow { const char *name; int id; ValueSel fn; };
struct OutRow { const char *name; int id; OutSel fn; };
struct TextRow { const char *name; int id; int index; TextSel fn; };
struct BufferRow { const char *name; int id; BufferSel fn; };

#define ROW(Name, Id) { #Name, Id, Select##Name }

static const FlagRow kFlagRows[] = {
    ROW(OpenInDefaultViewer, 1), ROW(OpenOutputFolder, 2), ROW(AppendFile, 4), ROW(TiffInternet, 10),
    ROW(TiffReverseBitOrder, 11), ROW(TiffPageNumberTag, 12), ROW(RedirectPrinting, 36),
    ROW(SendInEmail, 37), ROW(UploadToSharePoint, 38), ROW(WatermarkFirstPageOnly, 41),
    ROW(WatermarkPStretchToWidth, 42), ROW(WatermarkPStretchToFit, 43), ROW(WatermarkPTile, 44),
    ROW(WatermarkLStretchToWidth, 45), ROW(WatermarkLStretchToFit, 46), ROW(WatermarkLTile, 47),
    ROW(FirstImageEnabled, 50),
};

static DWORD FirstPositionP(const DriverDevMode *p, int n) { return SelectFirstImagePosition(p, n, 1); }
static DWORD FirstPositionL(const DriverDevMode *p, int n) { return SelectFirstImagePosition(p, n, 0); }
static DWORD FirstBrightnessP(const DriverDevMode *p, int n) { return SelectFirstImageBrightness(p, n, 1); }
static DWORD FirstBrightnessL(const DriverDevMode *p, int n) { return SelectFirstImageBrightness(p, n, 0); }

static const ValueRow kValueRows[] = {
    ROW(FileFormat, 0), ROW(ColorDepth, 8), ROW(JpegLossRatio, 9), ROW(ImagePdfCompression, 13),
    ROW(PrintWatermark, 39), ROW(WatermarkBrightnessPortrait, 51), ROW(WatermarkBrightnessLandscape, 52),
    {"FirstImagePosition P", 48, FirstPositionP}, {"FirstImagePosition L", 49, FirstPositionL},
    {"FirstImageBrightness P", 53, FirstBrightnessP}, {"FirstImageBrightness L", 54, FirstBrightnessL},
};

static const OutRow kOutRows[] = {
    ROW(PdfEncryption, 14), ROW(PdfSecurityFlags, 15), ROW(PdfStreamCompression, 16),
    ROW(PdfColorImageCompression, 17), ROW(PdfMonoImageCompression, 18), ROW(PdfJpegQuality, 19),
    ROW(PdfEmbedAllFonts, 20), ROW(PdfEmbedLicensedFonts, 21), ROW(PdfEmbedAdobeFonts, 22),
    ROW(PdfEmbedWindowsFonts, 23), ROW(PdfCreateSubset, 24), ROW(PdfForceFontCount, 25),
    ROW(PdfForbidFontCount, 26), ROW(HtmlPageSizeSetting, 27), ROW(HtmlCssSettings, 28),
    ROW(HtmlSeparatePages, 29), ROW(HtmlVectorGraphicsDisplayMode, 30), ROW(HtmlEmbedAllFonts, 31),
    ROW(HtmlEmbedLicensedFonts, 32), ROW(HtmlCreateSubset, 33), ROW(HtmlForceFontCount, 34),
    ROW(HtmlForbidFontCount, 35),
};

static int PdfForceFont2(const DriverDevMode *p, int n, WCHAR *b, DWORD *s) { return SelectPdfForceFont(p, n, b, s, 2); }
static int PdfForbidFont2(const DriverDevMode *p, int n, WCHAR *b, DWORD *s) { return SelectPdfForbidFont(p, n, b, s, 2); }
static int HtmlForceFont2(const DriverDevMode *p, int n, WCHAR *b, DWORD *s) { return SelectHtmlForceFont(p, n, b, s, 2); }
static int HtmlForbidFont2(const DriverDevMode *p, int n, WCHAR *b, DWORD *s) { return SelectHtmlForbidFont(p, n, b, s, 2); }
static int FirstImageP(const DriverDevMode *p, int n, WCHAR *b, DWORD *s) { return SelectFirstImage(p, n, 1, b, s); }
static int FirstImageL(const DriverDevMode *p, int n, WCHAR *b, DWORD *s) { return SelectFirstImage(p, n, 0, b, s); }

static const TextRow kTextRows[] = {
    {"PdfTitle", 2, -1, SelectPdfTitle}, {"PdfAuthor", 3, -1, SelectPdfAuthor},
    {"PdfSubject", 4, -1, SelectPdfSubject}, {"PdfKeywords", 5, -1, SelectPdfKeywords},
    {"PdfUserPassword", 6, -1, SelectPdfUserPassword}, {"PdfOwnerPassword", 7, -1, SelectPdfOwnerPassword},
    {"PdfForceFont", 8, 2, PdfForceFont2}, {"PdfForbidFont", 9, 2, PdfForbidFont2},
    {"HtmlOutputFolder", 10, -1, SelectHtmlOutputFolder}, {"HtmlForceFont", 11, 2, HtmlForceFont2},
    {"HtmlForbidFont", 12, 2, HtmlForbidFont2}, {"FirstImage P", 39, -1, FirstImageP},
    {"FirstImage L", 40, -1, FirstImageL},
};

static const BufferRow kBufferRows[] = {
    ROW(OutputPath, 0), ROW(WatermarkImagePortrait, 37), ROW(WatermarkImageLandscape, 38),
};

/* Everything each accessor answers, as one comparable text. */
static std::wstring AllAnswers(const DriverDevMode *pDevMode)
{
    std::wstring all;
    for (const FlagRow &r : kFlagRows)
        all += std::to_wstring(r.fn(pDevMode, kJob)) + L",";
    all += std::to_wstring(SelectAllPagesInOneFile(pDevMode, kJob)) + L",";
    all += std::to_wstring(SelectBitsPerPixel(pDevMode, kJob)) + L",";
    for (const ValueRow &r : kValueRows)
        all += std::to_wstring(r.fn(pDevMode, kJob)) + L",";
    for (const OutRow &r : kOutRows) {
        int nValue = -1;
        all += std::to_wstring(r.fn(pDevMode, kJob, &nValue)) + L":" + std::to_wstring(nValue) + L",";
    }
    for (const TextRow &r : kTextRows) {
        WCHAR szText[64] = L"-";
        DWORD cbSize = sizeof(szText);
        all += std::to_wstring(r.fn(pDevMode, kJob, szText, &cbSize)) + L":" + szText + L",";
    }
    for (const BufferRow &r : kBufferRows)
        all += std::wstring(r.fn(pDevMode, kJob)) + L",";
    return all;
}

static void WriteWholeProfile(const DriverDevMode *pDevMode)
{
    for (int id = 0; id < PD_COUNT; id++)
        WriteProfileDword(pDevMode, id, kJob, 1000 + id);
    for (int id = 0; id < PS_COUNT; id++)
        WriteProfileStringAt(pDevMode, id, kJob, (L"profile " + std::to_wstring(id)).c_str(), 2);
}

TEST(Selectors, EveryRow)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeSelectingBlock(&dm, true);

    /* Bit set: each flag reads its own id and nothing else. */
    for (const FlagRow &r : kFlagRows) {
        SCOPED_TRACE(r.name);
        RegDeleteTree(kJobProfile);
        EXPECT_EQ(0, r.fn(&dm, kJob));
        WriteProfileDword(&dm, r.id, kJob, 1);
        EXPECT_EQ(1, r.fn(&dm, kJob));
        WriteProfileDword(&dm, r.id, kJob, 0);
        EXPECT_EQ(0, r.fn(&dm, kJob));
    }
    RegDeleteTree(kJobProfile);
    WriteWholeProfile(&dm);
    for (const ValueRow &r : kValueRows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(1000u + r.id, r.fn(&dm, kJob));
    }
    for (const OutRow &r : kOutRows) {
        SCOPED_TRACE(r.name);
        int nValue = -1;
        EXPECT_EQ(1, r.fn(&dm, kJob, &nValue));
        EXPECT_EQ(1000 + r.id, nValue);
    }
    for (const TextRow &r : kTextRows) {
        SCOPED_TRACE(r.name);
        WCHAR szText[64] = L"-";
        DWORD cbSize = sizeof(szText);
        EXPECT_EQ(1, r.fn(&dm, kJob, szText, &cbSize));
        EXPECT_EQ(L"profile " + std::to_wstring(r.id), szText);
    }
    for (const BufferRow &r : kBufferRows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(L"profile " + std::to_wstring(r.id), r.fn(&dm, kJob));
    }

    /* Bit clear: the same answers with and without a profile. */
    DevMode_ClearFlagUseProfile(&dm);
    std::wstring withProfile = AllAnswers(&dm);
    RegDeleteTree(kJobProfile);
    EXPECT_EQ(AllAnswers(&dm), withProfile);
}
