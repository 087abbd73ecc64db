#include <gtest/gtest.h>
#include "forwarding/printsession.h"
#include "forwarding/pageforward.h"
#include "fwdtestutil.h"
#include "testutil.h"

#include <cstdio>

typedef std::vector<std::string> Lines;

static void FreeCopyDCs(ForwardTarget *pTarget)
{
    if (pTarget->phCopyDCs)
        HeapFree(GetProcessHeap(), 0, pTarget->phCopyDCs);
    pTarget->phCopyDCs = NULL;
}

TEST(PrintSession, DoStartDocument)
{
    ForwardTarget st = {};
    OpenTestLog();
    EXPECT_EQ(0, DoStartDocument(NULL, "doc", 1, &st));
    EXPECT_EQ(0, DoStartDocument("JH_PDF_A", "doc", 1, NULL));
    EXPECT_EQ(Lines(), CloseTestLog());

    /* A printer that is not installed. */
    OpenTestLog();
    st.hPrinter = (HANDLE)(ULONG_PTR)0x1234;
    EXPECT_EQ(0, DoStartDocument("No Such Printer", "doc", 2, &st));
    EXPECT_EQ(NULL, st.hPrinter);
    EXPECT_EQ(nullptr, st.phCopyDCs);
    EXPECT_EQ(Lines({ "Cannot access the printer: Error 1801" }), CloseTestLog());

    /* Copies 0: the printer is open, no device context, no document. */
    OpenTestLog();
    EXPECT_EQ(1, DoStartDocument("JH_PDF_A", "doc", 0, &st));
    EXPECT_NE(nullptr, st.hPrinter);
    ASSERT_NE(nullptr, st.phCopyDCs);
    EXPECT_EQ(NULL, st.phCopyDCs[0]);
    EXPECT_EQ(1, DoEndDocument(&st, 0));
    EXPECT_EQ(NULL, st.hPrinter);
    EXPECT_EQ(Lines(), CloseTestLog());
    FreeCopyDCs(&st);

    /* One device context per copy, each with its own started document;
     * printer names are not case-sensitive. */
    EXPECT_EQ(1, DoStartDocument("jh_pdf_b", "", 3, &st));
    ASSERT_NE(nullptr, st.phCopyDCs);
    for (int i = 0; i < 3; i++) {
        ASSERT_NE(nullptr, st.phCopyDCs[i]);
        EXPECT_EQ(DT_RASPRINTER, GetDeviceCaps(st.phCopyDCs[i], TECHNOLOGY));
        for (int j = 0; j < i; j++)
            EXPECT_NE(st.phCopyDCs[j], st.phCopyDCs[i]);
    }
    EXPECT_EQ(1, DoEndDocument(&st, 3));
    FreeCopyDCs(&st);
}

TEST(PrintSession, DoEndDocument)
{
    ForwardTarget st = {};
    EXPECT_EQ(0, DoEndDocument(NULL, 1));

    /* A copy whose document fails to end (copy 0 was ended before) is
     * reported; copy 1 is still ended. */
    ASSERT_EQ(1, DoStartDocument("JH_PDF_C", (RunTag() + "_endfail").c_str(), 2, &st));
    HDC hCopy1 = st.phCopyDCs[1];
    ASSERT_GT(EndDoc(st.phCopyDCs[0]), 0);
    ASSERT_GT(StartPage(hCopy1), 0);
    TextOutA(hCopy1, 300, 300, "end fail", 8);
    ASSERT_GT(EndPage(hCopy1), 0);
    OpenTestLog();
    EXPECT_EQ(0, DoEndDocument(&st, 2));
    Lines lines = CloseTestLog();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(0u, lines[0].find("Error at EndDoc (copy: 0) ")) << lines[0];
    EXPECT_EQ("Printing successfully finished (copy: 1).", lines[1]);
    EXPECT_EQ(NULL, st.phCopyDCs[0]);
    EXPECT_EQ(NULL, st.phCopyDCs[1]);
    EXPECT_EQ(NULL, st.hPrinter);
    /* Copy 0's empty document and copy 1's page. */
    EXPECT_EQ(2, WaitForPdfs("JH_PDF_C", RunTag() + "_endfail", 2, 30000));
    FreeCopyDCs(&st);
}

