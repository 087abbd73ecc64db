/* Settings families: per-printer keys under the printer's registry name. */
#include "settings/families.h"
#include "settings/profile.h"
#include "settings/regpath.h"

#include <climits>
#include <cstring>
#include <cwchar>
#include <cwctype>

#define FAM_WATERMARK        L"%s\\Watermark"
#define FAM_BATES            L"%s\\BatesNumbering"
#define FAM_PDF              L"%s\\Pdf Settings"
#define FAM_PDF_FORCE        L"%s\\Pdf Settings\\Force Embed Fonts"
#define FAM_PDF_FORBID       L"%s\\Pdf Settings\\Forbid Embed Fonts"
#define FAM_REDIRECT         L"%s\\Redirect Printing Settings"
#define FAM_HTML             L"%s\\Html Settings"
#define FAM_HTML_FORCE       L"%s\\Html Settings\\Force Embed Fonts"
#define FAM_HTML_FORBID      L"%s\\Html Settings\\Forbid Embed Fonts"
#define FAM_POSTPRINT        L"%s\\Post Print Settings"
#define FAM_EMAIL            L"%s\\Post Print Settings\\Email Settings"
#define FAM_SHAREPOINT       L"%s\\Post Print Settings\\SharePoint Settings"
#define FAM_APPSTARTER       L"%s\\Application Starter"
#define FAM_UITABS           L"%s\\UI Tabs Settings"
#define FAM_PAPERS           L"%s\\PapersList"

#define NO_LIMIT             0          /* text setters without a length limit */
#define TEXT_READ_MAX        0x100000u  /* largest text value read, in bytes */
#define FIRST_IMAGE_READ_MAX 520u
#define BATES_READ_MAX       2048u
#define SMTP_PASSWORD_READ_MAX 64u
#define SHAREPOINT_PASS_READ_MAX 520u
#define DECIMAL_READ_CCH     16         /* any 32-bit number in decimal */
#define YESNO_READ_CCH       8

static const WCHAR g_szHexDigits[] = L"0123456789ABCDEF";

/* ---- password forms ---- */

int ScramblePassword(const WCHAR *pszText, WCHAR *pszOut, DWORD cchOut)
{
    if (!pszText || !pszOut)
        return 0;
    size_t cch = wcslen(pszText);
    if (cch + 1 > cchOut)
        return 0;
    for (size_t i = 0; i < cch; i++)
        if ((WCHAR)(pszText[i] ^ PDF_PASSWORD_SCRAMBLE_KEY) == 0)
            return 0;
    for (size_t i = 0; i < cch; i++)
        pszOut[i] = (WCHAR)(pszText[i] ^ PDF_PASSWORD_SCRAMBLE_KEY);
    pszOut[cch] = 0;
    return 1;
}

int EncodeHexPassword(const WCHAR *pszText, WCHAR *pszOut, DWORD cchOut)
{
    if (!pszText || !pszOut)
        return 0;
    size_t cch = wcslen(pszText);
    if (cch * 2 + 1 > cchOut)
        return 0;
    for (size_t i = 0; i < cch; i++)
        if (pszText[i] > 0xFF)
            return 0;
    for (size_t i = 0; i < cch; i++) {
        pszOut[2 * i] = g_szHexDigits[pszText[i] & 0xF];  /* low digit first */
        pszOut[2 * i + 1] = g_szHexDigits[pszText[i] >> 4];
    }
    pszOut[cch * 2] = 0;
    return 1;
}

static unsigned HexDigitValue(WCHAR ch)
{
    const WCHAR *pszFound = wcschr(g_szHexDigits, (WCHAR)towupper(ch));
    return (ch && pszFound) ? (unsigned)(pszFound - g_szHexDigits) : 0;
}

/* Decodes pairs of hex digits; bHighFirst selects the digit order and wKey
 * the exclusive-or applied to each decoded code. An odd last digit is
 * ignored; a decoded 0 ends the text. */
static int DecodeHexPairs(const WCHAR *pszHex, WCHAR *pszOut, DWORD cchOut, BOOL bHighFirst, WCHAR wKey)
{
    if (!pszHex || !pszOut)
        return 0;
    size_t cchPairs = wcslen(pszHex) / 2;
    WCHAR *pszTemp = (WCHAR *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, (cchPairs + 1) * sizeof(WCHAR));
    if (!pszTemp)
        return 0;
    size_t n = 0;
    for (; n < cchPairs; n++) {
        unsigned uFirst = HexDigitValue(pszHex[2 * n]), uSecond = HexDigitValue(pszHex[2 * n + 1]);
        WCHAR ch = (WCHAR)((bHighFirst ? (uFirst << 4 | uSecond) : (uSecond << 4 | uFirst)) ^ wKey);
        if (!ch)
            break;
        pszTemp[n] = ch;
    }
    int nResult = 0;
    if (n + 1 <= cchOut) {
        wmemcpy(pszOut, pszTemp, n + 1);
        nResult = 1;
    }
    HeapFree(GetProcessHeap(), 0, pszTemp);
    return nResult;
}

