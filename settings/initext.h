/* Internal to the settings library: text values of the INI export, written
 * so that the private-profile readers give them back whole. The escape is
 * percent-encoding of UTF-8 ("%0D%0A" for a line break), used only where a
 * value would otherwise be cut, trimmed, unquoted or turned into '?'; see
 * docs/settings-ini-export.md. DecodeIniValue (iniexport.h) reverses it. */
#ifndef JH_SETTINGS_INITEXT_H
#define JH_SETTINGS_INITEXT_H

#include <windows.h>

/* How an INI file stores its text, which decides what it can hold. */
typedef enum IniEncoding {
    INI_ENCODING_ANSI = 0, /* the ANSI code page: what a new file gets */
    INI_ENCODING_UTF8,     /* UTF-8: a file with its byte-order mark, or ANSI when that is UTF-8 */
    INI_ENCODING_UTF16     /* UTF-16: a file with its byte-order mark */
} IniEncoding;

/* The encoding of pszFile as the private-profile writer will keep it: the
 * file's byte-order mark; ANSI without one or when the file is missing. */
IniEncoding IniFileEncoding(const WCHAR *pszFile);

/* Whether a file of that encoding holds every character of pszText as it
 * is (names are written unescaped). */
BOOL IniEncodingHolds(const WCHAR *pszText, IniEncoding encoding);

/* pText (cchText characters, NULs included) as a value line of an INI file
 * of that encoding: a terminated heap string (HeapFree), NULL when out of
 * memory. A value that needs no escape comes back unchanged. */
WCHAR *IniEncodeValue(const WCHAR *pText, size_t cchText, IniEncoding encoding);

#endif
