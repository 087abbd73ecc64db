#include <gtest/gtest.h>
#include <climits>
#include <cstring>
#include <string>
#include "settings/families.h"
#include "settings/profile.h"
#include "regfixture.h"
#include "testutil.h"

static const std::wstring kPdf = PrinterKey() + L"\\Pdf Settings";
static const std::wstring kWatermark = PrinterKey() + L"\\Watermark";
static const std::wstring kPostPrint = PrinterKey() + L"\\Post Print Settings";

TEST(Families, DecimalForm)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);
    int nValue = -7;

    EXPECT_EQ(1, GetPdfStreamCompression(&dm, &nValue)); /* missing: default */
    EXPECT_EQ(105, nValue);
    RegSetUnterminated(kPdf, L"Stream Compression", L"abc");
    EXPECT_EQ(1, GetPdfStreamCompression(&dm, &nValue));
    EXPECT_EQ(0, nValue);

    ASSERT_EQ(1, SetPdfJpegQuality(&dm, 60));
    EXPECT_EQ(L"60", RegGetString(kPdf, L"JPEG Quality"));
    EXPECT_EQ(0, SetPdfJpegQuality(&dm, 0));
    EXPECT_EQ(0, SetPdfJpegQuality(&dm, 101));
    EXPECT_EQ(1, GetPdfJpegQuality(&dm, &nValue));
    EXPECT_EQ(60, nValue);
    EXPECT_EQ(1, SetPdfJpegQuality(&dm, 1));
    EXPECT_EQ(1, SetPdfJpegQuality(&dm, 100));

    EXPECT_EQ(0, SetPdfStreamCompression(&dm, 107));
    EXPECT_EQ(0, SetPdfStreamCompression(&dm, -1));
    EXPECT_EQ(0, SetPdfColorImageCompression(&dm, 208));
    EXPECT_EQ(0, SetPdfMonoImageCompression(&dm, 309));
    EXPECT_EQ(0, SetPdfDocumentEncryption(&dm, 3));

    /* Any 32-bit number survives the text form. */
    ASSERT_EQ(1, SetPdfDocumentSecurityFlag(&dm, INT_MIN));
    EXPECT_EQ(L"-2147483648", RegGetString(kPdf, L"Document Security Flag"));
    EXPECT_EQ(1, GetPdfDocumentSecurityFlag(&dm, &nValue));
    EXPECT_EQ(INT_MIN, nValue);
    ASSERT_EQ(1, SetPdfDocumentSecurityFlag(&dm, 123456789));
    EXPECT_EQ(1, GetPdfDocumentSecurityFlag(&dm, &nValue));
    EXPECT_EQ(123456789, nValue);

    /* The reader takes 16 characters: a 17th without terminator makes the
     * value too long (the default), never digits from beyond the buffer. */
    RegSetUnterminated(kPdf, L"JPEG Quality", L"0000000000000042");
    EXPECT_EQ(1, GetPdfJpegQuality(&dm, &nValue));
    EXPECT_EQ(42, nValue);
    RegSetUnterminated(kPdf, L"JPEG Quality", L"00000000000000042");
    EXPECT_EQ(1, GetPdfJpegQuality(&dm, &nValue));
    EXPECT_EQ(85, nValue);

    /* No block: the default. */
    nValue = -7;
    EXPECT_EQ(1, GetPdfMonoImageCompression(NULL, &nValue));
    EXPECT_EQ(307, nValue);
    EXPECT_EQ(0, GetPdfMonoImageCompression(&dm, NULL));
    EXPECT_EQ(0, SetPdfCreateSubset(NULL, 1));
}

