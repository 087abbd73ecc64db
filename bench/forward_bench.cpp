/*
 * forward_bench: figures of the print forwarding on the cups-pdf queues.
 *   1. peak memory while one 50 MB spool page (a 24-bit picture) is
 *      forwarded, against the page size;
 *   2. CPU time of this process per forwarded page and copy, against the bare
 *      PlayEnhMetaFile of the same pages on printer DCs of the same queue;
 *   3. wall time of an n-page job run by the polling loop with its real
 *      500 ms sleep, against n x 500 ms;
 *   4. CPU time of the metafile record checks (before playing, and while
 *      playing) against bare PlayEnhMetaFile of the same pages;
 *   5. CPU time per page and copy of jobs run by the polling loop with every
 *      stamp on (annotation with macros, Bates number, a 2400 x 2400 PNG
 *      watermark stretched over the page), against bare documents that draw
 *      the same decoded picture under every page, and against bare ones;
 *   6. CPU time of an 8-page job of 2 copies with the picture against the
 *      same job without it;
 *   7. peak memory of a job of one 50 MB page forwarded to 1 and to 3
 *      redirect printers, each in a process of its own;
 *   8. what an unloaded job pays for keeping its pages and for the
 *      spool-names mutex: wall and CPU time of reading n light pages and the
 *      50 MB page without and with a kept copy, and of taking and giving
 *      back the mutex against a document's start and end.
 * Run under Wine with the test environment up:
 *   build/wine-exec.sh build/bin/forward_bench.exe [pages] [copies] [loop pages]
 */
#include "forwarding/keptpages.h"
#include "forwarding/pageforward.h"
#include "forwarding/pagereader.h"
#include "forwarding/printsession.h"
#include "jobprotocol/jobkeys.h"
#include "monitor/jobloop.h"
#include "settings/devmode.h"
#include "stamping/imageload.h"
#include "stamping/stamps.h"
#include "stamping/watermark.h"
#include "tests/stamping/pictures.h"

#include <psapi.h>
#include <winspool.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#define BENCH_PRINTER "Bench Printer" /* printer of the benchmark's jobs */
#define BENCH_QUEUE   "JH_PDF_A"
#define DEVMODE_SIZE  6879

static std::string g_dir;

static double CpuSeconds(void)
{
    FILETIME ftCreate, ftExit, ftKernel, ftUser;
    GetProcessTimes(GetCurrentProcess(), &ftCreate, &ftExit, &ftKernel, &ftUser);
    ULARGE_INTEGER k, u;
    k.LowPart = ftKernel.dwLowDateTime;
    k.HighPart = ftKernel.dwHighDateTime;
    u.LowPart = ftUser.dwLowDateTime;
    u.HighPart = ftUser.dwHighDateTime;
    return (double)(k.QuadPart + u.QuadPart) / 1e7;
}

static double WallSeconds(void)
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return (double)c.QuadPart / (double)f.QuadPart;
}

static void SetValue(const std::string &path, const char *pszName, DWORD dwType, const void *pData, DWORD cb)
{
    HKEY hKey = NULL;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL, &hKey, NULL) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(hKey, pszName, 0, dwType, (const BYTE *)pData, cb);
    RegCloseKey(hKey);
}

static void SetString(const std::string &path, const char *pszName, const std::string &value)
{
    SetValue(path, pszName, REG_SZ, value.c_str(), (DWORD)value.size() + 1);
}

static void SetDword(const std::string &path, const char *pszName, DWORD dw)
{
    SetValue(path, pszName, REG_DWORD, &dw, sizeof(dw));
}

/* A job device mode: the queue's DEVMODEW, portrait, private block zeroed. */
static std::vector<BYTE> MakeDevMode(void)
{
    std::vector<BYTE> devMode(DEVMODE_SIZE, 0);
    HANDLE hPrinter = NULL;
    if (OpenPrinterA((LPSTR)BENCH_QUEUE, &hPrinter, NULL)) {
        LONG cb = DocumentPropertiesW(NULL, hPrinter, (LPWSTR)L"" BENCH_QUEUE, NULL, NULL, 0);
        std::vector<BYTE> printer(cb > 0 ? cb : 1);
        if (cb >= (LONG)sizeof(DEVMODEW) &&
            DocumentPropertiesW(NULL, hPrinter, (LPWSTR)L"" BENCH_QUEUE, (DEVMODEW *)printer.data(), NULL,
                                DM_OUT_BUFFER) == IDOK)
            memcpy(devMode.data(), printer.data(), sizeof(DEVMODEW));
        ClosePrinter(hPrinter);
    }
    ((DEVMODEW *)devMode.data())->dmOrientation = DMORIENT_PORTRAIT;
    ((DEVMODEW *)devMode.data())->dmDriverExtra = (WORD)(DEVMODE_SIZE - sizeof(DEVMODEW));
    return devMode;
}

/* Ends a metafile recording and gives the metafile's bytes. */
static std::string CloseToBytes(HDC hdc)
{
    HENHMETAFILE hEmf = CloseEnhMetaFile(hdc);
    UINT cb = GetEnhMetaFileBits(hEmf, 0, NULL);
    std::string bytes(cb, '\0');
    GetEnhMetaFileBits(hEmf, cb, (BYTE *)&bytes[0]);
    DeleteEnhMetaFile(hEmf);
    return bytes;
}

/* An ordinary text page: a heading, 50 lines of text, a frame and shapes. */
static std::string MakeTextPage(DWORD dwPage)
{
    RECT rcFrame = { 0, 0, 21000, 29700 };
    HDC hdc = CreateEnhMetaFileA(NULL, NULL, &rcFrame, NULL);
    LOGFONTA lf;
    memset(&lf, 0, sizeof(lf));
    lf.lfHeight = -14;
    strcpy(lf.lfFaceName, "Arial");
    HFONT hFont = CreateFontIndirectA(&lf);
    HGDIOBJ hOld = SelectObject(hdc, hFont);
    char szLine[128];
    for (int i = 0; i < 50; i++) {
        int cch = snprintf(szLine, sizeof(szLine), "Page %lu line %d: the quick brown fox jumps over the lazy dog",
                           (unsigned long)dwPage, i + 1);
        TextOutA(hdc, 60, 60 + i * 18, szLine, cch);
    }
    Rectangle(hdc, 40, 40, 740, 1000);
    Ellipse(hdc, 500, 900, 700, 980);
    SelectObject(hdc, hOld);
    DeleteObject(hFont);
    return CloseToBytes(hdc);
}

