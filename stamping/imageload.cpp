/*
 * Watermark picture loading: bitmap files read straight into a packed DIB,
 * other pictures handed to the driver's JPEG or TIFF library, loaded from
 * where the driver keeps it for each picture and freed again.
 */
#include "stamping/imageload.h"
#include <winspool.h>
#include <stddef.h>
#include <string.h>

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

/* ---- Picture sizes from file headers --------------------------------- */

/* Directory entries of a TIFF file looked at for its size. */
#define WM_TIFF_MAX_ENTRIES 256
/* Segments of a JPEG file walked to find its frame header. */
#define WM_JPEG_MAX_SEGMENTS 4096

static DWORD Le16(const BYTE *p) { return (DWORD)p[0] | (DWORD)p[1] << 8; }
static DWORD Le32(const BYTE *p) { return Le16(p) | Le16(p + 2) << 16; }
static DWORD Be16(const BYTE *p) { return (DWORD)p[0] << 8 | (DWORD)p[1]; }
static DWORD Be32(const BYTE *p) { return Be16(p) << 16 | Be16(p + 2); }

/* Reads exactly cb bytes at nOffset of hFile. */
static BOOL ReadBytesAt(HANDLE hFile, ULONGLONG nOffset, void *pData, DWORD cb)
{
    LARGE_INTEGER liOffset;
    liOffset.QuadPart = (LONGLONG)nOffset;
    DWORD cbRead = 0;
    return nOffset < 0x7FFFFFFFFFFFFFFFull && SetFilePointerEx(hFile, liOffset, NULL, FILE_BEGIN)
           && ReadFile(hFile, pData, cb, &cbRead, NULL) && cbRead == cb;
}

/* The DIB header after a bitmap file's 14-byte file header: 16-bit sides
 * in a 12-byte core header, signed 32-bit ones in every larger header. */
static BOOL BitmapHeaderSize(HANDLE hFile, LONGLONG *pnWidth, LONGLONG *pnHeight)
{
    BYTE abHeader[12];
    if (!ReadBytesAt(hFile, WM_BITMAP_FILE_HEADER_SIZE, abHeader, 4))
        return FALSE;
    DWORD cbHeader = Le32(abHeader);
    if (cbHeader == 12) {
        if (!ReadBytesAt(hFile, WM_BITMAP_FILE_HEADER_SIZE + 4, abHeader + 4, 4))
            return FALSE;
        *pnWidth = Le16(abHeader + 4);
        *pnHeight = Le16(abHeader + 6);
        return TRUE;
    }
    if (cbHeader < 16 || !ReadBytesAt(hFile, WM_BITMAP_FILE_HEADER_SIZE + 4, abHeader + 4, 8))
        return FALSE;
    *pnWidth = (LONG)Le32(abHeader + 4);
    *pnHeight = (LONG)Le32(abHeader + 8);
    return TRUE;
}

static BOOL IsJpegFrameMarker(BYTE bMarker)
{
    return bMarker >= 0xC0 && bMarker <= 0xCF && bMarker != 0xC4 && bMarker != 0xC8 && bMarker != 0xCC;
}

/* Walks a JPEG file's segments from its start marker to the first frame
 * header (SOFn: precision, then height and width, big-endian). */
static BOOL JpegHeaderSize(HANDLE hFile, LONGLONG *pnWidth, LONGLONG *pnHeight)
{
    ULONGLONG nPos = 2;
    for (int nSegment = 0; nSegment < WM_JPEG_MAX_SEGMENTS; nSegment++) {
        BYTE abMarker[4];
        if (!ReadBytesAt(hFile, nPos, abMarker, sizeof(abMarker)) || abMarker[0] != 0xFF)
            return FALSE;
        BYTE bMarker = abMarker[1];
        if (bMarker == 0xFF) { /* a fill byte */
            nPos += 1;
            continue;
        }
        if (bMarker == 0x01 || (bMarker >= 0xD0 && bMarker <= 0xD7)) { /* no length */
            nPos += 2;
            continue;
        }
        if (bMarker == 0xD9 || bMarker == 0xDA || Be16(abMarker + 2) < 2)
            return FALSE;
        if (IsJpegFrameMarker(bMarker)) {
            BYTE abFrame[5];
            if (!ReadBytesAt(hFile, nPos + 4, abFrame, sizeof(abFrame)))
                return FALSE;
            *pnHeight = Be16(abFrame + 1);
            *pnWidth = Be16(abFrame + 3);
            return TRUE;
        }
        nPos += 2 + Be16(abMarker + 2);
    }
    return FALSE;
}

