/*
 * Export of a printer's settings profile to an INI file: the job's private
 * block together with the printer's registry families, written section by
 * section with WritePrivateProfileStringW.
 *
 * The INI file gets the encoding that WritePrivateProfileStringW gives it:
 * a new file is written in the ANSI code page, an existing UTF-16LE file
 * stays UTF-16LE. Each write replaces a key in place or adds it at the end
 * of its section; sections appear in the order of their first write. A
 * path without a folder names a file in the Windows folder (the platform's
 * rule for private-profile files), so callers pass full paths.
 */
#ifndef JH_SETTINGS_INIEXPORT_H
#define JH_SETTINGS_INIEXPORT_H

#include <windows.h>
#include "devmode.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Read buffers of the export, in bytes (the text that a buffer takes is
 * one character shorter than half its size: the terminator). */
#define INI_CB_REDIRECT_PRINTER   2048
#define INI_CB_PATH               520
#define INI_CB_BATES_COUNT        128
#define INI_CB_BATES_VALUE        1024
#define INI_CB_TEXT               512
#define INI_CB_LONG_TEXT          1032
#define INI_CB_PDF_PASSWORD       128
#define INI_CB_FONT               256

/* WriteIniNumber: writes nValue as signed decimal text under pszSection /
 * pszKey of the INI file pszIniFile. Gives WritePrivateProfileStringW's
 * result; 0 without writing when the section, key or path is absent, or
 * when the names could not be read back: a section or key with a line
 * break (CR or LF) or a character the file's encoding does not hold (a new
 * file is ANSI), a key with "=" or one that starts with "[". */
DRVSETTINGS_API int WriteIniNumber(const WCHAR *pszSection, const WCHAR *pszKey, int nValue,
                                   const WCHAR *pszIniFile);

/* ExportProfileToIni: writes the whole profile of the block's printer to
 * pszIniFile: the block's fields under "Default Settings", then the
 * registry families (redirect printing, first-page watermark images, Bates
 * formats, PDF, SharePoint, HTML, post-print switches, paper list, e-mail),
 * in a fixed order. Registry values are read through the family getters,
 * never through the numbered profiles, whatever FLAG_USE_PROFILE says;
 * passwords are written decoded, in plain text. The block and the
 * registry are only read. Gives 0 when the block or the path is absent (or
 * the path is empty), else 1; single reads or writes that fail are not
 * reported (a missing value gives its getter's default, an empty string or
 * a left-out key). A Bates format value longer than its read buffer is cut
 * to 511 characters; a paper-list number that cannot be read is written
 * as 0. Numbered entries (redirect printers, fonts, Bates formats,
 * papers) are written for the numbers up to their count that the
 * registry holds, so a count far above them costs nothing.
 *
 * Text values are written so that they read back whole: a character that
 * would end the line, be trimmed or unquoted by the private-profile
 * readers, or not be held by the file's encoding, is written as its UTF-8
 * bytes in "%XX" escapes (a line break is "%0D%0A"), and so is a "%" that
 * stands before two upper-case hex digits. A value with none of these is
 * written as it is. DecodeIniValue gives the text back. */
DRVSETTINGS_API int ExportProfileToIni(const DriverDevMode *pDevMode, const WCHAR *pszIniFile);

/* DecodeIniValue: the text of a value read from an exported INI file (with
 * GetPrivateProfileStringW), its "%XX" escapes of UTF-8 turned back into
 * characters, into pszOut (cchOut characters, terminated). Anything that is
 * not such an escape is copied as it is. The text is never longer than the
 * value, so a buffer of the value's size always holds it. Gives 1; 0 (and
 * pszOut untouched) when an argument is absent or the text does not fit.
 * An escaped NUL ("%00") ends the text there for a reader of C strings. */
DRVSETTINGS_API int DecodeIniValue(const WCHAR *pszValue, WCHAR *pszOut, DWORD cchOut);

#ifdef __cplusplus
}
#endif

#endif
