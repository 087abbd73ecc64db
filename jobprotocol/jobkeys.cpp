/*
 * Job key protocol: readers and deletions of the per-job keys that the port
 * monitor writes under the root key of HKEY_CURRENT_USER.
 */
#include "jobprotocol/jobkeys.h"
#include "settings/regtext.h"

#include <cstdio>
#include <cstring>

#define STATE_BUFFER_SIZE 260
#define DWORD_TEXT_SIZE   32 /* a 32-bit value stored as decimal text, blanks included */

/* Formats into pszPath; FALSE (buffer untouched) when the text would not fit. */
static BOOL FormatPath(char *pszPath, size_t cchPath, const char *pszFormat, const char *pszPrinterName,
                       int nJobNumber, DWORD dwPage)
{
    char szTemp[KEY_PATH_SIZE * 4];
    if (!pszPath || !pszPrinterName || cchPath == 0)
        return FALSE;
    int n = snprintf(szTemp, sizeof(szTemp), pszFormat, pszPrinterName, nJobNumber, (int)dwPage);
    if (n < 0 || (size_t)n >= cchPath || (size_t)n >= sizeof(szTemp) || n > JOB_KEY_PATH_MAX)
        return FALSE;
    memcpy(pszPath, szTemp, (size_t)n + 1);
    return TRUE;
}

BOOL FormatJobKeyPath(const char *pszPrinterName, int nJobNumber, char *pszPath, size_t cchPath)
{
    return FormatPath(pszPath, cchPath, JH_ROOT_KEY "%s\\%d", pszPrinterName, nJobNumber, 0);
}

BOOL FormatPageKeyPath(const char *pszPrinterName, int nJobNumber, DWORD dwPage, char *pszPath, size_t cchPath)
{
    return FormatPath(pszPath, cchPath, JH_ROOT_KEY "%s\\Forwarding\\%d_%d", pszPrinterName, nJobNumber, dwPage);
}

BOOL FormatJobSettingsKeyPath(const char *pszPrinterName, int nJobNumber, char *pszPath, size_t cchPath)
{
    return FormatPath(pszPath, cchPath, JH_ROOT_KEY "%s\\Save As Option Settings\\%d", pszPrinterName,
                      nJobNumber, 0);
}

BOOL FormatEmailKeyPath(const char *pszPrinterName, int nJobNumber, char *pszPath, size_t cchPath)
{
    return FormatPath(pszPath, cchPath, JH_ROOT_KEY "%s\\Email_TMP\\%d", pszPrinterName, nJobNumber, 0);
}

BOOL FormatSharePointKeyPath(const char *pszPrinterName, int nJobNumber, char *pszPath, size_t cchPath)
{
    return FormatPath(pszPath, cchPath, JH_ROOT_KEY "%s\\SharePoint_TMP\\%d", pszPrinterName, nJobNumber, 0);
}

/* The page number whose key path is the longest: page numbers are formatted
 * signed, and this one gives "-2147483648". */
#define LONGEST_PAGE_NUMBER 0x80000000u

BOOL JobKeyPathsFit(const char *pszPrinterName, int nJobNumber)
{
    char szPath[KEY_PATH_SIZE];
    return FormatJobKeyPath(pszPrinterName, nJobNumber, szPath, sizeof(szPath)) &&
           FormatPageKeyPath(pszPrinterName, nJobNumber, 0, szPath, sizeof(szPath)) &&
           FormatPageKeyPath(pszPrinterName, nJobNumber, LONGEST_PAGE_NUMBER, szPath, sizeof(szPath)) &&
           FormatJobSettingsKeyPath(pszPrinterName, nJobNumber, szPath, sizeof(szPath)) &&
           FormatEmailKeyPath(pszPrinterName, nJobNumber, szPath, sizeof(szPath)) &&
           FormatSharePointKeyPath(pszPrinterName, nJobNumber, szPath, sizeof(szPath));
}

/* Opens an HKCU key for reading; NULL when it cannot be opened. */
static HKEY OpenKey(const char *pszPath)
{
    HKEY hKey = NULL;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, pszPath, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return NULL;
    return hKey;
}

