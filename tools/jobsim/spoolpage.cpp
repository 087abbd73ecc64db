/*
 * Spool pages and the job's device mode, as the driver would produce them.
 */
#include "tools/jobsim/spoolpage.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#define PLACEABLE_KEY 0x9AC6CDD7u

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

