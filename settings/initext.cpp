/* Text values of the INI export: percent-encoding of UTF-8 where a value
 * would not read back whole, and its reverse. */
#include "settings/initext.h"
#include "settings/iniexport.h"

#include <cstring>
#include <cwchar>

#define UTF8_MAX_BYTES 4
#define ESCAPE_CCH     3 /* "%XX" */

static const WCHAR g_szHexUpper[] = L"0123456789ABCDEF";

IniEncoding IniFileEncoding(const WCHAR *pszFile)
{
    IniEncoding ansi = GetACP() == CP_UTF8 ? INI_ENCODING_UTF8 : INI_ENCODING_ANSI;
    HANDLE hFile = CreateFileW(pszFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return ansi;
    BYTE abMark[3] = {0, 0, 0};
    DWORD cbRead = 0;
    if (!ReadFile(hFile, abMark, sizeof(abMark), &cbRead, NULL))
        cbRead = 0;
    CloseHandle(hFile);
    if (cbRead >= 2 && ((abMark[0] == 0xFF && abMark[1] == 0xFE) || (abMark[0] == 0xFE && abMark[1] == 0xFF)))
        return INI_ENCODING_UTF16;
    if (cbRead == 3 && abMark[0] == 0xEF && abMark[1] == 0xBB && abMark[2] == 0xBF)
        return INI_ENCODING_UTF8;
    return ansi;
}

static BOOL IsHighSurrogate(WCHAR ch) { return ch >= 0xD800 && ch <= 0xDBFF; }
static BOOL IsLowSurrogate(WCHAR ch) { return ch >= 0xDC00 && ch <= 0xDFFF; }
static BOOL IsUpperHex(WCHAR ch) { return (ch >= L'0' && ch <= L'9') || (ch >= L'A' && ch <= L'F'); }

/* Characters (1, or 2 for a surrogate pair) that make up the character at
 * i of pText. */
static size_t CharLength(const WCHAR *pText, size_t cchText, size_t i)
{
    return (IsHighSurrogate(pText[i]) && i + 1 < cchText && IsLowSurrogate(pText[i + 1])) ? 2 : 1;
}

/* Whether the ANSI code page holds the cchChar characters at pChar
 * exactly (no default character, no best fit). */
static BOOL FitsAnsi(const WCHAR *pChar, size_t cchChar)
{
    char acBytes[8];
    BOOL bDefault = FALSE;
    int cb = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, pChar, (int)cchChar, acBytes, sizeof(acBytes), NULL,
                                 &bDefault);
    if (cb <= 0 || bDefault)
        return FALSE;
    WCHAR awBack[4];
    int cch = MultiByteToWideChar(CP_ACP, 0, acBytes, cb, awBack, 4);
    return cch == (int)cchChar && wmemcmp(awBack, pChar, cchChar) == 0;
}

/* Whether a file of the encoding holds the character at pChar (cchChar
 * characters): UTF-16 any, UTF-8 all but a lone surrogate, ANSI what the
 * code page holds. */
static BOOL HoldsChar(const WCHAR *pChar, size_t cchChar, IniEncoding encoding)
{
    if (encoding == INI_ENCODING_UTF16)
        return TRUE;
    if (encoding == INI_ENCODING_UTF8)
        return cchChar == 2 || !(IsHighSurrogate(pChar[0]) || IsLowSurrogate(pChar[0]));
    return FitsAnsi(pChar, cchChar);
}

/* Whether the character at i (cchChar characters) must be escaped: it
 * would end the line or the text, be trimmed at an edge, be taken as an
 * enclosing quote, be read as an escape, or not be held by the file. */
static BOOL NeedsEscape(const WCHAR *pText, size_t cchText, size_t i, size_t cchChar, IniEncoding encoding)
{
    WCHAR ch = pText[i];
    BOOL bEdge = i == 0 || i + cchChar == cchText;
    if (ch == 0 || ch == L'\r' || ch == L'\n' || (bEdge && ch <= L' '))
        return TRUE;
    if (ch == L'%')
        return i + 2 < cchText && IsUpperHex(pText[i + 1]) && IsUpperHex(pText[i + 2]);
    if (i == 0 && cchText >= 2 && (ch == L'"' || ch == L'\'') && pText[cchText - 1] == ch)
        return TRUE;
    return ch >= 0x80 && !HoldsChar(pText + i, cchChar, encoding);
}

BOOL IniEncodingHolds(const WCHAR *pszText, IniEncoding encoding)
{
    size_t cchText = wcslen(pszText);
    for (size_t i = 0; i < cchText;) {
        size_t cchChar = CharLength(pszText, cchText, i);
        if (pszText[i] >= 0x80 && !HoldsChar(pszText + i, cchChar, encoding))
            return FALSE;
        i += cchChar;
    }
    return TRUE;
}

/* The UTF-8 bytes of the character at pChar (cchChar characters); a lone
 * surrogate is encoded by its value like any other character. */
