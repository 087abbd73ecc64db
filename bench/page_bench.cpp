/*
 * page_bench: figures of the page checks and the checking player.
 *
 *   page_bench.exe pages <folder>   the pages of a folder (*.emf) played on
 *                                    a printer DC, bare and checked
 *   page_bench.exe bounds           what single records cost the player at
 *                                    sizes around the bounds (each in a
 *                                    process of its own)
 *   page_bench.exe cost <kind> <n>  one such measurement (used by bounds)
 *
 * Run in the test environment (the queue JH_PDF_C, output to a file):
 *   build/wine-exec.sh build/bin/page_bench.exe pages 'Z:\work\shared\pages\applications'
 */
#include "forwarding/emfplay.h"
#include "forwarding/pagereader.h"

#include <psapi.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#define BENCH_QUEUE  "JH_PDF_C"
#define BENCH_OUTPUT "Z:\\tmp\\page_bench.ps"

static double CpuSeconds(void)
{
    FILETIME ftCreate, ftExit, ftKernel, ftUser;
    GetProcessTimes(GetCurrentProcess(), &ftCreate, &ftExit, &ftKernel, &ftUser);
    ULONGLONG k = ((ULONGLONG)ftKernel.dwHighDateTime << 32) | ftKernel.dwLowDateTime;
    ULONGLONG u = ((ULONGLONG)ftUser.dwHighDateTime << 32) | ftUser.dwLowDateTime;
    return (k + u) / 1e7;
}

static double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

/* A document on the queue, printed to a file; the printer is opened first,
 * as the helper does, which loads the spooler for the DC. */
static HDC StartPrinterDoc(void)
{
    HANDLE hPrinter = NULL;
    if (OpenPrinterA((LPSTR)BENCH_QUEUE, &hPrinter, NULL))
        ClosePrinter(hPrinter);
    HDC hdc = CreateDCA("WINSPOOL", BENCH_QUEUE, NULL, NULL);
    DOCINFOA stDoc = { sizeof(stDoc), "page_bench", BENCH_OUTPUT, NULL, 0 };
    if (hdc && StartDocA(hdc, &stDoc) <= 0) {
        DeleteDC(hdc);
        hdc = NULL;
    }
    if (!hdc)
        fprintf(stderr, "cannot start a document on %s: error %lu\n", BENCH_QUEUE, GetLastError());
    return hdc;
}

static void EndPrinterDoc(HDC hdc)
{
    EndDoc(hdc);
    DeleteDC(hdc);
    DeleteFileA(BENCH_OUTPUT);
}

/* ---- the pages of a folder --------------------------------------------- */

struct BenchPage {
    std::string bytes;
    HENHMETAFILE hEmf;
};

static std::vector<BenchPage> ReadPages(const std::string &folder)
{
    std::vector<BenchPage> pages;
    WIN32_FIND_DATAA stFind;
    HANDLE hFind = FindFirstFileA((folder + "\\*.emf").c_str(), &stFind);
    for (BOOL bMore = hFind != INVALID_HANDLE_VALUE; bMore; bMore = FindNextFileA(hFind, &stFind)) {
        FILE *f = fopen((folder + "\\" + stFind.cFileName).c_str(), "rb");
        if (!f)
            continue;
        BenchPage page;
        char buffer[65536];
        for (size_t n; (n = fread(buffer, 1, sizeof(buffer), f)) > 0;)
            page.bytes.append(buffer, n);
        fclose(f);
        page.hEmf = ReadMetaFile((const BYTE *)page.bytes.data(), (DWORD)page.bytes.size(), NULL, NULL);
        if (page.hEmf)
            pages.push_back(page);
    }
    if (hFind != INVALID_HANDLE_VALUE)
        FindClose(hFind);
    return pages;
}

/* One play of a page on its own page of the printer, bare, or checked (the
 * page's bytes checked as the reader does, then the checking player); gives
 * its CPU seconds. */
static double PlayOnce(HDC hdc, const BenchPage &page, bool bChecked)
{
    RECT rc = { 0, 0, GetDeviceCaps(hdc, HORZRES) - 1, GetDeviceCaps(hdc, VERTRES) - 1 };
    StartPage(hdc);
    double d0 = CpuSeconds();
    if (bChecked) {
        CheckPageBytes((const BYTE *)page.bytes.data(), (DWORD)page.bytes.size(), NULL);
        PlayCheckedMetaFile(hdc, page.hEmf, &rc, NULL);
    } else {
        PlayEnhMetaFile(hdc, page.hEmf, &rc);
    }
    double dSpent = CpuSeconds() - d0;
    EndPage(hdc);
    return dSpent;
}