TEST(Families, YesNoForm)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);

    EXPECT_EQ(0, GetPostPrintOpenOutputFolder(&dm));
    RegSetUnterminated(kPostPrint, L"Open output folder", L"YES");
    EXPECT_EQ(1, GetPostPrintOpenOutputFolder(&dm));
    RegSetUnterminated(kPostPrint, L"Open output folder", L"1");
    EXPECT_EQ(0, GetPostPrintOpenOutputFolder(&dm));
    RegSetUnterminated(kPostPrint, L"Open output folder", L"yes please");
    EXPECT_EQ(0, GetPostPrintOpenOutputFolder(&dm));

    /* Only 1 means yes, except for the three e-mail switches. */
    EXPECT_EQ(1, SetPostPrintOpenOutputFolder(&dm, 2));
    EXPECT_EQ(L"No", RegGetString(kPostPrint, L"Open output folder"));
    EXPECT_EQ(1, SetPostPrintOpenOutputFolder(&dm, 1));
    EXPECT_EQ(L"Yes", RegGetString(kPostPrint, L"Open output folder"));
    EXPECT_EQ(1, SetSmtpEnableSsl(&dm, 2));
    EXPECT_EQ(L"Yes", RegGetString(kPostPrint + L"\\Email Settings", L"SMTP Enable SSL"));
    EXPECT_EQ(1, SetSharePointSilent(&dm, -1));
    EXPECT_EQ(0, GetSharePointSilent(&dm));
    EXPECT_EQ(0, GetPostPrintOpenOutputFolder(NULL));

    /* "Sender Client": "1" only. */
    EXPECT_EQ(0, GetEmailSenderClient(&dm));
    EXPECT_EQ(0, SetEmailSenderClient(&dm, 2));
    EXPECT_EQ(1, SetEmailSenderClient(&dm, 1));
    EXPECT_EQ(1, GetEmailSenderClient(&dm));
    RegSetUnterminated(kPostPrint + L"\\Email Settings", L"Sender Client", L"01");
    EXPECT_EQ(0, GetEmailSenderClient(&dm));
}

TEST(Families, WatermarkFirstImage)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);

    EXPECT_EQ(4u, GetWatermarkFirstImagePosition(&dm, 1));
    RegSetDword(kWatermark, L"First Image Portrait Position", 3);
    EXPECT_EQ(4u, GetWatermarkFirstImagePosition(&dm, 1));
    EXPECT_EQ(0, SetWatermarkFirstImagePosition(&dm, 0, 3));
    EXPECT_EQ(1, SetWatermarkFirstImagePosition(&dm, 0, 8));
    EXPECT_EQ(8u, GetWatermarkFirstImagePosition(&dm, 0));
    EXPECT_EQ(4u, GetWatermarkFirstImagePosition(&dm, 1));
    EXPECT_EQ(0u, GetWatermarkFirstImagePosition(NULL, 1));

    RegSetDword(kWatermark, L"First Image Landscape Brightness", 0);
    EXPECT_EQ(30u, GetWatermarkFirstImageBrightness(&dm, 0));
    EXPECT_EQ(0, SetWatermarkFirstImageBrightness(&dm, 0, 101));
    EXPECT_EQ(0u, RegGetData(kWatermark, L"First Image Landscape Brightness")[0]);
    EXPECT_EQ(1, SetWatermarkFirstImageBrightness(&dm, 1, 100));
    EXPECT_EQ(100u, GetWatermarkFirstImageBrightness(&dm, 1));
    EXPECT_EQ(0u, GetWatermarkFirstImageBrightness(NULL, 1));

    /* Image paths, size protocol in bytes with the terminator. */
    WCHAR szPath[300];
    wmemset(szPath, L'#', 300);
    DWORD cbSize = 4;
    EXPECT_EQ(0, GetWatermarkFirstImage(&dm, 1, szPath, &cbSize));
    EXPECT_EQ(4u, cbSize); /* missing: untouched */
    ASSERT_EQ(1, SetWatermarkFirstImage(&dm, 1, L"C:\\wm\\first.bmp"));
    EXPECT_EQ(0, GetWatermarkFirstImage(&dm, 1, szPath, &cbSize));
    EXPECT_EQ(32u, cbSize);
    EXPECT_EQ(L'#', szPath[0]);
    EXPECT_EQ(1, GetWatermarkFirstImage(&dm, 1, szPath, &cbSize));
    EXPECT_STREQ(L"C:\\wm\\first.bmp", szPath);
    EXPECT_EQ(0, GetWatermarkFirstImage(&dm, 0, szPath, &cbSize));

    /* The reader holds 520 bytes: a longer path reads as missing. */
    std::wstring longPath(261, L'p');
    ASSERT_EQ(1, SetWatermarkFirstImage(&dm, 0, longPath.c_str()));
    cbSize = sizeof(szPath);
    EXPECT_EQ(0, GetWatermarkFirstImage(&dm, 0, szPath, &cbSize));
    EXPECT_EQ(sizeof(szPath), cbSize);
}

