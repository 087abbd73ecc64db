#include <gtest/gtest.h>
#include <cstring>
#include "settings/profile.h"
#include "regfixture.h"

static const std::wstring kProfiles = PrinterKey() + L"\\Save As Option Settings";

TEST(Profile, GetSettingsPrinterName)
{
    RegistryScope scope;
    DriverDevMode dm;
    WCHAR szName[260];

    /* The PrinterIDs entry wins over dmDeviceName. */
    MakeTestBlock(&dm);
    wmemset(szName, L'#', 260);
    GetSettingsPrinterName(&dm, szName, sizeof(szName));
    EXPECT_STREQ(TEST_PRINTER_REG, szName);

    /* No entry for the id: dmDeviceName. */
    DevMode_SetPrinterId(&dm, TEST_PRINTER_ID + 1);
    wmemset(szName, L'#', 260);
    GetSettingsPrinterName(&dm, szName, sizeof(szName));
    EXPECT_STREQ(TEST_DEVICE_NAME, szName);

    /* A device name filling all 32 characters, without terminator. */
    memcpy(dm.dmPublic.dmDeviceName, L"0123456789ABCDEF0123456789ABCDEF", 32 * sizeof(WCHAR));
    wmemset(szName, L'#', 260);
    GetSettingsPrinterName(&dm, szName, sizeof(szName));
    EXPECT_STREQ(L"0123456789ABCDEF0123456789ABCDEF", szName);

    /* A small buffer gets a cut, terminated name. */
    wmemset(szName, L'#', 260);
    GetSettingsPrinterName(&dm, szName, 6 * sizeof(WCHAR));
    EXPECT_STREQ(L"01234", szName);
    EXPECT_EQ(L'#', szName[6]);

    /* A registered name as long as the buffer is cut, not left open. */
    DevMode_SetPrinterId(&dm, TEST_PRINTER_ID);
    wmemset(szName, L'#', 260);
    GetSettingsPrinterName(&dm, szName, 8 * sizeof(WCHAR));
    EXPECT_EQ(0, szName[7]);
    EXPECT_EQ(L'#', szName[8]);

    /* The id is formatted signed, as the driver writes the key. */
    const std::wstring negative = std::wstring(TEST_ROOT) + L"\\PrinterIDs\\-2";
    RegSetString(negative, L"Printer name", L"Negative Id Printer");
    DevMode_SetPrinterId(&dm, (DWORD)-2);
    GetSettingsPrinterName(&dm, szName, sizeof(szName));
    EXPECT_STREQ(L"Negative Id Printer", szName);
    RegDeleteTree(negative);

    /* No block: zeroed. */
    wmemset(szName, L'#', 260);
    GetSettingsPrinterName(NULL, szName, sizeof(szName));
    EXPECT_STREQ(L"", szName);
    EXPECT_EQ(0, szName[259]);
}

/* A PrinterIDs name that does not fit is cut, never replaced by the device
 * name, and the library's own paths refuse it: a cut name is another
 * printer's. A buffer of one byte is zeroed all the same. */
TEST(Profile, PrinterNameThatDoesNotFit)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);
    const std::wstring ids = std::wstring(TEST_ROOT) + L"\\PrinterIDs\\" + std::to_wstring(TEST_PRINTER_ID);
    RegSetDword(PrinterKey(TEST_DEVICE_NAME) + L"\\Watermark", L"Number", 5);
    WCHAR szName[260];
    for (size_t cch : {259, 260, 300}) {
        RegSetUnterminated(ids, L"Printer name", std::wstring(cch, L'L'));
        wmemset(szName, L'#', 260);
        GetSettingsPrinterName(&dm, szName, sizeof(szName));
        EXPECT_EQ(std::wstring(259, L'L'), szName) << cch;
    }
    DWORD dwValue = 7;
    EXPECT_EQ(0, SettingsReadDword(&dm, TEST_ROOT, L"%s\\Watermark", L"Number", &dwValue));
    EXPECT_EQ(7u, dwValue);
    EXPECT_EQ(0, SettingsWriteDword(&dm, TEST_ROOT, L"%s\\Watermark", L"Other", 1));
    EXPECT_EQ(0, WriteProfileDword(&dm, PD_FILE_FORMAT, 1, 5));
    EXPECT_FALSE(RegValueExists(PrinterKey(TEST_DEVICE_NAME) + L"\\Watermark", L"Other"));

    BYTE abOne[2] = {0xAB, 0xAB};
    GetSettingsPrinterName(&dm, (WCHAR *)abOne, 1);
    EXPECT_EQ(0, abOne[0]);
    EXPECT_EQ(0xAB, abOne[1]);
}

