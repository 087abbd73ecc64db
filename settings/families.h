/*
 * Settings families: the driver's per-printer settings kept in fixed keys
 * under HKCU\<root key>\<printer registry name> (the root key: rootkey.h).
 *
 * Every getter and setter takes the block first; it only serves to find the
 * printer's registry name (GetSettingsPrinterName). Setters create missing
 * keys; getters never do. Contracts by stored form:
 *  - text getters (buffer, size in bytes in and out): 1 on success, with
 *    the string terminated and *pcbSize set to its size in bytes including
 *    the terminator; 0 with the needed size (terminator included) when the
 *    buffer is absent or too small; 0 with size untouched when the key or
 *    value is missing. Text setters: 1 on success, 0 when the string is
 *    absent, too long for the value's limit, or the registry refuses.
 *  - decimal getters (REG_SZ holding a number): put the default in *pnValue,
 *    overwrite it with the stored number when the value can be read (text
 *    that is not a number reads 0; a text of more than 16 characters counts
 *    as unreadable), and return 1 (0 only without output). Yes/no values
 *    are read the same way, at most 8 characters.
 *    Setters: 1 on success, 0 outside the accepted range or on failure.
 *  - yes/no getters return 1 when the stored text is "yes" in any case,
 *    else 0 (also when missing or without block). Setters write "Yes" for
 *    the argument 1 and "No" otherwise, except the three e-mail switches
 *    ("SMTP Enable SSL", "Email Send Silently", "Logging Enabled"), which
 *    write "Yes" for any non-zero argument.
 *  - indexed values ("Font %d", "Printer %d") take the 0-based index last
 *    and are stored under the index plus one; negative indexes are refused.
 * Without a block, getters fail (text) or answer their default.
 */
#ifndef JH_SETTINGS_FAMILIES_H
#define JH_SETTINGS_FAMILIES_H

#include <windows.h>
#include "devmode.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The fixed 8-bit keys of the scrambled password forms. */
#define PDF_PASSWORD_SCRAMBLE_KEY        0xA5
#define SHAREPOINT_PASSWORD_SCRAMBLE_KEY 0xC3

#define PDF_PASSWORD_MAX_CCH   32  /* "Document User/Owner Password" */
#define SMTP_PASSWORD_MAX_CCH  15  /* hex text and terminator within the 64-byte reader */
#define SHAREPOINT_PASS_MAX_CCH 129 /* hex text shorter than 260 characters */

#define WATERMARK_FIRST_BRIGHTNESS_DEFAULT 30
#define WATERMARK_FIRST_POSITION_DEFAULT   4

/* ---- Watermark: first-page images (bPortrait 1 portrait, 0 landscape) --- */

/* "First Image Portrait" / "First Image Landscape": read through a 520-byte
 * buffer (a longer value reads as missing). */
