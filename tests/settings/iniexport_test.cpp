#include <gtest/gtest.h>
#include <climits>
#include <string>
#include <vector>
#include "settings/families.h"
#include "settings/iniexport.h"
#include "settings/profile.h"
#include "inifile.h"
#include "regfixture.h"
#include "testutil.h"

static const std::wstring kRedirect = PrinterKey() + L"\\Redirect Printing Settings";
static const std::wstring kWatermark = PrinterKey() + L"\\Watermark";
static const std::wstring kBates = PrinterKey() + L"\\BatesNumbering";
static const std::wstring kPapers = PrinterKey() + L"\\PapersList";

/* Exports the block to a fresh file and reads it back as text. */
static IniFile ExportAndRead(const DriverDevMode *pDevMode)
{
    std::string path = TempIniPath("iniexport");
    EXPECT_EQ(1, ExportProfileToIni(pDevMode, Widen(path).c_str()));
    IniFile ini = ReadIniText(path);
    RemoveIni(path);
    return ini;
}

TEST(IniExport, WriteIniNumber)
{
    std::string path = TempIniPath("ininumber");
    std::wstring file = Widen(path);

    EXPECT_EQ(0, WriteIniNumber(NULL, L"Key", 1, file.c_str()));
    EXPECT_EQ(0, WriteIniNumber(L"Sec", NULL, 1, file.c_str()));
    EXPECT_EQ(0, WriteIniNumber(L"Sec", L"Key", 1, NULL));
    EXPECT_FALSE(FileExists(path));

    /* Signed decimal of the 32-bit value. */
    EXPECT_EQ(1, WriteIniNumber(L"Sec", L"Flags", (int)0x80000020u, file.c_str()));
    EXPECT_EQ(1, WriteIniNumber(L"Sec", L"Min", INT_MIN, file.c_str()));
    EXPECT_EQ(1, WriteIniNumber(L"Sec", L"Max", INT_MAX, file.c_str()));
    EXPECT_EQ(1, WriteIniNumber(L"Sec", L"Zero", 0, file.c_str()));
    /* A second write replaces the key in place. */
    EXPECT_EQ(1, WriteIniNumber(L"Sec", L"Min", -1, file.c_str()));

    /* Names that would not read back are refused, nothing written. */
    const std::pair<const WCHAR *, const WCHAR *> aRefused[] = {
        {L"Sec", L"a=b"}, {L"Sec", L"a\nb"}, {L"Sec", L"a\rb"}, {L"Sec", L"[a]"}, {L"a\r\nb", L"Key"},
        {L"Sec", L"\u0141"}, /* not in the ANSI code page of a new file */
    };
    for (const auto &names : aRefused)
        EXPECT_EQ(0, WriteIniNumber(names.first, names.second, 1, file.c_str()));

    IniFile ini = ReadIniText(path);
    ASSERT_EQ(1u, ini.size());
    ASSERT_EQ(4u, ini[0].keys.size());
    EXPECT_EQ("Flags", ini[0].keys[0].first);
    EXPECT_EQ("-2147483616", ini[0].keys[0].second);
    EXPECT_EQ("Min", ini[0].keys[1].first);
    EXPECT_EQ("-1", ini[0].keys[1].second);
    EXPECT_EQ("2147483647", ini[0].keys[2].second);
    EXPECT_EQ("0", ini[0].keys[3].second);
    RemoveIni(path);
}

TEST(IniExport, Arguments)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);
    std::string path = TempIniPath("iniargs");
    EXPECT_EQ(0, ExportProfileToIni(NULL, Widen(path).c_str()));
    EXPECT_EQ(0, ExportProfileToIni(&dm, NULL));
    EXPECT_EQ(0, ExportProfileToIni(&dm, L""));
    EXPECT_FALSE(FileExists(path));
    RemoveIni(path);
}