/* One round: every page played bare and checked, one right after the
 * other, in turns as to which goes first, so that drift of the machine
 * falls on both alike. Adds the CPU seconds to *pdBare and *pdChecked. */
static void PlayRound(HDC hdc, const std::vector<BenchPage> &pages, int nRound, double *pdBare, double *pdChecked)
{
    for (size_t i = 0; i < pages.size(); i++) {
        bool bCheckedFirst = (nRound + i) % 2 != 0;
        double dFirst = PlayOnce(hdc, pages[i], bCheckedFirst);
        double dSecond = PlayOnce(hdc, pages[i], !bCheckedFirst);
        *pdBare += bCheckedFirst ? dSecond : dFirst;
        *pdChecked += bCheckedFirst ? dFirst : dSecond;
    }
}

/* CPU seconds the checks and the checking player add to the bare player
 * for one play of every page, measured where playing itself costs little
 * (a small memory DC), both players alternating over many rounds, so that
 * the difference stands out of the noise of the printer driver. */
static double CheckingOverhead(const std::vector<BenchPage> &pages)
{
    const int nRounds = 10;
    BITMAPINFO stInfo;
    memset(&stInfo, 0, sizeof(stInfo));
    stInfo.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    stInfo.bmiHeader.biWidth = 200;
    stInfo.bmiHeader.biHeight = 283;
    stInfo.bmiHeader.biPlanes = 1;
    stInfo.bmiHeader.biBitCount = 32;
    void *pBits = NULL;
    HDC hdc = CreateCompatibleDC(NULL);
    HBITMAP hbm = CreateDIBSection(hdc, &stInfo, DIB_RGB_COLORS, &pBits, NULL, 0);
    HGDIOBJ hOld = SelectObject(hdc, hbm);
    RECT rc = { 0, 0, 199, 282 };
    double adSpent[2] = { 0, 0 };
    for (int nRound = 0; nRound < 2 * nRounds; nRound++) {
        bool bChecked = nRound % 2 != 0;
        double d0 = CpuSeconds();
        for (const BenchPage &page : pages) {
            if (bChecked) {
                CheckPageBytes((const BYTE *)page.bytes.data(), (DWORD)page.bytes.size(), NULL);
                PlayCheckedMetaFile(hdc, page.hEmf, &rc, NULL);
            } else {
                PlayEnhMetaFile(hdc, page.hEmf, &rc);
            }
        }
        adSpent[bChecked] += CpuSeconds() - d0;
    }
    SelectObject(hdc, hOld);
    DeleteObject(hbm);
    DeleteDC(hdc);
    printf("  on a 200 x 283 memory DC, CPU seconds a round: bare %.4f, checked %.4f\n", adSpent[0] / nRounds,
           adSpent[1] / nRounds);
    return (adSpent[1] - adSpent[0]) / nRounds;
}

static int BenchPages(const std::string &folder)
{
    std::vector<BenchPage> pages = ReadPages(folder);
    HDC hdc = StartPrinterDoc();
    if (pages.empty() || !hdc)
        return 1;
    double dWarmBare = 0, dWarmChecked = 0;
    PlayRound(hdc, pages, 0, &dWarmBare, &dWarmChecked); /* warm-up: fonts and the driver */
    std::vector<double> vBare, vChecked, vRatio;
    for (int nRound = 0; nRound < 7; nRound++) {
        double dBare = 0, dChecked = 0;
        PlayRound(hdc, pages, nRound, &dBare, &dChecked);
        vBare.push_back(dBare);
        vChecked.push_back(dChecked);
        vRatio.push_back(dChecked / dBare);
    }
    EndPrinterDoc(hdc);
    printf("%u pages on %s, 7 rounds, CPU seconds per round (median): bare %.3f, checks and checking player %.3f\n",
           (unsigned)pages.size(), BENCH_QUEUE, Median(vBare), Median(vChecked));
    printf("  ratio checked / bare: median %.3f, rounds", Median(vRatio));
    for (double d : vRatio)
        printf(" %.3f", d);
    printf("\n");
    double dOverhead = CheckingOverhead(pages);
    printf("  what the checks add: %.4f s a round, %.2f %% of bare play on %s "
           "(ratio %.4f)\n", dOverhead, dOverhead * 100 / Median(vBare), BENCH_QUEUE,
           1 + dOverhead / Median(vBare));
    for (const BenchPage &page : pages)
        DeleteEnhMetaFile(page.hEmf);
    return 0;
}

/* ---- single records around the bounds --------------------------------- */

typedef std::vector<BYTE> Bytes;

static void Put(Bytes &b, DWORD v)
{
    b.insert(b.end(), (const BYTE *)&v, (const BYTE *)&v + 4);
}

static void SetAt(Bytes &b, size_t dwAt, DWORD v)
{
    memcpy(&b[dwAt], &v, 4);
}

