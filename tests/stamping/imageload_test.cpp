#include <gtest/gtest.h>
#include "stamping/imageload.h"
#include "stamping/watermark.h"
#include <winspool.h>
#include <climits>
#include "pictures.h"
#include "testutil.h"

namespace {

std::wstring DriverDirectory()
{
    wchar_t sz[MAX_PATH] = L"";
    DWORD cbNeeded = 0;
    GetPrinterDriverDirectoryW(NULL, NULL, 1, reinterpret_cast<BYTE *>(sz), sizeof(sz), &cbNeeded);
    return sz;
}

std::wstring BinDirW() { return Widen(BinDir()); }

/* Copies a built loader under a new name into the folder (created). */
void PlaceLoader(const std::wstring &folder, const wchar_t *pszBuilt, const std::wstring &name)
{
    CreateDirectoryW(folder.c_str(), NULL);
    ASSERT_TRUE(CopyFileW((BinDirW() + pszBuilt).c_str(), (folder + L"\\" + name).c_str(), FALSE));
}

COLORREF Gradient(UINT x, UINT y) { return RGB(x * 40, y * 60, 200); }

/* Takes a loaded picture, checks it is a 40-byte-header 24-bit packed DIB
 * of cx x cy, frees it, and gives its pixel bytes (empty when none). */
std::vector<BYTE> TakeDib24(HGLOBAL hDib, LONG cx, LONG cy)
{
    std::vector<BYTE> dib = FromGlobal(hDib);
    if (hDib != NULL)
        GlobalFree(hDib);
    if (dib.size() < 40)
        return std::vector<BYTE>();
    const BITMAPINFOHEADER *h = reinterpret_cast<const BITMAPINFOHEADER *>(dib.data());
    EXPECT_EQ(40u, h->biSize);
    EXPECT_EQ(24, h->biBitCount);
    EXPECT_EQ(cx, h->biWidth);
    EXPECT_EQ(cy, h->biHeight);
    EXPECT_GE(dib.size(), 40u + TestRowBytes(24, cx) * cy);
    return dib;
}

bool Near(COLORREF a, COLORREF b, int nTolerance)
{
    return abs(GetRValue(a) - GetRValue(b)) <= nTolerance && abs(GetGValue(a) - GetGValue(b)) <= nTolerance &&
           abs(GetBValue(a) - GetBValue(b)) <= nTolerance;
}

} // namespace

TEST(ImageLoad, GetWatermarkLoaderKind)
{
    EXPECT_EQ(WM_LOADER_BITMAP, GetWatermarkLoaderKind(L"C:\\pics\\logo.bmp"));
    EXPECT_EQ(WM_LOADER_BITMAP, GetWatermarkLoaderKind(L"LOGO.BmP"));
    EXPECT_EQ(WM_LOADER_JPEG, GetWatermarkLoaderKind(L"C:\\pics\\logo.jpg"));
    EXPECT_EQ(WM_LOADER_JPEG, GetWatermarkLoaderKind(L"C:\\a.bmp\\logo.JPG"));
    for (const wchar_t *psz : {L"logo.jpeg", L"logo.png", L"logo.tif", L"logo", L"C:\\release.old\\logo",
                               L"logo.bmp.png", L"logo.bmpx", L"logo.", L"", L"logo.\u0130MP"})
        EXPECT_EQ(WM_LOADER_TIFF, GetWatermarkLoaderKind(psz)) << psz;
    EXPECT_EQ(WM_LOADER_TIFF, GetWatermarkLoaderKind(NULL));
}

