/*
 * Driver settings in the registry: the printer's registry name, the four
 * generic value routines that every settings family uses, and the
 * "Save As Option Settings" profiles addressed by setting id.
 *
 * All keys lie under the company root key of HKEY_CURRENT_USER. The
 * block is used to find the printer's registry name (PrinterId, with
 * dmDeviceName as fallback) and, for the numbered-profile readers and the
 * deletions, the protected-mode path (ProfileOptions bit 0, UserSid).
 * Text is UTF-16; sizes of string data are in bytes unless a name says cch.
 */
#ifndef JH_SETTINGS_PROFILE_H
#define JH_SETTINGS_PROFILE_H

#include <windows.h>
#include "devmode.h"
#include "rootkey.h"

/* winbase.h maps WriteProfileString to the win.ini writer; this library
 * uses the name for its own profile writer. */
#ifdef WriteProfileString
#undef WriteProfileString
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define SETTINGS_ROOT_PATH        JH_ROOT_KEY_W
#define SETTINGS_PRINTER_IDS_PATH JH_PRINTER_IDS_KEY_W
#define SETTINGS_PROTECTED_PREFIX \
    L"Software\\Microsoft\\Internet Explorer\\InternetRegistry\\REGISTRY\\USER"
#define SETTINGS_PROFILES_KEY     L"Save As Option Settings"
#define SETTINGS_DEFAULT_PROFILE  L"Default Settings"
#define SETTINGS_NAME_CCH         260  /* printer registry names, paths */

/* Setting ids of the numbers of a profile. */
typedef enum ProfileDwordId {
    PD_FILE_FORMAT = 0,
    PD_OPEN_IN_DEFAULT_VIEWER = 1,
    PD_OPEN_OUTPUT_FOLDER = 2,
    PD_SAVE_EACH_PAGE_SEPARATELY = 3,
    PD_APPEND_FILE = 4,
    PD_CANCEL_PRESSED = 5,
    PD_SHOW_APPEND_WARNING = 6,
    PD_SHOW_OVERWRITE_WARNING = 7,
    PD_COLOR_DEPTH = 8,
    PD_JPEG_LOSS_RATIO = 9,
    PD_TIFF_INTERNET = 10,
    PD_TIFF_REVERSE_BIT_ORDER = 11,
    PD_TIFF_PAGE_NUMBER_TAG = 12,
    PD_IMAGE_PDF_COMPRESSION = 13,
    PD_PDF_ENCRYPTION = 14,
    PD_PDF_SECURITY_FLAGS = 15,
    PD_PDF_STREAM_COMPRESSION = 16,
    PD_PDF_COLOR_IMAGE_COMPRESSION = 17,
    PD_PDF_MONO_IMAGE_COMPRESSION = 18,
    PD_PDF_JPEG_QUALITY = 19,
    PD_PDF_EMBED_FONTS = 20,
    PD_PDF_EMBED_LICENSED_FONTS = 21,
    PD_PDF_EMBED_ADOBE_FONTS = 22,
    PD_PDF_EMBED_WINDOWS_FONTS = 23,
    PD_PDF_CREATE_SUBSET = 24,
    PD_PDF_FORCE_FONT_COUNT = 25,
    PD_PDF_FORBID_FONT_COUNT = 26,
    PD_HTML_VIEW_TYPE = 27,
    PD_HTML_CSS_SETTINGS = 28,
    PD_HTML_SEPARATE_PAGES = 29,
    PD_HTML_DISPLAY_MODE = 30,
    PD_HTML_EMBED_FONTS = 31,
    PD_HTML_EMBED_LICENSED_FONTS = 32,
    PD_HTML_CREATE_SUBSET = 33,
    PD_HTML_FORCE_FONT_COUNT = 34,
    PD_HTML_FORBID_FONT_COUNT = 35,
    PD_REDIRECT_PRINTING = 36,
    PD_SEND_IN_EMAIL = 37,
    PD_UPLOAD_TO_SHAREPOINT = 38,
    PD_PRINT_WATERMARK = 39,
    PD_PRINTER_COUNT = 40,
    PD_WATERMARK_FIRST_PAGE_ONLY = 41,
    PD_WATERMARK_P_STRETCH_TO_WIDTH = 42,
    PD_WATERMARK_P_STRETCH_TO_FIT = 43,
    PD_WATERMARK_P_TILE = 44,
    PD_WATERMARK_L_STRETCH_TO_WIDTH = 45,
    PD_WATERMARK_L_STRETCH_TO_FIT = 46,
    PD_WATERMARK_L_TILE = 47,
    PD_WATERMARK_P_FIRST_POSITION = 48,
    PD_WATERMARK_L_FIRST_POSITION = 49,
    PD_WATERMARK_FIRST_IMAGE_ENABLED = 50,
    PD_WATERMARK_P_BRIGHTNESS = 51,
    PD_WATERMARK_L_BRIGHTNESS = 52,
    PD_WATERMARK_P_FIRST_BRIGHTNESS = 53,
    PD_WATERMARK_L_FIRST_BRIGHTNESS = 54,
    PD_WATERMARK_P_CENTER = 55,
    PD_WATERMARK_L_CENTER = 56,
    PD_COUNT = 57
} ProfileDwordId;