TEST(Families, IndexedText)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);
    WCHAR szFont[64];
    DWORD cbSize = sizeof(szFont);

    EXPECT_EQ(1, SetPdfForceFont(&dm, L"Arial", 0));
    EXPECT_EQ(L"Arial", RegGetString(kPdf + L"\\Force Embed Fonts", L"Font 1"));
    EXPECT_EQ(1, GetPdfForceFont(&dm, szFont, &cbSize, 0));
    EXPECT_STREQ(L"Arial", szFont);
    EXPECT_EQ(0, SetPdfForceFont(&dm, L"Arial", -1));
    EXPECT_EQ(0, GetPdfForceFont(&dm, szFont, &cbSize, -1));
    EXPECT_EQ(0, SetHtmlForbidFontCount(&dm, -1));

    EXPECT_EQ(1, SetRedirectPrinter(&dm, L"Second", 1));
    EXPECT_EQ(L"Second", RegGetString(PrinterKey() + L"\\Redirect Printing Settings", L"Printer 2"));

    /* Single target: count 1 and Printer 1. */
    EXPECT_EQ(0, SetRedirectSinglePrinter(&dm, L""));
    EXPECT_EQ(0, SetRedirectSinglePrinter(&dm, NULL));
    int nCount = -1;
    EXPECT_EQ(1, GetRedirectPrinterCount(&dm, &nCount));
    EXPECT_EQ(0, nCount);
    EXPECT_EQ(1, SetRedirectSinglePrinter(&dm, L"Only One"));
    EXPECT_EQ(1, GetRedirectPrinterCount(&dm, &nCount));
    EXPECT_EQ(1, nCount);
    cbSize = sizeof(szFont);
    EXPECT_EQ(1, GetRedirectSinglePrinter(&dm, szFont, &cbSize));
    EXPECT_STREQ(L"Only One", szFont);
    EXPECT_EQ(0, SetRedirectPrinterCount(&dm, -1));
}

