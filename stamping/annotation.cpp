#include <winsock2.h>  /* types only: the functions are loaded at run time */

#include "stamping/annotation.h"
#include "stamping/stampcommon.h"
#include "stamping/stamps.h"
#include "stamping/stamptext.h"

#include <math.h>
#include <string.h>
#include <wchar.h>

/* The annotation time: set when page 1 is composed, shown on every page. */
static LONGLONG g_nAnnotationTime = 0;

static const WCHAR *const s_apszMonthNames[12] = {
    L"JAN", L"FEB", L"MAR", L"APR", L"MAY", L"JUN",
    L"JUL", L"AUG", L"SEP", L"OCT", L"NOV", L"DEC"
};

/* 100-ns intervals between 1601-01-01 and 1970-01-01. */
#define UNIX_EPOCH_FILETIME 116444736000000000LL
#define FILETIME_PER_SECOND 10000000LL

/* ---- Macros ---------------------------------------------------------- */

static BOOL NamesEqualIgnoringAsciiCase(const WCHAR *a, const WCHAR *b)
{
    for (;; a++, b++) {
        WCHAR ca = (*a >= L'a' && *a <= L'z') ? (WCHAR)(*a - L'a' + L'A') : *a;
        WCHAR cb = (*b >= L'a' && *b <= L'z') ? (WCHAR)(*b - L'a' + L'A') : *b;
        if (ca != cb)
            return FALSE;
        if (ca == L'\0')
            return TRUE;
    }
}

/* An environment variable as a macro value: none when unset, empty or too
 * long for the value buffer. */
static BOOL GetEnvironmentValue(const WCHAR *pszName, WCHAR *pszValue, size_t cchValue)
{
    WCHAR szValue[ANNOTATION_MACRO_SIZE] = L"";
    DWORD cch = GetEnvironmentVariableW(pszName, szValue, ANNOTATION_MACRO_SIZE);
    if (cch == 0 || cch >= ANNOTATION_MACRO_SIZE)
        return FALSE;
    return StampTextCopy(pszValue, cchValue, szValue);
}

typedef int (WINAPI *PFN_WSASTARTUP)(WORD, LPWSADATA);
typedef int (WINAPI *PFN_GETHOSTNAME)(char *, int);
typedef struct hostent *(WINAPI *PFN_GETHOSTBYNAME)(const char *);
typedef char *(WINAPI *PFN_INET_NTOA)(struct in_addr);
typedef int (WINAPI *PFN_WSACLEANUP)(void);

struct SocketEntries {
    PFN_WSASTARTUP pfnStartup;
    PFN_GETHOSTNAME pfnGetHostName;
    PFN_GETHOSTBYNAME pfnGetHostByName;
    PFN_INET_NTOA pfnInetNtoa;
    PFN_WSACLEANUP pfnCleanup;
};

/* Looks up the host's address with the loaded entries; WSAStartup must
 * have succeeded. */
static BOOL LookUpHostAddress(const SocketEntries *pEntries, WCHAR *pszOut, size_t cchOut)
{
    char szHostName[260] = "";
    if (pEntries->pfnGetHostName(szHostName, (int)sizeof(szHostName) - 1) != 0)
        return FALSE;
    struct hostent *pHost = pEntries->pfnGetHostByName(szHostName);
    if (pHost == NULL || pHost->h_addr_list == NULL || pHost->h_addr_list[0] == NULL
        || pHost->h_length < 4)
        return FALSE;
    struct in_addr stAddress;
    memcpy(&stAddress, pHost->h_addr_list[0], 4);
    const char *pszDotted = pEntries->pfnInetNtoa(stAddress);
    if (pszDotted == NULL)
        return FALSE;
    WCHAR szDotted[ANNOTATION_MACRO_SIZE] = L"";
    if (MultiByteToWideChar(CP_ACP, 0, pszDotted, -1, szDotted, ANNOTATION_MACRO_SIZE) == 0)
        return FALSE;
    return StampTextCopy(pszOut, cchOut, szDotted);
}