TEST(IniExport, BlockFields)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);

    /* Colour depth as stored; the setter would clamp 7 to 3. */
    const struct { DWORD dwStored; const char *pszBits; } aDepths[] = {
        {0, "1"}, {1, "8gray"}, {2, "8"}, {3, "24"}, {7, "24"},
    };
    for (const auto &depth : aDepths) {
        dm.ColorDepth = depth.dwStored;
        EXPECT_EQ(depth.pszBits, IniValue(ExportAndRead(&dm), "Default Settings", "BitsPerPixel")) << depth.dwStored;
    }

    /* Template key for the custom method, the fixed name otherwise. */
    DevMode_SetFixedFileName(&dm, L"<<DATE>>-invoice");
    DevMode_SetFileNameGenerationFlags(&dm, 7);
    IniFile ini = ExportAndRead(&dm);
    EXPECT_EQ("<<DATE>>-invoice", IniValue(ini, "Default Settings", "Custom Filename template"));
    EXPECT_EQ("<missing>", IniValue(ini, "Default Settings", "FixedFileName"));
    DevMode_SetFileNameGenerationFlags(&dm, 6);
    ini = ExportAndRead(&dm);
    EXPECT_EQ("<<DATE>>-invoice", IniValue(ini, "Default Settings", "FixedFileName"));
    EXPECT_EQ("<missing>", IniValue(ini, "Default Settings", "Custom Filename template"));

    /* Signed numbers, stored values and 16-bit fields. */
    DevMode_SetFlags(&dm, 0x80000020);
    DevMode_SetSelectedBatesFormat(&dm, 0);
    DevMode_SetPaperSize(&dm, -5);
    DevMode_SetPDFFlags(&dm, 0xFFFF);
    dm.LossRatio = 150;   /* the getter would clamp it to 100 */
    dm.Brightness = 250;  /* the getter would give 199 */
    DevMode_SetWatermarkBrightness(&dm, 0x00000050); /* portrait half 0 */
    const int aOrder[8] = {3, 1, 4, 1, 5, 9, 2, 6};
    for (int i = 0; i < 8; i++)
        DevMode_SetStartApplicationParameterOrder(&dm, i, aOrder[i]);
    ini = ExportAndRead(&dm);
    EXPECT_EQ("-2147483616", IniValue(ini, "Default Settings", "Flags"));
    EXPECT_EQ("1", IniValue(ini, "Bates Numbering", "Selected Bates Format"));
    EXPECT_EQ("-5", IniValue(ini, "Default Settings", "Paper Size"));
    EXPECT_EQ("65535", IniValue(ini, "Default Settings", "PDFFlags"));
    EXPECT_EQ("150", IniValue(ini, "Default Settings", "LossRatio"));
    EXPECT_EQ("250", IniValue(ini, "Default Settings", "Brightness"));
    EXPECT_EQ("80", IniValue(ini, "Default Settings", "WatermarkBrightness"));
    EXPECT_EQ("31415926", IniValue(ini, "Default Settings", "StartApplicationParameterOrder"));
    DevMode_SetSelectedBatesFormat(&dm, 255);
    EXPECT_EQ("256", IniValue(ExportAndRead(&dm), "Bates Numbering", "Selected Bates Format"));

    /* A string field without its terminator is cut at the field's end, not
     * run on into the next field. */
    DevMode_SetReservedString1(&dm, L"NEXTFIELD");
    for (int i = 0; i < DM_CCH_FILE_EXTENSION; i++)
        dm.FileExtension[i] = L'X';
    EXPECT_EQ("XXXXX", IniValue(ExportAndRead(&dm), "Default Settings", "FileExtension"));
    for (int i = 0; i < DM_CCH_PATH; i++)
        dm.ApplicationPath[i] = L'A';
    EXPECT_EQ(std::string(DM_CCH_PATH, 'A'), IniValue(ExportAndRead(&dm), "Default Settings", "ApplicationPath"));
}

TEST(IniExport, RedirectPrinting)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);

    /* Nothing stored: the count 0, the switch "No", no log file key. */
    IniFile ini = ExportAndRead(&dm);
    EXPECT_EQ("0", IniValue(ini, "Redirect Printing", "Number of printers"));
    EXPECT_EQ("No", IniValue(ini, "Redirect Printing", "Enable Redirect Printing Log"));
    EXPECT_EQ("<missing>", IniValue(ini, "Redirect Printing", "Redirect Printing Log File"));
    EXPECT_EQ("<missing>", IniValue(ini, "Redirect Printing", "Printer1"));

    /* Index 0 is Printer1; an unreadable printer is left out; a name that
     * fills the 2048-byte buffer with its terminator is kept, one more
     * character is not. */
    RegSetDword(kRedirect, L"Printer count", 4);
    RegSetUnterminated(kRedirect, L"Printer 1", L"Office Laser");
    RegSetUnterminated(kRedirect, L"Printer 3", std::wstring(1023, L'p'));
    RegSetUnterminated(kRedirect, L"Printer 4", std::wstring(1024, L'q'));
    RegSetUnterminated(kRedirect, L"Printer 5", L"beyond the count");
    RegSetUnterminated(kRedirect, L"Enable Redirect Printing Log", L"yes");
    RegSetUnterminated(kRedirect, L"Redirect Printing Log File", L"C:\\logs\\redirect.log");
    ini = ExportAndRead(&dm);
    const IniSection *pSection = FindSection(ini, "Redirect Printing");
    ASSERT_TRUE(pSection != NULL);
    ASSERT_EQ(5u, pSection->keys.size());
    EXPECT_EQ("Number of printers", pSection->keys[0].first);
    EXPECT_EQ("4", pSection->keys[0].second);
    EXPECT_EQ("Printer1", pSection->keys[1].first);
    EXPECT_EQ("Office Laser", pSection->keys[1].second);
    EXPECT_EQ("Printer3", pSection->keys[2].first);
    EXPECT_EQ(std::string(1023, 'p'), pSection->keys[2].second);
    EXPECT_EQ("Enable Redirect Printing Log", pSection->keys[3].first);
    EXPECT_EQ("Yes", pSection->keys[3].second);
    EXPECT_EQ("Redirect Printing Log File", pSection->keys[4].first);
    EXPECT_EQ("C:\\logs\\redirect.log", pSection->keys[4].second);

    /* A log file path that does not fit 520 bytes is left out. */
    RegSetUnterminated(kRedirect, L"Redirect Printing Log File", std::wstring(260, L'l'));
    EXPECT_EQ("<missing>", IniValue(ExportAndRead(&dm), "Redirect Printing", "Redirect Printing Log File"));
}

