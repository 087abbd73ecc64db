/*
 * Watermark picture loading: bitmap files read straight into a packed DIB,
 * other pictures handed to the driver's JPEG or TIFF library, loaded from
 * where the driver keeps it for each picture and freed again.
 */
#include "stamping/imageload.h"
#include <winspool.h>

/* Bytes of a bitmap file's BITMAPFILEHEADER, skipped when reading it. */
#define WM_BITMAP_FILE_HEADER_SIZE 14

typedef HGLOBAL (*PFN_LOADJPEGINTODIB)(const char *pszImagePath);
typedef HGLOBAL (*PFN_LOADTIFFINTODIB)(const char *pszImagePath, int nReserved1, int nReserved2);

/* TRUE when two texts are equal, ignoring the case of ASCII letters. */
static BOOL EqualsAsciiNoCase(const WCHAR *pszA, const WCHAR *pszB)
{
    for (; *pszA != L'\0' && *pszB != L'\0'; pszA++, pszB++) {
        WCHAR chA = (*pszA >= L'a' && *pszA <= L'z') ? (WCHAR)(*pszA - 32) : *pszA;
        WCHAR chB = (*pszB >= L'a' && *pszB <= L'z') ? (WCHAR)(*pszB - 32) : *pszB;
        if (chA != chB)
            return FALSE;
    }
    return *pszA == *pszB;
}

/* TRUE when the file pszPath exists and opens for reading. */
static BOOL FileOpensForReading(const WCHAR *pszPath)
{
    HANDLE hFile = CreateFileW(pszPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    CloseHandle(hFile);
    return TRUE;
}

/* Joins up to three parts into pszOut; FALSE, pszOut untouched, when the
 * result would not fit cchOut characters with its terminator. */
static BOOL JoinPath(WCHAR *pszOut, DWORD cchOut, const WCHAR *pszA, const WCHAR *pszB,
                     const WCHAR *pszC)
{
    size_t cchA = lstrlenW(pszA), cchB = lstrlenW(pszB), cchC = lstrlenW(pszC);
    if (cchA + cchB + cchC + 1 > cchOut)
        return FALSE;
    CopyMemory(pszOut, pszA, cchA * sizeof(WCHAR));
    CopyMemory(pszOut + cchA, pszB, cchB * sizeof(WCHAR));
    CopyMemory(pszOut + cchA + cchB, pszC, cchC * sizeof(WCHAR));
    pszOut[cchA + cchB + cchC] = L'\0';
    return TRUE;
}

/* Tries directory + pszMiddle + base name; fills pszOut when it opens. */
static BOOL TryInDirectory(const WCHAR *pszDirectory, const WCHAR *pszMiddle, const WCHAR *pszBase,
                           WCHAR *pszOut, DWORD cchOut)
{
    WCHAR szCandidate[WM_LIBRARY_PATH_SIZE];
    if (!JoinPath(szCandidate, WM_LIBRARY_PATH_SIZE, pszDirectory, pszMiddle, pszBase))
        return FALSE;
    if (!FileOpensForReading(szCandidate))
        return FALSE;
    return JoinPath(pszOut, cchOut, szCandidate, L"", L"");
}

/* Calls the library's entry with the ANSI form of the path. */
static HGLOBAL CallLoaderEntry(HMODULE hLibrary, int nKind, const char *pszAnsiPath)
{
    if (nKind == WM_LOADER_JPEG) {
        PFN_LOADJPEGINTODIB pfnLoadJpeg = (PFN_LOADJPEGINTODIB)GetProcAddress(hLibrary, "LoadJPEGIntoDIB");
        return pfnLoadJpeg != NULL ? pfnLoadJpeg(pszAnsiPath) : NULL;
    }
    PFN_LOADTIFFINTODIB pfnLoadTiff = (PFN_LOADTIFFINTODIB)GetProcAddress(hLibrary, "LoadTiffIntoDIB");
    return pfnLoadTiff != NULL ? pfnLoadTiff(pszAnsiPath, 0, 0) : NULL;
}

/* Reads the cbDib bytes after the file header of hFile into a new movable
 * block; NULL when the block cannot be had or the bytes cannot be read. */
static HGLOBAL ReadDibBytes(HANDLE hFile, DWORD cbDib)
{
    HGLOBAL hDib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cbDib);
    void *pDib = hDib != NULL ? GlobalLock(hDib) : NULL;
    DWORD cbRead = 0;
    BOOL bRead = pDib != NULL
                 && SetFilePointer(hFile, WM_BITMAP_FILE_HEADER_SIZE, NULL, FILE_BEGIN) != INVALID_SET_FILE_POINTER
                 && ReadFile(hFile, pDib, cbDib, &cbRead, NULL) && cbRead == cbDib;
    if (pDib != NULL)
        GlobalUnlock(hDib);
    if (!bRead && hDib != NULL) {
        GlobalFree(hDib);
        hDib = NULL;
    }
    return hDib;
}