BOOL GetLocalIpAddressText(WCHAR *pszOut, size_t cchOut)
{
    if (pszOut == NULL || cchOut == 0)
        return FALSE;
    HMODULE hSockets = LoadLibraryW(L"wsock32.dll");
    if (hSockets == NULL)
        return FALSE;
    SocketEntries stEntries;
    stEntries.pfnStartup = (PFN_WSASTARTUP)GetProcAddress(hSockets, "WSAStartup");
    stEntries.pfnGetHostName = (PFN_GETHOSTNAME)GetProcAddress(hSockets, "gethostname");
    stEntries.pfnGetHostByName = (PFN_GETHOSTBYNAME)GetProcAddress(hSockets, "gethostbyname");
    stEntries.pfnInetNtoa = (PFN_INET_NTOA)GetProcAddress(hSockets, "inet_ntoa");
    stEntries.pfnCleanup = (PFN_WSACLEANUP)GetProcAddress(hSockets, "WSACleanup");
    BOOL bFound = FALSE;
    WCHAR szAddress[ANNOTATION_MACRO_SIZE] = L"";
    if (stEntries.pfnStartup && stEntries.pfnGetHostName && stEntries.pfnGetHostByName
        && stEntries.pfnInetNtoa && stEntries.pfnCleanup) {
        WSADATA stData;
        if (stEntries.pfnStartup(0x0101, &stData) == 0) {
            bFound = LookUpHostAddress(&stEntries, szAddress, ANNOTATION_MACRO_SIZE);
            stEntries.pfnCleanup();
        }
    }
    FreeLibrary(hSockets);
    if (!bFound || wcslen(szAddress) >= cchOut)
        return FALSE;
    return StampTextCopy(pszOut, cchOut, szAddress);
}

/* The value of one macro, or FALSE when it has none. */
static BOOL LookUpMacro(const WCHAR *pszName, const WCHAR *pszDocumentName, DWORD dwPage,
                        const WCHAR *pszPrinterName, WCHAR *pszValue, size_t cchValue)
{
    if (NamesEqualIgnoringAsciiCase(pszName, L"DOMAINNAME"))
        return GetEnvironmentValue(L"USERDOMAIN", pszValue, cchValue);
    if (NamesEqualIgnoringAsciiCase(pszName, L"USERNAME"))
        return GetEnvironmentValue(L"USERNAME", pszValue, cchValue);
    if (NamesEqualIgnoringAsciiCase(pszName, L"COMPUTERNAME"))
        return GetEnvironmentValue(L"COMPUTERNAME", pszValue, cchValue);
    if (NamesEqualIgnoringAsciiCase(pszName, L"IPADDRESS"))
        return GetLocalIpAddressText(pszValue, cchValue);
    if (NamesEqualIgnoringAsciiCase(pszName, L"DOCNAME"))
        return pszDocumentName != NULL && StampTextCopy(pszValue, cchValue, pszDocumentName);
    if (NamesEqualIgnoringAsciiCase(pszName, L"PAGENUM")) {
        pszValue[0] = L'\0';
        return StampTextAppendFormat(pszValue, cchValue, L"%d", (int)dwPage);
    }
    if (NamesEqualIgnoringAsciiCase(pszName, L"PRINTERNAME"))
        return pszPrinterName != NULL && StampTextCopy(pszValue, cchValue, pszPrinterName);
    return GetEnvironmentValue(pszName, pszValue, cchValue);
}

/* Appends cch characters of pszPiece when they fit in the room left, and
 * takes them from the room; a piece that does not fit is left out whole. */
static void AppendPieceIfRoom(WCHAR *pszOut, size_t *pcchRoom, const WCHAR *pszPiece, size_t cch)
{
    if (cch >= *pcchRoom)
        return;
    size_t cchUsed = wcslen(pszOut);
    wmemcpy(pszOut + cchUsed, pszPiece, cch);
    pszOut[cchUsed + cch] = L'\0';
    *pcchRoom -= cch;
}

void ExpandAnnotationTemplate(const WCHAR *pszTemplate, WCHAR *pszOut,
                              const WCHAR *pszDocumentName, DWORD dwPage,
                              const WCHAR *pszPrinterName)
{
    if (pszOut == NULL)
        return;
    /* The template may be the output itself: work from a copy. */
    WCHAR szTemplate[ANNOTATION_MACRO_SIZE] = L"";
    StampTextCopy(szTemplate, ANNOTATION_MACRO_SIZE, pszTemplate);
    pszOut[0] = L'\0';
    size_t cchRoom = ANNOTATION_MACRO_SIZE;

    const WCHAR *pszPos = szTemplate;
    const WCHAR *pszOpen = NULL;
    while ((pszOpen = wcsstr(pszPos, L"<<")) != NULL) {
        AppendPieceIfRoom(pszOut, &cchRoom, pszPos, (size_t)(pszOpen - pszPos));
        const WCHAR *pszNameStart = pszOpen + 2;
        const WCHAR *pszClose = wcsstr(pszNameStart, L">>");
        size_t cchName = pszClose ? (size_t)(pszClose - pszNameStart) : wcslen(pszNameStart);
        pszPos = pszClose ? pszClose + 2 : pszNameStart + cchName;

        WCHAR szName[ANNOTATION_MACRO_SIZE] = L"";
        wmemcpy(szName, pszNameStart, cchName);  /* cchName < 128: it lies in szTemplate */
        WCHAR szValue[ANNOTATION_MACRO_SIZE] = L"";
        if (LookUpMacro(szName, pszDocumentName, dwPage, pszPrinterName, szValue, ANNOTATION_MACRO_SIZE))
            AppendPieceIfRoom(pszOut, &cchRoom, szValue, wcslen(szValue));
    }
    AppendPieceIfRoom(pszOut, &cchRoom, pszPos, wcslen(pszPos));
}

