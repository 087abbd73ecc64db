/* tiffloader.dll: the driver's TIFF (and every other type) image library. */
#include "wicdecode.h"

/* Takes an image path in the ANSI code page and two reserved integers (the
 * program passes 0 and 0); gives a new packed 24-bit DIB (movable global
 * memory, the caller frees it), or NULL. Only the first frame is read. */
extern "C" HGLOBAL LoadTiffIntoDIB(const char *pszImagePath, int nReserved1, int nReserved2)
{
    (void)nReserved1;
    (void)nReserved2;
    return DecodeImageIntoDIB(pszImagePath);
}