int DecodeHexPassword(const WCHAR *pszHex, WCHAR *pszOut, DWORD cchOut)
{
    return DecodeHexPairs(pszHex, pszOut, cchOut, FALSE, 0);
}

int EncodeScrambledHexPassword(const WCHAR *pszText, WCHAR *pszOut, DWORD cchOut)
{
    if (!pszText || !pszOut)
        return 0;
    size_t cch = wcslen(pszText);
    if (cch * 2 + 1 > cchOut)
        return 0;
    for (size_t i = 0; i < cch; i++) {
        unsigned uCode = pszText[i] ^ SHAREPOINT_PASSWORD_SCRAMBLE_KEY;
        if (uCode == 0 || uCode > 0xFF)
            return 0;
    }
    for (size_t i = 0; i < cch; i++) {
        unsigned uCode = pszText[i] ^ SHAREPOINT_PASSWORD_SCRAMBLE_KEY;
        pszOut[2 * i] = g_szHexDigits[uCode >> 4];  /* high digit first */
        pszOut[2 * i + 1] = g_szHexDigits[uCode & 0xF];
    }
    pszOut[cch * 2] = 0;
    return 1;
}

int DecodeScrambledHexPassword(const WCHAR *pszHex, WCHAR *pszOut, DWORD cchOut)
{
    return DecodeHexPairs(pszHex, pszOut, cchOut, TRUE, SHAREPOINT_PASSWORD_SCRAMBLE_KEY);
}

/* ---- stored forms ---- */

typedef int (*TextDecoder)(const WCHAR *pszStored, WCHAR *pszOut, DWORD cchOut);

/* Reads a text value into a terminated heap string; NULL when the key or
 * value is missing or larger than cbMax bytes. */
static WCHAR *ReadTextAlloc(const DriverDevMode *pDevMode, const WCHAR *pszPattern, const WCHAR *pszName,
                            DWORD cbMax)
{
    DWORD cbStored = 0;
    int bEmpty = SettingsReadString(pDevMode, SETTINGS_ROOT_PATH, pszPattern, pszName, NULL, &cbStored);
    if ((!bEmpty && cbStored == 0) || cbStored > cbMax)
        return NULL;
    WCHAR *pszText = (WCHAR *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, cbStored + 2 * sizeof(WCHAR));
    if (!pszText)
        return NULL;
    DWORD cbRead = cbStored + 2 * sizeof(WCHAR);
    if (!bEmpty && !SettingsReadString(pDevMode, SETTINGS_ROOT_PATH, pszPattern, pszName, pszText, &cbRead)) {
        HeapFree(GetProcessHeap(), 0, pszText);
        return NULL;
    }
    if (!bEmpty && cbRead % sizeof(WCHAR))
        ((BYTE *)pszText)[cbRead - 1] = 0; /* an odd trailing byte is no character */
    return pszText;
}

static int GetText(const DriverDevMode *pDevMode, const WCHAR *pszPattern, const WCHAR *pszName,
                   WCHAR *pszBuffer, DWORD *pcbSize, DWORD cbMax, TextDecoder pfnDecode)
{
    if (!pcbSize)
        return 0;
    WCHAR *pszStored = ReadTextAlloc(pDevMode, pszPattern, pszName, cbMax);
    if (!pszStored)
        return 0;
    int nResult = 0;
    if (!pfnDecode) {
        nResult = RegDeliverText(pszStored, pszBuffer, pcbSize);
    } else {
        DWORD cchDecoded = (DWORD)wcslen(pszStored) + 1;
        WCHAR *pszDecoded = (WCHAR *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, cchDecoded * sizeof(WCHAR));
        if (pszDecoded && pfnDecode(pszStored, pszDecoded, cchDecoded))
            nResult = RegDeliverText(pszDecoded, pszBuffer, pcbSize);
        if (pszDecoded)
            HeapFree(GetProcessHeap(), 0, pszDecoded);
    }
    HeapFree(GetProcessHeap(), 0, pszStored);
    return nResult;
}

/* cchLimit: the text must be shorter than this many characters (0: any). */
static int SetText(const DriverDevMode *pDevMode, const WCHAR *pszPattern, const WCHAR *pszName,
                   const WCHAR *pszText, size_t cchLimit)
{
    if (!pszText || (cchLimit && wcslen(pszText) >= cchLimit))
        return 0;
    return SettingsWriteString(pDevMode, SETTINGS_ROOT_PATH, pszPattern, pszName, pszText);
}

