/* Export of a printer's settings profile to an INI file. */
#include "settings/iniexport.h"
#include "settings/families.h"
#include "settings/initext.h"
#include "settings/profile.h"
#include "settings/regpath.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#define SEC_DEFAULT        L"Default Settings"
#define SEC_REDIRECT       L"Redirect Printing"
#define SEC_BATES          L"Bates Numbering"
#define SEC_PDF            L"PDF Settings"
#define SEC_PDF_FORCE      L"PDF Force Font Settings"
#define SEC_PDF_FORBID     L"PDF Forbidden Font Settings"
#define SEC_POSTPRINT      L"Post Print Options"
#define SEC_HTML           L"HTML Settings"
#define SEC_HTML_FORCE     L"HTML Force Font Settings"
#define SEC_HTML_FORBID    L"HTML Forbidden Font Settings"
#define SEC_PAPERS         L"Paper Size Definitions"
#define SEC_EMAIL          L"Email Settings"

#define INI_KEY_CCH        64   /* composed key and section names */
#define INI_NUMBER_CCH     16   /* any 32-bit number in decimal */

/* What every write needs. */
typedef struct IniTarget {
    const DriverDevMode *pDevMode;
    const WCHAR *pszFile;
    IniEncoding encoding;
} IniTarget;

typedef int (*TextGetter)(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
typedef int (*IndexedTextGetter)(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize, int nIndex);
typedef int (*DecimalGetter)(const DriverDevMode *pDevMode, int *pnValue);

/* Whether a section (bKey FALSE) or key name reads back from a file of the
 * encoding: no line break, no character the file cannot hold, and for a
 * key no "=" and no leading "[". */
static BOOL IsReadableIniName(const WCHAR *pszName, BOOL bKey, IniEncoding encoding)
{
    if (wcspbrk(pszName, L"\r\n") || !IniEncodingHolds(pszName, encoding))
        return FALSE;
    return !bKey || (!wcschr(pszName, L'=') && pszName[0] != L'[');
}

int WriteIniNumber(const WCHAR *pszSection, const WCHAR *pszKey, int nValue, const WCHAR *pszIniFile)
{
    if (!pszSection || !pszKey || !pszIniFile)
        return 0;
    IniEncoding encoding = IniFileEncoding(pszIniFile);
    if (!IsReadableIniName(pszSection, FALSE, encoding) || !IsReadableIniName(pszKey, TRUE, encoding))
        return 0;
    WCHAR szNumber[INI_NUMBER_CCH];
    swprintf(szNumber, INI_NUMBER_CCH, L"%d", nValue);
    return WritePrivateProfileStringW(pszSection, pszKey, szNumber, pszIniFile) ? 1 : 0;
}

/* ---- small writers ---- */

/* A text of cchText characters (NULs included), escaped where it would not
 * read back whole. */
static void PutCountedText(const IniTarget *pTarget, const WCHAR *pszSection, const WCHAR *pszKey,
                           const WCHAR *pText, size_t cchText)
{
    WCHAR *pszValue = IniEncodeValue(pText, cchText, pTarget->encoding);
    if (!pszValue)
        return;
    WritePrivateProfileStringW(pszSection, pszKey, pszValue, pTarget->pszFile);
    HeapFree(GetProcessHeap(), 0, pszValue);
}

static void PutText(const IniTarget *pTarget, const WCHAR *pszSection, const WCHAR *pszKey, const WCHAR *pszText)
{
    PutCountedText(pTarget, pszSection, pszKey, pszText, wcslen(pszText));
}

static void PutNumber(const IniTarget *pTarget, const WCHAR *pszSection, const WCHAR *pszKey, int nValue)
{
    WriteIniNumber(pszSection, pszKey, nValue, pTarget->pszFile);
}

static void PutYesNo(const IniTarget *pTarget, const WCHAR *pszSection, const WCHAR *pszKey, int bOn)
{
    PutText(pTarget, pszSection, pszKey, bOn ? L"Yes" : L"No");
}

static void PutOneZero(const IniTarget *pTarget, const WCHAR *pszSection, const WCHAR *pszKey, int bOn)
{
    PutNumber(pTarget, pszSection, pszKey, bOn ? 1 : 0);
}

/* Reads a family text into a zeroed buffer of cbBuffer bytes; TRUE when the
 * read succeeded (the buffer stays empty when it did not). */
static BOOL ReadText(const IniTarget *pTarget, TextGetter pfnGet, WCHAR *pszBuffer, DWORD cbBuffer)
{
    ZeroMemory(pszBuffer, cbBuffer);
    DWORD cbSize = cbBuffer;
    if (pfnGet(pTarget->pDevMode, pszBuffer, &cbSize))
        return TRUE;
    ZeroMemory(pszBuffer, cbBuffer);
    return FALSE;
}

/* The same for an indexed family text ("Printer %d", "Font %d"). */
static BOOL ReadIndexedText(const IniTarget *pTarget, IndexedTextGetter pfnGet, WCHAR *pszBuffer, DWORD cbBuffer,
                            int nIndex)
{
    ZeroMemory(pszBuffer, cbBuffer);
    DWORD cbSize = cbBuffer;
    if (pfnGet(pTarget->pDevMode, pszBuffer, &cbSize, nIndex))
        return TRUE;
    ZeroMemory(pszBuffer, cbBuffer);
    return FALSE;
}

/* A family text written even when it cannot be read (then empty). cbBuffer
 * is at most INI_CB_LONG_TEXT. */
static void PutFamilyText(const IniTarget *pTarget, const WCHAR *pszSection, const WCHAR *pszKey,
                          TextGetter pfnGet, DWORD cbBuffer)
{
    WCHAR szText[INI_CB_LONG_TEXT / sizeof(WCHAR)];
    ReadText(pTarget, pfnGet, szText, cbBuffer);
    PutText(pTarget, pszSection, pszKey, szText);
}

/* A decimal family value as its getter answers, default included. */
static void PutFamilyDecimal(const IniTarget *pTarget, const WCHAR *pszSection, const WCHAR *pszKey,
                             DecimalGetter pfnGet)
{
    int nValue = 0;
    pfnGet(pTarget->pDevMode, &nValue);
    PutNumber(pTarget, pszSection, pszKey, nValue);
}

/* A string field of the block, cut at the field's capacity in case the
 * block came from outside without its terminator (then all cchField
 * characters are text). */
static void PutBlockString(const IniTarget *pTarget, const WCHAR *pszKey, const WCHAR *pszField, size_t cchField)
{
    WCHAR szText[DM_CCH_PATH + 1];
    if (!RegCopyField(pszField, cchField, szText, DM_CCH_PATH + 1))
        szText[0] = 0;
    PutText(pTarget, SEC_DEFAULT, pszKey, szText);
}

/* A 32-bit field of the block as stored (no getter clamping). */
static DWORD StoredDword(const DriverDevMode *pDevMode, size_t nOffset)
{
    DWORD dwValue = 0;
    memcpy(&dwValue, (const BYTE *)pDevMode + nOffset, sizeof(dwValue));
    return dwValue;
}

/* The number n of an entry name pszPrefix + n (n in decimal, 1..dwMax, no
 * leading zero; the prefix in any case, as the registry compares names),
 * or 0. */
static DWORD EntryNumber(const WCHAR *pszName, const WCHAR *pszPrefix, DWORD dwMax)
{
    size_t cchPrefix = wcslen(pszPrefix);
    if (_wcsnicmp(pszName, pszPrefix, cchPrefix) != 0)
        return 0;
    const WCHAR *pszDigits = pszName + cchPrefix;
    if (pszDigits[0] < L'1' || pszDigits[0] > L'9')
        return 0;
    ULONGLONG ullNumber = 0;
    for (const WCHAR *p = pszDigits; *p; p++) {
        if (*p < L'0' || *p > L'9')
            return 0;
        ullNumber = ullNumber * 10 + (ULONGLONG)(*p - L'0');
        if (ullNumber > dwMax)
            return 0;
    }
    return (DWORD)ullNumber;
}

static int CompareNumbers(const void *pLeft, const void *pRight)
{
    DWORD dwLeft = *(const DWORD *)pLeft, dwRight = *(const DWORD *)pRight;
    return dwLeft < dwRight ? -1 : dwLeft > dwRight ? 1 : 0;
}

/* The numbered entries that a family key holds: the numbers n in 1..dwMax
 * of its values named pszPrefix + n (bSubKeys FALSE) or of its sub-keys
 * named n (TRUE), ascending, in a heap array (HeapFree) of *pdwCount. NULL
 * with *pdwCount 0 when there are none or the key does not open. So the
 * loops over numbered entries cost what the registry holds, whatever the
 * count stored beside them says. */
static DWORD *ListNumberedEntries(const IniTarget *pTarget, const WCHAR *pszPattern, const WCHAR *pszPrefix,
                                  BOOL bSubKeys, DWORD dwMax, DWORD *pdwCount)
{
    *pdwCount = 0;
    WCHAR szPath[REG_PATH_CCH];
    HKEY hKey = NULL;
    if (dwMax == 0 || !RegPathBuild(pTarget->pDevMode, SETTINGS_ROOT_PATH, pszPattern, szPath, REG_PATH_CCH) ||
        RegOpenKeyExW(HKEY_CURRENT_USER, szPath, 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, &hKey) != ERROR_SUCCESS)
        return NULL;
    DWORD dwSubKeys = 0, dwValues = 0, cchMaxSubKey = 0, cchMaxValue = 0;
    DWORD *pdwNumbers = NULL;
    WCHAR *pszName = NULL;
    if (RegQueryInfoKeyW(hKey, NULL, NULL, NULL, &dwSubKeys, &cchMaxSubKey, NULL, &dwValues, &cchMaxValue, NULL,
                         NULL, NULL) == ERROR_SUCCESS) {
        DWORD dwEntries = bSubKeys ? dwSubKeys : dwValues;
        DWORD cchName = (bSubKeys ? cchMaxSubKey : cchMaxValue) + 1;
        pdwNumbers = (DWORD *)HeapAlloc(GetProcessHeap(), 0, ((SIZE_T)dwEntries + 1) * sizeof(DWORD));
        pszName = (WCHAR *)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)cchName * sizeof(WCHAR));
        for (DWORD i = 0; pdwNumbers && pszName && i < dwEntries; i++) {
            DWORD cch = cchName;
            LONG lResult = bSubKeys ? RegEnumKeyExW(hKey, i, pszName, &cch, NULL, NULL, NULL, NULL)
                                    : RegEnumValueW(hKey, i, pszName, &cch, NULL, NULL, NULL, NULL);
            DWORD dwNumber = lResult == ERROR_SUCCESS ? EntryNumber(pszName, pszPrefix, dwMax) : 0;
            if (dwNumber)
                pdwNumbers[(*pdwCount)++] = dwNumber;
        }
    }
    RegCloseKey(hKey);
    if (pszName)
        HeapFree(GetProcessHeap(), 0, pszName);
    if (pdwNumbers && *pdwCount > 0) {
        qsort(pdwNumbers, *pdwCount, sizeof(DWORD), CompareNumbers);
        return pdwNumbers;
    }
    if (pdwNumbers)
        HeapFree(GetProcessHeap(), 0, pdwNumbers);
    *pdwCount = 0;
    return NULL;
}

