#include "wicdecode.h"
#include <wincodec.h>

namespace {

/* Pictures larger than this many pixels are refused, so that every size
 * below fits in 32 bits. */
const ULONGLONG kMaxPixels = 0x10000000; /* 268 million */

void SafeRelease(IUnknown *pUnknown)
{
    if (pUnknown != NULL)
        pUnknown->Release();
}

DWORD Row24Bytes(UINT nWidth)
{
    return ((nWidth * 24 + 31) / 32) * 4;
}

/* Packs 32bppBGR rows (top-down, stride nWidth * 4) into a new packed
 * 24-bit bottom-up DIB. */
HGLOBAL PackBgr32IntoDIB(const BYTE *pBgr32, UINT nWidth, UINT nHeight, double dpiX, double dpiY)
{
    DWORD cbRow = Row24Bytes(nWidth);
    DWORD cbImage = cbRow * nHeight;
    HGLOBAL hDib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + cbImage);
    if (hDib == NULL)
        return NULL;
    BYTE *pDib = static_cast<BYTE *>(GlobalLock(hDib));
    if (pDib == NULL) {
        GlobalFree(hDib);
        return NULL;
    }
    BITMAPINFOHEADER *pHeader = reinterpret_cast<BITMAPINFOHEADER *>(pDib);
    pHeader->biSize = sizeof(BITMAPINFOHEADER);
    pHeader->biWidth = static_cast<LONG>(nWidth);
    pHeader->biHeight = static_cast<LONG>(nHeight);
    pHeader->biPlanes = 1;
    pHeader->biBitCount = 24;
    pHeader->biCompression = BI_RGB;
    pHeader->biSizeImage = cbImage;
    pHeader->biXPelsPerMeter = static_cast<LONG>(dpiX * 10000.0 / 254.0 + 0.5);
    pHeader->biYPelsPerMeter = static_cast<LONG>(dpiY * 10000.0 / 254.0 + 0.5);
    BYTE *pPixels = pDib + sizeof(BITMAPINFOHEADER);
    for (UINT y = 0; y < nHeight; y++) {
        const BYTE *pSrc = pBgr32 + static_cast<SIZE_T>(y) * nWidth * 4;
        BYTE *pDst = pPixels + static_cast<SIZE_T>(nHeight - 1 - y) * cbRow;
        for (UINT x = 0; x < nWidth; x++) {
            pDst[x * 3 + 0] = pSrc[x * 4 + 0];
            pDst[x * 3 + 1] = pSrc[x * 4 + 1];
            pDst[x * 3 + 2] = pSrc[x * 4 + 2];
        }
    }
    GlobalUnlock(hDib);
    return hDib;
}

/* Copies the pixels of a 32bppBGR source and packs them. */
HGLOBAL CopySourceIntoDIB(IWICBitmapSource *pSource, double dpiX, double dpiY)
{
    UINT nWidth = 0, nHeight = 0;
    if (FAILED(pSource->GetSize(&nWidth, &nHeight)) || nWidth == 0 || nHeight == 0)
        return NULL;
    if (static_cast<ULONGLONG>(nWidth) * nHeight > kMaxPixels)
        return NULL;
    UINT cbStride = nWidth * 4;
    UINT cbBuffer = cbStride * nHeight;
    BYTE *pBuffer = static_cast<BYTE *>(HeapAlloc(GetProcessHeap(), 0, cbBuffer));
    if (pBuffer == NULL)
        return NULL;
    HGLOBAL hDib = NULL;
    if (SUCCEEDED(pSource->CopyPixels(NULL, cbStride, cbBuffer, pBuffer)))
        hDib = PackBgr32IntoDIB(pBuffer, nWidth, nHeight, dpiX, dpiY);
    HeapFree(GetProcessHeap(), 0, pBuffer);
    return hDib;
}

/* Decodes frame 0 of the file through a 32bppBGR converter (a direct
 * conversion to 24 bits fails for palette, grey and 16-bit sources). */
HGLOBAL DecodeWithFactory(IWICImagingFactory *pFactory, const wchar_t *pszPath)
{
    IWICBitmapDecoder *pDecoder = NULL;
    IWICBitmapFrameDecode *pFrame = NULL;
    IWICFormatConverter *pConverter = NULL;
    HGLOBAL hDib = NULL;
    double dpiX = 96.0, dpiY = 96.0;
    HRESULT hr = pFactory->CreateDecoderFromFilename(pszPath, NULL, GENERIC_READ,
                                                     WICDecodeMetadataCacheOnDemand, &pDecoder);
    if (SUCCEEDED(hr))
        hr = pDecoder->GetFrame(0, &pFrame);
    if (SUCCEEDED(hr) && FAILED(pFrame->GetResolution(&dpiX, &dpiY))) {
        dpiX = 96.0;
        dpiY = 96.0;
    }
    if (SUCCEEDED(hr))
        hr = pFactory->CreateFormatConverter(&pConverter);
    if (SUCCEEDED(hr))
        hr = pConverter->Initialize(pFrame, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                                    NULL, 0.0, WICBitmapPaletteTypeCustom);
    if (SUCCEEDED(hr))
        hDib = CopySourceIntoDIB(pConverter, dpiX, dpiY);
    SafeRelease(pConverter);
    SafeRelease(pFrame);
    SafeRelease(pDecoder);
    return hDib;
}

} // namespace

HGLOBAL DecodeImageIntoDIB(const char *pszImagePath)
{
    if (pszImagePath == NULL)
        return NULL;
    wchar_t szPath[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, pszImagePath, -1, szPath, MAX_PATH) == 0)
        return NULL;
    /* S_OK and S_FALSE are balanced by CoUninitialize; RPC_E_CHANGED_MODE
     * means the thread's own apartment is used as it is. */
    HRESULT hrInit = CoInitializeEx(NULL, COINIT_MULTITHREADED);
    IWICImagingFactory *pFactory = NULL;
    HGLOBAL hDib = NULL;
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, NULL, CLSCTX_INPROC_SERVER,
                                   IID_IWICImagingFactory, reinterpret_cast<void **>(&pFactory)))) {
        hDib = DecodeWithFactory(pFactory, szPath);
        pFactory->Release();
    }
    if (SUCCEEDED(hrInit))
        CoUninitialize();
    return hDib;
}
