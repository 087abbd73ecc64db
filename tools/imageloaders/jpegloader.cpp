/* jpegloader.dll: the driver's JPEG image library. */
#include "wicdecode.h"

/* Takes an image path in the ANSI code page; gives a new packed 24-bit DIB
 * (movable global memory, the caller frees it), or NULL. */
extern "C" HGLOBAL LoadJPEGIntoDIB(const char *pszImagePath)
{
    return DecodeImageIntoDIB(pszImagePath);
}
