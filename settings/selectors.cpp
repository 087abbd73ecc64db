/* Selecting accessors: the job's registry profile or the block / family. */
#include "settings/selectors.h"
#include "settings/families.h"
#include "settings/profile.h"
#include "settings/regpath.h"

#include <cstring>

#define SELECT_BUFFER_CCH 260
#define NO_INDEX          (-1)

typedef int (*FlagGetter)(const DriverDevMode *pDevMode);
typedef DWORD (*ValueGetter)(const DriverDevMode *pDevMode);
typedef int (*IntGetter)(const DriverDevMode *pDevMode, int *pnValue);
typedef int (*TextGetter)(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize);
typedef int (*IndexedTextGetter)(const DriverDevMode *pDevMode, WCHAR *pszBuffer, DWORD *pcbSize, int nIndex);
typedef const WCHAR *(*FieldGetter)(const DriverDevMode *pDevMode);

static BOOL UseProfile(const DriverDevMode *pDevMode)
{
    return pDevMode && DevMode_IsFlagUseProfile(pDevMode);
}

static int SelectFlag(const DriverDevMode *pDevMode, int nProfile, int nId, FlagGetter pfnGet)
{
    if (UseProfile(pDevMode)) {
        DWORD dwValue = 0;
        return (ReadProfileDword(pDevMode, nId, nProfile, &dwValue) && dwValue != 0) ? 1 : 0;
    }
    return pfnGet(pDevMode) ? 1 : 0;
}

static DWORD SelectValue(const DriverDevMode *pDevMode, int nProfile, int nId, ValueGetter pfnGet)
{
    DWORD dwValue = 0;
    if (UseProfile(pDevMode) && ReadProfileDword(pDevMode, nId, nProfile, &dwValue))
        return dwValue;
    return pfnGet(pDevMode);
}

static int SelectInt(const DriverDevMode *pDevMode, int nProfile, int nId, IntGetter pfnGet, int *pnValue)
{
    if (!pnValue)
        return 0;
    DWORD dwValue = 0;
    if (UseProfile(pDevMode) && ReadProfileDword(pDevMode, nId, nProfile, &dwValue)) {
        *pnValue = (int)dwValue;
        return 1;
    }
    return pfnGet(pDevMode, pnValue);
}

/* Reads a profile string into a terminated heap copy. Gives -1 when the
 * value is missing, else the result of handing it to the caller's buffer. */
static int ProfileText(const DriverDevMode *pDevMode, int nProfile, int nId, int nIndex, WCHAR *pszBuffer,
                       DWORD *pcbSize)
{
    DWORD cbStored = 0;
    int bRead = (nIndex == NO_INDEX)
                    ? ReadProfileString(pDevMode, nId, nProfile, NULL, &cbStored)
                    : ReadProfileStringAt(pDevMode, nId, nProfile, NULL, &cbStored, nIndex);
    if (bRead)
        return RegDeliverText(L"", pszBuffer, pcbSize);
    if (cbStored == 0)
        return -1;
    WCHAR *pszText = (WCHAR *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, cbStored + 2 * sizeof(WCHAR));
    if (!pszText)
        return -1;
    DWORD cbRead = cbStored + 2 * sizeof(WCHAR);
    bRead = (nIndex == NO_INDEX) ? ReadProfileString(pDevMode, nId, nProfile, pszText, &cbRead)
                                 : ReadProfileStringAt(pDevMode, nId, nProfile, pszText, &cbRead, nIndex);
    if (bRead && cbRead % sizeof(WCHAR))
        ((BYTE *)pszText)[cbRead - 1] = 0; /* an odd trailing byte is no character */
    int nResult = bRead ? RegDeliverText(pszText, pszBuffer, pcbSize) : -1;
    HeapFree(GetProcessHeap(), 0, pszText);
    return nResult;
}

static int SelectText(const DriverDevMode *pDevMode, int nProfile, int nId, TextGetter pfnGet, WCHAR *pszBuffer,
                      DWORD *pcbSize)
{
    if (!pcbSize)
        return 0;
    if (UseProfile(pDevMode)) {
        int nResult = ProfileText(pDevMode, nProfile, nId, NO_INDEX, pszBuffer, pcbSize);
        if (nResult >= 0)
            return nResult;
    }
    return pfnGet(pDevMode, pszBuffer, pcbSize);
}

