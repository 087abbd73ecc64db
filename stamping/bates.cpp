#include "stamping/bates.h"
#include "stamping/stampcommon.h"
#include "stamping/stamps.h"
#include "stamping/stamptext.h"
#include "settings/devmode.h"
#include "settings/regtext.h"
#include "settings/rootkey.h"

#include <limits.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#define BATES_ROOT_KEY        JH_ROOT_KEY_W
#define BATES_VALUE_CCH       261   /* largest value read: 520 bytes and a terminator */
#define BATES_DEFAULT_TEXT    L"ERROR"
#define BATES_DEFAULT_NUMBER  L"Error"

int ReadRegistryString(const WCHAR *pszSubKey, WCHAR *pszDest, size_t cchDest,
                       const WCHAR *pszDefault, const WCHAR *pszValueName)
{
    if (pszDest == NULL || cchDest == 0)
        return 0;
    const WCHAR *pszFallback = pszDefault ? pszDefault : L"";

    WCHAR szPath[BATES_KEY_PATH_SIZE] = L"";
    if (pszSubKey == NULL
        || !StampTextAppend(szPath, BATES_KEY_PATH_SIZE, BATES_ROOT_KEY)
        || !StampTextAppend(szPath, BATES_KEY_PATH_SIZE, L"\\")
        || !StampTextAppend(szPath, BATES_KEY_PATH_SIZE, pszSubKey)) {
        StampTextCopy(pszDest, cchDest, pszFallback);
        return 0;
    }

    HKEY hKey = NULL;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, szPath, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS) {
        StampTextCopy(pszDest, cchDest, pszFallback);
        return 0;
    }
    /* Values are read through at most BATES_VALUE_CCH characters. */
    DWORD cchRead = cchDest < BATES_VALUE_CCH ? (DWORD)cchDest : BATES_VALUE_CCH;
    LONG lResult = RegReadTextW(hKey, pszValueName, pszDest, cchRead, NULL);
    RegCloseKey(hKey);
    if (lResult != ERROR_SUCCESS) {
        StampTextCopy(pszDest, cchDest, pszFallback);
        return 0;
    }
    return 1;
}

int ReadRegistryInt(const WCHAR *pszSubKey, const WCHAR *pszValueName)
{
    WCHAR szValue[260] = L"";
    if (!ReadRegistryString(pszSubKey, szValue, 260, BATES_DEFAULT_NUMBER, pszValueName))
        return 0;
    if (wcscmp(szValue, BATES_DEFAULT_NUMBER) == 0)
        return 0;
    return (int)wcstol(szValue, NULL, 10);
}

/* The font fields, each from its own value. */
static void LoadBatesFont(const WCHAR *pszSubKey, LOGFONTW *pFont)
{
    pFont->lfHeight = ReadRegistryInt(pszSubKey, L"Font Height");
    pFont->lfWidth = ReadRegistryInt(pszSubKey, L"Font Width");
    pFont->lfEscapement = ReadRegistryInt(pszSubKey, L"Font Escapement");
    pFont->lfOrientation = ReadRegistryInt(pszSubKey, L"Font Orientation");
    pFont->lfWeight = ReadRegistryInt(pszSubKey, L"Font Weight");
    pFont->lfItalic = (BYTE)ReadRegistryInt(pszSubKey, L"Font Italic");
    pFont->lfUnderline = (BYTE)ReadRegistryInt(pszSubKey, L"Font Underline");
    pFont->lfStrikeOut = (BYTE)ReadRegistryInt(pszSubKey, L"Font Strikeout");
    pFont->lfCharSet = (BYTE)ReadRegistryInt(pszSubKey, L"Font Charset");
    pFont->lfOutPrecision = (BYTE)ReadRegistryInt(pszSubKey, L"Font Outprecisions");
    pFont->lfClipPrecision = (BYTE)ReadRegistryInt(pszSubKey, L"Font Clipprecisions");
    pFont->lfQuality = (BYTE)ReadRegistryInt(pszSubKey, L"Font Quality");
    pFont->lfPitchAndFamily = (BYTE)ReadRegistryInt(pszSubKey, L"Font PinchAndFamily");
    WCHAR szFaceName[BATES_FACENAME_SIZE] = L"";
    ReadRegistryString(pszSubKey, szFaceName, BATES_FACENAME_SIZE, BATES_DEFAULT_TEXT, L"Font Facename");
    StampTextCopy(pFont->lfFaceName, LF_FACESIZE, szFaceName);
}

/* Forms "<printer>\BatesNumbering\<nIndex + 1>" into pszSubKey
 * (BATES_KEY_PATH_SIZE characters); FALSE when it, or the whole path below
 * the root key, would not fit. */
