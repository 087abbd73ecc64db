/* Jobs forwarded to the cups-pdf queues. The log is checked here; the PDFs
 * (pages, text, orientation, titles) are read back by forward_pdf_test.sh,
 * which runs this suite with JH_FWD_TAG set. */
#include <gtest/gtest.h>
#include "forwarding/printsession.h"
#include "forwarding/pageforward.h"
#include "jobprotocol/redirectlog.h"
#include "settings/devmode.h"
#include "fwdtestutil.h"
#include "testutil.h"

#include <cstring>

typedef std::vector<std::string> Lines;

static std::string PageText(const char *pszCase, DWORD dwPage)
{
    return RunTag() + " " + pszCase + " page " + std::to_string(dwPage);
}

/* Starts, prints pages 1..dwPages of job nJob and ends one target per
 * printer name; gives the log, by default without the stamp lines. Each page
 * is read once and its spool file deleted at once: every printer and copy
 * prints from that one read. */
static Lines ForwardJob(const std::vector<const char *> &printers, const std::string &docName, DWORD dwCopies,
                        int nJob, DWORD dwPages, bool bWithoutStamps = true)
{
    std::vector<ForwardTarget> targets(printers.size());
    OpenTestLog();
    for (size_t i = 0; i < printers.size(); i++) {
        targets[i].nJobNumber = nJob;
        targets[i].bActive = DoStartDocument(printers[i], docName.c_str(), dwCopies, &targets[i]);
    }
    for (DWORD dwPage = 1; dwPage <= dwPages; dwPage++) {
        LogMessage("Printing page: %d", dwPage);
        ForwardPage stPage;
        ReadForwardPage(FWD_TEST_PRINTER, nJob, dwPage, NULL, &stPage);
        DeleteFileA(stPage.szFileName);
        for (size_t i = 0; i < printers.size(); i++)
            if (targets[i].bActive)
                DoPrintPage(printers[i], docName.c_str(), &stPage, &targets[i], FWD_TEST_PRINTER, dwCopies);
        ReleaseForwardPage(&stPage);
    }
    for (ForwardTarget &t : targets) {
        if (t.bActive) {
            t.bActive = 0;
            DoEndDocument(&t, dwCopies);
        }
        if (t.phCopyDCs)
            HeapFree(GetProcessHeap(), 0, t.phCopyDCs);
    }
    DeleteTestPrinterKeys();
    Lines lines = CloseTestLog();
    return bWithoutStamps ? WithoutStampLines(lines) : lines;
}

/* Three copies: three documents of two pages each, ended on the abort path
 * with the log still open. */
TEST(ForwardPdf, Copies)
{
    const int nJob = 7401;
    std::vector<BYTE> devMode = JobDevMode("JH_PDF_A", DMORIENT_PORTRAIT);
    for (DWORD p = 1; p <= 2; p++)
        WriteSpoolPage(nJob, p, MakeEmfBytes({ PageText("copies", p) }, false), &devMode);
    Lines lines = ForwardJob({ "JH_PDF_A" }, RunTag() + "_copies", 3, nJob, 2);
    EXPECT_EQ(Lines({ "Printing page: 1", "Printing page: 2", "Printing successfully finished (copy: 0).",
                      "Printing successfully finished (copy: 1).", "Printing successfully finished (copy: 2)." }),
              lines);
    EXPECT_EQ(3, WaitForPdfs("JH_PDF_A", RunTag() + "_copies", 3, 30000));
}

/* A printer that is not installed between two that are. */
TEST(ForwardPdf, Printers)
{
    const int nJob = 7402;
    std::vector<BYTE> devMode = JobDevMode("JH_PDF_B", DMORIENT_PORTRAIT);
    WriteSpoolPage(nJob, 1, MakeEmfBytes({ PageText("printers", 1) }, false), &devMode);
    Lines lines = ForwardJob({ "JH_PDF_B", "No Such Printer", "JH_PDF_C" }, RunTag() + "_printers", 1, nJob, 1);
    EXPECT_EQ(Lines({ "Cannot access the printer: Error 1801", "Printing page: 1",
                      "Printing successfully finished (copy: 0).", "Printing successfully finished (copy: 0)." }),
              lines);
    EXPECT_EQ(1, WaitForPdfs("JH_PDF_B", RunTag() + "_printers", 1, 30000));
    EXPECT_EQ(1, WaitForPdfs("JH_PDF_C", RunTag() + "_printers", 1, 30000));
}

/* Copy 0 of 2 cannot start its page (its document was ended under it): it
 * gets no stamps; copy 1 prints and stamps the page all the same. */
