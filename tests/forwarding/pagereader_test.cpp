#include <gtest/gtest.h>
#include "forwarding/pagereader.h"
#include "fwdtestutil.h"
#include "testutil.h"

#include <cstring>

/* A minimal metafile by hand: a 108-byte header record and an EOF record. */
static std::string TinyEmf()
{
    std::string emf(108 + 20, '\0');
    PutDword(emf, 0, EMR_HEADER);
    PutDword(emf, 4, 108);
    PutDword(emf, 40, ENHMETA_SIGNATURE);
    PutDword(emf, 48, (DWORD)emf.size());
    PutDword(emf, 52, 2); /* records */
    PutDword(emf, 56, 1); /* handles: the table's reserved entry */
    PutDword(emf, 108, EMR_EOF);
    PutDword(emf, 112, 20);
    return emf;
}

static int Check(const std::string &bytes, PageLayout *pLayout)
{
    return CheckPageBytes((const BYTE *)bytes.data(), (DWORD)bytes.size(), pLayout);
}

TEST(PageReader, CheckPageBytes)
{
    PageLayout st;
    memset(&st, 0xAA, sizeof(st));
    std::string emf = TinyEmf();
    EXPECT_EQ(PAGE_OK, Check(emf, &st));
    EXPECT_EQ(0u, st.dwOffset);
    EXPECT_EQ(128u, st.cbMetaFile);

    /* Behind the placeable key the metafile starts at 24, not at 22. */
    EXPECT_EQ(PAGE_OK, Check(WithPlaceablePrefix(emf, 24), &st));
    EXPECT_EQ(24u, st.dwOffset);
    EXPECT_EQ(128u, st.cbMetaFile);
    Check(WithPlaceablePrefix(emf, 22), &st);
    EXPECT_EQ(24u, st.dwOffset);
    EXPECT_NE(128u, st.cbMetaFile);

    /* Trailing bytes past nBytes are not part of the metafile. */
    EXPECT_EQ(PAGE_OK, Check(emf + std::string(64, '\x55'), &st));
    EXPECT_EQ(128u, st.cbMetaFile);

    /* Too few bytes for the header, with and without the prefix. */
    EXPECT_EQ(PAGE_NO_BUFFER, CheckPageBytes(NULL, 200, &st));
    EXPECT_EQ(PAGE_SHORT_HEADER, Check(emf.substr(0, 107), &st));
    std::string headerOnly = emf.substr(0, 108);
    PutDword(headerOnly, 48, 108);
    PutDword(headerOnly, 52, 1);
    EXPECT_EQ(PAGE_OK, Check(headerOnly, &st));
    EXPECT_EQ(PAGE_SHORT_HEADER, Check(WithPlaceablePrefix(emf, 24).substr(0, 131), &st));
    EXPECT_EQ(PAGE_SHORT_HEADER, Check(WithPlaceablePrefix(emf, 24).substr(0, 10), &st));
    EXPECT_EQ(PAGE_SHORT_HEADER, Check(std::string(), &st));

    /* nBytes past the bytes read. */
    std::string past = emf;
    PutDword(past, 48, 132);
    EXPECT_EQ(PAGE_SIZE_PAST_END, Check(past, &st));
    EXPECT_EQ(132u, st.cbMetaFile);
    PutDword(past, 48, 0xFFFFFFF0);
    EXPECT_EQ(PAGE_SIZE_PAST_END, Check(WithPlaceablePrefix(past, 24), &st));

    /* Broken chains: size 0, unaligned, past nBytes, a header of size 0. */
    std::string broken = emf;
    PutDword(broken, 112, 0);
    EXPECT_EQ(PAGE_BROKEN_RECORD, Check(broken, &st));
    EXPECT_EQ(108u, st.dwBadRecord);
    PutDword(broken, 112, 18);
    EXPECT_EQ(PAGE_BROKEN_RECORD, Check(broken, &st));
    PutDword(broken, 112, 24);
    EXPECT_EQ(PAGE_BROKEN_RECORD, Check(broken, &st));
    PutDword(broken, 112, 20);
    PutDword(broken, 4, 0);
    EXPECT_EQ(PAGE_BROKEN_RECORD, Check(broken, &st));
    EXPECT_EQ(0u, st.dwBadRecord);
    /* A record cut short by nBytes: only 4 bytes of the EOF record left. */
    std::string cut = emf;
    PutDword(cut, 48, 112);
    EXPECT_EQ(PAGE_BROKEN_RECORD, Check(cut, &st));
    EXPECT_EQ(108u, st.dwBadRecord);

    DWORD dwBad = 0xAAAA;
    EXPECT_TRUE(CheckRecordChain((const BYTE *)emf.data(), 0, &dwBad));
    EXPECT_EQ(0xAAAAu, dwBad);
}