static BOOL FormatBatesSubKey(const WCHAR *pszPrinterName, int nIndex, WCHAR *pszSubKey)
{
    WCHAR szNumber[16] = L"";
    _snwprintf(szNumber, 15, L"%lld", (long long)nIndex + 1);
    pszSubKey[0] = L'\0';
    return StampTextAppend(pszSubKey, BATES_KEY_PATH_SIZE, pszPrinterName)
           && StampTextAppend(pszSubKey, BATES_KEY_PATH_SIZE, L"\\BatesNumbering\\")
           && StampTextAppend(pszSubKey, BATES_KEY_PATH_SIZE, szNumber)
           && wcslen(BATES_ROOT_KEY) + 1 + wcslen(pszSubKey) < BATES_KEY_PATH_SIZE;
}

/* The printer name converted whole into BATES_PRINTER_NAME_SIZE units. */
static BOOL ConvertBatesPrinterName(const char *pszPrinterName, WCHAR *pszName)
{
    return pszPrinterName != NULL
           && MultiByteToWideChar(CP_ACP, 0, pszPrinterName, -1, pszName, BATES_PRINTER_NAME_SIZE) != 0;
}

BOOL BatesFormatKeysFit(const char *pszPrinterName)
{
    WCHAR szPrinterName[BATES_PRINTER_NAME_SIZE] = L"";
    WCHAR szSubKey[BATES_KEY_PATH_SIZE] = L"";
    /* Format index INT_MAX has the longest number, 2147483648. */
    return ConvertBatesPrinterName(pszPrinterName, szPrinterName)
           && FormatBatesSubKey(szPrinterName, INT_MAX, szSubKey);
}

int LoadBatesFormatFromRegistry(int nIndex, BatesFormat *pFormat, const WCHAR *pszPrinterName)
{
    if (pFormat == NULL || pszPrinterName == NULL)
        return 0;
    WCHAR szSubKey[BATES_KEY_PATH_SIZE] = L"";
    if (!FormatBatesSubKey(pszPrinterName, nIndex, szSubKey))
        return 0;

    ReadRegistryString(szSubKey, pFormat->szBatesName, BATES_NAME_SIZE, BATES_DEFAULT_TEXT, L"Name");
    pFormat->bUsePrefix = ReadRegistryInt(szSubKey, L"Use prefix");
    ReadRegistryString(szSubKey, pFormat->szPrefix, BATES_PREFIX_SIZE, BATES_DEFAULT_TEXT, L"Prefix");
    pFormat->nStartWith = ReadRegistryInt(szSubKey, L"Start with");
    pFormat->bTransparent = ReadRegistryInt(szSubKey, L"Transparent");
    pFormat->nPosition = (BYTE)ReadRegistryInt(szSubKey, L"Position");
    pFormat->nXOffset = ReadRegistryInt(szSubKey, L"X Offset");
    pFormat->nYOffset = ReadRegistryInt(szSubKey, L"Y Offset");
    pFormat->nOffsetUnit = (signed char)ReadRegistryInt(szSubKey, L"Offset unit");
    pFormat->nRotation = ReadRegistryInt(szSubKey, L"Rotation");
    pFormat->crColor = (COLORREF)ReadRegistryInt(szSubKey, L"Color");
    LoadBatesFont(szSubKey, &pFormat->stLogFont);
    pFormat->nBatesNumberLength = (BYTE)ReadRegistryInt(szSubKey, L"Bates Number Length");
    /* Two units: a missing value or one of more than one character gives
     * the first letter of the default, 'E'. */
    WCHAR szPadding[2] = L"";
    ReadRegistryString(szSubKey, szPadding, 2, BATES_DEFAULT_TEXT, L"Bates Padding Character");
    pFormat->chPaddingCharacter = szPadding[0];
    if (pFormat->nBatesNumberLength > BATES_MAX_NUMBER_LENGTH)
        pFormat->nBatesNumberLength = BATES_MAX_NUMBER_LENGTH;
    pFormat->bResetAtEveryPrinting = ReadRegistryInt(szSubKey, L"Reset bates number at every printing");
    pFormat->bResetBatesNumber = ReadRegistryInt(szSubKey, L"Reset bates number");

    if (wcscmp(pFormat->szBatesName, BATES_DEFAULT_TEXT) == 0
        || wcscmp(pFormat->szPrefix, BATES_DEFAULT_TEXT) == 0
        || wcscmp(pFormat->stLogFont.lfFaceName, BATES_DEFAULT_TEXT) == 0)
        return 0;
    return 1;
}