/* Holds spool files nFirst .. nFirst + nCount - 1 of the system's spool folder
 * open without sharing, as other processes' documents do. */
static std::vector<HANDLE> HoldSpoolFiles(int nFirst, int nCount)
{
    char szDir[MAX_PATH], szPath[MAX_PATH];
    std::vector<HANDLE> held;
    GetSystemDirectoryA(szDir, sizeof(szDir));
    for (int n = nFirst; n < nFirst + nCount; n++) {
        snprintf(szPath, sizeof(szPath), "%s\\spool\\printers\\%05d.SPL", szDir, n);
        held.push_back(CreateFileA(szPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, NULL));
    }
    return held;
}

static void ReleaseSpoolFiles(const std::vector<HANDLE> &held)
{
    for (HANDLE h : held)
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
}

TEST(PrintSession, StartDocSharingViolation)
{
    /* The system's spooler numbers this process's spool files in turn, and a
     * document's number is its StartDoc result; a start whose file another
     * process holds fails with a sharing violation, and the next try takes
     * the next number. */
    ForwardTarget st = {};
    std::string doc = RunTag() + "_sharing", probe = RunTag() + "_probe";
    DOCINFOA stDocInfo = { sizeof(stDocInfo), probe.c_str(), NULL, NULL, 0 };
    HDC hProbe = CreateDCA("WINSPOOL", "JH_PDF_C", NULL, NULL);
    ASSERT_NE(nullptr, hProbe);
    int nNext = StartDocA(hProbe, &stDocInfo) + 1;
    ASSERT_GT(nNext, 1);
    EndDoc(hProbe);
    DeleteDC(hProbe);

    /* Held for a while: both copies start, past the held files. */
    std::vector<HANDLE> held = HoldSpoolFiles(nNext, 5);
    OpenTestLog();
    EXPECT_EQ(1, DoStartDocument("JH_PDF_C", doc.c_str(), 2, &st));
    EXPECT_EQ(1, DoEndDocument(&st, 2));
    EXPECT_EQ(Lines({ "Printing successfully finished (copy: 0).", "Printing successfully finished (copy: 1)." }),
              CloseTestLog());
    ReleaseSpoolFiles(held);
    FreeCopyDCs(&st);
    EXPECT_EQ(2, WaitForPdfs("JH_PDF_C", doc, 2, 30000));

    /* A thousand names held: far more tries than a fixed count allowed, well
     * within the time the search is given. */
    held = HoldSpoolFiles(nNext + 7, 1000);
    OpenTestLog();
    EXPECT_EQ(1, DoStartDocument("JH_PDF_C", doc.c_str(), 1, &st));
    EXPECT_EQ(1, DoEndDocument(&st, 1));
    EXPECT_EQ(Lines({ "Printing successfully finished (copy: 0)." }), CloseTestLog());
    ReleaseSpoolFiles(held);
    FreeCopyDCs(&st);
    EXPECT_EQ(3, WaitForPdfs("JH_PDF_C", doc, 3, 30000));
}

static DWORD WINAPI HoldSpoolNames(void *pv)
{
    HANDLE hLock = LockSpoolNames(INFINITE);
    SetEvent((HANDLE)pv);
    Sleep(500);
    UnlockSpoolNames(hLock);
    return 0;
}

TEST(PrintSession, LockSpoolNames)
{
    /* Another holder: a short wait gives up with ERROR_TIMEOUT; a longer
     * one gets the mutex once it is given back. */
    HANDLE hHeld = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE hThread = CreateThread(NULL, 0, HoldSpoolNames, hHeld, 0, NULL);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hHeld, 5000));
    SetLastError(0xDEAD);
    EXPECT_EQ(NULL, LockSpoolNames(10));
    EXPECT_EQ((DWORD)ERROR_TIMEOUT, GetLastError());
    HANDLE hLock = LockSpoolNames(30000);
    EXPECT_NE(nullptr, hLock);
    UnlockSpoolNames(hLock);
    UnlockSpoolNames(NULL);
    WaitForSingleObject(hThread, 5000);
    CloseHandle(hThread);
    CloseHandle(hHeld);
}