/* Reads a value's raw data into a buffer of *pcb bytes; TRUE when it fit. */
static BOOL QueryValue(HKEY hKey, const char *pszName, void *pData, DWORD *pcb)
{
    return RegQueryValueExA(hKey, pszName, NULL, NULL, (BYTE *)pData, pcb) == ERROR_SUCCESS;
}

/* Converts text holding one decimal number in -2147483648..4294967295, with
 * blanks around it, into its 32-bit pattern; FALSE for any other text. */
static BOOL ParseDecimalDword(const char *pszText, DWORD *pdw)
{
    while (*pszText == ' ' || *pszText == '\t')
        pszText++;
    BOOL bNegative = (*pszText == '-');
    if (*pszText == '+' || *pszText == '-')
        pszText++;
    if (*pszText < '0' || *pszText > '9')
        return FALSE;
    ULONGLONG ullValue = 0;
    for (; *pszText >= '0' && *pszText <= '9'; pszText++) {
        ullValue = ullValue * 10 + (ULONGLONG)(*pszText - '0');
        if (ullValue > 0xFFFFFFFFull)
            return FALSE;
    }
    while (*pszText == ' ' || *pszText == '\t')
        pszText++;
    if (*pszText != '\0' || (bNegative && ullValue > 0x80000000ull))
        return FALSE;
    *pdw = bNegative ? (DWORD)(0 - (DWORD)ullValue) : (DWORD)ullValue;
    return TRUE;
}

/* Reads a 32-bit value of the protocol: REG_DWORD data of 4 bytes, or
 * decimal text (ParseDecimalDword). Anything else counts as missing; *pdw
 * is then left as it was. */
static BOOL QueryDword(HKEY hKey, const char *pszName, DWORD *pdw)
{
    BYTE abData[sizeof(DWORD)];
    DWORD dwType = REG_NONE;
    DWORD cb = sizeof(abData);
    LONG lResult = RegQueryValueExA(hKey, pszName, NULL, &dwType, abData, &cb);
    if (lResult != ERROR_SUCCESS && lResult != ERROR_MORE_DATA)
        return FALSE;
    if (dwType == REG_DWORD) {
        if (lResult != ERROR_SUCCESS || cb != sizeof(DWORD))
            return FALSE;
        memcpy(pdw, abData, sizeof(DWORD));
        return TRUE;
    }
    if (dwType != REG_SZ && dwType != REG_EXPAND_SZ)
        return FALSE;
    char szText[DWORD_TEXT_SIZE];
    if (RegReadTextA(hKey, pszName, szText, sizeof(szText), NULL) != ERROR_SUCCESS)
        return FALSE;
    return ParseDecimalDword(szText, pdw);
}

/* Reads a string value into a buffer of *pcb bytes, terminated; out, the
 * bytes the value needs with its terminator. A value that cannot be read or
 * does not fit leaves the buffer as it was. */
static BOOL QueryString(HKEY hKey, const char *pszName, char *pszData, DWORD *pcb)
{
    char szText[COMMAND_LINE_SIZE];
    DWORD cchText = *pcb < sizeof(szText) ? *pcb : (DWORD)sizeof(szText);
    DWORD cchNeeded = 0;
    if (RegReadTextA(hKey, pszName, szText, cchText, &cchNeeded) != ERROR_SUCCESS)
        return FALSE;
    memcpy(pszData, szText, strlen(szText) + 1);
    *pcb = cchNeeded;
    return TRUE;
}

static BOOL QueryState(HKEY hKey, const char *pszName, char *pszState, DWORD cbState)
{
    return QueryString(hKey, pszName, pszState, &cbState);
}

/* Whole-string, case-sensitive comparison of a state string. */
static BOOL IsState(const char *pszValue, const char *pszState)
{
    return strcmp(pszValue, pszState) == 0;
}

static HKEY OpenJobKey(const char *pszPrinterName, int nJobNumber)
{
    char szPath[KEY_PATH_SIZE];
    if (!FormatJobKeyPath(pszPrinterName, nJobNumber, szPath, sizeof(szPath)))
        return NULL;
    return OpenKey(szPath);
}