static int SelectIndexedText(const DriverDevMode *pDevMode, int nProfile, int nId, IndexedTextGetter pfnGet,
                             WCHAR *pszBuffer, DWORD *pcbSize, int nIndex)
{
    if (!pcbSize)
        return 0;
    if (UseProfile(pDevMode)) {
        int nResult = ProfileText(pDevMode, nProfile, nId, nIndex, pszBuffer, pcbSize);
        if (nResult >= 0)
            return nResult;
    }
    return pfnGet(pDevMode, pszBuffer, pcbSize, nIndex);
}

/* Fills an accessor's own buffer from the profile or from a block field. */
static const WCHAR *SelectBuffer(const DriverDevMode *pDevMode, int nProfile, int nId, FieldGetter pfnGet,
                                 WCHAR *pszOwn)
{
    memset(pszOwn, 0, SELECT_BUFFER_CCH * sizeof(WCHAR));
    if (UseProfile(pDevMode)) {
        /* A stored text that fills the buffer without a terminator is no
         * path: it counts as unreadable. */
        DWORD cbSize = SELECT_BUFFER_CCH * sizeof(WCHAR);
        if (ReadProfileString(pDevMode, nId, nProfile, pszOwn, &cbSize) && pszOwn[SELECT_BUFFER_CCH - 1] == 0)
            return pszOwn;
        memset(pszOwn, 0, SELECT_BUFFER_CCH * sizeof(WCHAR));
    }
    const WCHAR *pszField = pDevMode ? pfnGet(pDevMode) : NULL;
    for (int i = 0; pszField && i < SELECT_BUFFER_CCH - 1 && pszField[i]; i++)
        pszOwn[i] = pszField[i];
    return pszOwn;
}

/* ---- file output ---- */

DWORD SelectFileFormat(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectValue(pDevMode, nProfile, PD_FILE_FORMAT, DevMode_GetFileFormat);
}

int SelectOpenInDefaultViewer(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectFlag(pDevMode, nProfile, PD_OPEN_IN_DEFAULT_VIEWER, GetPostPrintViewInDefaultViewer);
}

int SelectOpenOutputFolder(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectFlag(pDevMode, nProfile, PD_OPEN_OUTPUT_FOLDER, GetPostPrintOpenOutputFolder);
}

int SelectAllPagesInOneFile(const DriverDevMode *pDevMode, int nProfile)
{
    if (UseProfile(pDevMode)) {
        /* The profile stores the opposite sense. */
        DWORD dwValue = 0;
        return (ReadProfileDword(pDevMode, PD_SAVE_EACH_PAGE_SEPARATELY, nProfile, &dwValue) && dwValue == 0) ? 1 : 0;
    }
    return DevMode_IsFlagMultipage(pDevMode) ? 1 : 0;
}

int SelectAppendFile(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectFlag(pDevMode, nProfile, PD_APPEND_FILE, DevMode_IsFlagAppendFile);
}

DWORD SelectColorDepth(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectValue(pDevMode, nProfile, PD_COLOR_DEPTH, DevMode_GetColorDepth);
}

DWORD SelectBitsPerPixel(const DriverDevMode *pDevMode, int nProfile)
{
    if (!UseProfile(pDevMode))
        return DevMode_GetBitsPerPixel(pDevMode);
    DWORD dwCode = SelectColorDepth(pDevMode, nProfile);
    if (dwCode == DM_COLOR_GRAY8 || dwCode == DM_COLOR_COLOR8)
        return 8;
    return dwCode == DM_COLOR_COLOR24 ? 24 : 1;
}

DWORD SelectJpegLossRatio(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectValue(pDevMode, nProfile, PD_JPEG_LOSS_RATIO, DevMode_GetLossRatio);
}