/* A light page like the port monitor simulator's: a frame, a heading, one
 * caption line and a few shapes. */
static std::string MakeLightPage(DWORD dwPage)
{
    RECT rcFrame = { 0, 0, 21000, 29700 };
    HDC hdc = CreateEnhMetaFileA(NULL, NULL, &rcFrame, NULL);
    LOGFONTA lf;
    memset(&lf, 0, sizeof(lf));
    lf.lfHeight = -40;
    strcpy(lf.lfFaceName, "Arial");
    HFONT hFont = CreateFontIndirectA(&lf);
    HGDIOBJ hOld = SelectObject(hdc, hFont);
    char szLine[64];
    int cch = snprintf(szLine, sizeof(szLine), "Page %lu", (unsigned long)dwPage);
    TextOutA(hdc, 80, 80, szLine, cch);
    SelectObject(hdc, hOld);
    DeleteObject(hFont);
    cch = snprintf(szLine, sizeof(szLine), "Content of page %lu", (unsigned long)dwPage);
    TextOutA(hdc, 80, 160, szLine, cch);
    Rectangle(hdc, 40, 40, 740, 1000);
    Ellipse(hdc, 200, 400, 500, 600);
    MoveToEx(hdc, 60, 900, NULL);
    LineTo(hdc, 700, 700);
    return CloseToBytes(hdc);
}

static std::string WriteFile(const char *pszName, const std::string &bytes)
{
    std::string path = g_dir + "\\" + pszName;
    FILE *f = fopen(path.c_str(), "wb");
    if (f) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    return path;
}

static void WritePageKey(int nJob, DWORD dwPage, const std::string &file, DWORD cbFile,
                         const std::vector<BYTE> &devMode)
{
    char szPath[KEY_PATH_SIZE];
    FormatPageKeyPath(BENCH_PRINTER, nJob, dwPage, szPath, sizeof(szPath));
    SetString(szPath, "Forwarding", file);
    SetDword(szPath, "Size", cbFile);
    SetDword(szPath, "DevModeSize", (DWORD)devMode.size());
    SetValue(szPath, "DevMode", REG_BINARY, devMode.data(), (DWORD)devMode.size());
    SetString(szPath, "Ready", "YES");
}

/* Writes a one-picture page of a w x h 24-bit DIB straight to a file,
 * row by row, so that making it costs no page-sized memory. */
static DWORD WritePicturePage(const std::string &path, LONG w, LONG h)
{
    DWORD cbRow = (DWORD)((w * 3 + 3) & ~3);
    DWORD cbBits = cbRow * (DWORD)h;
    EMRSTRETCHDIBITS stBlt;
    memset(&stBlt, 0, sizeof(stBlt));
    DWORD cbBlt = sizeof(stBlt) + sizeof(BITMAPINFOHEADER) + cbBits;
    ENHMETAHEADER stHeader;
    memset(&stHeader, 0, sizeof(stHeader));
    stHeader.iType = EMR_HEADER;
    stHeader.nSize = sizeof(stHeader);
    stHeader.rclBounds = { 0, 0, 2479, 3508 };
    stHeader.rclFrame = { 0, 0, 21000, 29700 };
    stHeader.dSignature = ENHMETA_SIGNATURE;
    stHeader.nVersion = 0x10000;
    stHeader.nBytes = sizeof(stHeader) + cbBlt + sizeof(EMREOF);
    stHeader.nRecords = 3;
    stHeader.nHandles = 1;
    stHeader.szlDevice = { 2479, 3508 };
    stHeader.szlMillimeters = { 210, 297 };
    stHeader.szlMicrometers = { 210000, 297000 };
    stBlt.emr.iType = EMR_STRETCHDIBITS;
    stBlt.emr.nSize = cbBlt;
    stBlt.rclBounds = { 0, 0, 2478, 3507 };
    stBlt.cxSrc = w;
    stBlt.cySrc = h;
    stBlt.offBmiSrc = sizeof(stBlt);
    stBlt.cbBmiSrc = sizeof(BITMAPINFOHEADER);
    stBlt.offBitsSrc = sizeof(stBlt) + sizeof(BITMAPINFOHEADER);
    stBlt.cbBitsSrc = cbBits;
    stBlt.iUsageSrc = DIB_RGB_COLORS;
    stBlt.dwRop = SRCCOPY;
    stBlt.cxDest = 2479;
    stBlt.cyDest = 3508;
    BITMAPINFOHEADER stBmi;
    memset(&stBmi, 0, sizeof(stBmi));
    stBmi.biSize = sizeof(stBmi);
    stBmi.biWidth = w;
    stBmi.biHeight = h;
    stBmi.biPlanes = 1;
    stBmi.biBitCount = 24;
    stBmi.biSizeImage = cbBits;
    EMREOF stEof;
    memset(&stEof, 0, sizeof(stEof));
    stEof.emr.iType = EMR_EOF;
    stEof.emr.nSize = sizeof(stEof);
    stEof.offPalEntries = 16;
    stEof.nSizeLast = sizeof(stEof);
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    fwrite(&stHeader, 1, sizeof(stHeader), f);
    fwrite(&stBlt, 1, sizeof(stBlt), f);
    fwrite(&stBmi, 1, sizeof(stBmi), f);
    std::vector<BYTE> row(cbRow, 0);
    for (LONG y = 0; y < h; y++) {
        for (LONG x = 0; x < w; x++) {
            row[x * 3] = (BYTE)(x * 255 / w);
            row[x * 3 + 1] = (BYTE)(y * 255 / h);
            row[x * 3 + 2] = (BYTE)(((x / 64 + y / 64) & 1) ? 200 : 40);
        }
        fwrite(row.data(), 1, cbRow, f);
    }
    fwrite(&stEof, 1, sizeof(stEof), f);
    fclose(f);
    return stHeader.nBytes;
}