/* A page of A4 at 300 dpi holding the records, with its closing record. */
static Bytes MakePage(const Bytes &records)
{
    Bytes page(108, 0);
    DWORD adwHeader[] = { 1, 108, 0, 0, 2480, 3508, 0, 0, 21000, 29700, 0x464D4520, 0x10000 };
    memcpy(&page[0], adwHeader, sizeof(adwHeader));
    page[56] = 8; /* handles */
    SetAt(page, 72, 2480);
    SetAt(page, 76, 3508);
    SetAt(page, 80, 210);
    SetAt(page, 84, 297);
    page.insert(page.end(), records.begin(), records.end());
    DWORD adwEof[] = { 14, 20, 0, 16, 20 };
    page.insert(page.end(), (const BYTE *)adwEof, (const BYTE *)adwEof + sizeof(adwEof));
    SetAt(page, 48, (DWORD)page.size());
    return page;
}

static Bytes Finish(Bytes r)
{
    SetAt(r, 4, (DWORD)r.size());
    return r;
}

/* StretchDIBits of an RLE8 bitmap of n x n pixels whose stream ends at once. */
static Bytes RleRecord(DWORD n)
{
    Bytes r;
    DWORD adwFixed[] = { 81, 0, 0, 0, 0, 0, 0, 0, 0, 0, n, n, 80, 40 + 1024, 80 + 40 + 1024, 4, 0, SRCCOPY, 2480, 3508 };
    r.insert(r.end(), (const BYTE *)adwFixed, (const BYTE *)adwFixed + sizeof(adwFixed));
    DWORD adwHeader[] = { 40, n, n, 1 | (8 << 16), BI_RLE8, 4, 0, 0, 256, 0 };
    r.insert(r.end(), (const BYTE *)adwHeader, (const BYTE *)adwHeader + sizeof(adwHeader));
    for (DWORD i = 0; i < 256; i++)
        Put(r, i * 0x010101);
    Put(r, 0x01000000); /* end of line, end of bitmap */
    return Finish(r);
}

/* A fill of a region of n rectangles of a 200-wide grid. */
static Bytes RegionRecord(DWORD n)
{
    Bytes r;
    DWORD adwFixed[] = { 74, 0, 0, 0, 2480, 3508, 32 + n * 16, 32, RDH_RECTANGLES, n, n * 16, 0, 0, 2480, 3508 };
    r.insert(r.end(), (const BYTE *)adwFixed, (const BYTE *)adwFixed + sizeof(adwFixed));
    for (DWORD i = 0; i < n; i++) {
        LONG x = (LONG)(i % 200) * 10, y = (LONG)(i / 200) * 3;
        DWORD adwRect[] = { (DWORD)x, (DWORD)y, (DWORD)(x + 5), (DWORD)(y + 2) };
        r.insert(r.end(), (const BYTE *)adwRect, (const BYTE *)adwRect + sizeof(adwRect));
    }
    return Finish(r);
}

/* A palette of one entry, then resized to n entries. */
static Bytes PaletteRecords(DWORD n)
{
    DWORD adw[] = { 49, 20, 1, 0x300 | (1 << 16), 0, 51, 16, 1, n };
    return Bytes((const BYTE *)adw, (const BYTE *)adw + sizeof(adw));
}

/* n gradient triangles, each over half the page. */
static Bytes GradientRecord(DWORD n)
{
    Bytes r;
    DWORD adwFixed[] = { 118, 0, 0, 0, 2480, 3508, 3, n, GRADIENT_FILL_TRIANGLE };
    r.insert(r.end(), (const BYTE *)adwFixed, (const BYTE *)adwFixed + sizeof(adwFixed));
    DWORD adwVertices[] = { 0, 0, 0xFF00, 0, 2479, 0, 0, 0xFF00, 0, 3507, 0xFF00FF00, 0xFF00 };
    r.insert(r.end(), (const BYTE *)adwVertices, (const BYTE *)adwVertices + sizeof(adwVertices));
    for (DWORD i = 0; i < n; i++) {
        Put(r, 0);
        Put(r, 1);
        Put(r, 2);
    }
    return Finish(r);
}