/* ---- "Default Settings", first part: the block ---- */

/* "BitsPerPixel" from the stored colour-depth code. */
static void PutBitsPerPixel(const IniTarget *pTarget, DWORD dwColorDepth)
{
    if (dwColorDepth == DM_COLOR_GRAY8)
        PutText(pTarget, SEC_DEFAULT, L"BitsPerPixel", L"8gray");
    else
        PutNumber(pTarget, SEC_DEFAULT, L"BitsPerPixel",
                  dwColorDepth == DM_COLOR_MONOCHROME ? 1 : dwColorDepth == DM_COLOR_COLOR8 ? 8 : 24);
}

static void ExportPageAndFormat(const IniTarget *pTarget)
{
    const DriverDevMode *pDm = pTarget->pDevMode;
    PutNumber(pTarget, SEC_DEFAULT, L"Paper Size", DevMode_GetPaperSize(pDm));
    PutNumber(pTarget, SEC_DEFAULT, L"Paper Width", DevMode_GetPaperWidth(pDm));
    PutNumber(pTarget, SEC_DEFAULT, L"Paper Length", DevMode_GetPaperLength(pDm));
    PutNumber(pTarget, SEC_DEFAULT, L"X DPI", DevMode_GetPrintQuality(pDm));
    PutNumber(pTarget, SEC_DEFAULT, L"Y DPI", DevMode_GetYResolution(pDm));
    PutNumber(pTarget, SEC_DEFAULT, L"Orientation", DevMode_GetOrientation(pDm));
    PutNumber(pTarget, SEC_DEFAULT, L"File Format", (int)DevMode_GetFileFormat(pDm));
    PutBitsPerPixel(pTarget, StoredDword(pDm, DMO_COLOR_DEPTH));
    PutNumber(pTarget, SEC_DEFAULT, L"Flags", (int)DevMode_GetFlags(pDm));
    PutNumber(pTarget, SEC_DEFAULT, L"PaperWidthInPixels", (int)DevMode_GetPaperWidthInPixels(pDm));
    PutNumber(pTarget, SEC_DEFAULT, L"PaperHeightInPixels", (int)DevMode_GetPaperHeightInPixels(pDm));
    PutNumber(pTarget, SEC_DEFAULT, L"FAXheader", (int)DevMode_GetFAXheader(pDm));
    PutNumber(pTarget, SEC_DEFAULT, L"LossRatio", (int)StoredDword(pDm, DMO_LOSS_RATIO));
    PutNumber(pTarget, SEC_DEFAULT, L"Dithering", (int)DevMode_GetDithering(pDm));
    PutNumber(pTarget, SEC_DEFAULT, L"Brightness", (int)StoredDword(pDm, DMO_BRIGHTNESS));
    PutNumber(pTarget, SEC_DEFAULT, L"LaunchFlags", (int)DevMode_GetLaunchFlags(pDm));
}

