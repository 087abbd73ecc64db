#include "stamping/imageload.h"
#include <winspool.h>

namespace {

const DWORD kBitmapFileHeaderSize = 14;

typedef HGLOBAL (*PFN_LOADJPEGINTODIB)(const char *pszImagePath);
typedef HGLOBAL (*PFN_LOADTIFFINTODIB)(const char *pszImagePath, int nReserved1, int nReserved2);

bool EqualsAsciiNoCase(const wchar_t *pszA, const wchar_t *pszB)
{
    for (; *pszA != L'\0' && *pszB != L'\0'; pszA++, pszB++) {
        wchar_t a = (*pszA >= L'a' && *pszA <= L'z') ? static_cast<wchar_t>(*pszA - 32) : *pszA;
        wchar_t b = (*pszB >= L'a' && *pszB <= L'z') ? static_cast<wchar_t>(*pszB - 32) : *pszB;
        if (a != b)
            return false;
    }
    return *pszA == *pszB;
}

bool FileOpensForReading(const wchar_t *pszPath)
{
    HANDLE hFile = CreateFileW(pszPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(hFile);
    return true;
}

/* Joins up to three parts into pszOut; false, pszOut untouched, when the
 * result would not fit cchOut characters with its terminator. */
bool JoinPath(wchar_t *pszOut, DWORD cchOut, const wchar_t *pszA, const wchar_t *pszB,
              const wchar_t *pszC)
{
    size_t cchA = lstrlenW(pszA), cchB = lstrlenW(pszB), cchC = lstrlenW(pszC);
    if (cchA + cchB + cchC + 1 > cchOut)
        return false;
    CopyMemory(pszOut, pszA, cchA * sizeof(wchar_t));
    CopyMemory(pszOut + cchA, pszB, cchB * sizeof(wchar_t));
    CopyMemory(pszOut + cchA + cchB, pszC, cchC * sizeof(wchar_t));
    pszOut[cchA + cchB + cchC] = L'\0';
    return true;
}

/* Tries directory + pszMiddle + base name; fills pszOut when it opens. */
bool TryInDirectory(const wchar_t *pszDirectory, const wchar_t *pszMiddle, const wchar_t *pszBase,
                    wchar_t *pszOut, DWORD cchOut)
{
    wchar_t szCandidate[WM_LIBRARY_PATH_SIZE];
    if (!JoinPath(szCandidate, WM_LIBRARY_PATH_SIZE, pszDirectory, pszMiddle, pszBase))
        return false;
    if (!FileOpensForReading(szCandidate))
        return false;
    return JoinPath(pszOut, cchOut, szCandidate, L"", L"");
}

/* Calls the library's entry with the ANSI form of the path. */
HGLOBAL CallLoaderEntry(HMODULE hLibrary, int nKind, const char *pszAnsiPath)
{
    if (nKind == WM_LOADER_JPEG) {
        PFN_LOADJPEGINTODIB pfnLoad = reinterpret_cast<PFN_LOADJPEGINTODIB>(
            reinterpret_cast<void *>(GetProcAddress(hLibrary, "LoadJPEGIntoDIB")));
        return pfnLoad != NULL ? pfnLoad(pszAnsiPath) : NULL;
    }
    PFN_LOADTIFFINTODIB pfnLoad = reinterpret_cast<PFN_LOADTIFFINTODIB>(
        reinterpret_cast<void *>(GetProcAddress(hLibrary, "LoadTiffIntoDIB")));
    return pfnLoad != NULL ? pfnLoad(pszAnsiPath, 0, 0) : NULL;
}

} // namespace

int GetWatermarkLoaderKind(const wchar_t *pszImagePath)
{
    if (pszImagePath == NULL)
        return WM_LOADER_TIFF;
    const wchar_t *pszDot = NULL;
    for (const wchar_t *p = pszImagePath; *p != L'\0'; p++) {
        if (*p == L'.')
            pszDot = p;
    }
    if (pszDot == NULL)
        return WM_LOADER_TIFF;
    if (EqualsAsciiNoCase(pszDot, L".BMP"))
        return WM_LOADER_BITMAP;
    if (EqualsAsciiNoCase(pszDot, L".JPG"))
        return WM_LOADER_JPEG;
    return WM_LOADER_TIFF;
}

HGLOBAL ReadBitmapFileIntoDIB(const wchar_t *pszImagePath)
{
    if (pszImagePath == NULL)
        return NULL;
    HANDLE hFile = CreateFileW(pszImagePath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return NULL;
    HGLOBAL hDib = NULL;
    LARGE_INTEGER liSize;
    liSize.QuadPart = 0;
    if (GetFileSizeEx(hFile, &liSize) && liSize.QuadPart > kBitmapFileHeaderSize &&
        liSize.QuadPart < 0x80000000LL) {
        DWORD cbDib = static_cast<DWORD>(liSize.QuadPart) - kBitmapFileHeaderSize;
        hDib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cbDib);
        void *pDib = hDib != NULL ? GlobalLock(hDib) : NULL;
        DWORD cbRead = 0;
        bool bRead = pDib != NULL &&
                     SetFilePointer(hFile, kBitmapFileHeaderSize, NULL, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
                     ReadFile(hFile, pDib, cbDib, &cbRead, NULL) && cbRead == cbDib;
        if (pDib != NULL)
            GlobalUnlock(hDib);
        if (!bRead && hDib != NULL) {
            GlobalFree(hDib);
            hDib = NULL;
        }
    }
    CloseHandle(hFile);
    return hDib;
}

int GetCorrectDllName(const wchar_t *pszDllName, wchar_t *pszResolvedPath, DWORD cchResolvedPath)
{
    if (pszDllName == NULL || pszResolvedPath == NULL || cchResolvedPath == 0)
        return 0;
    if (FileOpensForReading(pszDllName) && JoinPath(pszResolvedPath, cchResolvedPath, pszDllName, L"", L""))
        return 1;
    const wchar_t *pszBase = pszDllName;
    for (const wchar_t *p = pszDllName; *p != L'\0'; p++) {
        if (*p == L'\\')
            pszBase = p + 1;
    }
    wchar_t szDirectory[MAX_PATH];
    DWORD cbNeeded = 0;
    if (!GetPrinterDriverDirectoryW(NULL, NULL, 1, reinterpret_cast<BYTE *>(szDirectory),
                                    sizeof(szDirectory), &cbNeeded))
        return 0;
    szDirectory[MAX_PATH - 1] = L'\0';
    if (TryInDirectory(szDirectory, L"\\", pszBase, pszResolvedPath, cchResolvedPath) ||
        TryInDirectory(szDirectory, L"\\3\\", pszBase, pszResolvedPath, cchResolvedPath))
        return 1;
    return JoinPath(pszResolvedPath, cchResolvedPath, pszBase, L"", L"") ? 1 : 0;
}

HGLOBAL LoadImageWithLibrary(const wchar_t *pszImagePath, int nKind, const wchar_t *pszLibraryName)
{
    if (pszImagePath == NULL || (nKind != WM_LOADER_JPEG && nKind != WM_LOADER_TIFF))
        return NULL;
    wchar_t szLibrary[WM_LIBRARY_PATH_SIZE];
    if (!GetCorrectDllName(pszLibraryName, szLibrary, WM_LIBRARY_PATH_SIZE))
        return NULL;
    HMODULE hLibrary = LoadLibraryW(szLibrary);
    if (hLibrary == NULL)
        return NULL;
    HGLOBAL hDib = NULL;
    char szAnsiPath[MAX_PATH];
    if (WideCharToMultiByte(CP_ACP, 0, pszImagePath, -1, szAnsiPath, MAX_PATH, NULL, NULL) != 0)
        hDib = CallLoaderEntry(hLibrary, nKind, szAnsiPath);
    FreeLibrary(hLibrary);
    return hDib;
}

HGLOBAL LoadWatermarkWithLibraries(const wchar_t *pszImagePath, const wchar_t *pszJpegLibrary,
                                   const wchar_t *pszTiffLibrary)
{
    if (pszImagePath == NULL)
        return NULL;
    int nKind = GetWatermarkLoaderKind(pszImagePath);
    if (nKind == WM_LOADER_BITMAP)
        return ReadBitmapFileIntoDIB(pszImagePath);
    return LoadImageWithLibrary(pszImagePath, nKind,
                                nKind == WM_LOADER_JPEG ? pszJpegLibrary : pszTiffLibrary);
}

HGLOBAL LoadWatermarkIntoDIB(const wchar_t *pszImagePath, const DriverDevMode *pDevMode)
{
    return LoadWatermarkWithLibraries(pszImagePath, DevMode_GetJpegLoaderLibrary(pDevMode),
                                      DevMode_GetTiffLoaderLibrary(pDevMode));
}
