/* Internal key-path helpers of the settings library. */
#include "settings/regpath.h"
#include "settings/printername.h"

#include <cstring>
#include <cwchar>

BOOL RegSubstitute(const WCHAR *pszPattern, const WCHAR *pszInsert, WCHAR *pszOut, size_t cchOut)
{
    const WCHAR *pszSlot = wcsstr(pszPattern, L"%s");
    if (!pszSlot)
        return FALSE;
    size_t cchHead = (size_t)(pszSlot - pszPattern);
    size_t cchInsert = wcslen(pszInsert);
    size_t cchTail = wcslen(pszSlot + 2);
    if (cchHead + cchInsert + cchTail + 1 > cchOut)
        return FALSE;
    wmemcpy(pszOut, pszPattern, cchHead);
    wmemcpy(pszOut + cchHead, pszInsert, cchInsert);
    wmemcpy(pszOut + cchHead + cchInsert, pszSlot + 2, cchTail + 1);
    return TRUE;
}

BOOL RegFormatIndexName(const WCHAR *pszPattern, int nIndex, WCHAR *pszOut, size_t cchOut)
{
    const WCHAR *pszSlot = wcsstr(pszPattern, L"%d");
    if (!pszSlot) {
        if (wcslen(pszPattern) + 1 > cchOut)
            return FALSE;
        wcscpy(pszOut, pszPattern);
        return TRUE;
    }
    WCHAR szNumber[16];
    swprintf(szNumber, 16, L"%d", nIndex);
    size_t cchHead = (size_t)(pszSlot - pszPattern);
    size_t cchNumber = wcslen(szNumber);
    size_t cchTail = wcslen(pszSlot + 2);
    if (cchHead + cchNumber + cchTail + 1 > cchOut)
        return FALSE;
    wmemcpy(pszOut, pszPattern, cchHead);
    wmemcpy(pszOut + cchHead, szNumber, cchNumber);
    wmemcpy(pszOut + cchHead + cchNumber, pszSlot + 2, cchTail + 1);
    return TRUE;
}

BOOL RegPathBuild(const DriverDevMode *pDevMode, const WCHAR *pszRoot, const WCHAR *pszPattern,
                  WCHAR *pszPath, size_t cchPath)
{
    if (!pDevMode || !pszRoot || !pszPattern)
        return FALSE;
    WCHAR szPrinter[PRINTER_NAME_CCH];
    if (!GetUsablePrinterName(pDevMode, szPrinter))
        return FALSE;
    size_t cchRoot = wcslen(pszRoot);
    if (cchRoot + 2 > cchPath)
        return FALSE;
    wcscpy(pszPath, pszRoot);
    pszPath[cchRoot] = L'\\';
    return RegSubstitute(pszPattern, szPrinter, pszPath + cchRoot + 1, cchPath - cchRoot - 1);
}

BOOL RegPathOpen(const DriverDevMode *pDevMode, const WCHAR *pszRoot, const WCHAR *pszPattern,
                 const WCHAR *pszName, HKEY *phKey)
{
    WCHAR szPath[REG_PATH_CCH];
    if (!pszName || !RegPathBuild(pDevMode, pszRoot, pszPattern, szPath, REG_PATH_CCH))
        return FALSE;
    return RegOpenKeyExW(HKEY_CURRENT_USER, szPath, 0, KEY_QUERY_VALUE, phKey) == ERROR_SUCCESS;
}

int RegPathWriteValue(const DriverDevMode *pDevMode, const WCHAR *pszRoot, const WCHAR *pszPattern,
                      const WCHAR *pszName, DWORD dwType, const void *pData, DWORD cbData)
{
    if (!pDevMode || !pszRoot || !pszPattern || !pszName || !pData)
        return 0;
    WCHAR szPrinter[PRINTER_NAME_CCH];
    WCHAR szSubKey[REG_PATH_CCH];
    if (!GetUsablePrinterName(pDevMode, szPrinter) || !RegSubstitute(pszPattern, szPrinter, szSubKey, REG_PATH_CCH))
        return 0;

    HKEY hRoot = NULL;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, pszRoot, 0, (LPWSTR)L"", 0,
                        KEY_CREATE_SUB_KEY | KEY_SET_VALUE | KEY_QUERY_VALUE, NULL, &hRoot,
                        NULL) != ERROR_SUCCESS)
        return 0;
    int nResult = 0;
    HKEY hSub = NULL;
    if (RegCreateKeyW(hRoot, szSubKey, &hSub) == ERROR_SUCCESS) {
        if (RegSetValueExW(hSub, pszName, 0, dwType, (const BYTE *)pData, cbData) == ERROR_SUCCESS)
            nResult = 1;
        RegCloseKey(hSub);
    }
    RegCloseKey(hRoot);
    return nResult;
}

BOOL RegCopyField(const WCHAR *pszField, size_t cchField, WCHAR *pszOut, size_t cchOut)
{
    if (!pszField || !pszOut || cchOut == 0)
        return FALSE;
    size_t cch = 0;
    while (cch < cchField && pszField[cch])
        cch++;
    if (cch + 1 > cchOut)
        return FALSE;
    wmemcpy(pszOut, pszField, cch);
    pszOut[cch] = 0;
    return TRUE;
}

int RegDeliverText(const WCHAR *pszText, WCHAR *pszBuffer, DWORD *pcbSize)
{
    DWORD cbNeeded = (DWORD)((wcslen(pszText) + 1) * sizeof(WCHAR));
    if (!pszBuffer || *pcbSize < cbNeeded) {
        *pcbSize = cbNeeded;
        return 0;
    }
    memcpy(pszBuffer, pszText, cbNeeded);
    *pcbSize = cbNeeded;
    return 1;
}