static void Peaks(SIZE_T *pcbWorkingSet, SIZE_T *pcbPagefile)
{
    PROCESS_MEMORY_COUNTERS stCounters;
    memset(&stCounters, 0, sizeof(stCounters));
    stCounters.cb = sizeof(stCounters);
    GetProcessMemoryInfo(GetCurrentProcess(), &stCounters, sizeof(stCounters));
    *pcbWorkingSet = stCounters.PeakWorkingSetSize;
    *pcbPagefile = stCounters.PeakPagefileUsage;
}

/* Forwards pages 1..dwPages of job nJob to one target with dwCopies copies. */
static void ForwardPages(int nJob, const char *pszDoc, DWORD dwPages, DWORD dwCopies)
{
    ForwardTarget stTarget;
    memset(&stTarget, 0, sizeof(stTarget));
    stTarget.nJobNumber = nJob;
    if (!DoStartDocument(BENCH_QUEUE, pszDoc, dwCopies, &stTarget)) {
        printf("cannot start a document on %s\n", BENCH_QUEUE);
        return;
    }
    for (DWORD p = 1; p <= dwPages; p++) {
        ForwardPage stPage;
        ReadForwardPage(BENCH_PRINTER, nJob, p, NULL, &stPage);
        DoPrintPage(BENCH_QUEUE, pszDoc, &stPage, &stTarget, BENCH_PRINTER, dwCopies);
        ReleaseForwardPage(&stPage);
    }
    DoEndDocument(&stTarget, dwCopies);
    HeapFree(GetProcessHeap(), 0, stTarget.phCopyDCs);
}

static void BenchMemory(const std::vector<BYTE> &devMode)
{
    SIZE_T cbWsBefore = 0, cbPfBefore = 0, cbWsAfter = 0, cbPfAfter = 0;
    std::string path = g_dir + "\\picture.emf";
    DWORD cbPage = WritePicturePage(path, 4000, 4166);
    WritePageKey(9001, 1, path, cbPage, devMode);
    Peaks(&cbWsBefore, &cbPfBefore);
    /* Reading and building alone, as ReadForwardPage does them. */
    DWORD cbRead = 0;
    BYTE *pBuffer = ReadPageFile(path.c_str(), cbPage, &cbRead);
    HENHMETAFILE hEmf = ReadMetaFile(pBuffer, cbRead, NULL, NULL);
    HeapFree(GetProcessHeap(), 0, pBuffer);
    DeleteEnhMetaFile(hEmf);
    SIZE_T cbWsBuild = 0, cbPfBuild = 0;
    Peaks(&cbWsBuild, &cbPfBuild);
    ForwardPages(9001, "forward_bench picture page", 1, 1);
    Peaks(&cbWsAfter, &cbPfAfter);
    double dPage = (double)cbPage;
    printf("memory: page %.1f MB (one 4000 x 4166 24-bit picture)\n", dPage / 1e6);
    printf("  reading and building the metafile: peak working set %.1f MB, growth %.2f x page\n",
           cbWsBuild / 1e6, (double)(cbWsBuild - cbWsBefore) / dPage);
    printf("  peak working set %.1f MB (%.2f x page); before the page %.1f MB; growth %.2f x page\n",
           cbWsAfter / 1e6, cbWsAfter / dPage, cbWsBefore / 1e6, (double)(cbWsAfter - cbWsBefore) / dPage);
    printf("  peak pagefile    %.1f MB (%.2f x page); before the page %.1f MB; growth %.2f x page\n",
           cbPfAfter / 1e6, cbPfAfter / dPage, cbPfBefore / 1e6, (double)(cbPfAfter - cbPfBefore) / dPage);
    DeleteFileA(path.c_str());
}

/* CPU seconds of PlayEnhMetaFile alone, and of page start, play and page end,
 * for every page on every copy's printer DC. */
static void BarePlay(const std::vector<std::string> &pages, DWORD dwCopies, double *pdPlay, double *pdPage)
{
    std::vector<HDC> dcs(dwCopies);
    DOCINFOA stDoc = { sizeof(DOCINFOA), "forward_bench bare play", NULL, NULL, 0 };
    for (DWORD c = 0; c < dwCopies; c++) {
        dcs[c] = CreateDCA("WINSPOOL", BENCH_QUEUE, NULL, NULL);
        StartDocA(dcs[c], &stDoc);
    }
    *pdPlay = *pdPage = 0;
    for (const std::string &bytes : pages) {
        HENHMETAFILE hEmf = SetEnhMetaFileBits((UINT)bytes.size(), (const BYTE *)bytes.data());
        for (DWORD c = 0; c < dwCopies; c++) {
            RECT rc = { 0, 0, GetDeviceCaps(dcs[c], HORZRES) - 1, GetDeviceCaps(dcs[c], VERTRES) - 1 };
            double d0 = CpuSeconds();
            StartPage(dcs[c]);
            double d1 = CpuSeconds();
            PlayEnhMetaFile(dcs[c], hEmf, &rc);
            double d2 = CpuSeconds();
            EndPage(dcs[c]);
            double d3 = CpuSeconds();
            *pdPlay += d2 - d1;
            *pdPage += d3 - d0;
        }
        DeleteEnhMetaFile(hEmf);
    }
    for (DWORD c = 0; c < dwCopies; c++) {
        EndDoc(dcs[c]);
        DeleteDC(dcs[c]);
    }
}

typedef std::string (*PageMaker)(DWORD dwPage);

static double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

/* Forwarding against bare playing of the same pages, three rounds in
 * alternating order; prints the per-round figures and the median ratios. */