void ExpandAnnotationMacros(DriverDevMode *pDevMode, const char *pszDocumentName, DWORD dwPage)
{
    if (pDevMode == NULL || pszDocumentName == NULL || !(pDevMode->AnnotationFlags & ANF_ENABLED))
        return;
    /* A name of 128 characters or more does not convert and has no value. */
    WCHAR szDocumentName[ANNOTATION_MACRO_SIZE] = L"";
    BOOL bHaveDocumentName = MultiByteToWideChar(CP_ACP, 0, pszDocumentName, -1,
                                                 szDocumentName, ANNOTATION_MACRO_SIZE) != 0;
    /* The block is byte-packed: fields are copied out and back, never
     * used through pointers of their own type. */
    WCHAR szPrinterName[DM_CCH_DEVICE_NAME + 1] = L"";
    memcpy(szPrinterName, &pDevMode->dmPublic.dmDeviceName, DM_CCH_DEVICE_NAME * sizeof(WCHAR));
    WCHAR szTemplate[DM_CCH_ANNOTATION + 1] = L"";
    memcpy(szTemplate, &pDevMode->AnnotationText, DM_CCH_ANNOTATION * sizeof(WCHAR));
    WCHAR szExpanded[DM_CCH_ANNOTATION] = L"";
    ExpandAnnotationTemplate(szTemplate, szExpanded,
                             bHaveDocumentName ? szDocumentName : NULL, dwPage, szPrinterName);
    memcpy(&pDevMode->AnnotationText, szExpanded, sizeof(szExpanded));
}

/* ---- Date and time --------------------------------------------------- */

int GetJulianDayNumber(int nYear, int nMonth, int nDay)
{
    int y = nYear + 1900;
    int m = nMonth + 1;
    if (m == 1 || m == 2) {
        y -= 1;
        m += 12;
    }
    int a = y / 100;
    int b = 2 - a + a / 4;
    return nDay + b + (int)trunc(365.25 * (y + 4716)) + (int)trunc(30.6001 * (m + 1)) - 1524;
}

LONGLONG GetAnnotationTimeForPage(DWORD dwPage)
{
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    LONGLONG nNow = (LONGLONG)((((ULONGLONG)ft.dwHighDateTime << 32) | ft.dwLowDateTime)
                               - UNIX_EPOCH_FILETIME) / FILETIME_PER_SECOND;
    if (dwPage == 1)
        g_nAnnotationTime = nNow;
    /* Pages come in order, page 1 first; one that comes earlier shows the
     * time of its own composition rather than 1970. */
    return g_nAnnotationTime != 0 ? g_nAnnotationTime : nNow;
}

void AnnotationTimeToLocal(LONGLONG nSeconds, SYSTEMTIME *pLocal)
{
    ULONGLONG nTicks = (ULONGLONG)(nSeconds * FILETIME_PER_SECOND + UNIX_EPOCH_FILETIME);
    FILETIME ft;
    ft.dwLowDateTime = (DWORD)nTicks;
    ft.dwHighDateTime = (DWORD)(nTicks >> 32);
    SYSTEMTIME stUtc;
    memset(&stUtc, 0, sizeof(stUtc));
    FileTimeToSystemTime(&ft, &stUtc);
    if (!SystemTimeToTzSpecificLocalTime(NULL, &stUtc, pLocal))
        *pLocal = stUtc;
}