TEST(ImageLoad, ReadBitmapFileIntoDIB)
{
    std::string dir = MakeTempDir("wm_bmp");
    EXPECT_EQ(NULL, ReadBitmapFileIntoDIB(NULL));
    EXPECT_EQ(NULL, ReadBitmapFileIntoDIB(Widen(dir + "\\missing.bmp").c_str()));
    /* No longer than the file header: nothing. */
    WriteWholeFile(dir + "\\header.bmp", std::string(14, 'B'));
    EXPECT_EQ(NULL, ReadBitmapFileIntoDIB(Widen(dir + "\\header.bmp").c_str()));
    WriteWholeFile(dir + "\\empty.bmp", "");
    EXPECT_EQ(NULL, ReadBitmapFileIntoDIB(Widen(dir + "\\empty.bmp").c_str()));
    /* One byte past the header is a one-byte block. */
    WriteWholeFile(dir + "\\one.bmp", std::string(14, 'B') + "Z");
    std::vector<BYTE> bytes = FromGlobal(ReadBitmapFileIntoDIB(Widen(dir + "\\one.bmp").c_str()));
    ASSERT_GE(bytes.size(), 1u);
    EXPECT_EQ('Z', bytes[0]);

    /* The file's bytes after the header, unchanged, whatever the signature,
     * when the bit offset is 0, past the file or inside the header. */
    std::vector<BYTE> dib = MakePicture24(3, 2, [](LONG x, LONG y) { return RGB(x, y, 7); });
    std::string file = MakeBitmapFile(dib);
    file[0] = 'X';
    for (char chOffBits : {0, 78, 20}) {
        file[10] = chOffBits;
        WriteWholeFile(dir + "\\logo.bmp", file);
        HGLOBAL hDib = ReadBitmapFileIntoDIB(Widen(dir + "\\logo.bmp").c_str());
        bytes = FromGlobal(hDib);
        EXPECT_TRUE(bytes.size() == dib.size() && std::equal(dib.begin(), dib.end(), bytes.begin())) << +chOffBits;
        /* The caller frees the block. */
        EXPECT_EQ(NULL, GlobalFree(hDib));
    }
}

TEST(ImageLoad, GetCorrectDllName)
{
    wchar_t szOut[WM_LIBRARY_PATH_SIZE];
    EXPECT_EQ(0, GetCorrectDllName(NULL, szOut, WM_LIBRARY_PATH_SIZE));
    EXPECT_EQ(0, GetCorrectDllName(L"x.dll", NULL, WM_LIBRARY_PATH_SIZE));
    EXPECT_EQ(0, GetCorrectDllName(L"x.dll", szOut, 0));

    std::wstring driverDir = DriverDirectory();
    ASSERT_FALSE(driverDir.empty());
    CreateDirectoryW(driverDir.c_str(), NULL);
    PlaceLoader(driverDir, L"tiffloader.dll", L"wm_top.dll");
    PlaceLoader(driverDir + L"\\3", L"tiffloader.dll", L"wm_three.dll");

    /* A file of exactly that name is taken as it is. */
    std::wstring built = BinDirW() + L"jpegloader.dll";
    wmemset(szOut, L'#', WM_LIBRARY_PATH_SIZE);
    ASSERT_EQ(1, GetCorrectDllName(built.c_str(), szOut, WM_LIBRARY_PATH_SIZE));
    EXPECT_EQ(built, szOut);
    /* The printer-driver directory, then its "3" subdirectory, by base name. */
    ASSERT_EQ(1, GetCorrectDllName(L"wm_top.dll", szOut, WM_LIBRARY_PATH_SIZE));
    EXPECT_EQ(driverDir + L"\\wm_top.dll", szOut);
    ASSERT_EQ(1, GetCorrectDllName(L"wm_three.dll", szOut, WM_LIBRARY_PATH_SIZE));
    EXPECT_EQ(driverDir + L"\\3\\wm_three.dll", szOut);
    ASSERT_EQ(1, GetCorrectDllName(L"C:\\no such folder\\wm_three.dll", szOut, WM_LIBRARY_PATH_SIZE));
    EXPECT_EQ(driverDir + L"\\3\\wm_three.dll", szOut);
    /* Found nowhere: the bare base name, for LoadLibraryW's own search. */
    ASSERT_EQ(1, GetCorrectDllName(L"C:\\no such folder\\wm_nowhere.dll", szOut, WM_LIBRARY_PATH_SIZE));
    EXPECT_STREQ(L"wm_nowhere.dll", szOut);

    /* Buffer limits: exactly the path and its terminator fits; one less
     * skips to the bare name; not even that fitting gives 0, untouched. */
    std::wstring three = driverDir + L"\\3\\wm_three.dll";
    wmemset(szOut, L'#', WM_LIBRARY_PATH_SIZE);
    ASSERT_EQ(1, GetCorrectDllName(L"wm_three.dll", szOut, static_cast<DWORD>(three.size() + 1)));
    EXPECT_EQ(three, szOut);
    wmemset(szOut, L'#', WM_LIBRARY_PATH_SIZE);
    ASSERT_EQ(1, GetCorrectDllName(L"wm_three.dll", szOut, static_cast<DWORD>(three.size())));
    EXPECT_STREQ(L"wm_three.dll", szOut);
    wmemset(szOut, L'#', WM_LIBRARY_PATH_SIZE);
    EXPECT_EQ(0, GetCorrectDllName(L"wm_three.dll", szOut, 12));
    EXPECT_EQ(L'#', szOut[0]);
    /* A name too long for any candidate path is still refused cleanly. */
    std::wstring longName(300, L'a');
    EXPECT_EQ(0, GetCorrectDllName(longName.c_str(), szOut, WM_LIBRARY_PATH_SIZE));
    DeleteFileW((driverDir + L"\\wm_top.dll").c_str());
    DeleteFileW(three.c_str());
}