static void BenchCpu(const std::vector<BYTE> &devMode, DWORD dwPages, DWORD dwCopies, PageMaker pfnMake,
                     const char *pszKind)
{
    std::vector<std::string> pages;
    for (DWORD p = 1; p <= dwPages; p++)
        pages.push_back(pfnMake(p));
    /* Warm-up: fonts and driver state are set up once per process. */
    double dPlay = 0, dPage = 0;
    BarePlay(std::vector<std::string>(1, pages[0]), 1, &dPlay, &dPage);
    double n = (double)dwPages * dwCopies;
    std::vector<double> vPlay, vPage, vDocs;
    printf("cpu: %s page (%.1f KB), %lu pages x %lu copies on %s; ms per page and copy\n", pszKind,
           pages[0].size() / 1024.0, (unsigned long)dwPages, (unsigned long)dwCopies, BENCH_QUEUE);
    for (int nRound = 0; nRound < 3; nRound++) {
        for (DWORD p = 1; p <= dwPages; p++) {
            char szName[32];
            snprintf(szName, sizeof(szName), "cpu_%lu.emf", (unsigned long)p);
            std::string path = WriteFile(szName, pages[p - 1]);
            WritePageKey(9002, p, path, (DWORD)pages[p - 1].size(), devMode);
        }
        double dForward = 0, dBare = 0, dForwardWall = 0, dBareWall = 0;
        for (int nStep = 0; nStep < 2; nStep++) {
            double d0 = CpuSeconds(), dw0 = WallSeconds();
            bool bForward = (nStep + nRound) % 2 == 0;
            if (bForward)
                ForwardPages(9002, "forward_bench cpu", dwPages, dwCopies);
            else
                BarePlay(pages, dwCopies, &dPlay, &dPage);
            (bForward ? dForward : dBare) = CpuSeconds() - d0;
            (bForward ? dForwardWall : dBareWall) = WallSeconds() - dw0;
        }
        printf("  round %d: forwarding %.2f, bare play %.2f, bare page %.2f, bare documents %.2f "
               "(wall: forwarding %.2f, bare documents %.2f)\n",
               nRound + 1, dForward * 1e3 / n, dPlay * 1e3 / n, dPage * 1e3 / n, dBare * 1e3 / n,
               dForwardWall * 1e3 / n, dBareWall * 1e3 / n);
        vPlay.push_back(dForward / dPlay);
        vPage.push_back(dForward / dPage);
        vDocs.push_back(dForward / dBare);
    }
    printf("  median ratio: against PlayEnhMetaFile %.2f, against StartPage+Play+EndPage %.2f, "
           "against whole bare documents %.2f\n",
           Median(vPlay), Median(vPage), Median(vDocs));
}

/* CPU seconds of playing every page nTimes on hdc, each on a page of its
 * own, with the record checks' player or the bare one. */
static double PlayPages(HDC hdc, const std::vector<HENHMETAFILE> &emfs, BOOL bChecked, int nTimes)
{
    RECT rc = { 0, 0, GetDeviceCaps(hdc, HORZRES) - 1, GetDeviceCaps(hdc, VERTRES) - 1 };
    double dPlay = 0;
    for (int i = 0; i < nTimes * (int)emfs.size(); i++) {
        HENHMETAFILE hEmf = emfs[i % emfs.size()];
        StartPage(hdc);
        double d0 = CpuSeconds();
        if (bChecked)
            PlayCheckedMetaFile(hdc, hEmf, &rc, NULL);
        else
            PlayEnhMetaFile(hdc, hEmf, &rc);
        dPlay += CpuSeconds() - d0;
        EndPage(hdc);
    }
    return dPlay;
}

/* CPU seconds the checking player adds to the bare one per play of every
 * page: both play the pages many times, alternately, on a metafile
 * recording DC, where playing itself costs little, so that the difference
 * stands out of the noise. */
static double PlayerOverhead(const std::vector<HENHMETAFILE> &emfs)
{
    const int nTimes = 40;
    RECT rcFrame = { 0, 0, 21000, 29700 };
    double dBare = 0, dChecked = 0;
    for (int nRound = 0; nRound < 6; nRound++) {
        HDC hdc = CreateEnhMetaFileA(NULL, NULL, &rcFrame, NULL);
        RECT rc = { 0, 0, 2478, 3507 };
        BOOL bChecked = nRound % 2;
        double d0 = CpuSeconds();
        for (int i = 0; i < nTimes; i++) {
            for (HENHMETAFILE hEmf : emfs) {
                if (bChecked)
                    PlayCheckedMetaFile(hdc, hEmf, &rc, NULL);
                else
                    PlayEnhMetaFile(hdc, hEmf, &rc);
            }
        }
        (bChecked ? dChecked : dBare) += CpuSeconds() - d0;
        DeleteEnhMetaFile(CloseEnhMetaFile(hdc));
    }
    return (dChecked - dBare) / (3 * nTimes);
}

/* The record checks against playing: CheckPageBytes over the pages (many
 * rounds, for a measurable time), the checking player's own cost
 * (PlayerOverhead), and bare playing on a printer DC whose output goes to a
 * file (median of five rounds of two plays of every page). */
static void BenchChecks(DWORD dwPages, PageMaker pfnMake, const char *pszKind)
{
    std::vector<std::string> pages;
    std::vector<HENHMETAFILE> emfs;
    for (DWORD p = 1; p <= dwPages; p++) {
        pages.push_back(pfnMake(p));
        emfs.push_back(SetEnhMetaFileBits((UINT)pages.back().size(), (const BYTE *)pages.back().data()));
    }
    const int nCheckRounds = 500;
    double d0 = CpuSeconds();
    for (int r = 0; r < nCheckRounds; r++) {
        for (const std::string &bytes : pages)
            CheckPageBytes((const BYTE *)bytes.data(), (DWORD)bytes.size(), NULL);
    }
    double dCheck = (CpuSeconds() - d0) / nCheckRounds;
    double dPlayer = PlayerOverhead(emfs);
    std::string output = g_dir + "\\checks.ps";
    DOCINFOA stDoc = { sizeof(DOCINFOA), "forward_bench checks", output.c_str(), NULL, 0 };
    HDC hdc = CreateDCA("WINSPOOL", BENCH_QUEUE, NULL, NULL);
    StartDocA(hdc, &stDoc);
    PlayPages(hdc, emfs, FALSE, 1); /* warm-up */
    std::vector<double> vBare;
    for (int nRound = 0; nRound < 5; nRound++)
        vBare.push_back(PlayPages(hdc, emfs, FALSE, 2) / 2);
    EndDoc(hdc);
    DeleteDC(hdc);
    DeleteFileA(output.c_str());
    for (HENHMETAFILE hEmf : emfs)
        DeleteEnhMetaFile(hEmf);
    double dBare = Median(vBare), n = (double)dwPages;
    printf("checks: %s page (%.1f KB), %lu pages; ms per page\n", pszKind, pages[0].size() / 1024.0,
           (unsigned long)dwPages);
    printf("  page checks %.4f, checking player's own cost %.4f, bare play on %s %.3f: "
           "checks cost %.2f %% of bare play\n",
           dCheck * 1e3 / n, dPlayer * 1e3 / n, BENCH_QUEUE, dBare * 1e3 / n, (dCheck + dPlayer) * 100.0 / dBare);
}

