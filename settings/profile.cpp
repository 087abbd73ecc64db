/* Driver settings in the registry: printer name, value routines, profiles. */
#include "settings/profile.h"
#include "settings/printername.h"
#include "settings/regpath.h"

#include <cwchar>
#include <cstring>

static const WCHAR *const g_apszDwordNames[PD_COUNT] = {
    L"File Format",
    L"Open printer document with default viewer",
    L"Open output folder",
    L"Save each page as separate file",
    L"Append File",
    L"Cancel was pressed",
    L"Show append warning message",
    L"Show overwrite warning message",
    L"Color Depth",
    L"JPEG: Loss Ratio",
    L"TIFF: Internet TIFF Format",
    L"TIFF: Reverse Bit Order",
    L"TIFF: Add page Numbering Tag",
    L"Image PDF: Compression Flag",
    L"PDF: Security - Encryption",
    L"PDF: Security - Security Flags",
    L"PDF: Compression - Stream Compression",
    L"PDF: Compression - Color Image Compression",
    L"PDF: Compression - Mono Image Compression",
    L"PDF: Compression - JPEG Quality",
    L"PDF: Fonts - Embed Fonts",
    L"PDF: Fonts - Embed Licensed Fonts",
    L"PDF: Fonts - Embed Adobe Fonts",
    L"PDF: Fonts - Embed Windows Fonts",
    L"PDF: Fonts - Create Font Subset",
    L"PDF: Fonts - Force Embed Fonts Count",
    L"PDF: Fonts - Forbid Embed Fonts Count",
    L"HTML: General - View Type",
    L"HTML: General - CSS Settings",
    L"HTML: General - Separate Pages",
    L"HTML: General - Display Mode",
    L"HTML: Fonts - Embed Fonts",
    L"HTML: Fonts - Embed Licensed Fonts",
    L"HTML: Fonts - Create Font Subset",
    L"HTML: Fonts - Force Embed Fonts Count",
    L"HTML: Fonts - Forbid Embed Fonts Count",
    L"Redirect Printing",
    L"Send printed document in email",
    L"Upload to SharePoint",
    L"Print Watermark",
    L"Printer count",
    L"Watermark Add first page only",
    L"Watermark P Stretch to width",
    L"Watermark P Stretch to fit",
    L"Watermark P Tile",
    L"Watermark L Stretch to width",
    L"Watermark L Stretch to fit",
    L"Watermark L Tile",
    L"Watermark P First Image position",
    L"Watermark L First Image position",
    L"Watermark First Image enabled",
    L"Watermark P Brightness",
    L"Watermark L Brightness",
    L"Watermark P First Brightness",
    L"Watermark L First Brightness",
    L"Watermark P Center",
    L"Watermark L Center",
};

static const WCHAR *const g_apszStringNames[PS_COUNT] = {
    L"Output Path",
    L"Filename",
    L"PDF: Description - Title",
    L"PDF: Description - Author",
    L"PDF: Description - Subject",
    L"PDF: Description - Keywords",
    L"PDF: Security - User Password",
    L"PDF: Security - Owner Password",
    L"PDF: Fonts - Force Embed Font_%d",
    L"PDF: Fonts - Forbid Embed Font_%d",
    L"HTML: General - Output Folder",
    L"HTML: Fonts - Force Embed Font_%d",
    L"HTML: Fonts - Forbid Embed Font_%d",
    L"Printer %d",
    L"Redirect Printing Log File",
    L"Enable Redirect Printing Log",
    L"SMTP Server",
    L"SMTP Port",
    L"SMTP UserName",
    L"SMTP Password",
    L"SMTP Enable SSL",
    L"Email Send Silently",
    L"Email Sender",
    L"Email To",
    L"Email Cc",
    L"Email Bcc",
    L"Email Subject",
    L"Email Body",
    L"Logging Directory",
    L"Logging Enabled",
    L"Sender Client",
    L"SharePoint Server",
    L"SharePoint Directory",
    L"SharePoint User",
    L"SharePoint Pass",
    L"SharePoint Logfile",
    L"SharePoint Silent",
    L"Watermark Portrait Image",
    L"Watermark Landscape Image",
    L"Watermark Portrait First Image",
    L"Watermark Landscape First Image",
};