size_t ComposeBatesText(const BatesFormat *pFormat, DWORD dwPage, int nStartNumber,
                        WCHAR *pszText, size_t cchText)
{
    if (pszText == NULL || cchText == 0)
        return 0;
    pszText[0] = L'\0';
    if (pFormat == NULL)
        return 0;
    /* Wraps like the 32-bit sum it is, without signed overflow. */
    int nNumber = (int)(dwPage + (DWORD)nStartNumber - 1u);
    WCHAR szDigits[16] = L"";
    _snwprintf(szDigits, 15, L"%d", nNumber);

    if (pFormat->bUsePrefix) {
        WCHAR szPrefix[BATES_PREFIX_SIZE] = L"";
        StampTextCopy(szPrefix, BATES_PREFIX_SIZE, pFormat->szPrefix);
        StampTextAppend(pszText, cchText, szPrefix);
        StampTextAppend(pszText, cchText, L" ");
    }
    StampTextAppend(pszText, cchText, L" ");
    /* A NUL padding character (an empty stored text) pads with nothing. */
    size_t cchDigits = wcslen(szDigits);
    size_t cchLength = pFormat->nBatesNumberLength;
    if (cchLength > BATES_MAX_NUMBER_LENGTH)
        cchLength = BATES_MAX_NUMBER_LENGTH;
    if (pFormat->chPaddingCharacter != L'\0') {
        WCHAR szPad[2] = { pFormat->chPaddingCharacter, L'\0' };
        for (size_t i = cchDigits; i < cchLength; i++)
            StampTextAppend(pszText, cchText, szPad);
    }
    StampTextAppend(pszText, cchText, szDigits);
    return wcslen(pszText);
}


/* Creates the format's font, draws the composed number with it and
 * releases it. Gives STAMP_DRAWN whether or not the font could be created. */
static int DrawBatesNumber(HDC hdc, const BatesFormat *pFormat, DWORD dwPage, int nStartNumber,
                           ULONGLONG ptPhysPageInPixels, ULONGLONG ptPhysDPI)
{
    int cxPage = PackedPointX(ptPhysPageInPixels);
    int cyPage = PackedPointY(ptPhysPageInPixels);
    int xPixelsPerMetre = StampPixelsPerMetre(PackedPointX(ptPhysDPI));
    int yPixelsPerMetre = StampPixelsPerMetre(PackedPointY(ptPhysDPI));

    LOGFONTW stFont;
    PrepareStampFont(&pFormat->stLogFont, pFormat->nRotation, PackedPointY(ptPhysDPI), &stFont);
    HFONT hFont = CreateFontIndirectW(&stFont);
    if (hFont == NULL)
        return STAMP_DRAWN;
    HGDIOBJ hOldFont = SelectObject(hdc, hFont);
    SetBkMode(hdc, pFormat->bTransparent ? TRANSPARENT : OPAQUE);

    WCHAR szText[BATES_TEXT_SIZE] = L"";
    int cchText = (int)ComposeBatesText(pFormat, dwPage, nStartNumber, szText, BATES_TEXT_SIZE);
    int xOff = ConvertStampOffset(pFormat->nXOffset, pFormat->nOffsetUnit, xPixelsPerMetre);
    int yOff = ConvertStampOffset(pFormat->nYOffset, pFormat->nOffsetUnit, yPixelsPerMetre);
    SIZE stExtent = { 0, 0 };
    GetTextExtentPoint32W(hdc, szText, cchText, &stExtent);
    POINT pt = ComputeStampPosition(pFormat->nPosition, pFormat->nRotation, stExtent.cx, stExtent.cy,
                                    cxPage, cyPage, xOff, yOff);
    SetTextColor(hdc, pFormat->crColor);
    TextOutW(hdc, pt.x, pt.y, szText, cchText);

    SelectObject(hdc, hOldFont);
    DeleteObject(hFont);
    return STAMP_DRAWN;
}

int AddBatesNumber(HDC hdc, const char *pszPrinterName, const void *pDevMode, DWORD cbDevMode,
                   DWORD dwPage, int nFormatIndex, int nStartNumber,
                   ULONGLONG ptPhysPageInPixels, ULONGLONG ptPhysDPI)
{
    DriverDevMode stWork;
    if (hdc == NULL || !StampCopyDevMode(pDevMode, cbDevMode, &stWork))
        return STAMP_FAILED;
    if (!(stWork.Flags & FLAG_BATES_NUMBERING))
        return STAMP_SWITCHED_OFF;

    /* A name that does not convert whole into 260 units is refused. */
    WCHAR szPrinterName[BATES_PRINTER_NAME_SIZE] = L"";
    if (!ConvertBatesPrinterName(pszPrinterName, szPrinterName))
        return STAMP_FAILED;
    if (nFormatIndex < 0)
        return STAMP_FAILED;

    BatesFormat stFormat;
    memset(&stFormat, 0, sizeof(stFormat));
    if (!LoadBatesFormatFromRegistry(nFormatIndex, &stFormat, szPrinterName))
        return STAMP_FAILED;
    return DrawBatesNumber(hdc, &stFormat, dwPage, nStartNumber, ptPhysPageInPixels, ptPhysDPI);
}
