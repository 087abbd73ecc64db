/*
 * The job's device mode, as the driver would put it into the page keys: the
 * public DEVMODEW part and the driver's private block, set from the job
 * description's [DevMode] section.
 */
#include "tools/jobsim/jobdevmode.h"
#include "settings/devmode.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

typedef void (*NumberSetter)(DriverDevMode *, DWORD);
typedef int (*TextSetter)(DriverDevMode *, const WCHAR *);

static const struct { const char *pszName; NumberSetter pfnSet; } kNumbers[] = {
    { "Flags", [](DriverDevMode *p, DWORD v) { DevMode_SetFlags(p, v); } },
    { "WatermarkFlags", [](DriverDevMode *p, DWORD v) { DevMode_SetWatermarkFlags(p, v); } },
    { "WatermarkBrightness", [](DriverDevMode *p, DWORD v) { DevMode_SetWatermarkBrightness(p, v); } },
    { "AnnotationFlags", [](DriverDevMode *p, DWORD v) { DevMode_SetAnnotationFlags(p, v); } },
    { "AnnotationXOffset", [](DriverDevMode *p, DWORD v) { DevMode_SetAnnotationXOffset(p, (LONG)v); } },
    { "AnnotationYOffset", [](DriverDevMode *p, DWORD v) { DevMode_SetAnnotationYOffset(p, (LONG)v); } },
    { "AnnotationRotation", [](DriverDevMode *p, DWORD v) { DevMode_SetAnnotationRotation(p, (LONG)v); } },
    { "AnnotationColor", [](DriverDevMode *p, DWORD v) { DevMode_SetAnnotationColor(p, (COLORREF)v); } },
    { "PrinterId", [](DriverDevMode *p, DWORD v) { DevMode_SetPrinterId(p, v); } },
};

static const struct { const char *pszName; TextSetter pfnSet; } kTexts[] = {
    { "AnnotationText", DevMode_SetAnnotationText },
    { "AnnotationSeparator", DevMode_SetAnnotationSeparator },
    { "WatermarkFilePortrait", DevMode_SetWatermarkFilePortrait },
    { "WatermarkFileLandscape", DevMode_SetWatermarkFileLandscape },
    { "JpegLoaderLibrary", DevMode_SetJpegLoaderLibrary },
    { "TiffLoaderLibrary", DevMode_SetTiffLoaderLibrary },
};

/* Named settings of the private block; FALSE for a name that is not one. */
static BOOL ApplyNamedSetting(DriverDevMode *pdm, const char *pszName, const char *pszValue)
{
    for (const auto &n : kNumbers) {
        if (!lstrcmpiA(pszName, n.pszName)) {
            n.pfnSet(pdm, (DWORD)strtoll(pszValue, NULL, 0));
            return TRUE;
        }
    }
    for (const auto &t : kTexts) {
        if (!lstrcmpiA(pszName, t.pszName)) {
            WCHAR wsz[1024];
            if (MultiByteToWideChar(CP_ACP, 0, pszValue, -1, wsz, 1024) > 0 && !t.pfnSet(pdm, wsz))
                printf("jobsim: [DevMode] %s is too long for its field\n", pszName);
            return TRUE;
        }
    }
    return FALSE;
}

/* Applies one "@offset:type=value" setting to the private block, where type
 * is u8, u16, u32 (numbers) or w (UTF-16 text) or hex (bytes). */