static void ExportFileNaming(const IniTarget *pTarget)
{
    const DriverDevMode *pDm = pTarget->pDevMode;
    DWORD dwGeneration = StoredDword(pDm, DMO_FILE_NAME_GENERATION_FLAGS);
    DWORD dwSessionId = 0;
    PutNumber(pTarget, SEC_DEFAULT, L"FileNameGenerationFlags", (int)dwGeneration);
    DevMode_GetSessionID(pDm, &dwSessionId);
    PutNumber(pTarget, SEC_DEFAULT, L"SessionID", (int)dwSessionId);
    PutBlockString(pTarget, L"FileNamePrefix", DevMode_GetFileNamePrefix(pDm), DM_CCH_FILE_NAME_PREFIX);
    PutBlockString(pTarget, L"FileExtension", DevMode_GetFileExtension(pDm), DM_CCH_FILE_EXTENSION);
    PutBlockString(pTarget, L"INIFileName", DevMode_GetINIFileName(pDm), DM_CCH_PATH);
    PutBlockString(pTarget,
                   dwGeneration == DM_FILE_NAME_GENERATION_CUSTOM ? L"Custom Filename template" : L"FixedFileName",
                   DevMode_GetFixedFileName(pDm), DM_CCH_PATH);
}

/* "StartApplicationParameterOrder": each entry plus the code of '0'. */
static void PutParameterOrder(const IniTarget *pTarget)
{
    WCHAR szOrder[DM_PARAMETER_ORDER_COUNT];
    for (int i = 0; i < DM_PARAMETER_ORDER_COUNT; i++)
        szOrder[i] = (WCHAR)(DevMode_GetStartApplicationParameterOrder(pTarget->pDevMode, i) + L'0');
    /* Entries outside 0..9 can make any character, NUL included. */
    PutCountedText(pTarget, SEC_DEFAULT, L"StartApplicationParameterOrder", szOrder, DM_PARAMETER_ORDER_COUNT);
}