/* The keys of a job whose pages are all spooled: the redirect settings key
 * naming the queues (log off), the document key saying "YES" with the page
 * count, copies and the Bates numbers, and the job key saying finished. */
static void WriteFinishedJob(int nJob, DWORD dwPages, DWORD dwCopies, const std::vector<const char *> &queues)
{
    char szPath[KEY_PATH_SIZE];
    std::string redirectName = "Bench Redirect " + std::to_string(nJob);
    std::string redirect = std::string(JH_ROOT_KEY) + BENCH_PRINTER + "\\" + redirectName;
    SetDword(redirect, "Printer count", (DWORD)queues.size());
    for (size_t i = 0; i < queues.size(); i++)
        SetString(redirect, ("Printer " + std::to_string(i + 1)).c_str(), queues[i]);
    SetString(redirect, "Enable Redirect Printing Log", "no");
    FormatPageKeyPath(BENCH_PRINTER, nJob, 0, szPath, sizeof(szPath));
    SetString(szPath, KEY_DOCUMENT_NAME, "forward_bench job " + std::to_string(nJob));
    SetString(szPath, KEY_REGISTRY_PATH, std::string(BENCH_PRINTER) + "\\" + redirectName);
    SetDword(szPath, "Number of copies", dwCopies);
    SetDword(szPath, "PAGENUMBER", dwPages);
    SetDword(szPath, "Bates start number", 1);
    SetDword(szPath, "Current Bates number", 0);
    SetString(szPath, "Ready", "YES");
    FormatJobKeyPath(BENCH_PRINTER, nJob, szPath, sizeof(szPath));
    SetString(szPath, "Job Status", "Job Finished");
}

/* Spools the pages of job nJob: one file and one page key each. */
static void SpoolPages(int nJob, const std::vector<std::string> &pages, const std::vector<BYTE> &devMode)
{
    for (DWORD p = 1; p <= pages.size(); p++) {
        char szName[32];
        snprintf(szName, sizeof(szName), "job%d_%lu.emf", nJob, (unsigned long)p);
        WritePageKey(nJob, p, WriteFile(szName, pages[p - 1]), (DWORD)pages[p - 1].size(), devMode);
    }
}

/* Runs the polling loop over a spooled job with the given sleep; gives its
 * CPU seconds. */
static double RunLoopJob(int nJob, DWORD dwPages, DWORD dwCopies, const std::vector<const char *> &queues,
                         DWORD dwSleepMs)
{
    WriteFinishedJob(nJob, dwPages, dwCopies, queues);
    JobLoopLimits stLimits = { dwSleepMs, JOB_MAX_CYCLES, { RETRY_FIRST_PAUSE_MS, RETRY_MAX_PAUSE_MS, RETRY_WINDOW_MS } };
    double d0 = CpuSeconds();
    RunJobLoop(nJob, BENCH_PRINTER, &stLimits);
    return CpuSeconds() - d0;
}

/* An n-page job through the polling loop with the real sleep; the job and
 * document keys say finished from the start, so the loop forwards one page
 * per cycle and finishes in the cycle after the last page. */
static void BenchWall(const std::vector<BYTE> &devMode, DWORD dwPages)
{
    const int nJob = 9003;
    std::vector<std::string> pages;
    for (DWORD p = 1; p <= dwPages; p++)
        pages.push_back(MakeLightPage(p));
    SpoolPages(nJob, pages, devMode);
    double d0 = WallSeconds();
    RunLoopJob(nJob, dwPages, 1, { BENCH_QUEUE }, JOB_POLL_INTERVAL_MS);
    double dWall = WallSeconds() - d0;
    double dFloor = dwPages * JOB_POLL_INTERVAL_MS / 1000.0;
    double dCycles = (dwPages + 1) * JOB_POLL_INTERVAL_MS / 1000.0;
    printf("wall: %lu-page job of light pages, 1 printer, 1 copy: %.2f s\n", (unsigned long)dwPages, dWall);
    printf("  against n x 500 ms = %.2f s: ratio %.3f\n", dFloor, dWall / dFloor);
    printf("  against the loop's n + 1 cycles = %.2f s: ratio %.3f\n", dCycles, dWall / dCycles);
}

/* ---- Stamped jobs ------------------------------------------------------ */

#define STAMPS_PICTURE 1 /* the watermark picture */
#define STAMPS_TEXT    2 /* the annotation with macros and the Bates number */

static std::wstring g_picture; /* the watermark picture: a 2400 x 2400 PNG */

/* Writes the watermark picture, a logo on white (a blue ring crossed by a
 * grey band), and the printer's Bates format 1. */
static void WriteStampInputs(void)
{
    g_picture = Widen(g_dir + "\\watermark.png");
    HRESULT hr = EncodePicture(g_picture, GUID_ContainerFormatPng, 2400, 2400, [](UINT x, UINT y) {
        LONG dx = (LONG)x - 1200, dy = (LONG)y - 1200, d2 = dx * dx + dy * dy;
        if (d2 >= 800 * 800 && d2 < 1000 * 1000)
            return RGB(30, 60, 140);
        return (dx - dy < 150 && dy - dx < 150) ? RGB(120, 120, 120) : RGB(255, 255, 255);
    });
    if (FAILED(hr))
        printf("cannot write the watermark picture: 0x%08lx\n", (unsigned long)hr);
    static const char *const s_aFormat[][2] = {
        { "Name", "Bench" }, { "Use prefix", "1" }, { "Prefix", "BENCH" }, { "Start with", "1" },
        { "Transparent", "1" }, { "Position", "3" }, { "X Offset", "0" }, { "Y Offset", "0" },
        { "Offset unit", "2" }, { "Rotation", "0" }, { "Color", "255" }, { "Font Height", "-20" },
        { "Font Weight", "700" }, { "Font Italic", "0" }, { "Font Facename", "Courier New" },
        { "Bates Number Length", "6" }, { "Bates Padding Character", "0" },
    };
    std::string key = std::string(JH_ROOT_KEY) + BENCH_PRINTER + "\\BatesNumbering\\1";
    for (const auto &value : s_aFormat)
        SetString(key, value[0], value[1]);
}

