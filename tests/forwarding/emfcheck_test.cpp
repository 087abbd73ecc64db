/* The record checks over a generated corpus of valid and malformed pages:
 * every page is refused or accepted, and every accepted page plays on a
 * printer device context without a crash or a hang. */
#include <gtest/gtest.h>

#include "forwarding/pagereader.h"
#include "emfcorpus.h"
#include "testutil.h"

#include <cstdio>
#include <cstdlib>
#include <map>

#define CORPUS_PRINTER    "JH_PDF_C"
#define CORPUS_SEED       20261208u
#define PLAY_LIMIT_MS     20000

typedef struct PlayRequest {
    HDC          hdc;
    HENHMETAFILE hEmf;
    RECT         rcPage;
} PlayRequest;

static DWORD WINAPI PlayThread(void *pParam)
{
    PlayRequest *pRequest = (PlayRequest *)pParam;
    PlayCheckedMetaFile(pRequest->hdc, pRequest->hEmf, &pRequest->rcPage, NULL);
    return 0;
}

/* Plays a page on a thread of its own; a page that does not finish within
 * PLAY_LIMIT_MS hangs the player, and the test program ends there. */
static void PlayWatched(HDC hdc, HENHMETAFILE hEmf, const std::string &name)
{
    PlayRequest stRequest = { hdc, hEmf, { 0, 0, GetDeviceCaps(hdc, HORZRES) - 1, GetDeviceCaps(hdc, VERTRES) - 1 } };
    HANDLE hThread = CreateThread(NULL, 0, PlayThread, &stRequest, 0, NULL);
    ASSERT_TRUE(hThread != NULL);
    if (WaitForSingleObject(hThread, PLAY_LIMIT_MS) != WAIT_OBJECT_0) {
        fprintf(stderr, "the player hangs on %s\n", name.c_str());
        fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    CloseHandle(hThread);
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
    int nTried = 0, nRefused = 0, nNotBuilt = 0, nPlayed = 0;
};

static std::vector<CorpusPage> MakeCorpus(void)
{
    std::vector<CorpusPage> corpus = MakeValidPages();
    size_t nValid = corpus.size();
    for (size_t i = 0; i < nValid; i++) {
        std::vector<CorpusPage> malformed = MakeMalformedPages(corpus[i], CORPUS_SEED + (unsigned)i);
        corpus.insert(corpus.end(), malformed.begin(), malformed.end());
    }
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
    for (const CorpusPage &page : corpus) {
        Figures &f = figures[page.family];
        f.nTried++;
        PageLayout stLayout;
        int nCheck = CheckPageBytes((const BYTE *)page.bytes.data(), (DWORD)page.bytes.size(), &stLayout);
        if (page.family == "valid") {
            EXPECT_EQ(PAGE_OK, nCheck) << page.name << ": record type " << stLayout.stFault.dwType << " at "
                                       << stLayout.stFault.dwOffset << " " << GetEmfFaultText(stLayout.stFault.nReason);
        }
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
        StartPage(hdc);
        PlayWatched(hdc, hEmf, page.family + " " + page.name);
        EndPage(hdc);
        DeleteEnhMetaFile(hEmf);
        f.nPlayed++;
    }
    EndDoc(hdc);
    DeleteDC(hdc);
    DeleteFileA(output.c_str());

    Figures total;
    for (const auto &entry : figures) {
        const Figures &f = entry.second;
        printf("%-9s tried %4d refused %4d not built %3d played %4d\n", entry.first.c_str(), f.nTried, f.nRefused,
               f.nNotBuilt, f.nPlayed);
        total.nTried += f.nTried, total.nRefused += f.nRefused, total.nNotBuilt += f.nNotBuilt,
            total.nPlayed += f.nPlayed;
    }
    printf("%-9s tried %4d refused %4d not built %3d played %4d\n", "all", total.nTried, total.nRefused,
           total.nNotBuilt, total.nPlayed);
    EXPECT_EQ(3, figures["valid"].nPlayed);
}