static void ExportStamps(const IniTarget *pTarget)
{
    const DriverDevMode *pDm = pTarget->pDevMode;
    PutBlockString(pTarget, L"WatermarkFilePortrait", DevMode_GetWatermarkFilePortrait(pDm), DM_CCH_PATH);
    PutBlockString(pTarget, L"WatermarkFileLandscape", DevMode_GetWatermarkFileLandscape(pDm), DM_CCH_PATH);
    PutNumber(pTarget, SEC_DEFAULT, L"WatermarkFlags", (int)DevMode_GetWatermarkFlags(pDm));
    PutNumber(pTarget, SEC_DEFAULT, L"WatermarkBrightness", (int)StoredDword(pDm, DMO_WATERMARK_BRIGHTNESS));
    PutBlockString(pTarget, L"AnnotationText", DevMode_GetAnnotationText(pDm), DM_CCH_ANNOTATION);
    PutBlockString(pTarget, L"AnnotationSeparator", DevMode_GetAnnotationSeparator(pDm), DM_CCH_ANNOTATION);
    PutNumber(pTarget, SEC_DEFAULT, L"AnnotationFlags", (int)DevMode_GetAnnotationFlags(pDm));
    PutNumber(pTarget, SEC_DEFAULT, L"AnnotationRotation", (int)DevMode_GetAnnotationRotation(pDm));
    PutNumber(pTarget, SEC_DEFAULT, L"AnnotationColor", (int)DevMode_GetAnnotationColor(pDm));
}

static void ExportStartAndOutput(const IniTarget *pTarget)
{
    const DriverDevMode *pDm = pTarget->pDevMode;
    WCHAR szParameter[DM_CCH_CUSTOM_PARAMETER] = {0};
    if (!DevMode_GetCustomStartApplicationParameter(pDm, szParameter, DM_CCH_CUSTOM_PARAMETER))
        szParameter[0] = 0;
    PutText(pTarget, SEC_DEFAULT, L"CustomStartApplicationParameter", szParameter);
    PutParameterOrder(pTarget);
    PutBlockString(pTarget, L"ApplicationPath", DevMode_GetApplicationPath(pDm), DM_CCH_PATH);
    PutNumber(pTarget, SEC_DEFAULT, L"AnnotationXOffset", (int)DevMode_GetAnnotationXOffset(pDm));
    PutNumber(pTarget, SEC_DEFAULT, L"AnnotationYOffset", (int)DevMode_GetAnnotationYOffset(pDm));
    PutBlockString(pTarget, L"OutputDirectory", DevMode_GetOutputDirectory(pDm), DM_CCH_PATH);
    PutNumber(pTarget, SEC_DEFAULT, L"PDFFlags", (int)DevMode_GetPDFFlags(pDm));
}

/* The indexed family texts ("Printer %d", "Font %d") below nCount that the
 * family key pszFamily holds, each read with a buffer of cbBuffer bytes and
 * written under pszKeyPattern formatted with its number (index plus one);
 * a text that cannot be read is left out. */