static HKEY OpenPageKey(const char *pszPrinterName, int nJobNumber, DWORD dwPage)
{
    char szPath[KEY_PATH_SIZE];
    if (!FormatPageKeyPath(pszPrinterName, nJobNumber, dwPage, szPath, sizeof(szPath)))
        return NULL;
    return OpenKey(szPath);
}

int StartApp_CheckReady(const char *pszPrinterName, int nJobNumber)
{
    char szReady[STATE_BUFFER_SIZE];
    DWORD dwFlags = 0;
    int nResult = RET_NONE;
    HKEY hKey = OpenJobKey(pszPrinterName, nJobNumber);
    if (!hKey)
        return RET_NONE;
    if (QueryState(hKey, "Ready", szReady, sizeof(szReady)) && IsState(szReady, "YES") &&
        QueryDword(hKey, "Flags", &dwFlags))
        nResult = (dwFlags & SAF_BEFORE_PRINTING) ? RET_START_APP_BEFORE : RET_START_APP_AFTER;
    RegCloseKey(hKey);
    return nResult;
}

/* Reads the application values of a job key whose "Ready" is "YES". */
static int ReadApplicationValues(HKEY hKey, char *pszCommandLine, DWORD cbCommandLine, char *pszAppPath,
                                 DWORD cbAppPath, DWORD *pdwFlags, char *pszEventName, DWORD cbEventName)
{
    DWORD cb = cbAppPath;
    if (!QueryString(hKey, "Server", pszAppPath, &cb))
        return RET_NONE;
    cb = cbCommandLine;
    QueryString(hKey, "Command Line", pszCommandLine, &cb);
    if (!QueryDword(hKey, "Flags", pdwFlags))
        return RET_NONE;
    if (*pdwFlags & SAF_BEFORE_PRINTING) {
        cb = cbEventName;
        if (!pszEventName || !QueryString(hKey, "MessagingInterface", pszEventName, &cb))
            return RET_NONE;
    }
    return RET_START_APP_READY;
}

int StartApp_ReadRegistryKey(const char *pszPrinterName, int nJobNumber, char *pszCommandLine, DWORD cbCommandLine,
                             char *pszAppPath, DWORD cbAppPath, DWORD *pdwFlags, char *pszEventName,
                             DWORD cbEventName)
{
    int nResult = RET_NONE;
    if (!pszCommandLine || !pszAppPath || !pdwFlags)
        return RET_NONE;
    HKEY hKey = OpenJobKey(pszPrinterName, nJobNumber);
    if (!hKey)
        return RET_NONE;
    /* "Ready" is read into the command-line buffer, as the port monitor's
     * own reader does: an absent "Command Line" leaves "YES" there. */
    if (QueryState(hKey, "Ready", pszCommandLine, cbCommandLine)) {
        if (IsState(pszCommandLine, "YES"))
            nResult = ReadApplicationValues(hKey, pszCommandLine, cbCommandLine, pszAppPath, cbAppPath,
                                            pdwFlags, pszEventName, cbEventName);
        else if (IsState(pszCommandLine, "Abort"))
            nResult = RET_START_APP_ABORT;
    }
    RegCloseKey(hKey);
    return nResult;
}

int ReadJobStatusFromRegistryKey(const char *pszPrinterName, int nJobNumber)
{
    char szStatus[STATE_BUFFER_SIZE];
    int nResult = RET_NONE;
    HKEY hKey = OpenJobKey(pszPrinterName, nJobNumber);
    if (!hKey)
        return RET_NONE;
    if (QueryState(hKey, "Job Status", szStatus, sizeof(szStatus))) {
        if (IsState(szStatus, "Job Finished"))
            nResult = RET_JOB_FINISHED;
        else if (IsState(szStatus, "Aborted"))
            nResult = RET_JOB_ABORTED;
    }
    RegCloseKey(hKey);
    return nResult;
}

/* Reads one string value of the key at pszPath into the caller's buffer. */
static BOOL ReadStringAt(const char *pszPath, const char *pszValueName, char *pszData, DWORD *pcbData)
{
    HKEY hKey = OpenKey(pszPath);
    if (!hKey)
        return FALSE;
    BOOL bRead = QueryString(hKey, pszValueName, pszData, pcbData);
    RegCloseKey(hKey);
    return bRead;
}

