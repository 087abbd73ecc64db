#include <gtest/gtest.h>

#include "stamping/bates.h"
#include "stamping/stamps.h"
#include "stamping/stamptext.h"
#include "settings/devmode.h"
#include "testutil.h"
#include "textcapture.h"

#include <string>
#include <vector>

namespace {

const char *const kPrinter = "Bates Test Printer";
const WCHAR *const kPrinterW = L"Bates Test Printer";

std::string FormatKey(int nNumber)
{
    return std::string("SOFTWARE\\Quennor Software LLC\\") + kPrinter + "\\BatesNumbering\\"
        + std::to_string(nNumber);
}

/* A complete format as the user interface writes it, all values text. */
void WriteFormat(int nNumber, const char *pszName, const char *pszPrefix)
{
    std::string key = FormatKey(nNumber);
    RegDeleteTree(key);
    RegSetString(key, "Name", pszName);
    RegSetString(key, "Use prefix", "1");
    RegSetString(key, "Prefix", pszPrefix);
    RegSetString(key, "Start with", "5");
    RegSetString(key, "Transparent", "1");
    RegSetString(key, "Position", "0");
    RegSetString(key, "X Offset", "0");
    RegSetString(key, "Y Offset", "0");
    RegSetString(key, "Offset unit", "2");
    RegSetString(key, "Rotation", "0");
    RegSetString(key, "Color", "255");
    RegSetString(key, "Font Height", "-20");
    RegSetString(key, "Font Weight", "700");
    RegSetString(key, "Font Italic", "257");
    RegSetString(key, "Font Facename", "Courier New");
    RegSetString(key, "Bates Number Length", "6");
    RegSetString(key, "Bates Padding Character", "0");
}

BatesFormat PlainFormat(bool bUsePrefix, const WCHAR *pszPrefix, int nLength, WCHAR chPadding)
{
    BatesFormat format;
    memset(&format, 0, sizeof(format));
    format.bUsePrefix = bUsePrefix ? 1 : 0;
    StampTextCopy(format.szPrefix, BATES_PREFIX_SIZE, pszPrefix);
    format.nBatesNumberLength = (BYTE)nLength;
    format.chPaddingCharacter = chPadding;
    return format;
}

std::wstring Compose(const BatesFormat &format, DWORD dwPage, int nStart)
{
    WCHAR szText[BATES_TEXT_SIZE];
    wmemset(szText, L'#', BATES_TEXT_SIZE);
    size_t cch = ComposeBatesText(&format, dwPage, nStart, szText, BATES_TEXT_SIZE);
    EXPECT_EQ(cch, wcslen(szText));
    return szText;
}

std::vector<BYTE> BatesDevMode(bool bEnabled)
{
    std::vector<BYTE> buffer(DRIVER_DEVMODE_SIZE, 0);
    DriverDevMode *p = (DriverDevMode *)buffer.data();
    p->Flags = bEnabled ? FLAG_BATES_NUMBERING : (0xFFFFFFFFUL & ~FLAG_BATES_NUMBERING);
    return buffer;
}

} // namespace

TEST(Bates, ComposeText)
{
    /* Page 1 from 1, page 5 from 100; without a prefix the text starts with a blank. */
    BatesFormat plain = PlainFormat(false, L"IGNORED", 0, L'0');
    EXPECT_EQ(Compose(plain, 1, 1), L" 1");
    EXPECT_EQ(Compose(plain, 5, 100), L" 104");

    /* Two blanks after a prefix, padding up to the length. */
    BatesFormat abc = PlainFormat(true, L"ABC", 6, L'0');
    EXPECT_EQ(Compose(abc, 3, 40), L"ABC  000042");

    /* A number longer than the length is neither padded nor cut. */
    BatesFormat short3 = PlainFormat(false, L"", 3, L'0');
    EXPECT_EQ(Compose(short3, 1, 12345), L" 12345");

    /* The padding goes before the sign. */
    BatesFormat neg = PlainFormat(false, L"", 4, L'0');
    EXPECT_EQ(Compose(neg, 1, -7), L" 00-7");

    /* No padding character: no padding. A length above 16 acts as 16. */
    EXPECT_EQ(Compose(PlainFormat(false, L"", 6, L'\0'), 1, 9), L" 9");
    EXPECT_EQ(Compose(PlainFormat(false, L"", 40, L'x'), 1, 9), L" xxxxxxxxxxxxxxx9");

    /* The longest text: 29 of prefix, two blanks, 16 of number. */
    BatesFormat full = PlainFormat(true, L"PPPPPPPPPPPPPPPPPPPPPPPPPPPPP", 16, L'0');
    std::wstring longest = Compose(full, 1, INT_MIN);
    EXPECT_EQ(longest.size(), 47u);
    EXPECT_EQ(longest.substr(29), L"  00000-2147483648");

    /* A buffer that is too small is cut, never overrun. */
    WCHAR szSmall[6];
    wmemset(szSmall, L'#', 6);
    ComposeBatesText(&abc, 3, 40, szSmall, 5);
    EXPECT_STREQ(szSmall, L"ABC ");
    EXPECT_EQ(szSmall[5], L'#');
}