TEST(Families, PasswordForms)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);
    WCHAR szOut[80];
    DWORD cbSize = sizeof(szOut);

    /* Hex form: low digit first. */
    EXPECT_EQ(1, EncodeHexPassword(L"abc", szOut, 80));
    EXPECT_STREQ(L"162636", szOut);
    EXPECT_EQ(1, DecodeHexPassword(L"1626363", szOut, 80)); /* odd digit ignored */
    EXPECT_STREQ(L"abc", szOut);
    EXPECT_EQ(0, EncodeHexPassword(L"\x0100", szOut, 80));
    EXPECT_EQ(0, EncodeHexPassword(L"abc", szOut, 6)); /* no room for the terminator */
    /* Codes below 0x10 take two digits too, so every pair stays a character
     * for the reader (the driver's one-digit form would shift the pairs):
     * every code 1..0xFF comes back, behind and before another character. */
    EXPECT_EQ(1, EncodeHexPassword(L"\t", szOut, 80));
    EXPECT_STREQ(L"90", szOut);
    for (WCHAR ch = 1; ch <= 0xFF; ch++) {
        WCHAR szText[4] = { L'a', ch, L'z', 0 }, szHex[8], szBack[4];
        ASSERT_EQ(1, EncodeHexPassword(szText, szHex, 8)) << (int)ch;
        EXPECT_EQ(6u, wcslen(szHex)) << (int)ch;
        ASSERT_EQ(1, DecodeHexPassword(szHex, szBack, 4)) << (int)ch;
        EXPECT_STREQ(szText, szBack) << (int)ch;
    }

    ASSERT_EQ(1, SetSmtpPassword(&dm, L"abc"));
    EXPECT_EQ(L"162636", RegGetString(kPostPrint + L"\\Email Settings", L"SMTP Password"));
    EXPECT_EQ(1, GetSmtpPassword(&dm, szOut, &cbSize));
    EXPECT_STREQ(L"abc", szOut);
    EXPECT_EQ(1, SetSmtpPassword(&dm, L"0123456789abcde"));
    EXPECT_EQ(0, SetSmtpPassword(&dm, L"0123456789abcdef")); /* would not read back */
    cbSize = sizeof(szOut);
    EXPECT_EQ(1, GetSmtpPassword(&dm, szOut, &cbSize));
    EXPECT_STREQ(L"0123456789abcde", szOut);

    /* Scrambled text: 32 characters at most, not stored in plain. */
    std::wstring pw32(32, L'k'), pw33(33, L'k');
    EXPECT_EQ(0, SetPdfUserPassword(&dm, pw33.c_str()));
    EXPECT_FALSE(RegValueExists(kPdf, L"Document User Password"));
    ASSERT_EQ(1, SetPdfUserPassword(&dm, pw32.c_str()));
    std::wstring stored = RegGetString(kPdf, L"Document User Password");
    EXPECT_EQ(32u, stored.size());
    EXPECT_NE(pw32, stored);
    cbSize = sizeof(szOut);
    EXPECT_EQ(1, GetPdfUserPassword(&dm, szOut, &cbSize));
    EXPECT_EQ(pw32, szOut);
    EXPECT_EQ(66u, cbSize);
    WCHAR szKey[2] = {PDF_PASSWORD_SCRAMBLE_KEY, 0};
    EXPECT_EQ(0, SetPdfOwnerPassword(&dm, szKey)); /* would scramble to 0 */

    /* Scrambled hex: two digits per character, high digit first. */
    ASSERT_EQ(1, SetSharePointPass(&dm, L"Pw1"));
    WCHAR szExpected[8];
    swprintf(szExpected, 8, L"%02X%02X%02X", L'P' ^ SHAREPOINT_PASSWORD_SCRAMBLE_KEY,
             L'w' ^ SHAREPOINT_PASSWORD_SCRAMBLE_KEY, L'1' ^ SHAREPOINT_PASSWORD_SCRAMBLE_KEY);
    EXPECT_EQ(std::wstring(szExpected),
              RegGetString(kPostPrint + L"\\SharePoint Settings", L"SharePoint Pass"));
    cbSize = sizeof(szOut);
    EXPECT_EQ(1, GetSharePointPass(&dm, szOut, &cbSize));
    EXPECT_STREQ(L"Pw1", szOut);
    EXPECT_EQ(0, SetSharePointPass(&dm, L"\x0101"));
}