TEST(Profile, IdTables)
{
    EXPECT_STREQ(L"File Format", ProfileDwordName(PD_FILE_FORMAT));
    EXPECT_STREQ(L"Save each page as separate file", ProfileDwordName(3));
    EXPECT_STREQ(L"TIFF: Add page Numbering Tag", ProfileDwordName(12));
    EXPECT_STREQ(L"HTML: General - View Type", ProfileDwordName(27));
    EXPECT_STREQ(L"Printer count", ProfileDwordName(40));
    EXPECT_STREQ(L"Watermark P First Image position", ProfileDwordName(48));
    EXPECT_STREQ(L"Watermark L Center", ProfileDwordName(56));
    EXPECT_EQ(NULL, ProfileDwordName(57));
    EXPECT_EQ(NULL, ProfileDwordName(-1));
    EXPECT_STREQ(L"Output Path", ProfileStringName(0));
    EXPECT_STREQ(L"PDF: Fonts - Force Embed Font_%d", ProfileStringName(8));
    EXPECT_STREQ(L"Printer %d", ProfileStringName(13));
    EXPECT_STREQ(L"Watermark Landscape First Image", ProfileStringName(40));
    EXPECT_EQ(NULL, ProfileStringName(41));

    /* An unknown id touches nothing. */
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);
    DWORD dwValue = 0xDEADBEEF;
    EXPECT_EQ(0, WriteProfileDword(&dm, 57, 1, 5));
    EXPECT_EQ(0, WriteDefaultString(&dm, 41, L"x"));
    EXPECT_EQ(0, ReadDefaultDword(&dm, -1, &dwValue));
    EXPECT_EQ(0xDEADBEEFu, dwValue);
    EXPECT_FALSE(RegKeyExists(PrinterKey()));
}

TEST(Profile, SettingsReadString)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);
    const WCHAR *pszPattern = L"%s\\Pdf Settings";
    RegSetUnterminated(PrinterKey() + L"\\Pdf Settings", L"Value", L"fifteen chars!!"); /* 30 bytes */

    WCHAR szBuffer[40];
    wmemset(szBuffer, L'#', 40);
    DWORD cbSize = 10;
    EXPECT_EQ(0, SettingsReadString(&dm, TEST_ROOT, pszPattern, L"Value", szBuffer, &cbSize));
    EXPECT_EQ(30u, cbSize);
    EXPECT_EQ(L'#', szBuffer[0]);

    cbSize = 8; /* non-zero size with no buffer */
    EXPECT_EQ(0, SettingsReadString(&dm, TEST_ROOT, pszPattern, L"Value", NULL, &cbSize));
    EXPECT_EQ(30u, cbSize);

    cbSize = 30; /* exactly the stored size */
    EXPECT_EQ(1, SettingsReadString(&dm, TEST_ROOT, pszPattern, L"Value", szBuffer, &cbSize));
    EXPECT_EQ(30u, cbSize);
    EXPECT_EQ(0, wmemcmp(L"fifteen chars!!", szBuffer, 15));
    EXPECT_EQ(L'#', szBuffer[15]); /* nothing added */

    /* An odd-sized value: its size exactly, and a buffer of exactly that
     * size takes it; a terminator follows only where there is room. */
    const BYTE abOdd[6] = {'a', 0, 'b', 0, 'c', '~'};
    RegSetData(PrinterKey() + L"\\Pdf Settings", L"Odd", REG_SZ, abOdd, 5);
    cbSize = 0;
    EXPECT_EQ(0, SettingsReadString(&dm, TEST_ROOT, pszPattern, L"Odd", NULL, &cbSize));
    EXPECT_EQ(5u, cbSize);
    for (DWORD cbBuffer : {5, 7, 8}) {
        memset(szBuffer, 0xEE, sizeof(szBuffer));
        cbSize = cbBuffer;
        EXPECT_EQ(1, SettingsReadString(&dm, TEST_ROOT, pszPattern, L"Odd", szBuffer, &cbSize)) << cbBuffer;
        EXPECT_EQ(5u, cbSize);
        EXPECT_EQ(0, memcmp(szBuffer, abOdd, 5));
        const BYTE *pb = (const BYTE *)szBuffer;
        EXPECT_EQ(cbBuffer == 8 ? 0 : 0xEE, pb[5]) << cbBuffer; /* NUL character at offset 6 */
        EXPECT_EQ(cbBuffer == 8 ? 0 : 0xEE, pb[7]) << cbBuffer;
    }

    /* The writer's text reads back (the registry itself may add a terminator). */
    ASSERT_EQ(1, SettingsWriteString(&dm, TEST_ROOT, pszPattern, L"Written", L"abc"));
    memset(szBuffer, 0, sizeof(szBuffer));
    cbSize = sizeof(szBuffer);
    EXPECT_EQ(1, SettingsReadString(&dm, TEST_ROOT, pszPattern, L"Written", szBuffer, &cbSize));
    EXPECT_STREQ(L"abc", szBuffer);
    EXPECT_EQ(L"abc", RegGetString(PrinterKey() + L"\\Pdf Settings", L"Written"));

    cbSize = 40;
    EXPECT_EQ(0, SettingsReadString(&dm, TEST_ROOT, pszPattern, L"Missing", szBuffer, &cbSize));
    EXPECT_EQ(40u, cbSize);
    EXPECT_EQ(0, SettingsReadString(&dm, TEST_ROOT, NULL, L"Value", szBuffer, &cbSize));
    EXPECT_EQ(0, SettingsReadString(NULL, TEST_ROOT, pszPattern, L"Value", szBuffer, &cbSize));
    EXPECT_EQ(0, SettingsWriteString(&dm, TEST_ROOT, pszPattern, NULL, L"x"));
    EXPECT_EQ(0, SettingsWriteString(&dm, TEST_ROOT, pszPattern, L"Value", NULL));
}

