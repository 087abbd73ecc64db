/* The record checks over a generated corpus of valid and malformed pages:
 * every page is refused or accepted, and every accepted page plays on a
 * printer device context, with the records the checks leave out, without a
 * crash or a hang. And the pages written by real applications: every one
 * is accepted whole and the checking player draws it as the platform's. */
#include <gtest/gtest.h>

#include "forwarding/emfplay.h"
#include "forwarding/pagereader.h"
#include "emfcorpus.h"
#include "testutil.h"

#include <cstdio>
#include <cstdlib>
#include <map>

#define CORPUS_PRINTER    "JH_PDF_C"
#define CORPUS_SEED       20261208u
#define PLAY_LIMIT_MS     20000
#define PLAYS_PER_PAGE    100

typedef struct PlayRequest {
    HDC           hdc;
    HENHMETAFILE  hEmf;
    RECT          rcPage;
    EmfPlayReport stReport;
} PlayRequest;

static DWORD WINAPI PlayThread(void *pParam)
{
    PlayRequest *pRequest = (PlayRequest *)pParam;
    PlayCheckedMetaFile(pRequest->hdc, pRequest->hEmf, &pRequest->rcPage, &pRequest->stReport);
    return 0;
}

/* Plays a page on a thread of its own; a page that does not finish within
 * PLAY_LIMIT_MS hangs the player, and the test program ends there. Gives
 * what the play left out. */
static EmfPlayReport PlayWatched(HDC hdc, HENHMETAFILE hEmf, const std::string &name)
{
    PlayRequest stRequest = { hdc, hEmf, { 0, 0, GetDeviceCaps(hdc, HORZRES) - 1, GetDeviceCaps(hdc, VERTRES) - 1 },
                              { { 0, 0, 0 }, 0 } };
    HANDLE hThread = CreateThread(NULL, 0, PlayThread, &stRequest, 0, NULL);
    EXPECT_TRUE(hThread != NULL);
    if (hThread && WaitForSingleObject(hThread, PLAY_LIMIT_MS) != WAIT_OBJECT_0) {
        fprintf(stderr, "the player hangs on %s\n", name.c_str());
        fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    if (hThread)
        CloseHandle(hThread);
    return stRequest.stReport;
}

/* A page that crashes the player ends the test program at once, instead of
 * leaving it to the platform's crash handling. */
static LONG WINAPI OnCrash(EXCEPTION_POINTERS *pException)
{
    fprintf(stderr, "the player crashed: exception 0x%lx\n", (unsigned long)pException->ExceptionRecord->ExceptionCode);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 4);
    return EXCEPTION_EXECUTE_HANDLER;
}

struct Figures {
    int nTried = 0, nRefused = 0, nNotBuilt = 0, nPlayed = 0, nWithLeftOut = 0, nLeftOut = 0;
};

static std::vector<CorpusPage> MakeCorpus(void)
{
    std::vector<CorpusPage> corpus = MakeValidPages();
    size_t nValid = corpus.size();
    for (size_t i = 0; i < nValid; i++) {
        std::vector<CorpusPage> malformed = MakeMalformedPages(corpus[i], CORPUS_SEED + (unsigned)i);
        corpus.insert(corpus.end(), malformed.begin(), malformed.end());
    }
    std::vector<CorpusPage> unsafe = MakeUnsafePages();
    corpus.insert(corpus.end(), unsafe.begin(), unsafe.end());
    return corpus;
}

/* JH_CORPUS_DUMP=<folder>: the valid pages are also written there as
 * valid<n>.emf, to forward them through real jobs. */
static void DumpValidPages(const std::vector<CorpusPage> &corpus)
{
    const char *pszFolder = getenv("JH_CORPUS_DUMP");
    for (size_t i = 0, n = 1; pszFolder && i < corpus.size(); i++) {
        if (corpus[i].family == "valid")
            WriteWholeFile(std::string(pszFolder) + "\\valid" + std::to_string(n++) + ".emf", corpus[i].bytes);
    }
}

/* What the checks say of a page before it is played: valid pages pass
 * whole, each unsafe page leaves out its one record for its reason. */
static void ExpectChecks(const CorpusPage &page, int nCheck, const PageLayout &stLayout)
{
    if (page.family != "valid" && page.family != "unsafe")
        return;
    ASSERT_EQ(PAGE_OK, nCheck) << page.name << ": " << GetEmfFaultText(stLayout.stFault.nReason);
    EmfFault stFirst;
    DWORD nLeftOut = CheckMetaFileRecords((const BYTE *)page.bytes.data(), stLayout.cbMetaFile, &stFirst);
    int nExpected = page.family == "valid" ? EMF_RECORD_OK : page.nReason;
    EXPECT_EQ(nExpected, stFirst.nReason) << page.name << ": record type " << stFirst.dwType << " at "
                                          << stFirst.dwOffset << " " << GetEmfFaultText(stFirst.nReason);
    EXPECT_EQ(nExpected == EMF_RECORD_OK ? 0u : 1u, nLeftOut) << page.name;
}