TEST(IniExport, FirstWatermark)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);

    /* Unset: 30 and 4 on both sides, no image keys. */
    IniFile ini = ExportAndRead(&dm);
    EXPECT_EQ(std::to_string(30 * 65536 + 30), IniValue(ini, "Default Settings", "FirstWatermarkBrightness"));
    EXPECT_EQ(std::to_string(4 * 65536 + 4), IniValue(ini, "Default Settings", "FirstWatermarkPosition"));
    EXPECT_EQ("<missing>", IniValue(ini, "Default Settings", "FirstWatermarkFilePortrait"));
    EXPECT_EQ("<missing>", IniValue(ini, "Default Settings", "FirstWatermarkFileLandscape"));

    RegSetDword(kWatermark, L"First Image Portrait Brightness", 40);
    RegSetDword(kWatermark, L"First Image Landscape Brightness", 30);
    RegSetDword(kWatermark, L"First Image Portrait Position", 2);
    RegSetDword(kWatermark, L"First Image Landscape Position", 3); /* invalid: 4 */
    RegSetUnterminated(kWatermark, L"First Image Portrait", L"C:\\wm\\first.bmp");
    ini = ExportAndRead(&dm);
    EXPECT_EQ("2621470", IniValue(ini, "Default Settings", "FirstWatermarkBrightness"));
    EXPECT_EQ(std::to_string(2 * 65536 + 4), IniValue(ini, "Default Settings", "FirstWatermarkPosition"));
    EXPECT_EQ("C:\\wm\\first.bmp", IniValue(ini, "Default Settings", "FirstWatermarkFilePortrait"));
    EXPECT_EQ("<missing>", IniValue(ini, "Default Settings", "FirstWatermarkFileLandscape"));
}

static const char *const kBatesNames[] = {
    "Name", "Use prefix", "Color", "Font Charset", "Font Clipprecisions", "Font Escapement", "Font Facename",
    "Font Height", "Font Italic", "Font Orientation", "Font Outprecisions", "Font PinchAndFamily", "Font Quality",
    "Font Strikeout", "Font Underline", "Font Weight", "Font Width", "Offset unit", "Position", "Prefix",
    "Rotation", "Start with", "Transparent", "X Offset", "Y Offset", "Bates Number Length",
    "Bates Padding Character", "Reset bates number", "Reset bates number at every printing",
};

TEST(IniExport, BatesFormats)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);

    /* No "Number of Formats": the key is written empty, no format follows. */
    IniFile ini = ExportAndRead(&dm);
    EXPECT_EQ("", IniValue(ini, "Bates Numbering", "Number of Formats"));
    EXPECT_TRUE(FindSection(ini, "Bates Number 1") == NULL);
    RegSetUnterminated(kBates, L"Number of Formats", L"none");
    ini = ExportAndRead(&dm);
    EXPECT_EQ("none", IniValue(ini, "Bates Numbering", "Number of Formats"));
    EXPECT_TRUE(FindSection(ini, "Bates Number 1") == NULL);

    /* Two formats; the second has only a name, its other keys are empty.
     * Values up to 511 characters are kept whole, longer ones are cut. */
    RegSetUnterminated(kBates, L"Number of Formats", L"2");
    for (const char *pszName : kBatesNames)
        RegSetUnterminated(kBates + L"\\1", Widen(pszName).c_str(), L"1:" + Widen(pszName));
    RegSetUnterminated(kBates + L"\\1", L"Prefix", std::wstring(511, L'a'));
    RegSetUnterminated(kBates + L"\\1", L"Start with", std::wstring(3000, L'b'));
    RegSetUnterminated(kBates + L"\\2", L"Name", L"Second");
    RegSetUnterminated(kBates + L"\\3", L"Name", L"beyond the count");
    ini = ExportAndRead(&dm);
    EXPECT_TRUE(FindSection(ini, "Bates Number 3") == NULL);
    for (int n = 1; n <= 2; n++) {
        const IniSection *pSection = FindSection(ini, "Bates Number " + std::to_string(n));
        ASSERT_TRUE(pSection != NULL) << n;
        ASSERT_EQ(sizeof(kBatesNames) / sizeof(kBatesNames[0]), pSection->keys.size()) << n;
        for (size_t i = 0; i < pSection->keys.size(); i++) {
            std::string name = kBatesNames[i];
            EXPECT_EQ(name, pSection->keys[i].first);
            std::string expected = n == 2 ? (name == "Name" ? "Second" : "")
                                 : name == "Prefix" ? std::string(511, 'a')
                                 : name == "Start with" ? std::string(511, 'b')
                                 : "1:" + name;
            EXPECT_EQ(expected, pSection->keys[i].second) << n << " " << name;
        }
    }
}

