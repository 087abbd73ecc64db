/*
 * Bounded readers of registry text, one per character width. Every module
 * that reads a text value goes through them; the rules of particular values
 * (a default text, a value that must fit exactly, a buffer left untouched on
 * failure) are built on top by their callers.
 */
#ifndef JH_SETTINGS_REGTEXT_H
#define JH_SETTINGS_REGTEXT_H

#include <windows.h>

/* Reads the value pszName (NULL or "" for the default value) of the open key
 * hKey, whatever its type, as text into pszText, a buffer of cchText
 * characters. Nothing is read or written past cchText characters, and the
 * buffer always ends terminated: it holds the stored text (up to its first
 * NUL) when the stored data fits with a terminator after it, and is empty
 * otherwise. A stored odd trailing byte of UTF-16 text is dropped.
 *
 * *pcchNeeded (optional) receives the characters the stored data needs with
 * its terminator: exact when the value was read (one more than the stored
 * characters when they do not end with a NUL); the stored size rounded up
 * when the value was too large to read (data stored without a terminator
 * then needs one character more, which a call with that size reports); 0
 * when the value cannot be read at all.
 *
 * With no buffer or cchText 0 the call only measures: nothing is written and
 * it gives ERROR_MORE_DATA for a value that exists.
 *
 * Gives ERROR_SUCCESS; ERROR_MORE_DATA when the data does not fit; the
 * registry's code (ERROR_FILE_NOT_FOUND, ...) when the value cannot be read;
 * ERROR_INVALID_HANDLE without a key. */
LONG RegReadTextA(HKEY hKey, const char *pszName, char *pszText, DWORD cchText, DWORD *pcchNeeded);
LONG RegReadTextW(HKEY hKey, const WCHAR *pszName, WCHAR *pszText, DWORD cchText, DWORD *pcchNeeded);

#endif