TEST(Bates, ReadRegistry)
{
    std::string key = FormatKey(90);
    WCHAR szSubKey[100];
    swprintf(szSubKey, 100, L"%ls\\BatesNumbering\\90", kPrinterW);
    RegDeleteTree(key);
    RegSetString(key, "Fits", "ABCD");
    RegSetString(key, "TooLong", "ABCDE");
    RegSetString(key, "Number", "  -12abc");
    RegSetString(key, "Plus", "+7");
    RegSetString(key, "Word", "Error");
    RegSetString(key, "Letters", "abc");
    RegSetString(key, "Huge", std::string(300, '1'));

    /* Capacity 5: four characters fit, five do not. */
    WCHAR szDest[8];
    wmemset(szDest, L'#', 8);
    EXPECT_EQ(ReadRegistryString(szSubKey, szDest, 5, L"DEF", L"Fits"), 1);
    EXPECT_STREQ(szDest, L"ABCD");
    wmemset(szDest, L'#', 8);
    EXPECT_EQ(ReadRegistryString(szSubKey, szDest, 5, L"DEF", L"TooLong"), 0);
    EXPECT_STREQ(szDest, L"DEF");
    /* The default is cut to the capacity too. */
    wmemset(szDest, L'#', 8);
    EXPECT_EQ(ReadRegistryString(szSubKey, szDest, 2, L"ERROR", L"Missing"), 0);
    EXPECT_STREQ(szDest, L"E");
    EXPECT_EQ(szDest[2], L'#');
    wmemset(szDest, L'#', 8);
    EXPECT_EQ(ReadRegistryString(L"No Such Printer\\BatesNumbering\\1", szDest, 8, L"X", L"Fits"), 0);
    EXPECT_STREQ(szDest, L"X");
    /* A value larger than 520 bytes is not read. */
    WCHAR szBig[300];
    EXPECT_EQ(ReadRegistryString(szSubKey, szBig, 300, L"D", L"Huge"), 0);
    EXPECT_STREQ(szBig, L"D");

    EXPECT_EQ(ReadRegistryInt(szSubKey, L"Number"), -12);
    EXPECT_EQ(ReadRegistryInt(szSubKey, L"Plus"), 7);
    EXPECT_EQ(ReadRegistryInt(szSubKey, L"Word"), 0);
    EXPECT_EQ(ReadRegistryInt(szSubKey, L"Letters"), 0);
    EXPECT_EQ(ReadRegistryInt(szSubKey, L"Missing"), 0);
    RegDeleteTree(key);
}