const WCHAR *ProfileDwordName(int nId)
{
    return (nId >= 0 && nId < PD_COUNT) ? g_apszDwordNames[nId] : NULL;
}

const WCHAR *ProfileStringName(int nId)
{
    return (nId >= 0 && nId < PS_COUNT) ? g_apszStringNames[nId] : NULL;
}

/* ---- printer registry name ---- */

void GetSettingsPrinterName(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD cbBuffer)
{
    if (!pszBuffer)
        return;
    memset(pszBuffer, 0, cbBuffer);
    if (cbBuffer >= sizeof(WCHAR))
        LookupPrinterName(pDevMode, pszBuffer, cbBuffer / sizeof(WCHAR));
}

/* ---- generic value routines ---- */

int SettingsWriteString(const DriverDevMode *pDevMode, const WCHAR *pszRoot, const WCHAR *pszPattern,
                        const WCHAR *pszName, const WCHAR *pszText)
{
    if (!pszText)
        return 0;
    size_t cch = wcslen(pszText);
    if (cch > 0x7FFFFFF0u / sizeof(WCHAR))
        return 0;
    return RegPathWriteValue(pDevMode, pszRoot, pszPattern, pszName, REG_SZ, pszText,
                             (DWORD)(cch * sizeof(WCHAR)));
}

int SettingsWriteDword(const DriverDevMode *pDevMode, const WCHAR *pszRoot, const WCHAR *pszPattern,
                       const WCHAR *pszName, DWORD dwValue)
{
    return RegPathWriteValue(pDevMode, pszRoot, pszPattern, pszName, REG_DWORD, &dwValue, sizeof(dwValue));
}

/* Reads the value's cbStored bytes through a private buffer and hands them
 * to the caller's buffer of *pcbSize bytes, followed by a NUL character at
 * the next even offset when that fits too. *pcbSize receives the bytes
 * read; a value that grew since it was measured fails. */
static int CopyStoredData(HKEY hKey, const WCHAR *pszName, BYTE *pBuffer, DWORD *pcbSize, DWORD cbStored)
{
    BYTE *pData = (BYTE *)HeapAlloc(GetProcessHeap(), 0, cbStored);
    if (!pData)
        return 0;
    DWORD cbRead = cbStored;
    int nResult = 0;
    if (RegQueryValueExW(hKey, pszName, NULL, NULL, pData, &cbRead) == ERROR_SUCCESS && cbRead <= *pcbSize) {
        memcpy(pBuffer, pData, cbRead);
        DWORD cbEnd = cbRead + (cbRead % sizeof(WCHAR)) + sizeof(WCHAR);
        if (cbEnd <= *pcbSize)
            memset(pBuffer + cbRead, 0, cbEnd - cbRead);
        *pcbSize = cbRead;
        nResult = 1;
    }
    HeapFree(GetProcessHeap(), 0, pData);
    return nResult;
}

int SettingsReadString(const DriverDevMode *pDevMode, const WCHAR *pszRoot, const WCHAR *pszPattern,
                       const WCHAR *pszName, void *pBuffer, DWORD *pcbSize)
{
    if (!pcbSize)
        return 0;
    HKEY hKey = NULL;
    if (!RegPathOpen(pDevMode, pszRoot, pszPattern, pszName, &hKey))
        return 0;
    int nResult = 0;
    DWORD cbStored = 0;
    if (RegQueryValueExW(hKey, pszName, NULL, NULL, NULL, &cbStored) == ERROR_SUCCESS) {
        if (*pcbSize < cbStored || (*pcbSize != 0 && !pBuffer)) {
            *pcbSize = cbStored;
        } else if (cbStored == 0) {
            if (*pcbSize >= sizeof(WCHAR))
                memset(pBuffer, 0, sizeof(WCHAR));
            *pcbSize = 0;
            nResult = 1;
        } else {
            nResult = CopyStoredData(hKey, pszName, (BYTE *)pBuffer, pcbSize, cbStored);
        }
    }
    RegCloseKey(hKey);
    return nResult;
}

