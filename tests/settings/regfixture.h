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

/* Writes a REG_SZ of exactly the text's characters, without terminator, as
 * the driver does. (Given a NUL right after the counted data, the registry
 * would add the terminator itself; a sentinel character prevents that.) */
static inline void RawSetString(const std::wstring &path, const wchar_t *name, const std::wstring &value)
{
    std::wstring data = value + L'~';
    HKEY hKey = NULL;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL, &hKey, NULL) == ERROR_SUCCESS) {
        RegSetValueExW(hKey, name, 0, REG_SZ, (const BYTE *)data.c_str(), (DWORD)(value.size() * sizeof(wchar_t)));
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

/* A REG_SZ value as text, without the terminator the registry may add. */
static inline std::wstring RawGetString(const std::wstring &path, const wchar_t *name)
{
    std::vector<BYTE> data = RawGet(path, name);
    std::wstring text((const wchar_t *)data.data(), data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == 0)
        text.pop_back();
    return text;
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

/* Deletes a key only when it holds neither sub-keys nor values. */
static inline void RawDeleteIfEmpty(const std::wstring &path)
{
    HKEY hKey = NULL;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return;
    DWORD cSubKeys = 1, cValues = 1;
    RegQueryInfoKeyW(hKey, NULL, NULL, NULL, &cSubKeys, NULL, NULL, &cValues, NULL, NULL, NULL, NULL);
    RegCloseKey(hKey);
    if (cSubKeys == 0 && cValues == 0)
        RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
}

/* Removes everything the tests write: both printers' keys, the PrinterIDs
 * entry and the protected-mode copy. */
static inline void CleanTestRegistry()
{
    RawDeleteTree(PrinterKey(TEST_PRINTER_REG));
    RawDeleteTree(PrinterKey(TEST_DEVICE_NAME));
    RawDeleteTree(std::wstring(TEST_ROOT) + L"\\PrinterIDs\\" + std::to_wstring(TEST_PRINTER_ID));
    const std::wstring ie = L"Software\\Microsoft\\Internet Explorer\\InternetRegistry";
    RawDeleteTree(ie + L"\\REGISTRY\\USER\\" + TEST_USER_SID);
    RawDeleteIfEmpty(ie + L"\\REGISTRY\\USER");
    RawDeleteIfEmpty(ie + L"\\REGISTRY");
    RawDeleteIfEmpty(ie);
    RawDeleteIfEmpty(std::wstring(TEST_ROOT) + L"\\PrinterIDs");
    RawDeleteIfEmpty(TEST_ROOT);
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
