#include <gtest/gtest.h>
#include "forwarding/pageforward.h"
#include "fwdtestutil.h"
#include "testutil.h"

#include <cstring>

typedef std::vector<std::string> Lines;

TEST(PageForward, MergeJobDevModeFields)
{
    DEVMODEW stJob, stPrinter;
    memset(&stJob, 0, sizeof(stJob));
    stJob.dmOrientation = DMORIENT_PORTRAIT;
    stJob.dmPaperSize = DMPAPER_A4;
    stJob.dmPaperLength = 2970;
    stJob.dmPaperWidth = 2100;
    stJob.dmPrintQuality = 300;
    stJob.dmYResolution = 300;
    stPrinter = stJob;
    stPrinter.dmFields = 0x80000000;
    EXPECT_FALSE(MergeJobDevModeFields(&stJob, &stPrinter));
    EXPECT_EQ(0x80000000u, stPrinter.dmFields);

    /* Each field on its own, with its bit. */
    struct { short DEVMODEW::*pField; DWORD dwBit; } aFields[] = {
        { &DEVMODEW::dmOrientation, DM_ORIENTATION },   { &DEVMODEW::dmPaperSize, DM_PAPERSIZE },
        { &DEVMODEW::dmPaperLength, DM_PAPERLENGTH },   { &DEVMODEW::dmPaperWidth, DM_PAPERWIDTH },
        { &DEVMODEW::dmPrintQuality, DM_PRINTQUALITY }, { &DEVMODEW::dmYResolution, DM_YRESOLUTION },
    };
    for (const auto &f : aFields) {
        DEVMODEW stOther = stJob;
        DEVMODEW stTarget = stPrinter;
        stOther.*f.pField = -7;
        EXPECT_TRUE(MergeJobDevModeFields(&stOther, &stTarget));
        EXPECT_EQ(-7, stTarget.*f.pField);
        EXPECT_EQ(0x80000000u | f.dwBit, stTarget.dmFields);
        EXPECT_EQ(0, memcmp(stTarget.dmDeviceName, stPrinter.dmDeviceName, sizeof(stPrinter.dmDeviceName)));
    }

    /* Copies, colour, duplex, scale, source and form stay the printer's. */
    DEVMODEW stOther = stJob;
    stOther.dmCopies = 9;
    stOther.dmColor = DMCOLOR_COLOR;
    stOther.dmDuplex = DMDUP_VERTICAL;
    stOther.dmScale = 50;
    stOther.dmDefaultSource = DMBIN_MANUAL;
    stOther.dmOrientation = DMORIENT_LANDSCAPE;
    lstrcpyW(stOther.dmFormName, L"Letter");
    DEVMODEW stTarget = stPrinter;
    EXPECT_TRUE(MergeJobDevModeFields(&stOther, &stTarget));
    stTarget.dmOrientation = stPrinter.dmOrientation;
    stTarget.dmFields = stPrinter.dmFields;
    EXPECT_EQ(0, memcmp(&stTarget, &stPrinter, sizeof(stTarget)));
}

static bool IsLandscape(HDC hdc)
{
    return GetDeviceCaps(hdc, HORZRES) > GetDeviceCaps(hdc, VERTRES);
}

