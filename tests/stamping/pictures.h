/* Test pictures for the watermark tests: packed DIBs and bitmap files built
 * by hand, PNG and JPEG files encoded with WIC, and a page to paint on. */
#ifndef JH_TESTS_STAMPING_PICTURES_H
#define JH_TESTS_STAMPING_PICTURES_H

#include <windows.h>
#include <wincodec.h>
#include <cstring>
#include <string>
#include <vector>

inline DWORD TestRowBytes(int nBits, LONG nWidth) { return ((nBits * nWidth + 31) / 32) * 4; }

/* A packed DIB: header, nColors table entries, rows of TestRowBytes each
 * filled with bFill (the padding too). */
inline std::vector<BYTE> MakePackedDib(int nBits, LONG nWidth, LONG nHeight, const RGBQUAD *pTable,
                                       DWORD nColors, BYTE bFill, DWORD dwClrUsed = 0)
{
    BITMAPINFOHEADER h = {};
    h.biSize = sizeof(h);
    h.biWidth = nWidth;
    h.biHeight = nHeight;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(nBits);
    h.biCompression = BI_RGB;
    h.biXPelsPerMeter = 2835;
    h.biYPelsPerMeter = 3780;
    h.biClrUsed = dwClrUsed;
    std::vector<BYTE> dib(sizeof(h) + nColors * sizeof(RGBQUAD), 0);
    memcpy(dib.data(), &h, sizeof(h));
    if (nColors > 0)
        memcpy(dib.data() + sizeof(h), pTable, nColors * sizeof(RGBQUAD));
    if (nWidth > 0 && nHeight > 0)
        dib.resize(dib.size() + static_cast<size_t>(TestRowBytes(nBits, nWidth)) * nHeight, bFill);
    return dib;
}

inline BITMAPINFOHEADER *DibHeader(std::vector<BYTE> &dib)
{
    return reinterpret_cast<BITMAPINFOHEADER *>(dib.data());
}

/* A movable global copy of the bytes (the caller frees it). */
inline HGLOBAL ToGlobal(const std::vector<BYTE> &bytes)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    memcpy(GlobalLock(h), bytes.data(), bytes.size());
    GlobalUnlock(h);
    return h;
}

inline std::vector<BYTE> FromGlobal(HGLOBAL h)
{
    std::vector<BYTE> bytes;
    if (h == NULL)
        return bytes;
    const BYTE *p = static_cast<const BYTE *>(GlobalLock(h));
    bytes.assign(p, p + GlobalSize(h));
    GlobalUnlock(h);
    return bytes;
}

/* A bitmap file: the 14-byte file header, then the packed DIB. */
inline std::string MakeBitmapFile(const std::vector<BYTE> &dib)
{
    BITMAPFILEHEADER f = {};
    f.bfType = 0x4D42;
    f.bfSize = static_cast<DWORD>(sizeof(f) + dib.size());
    const BITMAPINFOHEADER *h = reinterpret_cast<const BITMAPINFOHEADER *>(dib.data());
    DWORD nColors = h->biBitCount == 1 ? 2 : h->biBitCount == 8 ? (h->biClrUsed ? h->biClrUsed : 256) : 0;
    f.bfOffBits = static_cast<DWORD>(sizeof(f) + sizeof(*h) + nColors * 4);
    std::string file(reinterpret_cast<const char *>(&f), sizeof(f));
    file.append(reinterpret_cast<const char *>(dib.data()), dib.size());
    return file;
}

/* A 24-bit picture whose pixel (x, y from the top) is pfnColor(x, y), as a
 * packed DIB. */
