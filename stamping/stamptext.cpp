#include "stamping/stamptext.h"

#include <limits.h>
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

/* A wide value clamped into [-llLimit, llLimit]. */
static long long ClampWide(long long llValue, long long llLimit)
{
    return llValue > llLimit ? llLimit : (llValue < -llLimit ? -llLimit : llValue);
}

/* A double clamped into [-llLimit, llLimit] and truncated toward zero. */
static int ClampDouble(double dValue, long long llLimit)
{
    if (dValue >= (double)llLimit)
        return (int)llLimit;
    if (dValue <= -(double)llLimit)
        return (int)-llLimit;
    return (int)dValue;
}

int StampPixelsPerMetre(int nDpi)
{
    return ClampDouble(trunc(nDpi * 10000.0 / 254.0 + 0.5), INT_MAX);
}

int StampRotation(int nRotation)
{
    return nRotation % 360;
}

int ConvertStampOffset(int nOffset, int nUnit, int nPixelsPerMetre)
{
    switch (nUnit) {
    case STAMP_UNIT_TENTH_MM: {
        /* The product is formed in 64 bits so that no offset overflows it. */
        float f = (float)((long long)nOffset * nPixelsPerMetre);
        return ClampDouble(f / 10000.0f, STAMP_COORD_LIMIT);
    }
    case STAMP_UNIT_HUNDREDTH_INCH: {
        int nDpi = ClampDouble(trunc(nPixelsPerMetre * 254.0 / 10000.0 + 0.5), INT_MAX);
        return (int)ClampWide((long long)nOffset * nDpi / 100, STAMP_COORD_LIMIT);
    }
    case STAMP_UNIT_PIXELS:
        return (int)ClampWide(nOffset, STAMP_COORD_LIMIT);
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
    pFont->lfEscapement = StampRotation(nRotation) * 10;
    pFont->lfHeight = (LONG)ClampWide((long long)pFont->lfHeight * nDpiY / 96, STAMP_COORD_LIMIT);
}

/* One coordinate of the reference point: the sum in 64 bits, clamped. */
static LONG StampCoordinate(long long llAnchor, long long llTurn, long long llOffset)
{
    return (LONG)ClampWide(llAnchor + llTurn + llOffset, STAMP_COORD_LIMIT);
}

POINT ComputeStampPosition(int nAnchor, int nRotation, int cx, int cy,
                           int cxPage, int cyPage, int xOff, int yOff)
{
    /* The angle uses 3.14159, not a full-precision pi; positions depend on
     * it (text 200 pixels wide at 90 degrees lands at 99, not 100, down). */
    double dTheta = StampRotation(nRotation) * 3.14159 / 180.0;
    long long rx = (long long)trunc(cos(dTheta) * cx / 2.0);
    long long ry = (long long)trunc(sin(dTheta) * cx / 2.0);
    long long ax = 0;
    long long ay = 0;
    switch (nAnchor) {
    case STAMP_POS_TOP_RIGHT:
        ax = (long long)cxPage - cx;
        break;
    case STAMP_POS_CENTER:
        ax = cxPage / 2 - cx / 2;
        ay = cyPage / 2 - cy / 2;
        break;
    case STAMP_POS_BOTTOM_LEFT:
        ay = (long long)cyPage - cy;
        break;
    case STAMP_POS_BOTTOM_RIGHT:
        ax = (long long)cxPage - cx;
        ay = (long long)cyPage - cy;
        break;
    default:
        break;
    }
    POINT pt;
    pt.x = StampCoordinate(ax, cx / 2 - rx, xOff);
    pt.y = StampCoordinate(ay, ry, yOff);
    return pt;
}
