/*
 * Bates numbering: a running page number, optionally behind a prefix, drawn
 * on top of every forwarded page. Its look comes from a numbered Bates
 * format of the job's printer under
 * HKCU\<root key>\<printer>\BatesNumbering\<n>.
 * AddBatesNumber itself is declared in stamping/stamps.h.
 */
#ifndef JH_STAMPING_BATES_H
#define JH_STAMPING_BATES_H

#include <windows.h>
#include <stddef.h>

#define BATES_NAME_SIZE        40   /* "Name", characters with the terminator */
#define BATES_PREFIX_SIZE      30   /* "Prefix" */
#define BATES_FACENAME_SIZE    31   /* "Font Facename" */
#define BATES_MAX_NUMBER_LENGTH 16  /* "Bates Number Length" is clamped to this */
#define BATES_TEXT_SIZE        64   /* composed text: at most 47 characters */
#define BATES_KEY_PATH_SIZE    264  /* root, printer, "\BatesNumbering\", number */
#define BATES_PRINTER_NAME_SIZE 260 /* printer name converted to UTF-16 */

/* One Bates format as the driver's user interface stores it. */
struct BatesFormat {
    WCHAR szBatesName[BATES_NAME_SIZE];
    int bUsePrefix;
    WCHAR szPrefix[BATES_PREFIX_SIZE];
    int nStartWith;              /* loaded, not used: the first number comes with the job */
    int bTransparent;
    BYTE nPosition;              /* STAMP_POS_*, any other value top left */
    int nXOffset;
    int nYOffset;
    signed char nOffsetUnit;     /* STAMP_UNIT_*, any other value: no offset */
    int nRotation;               /* degrees, counter-clockwise */
    COLORREF crColor;
    LOGFONTW stLogFont;          /* lfHeight in pixels at 96 dpi */
    BYTE nBatesNumberLength;     /* minimum characters of the number, at most 16 */
    WCHAR chPaddingCharacter;
    int bResetAtEveryPrinting;   /* loaded, not used */
    int bResetBatesNumber;       /* loaded, not used */
};

/* Reads the value pszValueName of HKCU\<root key>\<pszSubKey>,
 * whatever its registry type, as text into pszDest (cchDest characters with
 * the terminator) and gives 1. When the key or value is missing, or the
 * stored data does not fit cchDest characters (at most 260) with a
 * terminator, copies pszDefault there instead (cut to cchDest - 1
 * characters) and gives 0. */
int ReadRegistryString(const WCHAR *pszSubKey, WCHAR *pszDest, size_t cchDest,
                       const WCHAR *pszDefault, const WCHAR *pszValueName);

/* Reads a value with ReadRegistryString and gives it as a signed decimal
 * number (leading blanks and a sign allowed, stops at the first non-digit);
 * 0 when it cannot be read, reads "Error" or has no digits. */
int ReadRegistryInt(const WCHAR *pszSubKey, const WCHAR *pszValueName);

/* Fills *pFormat with Bates format nIndex (0-based, sub-key nIndex + 1) of
 * the printer pszPrinterName. Gives 1 when loaded, 0 when there is no record,
 * the key path does not fit, or "Name", "Prefix" or "Font Facename" cannot
 * be read. Numbers that cannot be read are 0. */
int LoadBatesFormatFromRegistry(int nIndex, BatesFormat *pFormat, const WCHAR *pszPrinterName);

/* Composes the text drawn for page dwPage when the job starts at
 * nStartNumber: the prefix and a blank when in use, a blank, the padding,
 * the number. Always terminated within cchText; gives its length. */
size_t ComposeBatesText(const BatesFormat *pFormat, DWORD dwPage, int nStartNumber,
                        WCHAR *pszText, size_t cchText);

#endif