BOOL ReadJobRegistryString(const char *pszPrinterName, int nJobNumber, const char *pszValueName, char *pszData,
                           DWORD *pcbData)
{
    char szPath[KEY_PATH_SIZE];
    if (!pszData || !pszValueName || !pcbData)
        return FALSE;
    if (!FormatJobKeyPath(pszPrinterName, nJobNumber, szPath, sizeof(szPath)))
        return FALSE;
    return ReadStringAt(szPath, pszValueName, pszData, pcbData);
}

BOOL ReadJobRegistryDword(const char *pszPrinterName, int nJobNumber, const char *pszValueName, DWORD *pdwData)
{
    char szPath[KEY_PATH_SIZE];
    if (!pdwData || !pszValueName)
        return FALSE;
    if (!FormatJobKeyPath(pszPrinterName, nJobNumber, szPath, sizeof(szPath)))
        return FALSE;
    HKEY hKey = OpenKey(szPath);
    if (!hKey)
        return FALSE;
    BOOL bRead = QueryDword(hKey, pszValueName, pdwData);
    RegCloseKey(hKey);
    return bRead;
}

BOOL ReadEmailTmpRegistryValue(int nJobNumber, const char *pszPrinterName, const char *pszValueName, char *pszData,
                               DWORD *pcbData)
{
    char szPath[KEY_PATH_SIZE];
    if (!pszData || !pszValueName || !pszPrinterName || !pcbData)
        return FALSE;
    if (!FormatEmailKeyPath(pszPrinterName, nJobNumber, szPath, sizeof(szPath)))
        return FALSE;
    return ReadStringAt(szPath, pszValueName, pszData, pcbData);
}

BOOL ReadSharePointTmpRegistryValue(int nJobNumber, const char *pszPrinterName, const char *pszValueName,
                                    char *pszData, DWORD *pcbData)
{
    char szPath[KEY_PATH_SIZE];
    if (!pszData || !pszValueName || !pcbData)
        return FALSE;
    if (!FormatSharePointKeyPath(pszPrinterName, nJobNumber, szPath, sizeof(szPath)))
        return FALSE;
    return ReadStringAt(szPath, pszValueName, pszData, pcbData);
}

/* Sets pszRegistryPath to the root followed by the document key's
 * "REDIRECT INFO REGISTRY PATH"; a value that cannot be read, or a path that
 * would not fit KEY_PATH_SIZE, leaves it as it was. */
static void ReadRedirectSettingsPath(HKEY hKey, char *pszRegistryPath)
{
    char szValue[TEXT_BUFFER_SIZE];
    DWORD cb = sizeof(szValue);
    if (!QueryString(hKey, KEY_REGISTRY_PATH, szValue, &cb))
        return;
    char szPath[KEY_PATH_SIZE];
    int n = snprintf(szPath, sizeof(szPath), "%s%s", JH_ROOT_KEY, szValue);
    if (n < 0 || (size_t)n >= sizeof(szPath))
        return;
    memcpy(pszRegistryPath, szPath, (size_t)n + 1);
}

int ReadEndDocFromRegistryKey(const char *pszPrinterName, int nJobNumber, DWORD *pdwPageCount,
                              char *pszDocumentName, char *pszRegistryPath)
{
    char szReady[STATE_BUFFER_SIZE];
    int nResult = RET_NONE;
    if (!pdwPageCount)
        return RET_NONE;
    HKEY hKey = OpenPageKey(pszPrinterName, nJobNumber, 0);
    if (!hKey)
        return RET_NONE;
    if (!QueryState(hKey, "Ready", szReady, sizeof(szReady))) {
        RegCloseKey(hKey);
        return RET_NONE;
    }
    if (IsState(szReady, "No Redirect")) {
        RegCloseKey(hKey);
        return RET_REDIRECT_PRINTING_DISABLED;
    }
    if (IsState(szReady, "YES")) {
        QueryDword(hKey, "PAGENUMBER", pdwPageCount);
        nResult = RET_REDIRECT_PRINTING_FINISHED;
    } else if (IsState(szReady, "Printing")) {
        nResult = RET_REDIRECT_PRINTING_PRINTING;
    }
    if (pszDocumentName) {
        char szName[TEXT_BUFFER_SIZE];
        DWORD cb = sizeof(szName);
        if (QueryString(hKey, KEY_DOCUMENT_NAME, szName, &cb))
            memcpy(pszDocumentName, szName, strlen(szName) + 1);
    }
    if (pszRegistryPath)
        ReadRedirectSettingsPath(hKey, pszRegistryPath);
    RegCloseKey(hKey);
    return nResult;
}

