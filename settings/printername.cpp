/* The printer's registry name: the PrinterIDs entry of the block's
 * PrinterId, or the block's device name. */
#include "settings/printername.h"
#include "settings/rootkey.h"

#include <cstring>
#include <cwchar>

/* Copies at most cchName - 1 characters of the value "Printer name" of the
 * open key, terminated. FALSE (buffer untouched) when the value cannot be
 * read; *pbCut tells whether the stored text was longer. */
static BOOL ReadIdsName(HKEY hKey, WCHAR *pszName, DWORD cchName, BOOL *pbCut)
{
    DWORD cbStored = 0;
    if (RegQueryValueExW(hKey, L"Printer name", NULL, NULL, NULL, &cbStored) != ERROR_SUCCESS)
        return FALSE;
    /* The whole value, terminated, then as much of it as fits. */
    SIZE_T cbText = (SIZE_T)cbStored + 2 * sizeof(WCHAR);
    WCHAR *pszText = (WCHAR *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, cbText);
    if (!pszText)
        return FALSE;
    DWORD cbRead = cbStored;
    BOOL bRead = RegQueryValueExW(hKey, L"Printer name", NULL, NULL, (BYTE *)pszText, &cbRead) == ERROR_SUCCESS;
    if (bRead) {
        size_t cch = wcslen(pszText);
        *pbCut = cch + 1 > cchName;
        if (*pbCut)
            cch = cchName - 1;
        wmemcpy(pszName, pszText, cch);
        pszName[cch] = 0;
    }
    HeapFree(GetProcessHeap(), 0, pszText);
    return bRead;
}

PrinterNameSource LookupPrinterName(const DriverDevMode *pDevMode, WCHAR *pszName, DWORD cchName)
{
    if (!pDevMode || !pszName || cchName == 0)
        return PRINTER_NAME_NONE;

    WCHAR szIdPath[64];
    /* The driver writes the id signed: 0xFFFFFFFF is PrinterIDs\-1. */
    swprintf(szIdPath, 64, L"%ls\\%d", JH_PRINTER_IDS_KEY_W, (int)DevMode_GetPrinterId(pDevMode));
    HKEY hKey = NULL;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, szIdPath, 0, KEY_QUERY_VALUE, &hKey) == ERROR_SUCCESS) {
        BOOL bCut = FALSE;
        BOOL bRead = ReadIdsName(hKey, pszName, cchName, &bCut);
        RegCloseKey(hKey);
        if (bRead)
            return bCut ? PRINTER_NAME_IDS_CUT : PRINTER_NAME_IDS;
    }
    const WCHAR *pszDevice = DevMode_GetDeviceName(pDevMode);
    DWORD cch = 0;
    for (; cch < DM_CCH_DEVICE_NAME && cch + 1 < cchName && pszDevice[cch]; cch++)
        pszName[cch] = pszDevice[cch];
    pszName[cch] = 0;
    return PRINTER_NAME_DEVICE;
}

BOOL GetUsablePrinterName(const DriverDevMode *pDevMode, WCHAR *pszName)
{
    PrinterNameSource source = LookupPrinterName(pDevMode, pszName, PRINTER_NAME_CCH);
    if (source == PRINTER_NAME_NONE || source == PRINTER_NAME_IDS_CUT || !pszName[0]) {
        pszName[0] = 0;
        return FALSE;
    }
    return TRUE;
}