TEST(Families, BatesFormats)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);
    WCHAR szValue[40];
    wmemset(szValue, L'#', 40);

    RegSetUnterminated(PrinterKey() + L"\\BatesNumbering\\1", L"Prefix", L"fifteen chars!!"); /* 30 bytes */
    DWORD cchSize = 10;
    EXPECT_EQ(0, GetBatesFormatValue(&dm, 1, L"Prefix", szValue, &cchSize));
    EXPECT_EQ(16u, cchSize); /* 15 characters and the terminator */
    EXPECT_EQ(L'#', szValue[0]);
    EXPECT_EQ(1, GetBatesFormatValue(&dm, 1, L"Prefix", szValue, &cchSize));
    EXPECT_STREQ(L"fifteen chars!!", szValue);
    ASSERT_EQ(1, SetBatesFormatValue(&dm, 2, L"Name", L"Second format"));
    EXPECT_EQ(L"Second format", RegGetString(PrinterKey() + L"\\BatesNumbering\\2", L"Name"));

    EXPECT_EQ(0, SetBatesFormatValue(&dm, -1, L"Prefix", L"x"));
    EXPECT_EQ(0, SetBatesFormatValue(&dm, 1, L"", L"x"));
    EXPECT_EQ(0, SetBatesFormatValue(&dm, 1, L"Prefix", L""));
    cchSize = 40;
    EXPECT_EQ(0, GetBatesFormatValue(&dm, -1, L"Prefix", szValue, &cchSize));
    EXPECT_EQ(0, GetBatesFormatValue(&dm, 3, L"Prefix", szValue, &cchSize));
    EXPECT_EQ(40u, cchSize);

    ASSERT_EQ(1, SetBatesFormatCountText(&dm, L"1"));
    DWORD cbSize = sizeof(szValue);
    EXPECT_EQ(1, GetBatesFormatCountText(&dm, szValue, &cbSize));
    EXPECT_STREQ(L"1", szValue);
}

TEST(Families, UiTabs)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);
    std::string iniDir = MakeTempDir("uitabs");
    std::string ini = iniDir + "\\profile.ini";
    WriteWholeFile(ini, "[UI Tabs Settings]\r\nDisplay Watermark Tab=0\r\nDisplay Bates Tab=1\r\n");
    std::wstring wini(ini.begin(), ini.end());
    DevMode_SetINIFileName(&dm, wini.c_str());

    /* Missing registry values: the INI file answers, default shown. */
    EXPECT_EQ(0, IsUiTabShown(&dm, UI_TAB_WATERMARK));
    EXPECT_EQ(1, IsUiTabShown(&dm, UI_TAB_BATES));
    EXPECT_EQ(1, IsUiTabShown(&dm, UI_TAB_ANNOTATION));

    /* The registry value wins. */
    EXPECT_EQ(1, ShowUiTab(&dm, UI_TAB_WATERMARK));
    EXPECT_EQ(1, IsUiTabShown(&dm, UI_TAB_WATERMARK));
    EXPECT_EQ(1, HideUiTab(&dm, UI_TAB_BATES));
    EXPECT_EQ(0u, RegGetData(PrinterKey() + L"\\UI Tabs Settings", L"Display Bates Tab")[0]);
    EXPECT_EQ(0, IsUiTabShown(&dm, UI_TAB_BATES));
    RegSetDword(PrinterKey() + L"\\UI Tabs Settings", L"Display Annotation Tab", 2);
    EXPECT_EQ(0, IsUiTabShown(&dm, UI_TAB_ANNOTATION));

    /* Other ids use the unnamed value. */
    EXPECT_EQ(1, HideUiTab(&dm, 8));
    EXPECT_TRUE(RegValueExists(PrinterKey() + L"\\UI Tabs Settings", L""));
    EXPECT_EQ(0, IsUiTabShown(&dm, 8));

    /* No INI file named: shown. */
    DevMode_SetINIFileName(&dm, L"");
    EXPECT_EQ(1, IsUiTabShown(&dm, UI_TAB_REDIRECT_PRINTING));
    RemoveTree(iniDir);
}