/* One value of a TIFF directory entry of type SHORT or LONG. */
static BOOL TiffEntryValue(const BYTE *pEntry, BOOL bLittle, LONGLONG *pnValue)
{
    DWORD dwType = bLittle ? Le16(pEntry + 2) : Be16(pEntry + 2);
    if (dwType == 3)
        *pnValue = bLittle ? Le16(pEntry + 8) : Be16(pEntry + 8);
    else if (dwType == 4)
        *pnValue = bLittle ? Le32(pEntry + 8) : Be32(pEntry + 8);
    else
        return FALSE;
    return TRUE;
}

/* ImageWidth (256) and ImageLength (257) of a TIFF file's first directory;
 * abStart holds the file's first 8 bytes. */
static BOOL TiffHeaderSize(HANDLE hFile, const BYTE *abStart, LONGLONG *pnWidth, LONGLONG *pnHeight)
{
    BOOL bLittle = abStart[0] == 'I';
    ULONGLONG nDirectory = bLittle ? Le32(abStart + 4) : Be32(abStart + 4);
    BYTE abCount[2];
    if (!ReadBytesAt(hFile, nDirectory, abCount, sizeof(abCount)))
        return FALSE;
    DWORD nEntries = bLittle ? Le16(abCount) : Be16(abCount);
    if (nEntries > WM_TIFF_MAX_ENTRIES)
        nEntries = WM_TIFF_MAX_ENTRIES;
    BYTE abEntries[WM_TIFF_MAX_ENTRIES * 12];
    if (nEntries == 0 || !ReadBytesAt(hFile, nDirectory + 2, abEntries, nEntries * 12))
        return FALSE;
    BOOL bWidth = FALSE, bHeight = FALSE;
    for (DWORD i = 0; i < nEntries; i++) {
        const BYTE *pEntry = abEntries + i * 12;
        DWORD dwTag = bLittle ? Le16(pEntry) : Be16(pEntry);
        if (dwTag == 256)
            bWidth = TiffEntryValue(pEntry, bLittle, pnWidth);
        else if (dwTag == 257)
            bHeight = TiffEntryValue(pEntry, bLittle, pnHeight);
    }
    return bWidth && bHeight;
}

/* Picks the header reader by the file's first bytes (abStart, cbStart of
 * them read). */
static BOOL HeaderSizeByKind(HANDLE hFile, const BYTE *abStart, DWORD cbStart, LONGLONG *pnWidth,
                             LONGLONG *pnHeight)
{
    static const BYTE abPng[8] = { 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A };
    if (cbStart >= 2 && abStart[0] == 'B' && abStart[1] == 'M')
        return BitmapHeaderSize(hFile, pnWidth, pnHeight);
    if (cbStart >= 24 && memcmp(abStart, abPng, sizeof(abPng)) == 0 && memcmp(abStart + 12, "IHDR", 4) == 0) {
        *pnWidth = Be32(abStart + 16);
        *pnHeight = Be32(abStart + 20);
        return TRUE;
    }
    if (cbStart >= 2 && abStart[0] == 0xFF && abStart[1] == 0xD8)
        return JpegHeaderSize(hFile, pnWidth, pnHeight);
    if (cbStart >= 10 && (memcmp(abStart, "GIF87a", 6) == 0 || memcmp(abStart, "GIF89a", 6) == 0)) {
        *pnWidth = Le16(abStart + 6);
        *pnHeight = Le16(abStart + 8);
        return TRUE;
    }
    if (cbStart >= 8 && (memcmp(abStart, "II*\0", 4) == 0 || memcmp(abStart, "MM\0*", 4) == 0))
        return TiffHeaderSize(hFile, abStart, pnWidth, pnHeight);
    return FALSE;
}