static void PutIndexedTexts(const IniTarget *pTarget, const WCHAR *pszSection, const WCHAR *pszFamily,
                            const WCHAR *pszValuePrefix, const WCHAR *pszKeyPattern, int nCount,
                            IndexedTextGetter pfnGet, DWORD cbBuffer)
{
    DWORD dwEntries = 0;
    DWORD *pdwNumbers = ListNumberedEntries(pTarget, pszFamily, pszValuePrefix, FALSE,
                                            nCount > 0 ? (DWORD)nCount : 0, &dwEntries);
    WCHAR szText[INI_CB_REDIRECT_PRINTER / sizeof(WCHAR)];
    for (DWORD n = 0; n < dwEntries; n++) {
        if (!ReadIndexedText(pTarget, pfnGet, szText, cbBuffer, (int)pdwNumbers[n] - 1))
            continue;
        WCHAR szKey[INI_KEY_CCH];
        swprintf(szKey, INI_KEY_CCH, pszKeyPattern, (int)pdwNumbers[n]);
        PutText(pTarget, pszSection, szKey, szText);
    }
    if (pdwNumbers)
        HeapFree(GetProcessHeap(), 0, pdwNumbers);
}

/* ---- "Redirect Printing" ---- */

static void ExportRedirectPrinting(const IniTarget *pTarget)
{
    int nCount = 0;
    GetRedirectPrinterCount(pTarget->pDevMode, &nCount);
    PutNumber(pTarget, SEC_REDIRECT, L"Number of printers", nCount);

    PutIndexedTexts(pTarget, SEC_REDIRECT, L"%s\\Redirect Printing Settings", L"Printer ", L"Printer%d", nCount,
                    GetRedirectPrinter, INI_CB_REDIRECT_PRINTER);

    PutYesNo(pTarget, SEC_REDIRECT, L"Enable Redirect Printing Log",
             GetRedirectPrintingLogEnabled(pTarget->pDevMode));
    WCHAR szLogFile[INI_CB_PATH / sizeof(WCHAR)];
    if (ReadText(pTarget, GetRedirectPrintingLogFile, szLogFile, INI_CB_PATH))
        PutText(pTarget, SEC_REDIRECT, L"Redirect Printing Log File", szLogFile);
}

/* ---- "Default Settings", second part: first-page watermark images ---- */

static int GetFirstImagePortrait(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize)
{
    return GetWatermarkFirstImage(pDevMode, 1, pszBuffer, pcbSize);
}

static int GetFirstImageLandscape(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize)
{
    return GetWatermarkFirstImage(pDevMode, 0, pszBuffer, pcbSize);
}

static void ExportFirstWatermark(const IniTarget *pTarget)
{
    const DriverDevMode *pDm = pTarget->pDevMode;
    WCHAR szPath[INI_CB_PATH / sizeof(WCHAR)];
    if (ReadText(pTarget, GetFirstImagePortrait, szPath, INI_CB_PATH))
        PutText(pTarget, SEC_DEFAULT, L"FirstWatermarkFilePortrait", szPath);
    if (ReadText(pTarget, GetFirstImageLandscape, szPath, INI_CB_PATH))
        PutText(pTarget, SEC_DEFAULT, L"FirstWatermarkFileLandscape", szPath);
    PutNumber(pTarget, SEC_DEFAULT, L"FirstWatermarkBrightness",
              (int)(GetWatermarkFirstImageBrightness(pDm, 1) * 65536 + GetWatermarkFirstImageBrightness(pDm, 0)));
    PutNumber(pTarget, SEC_DEFAULT, L"FirstWatermarkPosition",
              (int)(GetWatermarkFirstImagePosition(pDm, 1) * 65536 + GetWatermarkFirstImagePosition(pDm, 0)));
}

/* ---- "Bates Numbering" and "Bates Number %d" ---- */

static const WCHAR *const g_apszBatesValues[] = {
    L"Name", L"Use prefix", L"Color", L"Font Charset", L"Font Clipprecisions", L"Font Escapement",
    L"Font Facename", L"Font Height", L"Font Italic", L"Font Orientation", L"Font Outprecisions",
    L"Font PinchAndFamily", L"Font Quality", L"Font Strikeout", L"Font Underline", L"Font Weight",
    L"Font Width", L"Offset unit", L"Position", L"Prefix", L"Rotation", L"Start with", L"Transparent",
    L"X Offset", L"Y Offset", L"Bates Number Length", L"Bates Padding Character", L"Reset bates number",
    L"Reset bates number at every printing",
};

/* Value pszName of Bates format nFormat into pszBuffer (cbBuffer bytes):
 * empty when it cannot be read, cut to the buffer when it is longer. */