/* Reads "Forwarding", "Size" and "DevModeSize", then "DevMode" into a new
 * buffer handed to the caller. A "Forwarding" that cannot be read whole
 * empties the name: the page is consumed without a file to delete. */
static int ReadReadyPage(HKEY hKey, char *pszFileName, DWORD cbFileName, DWORD *pdwFileSize, BYTE **ppDevMode,
                         DWORD *pdwDevModeSize)
{
    DWORD cb = cbFileName;
    if (!QueryString(hKey, "Forwarding", pszFileName, &cb)) {
        if (cbFileName > 0)
            pszFileName[0] = '\0';
        return RET_PAGE_READY;
    }
    DWORD dwDevModeSize = 0;
    if (!QueryDword(hKey, "Size", pdwFileSize) || !QueryDword(hKey, "DevModeSize", &dwDevModeSize) ||
        dwDevModeSize > DEVMODE_MAX_SIZE)
        return RET_PAGE_READY;
    *pdwDevModeSize = dwDevModeSize;
    if (!ppDevMode)
        return RET_NONE;
    BYTE *pDevMode = (BYTE *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, *pdwDevModeSize ? *pdwDevModeSize : 1);
    if (!pDevMode)
        return RET_NONE;
    *ppDevMode = pDevMode;
    cb = *pdwDevModeSize;
    return QueryValue(hKey, "DevMode", pDevMode, &cb) ? RET_PAGE_READY : RET_NONE;
}

int RedirectPrinting_ReadRegistryKey(const char *pszPrinterName, int nJobNumber, DWORD dwPage, char *pszFileName,
                                     DWORD cbFileName, DWORD *pdwFileSize, BYTE **ppDevMode, DWORD *pdwDevModeSize)
{
    char szReady[STATE_BUFFER_SIZE];
    int nResult = RET_NONE;
    if (!pszFileName || !pdwFileSize || !pdwDevModeSize)
        return RET_NONE;
    HKEY hKey = OpenPageKey(pszPrinterName, nJobNumber, dwPage);
    if (!hKey)
        return RET_NONE;
    if (QueryState(hKey, "Ready", szReady, sizeof(szReady))) {
        if (IsState(szReady, "YES"))
            nResult = ReadReadyPage(hKey, pszFileName, cbFileName, pdwFileSize, ppDevMode, pdwDevModeSize);
        else if (IsState(szReady, "Abort"))
            nResult = RET_PAGE_ABORT;
    }
    RegCloseKey(hKey);
    return nResult;
}

BOOL RedirectPrinting_ReadFileNameRegistryKey(const char *pszPrinterName, int nJobNumber, DWORD dwPage,
                                              char *pszFileName)
{
    DWORD cb = TEXT_BUFFER_SIZE;
    if (!pszFileName)
        return FALSE;
    HKEY hKey = OpenPageKey(pszPrinterName, nJobNumber, dwPage);
    if (!hKey)
        return FALSE;
    BOOL bRead = QueryString(hKey, "Forwarding", pszFileName, &cb);
    RegCloseKey(hKey);
    return bRead;
}

BOOL RedirectPrinting_ReadNumberOfCopies(const char *pszPrinterName, int nJobNumber, DWORD *pdwCopies)
{
    HKEY hKey = OpenPageKey(pszPrinterName, nJobNumber, 0);
    if (!hKey)
        return TRUE;
    DWORD dwCopies = 0;
    BOOL bRead = QueryDword(hKey, "Number of copies", &dwCopies);
    if (bRead && pdwCopies)
        *pdwCopies = dwCopies;
    RegCloseKey(hKey);
    return bRead;
}

