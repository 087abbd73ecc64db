#include <gtest/gtest.h>
#include <string>
#include "settings/iniexport.h"
#include "settings/initext.h"

/* The escaped form of each value, and back. */
TEST(IniText, EscapeAndDecode)
{
    const std::wstring lone(1, (WCHAR)0xDC00);
    const struct {
        std::wstring text;
        IniEncoding encoding;
        std::wstring written;
    } aCases[] = {
        /* Ordinary values stay as they are. */
        {L"C:\\out\\%USERPROFILE%\\100% caf\u00e9", INI_ENCODING_ANSI, L"C:\\out\\%USERPROFILE%\\100% caf\u00e9"},
        {L"a \"quoted\" word; [x] a=b", INI_ENCODING_ANSI, L"a \"quoted\" word; [x] a=b"},
        {L"%0a %zz %4", INI_ENCODING_ANSI, L"%0a %zz %4"},
        {L"", INI_ENCODING_ANSI, L""},
        /* Line breaks anywhere; blanks at the edges; enclosing quotes. */
        {L"Dear customer,\r\n[Injected]", INI_ENCODING_ANSI, L"Dear customer,%0D%0A[Injected]"},
        {L" - ", INI_ENCODING_ANSI, L"%20-%20"},
        {L"\ttab\x1A", INI_ENCODING_ANSI, L"%09tab%1A"},
        {L"\"both\"", INI_ENCODING_ANSI, L"%22both\""},
        {L"'x'", INI_ENCODING_UTF16, L"%27x'"},
        /* A % that would read as an escape. */
        {L"%0A%41", INI_ENCODING_ANSI, L"%250A%2541"},
        /* What the file cannot hold, as UTF-8. */
        {L"\u0141\u00f3d\u017a", INI_ENCODING_ANSI, L"%C5%81\u00f3d%C5%BA"},
        {L"\u0141\u00f3d\u017a", INI_ENCODING_UTF16, L"\u0141\u00f3d\u017a"},
        {L"\U0001F600", INI_ENCODING_ANSI, L"%F0%9F%98%80"},
        {L"\U0001F600" + lone, INI_ENCODING_UTF8, L"\U0001F600%ED%B0%80"},
        {std::wstring(L"a\0b", 3), INI_ENCODING_UTF16, L"a%00b"},
    };
    for (const auto &c : aCases) {
        WCHAR *pszWritten = IniEncodeValue(c.text.data(), c.text.size(), c.encoding);
        ASSERT_TRUE(pszWritten != NULL);
        EXPECT_EQ(c.written, pszWritten);
        WCHAR szBack[64];
        EXPECT_EQ(1, DecodeIniValue(pszWritten, szBack, 64));
        EXPECT_EQ(c.text, std::wstring(szBack, c.text.size()));
        HeapFree(GetProcessHeap(), 0, pszWritten);
    }

    /* Not escapes: kept as they are. A buffer too small is left untouched. */
    WCHAR szOut[8] = L"#######";
    EXPECT_EQ(1, DecodeIniValue(L"%C5%4%", szOut, 8));
    EXPECT_STREQ(L"%C5%4%", szOut);
    EXPECT_EQ(0, DecodeIniValue(L"%0D%0A12345678", szOut, 8));
    EXPECT_STREQ(L"%C5%4%", szOut);
    EXPECT_EQ(0, DecodeIniValue(NULL, szOut, 8));
}