static void ReadBatesValue(const IniTarget *pTarget, int nFormat, const WCHAR *pszName, WCHAR *pszBuffer,
                           DWORD cbBuffer)
{
    ZeroMemory(pszBuffer, cbBuffer);
    WCHAR szPattern[INI_KEY_CCH];
    swprintf(szPattern, INI_KEY_CCH, L"%%s\\BatesNumbering\\%d", nFormat);
    DWORD cbStored = 0;
    SettingsReadString(pTarget->pDevMode, SETTINGS_ROOT_PATH, szPattern, pszName, NULL, &cbStored);
    if (cbStored == 0)
        return;
    /* The whole value, then as much of it as the buffer takes. */
    WCHAR *pszStored = (WCHAR *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, cbStored + sizeof(WCHAR));
    if (!pszStored)
        return;
    DWORD cbRead = cbStored + sizeof(WCHAR);
    if (SettingsReadString(pTarget->pDevMode, SETTINGS_ROOT_PATH, szPattern, pszName, pszStored, &cbRead)) {
        size_t cchTaken = cbBuffer / sizeof(WCHAR) - 1;
        if (cbRead / sizeof(WCHAR) < cchTaken)
            cchTaken = cbRead / sizeof(WCHAR);
        RegCopyField(pszStored, cchTaken, pszBuffer, cbBuffer / sizeof(WCHAR));
    }
    HeapFree(GetProcessHeap(), 0, pszStored);
}

static void ExportBatesFormat(const IniTarget *pTarget, int nFormat)
{
    WCHAR szSection[INI_KEY_CCH];
    swprintf(szSection, INI_KEY_CCH, L"Bates Number %d", nFormat);
    WCHAR szValue[INI_CB_BATES_VALUE / sizeof(WCHAR)];
    for (size_t i = 0; i < sizeof(g_apszBatesValues) / sizeof(g_apszBatesValues[0]); i++) {
        ReadBatesValue(pTarget, nFormat, g_apszBatesValues[i], szValue, sizeof(szValue));
        PutText(pTarget, szSection, g_apszBatesValues[i], szValue);
    }
}

static void ExportBates(const IniTarget *pTarget)
{
    PutNumber(pTarget, SEC_BATES, L"Selected Bates Format", DevMode_GetSelectedBatesFormat(pTarget->pDevMode) + 1);
    WCHAR szCount[INI_CB_BATES_COUNT / sizeof(WCHAR)];
    ReadText(pTarget, GetBatesFormatCountText, szCount, INI_CB_BATES_COUNT);
    PutText(pTarget, SEC_BATES, L"Number of Formats", szCount);
    int nFormats = _wtoi(szCount);
    DWORD dwFormats = 0;
    DWORD *pdwFormats = ListNumberedEntries(pTarget, L"%s\\BatesNumbering", L"", TRUE,
                                            nFormats > 0 ? (DWORD)nFormats : 0, &dwFormats);
    for (DWORD n = 0; n < dwFormats; n++)
        ExportBatesFormat(pTarget, (int)pdwFormats[n]);
    if (pdwFormats)
        HeapFree(GetProcessHeap(), 0, pdwFormats);
}

/* ---- PDF and HTML ---- */

/* A font list section: "Count", then "Font 1", "Font 2", ... (a font that
 * cannot be read is left out). */
static void ExportFontList(const IniTarget *pTarget, const WCHAR *pszSection, const WCHAR *pszFamily,
                           DecimalGetter pfnCount, IndexedTextGetter pfnFont)
{
    int nCount = 0;
    pfnCount(pTarget->pDevMode, &nCount);
    PutNumber(pTarget, pszSection, L"Count", nCount);
    PutIndexedTexts(pTarget, pszSection, pszFamily, L"Font ", L"Font %d", nCount, pfnFont, INI_CB_FONT);
}

static void ExportPdf(const IniTarget *pTarget)
{
    PutFamilyText(pTarget, SEC_PDF, L"Document Title", GetPdfDocumentTitle, INI_CB_TEXT);
    PutFamilyText(pTarget, SEC_PDF, L"Document Subject", GetPdfDocumentSubject, INI_CB_TEXT);
    PutFamilyText(pTarget, SEC_PDF, L"Document Author", GetPdfDocumentAuthor, INI_CB_TEXT);
    PutFamilyText(pTarget, SEC_PDF, L"Document Keywords", GetPdfDocumentKeywords, INI_CB_LONG_TEXT);
    PutFamilyText(pTarget, SEC_PDF, L"Document User Password", GetPdfUserPassword, INI_CB_PDF_PASSWORD);
    PutFamilyText(pTarget, SEC_PDF, L"Document Owner Password", GetPdfOwnerPassword, INI_CB_PDF_PASSWORD);
    PutFamilyDecimal(pTarget, SEC_PDF, L"Document Security Flag", GetPdfDocumentSecurityFlag);
    PutFamilyDecimal(pTarget, SEC_PDF, L"Document Encryption", GetPdfDocumentEncryption);
    PutFamilyDecimal(pTarget, SEC_PDF, L"Stream Compression", GetPdfStreamCompression);
    PutFamilyDecimal(pTarget, SEC_PDF, L"Mono Image Compression", GetPdfMonoImageCompression);
    PutFamilyDecimal(pTarget, SEC_PDF, L"Color Image Compression", GetPdfColorImageCompression);
    PutFamilyDecimal(pTarget, SEC_PDF, L"JPEG Quality", GetPdfJpegQuality);
    PutFamilyDecimal(pTarget, SEC_PDF, L"Embed all fonts", GetPdfEmbedAllFonts);
    PutFamilyDecimal(pTarget, SEC_PDF, L"Create subset", GetPdfCreateSubset);
    PutFamilyDecimal(pTarget, SEC_PDF, L"Embed licensed fonts", GetPdfEmbedLicensedFonts);
    PutFamilyDecimal(pTarget, SEC_PDF, L"Embed adobe fonts", GetPdfEmbedAdobeFonts);
    PutFamilyDecimal(pTarget, SEC_PDF, L"Embed windows fonts", GetPdfEmbedWindowsFonts);
    ExportFontList(pTarget, SEC_PDF_FORCE, L"%s\\Pdf Settings\\Force Embed Fonts", GetPdfForceFontCount,
                   GetPdfForceFont);
    ExportFontList(pTarget, SEC_PDF_FORBID, L"%s\\Pdf Settings\\Forbid Embed Fonts", GetPdfForbidFontCount,
                   GetPdfForbidFont);
}