TEST(Profile, SettingsReadDword)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);
    const WCHAR *pszPattern = L"%s\\Watermark";
    std::wstring key = PrinterKey() + L"\\Watermark";
    DWORD dwValue = 0xDEADBEEF;

    ASSERT_EQ(1, SettingsWriteDword(&dm, TEST_ROOT, pszPattern, L"Number", 0x12345678));
    EXPECT_EQ(1, SettingsReadDword(&dm, TEST_ROOT, pszPattern, L"Number", &dwValue));
    EXPECT_EQ(0x12345678u, dwValue);

    /* Any type: a 2-byte value reads zero-extended. */
    WORD w = 0x4142;
    RegSetData(key, L"Short", REG_BINARY, &w, sizeof(w));
    dwValue = 0xDEADBEEF;
    EXPECT_EQ(1, SettingsReadDword(&dm, TEST_ROOT, pszPattern, L"Short", &dwValue));
    EXPECT_EQ(0x4142u, dwValue);

    /* Too large a value, or a missing one, leaves the output alone. */
    ULONGLONG qw = 1;
    RegSetData(key, L"Long", REG_QWORD, &qw, sizeof(qw));
    dwValue = 0xDEADBEEF;
    EXPECT_EQ(0, SettingsReadDword(&dm, TEST_ROOT, pszPattern, L"Long", &dwValue));
    EXPECT_EQ(0, SettingsReadDword(&dm, TEST_ROOT, pszPattern, L"Missing", &dwValue));
    EXPECT_EQ(0xDEADBEEFu, dwValue);

    /* An empty printer name writes nowhere. */
    DriverDevMode nameless;
    DevMode_Initialize(&nameless);
    DevMode_SetPrinterId(&nameless, TEST_PRINTER_ID + 1);
    EXPECT_EQ(0, SettingsWriteDword(&nameless, TEST_ROOT, pszPattern, L"Number", 1));
}

TEST(Profile, AccessorsById)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);
    DWORD dwValue = 0;

    EXPECT_EQ(1, WriteDefaultDword(&dm, PD_FILE_FORMAT, 7));
    EXPECT_EQ(1, ReadDefaultDword(&dm, PD_FILE_FORMAT, &dwValue));
    EXPECT_EQ(7u, dwValue);
    EXPECT_TRUE(RegValueExists(kProfiles + L"\\Default Settings", L"File Format"));

    EXPECT_EQ(1, WriteProfileDword(&dm, PD_WATERMARK_P_TILE, 12, 1));
    EXPECT_TRUE(RegValueExists(kProfiles + L"\\12", L"Watermark P Tile"));
    EXPECT_EQ(1, ReadProfileDword(&dm, PD_WATERMARK_P_TILE, 12, &dwValue));
    EXPECT_EQ(1u, dwValue);
    EXPECT_EQ(0, ReadProfileDword(&dm, PD_WATERMARK_P_TILE, 13, &dwValue));

    WCHAR szBuffer[64];
    DWORD cbSize = sizeof(szBuffer);
    EXPECT_EQ(1, WriteProfileString(&dm, PS_OUTPUT_PATH, 12, L"C:\\out"));
    memset(szBuffer, 0, sizeof(szBuffer));
    EXPECT_EQ(1, ReadProfileString(&dm, PS_OUTPUT_PATH, 12, szBuffer, &cbSize));
    EXPECT_STREQ(L"C:\\out", szBuffer);

    /* String id 8 with index 3: the value "PDF: Fonts - Force Embed Font_3". */
    RegSetUnterminated(kProfiles + L"\\12", L"PDF: Fonts - Force Embed Font_3", L"Courier");
    memset(szBuffer, 0, sizeof(szBuffer));
    cbSize = sizeof(szBuffer);
    EXPECT_EQ(1, ReadProfileStringAt(&dm, PS_PDF_FORCE_FONT, 12, szBuffer, &cbSize, 3));
    EXPECT_STREQ(L"Courier", szBuffer);
    EXPECT_EQ(1, WriteProfileStringAt(&dm, PS_PRINTER, 12, L"Printer A", 0));
    EXPECT_EQ(L"Printer A", RegGetString(kProfiles + L"\\12", L"Printer 0"));

    EXPECT_EQ(1, WriteDefaultStringAt(&dm, PS_HTML_FORBID_FONT, L"Symbol", 2));
    memset(szBuffer, 0, sizeof(szBuffer));
    cbSize = sizeof(szBuffer);
    EXPECT_EQ(1, ReadDefaultStringAt(&dm, PS_HTML_FORBID_FONT, szBuffer, &cbSize, 2));
    EXPECT_STREQ(L"Symbol", szBuffer);
    EXPECT_EQ(1, WriteDefaultString(&dm, PS_EMAIL_TO, L"a@b.c"));
    memset(szBuffer, 0, sizeof(szBuffer));
    cbSize = 4; /* too small: the stored size (text and the terminator the registry adds) */
    EXPECT_EQ(0, ReadDefaultString(&dm, PS_EMAIL_TO, szBuffer, &cbSize));
    EXPECT_EQ(12u, cbSize);
    EXPECT_EQ(0, szBuffer[0]);
}

