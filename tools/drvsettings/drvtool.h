/*
 * The work of drvsettings.exe: getting a DriverDevMode from a device-mode
 * file or from an installed printer, and exporting it or one of its
 * settings. Every function reports through its result and a Win32 error
 * code; nothing is printed here.
 */
#ifndef JH_TOOLS_DRVSETTINGS_DRVTOOL_H
#define JH_TOOLS_DRVSETTINGS_DRVTOOL_H

#include <windows.h>
#include "settings/devmode.h"

/* LoadDevModeFile: reads a device-mode file (the raw bytes of a
 * DriverDevMode) into *pDevMode. Gives 1 on success; 0 with *pdwError set
 * when the file cannot be read (its Win32 error) or is not exactly
 * DRIVER_DEVMODE_SIZE bytes long (ERROR_BAD_LENGTH). String fields are
 * terminated inside their capacity after reading. */
int LoadDevModeFile(const WCHAR *pszPath, DriverDevMode *pDevMode, DWORD *pdwError);

/* BlockFromPrinterDevMode: builds a DriverDevMode from a printer's device
 * mode of cbDevMode bytes: the public part is copied (at most its dmSize
 * bytes, at most 220); the private block only when the device mode is a
 * whole DriverDevMode (dmSize 220, dmDriverExtra 6659, cbDevMode at least
 * 6879), otherwise the block stays zeroed, so the printer's registry
 * settings are found by its device name. Gives 1 when the private block
 * was taken over, 0 when not (or when an argument is absent). */
int BlockFromPrinterDevMode(const DEVMODEW *pPrinterDevMode, DWORD cbDevMode, DriverDevMode *pDevMode);

/* LoadPrinterDevMode: the current default device mode of an installed
 * printer (GetPrinterW level 2; DocumentPropertiesW when that has none),
 * turned into a DriverDevMode by BlockFromPrinterDevMode. Gives 1 on
 * success; 0 with *pdwError set (ERROR_INVALID_PRINTER_NAME for an unknown
 * printer). */
int LoadPrinterDevMode(const WCHAR *pszPrinter, DriverDevMode *pDevMode, DWORD *pdwError);

/* ExportToIniFile: writes the profile to pszIniFile afresh: the path is made
 * full (relative to the current folder), an existing file is deleted, then
 * ExportProfileToIni writes it. Gives 1 when the file exists afterwards;
 * 0 with *pdwError set otherwise. */
int ExportToIniFile(const DriverDevMode *pDevMode, const WCHAR *pszIniFile, DWORD *pdwError);

/* ReadExportedSetting: exports the profile to a temporary file and reads
 * pszKey of pszSection back into pszValue (cchValue characters, always
 * terminated, cut when longer), its escapes decoded (DecodeIniValue). Gives 1 when the key exists; 0 with
 * *pdwError ERROR_NOT_FOUND when it does not, or the error of the export.
 * The temporary file is deleted. */
int ReadExportedSetting(const DriverDevMode *pDevMode, const WCHAR *pszSection, const WCHAR *pszKey,
                        WCHAR *pszValue, DWORD cchValue, DWORD *pdwError);

#endif