TEST(PageReader, ReadPageFile)
{
    std::string dir = MakeTempDir("pagefile");
    std::string file = dir + "\\page.emf";
    WriteWholeFile(file, std::string(1000, 'x'));
    DWORD cbRead = 0xAAAA;

    EXPECT_EQ(NULL, ReadPageFile((dir + "\\missing.emf").c_str(), 100, &cbRead));
    EXPECT_EQ(0xAAAAu, cbRead);

    BYTE *p = ReadPageFile(file.c_str(), 1000, &cbRead);
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(1000u, cbRead);
    EXPECT_EQ('x', p[999]);
    HeapFree(GetProcessHeap(), 0, p);

    /* "Size" past the end of the file: the bytes actually read are told. */
    p = ReadPageFile(file.c_str(), 4000, &cbRead);
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(1000u, cbRead);
    EXPECT_EQ(4000u, HeapSize(GetProcessHeap(), 0, p));
    HeapFree(GetProcessHeap(), 0, p);

    p = ReadPageFile(file.c_str(), 10, &cbRead);
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(10u, cbRead);
    HeapFree(GetProcessHeap(), 0, p);

    p = ReadPageFile(file.c_str(), 0, &cbRead);
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(0u, cbRead);
    HeapFree(GetProcessHeap(), 0, p);

    /* The file is opened without sharing: a writer holding it keeps it. */
    HANDLE hFile = CreateFileA(file.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    cbRead = 0xAAAA;
    EXPECT_EQ(NULL, ReadPageFile(file.c_str(), 1000, &cbRead));
    EXPECT_EQ(0xAAAAu, cbRead);
    CloseHandle(hFile);
}

static HENHMETAFILE Build(const std::string &bytes, int *pnCheck)
{
    return ReadMetaFile((const BYTE *)bytes.data(), (DWORD)bytes.size(), pnCheck, NULL);
}

/* Plays a metafile onto a white 200 x 280 bitmap; gives the dark pixels. */
static int DarkPixelsWhenPlayed(HENHMETAFILE hEmf)
{
    HDC hdc = CreateCompatibleDC(NULL);
    BITMAPINFO bi;
    memset(&bi, 0, sizeof(bi));
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = 200;
    bi.bmiHeader.biHeight = 280;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    DWORD *pPixels = NULL;
    HBITMAP hbm = CreateDIBSection(hdc, &bi, DIB_RGB_COLORS, (void **)&pPixels, NULL, 0);
    HGDIOBJ hOld = SelectObject(hdc, hbm);
    memset(pPixels, 0xFF, 200 * 280 * 4);
    RECT rc = { 0, 0, 199, 279 };
    int nDark = 0;
    if (PlayEnhMetaFile(hdc, hEmf, &rc)) {
        GdiFlush();
        for (int i = 0; i < 200 * 280; i++)
            nDark += (pPixels[i] & 0xFFFFFF) != 0xFFFFFF;
    }
    SelectObject(hdc, hOld);
    DeleteObject(hbm);
    DeleteDC(hdc);
    return nDark;
}

TEST(PageReader, ReadMetaFile)
{
    std::string emf = MakeEmfBytes({ "Page reader", "second line" }, false);
    ASSERT_GT(emf.size(), 200u);
    int nCheck = -1;

    HENHMETAFILE h = Build(emf, &nCheck);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(PAGE_OK, nCheck);
    EXPECT_EQ(emf.size(), GetEnhMetaFileBits(h, 0, NULL));
    EXPECT_GT(DarkPixelsWhenPlayed(h), 0);
    DeleteEnhMetaFile(h);

    /* Behind the placeable key at 24 the page plays; at 22 it is not found. */
    h = Build(WithPlaceablePrefix(emf, 24), &nCheck);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(emf.size(), GetEnhMetaFileBits(h, 0, NULL));
    EXPECT_GT(DarkPixelsWhenPlayed(h), 0);
    DeleteEnhMetaFile(h);
    EXPECT_EQ(NULL, Build(WithPlaceablePrefix(emf, 22), &nCheck));

    /* nBytes smaller than the file: only nBytes are taken. */
    h = Build(emf + std::string(4096, '\x7f'), &nCheck);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(emf.size(), GetEnhMetaFileBits(h, 0, NULL));
    DeleteEnhMetaFile(h);

    /* A sound chain of bytes that are no metafile: the builder refuses. */
    std::string invalid = emf;
    PutDword(invalid, 40, 0x12345678);
    nCheck = -1;
    EXPECT_EQ(NULL, Build(invalid, &nCheck));
    EXPECT_EQ(PAGE_OK, nCheck);
    EXPECT_EQ(NULL, Build(std::string(4096, '\0'), &nCheck));

    /* Refused before building. */
    EXPECT_EQ(NULL, ReadMetaFile(NULL, 0, &nCheck, NULL));
    EXPECT_EQ(PAGE_NO_BUFFER, nCheck);
    EXPECT_EQ(NULL, Build(emf.substr(0, emf.size() - 4), &nCheck));
    EXPECT_EQ(PAGE_SIZE_PAST_END, nCheck);
    std::string zero = emf;
    DWORD cbHeader = 0;
    memcpy(&cbHeader, emf.data() + 4, 4);
    PutDword(zero, cbHeader + 4, 0); /* the record after the header */
    EXPECT_EQ(NULL, Build(zero, &nCheck));
    EXPECT_EQ(PAGE_BROKEN_RECORD, nCheck);
    /* The buffer size counts, not the allocation behind it. */
    EXPECT_EQ(NULL, ReadMetaFile((const BYTE *)emf.data(), 100, &nCheck, NULL));
    EXPECT_EQ(PAGE_SHORT_HEADER, nCheck);
    EXPECT_EQ(NULL, ReadMetaFile((const BYTE *)emf.data(), (DWORD)emf.size() - 1, NULL, NULL));
}
