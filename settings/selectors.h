/*
 * Selecting accessors: one per setting, answering from the job's numbered
 * registry profile (nProfile, the job number) when the block's
 * FLAG_USE_PROFILE bit is set, and otherwise from the block or, for
 * settings that the block does not hold, from the settings family.
 * Profile reads go through ReadProfileDword / ReadProfileString(At), so the
 * protected-mode path applies. With no block the bit reads as clear.
 *
 * Kinds:
 *  - flag: bit set: 1 when the profile value can be read and is non-zero,
 *    else 0 (no fallback). Bit clear: the block flag or family switch as 0
 *    or 1. SelectAllPagesInOneFile is inverted (1 when the profile's "Save
 *    each page as separate file" can be read and is 0).
 *  - value: the profile value when it can be read, else the listed getter.
 *  - out: 1 and the profile value when it can be read, else the listed
 *    getter's result and output. A profile string that does not fit the
 *    caller's buffer gives 0 with the needed size in *pcbSize (bytes,
 *    terminator included); strings are always terminated.
 *  - buffer: a pointer to the accessor's own 260-character buffer, holding
 *    the profile string or a copy of the block string (empty without
 *    block), always terminated inside the buffer; each call overwrites it.
 *    A profile string that does not fit 259 characters and its terminator
 *    counts as unreadable (the block string is used).
 * bPortrait 1 selects the portrait setting of a pair, 0 the landscape one.
 */
#ifndef JH_SETTINGS_SELECTORS_H
#define JH_SETTINGS_SELECTORS_H

#include <windows.h>
#include "devmode.h"

