/* Image decoding shared by the two image libraries. */
#ifndef JH_IMAGELOADERS_WICDECODE_H
#define JH_IMAGELOADERS_WICDECODE_H

#include <windows.h>

/* Decodes the first frame of the image file pszImagePath (ANSI code page)
 * with the Windows Imaging Component and gives a new movable global block
 * holding a packed DIB: 40-byte BITMAPINFOHEADER, no colour table, 24 bits
 * per pixel, bottom-up rows padded to 4 bytes. NULL on any failure. The
 * block does not depend on the library: it stays valid after FreeLibrary.
 * COM is initialised for the call (multithreaded) when the thread has not
 * done so already. */
HGLOBAL DecodeImageIntoDIB(const char *pszImagePath);

#endif