TEST(Bates, LoadFormat)
{
    WriteFormat(1, "First", "ONE");
    WriteFormat(3, "Third", "THREE");
    BatesFormat format;

    /* Index 0 is sub-key 1, index 2 sub-key 3; the fields come as stored. */
    memset(&format, 0xCC, sizeof(format));
    ASSERT_EQ(LoadBatesFormatFromRegistry(0, &format, kPrinterW), 1);
    EXPECT_STREQ(format.szBatesName, L"First");
    EXPECT_STREQ(format.szPrefix, L"ONE");
    EXPECT_EQ(format.bUsePrefix, 1);
    EXPECT_EQ(format.nStartWith, 5);
    EXPECT_EQ(format.nOffsetUnit, 2);
    EXPECT_EQ(format.crColor, 255u);
    EXPECT_EQ(format.stLogFont.lfHeight, -20);
    EXPECT_EQ(format.stLogFont.lfWeight, 700);
    EXPECT_EQ(format.stLogFont.lfItalic, 1);  /* the low byte of 257 */
    EXPECT_EQ(format.stLogFont.lfWidth, 0);   /* missing: 0 */
    EXPECT_STREQ(format.stLogFont.lfFaceName, L"Courier New");
    EXPECT_EQ(format.nBatesNumberLength, 6);
    EXPECT_EQ(format.chPaddingCharacter, L'0');
    ASSERT_EQ(LoadBatesFormatFromRegistry(2, &format, kPrinterW), 1);
    EXPECT_STREQ(format.szBatesName, L"Third");
    EXPECT_EQ(LoadBatesFormatFromRegistry(1, &format, kPrinterW), 0);
    EXPECT_EQ(LoadBatesFormatFromRegistry(0, NULL, kPrinterW), 0);

    /* Length 20 acts as 16; no padding character gives 'E'; an empty one gives NUL. */
    RegSetString(FormatKey(1), "Bates Number Length", "20");
    {
        HKEY hKey = NULL;
        RegOpenKeyExA(HKEY_CURRENT_USER, FormatKey(1).c_str(), 0, KEY_SET_VALUE, &hKey);
        RegDeleteValueA(hKey, "Bates Padding Character");
        RegCloseKey(hKey);
    }
    ASSERT_EQ(LoadBatesFormatFromRegistry(0, &format, kPrinterW), 1);
    EXPECT_EQ(format.nBatesNumberLength, 16);
    EXPECT_EQ(format.chPaddingCharacter, L'E');
    RegSetString(FormatKey(1), "Bates Padding Character", "ab");
    ASSERT_EQ(LoadBatesFormatFromRegistry(0, &format, kPrinterW), 1);
    EXPECT_EQ(format.chPaddingCharacter, L'E');
    RegSetString(FormatKey(1), "Bates Padding Character", "");
    ASSERT_EQ(LoadBatesFormatFromRegistry(0, &format, kPrinterW), 1);
    EXPECT_EQ(format.chPaddingCharacter, L'\0');

    /* A prefix of 30 characters does not fit; 29 do. */
    RegSetString(FormatKey(1), "Prefix", std::string(30, 'P'));
    EXPECT_EQ(LoadBatesFormatFromRegistry(0, &format, kPrinterW), 0);
    RegSetString(FormatKey(1), "Prefix", std::string(29, 'P'));
    EXPECT_EQ(LoadBatesFormatFromRegistry(0, &format, kPrinterW), 1);

    /* A format without "Name" is not used, whatever else it has. */
    {
        HKEY hKey = NULL;
        RegOpenKeyExA(HKEY_CURRENT_USER, FormatKey(3).c_str(), 0, KEY_SET_VALUE, &hKey);
        RegDeleteValueA(hKey, "Name");
        RegCloseKey(hKey);
    }
    EXPECT_EQ(LoadBatesFormatFromRegistry(2, &format, kPrinterW), 0);
    RegSetString(FormatKey(3), "Name", "ERROR");
    EXPECT_EQ(LoadBatesFormatFromRegistry(2, &format, kPrinterW), 0);

    /* A printer name whose key path cannot fit is refused. */
    std::wstring longName(240, L'n');
    EXPECT_EQ(LoadBatesFormatFromRegistry(0, &format, longName.c_str()), 0);

    RegDeleteTree(FormatKey(1));
    RegDeleteTree(FormatKey(3));
}

