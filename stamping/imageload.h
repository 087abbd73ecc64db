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

/* Takes an image path; gives its WM_LOADER_* kind, from the text after the
 * last "." of the whole path (ASCII case ignored). */
int GetWatermarkLoaderKind(const WCHAR *pszImagePath);

/* Takes a bitmap file's path; gives a new movable block with the file's
 * bytes after its 14-byte file header, unchanged and unexamined, or NULL
 * when the file cannot be read or is no longer than 14 bytes. */
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
 * kind. Gives a new packed DIB that the caller frees, or NULL. */
HGLOBAL LoadWatermarkWithLibraries(const WCHAR *pszImagePath, const WCHAR *pszJpegLibrary,
                                   const WCHAR *pszTiffLibrary);

/* Takes an image path and the job's device mode (its JpegLoaderLibrary
 * and TiffLoaderLibrary name the libraries). Gives a new packed DIB that
 * the caller frees with GlobalFree, or NULL. Nothing is cached: libraries
 * are loaded and freed again for every picture. */
HGLOBAL LoadWatermarkIntoDIB(const WCHAR *pszImagePath, const DriverDevMode *pDevMode);

#endif