/* Reads a short text value into pszText (cchText characters), which always
 * ends terminated: the stored text counts as missing (FALSE, buffer empty)
 * when it does not fit with its terminator. */
static BOOL ReadShortText(const DriverDevMode *pDevMode, const WCHAR *pszPattern, const WCHAR *pszName,
                          WCHAR *pszText, DWORD cchText)
{
    memset(pszText, 0, cchText * sizeof(WCHAR));
    DWORD cbSize = cchText * sizeof(WCHAR);
    if (SettingsReadString(pDevMode, SETTINGS_ROOT_PATH, pszPattern, pszName, pszText, &cbSize) &&
        pszText[cchText - 1] == 0)
        return TRUE;
    memset(pszText, 0, cchText * sizeof(WCHAR));
    return FALSE;
}

static int GetDecimal(const DriverDevMode *pDevMode, const WCHAR *pszPattern, const WCHAR *pszName,
                      int nDefault, int *pnValue)
{
    if (!pnValue)
        return 0;
    *pnValue = nDefault;
    WCHAR szText[DECIMAL_READ_CCH + 1];
    if (ReadShortText(pDevMode, pszPattern, pszName, szText, DECIMAL_READ_CCH + 1))
        *pnValue = (int)wcstol(szText, NULL, 10);
    return 1;
}

static int SetDecimal(const DriverDevMode *pDevMode, const WCHAR *pszPattern, const WCHAR *pszName,
                      int nValue, int nMin, int nMax)
{
    if (nValue < nMin || nValue > nMax)
        return 0;
    WCHAR szText[DECIMAL_READ_CCH];
    swprintf(szText, DECIMAL_READ_CCH, L"%d", nValue);
    return SettingsWriteString(pDevMode, SETTINGS_ROOT_PATH, pszPattern, pszName, szText);
}

static int GetYesNo(const DriverDevMode *pDevMode, const WCHAR *pszPattern, const WCHAR *pszName)
{
    WCHAR szText[YESNO_READ_CCH + 1];
    if (!ReadShortText(pDevMode, pszPattern, pszName, szText, YESNO_READ_CCH + 1))
        return 0;
    return lstrcmpiW(szText, L"yes") == 0 ? 1 : 0;
}

static int SetYesNo(const DriverDevMode *pDevMode, const WCHAR *pszPattern, const WCHAR *pszName,
                    int nSwitch, BOOL bAnyNonZero)
{
    BOOL bYes = bAnyNonZero ? (nSwitch != 0) : (nSwitch == 1);
    return SettingsWriteString(pDevMode, SETTINGS_ROOT_PATH, pszPattern, pszName, bYes ? L"Yes" : L"No");
}

/* "Font %d" / "Printer %d" name of a 0-based index. */
static BOOL IndexedValueName(const WCHAR *pszPattern, int nIndex, WCHAR *pszName)
{
    return nIndex >= 0 && nIndex < INT_MAX && RegFormatIndexName(pszPattern, nIndex + 1, pszName, REG_NAME_CCH);
}

static int GetIndexedText(const DriverDevMode *pDevMode, const WCHAR *pszPattern, const WCHAR *pszNamePattern,
                          int nIndex, WCHAR *pszBuffer, DWORD *pcbSize)
{
    WCHAR szName[REG_NAME_CCH];
    if (!IndexedValueName(pszNamePattern, nIndex, szName))
        return 0;
    return GetText(pDevMode, pszPattern, szName, pszBuffer, pcbSize, TEXT_READ_MAX, NULL);
}

static int SetIndexedText(const DriverDevMode *pDevMode, const WCHAR *pszPattern, const WCHAR *pszNamePattern,
                          int nIndex, const WCHAR *pszText)
{
    WCHAR szName[REG_NAME_CCH];
    if (!IndexedValueName(pszNamePattern, nIndex, szName))
        return 0;
    return SetText(pDevMode, pszPattern, szName, pszText, NO_LIMIT);
}

/* Pattern of a numbered sub-key: "<family>\<n>". */
static BOOL NumberedPattern(const WCHAR *pszFamily, int nNumber, WCHAR *pszPattern)
{
    if (nNumber < 0)
        return FALSE;
    int n = swprintf(pszPattern, REG_PATTERN_CCH, L"%ls\\%d", pszFamily, nNumber);
    return n > 0;
}

/* ---- one getter and one setter per value ---- */