TEST(Bates, AddBatesNumber)
{
    WriteFormat(1, "Court", "ABC");
    std::string key = FormatKey(1);
    RegSetString(key, "Font Height", "0");
    RegSetString(key, "Font Facename", "");
    RegSetString(key, "Position", "4");
    RegSetString(key, "Transparent", "0");
    std::vector<BYTE> devMode = BatesDevMode(true);
    const ULONGLONG ptPage = PackPoint(4960, 7016);
    const ULONGLONG ptDpi = PackPoint(600, 600);

    /* Bottom right, no offsets: the text's corner on the page's corner. The
     * font is the 16-pixel Arial default at 600 dpi. */
    HDC hdc = BeginTextCapture();
    EXPECT_EQ(AddBatesNumber(hdc, kPrinter, devMode.data(), DRIVER_DEVMODE_SIZE, 3, 0, 40, ptPage, ptDpi), STAMP_DRAWN);
    TextCapture capture;
    EndTextCapture(hdc, &capture);
    EXPECT_EQ(capture.text, L"ABC  000042");
    EXPECT_EQ(capture.nFonts, 1);
    EXPECT_EQ(capture.stFont.lfHeight, 100);
    EXPECT_EQ(capture.stFont.lfWeight, 400);
    EXPECT_STREQ(capture.stFont.lfFaceName, L"Arial");
    EXPECT_EQ(capture.nBkMode, OPAQUE);
    EXPECT_EQ(capture.crText, 255u);
    SIZE extent = MeasureCapturedText(capture.stFont, capture.text);
    ASSERT_GT(extent.cx, 0);
    EXPECT_EQ(capture.ptReference.x, 4960 - extent.cx);
    EXPECT_EQ(capture.ptReference.y, 7016 - extent.cy);

    /* Hundredths of an inch move by whole inches at 600 dpi; negative
     * offsets move inward. */
    RegSetString(key, "Offset unit", "1");
    RegSetString(key, "X Offset", "-100");
    RegSetString(key, "Y Offset", "-50");
    hdc = BeginTextCapture();
    EXPECT_EQ(AddBatesNumber(hdc, kPrinter, devMode.data(), DRIVER_DEVMODE_SIZE, 3, 0, 40, ptPage, ptDpi), STAMP_DRAWN);
    EndTextCapture(hdc, &capture);
    EXPECT_EQ(capture.ptReference.x, 4960 - extent.cx - 600);
    EXPECT_EQ(capture.ptReference.y, 7016 - extent.cy - 300);

    /* Nothing drawn: switched off, or failed for bad input, a negative index, no format. */
    std::vector<BYTE> off = BatesDevMode(false);
    hdc = BeginTextCapture();
    EXPECT_EQ(AddBatesNumber(hdc, kPrinter, off.data(), DRIVER_DEVMODE_SIZE, 1, 0, 1, ptPage, ptDpi), STAMP_SWITCHED_OFF);
    EXPECT_EQ(AddBatesNumber(hdc, kPrinter, devMode.data(), DRIVER_DEVMODE_SIZE - 1, 1, 0, 1, ptPage, ptDpi), STAMP_FAILED);
    EXPECT_EQ(AddBatesNumber(hdc, kPrinter, NULL, DRIVER_DEVMODE_SIZE, 1, 0, 1, ptPage, ptDpi), STAMP_FAILED);
    EXPECT_EQ(AddBatesNumber(NULL, kPrinter, devMode.data(), DRIVER_DEVMODE_SIZE, 1, 0, 1, ptPage, ptDpi), STAMP_FAILED);
    EXPECT_EQ(AddBatesNumber(hdc, kPrinter, devMode.data(), DRIVER_DEVMODE_SIZE, 1, -1, 1, ptPage, ptDpi), STAMP_FAILED);
    EXPECT_EQ(AddBatesNumber(hdc, kPrinter, devMode.data(), DRIVER_DEVMODE_SIZE, 1, 5, 1, ptPage, ptDpi), STAMP_FAILED);
    EXPECT_EQ(AddBatesNumber(hdc, NULL, devMode.data(), DRIVER_DEVMODE_SIZE, 1, 0, 1, ptPage, ptDpi), STAMP_FAILED);
    std::string longName(300, 'n');
    EXPECT_EQ(AddBatesNumber(hdc, longName.c_str(), devMode.data(), DRIVER_DEVMODE_SIZE, 1, 0, 1, ptPage, ptDpi), STAMP_FAILED);
    /* The key of format 2147483648, the longest number, fits 263 characters
     * with a name of 207: the root key and a separator (30), the name,
     * \BatesNumbering\ (16) and ten digits. */
    EXPECT_TRUE(BatesFormatKeysFit(std::string(207, 'n').c_str()));
    EXPECT_FALSE(BatesFormatKeysFit(std::string(208, 'n').c_str()));
    EXPECT_FALSE(BatesFormatKeysFit(longName.c_str()));
    EXPECT_FALSE(BatesFormatKeysFit(NULL));
    EndTextCapture(hdc, &capture);
    EXPECT_EQ(capture.nTexts, 0);
    EXPECT_EQ(capture.nFonts, 0);

    RegDeleteTree(key);
}