int SettingsReadDword(const DriverDevMode *pDevMode, const WCHAR *pszRoot, const WCHAR *pszPattern,
                      const WCHAR *pszName, DWORD *pdwValue)
{
    if (!pdwValue)
        return 0;
    HKEY hKey = NULL;
    if (!RegPathOpen(pDevMode, pszRoot, pszPattern, pszName, &hKey))
        return 0;
    DWORD dwValue = 0;
    DWORD cbData = sizeof(dwValue);
    LONG lResult = RegQueryValueExW(hKey, pszName, NULL, NULL, (BYTE *)&dwValue, &cbData);
    RegCloseKey(hKey);
    if (lResult != ERROR_SUCCESS)
        return 0;
    *pdwValue = dwValue;
    return 1;
}

/* ---- profiles by id ---- */

/* Sub-key pattern of a profile under its root: "%s\Save As Option
 * Settings\<n>" or "...\Default Settings". */
static void ProfilePattern(WCHAR *pszPattern, size_t cchPattern, int nProfile, BOOL bDefault)
{
    if (bDefault)
        swprintf(pszPattern, cchPattern, L"%%s\\%ls\\%ls", SETTINGS_PROFILES_KEY, SETTINGS_DEFAULT_PROFILE);
    else
        swprintf(pszPattern, cchPattern, L"%%s\\%ls\\%d", SETTINGS_PROFILES_KEY, nProfile);
}

/* Root of the numbered-profile readers: the protected-mode copy of ROOT for
 * the block's UserSid when ProfileOptions bit 0 is set, else ROOT. */
static BOOL ProfileReadRoot(const DriverDevMode *pDevMode, WCHAR *pszRoot, size_t cchRoot)
{
    if (pDevMode && (DevMode_GetProfileOptions(pDevMode) & DM_PROFILE_OPTION_PROTECTED_MODE)) {
        WCHAR szSid[DM_CCH_USER_SID];
        if (!RegCopyField(DevMode_GetUserSid(pDevMode), DM_CCH_USER_SID, szSid, DM_CCH_USER_SID) || !szSid[0])
            return FALSE;
        int n = swprintf(pszRoot, cchRoot, L"%ls\\%ls\\%ls", SETTINGS_PROTECTED_PREFIX, szSid, SETTINGS_ROOT_PATH);
        return n > 0;
    }
    swprintf(pszRoot, cchRoot, L"%ls", SETTINGS_ROOT_PATH);
    return TRUE;
}

/* Value name of an indexed string id. */
static BOOL IndexedName(int nId, int nIndex, WCHAR *pszName, size_t cchName)
{
    const WCHAR *pszPattern = ProfileStringName(nId);
    if (!pszPattern)
        return FALSE;
    return RegFormatIndexName(pszPattern, nIndex, pszName, cchName);
}

int WriteDefaultDword(const DriverDevMode *pDevMode, int nId, DWORD dwValue)
{
    const WCHAR *pszName = ProfileDwordName(nId);
    if (!pszName)
        return 0;
    WCHAR szPattern[REG_PATTERN_CCH];
    ProfilePattern(szPattern, REG_PATTERN_CCH, 0, TRUE);
    return SettingsWriteDword(pDevMode, SETTINGS_ROOT_PATH, szPattern, pszName, dwValue);
}