TEST(IniExport, PaperList)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);

    /* No list, or a list without "Count": no section at all. */
    EXPECT_TRUE(FindSection(ExportAndRead(&dm), "Paper Size Definitions") == NULL);
    RegSetDword(kPapers + L"\\1", L"Width", 2100);
    EXPECT_TRUE(FindSection(ExportAndRead(&dm), "Paper Size Definitions") == NULL);

    /* Papers 1 and 3; sub-key 2 is missing and left out; paper 3 lacks its
     * numbers and texts, which export as 0 and empty (never paper 1's). */
    RegSetDword(kPapers, L"Count", 3);
    RegSetDword(kPapers + L"\\1", L"Available", 1);
    RegSetUnterminated(kPapers + L"\\1", L"Title", L"Letter Plus");
    RegSetDword(kPapers + L"\\1", L"Height", 3300);
    RegSetUnterminated(kPapers + L"\\1", L"Units", L"mm");
    RegSetDword(kPapers + L"\\1", L"WindowsPaperCode", 256);
    RegSetUnterminated(kPapers + L"\\3", L"Name", L"unrelated value");
    IniFile ini = ExportAndRead(&dm);
    const IniSection *pSection = FindSection(ini, "Paper Size Definitions");
    ASSERT_TRUE(pSection != NULL);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Number of Paper Sizes", "3"},
        {"Paper1 Available", "1"}, {"Paper1 Title", "Letter Plus"}, {"Paper1 Width", "2100"},
        {"Paper1 Height", "3300"}, {"Paper1 Units", "mm"}, {"Paper1 WindowsPaperCode", "256"},
        {"Paper3 Available", "0"}, {"Paper3 Title", ""}, {"Paper3 Width", "0"},
        {"Paper3 Height", "0"}, {"Paper3 Units", ""}, {"Paper3 WindowsPaperCode", "0"},
    };
    EXPECT_EQ(expected, pSection->keys);
}

/* Counts far above the entries present: the export writes the entries the
 * registry holds, in order, and is done (it once counted through them all). */
TEST(IniExport, HugeCounts)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);
    const std::wstring fonts = PrinterKey() + L"\\Pdf Settings\\Force Embed Fonts";
    RegSetDword(kRedirect, L"Printer count", 0x7FFFFFFF);
    RegSetUnterminated(kRedirect, L"Printer 70000", L"Far");
    RegSetUnterminated(kRedirect, L"printer 2", L"Near"); /* names compare in any case */
    RegSetUnterminated(kRedirect, L"Printer 02", L"not a number the getter asks for");
    RegSetUnterminated(fonts, L"Font count", L"2147483647");
    RegSetUnterminated(fonts, L"Font 3", L"Symbol");
    RegSetDword(kPapers, L"Count", 0xFFFFFFFF);
    RegSetDword(kPapers + L"\\100000", L"Width", 10);
    RegSetDword(kPapers + L"\\2", L"Width", 20);
    RegSetUnterminated(kBates, L"Number of Formats", L"2147483647");
    RegSetUnterminated(kBates + L"\\4000", L"Name", L"Far");
    RegSetUnterminated(kBates + L"\\1", L"Name", L"Near");

    IniFile ini = ExportAndRead(&dm);
    const IniSection *pRedirect = FindSection(ini, "Redirect Printing");
    ASSERT_TRUE(pRedirect != NULL);
    ASSERT_EQ(4u, pRedirect->keys.size());
    EXPECT_EQ(std::make_pair(std::string("Printer2"), std::string("Near")), pRedirect->keys[1]);
    EXPECT_EQ(std::make_pair(std::string("Printer70000"), std::string("Far")), pRedirect->keys[2]);
    const IniSection *pFonts = FindSection(ini, "PDF Force Font Settings");
    ASSERT_TRUE(pFonts != NULL);
    ASSERT_EQ(2u, pFonts->keys.size());
    EXPECT_EQ("Font 3", pFonts->keys[1].first);
    EXPECT_EQ("10", IniValue(ini, "Paper Size Definitions", "Paper100000 Width"));
    EXPECT_EQ("20", IniValue(ini, "Paper Size Definitions", "Paper2 Width"));
    EXPECT_EQ(13u, FindSection(ini, "Paper Size Definitions")->keys.size());
    std::vector<std::string> bates;
    for (const IniSection &section : ini)
        if (section.name.compare(0, 13, "Bates Number ") == 0)
            bates.push_back(section.name + "=" + IniValue(ini, section.name, "Name"));
    EXPECT_EQ((std::vector<std::string>{"Bates Number 1=Near", "Bates Number 4000=Far"}), bates);
}

/* Texts with line breaks and the like, from the registry and from the
 * block, read back whole through the private-profile reader and
 * DecodeIniValue; no section appears that the export did not make. */
TEST(IniExport, TextValuesReadBackWhole)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);
    const std::wstring aTexts[] = {
        L"Dear customer,\r\n\r\nplease find it attached.\r\n[Injected]\r\nEmail To=other@example",
        L"line\nbreak\rand more", L" - ", L"\t tabbed \t", L"\"quoted\"", L"'single'", L"100% %0A %41 %zz",
        L"\u0141\u00f3d\u017a \U0001F600", std::wstring(1, (WCHAR)0xD800) + L"lone", L"ordinary",
    };
    for (const std::wstring &text : aTexts) {
        ASSERT_EQ(1, SetEmailBody(&dm, text.c_str()));
        DevMode_SetAnnotationText(&dm, text.c_str());
        /* Entries outside 0..9 make any character: 0xFFDA gives LF, 0xFFD0 NUL. */
        DevMode_SetStartApplicationParameterOrder(&dm, 0, 1);
        memcpy(&dm.StartApplicationParameterOrder[1], "\xDA\xFF\xD0\xFF", 4);

        std::string path = TempIniPath("initext");
        std::wstring file = Widen(path);
        ASSERT_EQ(1, ExportProfileToIni(&dm, file.c_str()));
        const struct { const WCHAR *pszSection, *pszKey; std::wstring expected; } aReads[] = {
            {L"Email Settings", L"Email Body", text},
            {L"Default Settings", L"AnnotationText", text.substr(0, 127)},
            {L"Default Settings", L"StartApplicationParameterOrder", std::wstring(L"1\n") + L'\0' + L"00000"},
        };
        for (const auto &read : aReads) {
            WCHAR szValue[4096], szText[4096];
            GetPrivateProfileStringW(read.pszSection, read.pszKey, L"<missing>", szValue, 4096, file.c_str());
            ASSERT_EQ(1, DecodeIniValue(szValue, szText, 4096));
            size_t cch = read.expected.size(); /* the order holds a NUL */
            EXPECT_EQ(read.expected, std::wstring(szText, cch)) << read.pszKey;
        }
        IniFile ini = ReadIniText(path);
        EXPECT_EQ(11u, ini.size()); /* no paper list, no Bates formats */
        EXPECT_TRUE(FindSection(ini, "Injected") == NULL);
        RemoveIni(path);
    }
}