TEST(ForwardPdf, StartPageFails)
{
    const int nJob = 7403;
    const std::string docName = RunTag() + "_startpage";
    std::vector<BYTE> devMode = JobDevMode("JH_PDF_A", DMORIENT_PORTRAIT);
    DevMode_SetAnnotationFlags(DevMode_FromBuffer(devMode.data(), (DWORD)devMode.size()),
                               ANF_ENABLED | ANF_DATE | ANF_DATE_YMD | ANF_TRANSPARENT);
    WriteSpoolPage(nJob, 1, MakeEmfBytes({ PageText("startpage", 1) }, false), &devMode);
    ForwardTarget st = {};
    st.nJobNumber = nJob;
    ASSERT_EQ(1, DoStartDocument("JH_PDF_A", docName.c_str(), 2, &st));
    ASSERT_GT(EndDoc(st.phCopyDCs[0]), 0);
    OpenTestLog();
    PrintSpooledPage("JH_PDF_A", docName, nJob, 1, &st, 2);
    DoEndDocument(&st, 2);
    Lines lines = CloseTestLog();
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("Error at StartPage (copy: 0). Error: 6", lines[0]);
    EXPECT_EQ("Annotations added successfully (copy: 1).", lines[1]);
    EXPECT_EQ(0u, lines[2].find("Error at EndDoc (copy: 0) ")) << lines[2];
    EXPECT_EQ("Printing successfully finished (copy: 1).", lines[3]);
    HeapFree(GetProcessHeap(), 0, st.phCopyDCs);
    DeleteTestPrinterKeys();
    EXPECT_GE(WaitForPdfs("JH_PDF_A", docName, 1, 30000), 1);
}

/* Landscape, portrait, landscape on a portrait printer, two copies: every
 * copy's device context is set anew before each page. */
TEST(ForwardPdf, Orientation)
{
    const int nJob = 7404;
    std::vector<BYTE> landscape = JobDevMode("JH_PDF_B", DMORIENT_LANDSCAPE);
    std::vector<BYTE> portrait = JobDevMode("JH_PDF_B", DMORIENT_PORTRAIT);
    for (DWORD p = 1; p <= 3; p++)
        WriteSpoolPage(nJob, p, MakeEmfBytes({ PageText("orient", p) }, p != 2), p != 2 ? &landscape : &portrait);
    Lines lines = ForwardJob({ "JH_PDF_B" }, RunTag() + "_orient", 2, nJob, 3);
    EXPECT_EQ(Lines({ "Printing page: 1", "Printing page: 2", "Printing page: 3",
                      "Printing successfully finished (copy: 0).", "Printing successfully finished (copy: 1)." }),
              lines);
    EXPECT_EQ(2, WaitForPdfs("JH_PDF_B", RunTag() + "_orient", 2, 30000));
}

/* Pages whose bytes cannot be played safely print nothing, with one line
 * each; the job goes on. A device mode that is missing or shorter than the
 * public part leaves the settings alone (page 1's landscape stays) and the
 * page prints. */
