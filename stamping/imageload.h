/*
 * Watermark picture loading: an image file becomes a packed DIB (a movable
 * global block holding a BITMAPINFOHEADER, its colour table and the pixel
 * rows). Bitmap files are read directly; JPEG files go to the driver's JPEG
 * library, every other type to its TIFF library.
 */
#ifndef JH_STAMPING_IMAGELOAD_H
#define JH_STAMPING_IMAGELOAD_H

#include <windows.h>
#include "settings/devmode.h"

/* Which reader a picture file goes to. */
#define WM_LOADER_BITMAP 0  /* ".bmp": read directly */
#define WM_LOADER_JPEG   1  /* ".jpg": the JPEG library */
#define WM_LOADER_TIFF   2  /* anything else, or no "." at all: the TIFF library */

/* Room, in characters with the terminator, for a resolved library path. */
#define WM_LIBRARY_PATH_SIZE 264

/* Largest picture taken: 8192 x 8192 pixels. Its 24-bit packed DIB is
 * 192 MiB; loading it (the loader's own buffers, the packed DIB and the
 * stamp's lightened copy) stays well below 1 GiB, and it is larger than a
 * whole A4 or Letter page at 600 dpi (4960 x 7016 pixels). */
#define WM_MAX_PICTURE_PIXELS (8192ull * 8192ull)
/* Largest bitmap file read directly: a picture within the bound at 32 bits
 * per pixel, with room for its headers, colour table and a gap. */
#define WM_MAX_BITMAP_FILE_BYTES (4ull * WM_MAX_PICTURE_PIXELS + 0x10000ull)

/* Takes a picture's width and height in pixels (a negative height, as of a
 * top-down bitmap, counts by its size); TRUE when they are positive and
 * hold at most WM_MAX_PICTURE_PIXELS pixels. */
BOOL IsPictureSizeAccepted(LONGLONG nWidth, LONGLONG nHeight);

/* Takes an image path; reads the picture's width and height from its file
 * header without decoding it: a bitmap file (the header after the 14-byte
 * file header, whatever the file's signature, when bBitmapFile; else one
 * starting with "BM"), PNG (IHDR), JPEG (the first frame header), GIF (the
 * logical screen) or TIFF (the first directory's ImageWidth and
 * ImageLength). TRUE with both set when such a header was found; FALSE for
 * a missing file or one of another kind. */
BOOL ReadPictureFileSize(const WCHAR *pszImagePath, BOOL bBitmapFile, LONGLONG *pnWidth, LONGLONG *pnHeight);

/* Takes an image path; gives its WM_LOADER_* kind, from the text after the
 * last "." of the whole path (ASCII case ignored). */
int GetWatermarkLoaderKind(const WCHAR *pszImagePath);

/* Takes a loaded packed DIB (or NULL); gives it back when its header (a
 * 12-byte core header or a larger one) gives a size IsPictureSizeAccepted
 * takes, or when the block is too short for a header (the stamp refuses such
 * a block on its own); otherwise frees it and gives NULL. */
HGLOBAL KeepAcceptedPicture(HGLOBAL hDib);

/* Takes the first cbDib bytes of a packed DIB; gives the bytes that its
 * header, bit masks and colour table take before the pixels, by the rule the
 * platform's DIB functions use: a 12-byte core header is followed by 3-byte
 * entries, 2 to the bit count of them up to 8 bits; any header of 40 bytes or
 * more by three masks when it is exactly 40 bytes with BI_BITFIELDS, then by
 * biClrUsed 4-byte entries (2 to the bit count up to 8 bits when 0). Gives 0
 * for a header of another size, one longer than cbDib, or more than 256
 * colours. The result may exceed cbDib. */
SIZE_T GetDibInfoBytes(const BYTE *pDib, SIZE_T cbDib);

/* Takes a bitmap file's path; gives a new movable block with the file's
 * bytes after its 14-byte file header (whatever its signature), or NULL when
 * the file cannot be read, is no longer than 14 bytes or longer than
 * WM_MAX_BITMAP_FILE_BYTES. When the file's bit offset lies past the header,
 * masks and colour table and inside the file, the bits are taken from there
 * and follow the colour table in the block; an offset of 0, or one that
 * cannot be right, leaves the bytes as they are. */
HGLOBAL ReadBitmapFileIntoDIB(const WCHAR *pszImagePath);

/* Takes a library name as stored in the device mode and a buffer of
 * cchResolvedPath characters. Fills the buffer with the path to load: the
 * name itself when such a file opens, else the base name in the printer
 * driver directory (GetPrinterDriverDirectoryW, local machine, current
 * environment), else in its "3" subdirectory, else the bare base name for
 * LoadLibraryW's own search. Candidates that do not fit the buffer are
 * skipped. Gives 1 when filled, 0 when an argument is missing, the driver
 * directory cannot be had, or not even the base name fits. */
int GetCorrectDllName(const WCHAR *pszDllName, WCHAR *pszResolvedPath, DWORD cchResolvedPath);

/* Takes an image path, a WM_LOADER_JPEG or WM_LOADER_TIFF kind and the
 * library name for it; resolves and loads the library, calls its
 * "LoadJPEGIntoDIB" (ANSI path) or "LoadTiffIntoDIB" (ANSI path, 0, 0) and
 * frees the library again. Gives the library's packed DIB, or NULL. */
HGLOBAL LoadImageWithLibrary(const WCHAR *pszImagePath, int nKind, const WCHAR *pszLibraryName);

/* Takes an image path and the two library names; routes the file by its
 * kind. A picture whose file header gives a size that IsPictureSizeAccepted
 * refuses is not read or decoded at all; a loaded one whose packed DIB header
 * gives such a size is freed again. Gives a new packed DIB that the caller
 * frees, or NULL. */
HGLOBAL LoadWatermarkWithLibraries(const WCHAR *pszImagePath, const WCHAR *pszJpegLibrary,
                                   const WCHAR *pszTiffLibrary);

/* Takes an image path and the job's device mode (its JpegLoaderLibrary
 * and TiffLoaderLibrary name the libraries; each is read within its field,
 * terminated or not). Gives a new packed DIB that the caller frees with
 * GlobalFree, or NULL. Nothing is cached: libraries are loaded and freed
 * again for every picture. */
HGLOBAL LoadWatermarkIntoDIB(const WCHAR *pszImagePath, const DriverDevMode *pDevMode);

#endif