/* The plain job device mode with the chosen stamps (STAMPS_*) switched on. */
static std::vector<BYTE> StampedDevMode(const std::vector<BYTE> &plain, DWORD dwStamps)
{
    std::vector<BYTE> devMode = plain;
    DriverDevMode *pDevMode = DevMode_FromBuffer(devMode.data(), (DWORD)devMode.size());
    if (dwStamps & STAMPS_TEXT) {
        DevMode_SetFlags(pDevMode, DevMode_GetFlags(pDevMode) | FLAG_BATES_NUMBERING);
        DevMode_SetAnnotationFlags(pDevMode, ANF_ENABLED | ANF_TEXT | ANF_DATE | ANF_DATE_YMD | ANF_TIME |
                                                 ANF_TIME_24H | ANF_TIME_ZONE | ANF_TRANSPARENT |
                                                 ANF_POS_BOTTOM_LEFT);
        DevMode_SetAnnotationText(pDevMode,
                                  L"<<DOCNAME>> page <<PAGENUM>> for <<USERNAME>> on <<COMPUTERNAME>> <<IPADDRESS>>");
        DevMode_SetAnnotationSeparator(pDevMode, L"|");
        LOGFONTW stFont;
        memset(&stFont, 0, sizeof(stFont));
        stFont.lfHeight = -12;
        lstrcpyW(stFont.lfFaceName, L"Arial");
        DevMode_SetAnnotationFont(pDevMode, &stFont);
    }
    if (dwStamps & STAMPS_PICTURE) {
        DevMode_SetWatermarkFlags(pDevMode, WMF_PRINT_WATERMARK | WMF_P_STRETCH_TO_FIT | WMF_L_STRETCH_TO_FIT);
        DevMode_SetWatermarkBrightnessPortrait(pDevMode, 30);
        DevMode_SetWatermarkBrightnessLandscape(pDevMode, 30);
        DevMode_SetWatermarkFilePortrait(pDevMode, g_picture.c_str());
        DevMode_SetWatermarkFileLandscape(pDevMode, g_picture.c_str());
        DevMode_SetJpegLoaderLibrary(pDevMode, L"jpegloader.dll");
        DevMode_SetTiffLoaderLibrary(pDevMode, L"tiffloader.dll");
    }
    return devMode;
}

/* The watermark picture decoded and lightened as the stamp paints it. */
static HGLOBAL DecodePicture(void)
{
    HGLOBAL hLoaded = LoadWatermarkWithLibraries(g_picture.c_str(), L"jpegloader.dll", L"tiffloader.dll");
    HGLOBAL hPicture = ApplyWatermarkBrightness(hLoaded, 30);
    if (hLoaded)
        GlobalFree(hLoaded);
    return hPicture;
}

/* CPU seconds of bare documents of the pages on dwCopies DCs of the queue:
 * page start, the decoded picture stretched over the page (when given), the
 * page played, page end. */
static double BareDocuments(const std::vector<std::string> &pages, DWORD dwCopies, HGLOBAL hPicture)
{
    double d0 = CpuSeconds();
    std::vector<HDC> dcs(dwCopies);
    DOCINFOA stDoc = { sizeof(DOCINFOA), "forward_bench bare", NULL, NULL, 0 };
    for (DWORD c = 0; c < dwCopies; c++) {
        dcs[c] = CreateDCA("WINSPOOL", BENCH_QUEUE, NULL, NULL);
        StartDocA(dcs[c], &stDoc);
    }
    for (const std::string &bytes : pages) {
        HENHMETAFILE hEmf = SetEnhMetaFileBits((UINT)bytes.size(), (const BYTE *)bytes.data());
        for (HDC hdc : dcs) {
            LONG cx = GetDeviceCaps(hdc, HORZRES), cy = GetDeviceCaps(hdc, VERTRES);
            RECT rc = { 0, 0, cx - 1, cy - 1 };
            StartPage(hdc);
            if (hPicture)
                PrintWatermark(hdc, hPicture, WM_PLACE_STRETCH_TO_FIT, PackPoint(cx, cy));
            PlayEnhMetaFile(hdc, hEmf, &rc);
            EndPage(hdc);
        }
        DeleteEnhMetaFile(hEmf);
    }
    for (HDC hdc : dcs) {
        EndDoc(hdc);
        DeleteDC(hdc);
    }
    return CpuSeconds() - d0;
}

/* Every stamp on, per page and copy, against bare documents with the same
 * decoded picture drawn under every page and against bare ones; the job with
 * the picture alone tells the forwarding from the text stamps. Five rounds
 * in rotating order, medians. */