/* An alpha blend of a 4 x 4 picture over n x n pixels of the device. */
static Bytes AlphaBlendRecord(DWORD n)
{
    Bytes r;
    DWORD adwFixed[] = { 114, 0, 0, 0, n, n, 0, 0, n, n, 0x00FF0000, 0, 0 };
    r.insert(r.end(), (const BYTE *)adwFixed, (const BYTE *)adwFixed + sizeof(adwFixed));
    float afXform[6] = { 1, 0, 0, 1, 0, 0 };
    r.insert(r.end(), (const BYTE *)afXform, (const BYTE *)afXform + sizeof(afXform));
    DWORD adwSource[] = { 0, 0, 108, 40, 148, 64, 4, 4, 40, 4, 4, 1 | (32 << 16), 0, 64, 0, 0, 0, 0 };
    r.insert(r.end(), (const BYTE *)adwSource, (const BYTE *)adwSource + sizeof(adwSource));
    for (DWORD i = 0; i < 16; i++)
        Put(r, 0x80406080);
    return Finish(r);
}

/* In a process of its own: one record of the kind at size n played on the
 * printer, bare; prints the CPU time and the peak working set. */
static int MeasureRecord(const std::string &kind, DWORD n)
{
    Bytes records = kind == "rle" ? RleRecord(n) : kind == "region" ? RegionRecord(n) : kind == "palette" ?
                    PaletteRecords(n) : kind == "gradient" ? GradientRecord(n) : AlphaBlendRecord(n);
    Bytes page = MakePage(records);
    HENHMETAFILE hEmf = SetEnhMetaFileBits((UINT)page.size(), page.data());
    HDC hdc = StartPrinterDoc();
    if (!hEmf || !hdc)
        return 1;
    RECT rc = { 0, 0, GetDeviceCaps(hdc, HORZRES) - 1, GetDeviceCaps(hdc, VERTRES) - 1 };
    StartPage(hdc);
    double d0 = CpuSeconds();
    PlayEnhMetaFile(hdc, hEmf, &rc);
    double dSpent = CpuSeconds() - d0;
    EndPage(hdc);
    EndPrinterDoc(hdc);
    PROCESS_MEMORY_COUNTERS stCounters;
    memset(&stCounters, 0, sizeof(stCounters));
    GetProcessMemoryInfo(GetCurrentProcess(), &stCounters, sizeof(stCounters));
    printf("  %-9s %11lu: %7.3f s CPU, peak working set %5lu MB\n", kind.c_str(), (unsigned long)n, dSpent,
           (unsigned long)(stCounters.PeakWorkingSetSize >> 20));
    DeleteEnhMetaFile(hEmf);
    return 0;
}

static void RunChild(const char *pszSelf, const char *pszKind, DWORD n)
{
    char szCommand[MAX_PATH + 64];
    snprintf(szCommand, sizeof(szCommand), "\"%s\" cost %s %lu", pszSelf, pszKind, (unsigned long)n);
    STARTUPINFOA stStart;
    memset(&stStart, 0, sizeof(stStart));
    stStart.cb = sizeof(stStart);
    PROCESS_INFORMATION stProcess;
    fflush(stdout);
    if (!CreateProcessA(NULL, szCommand, NULL, NULL, TRUE, 0, NULL, NULL, &stStart, &stProcess)) {
        printf("  %s %lu: cannot start (error %lu)\n", pszKind, (unsigned long)n, GetLastError());
        return;
    }
    if (WaitForSingleObject(stProcess.hProcess, 120000) != WAIT_OBJECT_0) {
        TerminateProcess(stProcess.hProcess, 1);
        printf("  %-9s %11lu: more than 120 s\n", pszKind, (unsigned long)n);
    }
    CloseHandle(stProcess.hThread);
    CloseHandle(stProcess.hProcess);
}

static int BenchBounds(const char *pszSelf)
{
    struct { const char *pszKind; DWORD adwSizes[4]; } aKinds[] = {
        { "rle", { 1024, 4096, 8192, 16384 } },          /* bitmap of n x n: bound 4096 x 4096 */
        { "region", { 1024, 4096, 16384, 40000 } },      /* rectangles: bound 4096 */
        { "palette", { 256, 65536, 16777216, 300000000 } }, /* entries: bound 65536 */
        { "gradient", { 1, 16, 64, 256 } },              /* half-page triangles: bound 32 a page */
        { "blend", { 2480, 8192, 16384, 65536 } },       /* n x n device pixels: bound 8192 x 8192 */
    };
    printf("single records played bare on %s (A4 at 300 dpi), each in a process of its own:\n", BENCH_QUEUE);
    for (const auto &k : aKinds) {
        for (DWORD n : k.adwSizes)
            RunChild(pszSelf, k.pszKind, n);
    }
    return 0;
}

int main(int argc, char **argv)
{
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "pages" && argc > 2)
        return BenchPages(argv[2]);
    if (mode == "bounds")
        return BenchBounds(argv[0]);
    if (mode == "cost" && argc > 3)
        return MeasureRecord(argv[2], strtoul(argv[3], NULL, 0));
    fprintf(stderr, "usage: page_bench pages <folder> | bounds | cost <kind> <n>\n");
    return 2;
}