int ReadDefaultDword(const DriverDevMode *pDevMode, int nId, DWORD *pdwValue)
{
    const WCHAR *pszName = ProfileDwordName(nId);
    if (!pszName)
        return 0;
    WCHAR szPattern[REG_PATTERN_CCH];
    ProfilePattern(szPattern, REG_PATTERN_CCH, 0, TRUE);
    return SettingsReadDword(pDevMode, SETTINGS_ROOT_PATH, szPattern, pszName, pdwValue);
}

int WriteProfileDword(const DriverDevMode *pDevMode, int nId, int nProfile, DWORD dwValue)
{
    const WCHAR *pszName = ProfileDwordName(nId);
    if (!pszName)
        return 0;
    WCHAR szPattern[REG_PATTERN_CCH];
    ProfilePattern(szPattern, REG_PATTERN_CCH, nProfile, FALSE);
    return SettingsWriteDword(pDevMode, SETTINGS_ROOT_PATH, szPattern, pszName, dwValue);
}

int ReadProfileDword(const DriverDevMode *pDevMode, int nId, int nProfile, DWORD *pdwValue)
{
    const WCHAR *pszName = ProfileDwordName(nId);
    WCHAR szRoot[REG_PATH_CCH];
    if (!pszName || !ProfileReadRoot(pDevMode, szRoot, REG_PATH_CCH))
        return 0;
    WCHAR szPattern[REG_PATTERN_CCH];
    ProfilePattern(szPattern, REG_PATTERN_CCH, nProfile, FALSE);
    return SettingsReadDword(pDevMode, szRoot, szPattern, pszName, pdwValue);
}

int WriteDefaultString(const DriverDevMode *pDevMode, int nId, const WCHAR *pszText)
{
    const WCHAR *pszName = ProfileStringName(nId);
    if (!pszName)
        return 0;
    WCHAR szPattern[REG_PATTERN_CCH];
    ProfilePattern(szPattern, REG_PATTERN_CCH, 0, TRUE);
    return SettingsWriteString(pDevMode, SETTINGS_ROOT_PATH, szPattern, pszName, pszText);
}

int ReadDefaultString(const DriverDevMode *pDevMode, int nId, WCHAR *pszBuffer, DWORD *pcbSize)
{
    const WCHAR *pszName = ProfileStringName(nId);
    if (!pszName)
        return 0;
    WCHAR szPattern[REG_PATTERN_CCH];
    ProfilePattern(szPattern, REG_PATTERN_CCH, 0, TRUE);
    return SettingsReadString(pDevMode, SETTINGS_ROOT_PATH, szPattern, pszName, pszBuffer, pcbSize);
}

int WriteDefaultStringAt(const DriverDevMode *pDevMode, int nId, const WCHAR *pszText, int nIndex)
{
    WCHAR szName[REG_NAME_CCH];
    if (!IndexedName(nId, nIndex, szName, REG_NAME_CCH))
        return 0;
    WCHAR szPattern[REG_PATTERN_CCH];
    ProfilePattern(szPattern, REG_PATTERN_CCH, 0, TRUE);
    return SettingsWriteString(pDevMode, SETTINGS_ROOT_PATH, szPattern, szName, pszText);
}

int ReadDefaultStringAt(const DriverDevMode *pDevMode, int nId, WCHAR *pszBuffer, DWORD *pcbSize, int nIndex)
{
    WCHAR szName[REG_NAME_CCH];
    if (!IndexedName(nId, nIndex, szName, REG_NAME_CCH))
        return 0;
    WCHAR szPattern[REG_PATTERN_CCH];
    ProfilePattern(szPattern, REG_PATTERN_CCH, 0, TRUE);
    return SettingsReadString(pDevMode, SETTINGS_ROOT_PATH, szPattern, szName, pszBuffer, pcbSize);
}