/* drvsettings.dll exports the export functions. */
TEST(IniExport, DllInterface)
{
    std::string dll = BinDir() + "drvsettings.dll";
    HMODULE hDll = LoadLibraryA(dll.c_str());
    ASSERT_TRUE(hDll != NULL) << dll;
    typedef int (*ExportFn)(const DriverDevMode *, const WCHAR *);
    typedef int (*NumberFn)(const WCHAR *, const WCHAR *, int, const WCHAR *);
    ExportFn pfnExport = (ExportFn)(void *)GetProcAddress(hDll, "ExportProfileToIni");
    NumberFn pfnNumber = (NumberFn)(void *)GetProcAddress(hDll, "WriteIniNumber");
    EXPECT_TRUE(pfnExport != NULL);
    ASSERT_TRUE(pfnNumber != NULL);
    std::string path = TempIniPath("inidll");
    EXPECT_EQ(1, pfnNumber(L"Sec", L"Key", -7, Widen(path).c_str()));
    EXPECT_EQ("-7", IniValue(ReadIniText(path), "Sec", "Key"));
    if (pfnExport) {
        EXPECT_EQ(0, pfnExport(NULL, Widen(path).c_str()));
    }
    RemoveIni(path);
    FreeLibrary(hDll);
}

/* ---- the whole export of a fully populated printer ---- */

typedef std::vector<std::pair<std::string, std::pair<std::string, std::string>>> WriteList;

static void FillBlock(DriverDevMode *pDm)
{
    DevMode_SetPaperSize(pDm, 9);
    DevMode_SetPaperWidth(pDm, 2100);
    DevMode_SetPaperLength(pDm, 2970);
    DevMode_SetPrintQuality(pDm, 600);
    DevMode_SetYResolution(pDm, -5); /* stored as 98 */
    DevMode_SetOrientation(pDm, 2);
    DevMode_SetFileFormat(pDm, 12);
    DevMode_SetColorDepth(pDm, 2);
    DevMode_SetFlags(pDm, 0x82000020);
    DevMode_SetPaperWidthInPixels(pDm, 4960);
    DevMode_SetPaperHeightInPixels(pDm, 7016);
    DevMode_SetFAXheader(pDm, 3);
    DevMode_SetLossRatio(pDm, 75);
    DevMode_SetDithering(pDm, 2);
    DevMode_SetBrightness(pDm, 120);
    DevMode_SetLaunchFlags(pDm, 0x45);
    DevMode_SetFileNameGenerationFlags(pDm, 3);
    DevMode_SetSessionID(pDm, 7);
    DevMode_SetFileNamePrefix(pDm, L"inv");
    DevMode_SetFileExtension(pDm, L"pdf");
    DevMode_SetINIFileName(pDm, L"C:\\profiles\\office.ini");
    DevMode_SetFixedFileName(pDm, L"report");
    DevMode_SetWatermarkFilePortrait(pDm, L"C:\\wm\\p.bmp");
    DevMode_SetWatermarkFileLandscape(pDm, L"C:\\wm\\l.bmp");
    DevMode_SetWatermarkFlags(pDm, 0x425);
    DevMode_SetWatermarkBrightness(pDm, (50u << 16) | 60u);
    DevMode_SetAnnotationText(pDm, L"Confidential <<USER>>");
    DevMode_SetAnnotationSeparator(pDm, L"--");
    DevMode_SetAnnotationFlags(pDm, 0x8207);
    DevMode_SetAnnotationRotation(pDm, -45);
    DevMode_SetAnnotationColor(pDm, 0xFF);
    DevMode_SetCustomStartApplicationParameter(pDm, L"/print");
    const int aOrder[8] = {3, 1, 4, 1, 5, 9, 2, 6};
    for (int i = 0; i < 8; i++)
        DevMode_SetStartApplicationParameterOrder(pDm, i, aOrder[i]);
    DevMode_SetApplicationPath(pDm, L"C:\\apps\\viewer.exe");
    DevMode_SetAnnotationXOffset(pDm, -10);
    DevMode_SetAnnotationYOffset(pDm, 25);
    DevMode_SetOutputDirectory(pDm, L"C:\\out");
    DevMode_SetPDFFlags(pDm, 0x1234);
    DevMode_SetSelectedBatesFormat(pDm, 1);
}