BOOL ReadPictureFileSize(const WCHAR *pszImagePath, BOOL bBitmapFile, LONGLONG *pnWidth, LONGLONG *pnHeight)
{
    if (pszImagePath == NULL || pnWidth == NULL || pnHeight == NULL)
        return FALSE;
    HANDLE hFile = CreateFileW(pszImagePath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    LONGLONG nWidth = 0, nHeight = 0;
    BYTE abStart[24];
    DWORD cbStart = 0;
    BOOL bFound = FALSE;
    if (bBitmapFile)
        bFound = BitmapHeaderSize(hFile, &nWidth, &nHeight);
    else if (ReadFile(hFile, abStart, sizeof(abStart), &cbStart, NULL))
        bFound = HeaderSizeByKind(hFile, abStart, cbStart, &nWidth, &nHeight);
    CloseHandle(hFile);
    if (bFound) {
        *pnWidth = nWidth;
        *pnHeight = nHeight;
    }
    return bFound;
}

BOOL IsPictureSizeAccepted(LONGLONG nWidth, LONGLONG nHeight)
{
    ULONGLONG nAcross = nWidth < 0 ? 0 - (ULONGLONG)nWidth : (ULONGLONG)nWidth;
    ULONGLONG nDown = nHeight < 0 ? 0 - (ULONGLONG)nHeight : (ULONGLONG)nHeight;
    return nAcross > 0 && nDown > 0 && nDown <= WM_MAX_PICTURE_PIXELS / nAcross;
}

HGLOBAL KeepAcceptedPicture(HGLOBAL hDib)
{
    const BYTE *pDib = hDib != NULL ? (const BYTE *)GlobalLock(hDib) : NULL;
    if (pDib == NULL)
        return hDib;
    SIZE_T cbDib = GlobalSize(hDib);
    BOOL bRefused = FALSE;
    if (cbDib >= 8 && Le32(pDib) == 12)
        bRefused = !IsPictureSizeAccepted(Le16(pDib + 4), Le16(pDib + 6));
    else if (cbDib >= 12 && Le32(pDib) >= 16)
        bRefused = !IsPictureSizeAccepted((LONG)Le32(pDib + 4), (LONG)Le32(pDib + 8));
    GlobalUnlock(hDib);
    if (!bRefused)
        return hDib;
    GlobalFree(hDib);
    return NULL;
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

/* ---- Bitmap files ----------------------------------------------------- */

SIZE_T GetDibInfoBytes(const BYTE *pDib, SIZE_T cbDib)
{
    if (pDib == NULL || cbDib < 12)
        return 0;
    SIZE_T cbHeader = Le32(pDib);
    if (cbHeader == 12) {
        DWORD nBits = Le16(pDib + 10);
        return 12 + (nBits <= 8 ? ((SIZE_T)1 << nBits) * 3 : 0);
    }
    if (cbHeader < 40 || cbHeader > cbDib)
        return 0;
    DWORD nBits = Le16(pDib + 14);
    DWORD nColors = Le32(pDib + 32);
    if (nColors == 0 && nBits <= 8)
        nColors = 1u << nBits;
    if (nColors > 256)
        return 0;
    if (cbHeader == 40 && Le32(pDib + 16) == BI_BITFIELDS)
        cbHeader += 3 * sizeof(DWORD);
    return cbHeader + nColors * sizeof(RGBQUAD);
}

/* Takes the bytes after a bitmap file's file header and the file's bit
 * offset; moves the bits from that offset to right after the header, masks
 * and colour table when the offset lies past them and inside the bytes.
 * Gives the number of bytes in use afterwards. */
static SIZE_T MoveBitsAfterTable(BYTE *pDib, SIZE_T cbDib, DWORD dwOffBits)
{
    SIZE_T cbInfo = GetDibInfoBytes(pDib, cbDib);
    SIZE_T nBits = dwOffBits > WM_BITMAP_FILE_HEADER_SIZE ? dwOffBits - WM_BITMAP_FILE_HEADER_SIZE : 0;
    if (cbInfo == 0 || nBits <= cbInfo || nBits >= cbDib)
        return cbDib;
    MoveMemory(pDib + cbInfo, pDib + nBits, cbDib - nBits);
    return cbDib - (nBits - cbInfo);
}

/* Reads the cbDib bytes after the file header of hFile into a new movable
 * block, the bits moved to the file's bit offset dwOffBits says; NULL when
 * the block cannot be had or the bytes cannot be read. */
static HGLOBAL ReadDibBytes(HANDLE hFile, DWORD cbDib, DWORD dwOffBits)
{
    HGLOBAL hDib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cbDib);
    BYTE *pDib = hDib != NULL ? (BYTE *)GlobalLock(hDib) : NULL;
    SIZE_T cbUsed = cbDib;
    BOOL bRead = pDib != NULL && ReadBytesAt(hFile, WM_BITMAP_FILE_HEADER_SIZE, pDib, cbDib);
    if (bRead)
        cbUsed = MoveBitsAfterTable(pDib, cbDib, dwOffBits);
    if (pDib != NULL)
        GlobalUnlock(hDib);
    if (!bRead && hDib != NULL) {
        GlobalFree(hDib);
        return NULL;
    }
    HGLOBAL hSmaller = cbUsed < cbDib ? GlobalReAlloc(hDib, cbUsed, GMEM_MOVEABLE) : NULL;
    return hSmaller != NULL ? hSmaller : hDib;
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
    BYTE abOffBits[4];
    if (GetFileSizeEx(hFile, &liSize) && liSize.QuadPart > WM_BITMAP_FILE_HEADER_SIZE
        && (ULONGLONG)liSize.QuadPart <= WM_MAX_BITMAP_FILE_BYTES
        && ReadBytesAt(hFile, offsetof(BITMAPFILEHEADER, bfOffBits), abOffBits, sizeof(abOffBits)))
        hDib = ReadDibBytes(hFile, (DWORD)liSize.QuadPart - WM_BITMAP_FILE_HEADER_SIZE, Le32(abOffBits));
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
    LONGLONG nWidth = 0, nHeight = 0;
    if (ReadPictureFileSize(pszImagePath, nKind == WM_LOADER_BITMAP, &nWidth, &nHeight)
        && !IsPictureSizeAccepted(nWidth, nHeight))
        return NULL;
    HGLOBAL hDib = NULL;
    if (nKind == WM_LOADER_BITMAP)
        hDib = ReadBitmapFileIntoDIB(pszImagePath);
    else
        hDib = LoadImageWithLibrary(pszImagePath, nKind, nKind == WM_LOADER_JPEG ? pszJpegLibrary : pszTiffLibrary);
    return KeepAcceptedPicture(hDib);
}

/* A device-mode path field, which may lack its terminator, copied into
 * pszOut (DM_CCH_PATH characters) and cut at DM_CCH_PATH - 1 characters;
 * NULL for no field. */
static const WCHAR *CopyPathField(const WCHAR *pszField, WCHAR *pszOut)
{
    if (pszField == NULL)
        return NULL;
    size_t cch = 0;
    while (cch < DM_CCH_PATH - 1 && pszField[cch] != L'\0')
        cch++;
    CopyMemory(pszOut, pszField, cch * sizeof(WCHAR));
    pszOut[cch] = L'\0';
    return pszOut;
}

HGLOBAL LoadWatermarkIntoDIB(const WCHAR *pszImagePath, const DriverDevMode *pDevMode)
{
    WCHAR szJpegLibrary[DM_CCH_PATH], szTiffLibrary[DM_CCH_PATH];
    const WCHAR *pszJpegLibrary = CopyPathField(DevMode_GetJpegLoaderLibrary(pDevMode), szJpegLibrary);
    const WCHAR *pszTiffLibrary = CopyPathField(DevMode_GetTiffLoaderLibrary(pDevMode), szTiffLibrary);
    return LoadWatermarkWithLibraries(pszImagePath, pszJpegLibrary, pszTiffLibrary);
}