template <class F> std::vector<BYTE> MakePicture24(LONG nWidth, LONG nHeight, F pfnColor)
{
    std::vector<BYTE> dib = MakePackedDib(24, nWidth, nHeight, NULL, 0, 0);
    DWORD cbRow = TestRowBytes(24, nWidth);
    for (LONG y = 0; y < nHeight; y++) {
        for (LONG x = 0; x < nWidth; x++) {
            COLORREF c = pfnColor(x, y);
            BYTE *p = dib.data() + sizeof(BITMAPINFOHEADER) + cbRow * (nHeight - 1 - y) + x * 3;
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    }
    return dib;
}

/* Colour of pixel (x, y from the top) of a 24-bit packed DIB. */
inline COLORREF DibPixel(const std::vector<BYTE> &dib, LONG x, LONG y)
{
    const BITMAPINFOHEADER *h = reinterpret_cast<const BITMAPINFOHEADER *>(dib.data());
    const BYTE *p = dib.data() + sizeof(*h) + TestRowBytes(24, h->biWidth) * (h->biHeight - 1 - y) + x * 3;
    return RGB(p[2], p[1], p[0]);
}

/* Encodes nWidth x nHeight pixels (pfnColor(x, y)) into a file with WIC,
 * container GUID_ContainerFormatPng or GUID_ContainerFormatJpeg. */
template <class F>
HRESULT EncodePicture(const std::wstring &path, const GUID &container, UINT nWidth, UINT nHeight, F pfnColor)
{
    std::vector<BYTE> bgr(static_cast<size_t>(nWidth) * nHeight * 3);
    for (UINT y = 0; y < nHeight; y++)
        for (UINT x = 0; x < nWidth; x++) {
            COLORREF c = pfnColor(x, y);
            BYTE *p = &bgr[(static_cast<size_t>(y) * nWidth + x) * 3];
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    HRESULT hrInit = CoInitializeEx(NULL, COINIT_MULTITHREADED);
    IWICImagingFactory *pFactory = NULL;
    IWICStream *pStream = NULL;
    IWICBitmapEncoder *pEncoder = NULL;
    IWICBitmapFrameEncode *pFrame = NULL;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, NULL, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void **>(&pFactory));
    if (SUCCEEDED(hr)) hr = pFactory->CreateStream(&pStream);
    if (SUCCEEDED(hr)) hr = pStream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
    if (SUCCEEDED(hr)) hr = pFactory->CreateEncoder(container, NULL, &pEncoder);
    if (SUCCEEDED(hr)) hr = pEncoder->Initialize(pStream, WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr)) hr = pEncoder->CreateNewFrame(&pFrame, NULL);
    if (SUCCEEDED(hr)) hr = pFrame->Initialize(NULL);
    if (SUCCEEDED(hr)) hr = pFrame->SetSize(nWidth, nHeight);
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (SUCCEEDED(hr)) hr = pFrame->SetPixelFormat(&format);
    if (SUCCEEDED(hr) && format != GUID_WICPixelFormat24bppBGR) hr = E_FAIL;
    if (SUCCEEDED(hr)) hr = pFrame->WritePixels(nHeight, nWidth * 3, static_cast<UINT>(bgr.size()), bgr.data());
    if (SUCCEEDED(hr)) hr = pFrame->Commit();
    if (SUCCEEDED(hr)) hr = pEncoder->Commit();
    if (pFrame) pFrame->Release();
    if (pEncoder) pEncoder->Release();
    if (pStream) pStream->Release();
    if (pFactory) pFactory->Release();
    if (SUCCEEDED(hrInit)) CoUninitialize();
    return hr;
}

/* A white 32-bit top-down page in a memory DC, to paint on and read back. */
struct TestPage {
    HDC hdc = NULL;
    HBITMAP hBitmap = NULL;
    HGDIOBJ hOld = NULL;
    DWORD *pBits = NULL;
    LONG nWidth = 0, nHeight = 0;
};

inline bool OpenTestPage(TestPage &page, LONG nWidth, LONG nHeight)
{
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = nWidth;
    bi.bmiHeader.biHeight = -nHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void *pBits = NULL;
    page.hdc = CreateCompatibleDC(NULL);
    page.hBitmap = CreateDIBSection(page.hdc, &bi, DIB_RGB_COLORS, &pBits, NULL, 0);
    if (page.hdc == NULL || page.hBitmap == NULL)
        return false;
    page.hOld = SelectObject(page.hdc, page.hBitmap);
    page.pBits = static_cast<DWORD *>(pBits);
    page.nWidth = nWidth;
    page.nHeight = nHeight;
    for (LONG i = 0; i < nWidth * nHeight; i++)
        page.pBits[i] = 0xFFFFFF;
    return true;
}

/* Pixel (x, y) as a COLORREF (GdiFlush first after painting). */
inline COLORREF PagePixel(const TestPage &page, LONG x, LONG y)
{
    DWORD v = page.pBits[y * page.nWidth + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

inline void CloseTestPage(TestPage &page)
{
    if (page.hOld != NULL)
        SelectObject(page.hdc, page.hOld);
    if (page.hBitmap != NULL)
        DeleteObject(page.hBitmap);
    if (page.hdc != NULL)
        DeleteDC(page.hdc);
    page = TestPage();
}

inline std::wstring Widen(const std::string &s)
{
    wchar_t sz[MAX_PATH * 2] = L"";
    MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, sz, MAX_PATH * 2);
    return sz;
}

#endif