int SelectTiffInternet(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectFlag(pDevMode, nProfile, PD_TIFF_INTERNET, DevMode_IsFlagTiffInternet);
}

int SelectTiffReverseBitOrder(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectFlag(pDevMode, nProfile, PD_TIFF_REVERSE_BIT_ORDER, DevMode_IsFlagTiffReverseBitOrder);
}

int SelectTiffPageNumberTag(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectFlag(pDevMode, nProfile, PD_TIFF_PAGE_NUMBER_TAG, DevMode_IsFlagTiffPageNumberTag);
}

static DWORD WholePdfFlags(const DriverDevMode *pDevMode)
{
    return DevMode_GetPDFFlags(pDevMode);
}

DWORD SelectImagePdfCompression(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectValue(pDevMode, nProfile, PD_IMAGE_PDF_COMPRESSION, WholePdfFlags);
}

const WCHAR *SelectOutputPath(const DriverDevMode *pDevMode, int nProfile)
{
    static WCHAR s_szOutputPath[SELECT_BUFFER_CCH];
    return SelectBuffer(pDevMode, nProfile, PS_OUTPUT_PATH, DevMode_GetOutputDirectory, s_szOutputPath);
}

/* ---- PDF and HTML ---- */

#define SELECT_INT(Name, Id, Getter)                                                   \
    int Select##Name(const DriverDevMode *pDevMode, int nProfile, int *pnValue)        \
    {                                                                                  \
        return SelectInt(pDevMode, nProfile, Id, Getter, pnValue);                     \
    }

#define SELECT_TEXT(Name, Id, Getter)                                                  \
    int Select##Name(const DriverDevMode *pDevMode, int nProfile, WCHAR *pszBuffer, DWORD *pcbSize) \
    {                                                                                  \
        return SelectText(pDevMode, nProfile, Id, Getter, pszBuffer, pcbSize);         \
    }

#define SELECT_INDEXED_TEXT(Name, Id, Getter)                                          \
    int Select##Name(const DriverDevMode *pDevMode, int nProfile, WCHAR *pszBuffer, DWORD *pcbSize, int nIndex) \
    {                                                                                  \
        return SelectIndexedText(pDevMode, nProfile, Id, Getter, pszBuffer, pcbSize, nIndex); \
    }

SELECT_INT(PdfEncryption, PD_PDF_ENCRYPTION, GetPdfDocumentEncryption)
SELECT_INT(PdfSecurityFlags, PD_PDF_SECURITY_FLAGS, GetPdfDocumentSecurityFlag)
SELECT_INT(PdfStreamCompression, PD_PDF_STREAM_COMPRESSION, GetPdfStreamCompression)
SELECT_INT(PdfColorImageCompression, PD_PDF_COLOR_IMAGE_COMPRESSION, GetPdfColorImageCompression)
SELECT_INT(PdfMonoImageCompression, PD_PDF_MONO_IMAGE_COMPRESSION, GetPdfMonoImageCompression)
SELECT_INT(PdfJpegQuality, PD_PDF_JPEG_QUALITY, GetPdfJpegQuality)
SELECT_INT(PdfEmbedAllFonts, PD_PDF_EMBED_FONTS, GetPdfEmbedAllFonts)
SELECT_INT(PdfEmbedLicensedFonts, PD_PDF_EMBED_LICENSED_FONTS, GetPdfEmbedLicensedFonts)
SELECT_INT(PdfEmbedAdobeFonts, PD_PDF_EMBED_ADOBE_FONTS, GetPdfEmbedAdobeFonts)
SELECT_INT(PdfEmbedWindowsFonts, PD_PDF_EMBED_WINDOWS_FONTS, GetPdfEmbedWindowsFonts)
SELECT_INT(PdfCreateSubset, PD_PDF_CREATE_SUBSET, GetPdfCreateSubset)
SELECT_INT(PdfForceFontCount, PD_PDF_FORCE_FONT_COUNT, GetPdfForceFontCount)
SELECT_INT(PdfForbidFontCount, PD_PDF_FORBID_FONT_COUNT, GetPdfForbidFontCount)
SELECT_TEXT(PdfTitle, PS_PDF_TITLE, GetPdfDocumentTitle)
SELECT_TEXT(PdfAuthor, PS_PDF_AUTHOR, GetPdfDocumentAuthor)
SELECT_TEXT(PdfSubject, PS_PDF_SUBJECT, GetPdfDocumentSubject)
SELECT_TEXT(PdfKeywords, PS_PDF_KEYWORDS, GetPdfDocumentKeywords)
SELECT_TEXT(PdfUserPassword, PS_PDF_USER_PASSWORD, GetPdfUserPassword)
SELECT_TEXT(PdfOwnerPassword, PS_PDF_OWNER_PASSWORD, GetPdfOwnerPassword)
SELECT_INDEXED_TEXT(PdfForceFont, PS_PDF_FORCE_FONT, GetPdfForceFont)
SELECT_INDEXED_TEXT(PdfForbidFont, PS_PDF_FORBID_FONT, GetPdfForbidFont)