static void FillRegistryFamilies(const DriverDevMode *pDm)
{
    ASSERT_EQ(1, SetRedirectPrinterCount(pDm, 2));
    ASSERT_EQ(1, SetRedirectPrinter(pDm, L"Office Laser", 0));
    ASSERT_EQ(1, SetRedirectPrinter(pDm, L"\\\\server\\Archive", 1));
    ASSERT_EQ(1, SetRedirectPrintingLogEnabled(pDm, 1));
    ASSERT_EQ(1, SetRedirectPrintingLogFile(pDm, L"C:\\logs\\redirect.log"));
    ASSERT_EQ(1, SetWatermarkFirstImage(pDm, 1, L"C:\\wm\\first_p.bmp"));
    ASSERT_EQ(1, SetWatermarkFirstImage(pDm, 0, L"C:\\wm\\first_l.bmp"));
    ASSERT_EQ(1, SetWatermarkFirstImageBrightness(pDm, 1, 40));
    ASSERT_EQ(1, SetWatermarkFirstImageBrightness(pDm, 0, 30));
    ASSERT_EQ(1, SetWatermarkFirstImagePosition(pDm, 1, 2));
    ASSERT_EQ(1, SetWatermarkFirstImagePosition(pDm, 0, 8));
    ASSERT_EQ(1, SetBatesFormatCountText(pDm, L"2"));
    for (const char *pszName : kBatesNames)
        ASSERT_EQ(1, SetBatesFormatValue(pDm, 1, Widen(pszName).c_str(), (L"1:" + Widen(pszName)).c_str()));
    ASSERT_EQ(1, SetBatesFormatValue(pDm, 2, L"Name", L"Second"));
    ASSERT_EQ(1, SetPdfDocumentTitle(pDm, L"Quarterly report"));
    ASSERT_EQ(1, SetPdfDocumentSubject(pDm, L"Figures"));
    ASSERT_EQ(1, SetPdfDocumentAuthor(pDm, L"Accounts"));
    ASSERT_EQ(1, SetPdfDocumentKeywords(pDm, L"money; time"));
    ASSERT_EQ(1, SetPdfUserPassword(pDm, L"user1"));
    ASSERT_EQ(1, SetPdfOwnerPassword(pDm, L"owner1"));
    ASSERT_EQ(1, SetPdfDocumentSecurityFlag(pDm, -3904));
    ASSERT_EQ(1, SetPdfDocumentEncryption(pDm, 2));
    ASSERT_EQ(1, SetPdfStreamCompression(pDm, 100));
    ASSERT_EQ(1, SetPdfMonoImageCompression(pDm, 300));
    ASSERT_EQ(1, SetPdfColorImageCompression(pDm, 200));
    ASSERT_EQ(1, SetPdfJpegQuality(pDm, 70));
    ASSERT_EQ(1, SetPdfEmbedAllFonts(pDm, 0));
    ASSERT_EQ(1, SetPdfCreateSubset(pDm, 0));
    ASSERT_EQ(1, SetPdfEmbedLicensedFonts(pDm, 1));
    ASSERT_EQ(1, SetPdfEmbedAdobeFonts(pDm, 1));
    ASSERT_EQ(1, SetPdfEmbedWindowsFonts(pDm, 1));
    ASSERT_EQ(1, SetPdfForceFontCount(pDm, 2));
    ASSERT_EQ(1, SetPdfForceFont(pDm, L"Arial", 0));
    ASSERT_EQ(1, SetPdfForceFont(pDm, L"Courier New", 1));
    ASSERT_EQ(1, SetPdfForbidFontCount(pDm, 1));
    ASSERT_EQ(1, SetPdfForbidFont(pDm, L"Symbol", 0));
    ASSERT_EQ(1, SetSharePointUpload(pDm, 1));
    ASSERT_EQ(1, SetSharePointServer(pDm, L"https://sp.example"));
    ASSERT_EQ(1, SetSharePointDirectory(pDm, L"Shared Documents"));
    ASSERT_EQ(1, SetSharePointUser(pDm, L"spuser"));
    ASSERT_EQ(1, SetSharePointPass(pDm, L"sp-pass"));
    ASSERT_EQ(1, SetSharePointSilent(pDm, 0));
    ASSERT_EQ(1, SetSharePointLogfile(pDm, L"C:\\logs\\sp.log"));
    ASSERT_EQ(1, SetHtmlOutputDirectory(pDm, L"C:\\html"));
    ASSERT_EQ(1, SetHtmlCssSettings(pDm, 2));
    ASSERT_EQ(1, SetHtmlPageSizeSetting(pDm, 1));
    ASSERT_EQ(1, SetHtmlVectorGraphicsDisplayMode(pDm, 0));
    ASSERT_EQ(1, SetHtmlEmbedAllFonts(pDm, 0));
    ASSERT_EQ(1, SetHtmlCreateSubset(pDm, 0));
    ASSERT_EQ(1, SetHtmlSeparatePages(pDm, 1));
    ASSERT_EQ(1, SetHtmlEmbedLicensedFonts(pDm, 1));
    ASSERT_EQ(1, SetHtmlForceFontCount(pDm, 1));
    ASSERT_EQ(1, SetHtmlForceFont(pDm, L"Tahoma", 0));
    ASSERT_EQ(1, SetPostPrintOpenOutputFolder(pDm, 1));
    ASSERT_EQ(1, SetPostPrintViewInDefaultViewer(pDm, 0));
    ASSERT_EQ(1, SetPostPrintSendInEmail(pDm, 1));
    RegSetDword(kPapers, L"Count", 1);
    RegSetDword(kPapers + L"\\1", L"Available", 1);
    RegSetUnterminated(kPapers + L"\\1", L"Title", L"A4 Custom");
    RegSetDword(kPapers + L"\\1", L"Width", 2100);
    RegSetDword(kPapers + L"\\1", L"Height", 2970);
    RegSetUnterminated(kPapers + L"\\1", L"Units", L"mm");
    RegSetDword(kPapers + L"\\1", L"WindowsPaperCode", 9);
    ASSERT_EQ(1, SetEmailSenderClient(pDm, 1));
    ASSERT_EQ(1, SetSmtpServer(pDm, L"smtp.example"));
    ASSERT_EQ(1, SetSmtpPort(pDm, L"587"));
    ASSERT_EQ(1, SetSmtpUserName(pDm, L"mailer"));
    ASSERT_EQ(1, SetSmtpPassword(pDm, L"smtp1"));
    ASSERT_EQ(1, SetSmtpEnableSsl(pDm, 1));
    ASSERT_EQ(1, SetEmailSendSilently(pDm, 0));
    ASSERT_EQ(1, SetEmailSender(pDm, L"printer@example"));
    ASSERT_EQ(1, SetEmailTo(pDm, L"boss@example"));
    ASSERT_EQ(1, SetEmailCc(pDm, L"team@example"));
    ASSERT_EQ(1, SetEmailBcc(pDm, L"archive@example"));
    ASSERT_EQ(1, SetEmailSubject(pDm, L"Your document"));
    ASSERT_EQ(1, SetEmailBody(pDm, L"Please find it attached."));
    ASSERT_EQ(1, SetEmailLoggingEnabled(pDm, 1));
    ASSERT_EQ(1, SetEmailLoggingDirectory(pDm, L"C:\\logs\\mail"));
}

