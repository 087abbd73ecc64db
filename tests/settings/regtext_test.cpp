/* The bounded registry text readers, both widths, at the buffer's limits. */
#include <gtest/gtest.h>

#include "settings/regtext.h"
#include "regfixture.h"

#include <cstring>

/* One stored value and what a read of it into cchBuffer characters gives. */
struct TextCase {
    const wchar_t *pszStored;  /* cchStored characters, without terminator unless bTerminated */
    size_t cchStored;
    bool bTerminated;
    DWORD cchBuffer;
    LONG lExpected;
    DWORD cchNeeded;
    const wchar_t *pszText;    /* what the buffer holds afterwards */
};

static const TextCase s_aCases[] = {
    { L"abc", 3, true, 8, ERROR_SUCCESS, 4, L"abc" },
    { L"abc", 3, true, 4, ERROR_SUCCESS, 4, L"abc" },        /* the stored terminator fits exactly */
    { L"abc", 3, true, 3, ERROR_MORE_DATA, 4, L"" },
    { L"abc", 3, false, 4, ERROR_SUCCESS, 4, L"abc" },       /* terminator added in the last character */
    { L"abc", 3, false, 3, ERROR_MORE_DATA, 4, L"" },        /* fills the buffer: refused, not cut */
    { L"abc", 3, false, 2, ERROR_MORE_DATA, 3, L"" },        /* too large to read: the stored size */
    { L"", 0, false, 1, ERROR_SUCCESS, 1, L"" },
    { L"ab\0cd", 5, false, 6, ERROR_SUCCESS, 6, L"ab" },     /* the text ends at the first NUL */
};

/* Writes the case's value under the test printer key and opens the key. */
static HKEY StoreCase(const TextCase &c, const wchar_t *pszName)
{
    std::wstring data(c.pszStored, c.cchStored);
    if (c.bTerminated)
        RegSetString(PrinterKey(), pszName, data);
    else
        RegSetUnterminated(PrinterKey(), pszName, data);
    HKEY hKey = NULL;
    RegOpenKeyExW(HKEY_CURRENT_USER, PrinterKey().c_str(), 0, KEY_QUERY_VALUE, &hKey);
    return hKey;
}

TEST(RegText, Limits)
{
    RegistryScope scope;
    for (const TextCase &c : s_aCases) {
        SCOPED_TRACE(testing::Message() << "stored '" << c.pszStored << "' terminated " << c.bTerminated
                                        << " buffer " << c.cchBuffer);
        HKEY hKey = StoreCase(c, L"Value");
        ASSERT_TRUE(hKey != NULL);

        WCHAR szWide[16];
        wmemset(szWide, L'#', 16);
        DWORD cchNeeded = 0xdead;
        EXPECT_EQ(c.lExpected, RegReadTextW(hKey, L"Value", szWide, c.cchBuffer, &cchNeeded));
        EXPECT_EQ(c.cchNeeded, cchNeeded);
        EXPECT_STREQ(c.pszText, szWide);
        EXPECT_EQ(L'#', szWide[c.cchBuffer]); /* nothing past the buffer */

        char szNarrow[16];
        memset(szNarrow, '#', sizeof(szNarrow));
        cchNeeded = 0xdead;
        EXPECT_EQ(c.lExpected, RegReadTextA(hKey, "Value", szNarrow, c.cchBuffer, &cchNeeded));
        EXPECT_EQ(c.cchNeeded, cchNeeded);
        EXPECT_EQ(std::string(c.pszText, c.pszText + wcslen(c.pszText)), szNarrow);
        EXPECT_EQ('#', szNarrow[c.cchBuffer]);
        RegCloseKey(hKey);
    }
}

TEST(RegText, MeasureAndFailures)
{
    RegistryScope scope;
    TextCase stCase = { L"twelve chars", 12, false, 0, ERROR_MORE_DATA, 0, L"" };
    HKEY hKey = StoreCase(stCase, L"Value");
    ASSERT_TRUE(hKey != NULL);
    DWORD cchNeeded = 0;
    EXPECT_EQ(ERROR_MORE_DATA, RegReadTextW(hKey, L"Value", NULL, 0, &cchNeeded));
    EXPECT_EQ(12u, cchNeeded);

    WCHAR szText[4] = L"xyz";
    cchNeeded = 0xdead;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegReadTextW(hKey, L"Missing", szText, 4, &cchNeeded));
    EXPECT_EQ(0u, cchNeeded);
    EXPECT_STREQ(L"", szText);
    RegCloseKey(hKey);

    char szNarrow[4] = "xyz";
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegReadTextA(NULL, "Value", szNarrow, 4, NULL));
    EXPECT_STREQ("", szNarrow);
}