static void PrintFigures(const std::map<std::string, Figures> &figures)
{
    Figures total;
    for (const auto &entry : figures) {
        const Figures &f = entry.second;
        printf("%-9s tried %4d refused %4d not built %3d played %4d (%4d without %5d records)\n",
               entry.first.c_str(), f.nTried, f.nRefused, f.nNotBuilt, f.nPlayed, f.nWithLeftOut, f.nLeftOut);
        total.nTried += f.nTried, total.nRefused += f.nRefused, total.nNotBuilt += f.nNotBuilt,
            total.nPlayed += f.nPlayed, total.nWithLeftOut += f.nWithLeftOut, total.nLeftOut += f.nLeftOut;
    }
    printf("%-9s tried %4d refused %4d not built %3d played %4d (%4d without %5d records)\n", "all", total.nTried,
           total.nRefused, total.nNotBuilt, total.nPlayed, total.nWithLeftOut, total.nLeftOut);
}

TEST(EmfCheck, Corpus)
{
    SetUnhandledExceptionFilter(OnCrash);
    std::vector<CorpusPage> corpus = MakeCorpus();
    DumpValidPages(corpus);
    ASSERT_GE(corpus.size(), 300u);
    std::string output = MakeTempDir("corpus") + "\\corpus.ps";
    HDC hdc = CreateDCA("WINSPOOL", CORPUS_PRINTER, NULL, NULL);
    ASSERT_TRUE(hdc != NULL);
    DOCINFOA stDoc = { sizeof(stDoc), "corpus", output.c_str(), NULL, 0 };
    ASSERT_GT(StartDocA(hdc, &stDoc), 0);

    std::map<std::string, Figures> figures;
    int nPlays = 0;
    StartPage(hdc);
    for (const CorpusPage &page : corpus) {
        Figures &f = figures[page.family];
        f.nTried++;
        PageLayout stLayout;
        int nCheck = CheckPageBytes((const BYTE *)page.bytes.data(), (DWORD)page.bytes.size(), &stLayout);
        ExpectChecks(page, nCheck, stLayout);
        if (nCheck != PAGE_OK) {
            f.nRefused++;
            continue;
        }
        HENHMETAFILE hEmf = SetEnhMetaFileBits(stLayout.cbMetaFile, (const BYTE *)page.bytes.data());
        if (!hEmf) {
            f.nNotBuilt++;
            continue;
        }
        if (getenv("JH_CORPUS_TRACE"))
            fprintf(stderr, "playing %s %s\n", page.family.c_str(), page.name.c_str());
        DWORD dwStart = GetTickCount();
        /* Pages of the printer take many plays each: the driver sends the
         * fonts of every page of its own, which would cost more than playing. */
        if (nPlays++ % PLAYS_PER_PAGE == 0) {
            EndPage(hdc);
            StartPage(hdc);
        }
        EmfPlayReport stReport = PlayWatched(hdc, hEmf, page.family + " " + page.name);
        if (getenv("JH_CORPUS_TRACE"))
            fprintf(stderr, "  %lu ms\n", (unsigned long)(GetTickCount() - dwStart));
        DeleteEnhMetaFile(hEmf);
        f.nPlayed++;
        f.nWithLeftOut += stReport.nLeftOut != 0;
        f.nLeftOut += (int)stReport.nLeftOut;
        if (page.family == "unsafe") {
            EXPECT_EQ(page.nReason, stReport.stFirst.nReason) << page.name;
        }
    }
    EndPage(hdc);
    EndDoc(hdc);
    DeleteDC(hdc);
    DeleteFileA(output.c_str());
    PrintFigures(figures);
    EXPECT_EQ(4, figures["valid"].nPlayed);
    EXPECT_EQ(0, figures["valid"].nWithLeftOut);
}

/* ---- pages written by real applications -------------------------------- */

/* The folder of the shared application pages, as a Windows path; empty
 * when this checkout has none beside it. */
static std::string ApplicationPagesDir(void)
{
    const char *pszDir = getenv("JH_APPLICATION_PAGES");
    if (!pszDir || !*pszDir)
        return "";
    std::string dir = std::string("Z:") + pszDir;
    for (char &c : dir)
        c = c == '/' ? '\\' : c;
    return GetFileAttributesA(dir.c_str()) == INVALID_FILE_ATTRIBUTES ? "" : dir;
}

