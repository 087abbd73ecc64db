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
 * result, or 0 when the section, key or path is absent. */
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
 * as 0. */
DRVSETTINGS_API int ExportProfileToIni(const DriverDevMode *pDevMode, const WCHAR *pszIniFile);

#ifdef __cplusplus
}
#endif

#endif