DRVSETTINGS_API int GetWatermarkFirstImage(const DriverDevMode *pDevMode, int bPortrait, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetWatermarkFirstImage(const DriverDevMode *pDevMode, int bPortrait, const WCHAR *pszPath);
/* Brightness: 30 when missing, 0 or above 100; 0 without block. The setter
 * accepts 0..100. */
DRVSETTINGS_API DWORD GetWatermarkFirstImageBrightness(const DriverDevMode *pDevMode, int bPortrait);
DRVSETTINGS_API int SetWatermarkFirstImageBrightness(const DriverDevMode *pDevMode, int bPortrait, DWORD dwValue);
/* Position: 4 when missing or not 1, 2, 4 or 8; 0 without block. The setter
 * accepts 1, 2, 4 and 8. */
DRVSETTINGS_API DWORD GetWatermarkFirstImagePosition(const DriverDevMode *pDevMode, int bPortrait);
DRVSETTINGS_API int SetWatermarkFirstImagePosition(const DriverDevMode *pDevMode, int bPortrait, DWORD dwValue);

/* ---- Bates formats ---- */

/* "Number of Formats" in the BatesNumbering key, text. */
DRVSETTINGS_API int GetBatesFormatCountText(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetBatesFormatCountText(const DriverDevMode *pDevMode, const WCHAR *pszText);
/* A value of format nFormat (sub-key nFormat as given, 1 = first format).
 * The size is in characters: read through a 2048-byte buffer, copied when
 * *pcchSize holds the text and its terminator, else *pcchSize receives the
 * characters needed. Negative format numbers and empty names (and, for the
 * setter, empty data) are refused. */
DRVSETTINGS_API int GetBatesFormatValue(const DriverDevMode *pDevMode, int nFormat, const WCHAR *pszName,
                                        WCHAR *pszBuffer, DWORD *pcchSize);
DRVSETTINGS_API int SetBatesFormatValue(const DriverDevMode *pDevMode, int nFormat, const WCHAR *pszName,
                                        const WCHAR *pszData);

/* ---- PDF ---- */

DRVSETTINGS_API int GetPdfDocumentTitle(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetPdfDocumentTitle(const DriverDevMode *pDevMode, const WCHAR *pszText);       /* < 256 */
DRVSETTINGS_API int GetPdfDocumentSubject(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetPdfDocumentSubject(const DriverDevMode *pDevMode, const WCHAR *pszText);     /* < 256 */
DRVSETTINGS_API int GetPdfDocumentAuthor(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetPdfDocumentAuthor(const DriverDevMode *pDevMode, const WCHAR *pszText);      /* < 256 */
DRVSETTINGS_API int GetPdfDocumentKeywords(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetPdfDocumentKeywords(const DriverDevMode *pDevMode, const WCHAR *pszText);    /* < 516 */
/* Passwords, stored scrambled with PDF_PASSWORD_SCRAMBLE_KEY; at most 32
 * characters. A character that the key would turn into 0 is refused. */
DRVSETTINGS_API int GetPdfUserPassword(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetPdfUserPassword(const DriverDevMode *pDevMode, const WCHAR *pszPassword);
DRVSETTINGS_API int GetPdfOwnerPassword(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetPdfOwnerPassword(const DriverDevMode *pDevMode, const WCHAR *pszPassword);
/* Decimal values: default, accepted range. */
DRVSETTINGS_API int GetPdfStreamCompression(const DriverDevMode *pDevMode, int *pnValue);      /* 105 */
DRVSETTINGS_API int SetPdfStreamCompression(const DriverDevMode *pDevMode, int nValue);        /* 0..106 */
DRVSETTINGS_API int GetPdfMonoImageCompression(const DriverDevMode *pDevMode, int *pnValue);   /* 307 */
DRVSETTINGS_API int SetPdfMonoImageCompression(const DriverDevMode *pDevMode, int nValue);     /* 0..308 */
DRVSETTINGS_API int GetPdfColorImageCompression(const DriverDevMode *pDevMode, int *pnValue);  /* 207 */
DRVSETTINGS_API int SetPdfColorImageCompression(const DriverDevMode *pDevMode, int nValue);    /* 0..207 */
DRVSETTINGS_API int GetPdfJpegQuality(const DriverDevMode *pDevMode, int *pnValue);            /* 85 */
DRVSETTINGS_API int SetPdfJpegQuality(const DriverDevMode *pDevMode, int nValue);              /* 1..100 */
DRVSETTINGS_API int GetPdfDocumentEncryption(const DriverDevMode *pDevMode, int *pnValue);     /* 0 */
DRVSETTINGS_API int SetPdfDocumentEncryption(const DriverDevMode *pDevMode, int nValue);       /* 0..2 */
DRVSETTINGS_API int GetPdfDocumentSecurityFlag(const DriverDevMode *pDevMode, int *pnValue);   /* 0 */
DRVSETTINGS_API int SetPdfDocumentSecurityFlag(const DriverDevMode *pDevMode, int nValue);
DRVSETTINGS_API int GetPdfEmbedAllFonts(const DriverDevMode *pDevMode, int *pnValue);          /* 1 */
DRVSETTINGS_API int SetPdfEmbedAllFonts(const DriverDevMode *pDevMode, int nValue);
DRVSETTINGS_API int GetPdfCreateSubset(const DriverDevMode *pDevMode, int *pnValue);           /* 1 */
DRVSETTINGS_API int SetPdfCreateSubset(const DriverDevMode *pDevMode, int nValue);
DRVSETTINGS_API int GetPdfEmbedLicensedFonts(const DriverDevMode *pDevMode, int *pnValue);     /* 0 */
DRVSETTINGS_API int SetPdfEmbedLicensedFonts(const DriverDevMode *pDevMode, int nValue);
DRVSETTINGS_API int GetPdfEmbedAdobeFonts(const DriverDevMode *pDevMode, int *pnValue);        /* 0 */
DRVSETTINGS_API int SetPdfEmbedAdobeFonts(const DriverDevMode *pDevMode, int nValue);
DRVSETTINGS_API int GetPdfEmbedWindowsFonts(const DriverDevMode *pDevMode, int *pnValue);      /* 0 */
DRVSETTINGS_API int SetPdfEmbedWindowsFonts(const DriverDevMode *pDevMode, int nValue);
/* Font lists: "Font count" (decimal, default 0, setter 0 and above) and
 * the names "Font 1", "Font 2", ... for indexes 0, 1, ... */
DRVSETTINGS_API int GetPdfForceFontCount(const DriverDevMode *pDevMode, int *pnValue);
DRVSETTINGS_API int SetPdfForceFontCount(const DriverDevMode *pDevMode, int nValue);
DRVSETTINGS_API int GetPdfForceFont(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize, int nIndex);
DRVSETTINGS_API int SetPdfForceFont(const DriverDevMode *pDevMode, const WCHAR *pszFont, int nIndex);
DRVSETTINGS_API int GetPdfForbidFontCount(const DriverDevMode *pDevMode, int *pnValue);
DRVSETTINGS_API int SetPdfForbidFontCount(const DriverDevMode *pDevMode, int nValue);
DRVSETTINGS_API int GetPdfForbidFont(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize, int nIndex);
DRVSETTINGS_API int SetPdfForbidFont(const DriverDevMode *pDevMode, const WCHAR *pszFont, int nIndex);

/* ---- Redirect printing ---- */

/* "Printer count" (REG_DWORD): default 0; the getter always returns 1 when
 * given an output. The setter accepts 0 and above. */
DRVSETTINGS_API int GetRedirectPrinterCount(const DriverDevMode *pDevMode, int *pnValue);
DRVSETTINGS_API int SetRedirectPrinterCount(const DriverDevMode *pDevMode, int nValue);
DRVSETTINGS_API int GetRedirectPrinter(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize, int nIndex);
DRVSETTINGS_API int SetRedirectPrinter(const DriverDevMode *pDevMode, const WCHAR *pszPrinter, int nIndex);
DRVSETTINGS_API int GetRedirectPrintingLogEnabled(const DriverDevMode *pDevMode);
DRVSETTINGS_API int SetRedirectPrintingLogEnabled(const DriverDevMode *pDevMode, int bEnabled);
DRVSETTINGS_API int GetRedirectPrintingLogFile(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetRedirectPrintingLogFile(const DriverDevMode *pDevMode, const WCHAR *pszPath); /* < 260 */
/* Single target: reads the first target printer; or writes "Printer count"
 * 1 and the first target (refuses an absent or empty name; 1 only when
 * both writes succeed). */
DRVSETTINGS_API int GetRedirectSinglePrinter(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetRedirectSinglePrinter(const DriverDevMode *pDevMode, const WCHAR *pszPrinter);

/* ---- HTML ---- */

DRVSETTINGS_API int GetHtmlOutputDirectory(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetHtmlOutputDirectory(const DriverDevMode *pDevMode, const WCHAR *pszPath);   /* < 260 */
DRVSETTINGS_API int GetHtmlPageSizeSetting(const DriverDevMode *pDevMode, int *pnValue);           /* 0 */
DRVSETTINGS_API int SetHtmlPageSizeSetting(const DriverDevMode *pDevMode, int nValue);
DRVSETTINGS_API int GetHtmlCssSettings(const DriverDevMode *pDevMode, int *pnValue);               /* 1 */
DRVSETTINGS_API int SetHtmlCssSettings(const DriverDevMode *pDevMode, int nValue);
DRVSETTINGS_API int GetHtmlVectorGraphicsDisplayMode(const DriverDevMode *pDevMode, int *pnValue); /* 1 */
DRVSETTINGS_API int SetHtmlVectorGraphicsDisplayMode(const DriverDevMode *pDevMode, int nValue);
DRVSETTINGS_API int GetHtmlEmbedAllFonts(const DriverDevMode *pDevMode, int *pnValue);             /* 1 */
DRVSETTINGS_API int SetHtmlEmbedAllFonts(const DriverDevMode *pDevMode, int nValue);
DRVSETTINGS_API int GetHtmlCreateSubset(const DriverDevMode *pDevMode, int *pnValue);              /* 1 */
DRVSETTINGS_API int SetHtmlCreateSubset(const DriverDevMode *pDevMode, int nValue);
DRVSETTINGS_API int GetHtmlSeparatePages(const DriverDevMode *pDevMode, int *pnValue);             /* 0 */
DRVSETTINGS_API int SetHtmlSeparatePages(const DriverDevMode *pDevMode, int nValue);
DRVSETTINGS_API int GetHtmlEmbedLicensedFonts(const DriverDevMode *pDevMode, int *pnValue);        /* 0 */
DRVSETTINGS_API int SetHtmlEmbedLicensedFonts(const DriverDevMode *pDevMode, int nValue);
DRVSETTINGS_API int GetHtmlForceFontCount(const DriverDevMode *pDevMode, int *pnValue);
DRVSETTINGS_API int SetHtmlForceFontCount(const DriverDevMode *pDevMode, int nValue);
DRVSETTINGS_API int GetHtmlForceFont(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize, int nIndex);
DRVSETTINGS_API int SetHtmlForceFont(const DriverDevMode *pDevMode, const WCHAR *pszFont, int nIndex);
DRVSETTINGS_API int GetHtmlForbidFontCount(const DriverDevMode *pDevMode, int *pnValue);
DRVSETTINGS_API int SetHtmlForbidFontCount(const DriverDevMode *pDevMode, int nValue);
DRVSETTINGS_API int GetHtmlForbidFont(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize, int nIndex);
DRVSETTINGS_API int SetHtmlForbidFont(const DriverDevMode *pDevMode, const WCHAR *pszFont, int nIndex);

/* ---- Post-print actions ---- */

DRVSETTINGS_API int GetPostPrintOpenOutputFolder(const DriverDevMode *pDevMode);
DRVSETTINGS_API int SetPostPrintOpenOutputFolder(const DriverDevMode *pDevMode, int bOn);
DRVSETTINGS_API int GetPostPrintSendInEmail(const DriverDevMode *pDevMode);
DRVSETTINGS_API int SetPostPrintSendInEmail(const DriverDevMode *pDevMode, int bOn);
DRVSETTINGS_API int GetPostPrintViewInDefaultViewer(const DriverDevMode *pDevMode);
DRVSETTINGS_API int SetPostPrintViewInDefaultViewer(const DriverDevMode *pDevMode, int bOn);
DRVSETTINGS_API int GetEmailSendingProgram32(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetEmailSendingProgram32(const DriverDevMode *pDevMode, const WCHAR *pszPath);
DRVSETTINGS_API int GetEmailSendingProgram64(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetEmailSendingProgram64(const DriverDevMode *pDevMode, const WCHAR *pszPath);
DRVSETTINGS_API int GetSharePointUtility(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetSharePointUtility(const DriverDevMode *pDevMode, const WCHAR *pszPath);

/* E-mail settings. "Sender Client": 1 when the stored text is "1", else 0;
 * the setter accepts 0 and 1. */
DRVSETTINGS_API int GetEmailSenderClient(const DriverDevMode *pDevMode);
DRVSETTINGS_API int SetEmailSenderClient(const DriverDevMode *pDevMode, int nValue);
DRVSETTINGS_API int GetSmtpServer(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetSmtpServer(const DriverDevMode *pDevMode, const WCHAR *pszText);
DRVSETTINGS_API int GetSmtpPort(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetSmtpPort(const DriverDevMode *pDevMode, const WCHAR *pszText);
DRVSETTINGS_API int GetSmtpUserName(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetSmtpUserName(const DriverDevMode *pDevMode, const WCHAR *pszText);
/* "SMTP Password", hex form: each character as two upper-case hex digits,
 * low digit first. At most 15 characters (the reader takes 64 bytes, and
 * the registry stores the text with a terminator);
 * characters 0 and above 0xFF are refused. */
DRVSETTINGS_API int GetSmtpPassword(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetSmtpPassword(const DriverDevMode *pDevMode, const WCHAR *pszPassword);
DRVSETTINGS_API int GetSmtpEnableSsl(const DriverDevMode *pDevMode);
DRVSETTINGS_API int SetSmtpEnableSsl(const DriverDevMode *pDevMode, int bOn);
DRVSETTINGS_API int GetEmailSendSilently(const DriverDevMode *pDevMode);
DRVSETTINGS_API int SetEmailSendSilently(const DriverDevMode *pDevMode, int bOn);
DRVSETTINGS_API int GetEmailLoggingEnabled(const DriverDevMode *pDevMode);
DRVSETTINGS_API int SetEmailLoggingEnabled(const DriverDevMode *pDevMode, int bOn);
DRVSETTINGS_API int GetEmailSender(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetEmailSender(const DriverDevMode *pDevMode, const WCHAR *pszText);
DRVSETTINGS_API int GetEmailTo(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetEmailTo(const DriverDevMode *pDevMode, const WCHAR *pszText);
DRVSETTINGS_API int GetEmailCc(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetEmailCc(const DriverDevMode *pDevMode, const WCHAR *pszText);
DRVSETTINGS_API int GetEmailBcc(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetEmailBcc(const DriverDevMode *pDevMode, const WCHAR *pszText);
DRVSETTINGS_API int GetEmailSubject(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetEmailSubject(const DriverDevMode *pDevMode, const WCHAR *pszText);
DRVSETTINGS_API int GetEmailBody(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetEmailBody(const DriverDevMode *pDevMode, const WCHAR *pszText);
DRVSETTINGS_API int GetEmailLoggingDirectory(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetEmailLoggingDirectory(const DriverDevMode *pDevMode, const WCHAR *pszText);

/* SharePoint settings; texts shorter than 260 characters. "SharePoint Pass"
 * is stored scrambled with SHAREPOINT_PASSWORD_SCRAMBLE_KEY as two hex
 * digits per character, high digit first, so its stored text stays shorter
 * than 260 characters: at most 129 characters. A character that does not
 * fit two digits after scrambling, or becomes 0, is refused. */
DRVSETTINGS_API int GetSharePointUpload(const DriverDevMode *pDevMode);
DRVSETTINGS_API int SetSharePointUpload(const DriverDevMode *pDevMode, int bOn);
DRVSETTINGS_API int GetSharePointSilent(const DriverDevMode *pDevMode);
DRVSETTINGS_API int SetSharePointSilent(const DriverDevMode *pDevMode, int bOn);
DRVSETTINGS_API int GetSharePointServer(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetSharePointServer(const DriverDevMode *pDevMode, const WCHAR *pszText);
DRVSETTINGS_API int GetSharePointDirectory(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetSharePointDirectory(const DriverDevMode *pDevMode, const WCHAR *pszText);
DRVSETTINGS_API int GetSharePointUser(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetSharePointUser(const DriverDevMode *pDevMode, const WCHAR *pszText);
DRVSETTINGS_API int GetSharePointLogfile(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetSharePointLogfile(const DriverDevMode *pDevMode, const WCHAR *pszText);
DRVSETTINGS_API int GetSharePointPass(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetSharePointPass(const DriverDevMode *pDevMode, const WCHAR *pszPassword);

/* ---- Application starter ---- */

DRVSETTINGS_API int GetAppStarterExeName(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int SetAppStarterExeName(const DriverDevMode *pDevMode, const WCHAR *pszPath); /* < 260 */

/* ---- User-interface tabs ---- */

typedef enum UiTabId {
    UI_TAB_FILE_FORMAT = 0,
    UI_TAB_FILENAME_GENERATION = 1,
    UI_TAB_START_APPLICATION = 2,
    UI_TAB_WATERMARK = 3,
    UI_TAB_ANNOTATION = 4,
    UI_TAB_BATES = 5,
    UI_TAB_PROFILE_MANAGER = 6,
    UI_TAB_REDIRECT_PRINTING = 7
} UiTabId;

/* Value name of a tab ("" for an id outside 0..7: the key's unnamed value). */
DRVSETTINGS_API const WCHAR *UiTabValueName(int nTab);
/* Show writes 1, hide writes 0; 1 on success. */
DRVSETTINGS_API int ShowUiTab(const DriverDevMode *pDevMode, int nTab);
DRVSETTINGS_API int HideUiTab(const DriverDevMode *pDevMode, int nTab);
/* 1 when the registry value is 1. When it cannot be read: the integer under
 * [UI Tabs Settings] <value name> (default 1) of the INI file named by
 * INIFileName, 1 when that is 1. An empty INIFileName counts as the default
 * 1. Without block: 0. */
DRVSETTINGS_API int IsUiTabShown(const DriverDevMode *pDevMode, int nTab);

/* ---- Paper list (read only) ---- */

/* "Count" of the PapersList key. 1 and *pdwValue on success, else 0. */
DRVSETTINGS_API int GetPaperCount(const DriverDevMode *pDevMode, DWORD *pdwValue);
/* Values of paper nPaper (sub-key nPaper, counted from 1). Numbers: 1 and
 * the value, else 0 with the output untouched; texts as the text getters. */
DRVSETTINGS_API int GetPaperAvailable(const DriverDevMode *pDevMode, int nPaper, DWORD *pdwValue);
DRVSETTINGS_API int GetPaperTitle(const DriverDevMode *pDevMode, int nPaper, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int GetPaperWidth(const DriverDevMode *pDevMode, int nPaper, DWORD *pdwValue);
DRVSETTINGS_API int GetPaperHeight(const DriverDevMode *pDevMode, int nPaper, DWORD *pdwValue);
DRVSETTINGS_API int GetPaperUnits(const DriverDevMode *pDevMode, int nPaper, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int GetPaperWindowsPaperCode(const DriverDevMode *pDevMode, int nPaper, DWORD *pdwValue);

/* ---- Password forms (pure, for tests and callers with their own store) ---- */

/* Each writes the encoded or decoded text, terminated, into pszOut of cchOut
 * characters; FALSE (and pszOut untouched) when the text cannot be encoded
 * or does not fit. */
DRVSETTINGS_API int ScramblePassword(const WCHAR *pszText, WCHAR *pszOut, DWORD cchOut);   /* both ways */
DRVSETTINGS_API int EncodeHexPassword(const WCHAR *pszText, WCHAR *pszOut, DWORD cchOut);
DRVSETTINGS_API int DecodeHexPassword(const WCHAR *pszHex, WCHAR *pszOut, DWORD cchOut);
DRVSETTINGS_API int EncodeScrambledHexPassword(const WCHAR *pszText, WCHAR *pszOut, DWORD cchOut);
DRVSETTINGS_API int DecodeScrambledHexPassword(const WCHAR *pszHex, WCHAR *pszOut, DWORD cchOut);

#ifdef __cplusplus
}
#endif

#endif
