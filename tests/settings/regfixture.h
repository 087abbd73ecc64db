/* Registry set-up shared by the settings registry tests: a test printer
 * with its own registry name and clean-up of every key the tests create.
 * The value writers and readers are those of testutil.h. */
#ifndef JH_TESTS_SETTINGS_REGFIXTURE_H
#define JH_TESTS_SETTINGS_REGFIXTURE_H

#include <windows.h>
#include <string>
#include "settings/devmode.h"
#include "testutil.h"

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

/* Removes everything the tests write: both printers' keys, the PrinterIDs
 * entry and the protected-mode copy. */
static inline void CleanTestRegistry()
{
    RegDeleteTree(PrinterKey(TEST_PRINTER_REG));
    RegDeleteTree(PrinterKey(TEST_DEVICE_NAME));
    RegDeleteTree(std::wstring(TEST_ROOT) + L"\\PrinterIDs\\" + std::to_wstring(TEST_PRINTER_ID));
    const std::wstring ie = L"Software\\Microsoft\\Internet Explorer\\InternetRegistry";
    RegDeleteTree(ie + L"\\REGISTRY\\USER\\" + TEST_USER_SID);
    RegDeleteIfEmpty(ie + L"\\REGISTRY\\USER");
    RegDeleteIfEmpty(ie + L"\\REGISTRY");
    RegDeleteIfEmpty(ie);
    RegDeleteIfEmpty(std::wstring(TEST_ROOT) + L"\\PrinterIDs");
    RegDeleteIfEmpty(TEST_ROOT);
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
        RegSetUnterminated(std::wstring(TEST_ROOT) + L"\\PrinterIDs\\" + std::to_wstring(TEST_PRINTER_ID),
                           L"Printer name", TEST_PRINTER_REG);
}

#endif