/* Setting ids of the strings of a profile; ids 8, 9, 11, 12 and 13 name
 * patterns that take an index. */
typedef enum ProfileStringId {
    PS_OUTPUT_PATH = 0,
    PS_FILENAME = 1,
    PS_PDF_TITLE = 2,
    PS_PDF_AUTHOR = 3,
    PS_PDF_SUBJECT = 4,
    PS_PDF_KEYWORDS = 5,
    PS_PDF_USER_PASSWORD = 6,
    PS_PDF_OWNER_PASSWORD = 7,
    PS_PDF_FORCE_FONT = 8,
    PS_PDF_FORBID_FONT = 9,
    PS_HTML_OUTPUT_FOLDER = 10,
    PS_HTML_FORCE_FONT = 11,
    PS_HTML_FORBID_FONT = 12,
    PS_PRINTER = 13,
    PS_REDIRECT_LOG_FILE = 14,
    PS_REDIRECT_LOG_ENABLED = 15,
    PS_SMTP_SERVER = 16,
    PS_SMTP_PORT = 17,
    PS_SMTP_USERNAME = 18,
    PS_SMTP_PASSWORD = 19,
    PS_SMTP_ENABLE_SSL = 20,
    PS_EMAIL_SEND_SILENTLY = 21,
    PS_EMAIL_SENDER = 22,
    PS_EMAIL_TO = 23,
    PS_EMAIL_CC = 24,
    PS_EMAIL_BCC = 25,
    PS_EMAIL_SUBJECT = 26,
    PS_EMAIL_BODY = 27,
    PS_LOGGING_DIRECTORY = 28,
    PS_LOGGING_ENABLED = 29,
    PS_SENDER_CLIENT = 30,
    PS_SHAREPOINT_SERVER = 31,
    PS_SHAREPOINT_DIRECTORY = 32,
    PS_SHAREPOINT_USER = 33,
    PS_SHAREPOINT_PASS = 34,
    PS_SHAREPOINT_LOGFILE = 35,
    PS_SHAREPOINT_SILENT = 36,
    PS_WATERMARK_PORTRAIT_IMAGE = 37,
    PS_WATERMARK_LANDSCAPE_IMAGE = 38,
    PS_WATERMARK_PORTRAIT_FIRST_IMAGE = 39,
    PS_WATERMARK_LANDSCAPE_FIRST_IMAGE = 40,
    PS_COUNT = 41
} ProfileStringId;

/* Registry value name of a number id, or NULL for an id outside 0..56. */
DRVSETTINGS_API const WCHAR *ProfileDwordName(int nId);
/* Registry value name (or name pattern with one "%d") of a string id, or
 * NULL for an id outside 0..40. */
DRVSETTINGS_API const WCHAR *ProfileStringName(int nId);

/* Printer registry name. Zeroes cbBuffer bytes of pszBuffer (any size,
 * 1 included), then takes the "Printer name" of ROOT\PrinterIDs\<PrinterId
 * in signed decimal, as the driver writes it>; when that key or value
 * cannot be read, the first 32 characters of dmDeviceName. The name is
 * always terminated inside the buffer: a longer PrinterIDs name is cut to
 * fit, never replaced by the device name. With no block the buffer is left
 * zeroed (empty). The library's own key paths refuse a PrinterIDs name that
 * does not fit 260 characters with its terminator (see below). */
DRVSETTINGS_API void GetSettingsPrinterName(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD cbBuffer);

/* Generic value routines. pszRoot is a key path under HKCU; pszPattern a
 * sub-key path in which the first "%s" stands for the printer's registry
 * name. Each gives 1 on success and 0 on failure; any absent argument, an
 * empty printer name or a PrinterIDs name longer than 259 characters (which,
 * cut, would name another printer's keys) fails at once without touching
 * the registry.
 * Writers create missing keys; strings are written as REG_SZ of length
 * characters times 2, without the terminator. */