TEST(ForwardPdf, BadInput)
{
    const int nJob = 7405;
    const std::string tag = RunTag();
    std::vector<BYTE> devMode = JobDevMode("JH_PDF_C", DMORIENT_PORTRAIT);
    std::vector<BYTE> landscape = JobDevMode("JH_PDF_C", DMORIENT_LANDSCAPE);
    auto page = [&](DWORD p) { return MakeEmfBytes({ PageText("badinput", p) }, p == 1 || p == 8 || p == 9); };
    std::string emf = page(2);
    DWORD cbHeader = 0;
    memcpy(&cbHeader, emf.data() + 4, 4);

    WriteSpoolPage(nJob, 1, page(1), &landscape);
    WriteSpoolPage(nJob, 2, emf, &devMode, (DWORD)emf.size() + 100); /* file shorter than "Size" */
    WriteSpoolPage(nJob, 3, WithPlaceablePrefix(emf, 24).substr(0, 131), &devMode);
    std::string past = page(4);
    PutDword(past, 48, (DWORD)past.size() + 8);
    WriteSpoolPage(nJob, 4, past, &devMode);
    std::string zero = page(5);
    PutDword(zero, cbHeader + 4, 0);
    WriteSpoolPage(nJob, 5, zero, &devMode);
    std::string overrun = page(6);
    PutDword(overrun, cbHeader + 4, (DWORD)overrun.size());
    WriteSpoolPage(nJob, 6, overrun, &devMode);
    std::string notEmf = page(7);
    PutDword(notEmf, 40, 0x12345678);
    WriteSpoolPage(nJob, 7, notEmf, &devMode);
    WriteSpoolPage(nJob, 8, page(8), NULL);
    std::vector<BYTE> shortDevMode(devMode.begin(), devMode.begin() + 200);
    WriteSpoolPage(nJob, 9, page(9), &shortDevMode);
    WriteSpoolPage(nJob, 10, page(10), &devMode);

    Lines lines = ForwardJob({ "JH_PDF_C" }, tag + "_badinput", 1, nJob, 10, false);
    char szPast[160], szShort[160];
    snprintf(szShort, sizeof(szShort), "Page 2 not printed on JH_PDF_C: the spool file holds %u bytes, not %u.",
             (unsigned)emf.size(), (unsigned)emf.size() + 100);
    snprintf(szPast, sizeof(szPast),
             "Page 4 not printed on JH_PDF_C: the metafile size %u runs past the %u bytes read.",
             (unsigned)past.size() + 8, (unsigned)past.size());
    char szZero[160], szOverrun[160];
    snprintf(szZero, sizeof(szZero), "Page 5 not printed on JH_PDF_C: broken metafile record at offset %u.",
             (unsigned)cbHeader);
    snprintf(szOverrun, sizeof(szOverrun), "Page 6 not printed on JH_PDF_C: broken metafile record at offset %u.",
             (unsigned)cbHeader);
    EXPECT_EQ(Lines({ "Printing page: 1", "Printing page: 2", szShort, "Printing page: 3",
                      "Page 3 not printed on JH_PDF_C: its 131 bytes are too few for a metafile header.",
                      "Printing page: 4", szPast, "Printing page: 5", szZero, "Printing page: 6", szOverrun,
                      "Printing page: 7", "Page 7 not printed on JH_PDF_C: the system refused its metafile.",
                      "Printing page: 8", "Adding watermark failed (copy: 0).",
                      "Adding annotations failed (copy: 0).", "Adding Bates number failed (copy: 0).",
                      "Printing page: 9", "Adding watermark failed (copy: 0).",
                      "Adding annotations failed (copy: 0).", "Adding Bates number failed (copy: 0).",
                      "Printing page: 10",
                      "Printing successfully finished (copy: 0)." }),
              lines);
    EXPECT_EQ(1, WaitForPdfs("JH_PDF_C", tag + "_badinput", 1, 30000));
}

/* An empty document name stays empty. */
TEST(ForwardPdf, EmptyName)
{
    const int nJob = 7406;
    std::vector<BYTE> devMode = JobDevMode("JH_PDF_A", DMORIENT_PORTRAIT);
    WriteSpoolPage(nJob, 1, MakeEmfBytes({ PageText("emptyname", 1) }, false), &devMode);
    Lines lines = ForwardJob({ "JH_PDF_A" }, "", 1, nJob, 1);
    EXPECT_EQ(Lines({ "Printing page: 1", "Printing successfully finished (copy: 0)." }), lines);
}

/* The stamps' outcomes are logged per copy: result 1 as added, result 0 as
 * failed, in drawing order (watermark, annotation, Bates number). */
TEST(ForwardPdf, StampLines)
{
    const int nJob = 7407;
    std::vector<BYTE> devMode = JobDevMode("JH_PDF_B", DMORIENT_PORTRAIT);
    DriverDevMode *pDevMode = DevMode_FromBuffer(devMode.data(), (DWORD)devMode.size());
    ASSERT_NE(nullptr, pDevMode);
    DevMode_SetAnnotationFlags(pDevMode, ANF_ENABLED | ANF_DATE | ANF_DATE_YMD | ANF_TRANSPARENT);
    std::vector<BYTE> oneShort(devMode.begin(), devMode.end() - 1);
    WriteSpoolPage(nJob, 1, MakeEmfBytes({ PageText("stamps", 1) }, false), &devMode);
    WriteSpoolPage(nJob, 2, MakeEmfBytes({ PageText("stamps", 2) }, false), &oneShort);
    std::vector<ForwardTarget> targets(1);
    targets[0].nJobNumber = nJob;
    const std::string docName = RunTag() + "_stamps";
    ASSERT_EQ(1, DoStartDocument("JH_PDF_B", docName.c_str(), 2, &targets[0]));
    OpenTestLog();
    PrintSpooledPage("JH_PDF_B", docName, nJob, 1, &targets[0], 2);
    PrintSpooledPage("JH_PDF_B", docName, nJob, 2, &targets[0], 2);
    Lines lines = CloseTestLog();
    DoEndDocument(&targets[0], 2);
    HeapFree(GetProcessHeap(), 0, targets[0].phCopyDCs);
    DeleteTestPrinterKeys();
    EXPECT_EQ(Lines({ "Annotations added successfully (copy: 0).", "Annotations added successfully (copy: 1).",
                      "Adding watermark failed (copy: 0).", "Adding annotations failed (copy: 0).",
                      "Adding Bates number failed (copy: 0).", "Adding watermark failed (copy: 1).",
                      "Adding annotations failed (copy: 1).", "Adding Bates number failed (copy: 1)." }),
              lines);
}