TEST(PageForward, ChangePhysicalPrinterSettings)
{
    HANDLE hPrinter = NULL;
    ASSERT_TRUE(OpenPrinterA((LPSTR) "JH_PDF_B", &hPrinter, NULL));
    HDC hdc = CreateDCA("WINSPOOL", "JH_PDF_B", NULL, NULL);
    ASSERT_NE(nullptr, hdc);
    std::vector<BYTE> landscape = JobDevMode("JH_PDF_B", DMORIENT_LANDSCAPE);
    std::vector<BYTE> portrait = JobDevMode("JH_PDF_B", DMORIENT_PORTRAIT);
    const WCHAR *pwsz = L"JH_PDF_B";

    EXPECT_EQ(0u, ChangePhysicalPrinterSettings(hdc, pwsz, hPrinter, portrait.data()));
    EXPECT_FALSE(IsLandscape(hdc));
    EXPECT_EQ(0u, ChangePhysicalPrinterSettings(hdc, pwsz, hPrinter, landscape.data()));
    EXPECT_TRUE(IsLandscape(hdc));
    EXPECT_EQ(3508, GetDeviceCaps(hdc, HORZRES));
    EXPECT_EQ(0u, ChangePhysicalPrinterSettings(hdc, pwsz, hPrinter, portrait.data()));
    EXPECT_FALSE(IsLandscape(hdc));

    /* Paper: Letter is narrower than A4 at the same resolution. */
    std::vector<BYTE> letter = portrait;
    ((DEVMODEW *)letter.data())->dmPaperSize = DMPAPER_LETTER;
    EXPECT_EQ(0u, ChangePhysicalPrinterSettings(hdc, pwsz, hPrinter, letter.data()));
    EXPECT_EQ(2550, GetDeviceCaps(hdc, HORZRES));
    EXPECT_EQ(0u, ChangePhysicalPrinterSettings(hdc, pwsz, hPrinter, portrait.data()));
    EXPECT_EQ(2479, GetDeviceCaps(hdc, HORZRES));

    /* A job equal to the printer's settings still resets the DC. */
    ResetDCW(hdc, (DEVMODEW *)landscape.data());
    ASSERT_TRUE(IsLandscape(hdc));
    EXPECT_EQ(0u, ChangePhysicalPrinterSettings(hdc, pwsz, hPrinter, portrait.data()));
    EXPECT_FALSE(IsLandscape(hdc));

    /* The job device mode itself is left as it was. */
    std::vector<BYTE> before = landscape;
    ChangePhysicalPrinterSettings(hdc, pwsz, hPrinter, landscape.data());
    EXPECT_EQ(before, landscape);

    EXPECT_NE(0u, ChangePhysicalPrinterSettings(hdc, L"No Such Printer", NULL, portrait.data()));
    EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, ChangePhysicalPrinterSettings(hdc, pwsz, hPrinter, NULL));
    EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, ChangePhysicalPrinterSettings(NULL, pwsz, hPrinter, portrait.data()));
    DeleteDC(hdc);
    ClosePrinter(hPrinter);
}

/* Pages that cannot be printed: nothing printed, one line for each printer
 * from the one read of the page. */