BOOL RedirectPrinting_ReadBatesNumbers(const char *pszPrinterName, int nJobNumber, int *pnCurrentBatesNumber,
                                       int *pnBatesStartNumber)
{
    HKEY hKey = OpenPageKey(pszPrinterName, nJobNumber, 0);
    if (!hKey)
        return TRUE;
    DWORD dwStart = 0, dwCurrent = 0;
    BOOL bStart = QueryDword(hKey, "Bates start number", &dwStart);
    BOOL bCurrent = QueryDword(hKey, "Current Bates number", &dwCurrent);
    if (bStart && pnBatesStartNumber)
        *pnBatesStartNumber = (int)dwStart;
    if (bCurrent && pnCurrentBatesNumber)
        *pnCurrentBatesNumber = (int)dwCurrent;
    RegCloseKey(hKey);
    return bStart && bCurrent;
}

DWORD RedirectPrinting_ReadPrinterCount(const char *pszRegistryPath)
{
    DWORD dwCount = 0;
    if (!pszRegistryPath)
        return 0;
    HKEY hKey = OpenKey(pszRegistryPath);
    if (!hKey)
        return 0;
    if (!QueryDword(hKey, "Printer count", &dwCount))
        dwCount = 0;
    RegCloseKey(hKey);
    return dwCount;
}

BOOL RedirectPrinting_ReadPrinterName(const char *pszRegistryPath, int nIndex, char *pszName, DWORD *pcbName)
{
    char szValueName[32];
    if (!pszRegistryPath || !pszName || !pcbName)
        return FALSE;
    wsprintfA(szValueName, PRINTER_NAME, nIndex + 1);
    return ReadStringAt(pszRegistryPath, szValueName, pszName, pcbName);
}

static void DeleteKeyAt(const char *pszPath)
{
    RegDeleteKeyA(HKEY_CURRENT_USER, pszPath);
}

void DeleteJobRegistryKey(const char *pszPrinterName, int nJobNumber)
{
    char szPath[KEY_PATH_SIZE];
    if (FormatJobKeyPath(pszPrinterName, nJobNumber, szPath, sizeof(szPath)))
        DeleteKeyAt(szPath);
}

BOOL DeletePortMonitorFinishedTheJobRegistryKey(const char *pszPrinterName, int nJobNumber)
{
    char szPath[KEY_PATH_SIZE];
    if (!FormatJobKeyPath(pszPrinterName, nJobNumber, szPath, sizeof(szPath)))
        return TRUE;
    HKEY hKey = NULL;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, szPath, 0, KEY_SET_VALUE, &hKey) == ERROR_SUCCESS) {
        RegDeleteValueA(hKey, "Job Status");
        RegCloseKey(hKey);
    }
    DeleteKeyAt(szPath);
    return TRUE;
}

void DeleteSaveAsOptionSettingsRegistryKey(const char *pszPrinterName, int nJobNumber)
{
    char szPath[KEY_PATH_SIZE];
    if (FormatJobSettingsKeyPath(pszPrinterName, nJobNumber, szPath, sizeof(szPath)))
        DeleteKeyAt(szPath);
}

void RedirectPrinting_DeletePageRegistryKey(const char *pszPrinterName, int nJobNumber, DWORD dwPage)
{
    char szPath[KEY_PATH_SIZE];
    if (FormatPageKeyPath(pszPrinterName, nJobNumber, dwPage, szPath, sizeof(szPath)))
        DeleteKeyAt(szPath);
}

void DeleteAbortedJobRegistryKeys(const char *pszPrinterName, int nJobNumber)
{
    char szFileName[TEXT_BUFFER_SIZE];
    DeletePortMonitorFinishedTheJobRegistryKey(pszPrinterName, nJobNumber);
    RedirectPrinting_DeletePageRegistryKey(pszPrinterName, nJobNumber, 0);
    for (DWORD dwPage = 1; dwPage != 0; dwPage++) {
        memset(szFileName, 0, sizeof(szFileName));
        if (!RedirectPrinting_ReadFileNameRegistryKey(pszPrinterName, nJobNumber, dwPage, szFileName))
            break;
        szFileName[sizeof(szFileName) - 1] = '\0';
        if (szFileName[0])
            DeleteFileA(szFileName);
        RedirectPrinting_DeletePageRegistryKey(pszPrinterName, nJobNumber, dwPage);
    }
}