TEST(Profile, ProtectedModePath)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);
    DevMode_SetUserSid(&dm, TEST_USER_SID);
    DevMode_SetProfileOptions(&dm, DM_PROFILE_OPTION_PROTECTED_MODE);
    std::wstring protectedProfiles = std::wstring(TEST_PROTECTED_ROOT) + L"\\" + TEST_PRINTER_REG +
                                     L"\\Save As Option Settings";
    DWORD dwValue = 0xDEADBEEF;

    /* The writer uses the plain path; the reader the protected one. */
    EXPECT_EQ(1, WriteProfileDword(&dm, PD_FILE_FORMAT, 5, 9));
    EXPECT_TRUE(RegValueExists(kProfiles + L"\\5", L"File Format"));
    EXPECT_EQ(0, ReadProfileDword(&dm, PD_FILE_FORMAT, 5, &dwValue));
    EXPECT_EQ(0xDEADBEEFu, dwValue);

    RegSetDword(protectedProfiles + L"\\5", L"File Format", 21);
    EXPECT_EQ(1, ReadProfileDword(&dm, PD_FILE_FORMAT, 5, &dwValue));
    EXPECT_EQ(21u, dwValue);
    RegSetUnterminated(protectedProfiles + L"\\5", L"PDF: Fonts - Forbid Embed Font_0", L"Arial");
    WCHAR szBuffer[32] = {0};
    DWORD cbSize = sizeof(szBuffer);
    EXPECT_EQ(1, ReadProfileStringAt(&dm, PS_PDF_FORBID_FONT, 5, szBuffer, &cbSize, 0));
    EXPECT_STREQ(L"Arial", szBuffer);

    /* Default Settings ignore the option. */
    EXPECT_EQ(1, WriteDefaultDword(&dm, PD_COLOR_DEPTH, 2));
    EXPECT_EQ(1, ReadDefaultDword(&dm, PD_COLOR_DEPTH, &dwValue));
    EXPECT_EQ(2u, dwValue);

    /* Deletion follows the option too. */
    EXPECT_EQ(1, DeleteProfile(&dm, 5));
    EXPECT_FALSE(RegKeyExists(protectedProfiles + L"\\5"));
    EXPECT_TRUE(RegKeyExists(kProfiles + L"\\5"));
}

TEST(Profile, Deletions)
{
    RegistryScope scope;
    DriverDevMode dm;
    MakeTestBlock(&dm);
    ASSERT_EQ(1, WriteProfileDword(&dm, PD_APPEND_FILE, 77, 1));
    ASSERT_EQ(1, WriteDefaultDword(&dm, PD_APPEND_FILE, 1));
    EXPECT_EQ(1, DeleteProfile(&dm, 77));
    EXPECT_FALSE(RegKeyExists(kProfiles + L"\\77"));
    EXPECT_EQ(0, DeleteProfile(&dm, 77));
    EXPECT_EQ(1, DeleteDefaultSettings(&dm));
    EXPECT_FALSE(RegKeyExists(kProfiles + L"\\Default Settings"));
    EXPECT_EQ(0, DeleteDefaultSettings(&dm));
    EXPECT_EQ(0, DeleteProfile(NULL, 77));
}