static void BenchStamps(const std::vector<BYTE> &plain, DWORD dwPages, DWORD dwCopies)
{
    std::vector<std::string> pages;
    for (DWORD p = 1; p <= dwPages; p++)
        pages.push_back(MakeLightPage(p));
    std::vector<BYTE> stamped = StampedDevMode(plain, STAMPS_PICTURE | STAMPS_TEXT);
    std::vector<BYTE> picture = StampedDevMode(plain, STAMPS_PICTURE);
    HGLOBAL hPicture = DecodePicture();
    if (!hPicture) {
        printf("stamps: the picture cannot be decoded\n");
        return;
    }
    BareDocuments(std::vector<std::string>(1, pages[0]), 1, hPicture); /* warm-up */
    double n = (double)dwPages * dwCopies;
    printf("stamps: light pages, %lu pages x %lu copies on %s, every stamp on (annotation with macros, Bates "
           "number, 2400 x 2400 PNG watermark stretched to fit); ms per page and copy\n",
           (unsigned long)dwPages, (unsigned long)dwCopies, BENCH_QUEUE);
    std::vector<double> vPicture, vBare, vPictureOnly;
    for (int nRound = 0; nRound < 5; nRound++) {
        double aCpu[4] = { 0, 0, 0, 0 }; /* all stamps, picture only, bare with the picture, bare */
        for (int nStep = 0; nStep < 4; nStep++) {
            int nWhich = (nStep + nRound) % 4, nJob = 9100 + nRound * 4 + nStep;
            if (nWhich < 2) {
                SpoolPages(nJob, pages, nWhich == 0 ? stamped : picture);
                aCpu[nWhich] = RunLoopJob(nJob, dwPages, dwCopies, { BENCH_QUEUE }, 0);
            } else {
                aCpu[nWhich] = BareDocuments(pages, dwCopies, nWhich == 2 ? hPicture : NULL);
            }
        }
        printf("  round %d: forwarding %.2f (the picture alone %.2f), bare with the picture %.2f, bare %.2f\n",
               nRound + 1, aCpu[0] * 1e3 / n, aCpu[1] * 1e3 / n, aCpu[2] * 1e3 / n, aCpu[3] * 1e3 / n);
        vPicture.push_back(aCpu[0] / aCpu[2]);
        vBare.push_back(aCpu[0] / aCpu[3]);
        vPictureOnly.push_back(aCpu[1] / aCpu[2]);
    }
    printf("  median ratio: against bare documents with the picture %.2f (goal at most 1.1), against bare "
           "documents %.2f; the picture alone against bare documents with the picture %.2f\n",
           Median(vPicture), Median(vBare), Median(vPictureOnly));
    GlobalFree(hPicture);
}

/* An 8-page job of 2 copies through the loop with the watermark picture
 * against the same job without it (no other stamps), and bare documents of
 * the same pages with the decoded picture against bare ones: the driver's
 * own cost of painting the picture; five rounds in rotating order, medians. */
static void BenchPictureJob(const std::vector<BYTE> &plain)
{
    const DWORD dwPages = 8, dwCopies = 2;
    std::vector<std::string> pages;
    for (DWORD p = 1; p <= dwPages; p++)
        pages.push_back(MakeLightPage(p));
    std::vector<BYTE> picture = StampedDevMode(plain, STAMPS_PICTURE);
    HGLOBAL hPicture = DecodePicture();
    std::vector<double> vJob, vBare;
    printf("picture: %lu-page job of light pages x %lu copies on %s through the loop; CPU seconds\n",
           (unsigned long)dwPages, (unsigned long)dwCopies, BENCH_QUEUE);
    for (int nRound = 0; nRound < 5; nRound++) {
        double aCpu[4] = { 0, 0, 0, 0 }; /* job with, job without, bare with, bare without */
        for (int nStep = 0; nStep < 4; nStep++) {
            int nWhich = (nStep + nRound) % 4, nJob = 9150 + nRound * 4 + nStep;
            if (nWhich < 2) {
                SpoolPages(nJob, pages, nWhich == 0 ? picture : plain);
                aCpu[nWhich] = RunLoopJob(nJob, dwPages, dwCopies, { BENCH_QUEUE }, 0);
            } else {
                aCpu[nWhich] = BareDocuments(pages, dwCopies, nWhich == 2 ? hPicture : NULL);
            }
        }
        printf("  round %d: job with the picture %.3f, without %.3f; bare documents with the decoded picture "
               "%.3f, without %.3f\n",
               nRound + 1, aCpu[0], aCpu[1], aCpu[2], aCpu[3]);
        vJob.push_back(aCpu[0] / aCpu[1]);
        vBare.push_back(aCpu[2] / aCpu[3]);
    }
    printf("  median ratio with the picture against without it: job %.2f (goal at most 1.5); bare documents "
           "%.2f (painting alone)\n",
           Median(vJob), Median(vBare));
    if (hPicture)
        GlobalFree(hPicture);
}

/* In a process of its own: a job of one 50 MB page forwarded by the loop to
 * the first nPrinters queues; prints the peaks. */
static int RunMemoryChild(DWORD nPrinters)
{
    static const char *const s_apszQueues[] = { "JH_PDF_A", "JH_PDF_B", "JH_PDF_C" };
    std::vector<const char *> queues(s_apszQueues, s_apszQueues + (nPrinters < 3 ? nPrinters : 3));
    std::vector<BYTE> devMode = MakeDevMode();
    const int nJob = 9200 + (int)nPrinters;
    std::string path = g_dir + "\\memory_" + std::to_string(nPrinters) + ".emf";
    DWORD cbPage = WritePicturePage(path, 4000, 4166);
    WritePageKey(nJob, 1, path, cbPage, devMode);
    SIZE_T cbWsBefore = 0, cbPfBefore = 0, cbWsAfter = 0, cbPfAfter = 0;
    Peaks(&cbWsBefore, &cbPfBefore);
    RunLoopJob(nJob, 1, 1, queues, 0);
    Peaks(&cbWsAfter, &cbPfAfter);
    double dPage = (double)cbPage;
    printf("  %lu printer(s): peak working set %.1f MB, growth %.2f x page; peak pagefile %.1f MB, growth %.2f x "
           "page\n",
           (unsigned long)queues.size(), cbWsAfter / 1e6, (double)(cbWsAfter - cbWsBefore) / dPage,
           cbPfAfter / 1e6, (double)(cbPfAfter - cbPfBefore) / dPage);
    DeleteFileA(path.c_str());
    return 0;
}

/* Peak memory of a one-page job of 50 MB with 1 and with 3 redirect
 * printers, each in a fresh process of this program. */
static void BenchMemoryPrinters(void)
{
    char szExe[MAX_PATH] = "";
    GetModuleFileNameA(NULL, szExe, MAX_PATH);
    printf("memory: a job of one 50 MB page (4000 x 4166 24-bit picture), 1 copy, through the loop\n");
    for (DWORD nPrinters : { 1u, 3u }) {
        fflush(stdout);
        std::string cmd = std::string("\"") + szExe + "\" memory-child " + std::to_string(nPrinters);
        STARTUPINFOA stStart;
        memset(&stStart, 0, sizeof(stStart));
        stStart.cb = sizeof(stStart);
        stStart.dwFlags = STARTF_USESTDHANDLES;
        stStart.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        stStart.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        stStart.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        PROCESS_INFORMATION stProcess;
        if (!CreateProcessA(NULL, &cmd[0], NULL, NULL, TRUE, 0, NULL, NULL, &stStart, &stProcess)) {
            printf("  cannot start %s: error %lu\n", cmd.c_str(), (unsigned long)GetLastError());
            continue;
        }
        WaitForSingleObject(stProcess.hProcess, INFINITE);
        CloseHandle(stProcess.hThread);
        CloseHandle(stProcess.hProcess);
    }
}

