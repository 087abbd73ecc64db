/* Internal to the settings library: the printer's registry name, looked up
 * once for everything above it (the public GetSettingsPrinterName and every
 * settings key path). Not exported. */
#ifndef JH_SETTINGS_PRINTERNAME_H
#define JH_SETTINGS_PRINTERNAME_H

#include <windows.h>
#include "settings/devmode.h"

#define PRINTER_NAME_CCH 260 /* the longest usable registry name, with its terminator */

/* Where a looked-up name came from. */
typedef enum PrinterNameSource {
    PRINTER_NAME_NONE = 0, /* no block, or no room: the buffer is left as it was */
    PRINTER_NAME_IDS,      /* the whole "Printer name" of PrinterIDs\<PrinterId> */
    PRINTER_NAME_IDS_CUT,  /* that name, cut to fit the buffer */
    PRINTER_NAME_DEVICE    /* no readable PrinterIDs entry: dmDeviceName (at most 32 characters) */
} PrinterNameSource;

/* Takes the "Printer name" value of HKCU\ROOT\PrinterIDs\<PrinterId in
 * signed decimal>, or, when that key or value cannot be read, the first 32
 * characters of dmDeviceName, into pszName (cchName characters, at least
 * 1). The name is always terminated inside the buffer; a longer name is cut
 * to fit and reported so. */
PrinterNameSource LookupPrinterName(const DriverDevMode *pDevMode, WCHAR *pszName, DWORD cchName);

/* The name every settings key path is built from, into pszName of
 * PRINTER_NAME_CCH characters. FALSE, and the buffer empty, when there is
 * no block, the name is empty, or the PrinterIDs name does not fit (a cut
 * name would address another printer's keys). */
BOOL GetUsablePrinterName(const DriverDevMode *pDevMode, WCHAR *pszName);

#endif