static void AppendAnnotationDate(DWORD nFlags, const SYSTEMTIME *pLocal, WCHAR *pszOut, size_t cchOut)
{
    int nYear = pLocal->wYear;
    int nMonth = pLocal->wMonth;
    int nDay = pLocal->wDay;
    if (nFlags & ANF_DATE_MDY)
        StampTextAppendFormat(pszOut, cchOut, L"%02d/%02d/%04d ", nMonth, nDay, nYear);
    else if (nFlags & ANF_DATE_MDY_SHORT)
        StampTextAppendFormat(pszOut, cchOut, L"%01d/%01d/%02d ", nMonth, nDay, nYear - 2000);
    else if (nFlags & ANF_DATE_DMY)
        StampTextAppendFormat(pszOut, cchOut, L"%02d/%02d/%04d ", nDay, nMonth, nYear);
    else if (nFlags & ANF_DATE_D_MON_Y)
        StampTextAppendFormat(pszOut, cchOut, L"%02d-%ls-%04d ", nDay,
                              s_apszMonthNames[(nMonth >= 1 && nMonth <= 12) ? nMonth - 1 : 0], nYear);
    else if (nFlags & ANF_DATE_YMD)
        StampTextAppendFormat(pszOut, cchOut, L"%04d/%02d/%02d ", nYear, nMonth, nDay);
    else if (nFlags & ANF_DATE_JULIAN)
        StampTextAppendFormat(pszOut, cchOut, L"%d ", GetJulianDayNumber(nYear - 1900, nMonth - 1, nDay));
}

static void AppendAnnotationTime(DWORD nFlags, const SYSTEMTIME *pLocal, const WCHAR *pszZoneName,
                                 WCHAR *pszOut, size_t cchOut)
{
    BOOL b12Hour = (nFlags & ANF_TIME_12H) != 0;
    if (!b12Hour && !(nFlags & ANF_TIME_24H))
        return;
    int nHour = pLocal->wHour;
    int nShownHour = nHour;
    if (b12Hour)
        nShownHour = (nHour % 12 == 0) ? 12 : nHour % 12;
    StampTextAppendFormat(pszOut, cchOut, L"%02d", nShownHour);
    if (nFlags & ANF_TIME_MINUTES)
        StampTextAppendFormat(pszOut, cchOut, L":%02d", (int)pLocal->wMinute);
    if (nFlags & ANF_TIME_SECONDS)
        StampTextAppendFormat(pszOut, cchOut, L":%02d", (int)pLocal->wSecond);
    if (b12Hour)
        StampTextAppend(pszOut, cchOut, nHour >= 12 ? L" PM" : L" AM");
    if ((nFlags & ANF_TIME_ZONE) && pszZoneName != NULL)
        StampTextAppendFormat(pszOut, cchOut, L" %ls", pszZoneName);
}

void AppendAnnotationDateTime(DWORD nFlags, const SYSTEMTIME *pLocal, const WCHAR *pszZoneName,
                              WCHAR *pszOut, size_t cchOut)
{
    if (pLocal == NULL || pszOut == NULL || cchOut == 0)
        return;
    if (nFlags & ANF_DATE)
        AppendAnnotationDate(nFlags, pLocal, pszOut, cchOut);
    if (nFlags & ANF_TIME)
        AppendAnnotationTime(nFlags, pLocal, pszZoneName, pszOut, cchOut);
}

/* ---- Composition and drawing ----------------------------------------- */

void BuildAnnotationString(DriverDevMode *pDevMode, WCHAR *pszOut, size_t cchOut,
                           const char *pszDocumentName, DWORD dwPage)
{
    if (pszOut == NULL || cchOut == 0)
        return;
    wmemset(pszOut, L'\0', cchOut);
    if (pDevMode == NULL || pszDocumentName == NULL || !(pDevMode->AnnotationFlags & ANF_ENABLED))
        return;
    DWORD nFlags = pDevMode->AnnotationFlags;
    if (nFlags & ANF_TEXT) {
        ExpandAnnotationMacros(pDevMode, pszDocumentName, dwPage);
        WCHAR szText[DM_CCH_ANNOTATION + 1] = L"";
        memcpy(szText, &pDevMode->AnnotationText, DM_CCH_ANNOTATION * sizeof(WCHAR));
        WCHAR szSeparator[DM_CCH_ANNOTATION + 1] = L"";
        memcpy(szSeparator, &pDevMode->AnnotationSeparator, DM_CCH_ANNOTATION * sizeof(WCHAR));
        StampTextAppend(pszOut, cchOut, szText);
        StampTextAppend(pszOut, cchOut, L" ");
        StampTextAppend(pszOut, cchOut, szSeparator);
        StampTextAppend(pszOut, cchOut, L" ");
    }
    SYSTEMTIME stLocal;
    AnnotationTimeToLocal(GetAnnotationTimeForPage(dwPage), &stLocal);
    TIME_ZONE_INFORMATION stZone;
    memset(&stZone, 0, sizeof(stZone));
    const WCHAR *pszZoneName = NULL;
    if ((nFlags & ANF_TIME) && (nFlags & ANF_TIME_ZONE)
        && GetTimeZoneInformation(&stZone) != TIME_ZONE_ID_INVALID) {
        stZone.StandardName[31] = L'\0';
        pszZoneName = stZone.StandardName;
    }
    AppendAnnotationDateTime(nFlags, &stLocal, pszZoneName, pszOut, cchOut);
}