TEST(Families, PaperList)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);
    DWORD dwValue = 0xDEADBEEF;
    EXPECT_EQ(0, GetPaperCount(&dm, &dwValue));
    EXPECT_EQ(0xDEADBEEFu, dwValue);

    std::wstring papers = PrinterKey() + L"\\PapersList";
    RegSetDword(papers, L"Count", 1);
    RegSetDword(papers + L"\\1", L"Available", 1);
    RegSetUnterminated(papers + L"\\1", L"Title", L"Letter");
    RegSetDword(papers + L"\\1", L"Width", 2159);
    RegSetDword(papers + L"\\1", L"Height", 2794);
    RegSetUnterminated(papers + L"\\1", L"Units", L"mm");
    RegSetDword(papers + L"\\1", L"WindowsPaperCode", 1);

    EXPECT_EQ(1, GetPaperCount(&dm, &dwValue));
    EXPECT_EQ(1u, dwValue);
    EXPECT_EQ(1, GetPaperWidth(&dm, 1, &dwValue));
    EXPECT_EQ(2159u, dwValue);
    EXPECT_EQ(1, GetPaperHeight(&dm, 1, &dwValue));
    EXPECT_EQ(2794u, dwValue);
    EXPECT_EQ(1, GetPaperWindowsPaperCode(&dm, 1, &dwValue));
    EXPECT_EQ(1u, dwValue);
    EXPECT_EQ(1, GetPaperAvailable(&dm, 1, &dwValue));
    WCHAR szText[32];
    DWORD cbSize = sizeof(szText);
    EXPECT_EQ(1, GetPaperTitle(&dm, 1, szText, &cbSize));
    EXPECT_STREQ(L"Letter", szText);
    cbSize = sizeof(szText);
    EXPECT_EQ(1, GetPaperUnits(&dm, 1, szText, &cbSize));
    EXPECT_STREQ(L"mm", szText);
    dwValue = 0xDEADBEEF;
    EXPECT_EQ(0, GetPaperWidth(&dm, 2, &dwValue));
    EXPECT_EQ(0xDEADBEEFu, dwValue);
}

/* ---- every family value through its setter and getter ---- */

typedef int (*TextGet)(const DriverDevMode *, WCHAR *, DWORD *);
typedef int (*TextSet)(const DriverDevMode *, const WCHAR *);
typedef int (*IntGet)(const DriverDevMode *, int *);
typedef int (*IntSet)(const DriverDevMode *, int);
typedef int (*SwitchGet)(const DriverDevMode *);
typedef int (*SwitchSet)(const DriverDevMode *, int);

struct TextCase { const char *name; TextGet get; TextSet set; size_t cchLimit; const WCHAR *value; };
struct IntCase { const char *name; IntGet get; IntSet set; int nDefault; int nValue; };
struct SwitchCase { const char *name; SwitchGet get; SwitchSet set; };

#define TEXT_CASE(Name, Limit, Value) { #Name, Get##Name, Set##Name, Limit, Value }
#define INT_CASE(Name, Default, Value) { #Name, Get##Name, Set##Name, Default, Value }
#define SWITCH_CASE(Name) { #Name, Get##Name, Set##Name }

