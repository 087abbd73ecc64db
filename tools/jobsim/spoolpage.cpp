/*
 * Spool pages and the job's device mode, as the driver would produce them.
 */
#include "tools/jobsim/spoolpage.h"
#include "tools/jobsim/jobdesc.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#define DRIVER_DEVMODE_SIZE 6879
#define PLACEABLE_KEY 0x9AC6CDD7

/* A4 in 0.01 mm, as the metafile frame wants it. */
#define A4_WIDTH_HIMETRIC  21000
#define A4_HEIGHT_HIMETRIC 29700

static void DrawText(HDC hdc, int x, int y, int nHeight, const char *pszText)
{
    HFONT hFont = CreateFontA(nHeight, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ hOld = SelectObject(hdc, hFont);
    SetBkMode(hdc, TRANSPARENT);
    TextOutA(hdc, x, y, pszText, (int)strlen(pszText));
    SelectObject(hdc, hOld);
    DeleteObject(hFont);
}

/* Draws the page in device units of the reference DC, scaled to A4. */
static void DrawPage(HDC hdc, int cx, int cy, DWORD dwPage, const char *pszText)
{
    char szLine[300];
    HPEN hPen = CreatePen(PS_SOLID, cx / 200 + 1, RGB(0, 0, 0));
    HGDIOBJ hOldPen = SelectObject(hdc, hPen);
    HGDIOBJ hOldBrush = SelectObject(hdc, GetStockObject(NULL_BRUSH));
    Rectangle(hdc, cx / 20, cy / 20, cx - cx / 20, cy - cy / 20);
    snprintf(szLine, sizeof(szLine), "Page %lu", (unsigned long)dwPage);
    DrawText(hdc, cx / 10, cy / 8, cy / 16, szLine);
    snprintf(szLine, sizeof(szLine), pszText, (int)dwPage);
    DrawText(hdc, cx / 10, cy / 4, cy / 40, szLine);
    HBRUSH hBrush = CreateSolidBrush(RGB(0, 0, 160));
    SelectObject(hdc, hBrush);
    Ellipse(hdc, cx / 10, cy / 2, cx / 10 + cx / 4, cy / 2 + cx / 4);
    SelectObject(hdc, hOldBrush);
    DeleteObject(hBrush);
    RECT rc = { cx / 2, cy / 2, cx / 2 + cx / 4, cy / 2 + cx / 8 + (LONG)(dwPage % 4) * cx / 32 };
    HBRUSH hFill = CreateSolidBrush(RGB(200, 30, 30));
    FillRect(hdc, &rc, hFill);
    DeleteObject(hFill);
    SelectObject(hdc, hOldPen);
    DeleteObject(hPen);
}

/* Records the page into an in-memory metafile and gives its bytes. */
static std::vector<BYTE> RecordPage(DWORD dwPage, const char *pszText)
{
    std::vector<BYTE> bits;
    RECT rcFrame = { 0, 0, A4_WIDTH_HIMETRIC, A4_HEIGHT_HIMETRIC };
    HDC hdcRef = GetDC(NULL);
    HDC hdc = CreateEnhMetaFileA(hdcRef, NULL, &rcFrame, "jobsim\0page\0");
    if (hdc) {
        /* Reference-device units per 0.01 mm. */
        int cx = MulDiv(A4_WIDTH_HIMETRIC, GetDeviceCaps(hdcRef, HORZRES), GetDeviceCaps(hdcRef, HORZSIZE) * 100);
        int cy = MulDiv(A4_HEIGHT_HIMETRIC, GetDeviceCaps(hdcRef, VERTRES), GetDeviceCaps(hdcRef, VERTSIZE) * 100);
        DrawPage(hdc, cx, cy, dwPage, pszText);
        HENHMETAFILE hEmf = CloseEnhMetaFile(hdc);
        UINT cb = GetEnhMetaFileBits(hEmf, 0, NULL);
        bits.resize(cb);
        GetEnhMetaFileBits(hEmf, cb, bits.data());
        DeleteEnhMetaFile(hEmf);
    }
    if (hdcRef)
        ReleaseDC(NULL, hdcRef);
    return bits;
}

DWORD WriteSpoolPage(const char *pszPath, DWORD dwPage, const char *pszText, BOOL bPlaceable)
{
    std::vector<BYTE> bits = RecordPage(dwPage, pszText);
    if (bits.empty())
        return 0;
    FILE *f = fopen(pszPath, "wb");
    if (!f)
        return 0;
    DWORD cbTotal = (DWORD)bits.size();
    if (bPlaceable) {
        BYTE prefix[24] = { 0 };
        DWORD dwKey = PLACEABLE_KEY;
        memcpy(prefix, &dwKey, sizeof(dwKey));
        fwrite(prefix, 1, sizeof(prefix), f);
        cbTotal += sizeof(prefix);
    }
    fwrite(bits.data(), 1, bits.size(), f);
    fclose(f);
    return cbTotal;
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
    if (cbBuffer < sizeof(DEVMODEW))
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
    for (DWORD i = 0; i < dwSettings; i++) {
        if (pSettings[i].szName[0] == '@')
            ApplyRawSetting(pBuffer, cbBuffer, pSettings[i].szName, pSettings[i].szValue);
    }
    return cbStored < cbBuffer ? cbStored : cbBuffer;
}