#define TEXT_VALUE(Name, Family, ValueName, Limit)                                              \
    int Get##Name(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize)              \
    {                                                                                            \
        return GetText(pDevMode, Family, ValueName, pszBuffer, pcbSize, TEXT_READ_MAX, NULL);   \
    }                                                                                            \
    int Set##Name(const DriverDevMode *pDevMode, const WCHAR *pszText)                          \
    {                                                                                            \
        return SetText(pDevMode, Family, ValueName, pszText, Limit);                            \
    }

#define DECIMAL_VALUE(Name, Family, ValueName, Default, Min, Max)                                \
    int Get##Name(const DriverDevMode *pDevMode, int *pnValue)                                   \
    {                                                                                            \
        return GetDecimal(pDevMode, Family, ValueName, Default, pnValue);                       \
    }                                                                                            \
    int Set##Name(const DriverDevMode *pDevMode, int nValue)                                     \
    {                                                                                            \
        return SetDecimal(pDevMode, Family, ValueName, nValue, Min, Max);                       \
    }

#define YESNO_VALUE(Name, Family, ValueName, AnyNonZero)                                         \
    int Get##Name(const DriverDevMode *pDevMode) { return GetYesNo(pDevMode, Family, ValueName); } \
    int Set##Name(const DriverDevMode *pDevMode, int bOn)                                        \
    {                                                                                            \
        return SetYesNo(pDevMode, Family, ValueName, bOn, AnyNonZero);                          \
    }