static void ExportSharePoint(const IniTarget *pTarget)
{
    const DriverDevMode *pDm = pTarget->pDevMode;
    PutOneZero(pTarget, SEC_POSTPRINT, L"SharePoint Upload", GetSharePointUpload(pDm));
    PutFamilyText(pTarget, SEC_POSTPRINT, L"SharePoint Server", GetSharePointServer, INI_CB_TEXT);
    PutFamilyText(pTarget, SEC_POSTPRINT, L"SharePoint Directory", GetSharePointDirectory, INI_CB_TEXT);
    PutFamilyText(pTarget, SEC_POSTPRINT, L"SharePoint User", GetSharePointUser, INI_CB_TEXT);
    PutFamilyText(pTarget, SEC_POSTPRINT, L"SharePoint Pass", GetSharePointPass, INI_CB_TEXT);
    PutOneZero(pTarget, SEC_POSTPRINT, L"SharePoint Silent", GetSharePointSilent(pDm));
    PutFamilyText(pTarget, SEC_POSTPRINT, L"SharePoint Logfile", GetSharePointLogfile, INI_CB_TEXT);
}

static void ExportHtml(const IniTarget *pTarget)
{
    PutFamilyText(pTarget, SEC_HTML, L"Html content output directory", GetHtmlOutputDirectory, INI_CB_LONG_TEXT);
    PutFamilyDecimal(pTarget, SEC_HTML, L"CSS settings", GetHtmlCssSettings);
    PutFamilyDecimal(pTarget, SEC_HTML, L"Page size setting", GetHtmlPageSizeSetting);
    PutFamilyDecimal(pTarget, SEC_HTML, L"Vector graphics display mode", GetHtmlVectorGraphicsDisplayMode);
    PutFamilyDecimal(pTarget, SEC_HTML, L"Embed all font", GetHtmlEmbedAllFonts);
    PutFamilyDecimal(pTarget, SEC_HTML, L"Create subset", GetHtmlCreateSubset);
    PutFamilyDecimal(pTarget, SEC_HTML, L"Separate pages", GetHtmlSeparatePages);
    ExportFontList(pTarget, SEC_HTML_FORCE, L"%s\\Html Settings\\Force Embed Fonts", GetHtmlForceFontCount,
                   GetHtmlForceFont);
    ExportFontList(pTarget, SEC_HTML_FORBID, L"%s\\Html Settings\\Forbid Embed Fonts", GetHtmlForbidFontCount,
                   GetHtmlForbidFont);
    PutFamilyDecimal(pTarget, SEC_HTML, L"Embed licensed fonts", GetHtmlEmbedLicensedFonts);
}

/* ---- "Paper Size Definitions" ---- */

typedef int (*PaperNumberGetter)(const DriverDevMode *pDevMode, int nPaper, DWORD *pdwValue);
typedef int (*PaperTextGetter)(const DriverDevMode *pDevMode, int nPaper, WCHAR *pszBuffer, DWORD *pcbSize);

/* "Paper<n> <name>": a number (0 when it cannot be read) or a text. */
static void PutPaperNumber(const IniTarget *pTarget, int nPaper, const WCHAR *pszName, PaperNumberGetter pfnGet)
{
    WCHAR szKey[INI_KEY_CCH];
    DWORD dwValue = 0;
    if (!pfnGet(pTarget->pDevMode, nPaper, &dwValue))
        dwValue = 0;
    swprintf(szKey, INI_KEY_CCH, L"Paper%d %ls", nPaper, pszName);
    PutNumber(pTarget, SEC_PAPERS, szKey, (int)dwValue);
}

static void PutPaperText(const IniTarget *pTarget, int nPaper, const WCHAR *pszName, PaperTextGetter pfnGet)
{
    WCHAR szKey[INI_KEY_CCH];
    WCHAR szText[INI_CB_TEXT / sizeof(WCHAR)] = {0};
    DWORD cbSize = sizeof(szText);
    if (!pfnGet(pTarget->pDevMode, nPaper, szText, &cbSize))
        ZeroMemory(szText, sizeof(szText));
    swprintf(szKey, INI_KEY_CCH, L"Paper%d %ls", nPaper, pszName);
    PutText(pTarget, SEC_PAPERS, szKey, szText);
}