/* Every write of the export, in the order it is made: section, key, value. */
static WriteList ExpectedWrites()
{
    WriteList w;
    auto add = [&w](const char *pszSection, const std::string &key, const std::string &value) {
        w.push_back({pszSection, {key, value}});
    };
    const char *D = "Default Settings";
    const std::pair<const char *, const char *> aDefaults[] = {
        {"Paper Size", "9"}, {"Paper Width", "2100"}, {"Paper Length", "2970"}, {"X DPI", "600"}, {"Y DPI", "98"},
        {"Orientation", "2"}, {"File Format", "12"}, {"BitsPerPixel", "8"}, {"Flags", "-2113929184"},
        {"PaperWidthInPixels", "4960"}, {"PaperHeightInPixels", "7016"}, {"FAXheader", "3"}, {"LossRatio", "75"},
        {"Dithering", "2"}, {"Brightness", "120"}, {"LaunchFlags", "69"}, {"FileNameGenerationFlags", "3"},
        {"SessionID", "7"}, {"FileNamePrefix", "inv"}, {"FileExtension", "pdf"},
        {"INIFileName", "C:\\profiles\\office.ini"}, {"FixedFileName", "report"},
        {"WatermarkFilePortrait", "C:\\wm\\p.bmp"}, {"WatermarkFileLandscape", "C:\\wm\\l.bmp"},
        {"WatermarkFlags", "1061"}, {"WatermarkBrightness", "3276860"},
        {"AnnotationText", "Confidential <<USER>>"}, {"AnnotationSeparator", "--"},
        {"AnnotationFlags", "33287"}, {"AnnotationRotation", "-45"}, {"AnnotationColor", "255"},
        {"CustomStartApplicationParameter", "/print"}, {"StartApplicationParameterOrder", "31415926"},
        {"ApplicationPath", "C:\\apps\\viewer.exe"}, {"AnnotationXOffset", "-10"}, {"AnnotationYOffset", "25"},
        {"OutputDirectory", "C:\\out"}, {"PDFFlags", "4660"},
    };
    for (const auto &kv : aDefaults)
        add(D, kv.first, kv.second);
    const char *R = "Redirect Printing";
    add(R, "Number of printers", "2");
    add(R, "Printer1", "Office Laser");
    add(R, "Printer2", "\\\\server\\Archive");
    add(R, "Enable Redirect Printing Log", "Yes");
    add(R, "Redirect Printing Log File", "C:\\logs\\redirect.log");
    add(D, "FirstWatermarkFilePortrait", "C:\\wm\\first_p.bmp");
    add(D, "FirstWatermarkFileLandscape", "C:\\wm\\first_l.bmp");
    add(D, "FirstWatermarkBrightness", "2621470");
    add(D, "FirstWatermarkPosition", std::to_string(2 * 65536 + 8));
    add("Bates Numbering", "Selected Bates Format", "2");
    add("Bates Numbering", "Number of Formats", "2");
    for (const char *pszName : kBatesNames)
        add("Bates Number 1", pszName, std::string("1:") + pszName);
    for (const char *pszName : kBatesNames)
        add("Bates Number 2", pszName, std::string(pszName) == "Name" ? "Second" : "");
    const char *P = "PDF Settings";
    const std::pair<const char *, const char *> aPdf[] = {
        {"Document Title", "Quarterly report"}, {"Document Subject", "Figures"}, {"Document Author", "Accounts"},
        {"Document Keywords", "money; time"}, {"Document User Password", "user1"},
        {"Document Owner Password", "owner1"}, {"Document Security Flag", "-3904"}, {"Document Encryption", "2"},
        {"Stream Compression", "100"}, {"Mono Image Compression", "300"}, {"Color Image Compression", "200"},
        {"JPEG Quality", "70"}, {"Embed all fonts", "0"}, {"Create subset", "0"}, {"Embed licensed fonts", "1"},
        {"Embed adobe fonts", "1"}, {"Embed windows fonts", "1"},
    };
    for (const auto &kv : aPdf)
        add(P, kv.first, kv.second);
    add("PDF Force Font Settings", "Count", "2");
    add("PDF Force Font Settings", "Font 1", "Arial");
    add("PDF Force Font Settings", "Font 2", "Courier New");
    add("PDF Forbidden Font Settings", "Count", "1");
    add("PDF Forbidden Font Settings", "Font 1", "Symbol");
    const char *O = "Post Print Options";
    add(O, "SharePoint Upload", "1");
    add(O, "SharePoint Server", "https://sp.example");
    add(O, "SharePoint Directory", "Shared Documents");
    add(O, "SharePoint User", "spuser");
    add(O, "SharePoint Pass", "sp-pass");
    add(O, "SharePoint Silent", "0");
    add(O, "SharePoint Logfile", "C:\\logs\\sp.log");
    const char *H = "HTML Settings";
    add(H, "Html content output directory", "C:\\html");
    add(H, "CSS settings", "2");
    add(H, "Page size setting", "1");
    add(H, "Vector graphics display mode", "0");
    add(H, "Embed all font", "0");
    add(H, "Create subset", "0");
    add(H, "Separate pages", "1");
    add("HTML Force Font Settings", "Count", "1");
    add("HTML Force Font Settings", "Font 1", "Tahoma");
    add("HTML Forbidden Font Settings", "Count", "0");
    add(H, "Embed licensed fonts", "1");
    add(O, "Open output folder", "Yes");
    add(O, "View in default viewer", "No");
    const char *S = "Paper Size Definitions";
    add(S, "Number of Paper Sizes", "1");
    add(S, "Paper1 Available", "1");
    add(S, "Paper1 Title", "A4 Custom");
    add(S, "Paper1 Width", "2100");
    add(S, "Paper1 Height", "2970");
    add(S, "Paper1 Units", "mm");
    add(S, "Paper1 WindowsPaperCode", "9");
    add(O, "Send in email", "Yes");
    const char *E = "Email Settings";
    const std::pair<const char *, const char *> aEmail[] = {
        {"Sender Client", "1"}, {"SMTP Server", "smtp.example"}, {"SMTP Port", "587"}, {"SMTP UserName", "mailer"},
        {"SMTP Password", "smtp1"}, {"SMTP Enable SSL", "Yes"}, {"Email Send Silently", "No"},
        {"Email Sender", "printer@example"}, {"Email To", "boss@example"}, {"Email Cc", "team@example"},
        {"Email Bcc", "archive@example"}, {"Email Subject", "Your document"},
        {"Email Body", "Please find it attached."}, {"Logging Enabled", "Yes"}, {"Logging Directory", "C:\\logs\\mail"},
    };
    for (const auto &kv : aEmail)
        add(E, kv.first, kv.second);
    return w;
}