/* ---- Keeping pages and the spool-names mutex ------------------------- */

/* Wall and CPU seconds of reading pages nFirst..nLast of job nJob, kept in
 * pszFolder when given. */
static void ReadPages(int nJob, DWORD nFirst, DWORD nLast, const char *pszFolder, double *pdWall, double *pdCpu)
{
    double dWall = WallSeconds(), dCpu = CpuSeconds();
    for (DWORD p = nFirst; p <= nLast; p++) {
        char szKeep[MAX_PATH];
        ForwardPage stPage;
        if (pszFolder)
            FormatKeptPagePath(pszFolder, p, szKeep, sizeof(szKeep));
        ReadForwardPage(BENCH_PRINTER, nJob, p, pszFolder ? szKeep : NULL, &stPage);
        ReleaseForwardPage(&stPage);
    }
    *pdWall = WallSeconds() - dWall;
    *pdCpu = CpuSeconds() - dCpu;
}

static void BenchKeeping(const std::vector<BYTE> &devMode, DWORD dwPages)
{
    const int nJob = 9005;
    char szFolder[MAX_PATH];
    std::vector<std::string> pages;
    for (DWORD p = 1; p <= dwPages; p++)
        pages.push_back(MakeLightPage(p));
    SpoolPages(nJob, pages, devMode);
    std::string picture = g_dir + "\\keep_picture.emf";
    DWORD cbPicture = WritePicturePage(picture, 4000, 4166);
    WritePageKey(nJob, dwPages + 1, picture, cbPicture, devMode);
    if (!CreateKeepFolder(nJob, szFolder, sizeof(szFolder)))
        return;
    double dWall[2], dCpu[2], dBigWall[2], dBigCpu[2];
    ReadPages(nJob, 1, dwPages + 1, NULL, &dWall[0], &dCpu[0]); /* the files in the cache for both */
    for (int nKeep = 0; nKeep < 2; nKeep++) {
        ReadPages(nJob, 1, dwPages, nKeep ? szFolder : NULL, &dWall[nKeep], &dCpu[nKeep]);
        ReadPages(nJob, dwPages + 1, dwPages + 1, nKeep ? szFolder : NULL, &dBigWall[nKeep], &dBigCpu[nKeep]);
    }
    RemoveKeepFolder(szFolder, dwPages + 1);
    DeleteFileA(picture.c_str());
    printf("keeping: reading a light page %.2f ms wall, %.2f ms CPU; kept as well %.2f ms wall, %.2f ms CPU\n",
           dWall[0] * 1000 / dwPages, dCpu[0] * 1000 / dwPages, dWall[1] * 1000 / dwPages, dCpu[1] * 1000 / dwPages);
    printf("  the %.1f MB page: %.2f s wall, %.2f s CPU; kept as well %.2f s wall, %.2f s CPU\n", cbPicture / 1e6,
           dBigWall[0], dBigCpu[0], dBigWall[1], dBigCpu[1]);

    const int nLocks = 1000, nDocs = 20;
    double d0 = WallSeconds();
    for (int i = 0; i < nLocks; i++)
        UnlockSpoolNames(LockSpoolNames(INFINITE));
    double dLock = (WallSeconds() - d0) / nLocks;
    ForwardTarget stTarget;
    memset(&stTarget, 0, sizeof(stTarget));
    d0 = WallSeconds();
    for (int i = 0; i < nDocs; i++) {
        if (DoStartDocument(BENCH_QUEUE, "forward_bench mutex", 1, &stTarget))
            DoEndDocument(&stTarget, 1);
    }
    double dDoc = (WallSeconds() - d0) / nDocs;
    HeapFree(GetProcessHeap(), 0, stTarget.phCopyDCs);
    printf("spool-names mutex: taken and given back in %.3f ms; a document's start and end (taking it twice) "
           "%.1f ms: %.2f %%\n", dLock * 1000, dDoc * 1000, 200 * dLock / dDoc);
}

int main(int argc, char **argv)
{
    char szTemp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, szTemp);
    g_dir = std::string(szTemp) + "forward_bench";
    CreateDirectoryA(g_dir.c_str(), NULL);
    if (argc == 3 && strcmp(argv[1], "memory-child") == 0)
        return RunMemoryChild((DWORD)atoi(argv[2]));
    DWORD dwPages = argc > 1 ? (DWORD)atoi(argv[1]) : 40;
    DWORD dwCopies = argc > 2 ? (DWORD)atoi(argv[2]) : 2;
    DWORD dwLoopPages = argc > 3 ? (DWORD)atoi(argv[3]) : 40;
    std::vector<BYTE> devMode = MakeDevMode();
    WriteStampInputs();
    BenchMemory(devMode);
    BenchMemoryPrinters();
    if (dwPages > 0 && dwCopies > 0) {
        BenchCpu(devMode, dwPages, dwCopies, MakeLightPage, "light");
        BenchCpu(devMode, dwPages, dwCopies, MakeTextPage, "50-line text");
        BenchChecks(dwPages, MakeLightPage, "light");
        BenchChecks(dwPages, MakeTextPage, "50-line text");
        BenchStamps(devMode, dwPages, dwCopies);
    }
    BenchPictureJob(devMode);
    if (dwLoopPages > 0)
        BenchWall(devMode, dwLoopPages);
    if (dwPages > 0)
        BenchKeeping(devMode, dwPages);
    RegDeleteTreeA(HKEY_CURRENT_USER, JH_ROOT_KEY BENCH_PRINTER);
    RegDeleteKeyA(HKEY_CURRENT_USER, JH_ROOT_KEY BENCH_PRINTER);
    DeleteFileW(g_picture.c_str());
    return 0;
}