SELECT_INT(HtmlPageSizeSetting, PD_HTML_VIEW_TYPE, GetHtmlPageSizeSetting)
SELECT_INT(HtmlCssSettings, PD_HTML_CSS_SETTINGS, GetHtmlCssSettings)
SELECT_INT(HtmlSeparatePages, PD_HTML_SEPARATE_PAGES, GetHtmlSeparatePages)
SELECT_INT(HtmlVectorGraphicsDisplayMode, PD_HTML_DISPLAY_MODE, GetHtmlVectorGraphicsDisplayMode)
SELECT_INT(HtmlEmbedAllFonts, PD_HTML_EMBED_FONTS, GetHtmlEmbedAllFonts)
SELECT_INT(HtmlEmbedLicensedFonts, PD_HTML_EMBED_LICENSED_FONTS, GetHtmlEmbedLicensedFonts)
SELECT_INT(HtmlCreateSubset, PD_HTML_CREATE_SUBSET, GetHtmlCreateSubset)
SELECT_INT(HtmlForceFontCount, PD_HTML_FORCE_FONT_COUNT, GetHtmlForceFontCount)
SELECT_INT(HtmlForbidFontCount, PD_HTML_FORBID_FONT_COUNT, GetHtmlForbidFontCount)
SELECT_TEXT(HtmlOutputFolder, PS_HTML_OUTPUT_FOLDER, GetHtmlOutputDirectory)
SELECT_INDEXED_TEXT(HtmlForceFont, PS_HTML_FORCE_FONT, GetHtmlForceFont)
SELECT_INDEXED_TEXT(HtmlForbidFont, PS_HTML_FORBID_FONT, GetHtmlForbidFont)

/* ---- redirect printing, post-print actions ---- */

int SelectRedirectPrinting(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectFlag(pDevMode, nProfile, PD_REDIRECT_PRINTING, DevMode_IsFlagRedirectPrinting);
}

int SelectSendInEmail(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectFlag(pDevMode, nProfile, PD_SEND_IN_EMAIL, GetPostPrintSendInEmail);
}

int SelectUploadToSharePoint(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectFlag(pDevMode, nProfile, PD_UPLOAD_TO_SHAREPOINT, GetSharePointUpload);
}

/* ---- watermark ---- */

static DWORD PrintWatermarkFlag(const DriverDevMode *pDevMode)
{
    return DevMode_IsWmfPrintWatermark(pDevMode) ? 1 : 0;
}

DWORD SelectPrintWatermark(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectValue(pDevMode, nProfile, PD_PRINT_WATERMARK, PrintWatermarkFlag);
}

int SelectWatermarkFirstPageOnly(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectFlag(pDevMode, nProfile, PD_WATERMARK_FIRST_PAGE_ONLY, DevMode_IsWmfFirstPageOnly);
}

int SelectWatermarkPStretchToWidth(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectFlag(pDevMode, nProfile, PD_WATERMARK_P_STRETCH_TO_WIDTH, DevMode_IsWmfPStretchToWidth);
}

int SelectWatermarkPStretchToFit(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectFlag(pDevMode, nProfile, PD_WATERMARK_P_STRETCH_TO_FIT, DevMode_IsWmfPStretchToFit);
}