/* What a private-profile file looks like after those writes: sections in
 * the order of their first write, keys added at the end of their section. */
static IniFile LayOut(const WriteList &writes)
{
    IniFile ini;
    for (const auto &write : writes) {
        IniSection *pSection = NULL;
        for (IniSection &section : ini)
            if (section.name == write.first)
                pSection = &section;
        if (!pSection) {
            ini.push_back(IniSection{write.first, {}});
            pSection = &ini.back();
        }
        pSection->keys.push_back(write.second);
    }
    return ini;
}

TEST(IniExport, WholeProfile)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);
    FillBlock(&dm);
    FillRegistryFamilies(&dm);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    DriverDevMode before = dm;

    /* FLAG_USE_PROFILE is set and a numbered profile says otherwise; the
     * export never reads the profiles. */
    RegSetDword(PrinterKey() + L"\\Save As Option Settings\\0", L"File Format", 33);

    IniFile ini = ExportAndRead(&dm);
    IniFile expected = LayOut(ExpectedWrites());
    ASSERT_EQ(expected.size(), ini.size());
    for (size_t s = 0; s < expected.size(); s++) {
        EXPECT_EQ(expected[s].name, ini[s].name) << "section " << s;
        ASSERT_EQ(expected[s].keys.size(), ini[s].keys.size()) << expected[s].name;
        for (size_t k = 0; k < expected[s].keys.size(); k++) {
            EXPECT_EQ(expected[s].keys[k].first, ini[s].keys[k].first) << expected[s].name << " #" << k;
            EXPECT_EQ(expected[s].keys[k].second, ini[s].keys[k].second)
                << expected[s].name << " / " << expected[s].keys[k].first;
        }
    }
    /* Only read: the block is unchanged. */
    EXPECT_EQ(0, memcmp(&before, &dm, sizeof(dm)));
}