static void ExportPapers(const IniTarget *pTarget)
{
    DWORD dwCount = 0;
    if (!GetPaperCount(pTarget->pDevMode, &dwCount))
        return;
    PutNumber(pTarget, SEC_PAPERS, L"Number of Paper Sizes", (int)dwCount);
    DWORD dwPapers = 0;
    DWORD *pdwPapers = ListNumberedEntries(pTarget, L"%s\\PapersList", L"", TRUE,
                                           dwCount < (DWORD)INT_MAX ? dwCount : (DWORD)INT_MAX, &dwPapers);
    for (DWORD i = 0; i < dwPapers; i++) {
        int n = (int)pdwPapers[i];
        PutPaperNumber(pTarget, n, L"Available", GetPaperAvailable);
        PutPaperText(pTarget, n, L"Title", GetPaperTitle);
        PutPaperNumber(pTarget, n, L"Width", GetPaperWidth);
        PutPaperNumber(pTarget, n, L"Height", GetPaperHeight);
        PutPaperText(pTarget, n, L"Units", GetPaperUnits);
        PutPaperNumber(pTarget, n, L"WindowsPaperCode", GetPaperWindowsPaperCode);
    }
    if (pdwPapers)
        HeapFree(GetProcessHeap(), 0, pdwPapers);
}

/* ---- "Email Settings" ---- */

static void ExportEmail(const IniTarget *pTarget)
{
    const DriverDevMode *pDm = pTarget->pDevMode;
    PutOneZero(pTarget, SEC_EMAIL, L"Sender Client", GetEmailSenderClient(pDm));
    PutFamilyText(pTarget, SEC_EMAIL, L"SMTP Server", GetSmtpServer, INI_CB_TEXT);
    PutFamilyText(pTarget, SEC_EMAIL, L"SMTP Port", GetSmtpPort, INI_CB_TEXT);
    PutFamilyText(pTarget, SEC_EMAIL, L"SMTP UserName", GetSmtpUserName, INI_CB_TEXT);
    PutFamilyText(pTarget, SEC_EMAIL, L"SMTP Password", GetSmtpPassword, INI_CB_TEXT);
    PutYesNo(pTarget, SEC_EMAIL, L"SMTP Enable SSL", GetSmtpEnableSsl(pDm));
    PutYesNo(pTarget, SEC_EMAIL, L"Email Send Silently", GetEmailSendSilently(pDm));
    PutFamilyText(pTarget, SEC_EMAIL, L"Email Sender", GetEmailSender, INI_CB_TEXT);
    PutFamilyText(pTarget, SEC_EMAIL, L"Email To", GetEmailTo, INI_CB_TEXT);
    PutFamilyText(pTarget, SEC_EMAIL, L"Email Cc", GetEmailCc, INI_CB_TEXT);
    PutFamilyText(pTarget, SEC_EMAIL, L"Email Bcc", GetEmailBcc, INI_CB_TEXT);
    PutFamilyText(pTarget, SEC_EMAIL, L"Email Subject", GetEmailSubject, INI_CB_TEXT);
    PutFamilyText(pTarget, SEC_EMAIL, L"Email Body", GetEmailBody, INI_CB_LONG_TEXT);
    PutYesNo(pTarget, SEC_EMAIL, L"Logging Enabled", GetEmailLoggingEnabled(pDm));
    PutFamilyText(pTarget, SEC_EMAIL, L"Logging Directory", GetEmailLoggingDirectory, INI_CB_TEXT);
}

int ExportProfileToIni(const DriverDevMode *pDevMode, const WCHAR *pszIniFile)
{
    if (!pDevMode || !pszIniFile || !pszIniFile[0])
        return 0;
    IniTarget target = {pDevMode, pszIniFile, IniFileEncoding(pszIniFile)};
    ExportPageAndFormat(&target);
    ExportFileNaming(&target);
    ExportStamps(&target);
    ExportStartAndOutput(&target);
    ExportRedirectPrinting(&target);
    ExportFirstWatermark(&target);
    ExportBates(&target);
    ExportPdf(&target);
    ExportSharePoint(&target);
    ExportHtml(&target);
    PutYesNo(&target, SEC_POSTPRINT, L"Open output folder", GetPostPrintOpenOutputFolder(pDevMode));
    PutYesNo(&target, SEC_POSTPRINT, L"View in default viewer", GetPostPrintViewInDefaultViewer(pDevMode));
    ExportPapers(&target);
    PutYesNo(&target, SEC_POSTPRINT, L"Send in email", GetPostPrintSendInEmail(pDevMode));
    ExportEmail(&target);
    return 1;
}