TEST(PageForward, DoPrintPage)
{
    const int nJob = 7301;
    ForwardTarget st = {};
    st.nJobNumber = nJob;
    ASSERT_EQ(1, DoStartDocument("JH_PDF_C", (RunTag() + "_nopages").c_str(), 1, &st));
    ForwardTarget stOther = {}; /* no documents: an unprintable page never reaches them */
    stOther.nJobNumber = nJob;
    std::vector<BYTE> devMode = JobDevMode("JH_PDF_C", DMORIENT_PORTRAIT);
    std::string emf = MakeEmfBytes({ "no page" }, false);
    /* Reads the page once, then prints it on JH_PDF_C (and JH_PDF_B when
     * bBoth); gives the result of the read. */
    auto printPage = [&](DWORD dwPage, bool bBoth) {
        ForwardPage stPage;
        int nReady = ReadForwardPage(FWD_TEST_PRINTER, nJob, dwPage, NULL, &stPage);
        DoPrintPage("JH_PDF_C", "doc", &stPage, &st, FWD_TEST_PRINTER, 1);
        if (bBoth)
            DoPrintPage("JH_PDF_B", "doc", &stPage, &stOther, FWD_TEST_PRINTER, 1);
        ReleaseForwardPage(&stPage);
        return nReady;
    };
    OpenTestLog();

    EXPECT_EQ(RET_NONE, printPage(1, false)); /* no page key */

    WriteSpoolPage(nJob, 2, emf, &devMode);
    RegSetString(PageKeyPath(nJob, 2), "Ready", "Printing");
    EXPECT_EQ(RET_NONE, printPage(2, false));

    WriteSpoolPage(nJob, 3, emf, &devMode);
    RegSetString(PageKeyPath(nJob, 3), "Ready", "Abort");
    DWORD dwStart = GetTickCount();
    EXPECT_EQ(RET_PAGE_ABORT, printPage(3, false));
    EXPECT_GE(GetTickCount() - dwStart, 900u);

    std::string file = WriteSpoolPage(nJob, 4, emf, &devMode);
    DeleteFileA(file.c_str());
    EXPECT_EQ(RET_PAGE_READY, printPage(4, true));

    std::string folder = WriteSpoolPage(nJob, 6, emf, &devMode);
    DeleteFileA(folder.c_str());
    CreateDirectoryA(folder.c_str(), NULL);
    printPage(6, false);
    RemoveDirectoryA(folder.c_str());

    std::string locked = WriteSpoolPage(nJob, 7, emf, &devMode);
    HANDLE hLock = CreateFileA(locked.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    printPage(7, true);
    CloseHandle(hLock);

    WriteSpoolPage(nJob, 8, emf, &devMode); /* a file name that fills its buffer */
    RegSetUnterminated(PageKeyPath(nJob, 8), "Forwarding", std::string(260, 'x'));
    EXPECT_EQ(RET_PAGE_READY, printPage(8, false));

    /* Every object selection aimed outside the handle table: the page prints
     * without them, one line for the page on each printer, whatever the copies. */
    std::string misled = emf;
    DWORD nSelections = 0, dwFirst = 0;
    for (DWORD dwOffset = 0, cbRecord = 0; dwOffset < misled.size(); dwOffset += cbRecord) {
        DWORD dwType = 0;
        memcpy(&dwType, &misled[dwOffset], 4);
        memcpy(&cbRecord, &misled[dwOffset + 4], 4);
        if (dwType == EMR_SELECTOBJECT && nSelections++ == 0)
            dwFirst = dwOffset;
        if (dwType == EMR_SELECTOBJECT)
            PutDword(misled, dwOffset + 8, 100);
    }
    WriteSpoolPage(nJob, 9, misled, &devMode);
    EXPECT_EQ(RET_PAGE_READY, printPage(9, false));

    ForwardPage stPage;
    ReadForwardPage(FWD_TEST_PRINTER, nJob, 1, NULL, &stPage);
    DoPrintPage(NULL, "doc", &stPage, &st, FWD_TEST_PRINTER, 1);
    DoPrintPage("JH_PDF_C", "doc", &stPage, NULL, FWD_TEST_PRINTER, 1);
    DoPrintPage("JH_PDF_C", "doc", NULL, &st, FWD_TEST_PRINTER, 1);
    ReleaseForwardPage(&stPage);
    ReleaseForwardPage(&stPage);
    std::vector<std::string> lines = CloseTestLog();
    ASSERT_EQ(10u, lines.size());
    EXPECT_EQ("Page 1 not printed on JH_PDF_C: its page key is not ready.", lines[0]);
    EXPECT_EQ("Page 2 not printed on JH_PDF_C: its page key is not ready.", lines[1]);
    EXPECT_EQ("Page 3 not printed on JH_PDF_C: the page was abandoned.", lines[2]);
    EXPECT_EQ("Page 4 not printed on JH_PDF_C: its spool file " + file + " is missing.", lines[3]);
    EXPECT_EQ("Page 4 not printed on JH_PDF_B: its spool file " + file + " is missing.", lines[4]);
    EXPECT_EQ(0u, lines[5].find("Page 6 not printed on JH_PDF_C: its spool file " + folder + " cannot be read"))
        << lines[5];
    EXPECT_EQ("Page 7 not printed on JH_PDF_C: its spool file " + locked + " is in use by another program.",
              lines[6]);
    EXPECT_EQ("Page 7 not printed on JH_PDF_B: its spool file " + locked + " is in use by another program.",
              lines[7]);
    EXPECT_EQ("Page 8 not printed on JH_PDF_C: its page key names no spool file.", lines[8]);
    EXPECT_LT(1u, nSelections);
    EXPECT_EQ("Page 9 printed on JH_PDF_C without " + std::to_string(nSelections) +
                  " of its metafile records; the first, of type 37 at offset " + std::to_string(dwFirst) +
                  ", uses an object handle outside the handle table.",
              lines[9]);

    /* The spool file is not held open once the page is read. */
    file = WriteSpoolPage(nJob, 5, emf, &devMode);
    ReadForwardPage(FWD_TEST_PRINTER, nJob, 5, NULL, &stPage);
    EXPECT_EQ(FWD_PAGE_READY, stPage.nState);
    EXPECT_TRUE(DeleteFileA(file.c_str()));
    DoPrintPage("JH_PDF_C", "doc", &stPage, &st, FWD_TEST_PRINTER, 1);
    ReleaseForwardPage(&stPage);

    OpenTestLog();
    EXPECT_EQ(1, DoEndDocument(&st, 1));
    EXPECT_EQ(Lines({ "Printing successfully finished (copy: 0)." }), CloseTestLog());
    HeapFree(GetProcessHeap(), 0, st.phCopyDCs);
    DeleteTestPrinterKeys();
}

/* A page kept while it is read comes back from its kept file with the same
 * device mode, Bates values and metafile; a kept file cut short, one never
 * written and one that cannot be written are told apart. */
TEST(PageForward, KeptPage)
{
    const int nJob = 7302;
    std::string dir = MakeTempDir("kept"), keep = dir + "\\1.kpg";
    std::vector<BYTE> devMode = JobDevMode("JH_PDF_C", DMORIENT_LANDSCAPE);
    WriteSpoolPage(nJob, 1, WithPlaceablePrefix(MakeEmfBytes({ "kept" }, true), 24), &devMode);
    RegSetDword(DocumentKeyPath(nJob), "Bates start number", 7);
    RegSetDword(DocumentKeyPath(nJob), "Current Bates number", 2);
    ForwardPage stRead, stKept;
    ASSERT_EQ(RET_PAGE_READY, ReadForwardPage(FWD_TEST_PRINTER, nJob, 1, keep.c_str(), &stRead));
    ASSERT_EQ(FWD_PAGE_READY, stRead.nState);
    EXPECT_EQ(0u, stRead.dwKeepError);
    LoadKeptPage(keep.c_str(), 1, &stKept);
    ASSERT_EQ(FWD_PAGE_READY, stKept.nState);
    EXPECT_EQ(std::string((char *)devMode.data(), devMode.size()),
              std::string((char *)stKept.pDevMode, stKept.cbDevMode));
    EXPECT_EQ(7, stKept.nBatesStart);
    EXPECT_EQ(2, stKept.nBatesCurrent);
    UINT cbBits = GetEnhMetaFileBits(stRead.hMetaFile, 0, NULL);
    std::string read(cbBits, '\0'), kept(cbBits, '\0');
    GetEnhMetaFileBits(stRead.hMetaFile, cbBits, (BYTE *)&read[0]);
    ASSERT_EQ(cbBits, GetEnhMetaFileBits(stKept.hMetaFile, cbBits, (BYTE *)&kept[0]));
    EXPECT_EQ(read, kept);
    ReleaseForwardPage(&stKept);

    std::string whole = ReadWholeFile(keep);
    WriteWholeFile(keep, whole.substr(0, whole.size() - 8));
    LoadKeptPage(keep.c_str(), 1, &stKept);
    EXPECT_EQ(FWD_PAGE_REFUSED, stKept.nState);
    ReleaseForwardPage(&stKept);
    LoadKeptPage((dir + "\\2.kpg").c_str(), 2, &stKept);
    EXPECT_EQ(FWD_PAGE_UNREADABLE, stKept.nState);
    EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, stKept.dwError);
    ReleaseForwardPage(&stKept);
    ReleaseForwardPage(&stRead);

    ReadForwardPage(FWD_TEST_PRINTER, nJob, 1, (dir + "\\missing\\1.kpg").c_str(), &stRead);
    EXPECT_EQ(FWD_PAGE_READY, stRead.nState);
    EXPECT_EQ((DWORD)ERROR_PATH_NOT_FOUND, stRead.dwKeepError);
    ReleaseForwardPage(&stRead);
    DeleteTestPrinterKeys();
}