DRVSETTINGS_API int SettingsWriteString(const DriverDevMode *pDevMode, const WCHAR *pszRoot, const WCHAR *pszPattern,
                        const WCHAR *pszName, const WCHAR *pszText);
DRVSETTINGS_API int SettingsWriteDword(const DriverDevMode *pDevMode, const WCHAR *pszRoot, const WCHAR *pszPattern,
                       const WCHAR *pszName, DWORD dwValue);
/* Reads a value's data, whatever its type, into pBuffer. *pcbSize is the
 * buffer size in bytes on entry; when it is smaller than the stored size
 * (in bytes, exactly, odd sizes included), or non-zero with no buffer, it
 * receives the stored size and the call fails (the buffer is untouched).
 * On success it receives the stored size and the buffer the stored bytes;
 * a terminator (a NUL character at the next even offset) follows them only
 * when the buffer has room for it, so callers zero the buffer and pass at
 * most its size minus one character to be sure of one. */
DRVSETTINGS_API int SettingsReadString(const DriverDevMode *pDevMode, const WCHAR *pszRoot, const WCHAR *pszPattern,
                       const WCHAR *pszName, void *pBuffer, DWORD *pcbSize);
/* Reads up to 4 bytes of a value, whatever its type, into *pdwValue
 * (zero-extended); *pdwValue is untouched on failure. */
DRVSETTINGS_API int SettingsReadDword(const DriverDevMode *pDevMode, const WCHAR *pszRoot, const WCHAR *pszPattern,
                      const WCHAR *pszName, DWORD *pdwValue);

/* Profile accessors by id. The "Default" ones address the profile
 * "Default Settings", the others numbered profile nProfile; nIndex fills
 * the "%d" of a pattern name. Only ReadProfileDword, ReadProfileString and
 * ReadProfileStringAt read through the protected-mode path when
 * ProfileOptions bit 0 is set. An unknown id fails without touching the
 * registry. String readers follow the size protocol of SettingsReadString. */
DRVSETTINGS_API int WriteDefaultDword(const DriverDevMode *pDevMode, int nId, DWORD dwValue);
DRVSETTINGS_API int ReadDefaultDword(const DriverDevMode *pDevMode, int nId, DWORD *pdwValue);
DRVSETTINGS_API int WriteProfileDword(const DriverDevMode *pDevMode, int nId, int nProfile, DWORD dwValue);
DRVSETTINGS_API int ReadProfileDword(const DriverDevMode *pDevMode, int nId, int nProfile, DWORD *pdwValue);
DRVSETTINGS_API int WriteDefaultString(const DriverDevMode *pDevMode, int nId, const WCHAR *pszText);
DRVSETTINGS_API int ReadDefaultString(const DriverDevMode *pDevMode, int nId, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int WriteDefaultStringAt(const DriverDevMode *pDevMode, int nId, const WCHAR *pszText, int nIndex);
DRVSETTINGS_API int ReadDefaultStringAt(const DriverDevMode *pDevMode, int nId, WCHAR *pszBuffer, DWORD *pcbSize, int nIndex);
DRVSETTINGS_API int WriteProfileString(const DriverDevMode *pDevMode, int nId, int nProfile, const WCHAR *pszText);
DRVSETTINGS_API int ReadProfileString(const DriverDevMode *pDevMode, int nId, int nProfile, WCHAR *pszBuffer, DWORD *pcbSize);
DRVSETTINGS_API int WriteProfileStringAt(const DriverDevMode *pDevMode, int nId, int nProfile, const WCHAR *pszText, int nIndex);
DRVSETTINGS_API int ReadProfileStringAt(const DriverDevMode *pDevMode, int nId, int nProfile, WCHAR *pszBuffer, DWORD *pcbSize,
                        int nIndex);

/* Delete numbered profile nProfile, or "Default Settings", from the
 * printer's "Save As Option Settings" key (under the protected-mode path
 * when ProfileOptions bit 0 is set). 1 when the key was deleted, else 0.
 * The profile key must have no sub-keys (RegDeleteKeyW). */
DRVSETTINGS_API int DeleteProfile(const DriverDevMode *pDevMode, int nProfile);
DRVSETTINGS_API int DeleteDefaultSettings(const DriverDevMode *pDevMode);

#ifdef __cplusplus
}
#endif

#endif