int GetWatermarkLoaderKind(const WCHAR *pszImagePath)
{
    if (pszImagePath == NULL)
        return WM_LOADER_TIFF;
    const WCHAR *pszDot = NULL;
    for (const WCHAR *pch = pszImagePath; *pch != L'\0'; pch++) {
        if (*pch == L'.')
            pszDot = pch;
    }
    if (pszDot == NULL)
        return WM_LOADER_TIFF;
    if (EqualsAsciiNoCase(pszDot, L".BMP"))
        return WM_LOADER_BITMAP;
    if (EqualsAsciiNoCase(pszDot, L".JPG"))
        return WM_LOADER_JPEG;
    return WM_LOADER_TIFF;
}

HGLOBAL ReadBitmapFileIntoDIB(const WCHAR *pszImagePath)
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
    if (GetFileSizeEx(hFile, &liSize) && liSize.QuadPart > WM_BITMAP_FILE_HEADER_SIZE
        && liSize.QuadPart < 0x80000000LL)
        hDib = ReadDibBytes(hFile, (DWORD)liSize.QuadPart - WM_BITMAP_FILE_HEADER_SIZE);
    CloseHandle(hFile);
    return hDib;
}

int GetCorrectDllName(const WCHAR *pszDllName, WCHAR *pszResolvedPath, DWORD cchResolvedPath)
{
    if (pszDllName == NULL || pszResolvedPath == NULL || cchResolvedPath == 0)
        return 0;
    if (FileOpensForReading(pszDllName) && JoinPath(pszResolvedPath, cchResolvedPath, pszDllName, L"", L""))
        return 1;
    const WCHAR *pszBase = pszDllName;
    for (const WCHAR *pch = pszDllName; *pch != L'\0'; pch++) {
        if (*pch == L'\\')
            pszBase = pch + 1;
    }
    WCHAR szDirectory[MAX_PATH];
    DWORD cbNeeded = 0;
    if (!GetPrinterDriverDirectoryW(NULL, NULL, 1, (BYTE *)szDirectory, sizeof(szDirectory), &cbNeeded))
        return 0;
    szDirectory[MAX_PATH - 1] = L'\0';
    if (TryInDirectory(szDirectory, L"\\", pszBase, pszResolvedPath, cchResolvedPath)
        || TryInDirectory(szDirectory, L"\\3\\", pszBase, pszResolvedPath, cchResolvedPath))
        return 1;
    return JoinPath(pszResolvedPath, cchResolvedPath, pszBase, L"", L"") ? 1 : 0;
}

HGLOBAL LoadImageWithLibrary(const WCHAR *pszImagePath, int nKind, const WCHAR *pszLibraryName)
{
    if (pszImagePath == NULL || (nKind != WM_LOADER_JPEG && nKind != WM_LOADER_TIFF))
        return NULL;
    WCHAR szLibrary[WM_LIBRARY_PATH_SIZE];
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

HGLOBAL LoadWatermarkWithLibraries(const WCHAR *pszImagePath, const WCHAR *pszJpegLibrary,
                                   const WCHAR *pszTiffLibrary)
{
    if (pszImagePath == NULL)
        return NULL;
    int nKind = GetWatermarkLoaderKind(pszImagePath);
    if (nKind == WM_LOADER_BITMAP)
        return ReadBitmapFileIntoDIB(pszImagePath);
    return LoadImageWithLibrary(pszImagePath, nKind,
                                nKind == WM_LOADER_JPEG ? pszJpegLibrary : pszTiffLibrary);
}

HGLOBAL LoadWatermarkIntoDIB(const WCHAR *pszImagePath, const DriverDevMode *pDevMode)
{
    return LoadWatermarkWithLibraries(pszImagePath, DevMode_GetJpegLoaderLibrary(pDevMode),
                                      DevMode_GetTiffLoaderLibrary(pDevMode));
}
