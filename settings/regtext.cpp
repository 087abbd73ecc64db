/*
 * Bounded readers of registry text. The registry hands back the stored bytes
 * as they are, with or without a terminator; these readers never let a
 * caller see a string that is not terminated inside its buffer.
 */
#include "settings/regtext.h"

#include <cstring>

/* Whether the cbChar bytes at p are a NUL character. */
static BOOL IsNulChar(const BYTE *p, DWORD cbChar)
{
    for (DWORD i = 0; i < cbChar; i++) {
        if (p[i] != 0)
            return FALSE;
    }
    return TRUE;
}

/* Finishes a read of cbData bytes (the stored size when lResult is
 * ERROR_MORE_DATA) into pText, cchText characters of cbChar bytes: checks
 * that a terminator fits, writes it, and empties the buffer on failure. */
static LONG FinishText(LONG lResult, BYTE *pText, DWORD cchText, DWORD cbChar, DWORD cbData, DWORD *pcchNeeded)
{
    DWORD cchNeeded = 0;
    if (lResult == ERROR_SUCCESS) {
        DWORD cchData = cbData / cbChar;
        BOOL bTerminated = cchData > 0 && IsNulChar(pText + (SIZE_T)(cchData - 1) * cbChar, cbChar);
        cchNeeded = bTerminated ? cchData : cchData + 1;
        if (cchNeeded > cchText)
            lResult = ERROR_MORE_DATA;
        else if (!bTerminated)
            memset(pText + (SIZE_T)cchData * cbChar, 0, cbChar);
    } else if (lResult == ERROR_MORE_DATA) {
        cchNeeded = cbData / cbChar + (cbData % cbChar ? 1 : 0);
    }
    if (lResult != ERROR_SUCCESS && pText && cchText > 0)
        memset(pText, 0, cbChar);
    if (pcchNeeded)
        *pcchNeeded = cchNeeded;
    return lResult;
}

/* The byte count handed to the registry for cchText characters; the
 * registry takes a 32-bit size. */
static DWORD BufferBytes(DWORD cchText, DWORD cbChar)
{
    return cchText > MAXDWORD / cbChar ? (MAXDWORD / cbChar) * cbChar : cchText * cbChar;
}

/* Reads the value into pText (cchText characters of cbChar bytes, none to
 * measure only) through the ANSI or the UTF-16 query, then finishes it. */
static LONG ReadText(HKEY hKey, const void *pName, DWORD cbChar, BYTE *pText, DWORD cchText, DWORD *pcchNeeded)
{
    if (pcchNeeded)
        *pcchNeeded = 0;
    if (pText && cchText > 0)
        memset(pText, 0, cbChar);
    if (!hKey)
        return ERROR_INVALID_HANDLE;
    if (!pText || cchText == 0) {
        pText = NULL;
        cchText = 0;
    }
    DWORD cbData = BufferBytes(cchText, cbChar);
    LONG lResult = cbChar == sizeof(WCHAR)
                       ? RegQueryValueExW(hKey, (const WCHAR *)pName, NULL, NULL, pText, &cbData)
                       : RegQueryValueExA(hKey, (const char *)pName, NULL, NULL, pText, &cbData);
    if (!pText && lResult == ERROR_SUCCESS)
        lResult = ERROR_MORE_DATA;
    return FinishText(lResult, pText, cchText, cbChar, cbData, pcchNeeded);
}

LONG RegReadTextA(HKEY hKey, const char *pszName, char *pszText, DWORD cchText, DWORD *pcchNeeded)
{
    return ReadText(hKey, pszName, sizeof(char), (BYTE *)pszText, cchText, pcchNeeded);
}

LONG RegReadTextW(HKEY hKey, const WCHAR *pszName, WCHAR *pszText, DWORD cchText, DWORD *pcchNeeded)
{
    return ReadText(hKey, pszName, sizeof(WCHAR), (BYTE *)pszText, cchText, pcchNeeded);
}