int AnnotationAnchorFromFlags(DWORD nFlags)
{
    if (nFlags & ANF_POS_TOP_RIGHT)
        return STAMP_POS_TOP_RIGHT;
    if (nFlags & ANF_POS_CENTER)
        return STAMP_POS_CENTER;
    if (nFlags & ANF_POS_BOTTOM_LEFT)
        return STAMP_POS_BOTTOM_LEFT;
    if (nFlags & ANF_POS_BOTTOM_RIGHT)
        return STAMP_POS_BOTTOM_RIGHT;
    return STAMP_POS_TOP_LEFT;
}

int AnnotationUnitFromFlags(DWORD nFlags)
{
    if (nFlags & ANF_UNITS_TENTH_MM)
        return STAMP_UNIT_TENTH_MM;
    if (nFlags & ANF_UNITS_HUNDREDTH_INCH)
        return STAMP_UNIT_HUNDREDTH_INCH;
    return STAMP_UNIT_PIXELS;
}

/* Measures, places and draws the composed string with the selected font. */
static void DrawAnnotationString(HDC hdc, const DriverDevMode *pWork, const WCHAR *pszText,
                                 ULONGLONG ptPhysPageInPixels, ULONGLONG ptPhysDPI)
{
    int cxPage = PackedPointX(ptPhysPageInPixels);
    int cyPage = PackedPointY(ptPhysPageInPixels);
    int nUnit = AnnotationUnitFromFlags(pWork->AnnotationFlags);
    int xOff = ConvertStampOffset(pWork->AnnotationXOffset, nUnit, StampPixelsPerMetre(PackedPointX(ptPhysDPI)));
    int yOff = ConvertStampOffset(pWork->AnnotationYOffset, nUnit, StampPixelsPerMetre(PackedPointY(ptPhysDPI)));
    int cchText = (int)wcslen(pszText);
    SIZE stExtent = { 0, 0 };
    GetTextExtentPoint32W(hdc, pszText, cchText, &stExtent);
    POINT pt = ComputeStampPosition(AnnotationAnchorFromFlags(pWork->AnnotationFlags),
                                    (int)pWork->AnnotationRotation, stExtent.cx, stExtent.cy,
                                    cxPage, cyPage, xOff, yOff);
    SetTextColor(hdc, pWork->AnnotationColor);
    TextOutW(hdc, pt.x, pt.y, pszText, cchText);
}

int AddAnnotation(HDC hdc, const void *pDevMode, DWORD cbDevMode, const char *pszDocumentName,
                  DWORD dwPage, ULONGLONG ptPhysPageInPixels, ULONGLONG ptPhysDPI)
{
    /* The macros are expanded into this copy; the job's template stays. */
    DriverDevMode stWork;
    if (hdc == NULL || pszDocumentName == NULL || !StampCopyDevMode(pDevMode, cbDevMode, &stWork))
        return STAMP_FAILED;
    if (!(stWork.AnnotationFlags & ANF_ENABLED))
        return STAMP_SWITCHED_OFF;

    LOGFONTW stStored;
    memcpy(&stStored, &stWork.AnnotationFont, sizeof(stStored));
    LOGFONTW stFont;
    PrepareStampFont(&stStored, (int)stWork.AnnotationRotation, PackedPointY(ptPhysDPI), &stFont);
    HFONT hFont = CreateFontIndirectW(&stFont);
    if (hFont == NULL)
        return STAMP_DRAWN;
    HGDIOBJ hOldFont = SelectObject(hdc, hFont);
    SetBkMode(hdc, (stWork.AnnotationFlags & ANF_TRANSPARENT) ? TRANSPARENT : OPAQUE);

    WCHAR szText[ANNOTATION_STRING_SIZE] = L"";
    BuildAnnotationString(&stWork, szText, ANNOTATION_STRING_SIZE, pszDocumentName, dwPage);
    DrawAnnotationString(hdc, &stWork, szText, ptPhysPageInPixels, ptPhysDPI);

    SelectObject(hdc, hOldFont);
    DeleteObject(hFont);
    return STAMP_DRAWN;
}
