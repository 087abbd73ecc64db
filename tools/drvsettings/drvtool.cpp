/* The work of drvsettings.exe: device modes in, INI profiles out. */
#include "tools/drvsettings/drvtool.h"
#include "settings/iniexport.h"

#include <winspool.h>
#include <cstring>
#include <cwchar>

#define TOOL_PATH_CCH 32768  /* longest path that the wide file functions take */

/* A default that no exported value can be: tells a missing key from an
 * empty one. */
static const WCHAR g_szMissing[] = L"\x01missing\x01";

int LoadDevModeFile(const WCHAR *pszPath, DriverDevMode *pDevMode, DWORD *pdwError)
{
    DWORD dwError = ERROR_INVALID_PARAMETER;
    if (!pszPath || !pDevMode || !pdwError)
        return 0;
    HANDLE hFile = CreateFileW(pszPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE) {
        *pdwError = GetLastError();
        return 0;
    }
    LARGE_INTEGER liSize = {};
    DWORD cbRead = 0;
    if (!GetFileSizeEx(hFile, &liSize))
        dwError = GetLastError();
    else if (liSize.QuadPart != DRIVER_DEVMODE_SIZE)
        dwError = ERROR_BAD_LENGTH;
    else if (!ReadFile(hFile, pDevMode, DRIVER_DEVMODE_SIZE, &cbRead, NULL))
        dwError = GetLastError();
    else if (cbRead != DRIVER_DEVMODE_SIZE)
        dwError = ERROR_BAD_LENGTH;
    else
        dwError = ERROR_SUCCESS;
    CloseHandle(hFile);
    if (dwError != ERROR_SUCCESS) {
        *pdwError = dwError;
        return 0;
    }
    DevMode_TerminateStrings(pDevMode);
    return 1;
}

int BlockFromPrinterDevMode(const DEVMODEW *pPrinterDevMode, DWORD cbDevMode, DriverDevMode *pDevMode)
{
    if (!pPrinterDevMode || !pDevMode || cbDevMode < offsetof(DEVMODEW, dmFields))
        return 0;
    DevMode_Initialize(pDevMode);
    DWORD cbPublic = pPrinterDevMode->dmSize;
    if (cbPublic > DRIVER_DEVMODE_PUBLIC_SIZE)
        cbPublic = DRIVER_DEVMODE_PUBLIC_SIZE;
    if (cbPublic > cbDevMode)
        cbPublic = cbDevMode;
    BOOL bWhole = pPrinterDevMode->dmSize == DRIVER_DEVMODE_PUBLIC_SIZE &&
                  pPrinterDevMode->dmDriverExtra == DRIVER_DEVMODE_PRIVATE_SIZE && cbDevMode >= DRIVER_DEVMODE_SIZE;
    memcpy(pDevMode, pPrinterDevMode, bWhole ? DRIVER_DEVMODE_SIZE : cbPublic);
    /* Sizes of the block as built, whatever the printer's device mode said. */
    pDevMode->dmPublic.dmSize = DRIVER_DEVMODE_PUBLIC_SIZE;
    pDevMode->dmPublic.dmDriverExtra = DRIVER_DEVMODE_PRIVATE_SIZE;
    DevMode_TerminateStrings(pDevMode);
    return bWhole ? 1 : 0;
}

/* The printer's default device mode from DocumentPropertiesW, in a heap
 * block of *pcb bytes; NULL when the driver gives none. */
static DEVMODEW *DocumentDefaults(HANDLE hPrinter, WCHAR *pszPrinter, DWORD *pcb)
{
    LONG cb = DocumentPropertiesW(NULL, hPrinter, pszPrinter, NULL, NULL, 0);
    if (cb <= 0)
        return NULL;
    DEVMODEW *pDm = (DEVMODEW *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, (SIZE_T)cb);
    if (pDm && DocumentPropertiesW(NULL, hPrinter, pszPrinter, pDm, NULL, DM_OUT_BUFFER) != IDOK) {
        HeapFree(GetProcessHeap(), 0, pDm);
        pDm = NULL;
    }
    *pcb = (DWORD)cb;
    return pDm;
}

/* Builds the block from the printer's level-2 information, or from
 * DocumentPropertiesW when that holds no device mode. */
static int BlockFromOpenPrinter(HANDLE hPrinter, WCHAR *pszPrinter, DriverDevMode *pDevMode, DWORD *pdwError)
{
    DWORD cbNeeded = 0;
    GetPrinterW(hPrinter, 2, NULL, 0, &cbNeeded);
    BYTE *pInfo = cbNeeded ? (BYTE *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, cbNeeded) : NULL;
    int nResult = 0;
    if (pInfo && GetPrinterW(hPrinter, 2, pInfo, cbNeeded, &cbNeeded) && ((PRINTER_INFO_2W *)pInfo)->pDevMode) {
        const DEVMODEW *pDm = ((PRINTER_INFO_2W *)pInfo)->pDevMode;
        BlockFromPrinterDevMode(pDm, (DWORD)pDm->dmSize + pDm->dmDriverExtra, pDevMode);
        nResult = 1;
    } else {
        DWORD cbDm = 0;
        DEVMODEW *pDm = DocumentDefaults(hPrinter, pszPrinter, &cbDm);
        if (pDm) {
            BlockFromPrinterDevMode(pDm, cbDm, pDevMode);
            HeapFree(GetProcessHeap(), 0, pDm);
            nResult = 1;
        } else {
            *pdwError = GetLastError() ? GetLastError() : ERROR_INVALID_DATA;
        }
    }
    if (pInfo)
        HeapFree(GetProcessHeap(), 0, pInfo);
    return nResult;
}

