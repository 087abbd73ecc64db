/* Internal helpers of the settings library: key paths built from a pattern
 * and the printer's registry name, and the few block fields that the
 * registry side needs. Not exported. */
#ifndef JH_SETTINGS_REGPATH_H
#define JH_SETTINGS_REGPATH_H

#include <windows.h>
#include "settings/devmode.h"

#define REG_PATH_CCH    1024 /* composed key paths */
#define REG_PATTERN_CCH 160  /* sub-key patterns */
#define REG_NAME_CCH    160  /* value names */

/* Replaces the first "%s" of pszPattern with pszInsert; FALSE when the
 * result does not fit cchOut characters or there is no "%s". */
BOOL RegSubstitute(const WCHAR *pszPattern, const WCHAR *pszInsert, WCHAR *pszOut, size_t cchOut);
/* Replaces the first "%d" of pszPattern with nIndex in decimal (a name
 * without "%d" is copied unchanged). */
BOOL RegFormatIndexName(const WCHAR *pszPattern, int nIndex, WCHAR *pszOut, size_t cchOut);
/* HKCU path root\(pattern with the printer's registry name). FALSE for an
 * absent argument or an empty printer name. */
BOOL RegPathBuild(const DriverDevMode *pDevMode, const WCHAR *pszRoot, const WCHAR *pszPattern,
                  WCHAR *pszPath, size_t cchPath);
/* Opens root\pattern for KEY_QUERY_VALUE; pszName only has to be present. */
BOOL RegPathOpen(const DriverDevMode *pDevMode, const WCHAR *pszRoot, const WCHAR *pszPattern,
                 const WCHAR *pszName, HKEY *phKey);
/* Creates or opens root, then pattern under it, and sets one value. */
int RegPathWriteValue(const DriverDevMode *pDevMode, const WCHAR *pszRoot, const WCHAR *pszPattern,
                      const WCHAR *pszName, DWORD dwType, const void *pData, DWORD cbData);

/* Copies at most cchField characters of a block string field (which may
 * lack its terminator) into pszOut, terminated; FALSE when it does not fit
 * or the field is absent. */
BOOL RegCopyField(const WCHAR *pszField, size_t cchField, WCHAR *pszOut, size_t cchOut);
/* Hands a terminated string to a caller's buffer: 1 with *pcbSize = its
 * size in bytes with the terminator; 0 with that needed size in *pcbSize
 * (buffer untouched) when the buffer is absent or smaller. */
int RegDeliverText(const WCHAR *pszText, WCHAR *pszBuffer, DWORD *pcbSize);

#endif