static const TextCase kTextCases[] = {
    TEXT_CASE(PdfDocumentTitle, 256, L"Title"),
    TEXT_CASE(PdfDocumentSubject, 256, L"Subject"),
    TEXT_CASE(PdfDocumentAuthor, 256, L"Author"),
    TEXT_CASE(PdfDocumentKeywords, 516, L"one, two"),
    TEXT_CASE(PdfUserPassword, 33, L"user pw"),
    TEXT_CASE(PdfOwnerPassword, 33, L"owner pw"),
    TEXT_CASE(RedirectPrintingLogFile, 260, L"C:\\logs\\redirect.log"),
    TEXT_CASE(HtmlOutputDirectory, 260, L"C:\\html"),
    TEXT_CASE(EmailSendingProgram32, 0, L"C:\\mail32.exe"),
    TEXT_CASE(EmailSendingProgram64, 0, L"C:\\mail64.exe"),
    TEXT_CASE(SharePointUtility, 0, L"C:\\sp.exe"),
    TEXT_CASE(SmtpServer, 0, L"smtp.example.com"),
    TEXT_CASE(SmtpPort, 0, L"587"),
    TEXT_CASE(SmtpUserName, 0, L"user"),
    TEXT_CASE(SmtpPassword, 16, L"s3cret!"),
    TEXT_CASE(EmailSender, 0, L"me@example.com"),
    TEXT_CASE(EmailTo, 0, L"you@example.com"),
    TEXT_CASE(EmailCc, 0, L"cc@example.com"),
    TEXT_CASE(EmailBcc, 0, L"bcc@example.com"),
    TEXT_CASE(EmailSubject, 0, L"Subject"),
    TEXT_CASE(EmailBody, 0, L"Body\r\nline 2"),
    TEXT_CASE(EmailLoggingDirectory, 0, L"C:\\maillogs"),
    TEXT_CASE(SharePointServer, 260, L"https://sp.example.com"),
    TEXT_CASE(SharePointDirectory, 260, L"/docs"),
    TEXT_CASE(SharePointUser, 260, L"spuser"),
    TEXT_CASE(SharePointLogfile, 260, L"C:\\sp.log"),
    TEXT_CASE(SharePointPass, 130, L"sp pass"),
    TEXT_CASE(AppStarterExeName, 260, L"C:\\app.exe"),
    TEXT_CASE(BatesFormatCountText, 0, L"3"),
};

static const IntCase kIntCases[] = {
    INT_CASE(PdfStreamCompression, 105, 106),
    INT_CASE(PdfMonoImageCompression, 307, 308),
    INT_CASE(PdfColorImageCompression, 207, 0),
    INT_CASE(PdfJpegQuality, 85, 42),
    INT_CASE(PdfDocumentEncryption, 0, 2),
    INT_CASE(PdfDocumentSecurityFlag, 0, -3904),
    INT_CASE(PdfEmbedAllFonts, 1, 0),
    INT_CASE(PdfCreateSubset, 1, 0),
    INT_CASE(PdfEmbedLicensedFonts, 0, 1),
    INT_CASE(PdfEmbedAdobeFonts, 0, 1),
    INT_CASE(PdfEmbedWindowsFonts, 0, 1),
    INT_CASE(PdfForceFontCount, 0, 4),
    INT_CASE(PdfForbidFontCount, 0, 5),
    INT_CASE(HtmlPageSizeSetting, 0, 2),
    INT_CASE(HtmlCssSettings, 1, 0),
    INT_CASE(HtmlVectorGraphicsDisplayMode, 1, 3),
    INT_CASE(HtmlEmbedAllFonts, 1, 0),
    INT_CASE(HtmlCreateSubset, 1, 0),
    INT_CASE(HtmlSeparatePages, 0, 1),
    INT_CASE(HtmlEmbedLicensedFonts, 0, 1),
    INT_CASE(HtmlForceFontCount, 0, 6),
    INT_CASE(HtmlForbidFontCount, 0, 7),
    INT_CASE(RedirectPrinterCount, 0, 2),
};

static const SwitchCase kSwitchCases[] = {
    SWITCH_CASE(RedirectPrintingLogEnabled), SWITCH_CASE(PostPrintOpenOutputFolder),
    SWITCH_CASE(PostPrintSendInEmail),       SWITCH_CASE(PostPrintViewInDefaultViewer),
    SWITCH_CASE(SmtpEnableSsl),              SWITCH_CASE(EmailSendSilently),
    SWITCH_CASE(EmailLoggingEnabled),        SWITCH_CASE(SharePointUpload),
    SWITCH_CASE(SharePointSilent),           SWITCH_CASE(EmailSenderClient),
};