int LoadPrinterDevMode(const WCHAR *pszPrinter, DriverDevMode *pDevMode, DWORD *pdwError)
{
    if (!pszPrinter || !pszPrinter[0] || !pDevMode || !pdwError) {
        if (pdwError)
            *pdwError = ERROR_INVALID_PRINTER_NAME;
        return 0;
    }
    size_t cchName = wcslen(pszPrinter) + 1;
    WCHAR *pszName = (WCHAR *)HeapAlloc(GetProcessHeap(), 0, cchName * sizeof(WCHAR));
    if (!pszName) {
        *pdwError = ERROR_NOT_ENOUGH_MEMORY;
        return 0;
    }
    wmemcpy(pszName, pszPrinter, cchName);
    HANDLE hPrinter = NULL;
    int nResult = 0;
    if (!OpenPrinterW(pszName, &hPrinter, NULL)) {
        *pdwError = GetLastError() ? GetLastError() : ERROR_INVALID_PRINTER_NAME;
    } else {
        nResult = BlockFromOpenPrinter(hPrinter, pszName, pDevMode, pdwError);
        ClosePrinter(hPrinter);
    }
    HeapFree(GetProcessHeap(), 0, pszName);
    return nResult;
}

/* Creates (or empties) the INI file at its full path, so that a folder that
 * does not exist or a file that cannot be written is reported with its
 * error before anything is exported. */
static int PrepareIniFile(const WCHAR *pszIniFile, WCHAR *pszFullPath, DWORD cchFullPath, DWORD *pdwError)
{
    DWORD cchFull = GetFullPathNameW(pszIniFile, cchFullPath, pszFullPath, NULL);
    if (cchFull == 0 || cchFull >= cchFullPath) {
        *pdwError = cchFull ? ERROR_FILENAME_EXCED_RANGE : GetLastError();
        return 0;
    }
    HANDLE hFile = CreateFileW(pszFullPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE) {
        *pdwError = GetLastError();
        return 0;
    }
    CloseHandle(hFile);
    return 1;
}

int ExportToIniFile(const DriverDevMode *pDevMode, const WCHAR *pszIniFile, DWORD *pdwError)
{
    if (!pDevMode || !pszIniFile || !pszIniFile[0] || !pdwError) {
        if (pdwError)
            *pdwError = ERROR_INVALID_PARAMETER;
        return 0;
    }
    WCHAR *pszFullPath = (WCHAR *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, TOOL_PATH_CCH * sizeof(WCHAR));
    if (!pszFullPath) {
        *pdwError = ERROR_NOT_ENOUGH_MEMORY;
        return 0;
    }
    int nResult = 0;
    if (PrepareIniFile(pszIniFile, pszFullPath, TOOL_PATH_CCH, pdwError)) {
        ExportProfileToIni(pDevMode, pszFullPath);
        DWORD dwAttributes = GetFileAttributesW(pszFullPath);
        nResult = dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
        if (!nResult)
            *pdwError = ERROR_WRITE_FAULT;
    }
    HeapFree(GetProcessHeap(), 0, pszFullPath);
    return nResult;
}

int ReadExportedSetting(const DriverDevMode *pDevMode, const WCHAR *pszSection, const WCHAR *pszKey,
                        WCHAR *pszValue, DWORD cchValue, DWORD *pdwError)
{
    if (!pDevMode || !pszSection || !pszKey || !pszValue || cchValue < sizeof(g_szMissing) / sizeof(WCHAR) ||
        !pdwError) {
        if (pdwError)
            *pdwError = ERROR_INVALID_PARAMETER;
        return 0;
    }
    WCHAR szTempDir[MAX_PATH + 1] = {0};
    WCHAR szTempFile[MAX_PATH + 1] = {0};
    DWORD cchDir = GetTempPathW(MAX_PATH + 1, szTempDir);
    if (cchDir == 0 || cchDir > MAX_PATH || !GetTempFileNameW(szTempDir, L"drv", 0, szTempFile)) {
        *pdwError = GetLastError() ? GetLastError() : ERROR_PATH_NOT_FOUND;
        return 0;
    }
    int nResult = 0;
    if (ExportToIniFile(pDevMode, szTempFile, pdwError)) {
        GetPrivateProfileStringW(pszSection, pszKey, g_szMissing, pszValue, cchValue, szTempFile);
        pszValue[cchValue - 1] = 0;
        nResult = wcscmp(pszValue, g_szMissing) != 0;
        if (nResult)
            DecodeIniValue(pszValue, pszValue, cchValue); /* in place: never longer */
        if (!nResult) {
            pszValue[0] = 0;
            *pdwError = ERROR_NOT_FOUND;
        }
    }
    DeleteFileW(szTempFile);
    return nResult;
}