#define FONT_LIST(Name, Family)                                                                   \
    DECIMAL_VALUE(Name##Count, Family, L"Font count", 0, 0, INT_MAX)                             \
    int Get##Name(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize, int nIndex)  \
    {                                                                                            \
        return GetIndexedText(pDevMode, Family, L"Font %d", nIndex, pszBuffer, pcbSize);        \
    }                                                                                            \
    int Set##Name(const DriverDevMode *pDevMode, const WCHAR *pszFont, int nIndex)              \
    {                                                                                            \
        return SetIndexedText(pDevMode, Family, L"Font %d", nIndex, pszFont);                   \
    }

#define PASSWORD_VALUE(Name, Family, ValueName, ReadMax, Decode)                                 \
    int Get##Name(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize)              \
    {                                                                                            \
        return GetText(pDevMode, Family, ValueName, pszBuffer, pcbSize, ReadMax, Decode);       \
    }

/* Watermark first-page images. */

int GetWatermarkFirstImage(const DriverDevMode *pDevMode, int bPortrait, WCHAR *pszBuffer, DWORD *pcbSize)
{
    return GetText(pDevMode, FAM_WATERMARK, bPortrait ? L"First Image Portrait" : L"First Image Landscape",
                   pszBuffer, pcbSize, FIRST_IMAGE_READ_MAX, NULL);
}

int SetWatermarkFirstImage(const DriverDevMode *pDevMode, int bPortrait, const WCHAR *pszPath)
{
    return SetText(pDevMode, FAM_WATERMARK, bPortrait ? L"First Image Portrait" : L"First Image Landscape",
                   pszPath, NO_LIMIT);
}

static const WCHAR *FirstBrightnessName(int bPortrait)
{
    return bPortrait ? L"First Image Portrait Brightness" : L"First Image Landscape Brightness";
}

static const WCHAR *FirstPositionName(int bPortrait)
{
    return bPortrait ? L"First Image Portrait Position" : L"First Image Landscape Position";
}

DWORD GetWatermarkFirstImageBrightness(const DriverDevMode *pDevMode, int bPortrait)
{
    if (!pDevMode)
        return 0;
    DWORD dwValue = 0;
    if (!SettingsReadDword(pDevMode, SETTINGS_ROOT_PATH, FAM_WATERMARK, FirstBrightnessName(bPortrait), &dwValue) ||
        dwValue == 0 || dwValue > 100)
        return WATERMARK_FIRST_BRIGHTNESS_DEFAULT;
    return dwValue;
}

int SetWatermarkFirstImageBrightness(const DriverDevMode *pDevMode, int bPortrait, DWORD dwValue)
{
    if (dwValue > 100)
        return 0;
    return SettingsWriteDword(pDevMode, SETTINGS_ROOT_PATH, FAM_WATERMARK, FirstBrightnessName(bPortrait), dwValue);
}

static BOOL IsFirstImagePosition(DWORD dwValue)
{
    return dwValue == 1 || dwValue == 2 || dwValue == 4 || dwValue == 8;
}

DWORD GetWatermarkFirstImagePosition(const DriverDevMode *pDevMode, int bPortrait)
{
    if (!pDevMode)
        return 0;
    DWORD dwValue = 0;
    if (!SettingsReadDword(pDevMode, SETTINGS_ROOT_PATH, FAM_WATERMARK, FirstPositionName(bPortrait), &dwValue) ||
        !IsFirstImagePosition(dwValue))
        return WATERMARK_FIRST_POSITION_DEFAULT;
    return dwValue;
}

int SetWatermarkFirstImagePosition(const DriverDevMode *pDevMode, int bPortrait, DWORD dwValue)
{
    if (!IsFirstImagePosition(dwValue))
        return 0;
    return SettingsWriteDword(pDevMode, SETTINGS_ROOT_PATH, FAM_WATERMARK, FirstPositionName(bPortrait), dwValue);
}

/* Bates formats. */

TEXT_VALUE(BatesFormatCountText, FAM_BATES, L"Number of Formats", NO_LIMIT)

int GetBatesFormatValue(const DriverDevMode *pDevMode, int nFormat, const WCHAR *pszName, WCHAR *pszBuffer,
                        DWORD *pcchSize)
{
    WCHAR szPattern[REG_PATTERN_CCH];
    if (!pszName || !pszName[0] || !pcchSize || !NumberedPattern(FAM_BATES, nFormat, szPattern))
        return 0;
    WCHAR *pszStored = ReadTextAlloc(pDevMode, szPattern, pszName, BATES_READ_MAX);
    if (!pszStored)
        return 0;
    DWORD cchNeeded = (DWORD)wcslen(pszStored) + 1;
    int nResult = 0;
    if (!pszBuffer || *pcchSize < cchNeeded) {
        *pcchSize = cchNeeded;
    } else {
        wmemcpy(pszBuffer, pszStored, cchNeeded);
        *pcchSize = cchNeeded;
        nResult = 1;
    }
    HeapFree(GetProcessHeap(), 0, pszStored);
    return nResult;
}

int SetBatesFormatValue(const DriverDevMode *pDevMode, int nFormat, const WCHAR *pszName, const WCHAR *pszData)
{
    WCHAR szPattern[REG_PATTERN_CCH];
    if (!pszName || !pszName[0] || !pszData || !pszData[0] || !NumberedPattern(FAM_BATES, nFormat, szPattern))
        return 0;
    return SettingsWriteString(pDevMode, SETTINGS_ROOT_PATH, szPattern, pszName, pszData);
}

/* PDF. */

TEXT_VALUE(PdfDocumentTitle, FAM_PDF, L"Document Title", 256)
TEXT_VALUE(PdfDocumentSubject, FAM_PDF, L"Document Subject", 256)
TEXT_VALUE(PdfDocumentAuthor, FAM_PDF, L"Document Author", 256)
TEXT_VALUE(PdfDocumentKeywords, FAM_PDF, L"Document Keywords", 516)
DECIMAL_VALUE(PdfStreamCompression, FAM_PDF, L"Stream Compression", 105, 0, 106)
DECIMAL_VALUE(PdfMonoImageCompression, FAM_PDF, L"Mono Image Compression", 307, 0, 308)
DECIMAL_VALUE(PdfColorImageCompression, FAM_PDF, L"Color Image Compression", 207, 0, 207)
DECIMAL_VALUE(PdfJpegQuality, FAM_PDF, L"JPEG Quality", 85, 1, 100)
DECIMAL_VALUE(PdfDocumentEncryption, FAM_PDF, L"Document Encryption", 0, 0, 2)
DECIMAL_VALUE(PdfDocumentSecurityFlag, FAM_PDF, L"Document Security Flag", 0, INT_MIN, INT_MAX)
DECIMAL_VALUE(PdfEmbedAllFonts, FAM_PDF, L"Embed all fonts", 1, INT_MIN, INT_MAX)
DECIMAL_VALUE(PdfCreateSubset, FAM_PDF, L"Create subset", 1, INT_MIN, INT_MAX)
DECIMAL_VALUE(PdfEmbedLicensedFonts, FAM_PDF, L"Embed licensed fonts", 0, INT_MIN, INT_MAX)
DECIMAL_VALUE(PdfEmbedAdobeFonts, FAM_PDF, L"Embed adobe fonts", 0, INT_MIN, INT_MAX)
DECIMAL_VALUE(PdfEmbedWindowsFonts, FAM_PDF, L"Embed windows fonts", 0, INT_MIN, INT_MAX)
FONT_LIST(PdfForceFont, FAM_PDF_FORCE)
FONT_LIST(PdfForbidFont, FAM_PDF_FORBID)

PASSWORD_VALUE(PdfUserPassword, FAM_PDF, L"Document User Password", TEXT_READ_MAX, ScramblePassword)
PASSWORD_VALUE(PdfOwnerPassword, FAM_PDF, L"Document Owner Password", TEXT_READ_MAX, ScramblePassword)

static int SetPdfPassword(const DriverDevMode *pDevMode, const WCHAR *pszName, const WCHAR *pszPassword)
{
    WCHAR szScrambled[PDF_PASSWORD_MAX_CCH + 1];
    if (!pszPassword || wcslen(pszPassword) > PDF_PASSWORD_MAX_CCH ||
        !ScramblePassword(pszPassword, szScrambled, PDF_PASSWORD_MAX_CCH + 1))
        return 0;
    return SettingsWriteString(pDevMode, SETTINGS_ROOT_PATH, FAM_PDF, pszName, szScrambled);
}

int SetPdfUserPassword(const DriverDevMode *pDevMode, const WCHAR *pszPassword)
{
    return SetPdfPassword(pDevMode, L"Document User Password", pszPassword);
}

int SetPdfOwnerPassword(const DriverDevMode *pDevMode, const WCHAR *pszPassword)
{
    return SetPdfPassword(pDevMode, L"Document Owner Password", pszPassword);
}

/* Redirect printing. */

int GetRedirectPrinterCount(const DriverDevMode *pDevMode, int *pnValue)
{
    if (!pnValue)
        return 0;
    DWORD dwValue = 0;
    *pnValue = 0;
    if (SettingsReadDword(pDevMode, SETTINGS_ROOT_PATH, FAM_REDIRECT, L"Printer count", &dwValue))
        *pnValue = (int)dwValue;
    return 1;
}

int SetRedirectPrinterCount(const DriverDevMode *pDevMode, int nValue)
{
    if (nValue < 0)
        return 0;
    return SettingsWriteDword(pDevMode, SETTINGS_ROOT_PATH, FAM_REDIRECT, L"Printer count", (DWORD)nValue);
}

int GetRedirectPrinter(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize, int nIndex)
{
    return GetIndexedText(pDevMode, FAM_REDIRECT, L"Printer %d", nIndex, pszBuffer, pcbSize);
}

int SetRedirectPrinter(const DriverDevMode *pDevMode, const WCHAR *pszPrinter, int nIndex)
{
    return SetIndexedText(pDevMode, FAM_REDIRECT, L"Printer %d", nIndex, pszPrinter);
}

YESNO_VALUE(RedirectPrintingLogEnabled, FAM_REDIRECT, L"Enable Redirect Printing Log", FALSE)
TEXT_VALUE(RedirectPrintingLogFile, FAM_REDIRECT, L"Redirect Printing Log File", 260)

int GetRedirectSinglePrinter(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize)
{
    return GetRedirectPrinter(pDevMode, pszBuffer, pcbSize, 0);
}

int SetRedirectSinglePrinter(const DriverDevMode *pDevMode, const WCHAR *pszPrinter)
{
    if (!pszPrinter || !pszPrinter[0])
        return 0;
    int bCount = SetRedirectPrinterCount(pDevMode, 1);
    int bName = SetRedirectPrinter(pDevMode, pszPrinter, 0);
    return (bCount && bName) ? 1 : 0;
}

/* HTML. */

TEXT_VALUE(HtmlOutputDirectory, FAM_HTML, L"Html content output directory", 260)
DECIMAL_VALUE(HtmlPageSizeSetting, FAM_HTML, L"Page size setting", 0, INT_MIN, INT_MAX)
DECIMAL_VALUE(HtmlCssSettings, FAM_HTML, L"CSS settings", 1, INT_MIN, INT_MAX)
DECIMAL_VALUE(HtmlVectorGraphicsDisplayMode, FAM_HTML, L"Vector graphics display mode", 1, INT_MIN, INT_MAX)
DECIMAL_VALUE(HtmlEmbedAllFonts, FAM_HTML, L"Embed all fonts", 1, INT_MIN, INT_MAX)
DECIMAL_VALUE(HtmlCreateSubset, FAM_HTML, L"Create subset", 1, INT_MIN, INT_MAX)
DECIMAL_VALUE(HtmlSeparatePages, FAM_HTML, L"Separate pages", 0, INT_MIN, INT_MAX)
DECIMAL_VALUE(HtmlEmbedLicensedFonts, FAM_HTML, L"Embed licensed fonts", 0, INT_MIN, INT_MAX)
FONT_LIST(HtmlForceFont, FAM_HTML_FORCE)
FONT_LIST(HtmlForbidFont, FAM_HTML_FORBID)

/* Post-print actions, e-mail and SharePoint. */

YESNO_VALUE(PostPrintOpenOutputFolder, FAM_POSTPRINT, L"Open output folder", FALSE)
YESNO_VALUE(PostPrintSendInEmail, FAM_POSTPRINT, L"Send in email", FALSE)
YESNO_VALUE(PostPrintViewInDefaultViewer, FAM_POSTPRINT, L"View in default viewer", FALSE)
TEXT_VALUE(EmailSendingProgram32, FAM_POSTPRINT, L"Email sending program 32bit", NO_LIMIT)
TEXT_VALUE(EmailSendingProgram64, FAM_POSTPRINT, L"Email sending program 64bit", NO_LIMIT)
TEXT_VALUE(SharePointUtility, FAM_POSTPRINT, L"SharePoint utility", NO_LIMIT)

int GetEmailSenderClient(const DriverDevMode *pDevMode)
{
    WCHAR szText[DECIMAL_READ_CCH + 1];
    if (!ReadShortText(pDevMode, FAM_EMAIL, L"Sender Client", szText, DECIMAL_READ_CCH + 1))
        return 0;
    return wcscmp(szText, L"1") == 0 ? 1 : 0;
}

int SetEmailSenderClient(const DriverDevMode *pDevMode, int nValue)
{
    return SetDecimal(pDevMode, FAM_EMAIL, L"Sender Client", nValue, 0, 1);
}

TEXT_VALUE(SmtpServer, FAM_EMAIL, L"SMTP Server", NO_LIMIT)
TEXT_VALUE(SmtpPort, FAM_EMAIL, L"SMTP Port", NO_LIMIT)
TEXT_VALUE(SmtpUserName, FAM_EMAIL, L"SMTP UserName", NO_LIMIT)
PASSWORD_VALUE(SmtpPassword, FAM_EMAIL, L"SMTP Password", SMTP_PASSWORD_READ_MAX, DecodeHexPassword)
YESNO_VALUE(SmtpEnableSsl, FAM_EMAIL, L"SMTP Enable SSL", TRUE)
YESNO_VALUE(EmailSendSilently, FAM_EMAIL, L"Email Send Silently", TRUE)
YESNO_VALUE(EmailLoggingEnabled, FAM_EMAIL, L"Logging Enabled", TRUE)
TEXT_VALUE(EmailSender, FAM_EMAIL, L"Email Sender", NO_LIMIT)
TEXT_VALUE(EmailTo, FAM_EMAIL, L"Email To", NO_LIMIT)
TEXT_VALUE(EmailCc, FAM_EMAIL, L"Email Cc", NO_LIMIT)
TEXT_VALUE(EmailBcc, FAM_EMAIL, L"Email Bcc", NO_LIMIT)
TEXT_VALUE(EmailSubject, FAM_EMAIL, L"Email Subject", NO_LIMIT)
TEXT_VALUE(EmailBody, FAM_EMAIL, L"Email Body", NO_LIMIT)
TEXT_VALUE(EmailLoggingDirectory, FAM_EMAIL, L"Logging Directory", NO_LIMIT)

int SetSmtpPassword(const DriverDevMode *pDevMode, const WCHAR *pszPassword)
{
    WCHAR szHex[SMTP_PASSWORD_MAX_CCH * 2 + 1];
    if (!pszPassword || wcslen(pszPassword) > SMTP_PASSWORD_MAX_CCH ||
        !EncodeHexPassword(pszPassword, szHex, SMTP_PASSWORD_MAX_CCH * 2 + 1))
        return 0;
    return SettingsWriteString(pDevMode, SETTINGS_ROOT_PATH, FAM_EMAIL, L"SMTP Password", szHex);
}

YESNO_VALUE(SharePointUpload, FAM_SHAREPOINT, L"SharePoint Upload", FALSE)
YESNO_VALUE(SharePointSilent, FAM_SHAREPOINT, L"SharePoint Silent", FALSE)
TEXT_VALUE(SharePointServer, FAM_SHAREPOINT, L"SharePoint Server", 260)
TEXT_VALUE(SharePointDirectory, FAM_SHAREPOINT, L"SharePoint Directory", 260)
TEXT_VALUE(SharePointUser, FAM_SHAREPOINT, L"SharePoint User", 260)
TEXT_VALUE(SharePointLogfile, FAM_SHAREPOINT, L"SharePoint Logfile", 260)
PASSWORD_VALUE(SharePointPass, FAM_SHAREPOINT, L"SharePoint Pass", SHAREPOINT_PASS_READ_MAX,
               DecodeScrambledHexPassword)

int SetSharePointPass(const DriverDevMode *pDevMode, const WCHAR *pszPassword)
{
    /* The hex text stays shorter than 260 characters, so the 520-byte
     * reader gets it back whole. */
    WCHAR szHex[SHAREPOINT_PASS_MAX_CCH * 2 + 1];
    if (!pszPassword || wcslen(pszPassword) > SHAREPOINT_PASS_MAX_CCH ||
        !EncodeScrambledHexPassword(pszPassword, szHex, SHAREPOINT_PASS_MAX_CCH * 2 + 1))
        return 0;
    return SettingsWriteString(pDevMode, SETTINGS_ROOT_PATH, FAM_SHAREPOINT, L"SharePoint Pass", szHex);
}

/* Application starter. */

TEXT_VALUE(AppStarterExeName, FAM_APPSTARTER, L"EXE Name", 260)

/* User-interface tabs. */

static const WCHAR *const g_apszUiTabNames[] = {
    L"Display File Format Tab",   L"Display Filename Generation Tab", L"Display Start Application Tab",
    L"Display Watermark Tab",     L"Display Annotation Tab",          L"Display Bates Tab",
    L"Display Profile Manager Tab", L"Display Redirect Printing Tab",
};

const WCHAR *UiTabValueName(int nTab)
{
    return (nTab >= 0 && nTab < (int)(sizeof(g_apszUiTabNames) / sizeof(g_apszUiTabNames[0])))
               ? g_apszUiTabNames[nTab]
               : L"";
}

int ShowUiTab(const DriverDevMode *pDevMode, int nTab)
{
    return SettingsWriteDword(pDevMode, SETTINGS_ROOT_PATH, FAM_UITABS, UiTabValueName(nTab), 1);
}

int HideUiTab(const DriverDevMode *pDevMode, int nTab)
{
    return SettingsWriteDword(pDevMode, SETTINGS_ROOT_PATH, FAM_UITABS, UiTabValueName(nTab), 0);
}

int IsUiTabShown(const DriverDevMode *pDevMode, int nTab)
{
    if (!pDevMode)
        return 0;
    DWORD dwValue = 0;
    if (SettingsReadDword(pDevMode, SETTINGS_ROOT_PATH, FAM_UITABS, UiTabValueName(nTab), &dwValue))
        return dwValue == 1 ? 1 : 0;
    WCHAR szIni[DM_CCH_PATH];
    if (!RegCopyField(DevMode_GetINIFileName(pDevMode), DM_CCH_PATH, szIni, DM_CCH_PATH) || !szIni[0])
        return 1;
    return GetPrivateProfileIntW(L"UI Tabs Settings", UiTabValueName(nTab), 1, szIni) == 1 ? 1 : 0;
}

/* Paper list. */

int GetPaperCount(const DriverDevMode *pDevMode, DWORD *pdwValue)
{
    return SettingsReadDword(pDevMode, SETTINGS_ROOT_PATH, FAM_PAPERS, L"Count", pdwValue);
}

static int GetPaperNumber(const DriverDevMode *pDevMode, int nPaper, const WCHAR *pszName, DWORD *pdwValue)
{
    WCHAR szPattern[REG_PATTERN_CCH];
    if (!NumberedPattern(FAM_PAPERS, nPaper, szPattern))
        return 0;
    return SettingsReadDword(pDevMode, SETTINGS_ROOT_PATH, szPattern, pszName, pdwValue);
}

static int GetPaperText(const DriverDevMode *pDevMode, int nPaper, const WCHAR *pszName, WCHAR *pszBuffer,
                        DWORD *pcbSize)
{
    WCHAR szPattern[REG_PATTERN_CCH];
    if (!NumberedPattern(FAM_PAPERS, nPaper, szPattern))
        return 0;
    return GetText(pDevMode, szPattern, pszName, pszBuffer, pcbSize, TEXT_READ_MAX, NULL);
}

int GetPaperAvailable(const DriverDevMode *pDevMode, int nPaper, DWORD *pdwValue)
{
    return GetPaperNumber(pDevMode, nPaper, L"Available", pdwValue);
}

int GetPaperTitle(const DriverDevMode *pDevMode, int nPaper, WCHAR *pszBuffer, DWORD *pcbSize)
{
    return GetPaperText(pDevMode, nPaper, L"Title", pszBuffer, pcbSize);
}

int GetPaperWidth(const DriverDevMode *pDevMode, int nPaper, DWORD *pdwValue)
{
    return GetPaperNumber(pDevMode, nPaper, L"Width", pdwValue);
}

int GetPaperHeight(const DriverDevMode *pDevMode, int nPaper, DWORD *pdwValue)
{
    return GetPaperNumber(pDevMode, nPaper, L"Height", pdwValue);
}

int GetPaperUnits(const DriverDevMode *pDevMode, int nPaper, WCHAR *pszBuffer, DWORD *pcbSize)
{
    return GetPaperText(pDevMode, nPaper, L"Units", pszBuffer, pcbSize);
}

int GetPaperWindowsPaperCode(const DriverDevMode *pDevMode, int nPaper, DWORD *pdwValue)
{
    return GetPaperNumber(pDevMode, nPaper, L"WindowsPaperCode", pdwValue);
}