TEST(Families, RoundTrip)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);

    for (const TextCase &c : kTextCases) {
        SCOPED_TRACE(c.name);
        WCHAR szBuffer[64];
        wmemset(szBuffer, L'#', 64);
        DWORD cbSize = sizeof(szBuffer);
        EXPECT_EQ(0, c.get(&dm, szBuffer, &cbSize));       /* missing */
        EXPECT_EQ(sizeof(szBuffer), cbSize);
        EXPECT_EQ(0, c.set(&dm, NULL));
        if (c.cchLimit) {
            std::wstring tooLong(c.cchLimit, L'x');
            EXPECT_EQ(0, c.set(&dm, tooLong.c_str()));
            std::wstring longest(c.cchLimit - 1, L'y');
            EXPECT_EQ(1, c.set(&dm, longest.c_str()));
        }
        ASSERT_EQ(1, c.set(&dm, c.value));
        EXPECT_EQ(1, c.get(&dm, szBuffer, &cbSize));
        EXPECT_STREQ(c.value, szBuffer);
        EXPECT_EQ((wcslen(c.value) + 1) * sizeof(WCHAR), cbSize);
        cbSize = 2;
        EXPECT_EQ(0, c.get(&dm, szBuffer, &cbSize));
        EXPECT_EQ((wcslen(c.value) + 1) * sizeof(WCHAR), cbSize);
        EXPECT_EQ(0, c.get(NULL, szBuffer, &cbSize));
    }
    for (const IntCase &c : kIntCases) {
        SCOPED_TRACE(c.name);
        int nValue = -12345;
        EXPECT_EQ(1, c.get(&dm, &nValue));
        EXPECT_EQ(c.nDefault, nValue);
        ASSERT_EQ(1, c.set(&dm, c.nValue));
        EXPECT_EQ(1, c.get(&dm, &nValue));
        EXPECT_EQ(c.nValue, nValue);
    }
    for (const SwitchCase &c : kSwitchCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(0, c.get(&dm));
        ASSERT_EQ(1, c.set(&dm, 1));
        EXPECT_EQ(1, c.get(&dm));
        ASSERT_EQ(1, c.set(&dm, 0));
        EXPECT_EQ(0, c.get(&dm));
    }
    /* Indexed and watermark values. */
    WCHAR szBuffer[64];
    DWORD cbSize = sizeof(szBuffer);
    EXPECT_EQ(1, SetPdfForbidFont(&dm, L"Wingdings", 4));
    EXPECT_EQ(1, GetPdfForbidFont(&dm, szBuffer, &cbSize, 4));
    EXPECT_STREQ(L"Wingdings", szBuffer);
    cbSize = sizeof(szBuffer);
    EXPECT_EQ(1, SetHtmlForceFont(&dm, L"Verdana", 0));
    EXPECT_EQ(1, GetHtmlForceFont(&dm, szBuffer, &cbSize, 0));
    EXPECT_STREQ(L"Verdana", szBuffer);
    cbSize = sizeof(szBuffer);
    EXPECT_EQ(1, SetHtmlForbidFont(&dm, L"Symbol", 1));
    EXPECT_EQ(1, GetHtmlForbidFont(&dm, szBuffer, &cbSize, 1));
    EXPECT_STREQ(L"Symbol", szBuffer);
    cbSize = sizeof(szBuffer);
    EXPECT_EQ(1, SetRedirectPrinter(&dm, L"PDF Queue", 0));
    EXPECT_EQ(1, GetRedirectPrinter(&dm, szBuffer, &cbSize, 0));
    EXPECT_STREQ(L"PDF Queue", szBuffer);
    for (int bPortrait = 0; bPortrait <= 1; bPortrait++) {
        EXPECT_EQ(1, SetWatermarkFirstImageBrightness(&dm, bPortrait, 55 + bPortrait));
        EXPECT_EQ(55u + bPortrait, GetWatermarkFirstImageBrightness(&dm, bPortrait));
        EXPECT_EQ(1, SetWatermarkFirstImagePosition(&dm, bPortrait, 1 + bPortrait));
        EXPECT_EQ(1u + bPortrait, GetWatermarkFirstImagePosition(&dm, bPortrait));
    }
}