int WriteProfileString(const DriverDevMode *pDevMode, int nId, int nProfile, const WCHAR *pszText)
{
    const WCHAR *pszName = ProfileStringName(nId);
    if (!pszName)
        return 0;
    WCHAR szPattern[REG_PATTERN_CCH];
    ProfilePattern(szPattern, REG_PATTERN_CCH, nProfile, FALSE);
    return SettingsWriteString(pDevMode, SETTINGS_ROOT_PATH, szPattern, pszName, pszText);
}

int ReadProfileString(const DriverDevMode *pDevMode, int nId, int nProfile, WCHAR *pszBuffer, DWORD *pcbSize)
{
    const WCHAR *pszName = ProfileStringName(nId);
    WCHAR szRoot[REG_PATH_CCH];
    if (!pszName || !ProfileReadRoot(pDevMode, szRoot, REG_PATH_CCH))
        return 0;
    WCHAR szPattern[REG_PATTERN_CCH];
    ProfilePattern(szPattern, REG_PATTERN_CCH, nProfile, FALSE);
    return SettingsReadString(pDevMode, szRoot, szPattern, pszName, pszBuffer, pcbSize);
}

int WriteProfileStringAt(const DriverDevMode *pDevMode, int nId, int nProfile, const WCHAR *pszText, int nIndex)
{
    WCHAR szName[REG_NAME_CCH];
    if (!IndexedName(nId, nIndex, szName, REG_NAME_CCH))
        return 0;
    WCHAR szPattern[REG_PATTERN_CCH];
    ProfilePattern(szPattern, REG_PATTERN_CCH, nProfile, FALSE);
    return SettingsWriteString(pDevMode, SETTINGS_ROOT_PATH, szPattern, szName, pszText);
}

int ReadProfileStringAt(const DriverDevMode *pDevMode, int nId, int nProfile, WCHAR *pszBuffer, DWORD *pcbSize,
                        int nIndex)
{
    WCHAR szName[REG_NAME_CCH];
    WCHAR szRoot[REG_PATH_CCH];
    if (!IndexedName(nId, nIndex, szName, REG_NAME_CCH) || !ProfileReadRoot(pDevMode, szRoot, REG_PATH_CCH))
        return 0;
    WCHAR szPattern[REG_PATTERN_CCH];
    ProfilePattern(szPattern, REG_PATTERN_CCH, nProfile, FALSE);
    return SettingsReadString(pDevMode, szRoot, szPattern, szName, pszBuffer, pcbSize);
}

/* ---- deletions ---- */

/* Deletes sub-key pszSubKey of the printer's "Save As Option Settings". */
static int DeleteProfileKey(const DriverDevMode *pDevMode, const WCHAR *pszSubKey)
{
    if (!pDevMode)
        return 0;
    WCHAR szPrinter[PRINTER_NAME_CCH];
    WCHAR szRoot[REG_PATH_CCH];
    if (!GetUsablePrinterName(pDevMode, szPrinter) || !ProfileReadRoot(pDevMode, szRoot, REG_PATH_CCH))
        return 0;
    WCHAR szParent[REG_PATH_CCH];
    int n = swprintf(szParent, REG_PATH_CCH, L"%ls\\%ls\\%ls", szRoot, szPrinter, SETTINGS_PROFILES_KEY);
    if (n <= 0)
        return 0;
    HKEY hParent = NULL;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, szParent, 0, KEY_WRITE, &hParent) != ERROR_SUCCESS)
        return 0;
    LONG lResult = RegDeleteKeyW(hParent, pszSubKey);
    RegCloseKey(hParent);
    return lResult == ERROR_SUCCESS ? 1 : 0;
}

int DeleteProfile(const DriverDevMode *pDevMode, int nProfile)
{
    WCHAR szNumber[16];
    swprintf(szNumber, 16, L"%d", nProfile);
    return DeleteProfileKey(pDevMode, szNumber);
}

int DeleteDefaultSettings(const DriverDevMode *pDevMode)
{
    return DeleteProfileKey(pDevMode, SETTINGS_DEFAULT_PROFILE);
}