int SelectWatermarkPTile(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectFlag(pDevMode, nProfile, PD_WATERMARK_P_TILE, DevMode_IsWmfPTile);
}

int SelectWatermarkLStretchToWidth(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectFlag(pDevMode, nProfile, PD_WATERMARK_L_STRETCH_TO_WIDTH, DevMode_IsWmfLStretchToWidth);
}

int SelectWatermarkLStretchToFit(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectFlag(pDevMode, nProfile, PD_WATERMARK_L_STRETCH_TO_FIT, DevMode_IsWmfLStretchToFit);
}

int SelectWatermarkLTile(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectFlag(pDevMode, nProfile, PD_WATERMARK_L_TILE, DevMode_IsWmfLTile);
}

DWORD SelectFirstImagePosition(const DriverDevMode *pDevMode, int nProfile, int bPortrait)
{
    DWORD dwValue = 0;
    int nId = bPortrait ? PD_WATERMARK_P_FIRST_POSITION : PD_WATERMARK_L_FIRST_POSITION;
    if (UseProfile(pDevMode) && ReadProfileDword(pDevMode, nId, nProfile, &dwValue))
        return dwValue;
    return GetWatermarkFirstImagePosition(pDevMode, bPortrait);
}

int SelectFirstImageEnabled(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectFlag(pDevMode, nProfile, PD_WATERMARK_FIRST_IMAGE_ENABLED, DevMode_IsWmfFirstImage);
}

DWORD SelectWatermarkBrightnessPortrait(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectValue(pDevMode, nProfile, PD_WATERMARK_P_BRIGHTNESS, DevMode_GetWatermarkBrightnessPortrait);
}

DWORD SelectWatermarkBrightnessLandscape(const DriverDevMode *pDevMode, int nProfile)
{
    return SelectValue(pDevMode, nProfile, PD_WATERMARK_L_BRIGHTNESS, DevMode_GetWatermarkBrightnessLandscape);
}

DWORD SelectFirstImageBrightness(const DriverDevMode *pDevMode, int nProfile, int bPortrait)
{
    DWORD dwValue = 0;
    int nId = bPortrait ? PD_WATERMARK_P_FIRST_BRIGHTNESS : PD_WATERMARK_L_FIRST_BRIGHTNESS;
    if (UseProfile(pDevMode) && ReadProfileDword(pDevMode, nId, nProfile, &dwValue))
        return dwValue;
    return GetWatermarkFirstImageBrightness(pDevMode, bPortrait);
}

const WCHAR *SelectWatermarkImagePortrait(const DriverDevMode *pDevMode, int nProfile)
{
    static WCHAR s_szPortrait[SELECT_BUFFER_CCH];
    return SelectBuffer(pDevMode, nProfile, PS_WATERMARK_PORTRAIT_IMAGE, DevMode_GetWatermarkFilePortrait,
                        s_szPortrait);
}

const WCHAR *SelectWatermarkImageLandscape(const DriverDevMode *pDevMode, int nProfile)
{
    static WCHAR s_szLandscape[SELECT_BUFFER_CCH];
    return SelectBuffer(pDevMode, nProfile, PS_WATERMARK_LANDSCAPE_IMAGE, DevMode_GetWatermarkFileLandscape,
                        s_szLandscape);
}

int SelectFirstImage(const DriverDevMode *pDevMode, int nProfile, int bPortrait, WCHAR *pszBuffer, DWORD *pcbSize)
{
    if (!pcbSize)
        return 0;
    if (UseProfile(pDevMode)) {
        int nId = bPortrait ? PS_WATERMARK_PORTRAIT_FIRST_IMAGE : PS_WATERMARK_LANDSCAPE_FIRST_IMAGE;
        int nResult = ProfileText(pDevMode, nProfile, nId, NO_INDEX, pszBuffer, pcbSize);
        if (nResult >= 0)
            return nResult;
    }
    return GetWatermarkFirstImage(pDevMode, bPortrait, pszBuffer, pcbSize);
}