static void ApplyRawSetting(BYTE *pBuffer, DWORD cbBuffer, const char *pszName, const char *pszValue)
{
    char *pszType = NULL;
    unsigned long ulOffset = strtoul(pszName + 1, &pszType, 0);
    if (ulOffset >= cbBuffer)
        return;
    DWORD cbRoom = cbBuffer - (DWORD)ulOffset;
    BYTE *p = pBuffer + ulOffset;
    if (!strcmp(pszType, ":u8") && cbRoom >= 1) {
        *p = (BYTE)strtoul(pszValue, NULL, 0);
    } else if (!strcmp(pszType, ":u16") && cbRoom >= 2) {
        WORD w = (WORD)strtol(pszValue, NULL, 0);
        memcpy(p, &w, 2);
    } else if (!strcmp(pszType, ":u32") && cbRoom >= 4) {
        DWORD dw = (DWORD)strtoll(pszValue, NULL, 0);
        memcpy(p, &dw, 4);
    } else if (!strcmp(pszType, ":w")) {
        WCHAR wsz[JOBSIM_TEXT];
        int cch = MultiByteToWideChar(CP_ACP, 0, pszValue, -1, wsz, JOBSIM_TEXT);
        DWORD cb = (DWORD)cch * sizeof(WCHAR);
        if (cch > 0 && cb <= cbRoom)
            memcpy(p, wsz, cb);
    } else if (!strcmp(pszType, ":hex")) {
        for (DWORD i = 0; pszValue[0] && pszValue[1] && i < cbRoom; i++, pszValue += 2) {
            char szByte[3] = { pszValue[0], pszValue[1], 0 };
            p[i] = (BYTE)strtoul(szByte, NULL, 16);
        }
    }
}

/* Public DEVMODEW fields by name; gives FALSE for a name that is not one. */
static BOOL ApplyPublicSetting(DEVMODEW *pdm, const char *pszName, const char *pszValue)
{
    short n = (short)strtol(pszValue, NULL, 0);
    if (!lstrcmpiA(pszName, "Orientation"))
        pdm->dmOrientation = n;
    else if (!lstrcmpiA(pszName, "PaperSize"))
        pdm->dmPaperSize = n;
    else if (!lstrcmpiA(pszName, "PaperLength"))
        pdm->dmPaperLength = n;
    else if (!lstrcmpiA(pszName, "PaperWidth"))
        pdm->dmPaperWidth = n;
    else if (!lstrcmpiA(pszName, "PrintQuality"))
        pdm->dmPrintQuality = n;
    else if (!lstrcmpiA(pszName, "YResolution"))
        pdm->dmYResolution = n;
    else if (!lstrcmpiA(pszName, "BitsPerPel"))
        pdm->dmBitsPerPel = (DWORD)n;
    else
        return FALSE;
    return TRUE;
}

DWORD BuildJobDevMode(BYTE *pBuffer, DWORD cbBuffer, const char *pszPrinterName, const KeyValue *pSettings,
                      DWORD dwSettings)
{
    DWORD cbStored = DRIVER_DEVMODE_SIZE;
    if (cbBuffer < sizeof(DriverDevMode))
        return 0;
    memset(pBuffer, 0, cbBuffer);
    DEVMODEW dm;
    memset(&dm, 0, sizeof(dm));
    MultiByteToWideChar(CP_ACP, 0, pszPrinterName, -1, dm.dmDeviceName, CCHDEVICENAME);
    dm.dmDeviceName[CCHDEVICENAME - 1] = 0;
    dm.dmSpecVersion = DM_SPECVERSION;
    dm.dmSize = sizeof(DEVMODEW);
    dm.dmDriverExtra = (WORD)(DRIVER_DEVMODE_SIZE - sizeof(DEVMODEW));
    dm.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PRINTQUALITY | DM_YRESOLUTION;
    dm.dmOrientation = DMORIENT_PORTRAIT;
    dm.dmPaperSize = DMPAPER_A4;
    dm.dmPrintQuality = 300;
    dm.dmYResolution = 300;
    dm.dmCopies = 1;
    for (DWORD i = 0; i < dwSettings; i++) {
        if (!lstrcmpiA(pSettings[i].szName, "Size"))
            cbStored = (DWORD)strtoul(pSettings[i].szValue, NULL, 0);
        else
            ApplyPublicSetting(&dm, pSettings[i].szName, pSettings[i].szValue);
    }
    memcpy(pBuffer, &dm, sizeof(dm));
    DriverDevMode *pdm = (DriverDevMode *)pBuffer;
    for (DWORD i = 0; i < dwSettings; i++)
        ApplyNamedSetting(pdm, pSettings[i].szName, pSettings[i].szValue);
    for (DWORD i = 0; i < dwSettings; i++) {
        if (pSettings[i].szName[0] == '@')
            ApplyRawSetting(pBuffer, cbBuffer, pSettings[i].szName, pSettings[i].szValue);
    }
    return cbStored < cbBuffer ? cbStored : cbBuffer;
}