static size_t Utf8Bytes(const WCHAR *pChar, size_t cchChar, BYTE *pBytes)
{
    DWORD dwCode = pChar[0];
    if (cchChar == 2)
        dwCode = 0x10000 + (((DWORD)pChar[0] - 0xD800) << 10) + ((DWORD)pChar[1] - 0xDC00);
    if (dwCode < 0x80) {
        pBytes[0] = (BYTE)dwCode;
        return 1;
    }
    if (dwCode < 0x800) {
        pBytes[0] = (BYTE)(0xC0 | (dwCode >> 6));
        pBytes[1] = (BYTE)(0x80 | (dwCode & 0x3F));
        return 2;
    }
    if (dwCode < 0x10000) {
        pBytes[0] = (BYTE)(0xE0 | (dwCode >> 12));
        pBytes[1] = (BYTE)(0x80 | ((dwCode >> 6) & 0x3F));
        pBytes[2] = (BYTE)(0x80 | (dwCode & 0x3F));
        return 3;
    }
    pBytes[0] = (BYTE)(0xF0 | (dwCode >> 18));
    pBytes[1] = (BYTE)(0x80 | ((dwCode >> 12) & 0x3F));
    pBytes[2] = (BYTE)(0x80 | ((dwCode >> 6) & 0x3F));
    pBytes[3] = (BYTE)(0x80 | (dwCode & 0x3F));
    return 4;
}

WCHAR *IniEncodeValue(const WCHAR *pText, size_t cchText, IniEncoding encoding)
{
    /* At worst every character becomes four escaped bytes. */
    SIZE_T cchOut = cchText * UTF8_MAX_BYTES * ESCAPE_CCH + 1;
    WCHAR *pszOut = (WCHAR *)HeapAlloc(GetProcessHeap(), 0, cchOut * sizeof(WCHAR));
    if (!pszOut)
        return NULL;
    size_t o = 0;
    for (size_t i = 0; i < cchText;) {
        size_t cchChar = CharLength(pText, cchText, i);
        if (!NeedsEscape(pText, cchText, i, cchChar, encoding)) {
            wmemcpy(pszOut + o, pText + i, cchChar);
            o += cchChar;
        } else {
            BYTE abBytes[UTF8_MAX_BYTES];
            size_t cb = Utf8Bytes(pText + i, cchChar, abBytes);
            for (size_t b = 0; b < cb; b++) {
                pszOut[o++] = L'%';
                pszOut[o++] = g_szHexUpper[abBytes[b] >> 4];
                pszOut[o++] = g_szHexUpper[abBytes[b] & 0xF];
            }
        }
        i += cchChar;
    }
    pszOut[o] = 0;
    return pszOut;
}

/* ---- reading back ---- */

/* The byte of an escape "%XX" (upper-case digits) at p, or -1. */
static int EscapedByte(const WCHAR *p)
{
    if (p[0] != L'%' || !IsUpperHex(p[1]) || !IsUpperHex(p[2]))
        return -1;
    const WCHAR *pszHigh = wcschr(g_szHexUpper, p[1]), *pszLow = wcschr(g_szHexUpper, p[2]);
    return (int)((pszHigh - g_szHexUpper) << 4 | (pszLow - g_szHexUpper));
}

/* Decodes the escaped UTF-8 character at p into one or two characters at
 * pOut; gives the escaped text's length (0 when p holds none). */
static size_t DecodeEscape(const WCHAR *p, WCHAR *pOut, size_t *pcchOut)
{
    int nLead = EscapedByte(p);
    if (nLead < 0)
        return 0;
    size_t cb = nLead < 0x80 ? 1 : nLead > 0xF4 ? 0 : nLead >= 0xF0 ? 4 : nLead >= 0xE0 ? 3 : nLead >= 0xC0 ? 2 : 0;
    static const DWORD adwSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cb == 0)
        return 0;
    DWORD dwCode = cb == 1 ? (DWORD)nLead : (DWORD)nLead & (0x3F >> (cb - 1));
    for (size_t b = 1; b < cb; b++) {
        int nNext = EscapedByte(p + b * ESCAPE_CCH);
        if (nNext < 0x80 || nNext > 0xBF)
            return 0;
        dwCode = dwCode << 6 | ((DWORD)nNext & 0x3F);
    }
    if (dwCode < adwSmallest[cb] || dwCode > 0x10FFFF)
        return 0;
    if (dwCode >= 0x10000) {
        pOut[0] = (WCHAR)(0xD800 + ((dwCode - 0x10000) >> 10));
        pOut[1] = (WCHAR)(0xDC00 + ((dwCode - 0x10000) & 0x3FF));
        *pcchOut = 2;
    } else {
        pOut[0] = (WCHAR)dwCode;
        *pcchOut = 1;
    }
    return cb * ESCAPE_CCH;
}

int DecodeIniValue(const WCHAR *pszValue, WCHAR *pszOut, DWORD cchOut)
{
    if (!pszValue || !pszOut || cchOut == 0)
        return 0;
    size_t cchValue = wcslen(pszValue);
    /* Decoding never lengthens a text: every escape stands for fewer
     * characters than it takes. */
    WCHAR *pszText = (WCHAR *)HeapAlloc(GetProcessHeap(), 0, (cchValue + 1) * sizeof(WCHAR));
    if (!pszText)
        return 0;
    size_t o = 0;
    for (size_t i = 0; i < cchValue;) {
        size_t cchDecoded = 0;
        size_t cchEscape = DecodeEscape(pszValue + i, pszText + o, &cchDecoded);
        if (cchEscape) {
            i += cchEscape;
            o += cchDecoded;
        } else {
            pszText[o++] = pszValue[i++];
        }
    }
    pszText[o] = 0;
    int nResult = 0;
    if (o + 1 <= cchOut) {
        wmemcpy(pszOut, pszText, o + 1);
        nResult = 1;
    }
    HeapFree(GetProcessHeap(), 0, pszText);
    return nResult;
}