#ifdef __cplusplus
extern "C" {
#endif

/* File output. */
DRVSETTINGS_API DWORD SelectFileFormat(const DriverDevMode *pDevMode, int nProfile);            /* dword 0 */
DRVSETTINGS_API int SelectOpenInDefaultViewer(const DriverDevMode *pDevMode, int nProfile);     /* dword 1 */
DRVSETTINGS_API int SelectOpenOutputFolder(const DriverDevMode *pDevMode, int nProfile);        /* dword 2 */
DRVSETTINGS_API int SelectAllPagesInOneFile(const DriverDevMode *pDevMode, int nProfile);       /* dword 3 */
DRVSETTINGS_API int SelectAppendFile(const DriverDevMode *pDevMode, int nProfile);              /* dword 4 */
DRVSETTINGS_API DWORD SelectColorDepth(const DriverDevMode *pDevMode, int nProfile);            /* dword 8 */
/* Bits per pixel: bit set, the colour-depth code above turned into 1, 8 or
 * 24; bit clear, the block's bits-per-pixel figure. */
DRVSETTINGS_API DWORD SelectBitsPerPixel(const DriverDevMode *pDevMode, int nProfile);          /* dword 8 */
DRVSETTINGS_API DWORD SelectJpegLossRatio(const DriverDevMode *pDevMode, int nProfile);         /* dword 9 */
DRVSETTINGS_API int SelectTiffInternet(const DriverDevMode *pDevMode, int nProfile);            /* dword 10 */
DRVSETTINGS_API int SelectTiffReverseBitOrder(const DriverDevMode *pDevMode, int nProfile);     /* dword 11 */
DRVSETTINGS_API int SelectTiffPageNumberTag(const DriverDevMode *pDevMode, int nProfile);       /* dword 12 */
DRVSETTINGS_API DWORD SelectImagePdfCompression(const DriverDevMode *pDevMode, int nProfile);   /* dword 13 */
DRVSETTINGS_API const WCHAR *SelectOutputPath(const DriverDevMode *pDevMode, int nProfile);     /* string 0 */

/* PDF. */
DRVSETTINGS_API int SelectPdfEncryption(const DriverDevMode *pDevMode, int nProfile, int *pnValue);          /* 14 */
DRVSETTINGS_API int SelectPdfSecurityFlags(const DriverDevMode *pDevMode, int nProfile, int *pnValue);       /* 15 */
DRVSETTINGS_API int SelectPdfStreamCompression(const DriverDevMode *pDevMode, int nProfile, int *pnValue);   /* 16 */
DRVSETTINGS_API int SelectPdfColorImageCompression(const DriverDevMode *pDevMode, int nProfile, int *pnValue); /* 17 */
DRVSETTINGS_API int SelectPdfMonoImageCompression(const DriverDevMode *pDevMode, int nProfile, int *pnValue); /* 18 */
DRVSETTINGS_API int SelectPdfJpegQuality(const DriverDevMode *pDevMode, int nProfile, int *pnValue);         /* 19 */
DRVSETTINGS_API int SelectPdfEmbedAllFonts(const DriverDevMode *pDevMode, int nProfile, int *pnValue);       /* 20 */
DRVSETTINGS_API int SelectPdfEmbedLicensedFonts(const DriverDevMode *pDevMode, int nProfile, int *pnValue);  /* 21 */
DRVSETTINGS_API int SelectPdfEmbedAdobeFonts(const DriverDevMode *pDevMode, int nProfile, int *pnValue);     /* 22 */
DRVSETTINGS_API int SelectPdfEmbedWindowsFonts(const DriverDevMode *pDevMode, int nProfile, int *pnValue);   /* 23 */
DRVSETTINGS_API int SelectPdfCreateSubset(const DriverDevMode *pDevMode, int nProfile, int *pnValue);        /* 24 */
DRVSETTINGS_API int SelectPdfForceFontCount(const DriverDevMode *pDevMode, int nProfile, int *pnValue);      /* 25 */
DRVSETTINGS_API int SelectPdfForbidFontCount(const DriverDevMode *pDevMode, int nProfile, int *pnValue);     /* 26 */
DRVSETTINGS_API int SelectPdfTitle(const DriverDevMode *pDevMode, int nProfile, WCHAR *pszBuffer, DWORD *pcbSize);    /* s2 */
DRVSETTINGS_API int SelectPdfAuthor(const DriverDevMode *pDevMode, int nProfile, WCHAR *pszBuffer, DWORD *pcbSize);   /* s3 */
DRVSETTINGS_API int SelectPdfSubject(const DriverDevMode *pDevMode, int nProfile, WCHAR *pszBuffer, DWORD *pcbSize);  /* s4 */
DRVSETTINGS_API int SelectPdfKeywords(const DriverDevMode *pDevMode, int nProfile, WCHAR *pszBuffer, DWORD *pcbSize); /* s5 */
DRVSETTINGS_API int SelectPdfUserPassword(const DriverDevMode *pDevMode, int nProfile, WCHAR *pszBuffer, DWORD *pcbSize);  /* s6 */
DRVSETTINGS_API int SelectPdfOwnerPassword(const DriverDevMode *pDevMode, int nProfile, WCHAR *pszBuffer, DWORD *pcbSize); /* s7 */
DRVSETTINGS_API int SelectPdfForceFont(const DriverDevMode *pDevMode, int nProfile, WCHAR *pszBuffer, DWORD *pcbSize,
                                       int nIndex);                                                         /* s8 */
DRVSETTINGS_API int SelectPdfForbidFont(const DriverDevMode *pDevMode, int nProfile, WCHAR *pszBuffer, DWORD *pcbSize,
                                        int nIndex);                                                        /* s9 */

/* HTML. */
DRVSETTINGS_API int SelectHtmlPageSizeSetting(const DriverDevMode *pDevMode, int nProfile, int *pnValue);    /* 27 */
DRVSETTINGS_API int SelectHtmlCssSettings(const DriverDevMode *pDevMode, int nProfile, int *pnValue);        /* 28 */
DRVSETTINGS_API int SelectHtmlSeparatePages(const DriverDevMode *pDevMode, int nProfile, int *pnValue);      /* 29 */
DRVSETTINGS_API int SelectHtmlVectorGraphicsDisplayMode(const DriverDevMode *pDevMode, int nProfile, int *pnValue); /* 30 */
DRVSETTINGS_API int SelectHtmlEmbedAllFonts(const DriverDevMode *pDevMode, int nProfile, int *pnValue);      /* 31 */
DRVSETTINGS_API int SelectHtmlEmbedLicensedFonts(const DriverDevMode *pDevMode, int nProfile, int *pnValue); /* 32 */
DRVSETTINGS_API int SelectHtmlCreateSubset(const DriverDevMode *pDevMode, int nProfile, int *pnValue);       /* 33 */
DRVSETTINGS_API int SelectHtmlForceFontCount(const DriverDevMode *pDevMode, int nProfile, int *pnValue);     /* 34 */
DRVSETTINGS_API int SelectHtmlForbidFontCount(const DriverDevMode *pDevMode, int nProfile, int *pnValue);    /* 35 */
DRVSETTINGS_API int SelectHtmlOutputFolder(const DriverDevMode *pDevMode, int nProfile, WCHAR *pszBuffer, DWORD *pcbSize); /* s10 */
DRVSETTINGS_API int SelectHtmlForceFont(const DriverDevMode *pDevMode, int nProfile, WCHAR *pszBuffer, DWORD *pcbSize,
                                        int nIndex);                                                        /* s11 */
DRVSETTINGS_API int SelectHtmlForbidFont(const DriverDevMode *pDevMode, int nProfile, WCHAR *pszBuffer, DWORD *pcbSize,
                                         int nIndex);                                                       /* s12 */

/* Redirect printing and post-print actions. */
DRVSETTINGS_API int SelectRedirectPrinting(const DriverDevMode *pDevMode, int nProfile);        /* dword 36 */
DRVSETTINGS_API int SelectSendInEmail(const DriverDevMode *pDevMode, int nProfile);             /* dword 37 */
DRVSETTINGS_API int SelectUploadToSharePoint(const DriverDevMode *pDevMode, int nProfile);      /* dword 38 */

/* Watermark. */
DRVSETTINGS_API DWORD SelectPrintWatermark(const DriverDevMode *pDevMode, int nProfile);        /* dword 39 */
DRVSETTINGS_API int SelectWatermarkFirstPageOnly(const DriverDevMode *pDevMode, int nProfile);  /* dword 41 */
DRVSETTINGS_API int SelectWatermarkPStretchToWidth(const DriverDevMode *pDevMode, int nProfile); /* 42 */
DRVSETTINGS_API int SelectWatermarkPStretchToFit(const DriverDevMode *pDevMode, int nProfile);  /* 43 */
DRVSETTINGS_API int SelectWatermarkPTile(const DriverDevMode *pDevMode, int nProfile);          /* 44 */
DRVSETTINGS_API int SelectWatermarkLStretchToWidth(const DriverDevMode *pDevMode, int nProfile); /* 45 */
DRVSETTINGS_API int SelectWatermarkLStretchToFit(const DriverDevMode *pDevMode, int nProfile);  /* 46 */
DRVSETTINGS_API int SelectWatermarkLTile(const DriverDevMode *pDevMode, int nProfile);          /* 47 */
DRVSETTINGS_API DWORD SelectFirstImagePosition(const DriverDevMode *pDevMode, int nProfile, int bPortrait); /* 48/49 */
DRVSETTINGS_API int SelectFirstImageEnabled(const DriverDevMode *pDevMode, int nProfile);       /* dword 50 */
DRVSETTINGS_API DWORD SelectWatermarkBrightnessPortrait(const DriverDevMode *pDevMode, int nProfile);  /* 51 */
DRVSETTINGS_API DWORD SelectWatermarkBrightnessLandscape(const DriverDevMode *pDevMode, int nProfile); /* 52 */
DRVSETTINGS_API DWORD SelectFirstImageBrightness(const DriverDevMode *pDevMode, int nProfile, int bPortrait); /* 53/54 */
DRVSETTINGS_API const WCHAR *SelectWatermarkImagePortrait(const DriverDevMode *pDevMode, int nProfile);  /* s37 */
DRVSETTINGS_API const WCHAR *SelectWatermarkImageLandscape(const DriverDevMode *pDevMode, int nProfile); /* s38 */
DRVSETTINGS_API int SelectFirstImage(const DriverDevMode *pDevMode, int nProfile, int bPortrait, WCHAR *pszBuffer,
                                     DWORD *pcbSize);                                                 /* s39/40 */

#ifdef __cplusplus
}
#endif

#endif