/* A 32-bit memory DC of 400 pixels across and the page's proportions, white. */
static HDC MakePageSurface(const ENHMETAHEADER &stHeader, void **ppBits, SIZE *pSize)
{
    LONG w = 400, h = 566;
    LONG nFrameW = stHeader.rclFrame.right - stHeader.rclFrame.left;
    LONG nFrameH = stHeader.rclFrame.bottom - stHeader.rclFrame.top;
    if (nFrameW > 0 && nFrameH > 0)
        h = (LONG)((double)w * nFrameH / nFrameW + 0.5);
    h = h < 1 ? 1 : h > 2000 ? 2000 : h;
    BITMAPINFO stInfo;
    memset(&stInfo, 0, sizeof(stInfo));
    stInfo.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    stInfo.bmiHeader.biWidth = w;
    stInfo.bmiHeader.biHeight = h;
    stInfo.bmiHeader.biPlanes = 1;
    stInfo.bmiHeader.biBitCount = 32;
    HDC hdc = CreateCompatibleDC(NULL);
    HBITMAP hbm = CreateDIBSection(hdc, &stInfo, DIB_RGB_COLORS, ppBits, NULL, 0);
    SelectObject(hdc, hbm);
    memset(*ppBits, 0xFF, (size_t)w * h * 4);
    pSize->cx = w;
    pSize->cy = h;
    return hdc;
}

/* The pixels of a page played by the platform's player or the checking one. */
static std::string DrawPage(HENHMETAFILE hEmf, bool bChecked, EmfPlayReport *pReport)
{
    ENHMETAHEADER stHeader;
    GetEnhMetaFileHeader(hEmf, sizeof(stHeader), &stHeader);
    void *pBits = NULL;
    SIZE stSize;
    HDC hdc = MakePageSurface(stHeader, &pBits, &stSize);
    RECT rc = { 0, 0, stSize.cx - 1, stSize.cy - 1 };
    BOOL bPlayed = bChecked ? PlayCheckedMetaFile(hdc, hEmf, &rc, pReport) : PlayEnhMetaFile(hdc, hEmf, &rc);
    GdiFlush();
    std::string pixels = bPlayed ? std::string((const char *)pBits, (size_t)stSize.cx * stSize.cy * 4) : "";
    DeleteObject(GetCurrentObject(hdc, OBJ_BITMAP));
    DeleteDC(hdc);
    return pixels;
}

TEST(EmfCheck, ApplicationPages)
{
    std::string dir = ApplicationPagesDir();
    if (dir.empty())
        GTEST_SKIP() << "no application pages beside this checkout (JH_APPLICATION_PAGES)";
    WIN32_FIND_DATAA stFind;
    HANDLE hFind = FindFirstFileA((dir + "\\*.emf").c_str(), &stFind);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFind);
    int nPages = 0, nPlayed = 0, nAccepted = 0, nSame = 0;
    do {
        std::string name = stFind.cFileName, bytes = ReadWholeFile(dir + "\\" + name);
        nPages++;
        PageLayout stLayout;
        HENHMETAFILE hEmf = ReadMetaFile((const BYTE *)bytes.data(), (DWORD)bytes.size(), NULL, &stLayout);
        UINT cbBare = stLayout.cbMetaFile ? stLayout.cbMetaFile : (UINT)bytes.size() - stLayout.dwOffset;
        HENHMETAFILE hBare = SetEnhMetaFileBits(cbBare, (const BYTE *)bytes.data() + stLayout.dwOffset);
        std::string bare = hBare ? DrawPage(hBare, false, NULL) : "";
        nPlayed += !bare.empty();
        EmfPlayReport stReport = { { 0, 0, 0 }, 0 };
        std::string checked = hEmf ? DrawPage(hEmf, true, &stReport) : "";
        bool bAccepted = hEmf && stReport.nLeftOut == 0;
        nAccepted += bAccepted;
        nSame += bAccepted && checked == bare;
        EXPECT_TRUE(bare.empty() || bAccepted) << name << ": " << stReport.nLeftOut << " records left out, the first of type "
                                               << stReport.stFirst.dwType << " at " << stReport.stFirst.dwOffset;
        EXPECT_TRUE(bare.empty() || checked == bare) << name << " is drawn otherwise than by the platform's player";
        if (hBare)
            DeleteEnhMetaFile(hBare);
        if (hEmf)
            DeleteEnhMetaFile(hEmf);
    } while (FindNextFileA(hFind, &stFind));
    FindClose(hFind);
    printf("application pages: %d, played by the platform %d, accepted whole %d, the same pixels %d\n", nPages, nPlayed,
           nAccepted, nSame);
    EXPECT_GE(nPages, 185);
}
