#include "stamping/stamptext.h"

#include <math.h>
#include <stdarg.h>
#include <wchar.h>

/* Length of a text that may lack its terminator within cchMax characters. */
static size_t BoundedLength(const WCHAR *psz, size_t cchMax)
{
    size_t n = 0;
    while (n < cchMax && psz[n] != L'\0')
        n++;
    return n;
}

BOOL StampTextCopy(WCHAR *pszDest, size_t cchDest, const WCHAR *pszSource)
{
    if (pszDest == NULL || cchDest == 0)
        return FALSE;
    pszDest[0] = L'\0';
    return StampTextAppend(pszDest, cchDest, pszSource);
}

BOOL StampTextAppend(WCHAR *pszDest, size_t cchDest, const WCHAR *pszSource)
{
    if (pszDest == NULL || cchDest == 0)
        return FALSE;
    size_t cchUsed = BoundedLength(pszDest, cchDest - 1);
    pszDest[cchUsed] = L'\0';
    if (pszSource == NULL)
        return TRUE;
    size_t cchRoom = cchDest - 1 - cchUsed;
    size_t cchSource = BoundedLength(pszSource, cchRoom + 1);
    size_t cchCopy = cchSource <= cchRoom ? cchSource : cchRoom;
    wmemcpy(pszDest + cchUsed, pszSource, cchCopy);
    pszDest[cchUsed + cchCopy] = L'\0';
    return cchSource <= cchRoom;
}

BOOL StampTextAppendFormat(WCHAR *pszDest, size_t cchDest, const WCHAR *pszFormat, ...)
{
    WCHAR szPiece[512] = L"";
    va_list args;
    va_start(args, pszFormat);
    int n = _vsnwprintf(szPiece, 511, pszFormat, args);
    va_end(args);
    if (n < 0)
        return FALSE;
    return StampTextAppend(pszDest, cchDest, szPiece);
}

int StampPixelsPerMetre(int nDpi)
{
    return (int)trunc(nDpi * 10000 / 254.0 + 0.5);
}

int ConvertStampOffset(int nOffset, int nUnit, int nPixelsPerMetre)
{
    switch (nUnit) {
    case STAMP_UNIT_TENTH_MM: {
        /* The product is formed in 64 bits so that no offset overflows it. */
        float f = (float)((long long)nOffset * nPixelsPerMetre);
        return (int)(f / 10000.0f);
    }
    case STAMP_UNIT_HUNDREDTH_INCH: {
        int nDpi = (int)trunc(nPixelsPerMetre * 254.0 / 10000.0 + 0.5);
        return (int)((long long)nOffset * nDpi / 100);
    }
    case STAMP_UNIT_PIXELS:
        return nOffset;
    default:
        return 0;
    }
}

void PrepareStampFont(const LOGFONTW *pStored, int nRotation, int nDpiY, LOGFONTW *pFont)
{
    *pFont = *pStored;
    pFont->lfFaceName[LF_FACESIZE - 1] = L'\0';
    if (pFont->lfHeight == 0) {
        StampTextCopy(pFont->lfFaceName, LF_FACESIZE, L"Arial");
        pFont->lfWeight = FW_NORMAL;
        pFont->lfHeight = 16;
    }
    pFont->lfEscapement = nRotation * 10;
    pFont->lfHeight = (LONG)((long long)pFont->lfHeight * nDpiY / 96);
}

POINT ComputeStampPosition(int nAnchor, int nRotation, int cx, int cy,
                           int cxPage, int cyPage, int xOff, int yOff)
{
    /* The angle uses 3.14159, not a full-precision pi; positions depend on
     * it (text 200 pixels wide at 90 degrees lands at 99, not 100, down). */
    double dTheta = nRotation * 3.14159 / 180.0;
    int rx = (int)trunc(cos(dTheta) * cx / 2.0);
    int ry = (int)trunc(sin(dTheta) * cx / 2.0);
    int ax = 0;
    int ay = 0;
    switch (nAnchor) {
    case STAMP_POS_TOP_RIGHT:
        ax = cxPage - cx;
        break;
    case STAMP_POS_CENTER:
        ax = cxPage / 2 - cx / 2;
        ay = cyPage / 2 - cy / 2;
        break;
    case STAMP_POS_BOTTOM_LEFT:
        ay = cyPage - cy;
        break;
    case STAMP_POS_BOTTOM_RIGHT:
        ax = cxPage - cx;
        ay = cyPage - cy;
        break;
    default:
        break;
    }
    POINT pt;
    pt.x = ax + cx / 2 - rx + xOff;
    pt.y = ay + ry + yOff;
    return pt;
}