TEST(ImageLoad, LoaderLibraries)
{
    std::string dir = MakeTempDir("wm_loaders");
    std::wstring png = Widen(dir + "\\pic.png"), jpg = Widen(dir + "\\pic.jpg");
    ASSERT_EQ(S_OK, EncodePicture(png, GUID_ContainerFormatPng, 5, 3, Gradient));
    ASSERT_EQ(S_OK, EncodePicture(jpg, GUID_ContainerFormatJpeg, 16, 8, [](UINT, UINT) { return RGB(200, 100, 50); }));
    /* A 1-bit bitmap under a name without any ".": palette pictures come
     * out as 24 bits as well. */
    RGBQUAD table[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    std::vector<BYTE> mono = MakePackedDib(1, 3, 2, table, 2, 0);
    mono[48] = 0x40; /* bottom row: middle pixel white */
    WriteWholeFile(dir + "\\mono", MakeBitmapFile(mono));

    HMODULE hJpeg = LoadLibraryW(L"jpegloader.dll");
    HMODULE hTiff = LoadLibraryW(L"tiffloader.dll");
    ASSERT_NE(nullptr, hJpeg);
    ASSERT_NE(nullptr, hTiff);
    typedef HGLOBAL (*PFN_JPEG)(const char *);
    typedef HGLOBAL (*PFN_TIFF)(const char *, int, int);
    PFN_JPEG pfnJpeg = reinterpret_cast<PFN_JPEG>(reinterpret_cast<void *>(GetProcAddress(hJpeg, "LoadJPEGIntoDIB")));
    PFN_TIFF pfnTiff = reinterpret_cast<PFN_TIFF>(reinterpret_cast<void *>(GetProcAddress(hTiff, "LoadTiffIntoDIB")));
    ASSERT_NE(nullptr, pfnJpeg);
    ASSERT_NE(nullptr, pfnTiff);
    EXPECT_EQ(nullptr, GetProcAddress(hJpeg, "LoadTiffIntoDIB"));

    HGLOBAL hPng = pfnTiff((dir + "\\pic.png").c_str(), 0, 0);
    HGLOBAL hJpg = pfnJpeg((dir + "\\pic.jpg").c_str());
    HGLOBAL hMono = pfnTiff((dir + "\\mono").c_str(), 0, 0);
    EXPECT_EQ(nullptr, pfnTiff((dir + "\\missing.png").c_str(), 0, 0));
    WriteWholeFile(dir + "\\garbage.jpg", std::string(100, 'g'));
    EXPECT_EQ(nullptr, pfnJpeg((dir + "\\garbage.jpg").c_str()));
    EXPECT_EQ(nullptr, pfnJpeg(NULL));
    FreeLibrary(hJpeg);
    FreeLibrary(hTiff);

    /* The blocks outlive the libraries. */
    std::vector<BYTE> dib = TakeDib24(hPng, 5, 3);
    ASSERT_FALSE(dib.empty());
    for (UINT y = 0; y < 3; y++)
        for (UINT x = 0; x < 5; x++)
            EXPECT_EQ(Gradient(x, y), DibPixel(dib, x, y)) << x << "," << y;
    EXPECT_EQ(0, dib[40 + 15]); /* row padding */
    dib = TakeDib24(hJpg, 16, 8);
    ASSERT_FALSE(dib.empty());
    EXPECT_TRUE(Near(RGB(200, 100, 50), DibPixel(dib, 7, 3), 8));
    dib = TakeDib24(hMono, 3, 2);
    ASSERT_FALSE(dib.empty());
    EXPECT_EQ(RGB(0, 0, 0), DibPixel(dib, 0, 1));
    EXPECT_EQ(RGB(255, 255, 255), DibPixel(dib, 1, 1));
    EXPECT_EQ(RGB(0, 0, 0), DibPixel(dib, 1, 0));
}

TEST(ImageLoad, LoadWatermarkIntoDIB)
{
    std::string dir = MakeTempDir("wm_route");
    ASSERT_EQ(S_OK, EncodePicture(Widen(dir + "\\pic.png"), GUID_ContainerFormatPng, 4, 2, Gradient));
    ASSERT_EQ(S_OK, EncodePicture(Widen(dir + "\\pic.jpg"), GUID_ContainerFormatJpeg, 8, 8, Gradient));
    CopyFileA((dir + "\\pic.png").c_str(), (dir + "\\pic").c_str(), FALSE);
    CopyFileA((dir + "\\pic.jpg").c_str(), (dir + "\\pic.jpeg").c_str(), FALSE);
    CreateDirectoryA((dir + "\\release.old").c_str(), NULL);
    CopyFileA((dir + "\\pic.png").c_str(), (dir + "\\release.old\\logo").c_str(), FALSE);
    std::vector<BYTE> bmp = MakePicture24(2, 2, [](LONG, LONG) { return RGB(1, 2, 3); });
    WriteWholeFile(dir + "\\pic.BMP", MakeBitmapFile(bmp));

    DriverDevMode *pDevMode = static_cast<DriverDevMode *>(calloc(1, sizeof(DriverDevMode)));
    ASSERT_NE(nullptr, pDevMode);
    auto load = [&](const char *pszName, const wchar_t *pszJpeg, const wchar_t *pszTiff) {
        DevMode_SetJpegLoaderLibrary(pDevMode, pszJpeg);
        DevMode_SetTiffLoaderLibrary(pDevMode, pszTiff);
        return LoadWatermarkIntoDIB(Widen(dir + "\\" + pszName).c_str(), pDevMode);
    };
    const wchar_t *pszNone = L"wm_no_such_loader.dll";

    /* Bitmap files need no library. */
    std::vector<BYTE> dib = TakeDib24(load("pic.BMP", pszNone, pszNone), 2, 2);
    ASSERT_GE(dib.size(), bmp.size());
    EXPECT_TRUE(std::equal(bmp.begin(), bmp.end(), dib.begin()));
    /* ".jpg" goes to the JPEG library only. */
    EXPECT_FALSE(TakeDib24(load("pic.jpg", L"jpegloader.dll", pszNone), 8, 8).empty());
    EXPECT_EQ(nullptr, load("pic.jpg", pszNone, L"tiffloader.dll"));
    /* ".jpeg", ".png", no "." at all, and a "." only in a folder name go
     * to the TIFF library only. */
    EXPECT_FALSE(TakeDib24(load("pic.jpeg", pszNone, L"tiffloader.dll"), 8, 8).empty());
    EXPECT_EQ(nullptr, load("pic.jpeg", L"jpegloader.dll", pszNone));
    EXPECT_FALSE(TakeDib24(load("pic.png", pszNone, L"tiffloader.dll"), 4, 2).empty());
    EXPECT_EQ(nullptr, load("pic.png", L"jpegloader.dll", pszNone));
    EXPECT_FALSE(TakeDib24(load("pic", pszNone, L"tiffloader.dll"), 4, 2).empty());
    EXPECT_EQ(nullptr, load("pic", L"tiffloader.dll", pszNone));
    EXPECT_FALSE(TakeDib24(load("release.old\\logo", pszNone, L"tiffloader.dll"), 4, 2).empty());

    /* A library without the entry gives nothing and is freed again. */
    ASSERT_EQ(nullptr, GetModuleHandleW(L"jpegloader.dll"));
    EXPECT_EQ(nullptr, load("pic.png", pszNone, L"jpegloader.dll"));
    EXPECT_EQ(nullptr, GetModuleHandleW(L"jpegloader.dll"));
    /* Loaders are not kept loaded between pictures either. */
    EXPECT_EQ(nullptr, GetModuleHandleW(L"tiffloader.dll"));
    /* A library that exists only in the driver directory's "3" folder. */
    PlaceLoader(DriverDirectory() + L"\\3", L"jpegloader.dll", L"wm_jpeg_three.dll");
    EXPECT_FALSE(TakeDib24(load("pic.jpg", L"D:\\gone\\wm_jpeg_three.dll", pszNone), 8, 8).empty());
    DeleteFileW((DriverDirectory() + L"\\3\\wm_jpeg_three.dll").c_str());

    EXPECT_EQ(nullptr, LoadWatermarkIntoDIB(NULL, pDevMode));
    EXPECT_EQ(nullptr, load("missing.png", pszNone, L"tiffloader.dll"));
    /* No device mode: no library names, but bitmap files still load. */
    EXPECT_EQ(nullptr, LoadWatermarkIntoDIB(Widen(dir + "\\pic.png").c_str(), NULL));
    EXPECT_FALSE(TakeDib24(LoadWatermarkIntoDIB(Widen(dir + "\\pic.BMP").c_str(), NULL), 2, 2).empty());
    free(pDevMode);
}

namespace {

/* Little- and big-endian pieces of a hand-made file header. */
std::string Le(DWORD dwValue, int cb)
{
    std::string s;
    for (int i = 0; i < cb; i++)
        s += static_cast<char>((dwValue >> (8 * i)) & 0xFF);
    return s;
}

std::string Be(DWORD dwValue, int cb)
{
    std::string s = Le(dwValue, cb);
    return std::string(s.rbegin(), s.rend());
}

std::string TiffEntry(bool bLittle, WORD wTag, WORD wType, DWORD dwValue)
{
    auto n = [bLittle](DWORD v, int cb) { return bLittle ? Le(v, cb) : Be(v, cb); };
    std::string value = wType == 3 ? n(dwValue, 2) + std::string(2, '\0') : n(dwValue, 4);
    return n(wTag, 2) + n(wType, 2) + n(1, 4) + value;
}

} // namespace

TEST(ImageLoad, PictureSizeFromHeader)
{
    std::string dir = MakeTempDir("wm_header");
    const std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + Be(13, 4) + "IHDR";
    const std::string bmpInfo = Le(40, 4);
    const struct { const char *pszName; std::string data; BOOL bBitmap; bool bFound; LONGLONG cx, cy; } cases[] = {
        { "info", "BM" + std::string(12, '\0') + bmpInfo + Le(100, 4) + Le((DWORD)-50, 4), FALSE, true, 100, -50 },
        { "core", "BM" + std::string(12, '\0') + Le(12, 4) + Le(300, 2) + Le(200, 2), FALSE, true, 300, 200 },
        { "unsigned", "XX" + std::string(12, '\0') + bmpInfo + Le(7, 4) + Le(9, 4), TRUE, true, 7, 9 },
        { "unsigned2", "XX" + std::string(12, '\0') + bmpInfo + Le(7, 4) + Le(9, 4), FALSE, false, 0, 0 },
        { "png", png + Be(70000, 4) + Be(3, 4), FALSE, true, 70000, 3 },
        { "shortpng", png.substr(0, 10), FALSE, false, 0, 0 },
        { "jpeg", "\xFF\xD8\xFF\xE0" + Be(16, 2) + std::string(14, 'j') + "\xFF\xFF\xFF\xC2" + Be(17, 2) + "\x08" +
                      Be(480, 2) + Be(640, 2), FALSE, true, 640, 480 },
        { "jpegsos", "\xFF\xD8\xFF\xDA" + Be(8, 2) + std::string(6, 's') + "\xFF\xC0" + Be(17, 2) + "\x08" +
                         Be(480, 2) + Be(640, 2), FALSE, false, 0, 0 },
        { "gif", "GIF89a" + Le(500, 2) + Le(400, 2), FALSE, true, 500, 400 },
        { "tiffle", "II*" + std::string(1, '\0') + Le(8, 4) + Le(2, 2) + TiffEntry(true, 256, 3, 321) +
                        TiffEntry(true, 257, 4, 123456), FALSE, true, 321, 123456 },
        { "tiffbe", "MM" + std::string(1, '\0') + "*" + Be(8, 4) + Be(3, 2) + TiffEntry(false, 257, 3, 40) +
                        TiffEntry(false, 259, 3, 1) + TiffEntry(false, 256, 4, 90000), FALSE, true, 90000, 40 },
        { "tiffnolength", "II*" + std::string(1, '\0') + Le(8, 4) + Le(1, 2) + TiffEntry(true, 256, 3, 5), FALSE,
          false, 0, 0 },
        { "riff", "RIFF" + std::string(20, 'r'), FALSE, false, 0, 0 },
    };
    for (const auto &c : cases) {
        std::string path = dir + "\\" + c.pszName;
        WriteWholeFile(path, c.data);
        LONGLONG cx = -1, cy = -1;
        EXPECT_EQ(c.bFound, ReadPictureFileSize(Widen(path).c_str(), c.bBitmap, &cx, &cy) != FALSE) << c.pszName;
        EXPECT_EQ(c.bFound ? c.cx : -1, cx) << c.pszName;
        EXPECT_EQ(c.bFound ? c.cy : -1, cy) << c.pszName;
    }
    /* Files written by the system's encoders. */
    const struct { const char *pszName; GUID container; } encoded[] = {
        { "enc.png", GUID_ContainerFormatPng }, { "enc.jpg", GUID_ContainerFormatJpeg },
        { "enc.tif", GUID_ContainerFormatTiff }, { "enc.bmp", GUID_ContainerFormatBmp },
    };
    for (const auto &e : encoded) {
        std::wstring path = Widen(dir + "\\" + e.pszName);
        ASSERT_EQ(S_OK, EncodePicture(path, e.container, 37, 23, Gradient)) << e.pszName;
        LONGLONG cx = 0, cy = 0;
        EXPECT_TRUE(ReadPictureFileSize(path.c_str(), FALSE, &cx, &cy)) << e.pszName;
        EXPECT_EQ(37, cx) << e.pszName;
        EXPECT_EQ(23, cy) << e.pszName;
    }
    LONGLONG cx = 0, cy = 0;
    EXPECT_FALSE(ReadPictureFileSize(Widen(dir + "\\missing.png").c_str(), FALSE, &cx, &cy));
}

TEST(ImageLoad, PictureSizeBound)
{
    const struct { LONGLONG cx, cy; BOOL bAccepted; } sizes[] = {
        { 8192, 8192, TRUE },  { 8193, 8192, FALSE }, { 8192, -8192, TRUE },   { 1, 67108864, TRUE },
        { 1, 67108865, FALSE }, { 0, 5, FALSE },       { LLONG_MIN, 1, FALSE }, { 1LL << 32, 1LL << 32, FALSE },
    };
    for (const auto &s : sizes)
        EXPECT_EQ(s.bAccepted, IsPictureSizeAccepted(s.cx, s.cy)) << s.cx << " x " << s.cy;

    /* A loaded picture is checked by its packed DIB header too. */
    std::vector<BYTE> over = MakePackedDib(24, 1, 1, NULL, 0, 0);
    DibHeader(over)->biWidth = 8193;
    DibHeader(over)->biHeight = 8192;
    EXPECT_EQ(nullptr, KeepAcceptedPicture(ToGlobal(over)));
    DibHeader(over)->biWidth = 8192;
    HGLOBAL hKept = KeepAcceptedPicture(ToGlobal(over));
    EXPECT_NE(nullptr, hKept);
    GlobalFree(hKept);
    std::string core = Le(12, 4) + Le(65535, 2) + Le(65535, 2);
    EXPECT_EQ(nullptr, KeepAcceptedPicture(ToGlobal(std::vector<BYTE>(core.begin(), core.end()))));

    /* Pictures past the bound are refused before they are read or decoded:
     * a 1-bit bitmap file claiming 90000 x 8000 pixels, a JPEG claiming
     * 8193 x 8192 for the JPEG library, and a bitmap file longer than any
     * picture within the bound needs. */
    std::string dir = MakeTempDir("wm_bound");
    std::vector<BYTE> mono = MakePackedDib(1, 8, 8, NULL, 0, 0);
    DibHeader(mono)->biWidth = 90000;
    DibHeader(mono)->biHeight = 8000;
    WriteWholeFile(dir + "\\huge.bmp", MakeBitmapFile(mono));
    EXPECT_EQ(nullptr, LoadWatermarkWithLibraries(Widen(dir + "\\huge.bmp").c_str(), NULL, NULL));
    std::wstring jpg = Widen(dir + "\\wide.jpg");
    ASSERT_EQ(S_OK, EncodePicture(jpg, GUID_ContainerFormatJpeg, 16, 8, Gradient));
    std::string bytes = ReadWholeFile(dir + "\\wide.jpg");
    size_t nFrame = bytes.find("\xFF\xC0");
    ASSERT_NE(std::string::npos, nFrame);
    bytes.replace(nFrame + 5, 4, Be(8192, 2) + Be(8193, 2));
    WriteWholeFile(dir + "\\wide.jpg", bytes);
    EXPECT_EQ(nullptr, LoadWatermarkWithLibraries(jpg.c_str(), L"jpegloader.dll", NULL));
    HANDLE hFile = CreateFileA((dir + "\\long.bmp").c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    LARGE_INTEGER liEnd;
    liEnd.QuadPart = (LONGLONG)WM_MAX_BITMAP_FILE_BYTES + 1;
    EXPECT_TRUE(SetFilePointerEx(hFile, liEnd, NULL, FILE_BEGIN) && SetEndOfFile(hFile));
    CloseHandle(hFile);
    EXPECT_EQ(nullptr, ReadBitmapFileIntoDIB(Widen(dir + "\\long.bmp").c_str()));
    RemoveTree(dir);
}
