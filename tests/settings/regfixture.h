/* Registry set-up shared by the settings registry tests: a test printer
 * with its own registry name, raw value writers and readers under HKCU,
 * and clean-up of every key the tests create. */
#ifndef JH_TESTS_SETTINGS_REGFIXTURE_H
#define JH_TESTS_SETTINGS_REGFIXTURE_H

#include <windows.h>
#include <string>
#include <vector>
#include "settings/devmode.h"

#define TEST_ROOT         L"SOFTWARE\\Quennor Software LLC"
#define TEST_PRINTER_ID   4242
#define TEST_PRINTER_REG  L"JH Registry Test Printer"   /* name under PrinterIDs */
#define TEST_DEVICE_NAME  L"JH Device Name Printer"     /* dmDeviceName */
#define TEST_USER_SID     L"S-1-5-21-1000-2000-3000-1001"
#define TEST_PROTECTED_ROOT \
    L"Software\\Microsoft\\Internet Explorer\\InternetRegistry\\REGISTRY\\USER\\" TEST_USER_SID \
    L"\\SOFTWARE\\Quennor Software LLC"

static inline std::wstring PrinterKey(const std::wstring &printer = TEST_PRINTER_REG)
{
    return std::wstring(TEST_ROOT) + L"\\" + printer;
}

static inline void RawSetString(const std::wstring &path, const wchar_t *name, const std::wstring &value)
{
    HKEY hKey = NULL;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL, &hKey, NULL) == ERROR_SUCCESS) {
        RegSetValueExW(hKey, name, 0, REG_SZ, (const BYTE *)value.c_str(), (DWORD)(value.size() * sizeof(wchar_t)));
        RegCloseKey(hKey);
    }
}

static inline void RawSetValue(const std::wstring &path, const wchar_t *name, DWORD type, const void *data, DWORD cb)
{
    HKEY hKey = NULL;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL, &hKey, NULL) == ERROR_SUCCESS) {
        RegSetValueExW(hKey, name, 0, type, (const BYTE *)data, cb);
        RegCloseKey(hKey);
    }
}

static inline void RawSetDword(const std::wstring &path, const wchar_t *name, DWORD value)
{
    RawSetValue(path, name, REG_DWORD, &value, sizeof(value));
}

/* Raw bytes of a value; empty with *pbFound false when missing. */
static inline std::vector<BYTE> RawGet(const std::wstring &path, const wchar_t *name, bool *pbFound = NULL,
                                       DWORD *pdwType = NULL)
{
    std::vector<BYTE> data;
    HKEY hKey = NULL;
    bool bFound = false;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &hKey) == ERROR_SUCCESS) {
        DWORD cb = 0, type = 0;
        if (RegQueryValueExW(hKey, name, NULL, &type, NULL, &cb) == ERROR_SUCCESS) {
            data.resize(cb + 2);
            if (RegQueryValueExW(hKey, name, NULL, &type, data.data(), &cb) == ERROR_SUCCESS) {
                data.resize(cb);
                bFound = true;
                if (pdwType)
                    *pdwType = type;
            }
        }
        RegCloseKey(hKey);
    }
    if (pbFound)
        *pbFound = bFound;
    return bFound ? data : std::vector<BYTE>();
}

/* A REG_SZ value as text (no terminator stored). */
static inline std::wstring RawGetString(const std::wstring &path, const wchar_t *name)
{
    std::vector<BYTE> data = RawGet(path, name);
    return std::wstring((const wchar_t *)data.data(), data.size() / sizeof(wchar_t));
}

static inline bool RawExists(const std::wstring &path, const wchar_t *name = NULL)
{
    HKEY hKey = NULL;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return false;
    bool bFound = !name || RegQueryValueExW(hKey, name, NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
    RegCloseKey(hKey);
    return bFound;
}

static inline void RawDeleteTree(const std::wstring &path)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
}

/* Removes everything the tests write: both printers' keys, the PrinterIDs
 * entry and the protected-mode copy. */
static inline void CleanTestRegistry()
{
    RawDeleteTree(PrinterKey(TEST_PRINTER_REG));
    RawDeleteTree(PrinterKey(TEST_DEVICE_NAME));
    RawDeleteTree(std::wstring(TEST_ROOT) + L"\\PrinterIDs\\" + std::to_wstring(TEST_PRINTER_ID));
    RawDeleteTree(std::wstring(L"Software\\Microsoft\\Internet Explorer\\InternetRegistry\\REGISTRY\\USER\\") +
                  TEST_USER_SID);
}

/* Cleans the test keys when a test starts and when it ends, also when an
 * assertion ends it early. */
struct RegistryScope {
    RegistryScope() { CleanTestRegistry(); }
    ~RegistryScope() { CleanTestRegistry(); }
};

/* A block for the test printer, registered under PrinterIDs. */
static inline void MakeTestBlock(DriverDevMode *pDevMode, bool bRegisterId = true)
{
    DevMode_Initialize(pDevMode);
    DevMode_SetDeviceName(pDevMode, TEST_DEVICE_NAME);
    DevMode_SetPrinterId(pDevMode, TEST_PRINTER_ID);
    if (bRegisterId)
        RawSetString(std::wstring(TEST_ROOT) + L"\\PrinterIDs\\" + std::to_wstring(TEST_PRINTER_ID),
                     L"Printer name", TEST_PRINTER_REG);
}

#endif
