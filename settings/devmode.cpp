/*
 * Accessors over the driver's device mode. Every field is read and written
 * with memcpy at its byte offset, because the private block is packed and
 * several fields sit at odd offsets.
 */
#include "settings/devmode.h"

#include <limits.h>
#include <string.h>
#include <wchar.h>

namespace {

const BYTE* BytesOf(const DriverDevMode* pDevMode) { return reinterpret_cast<const BYTE*>(pDevMode); }
BYTE* BytesOf(DriverDevMode* pDevMode) { return reinterpret_cast<BYTE*>(pDevMode); }

DWORD ReadDword(const DriverDevMode* pDevMode, size_t nOffset)
{
    DWORD dwValue = 0;
    memcpy(&dwValue, BytesOf(pDevMode) + nOffset, sizeof(dwValue));
    return dwValue;
}

void WriteDword(DriverDevMode* pDevMode, size_t nOffset, DWORD dwValue)
{
    memcpy(BytesOf(pDevMode) + nOffset, &dwValue, sizeof(dwValue));
}

WORD ReadWord(const DriverDevMode* pDevMode, size_t nOffset)
{
    WORD wValue = 0;
    memcpy(&wValue, BytesOf(pDevMode) + nOffset, sizeof(wValue));
    return wValue;
}

void WriteWord(DriverDevMode* pDevMode, size_t nOffset, WORD wValue)
{
    memcpy(BytesOf(pDevMode) + nOffset, &wValue, sizeof(wValue));
}

short ReadShort(const DriverDevMode* pDevMode, size_t nOffset)
{
    short nValue = 0;
    memcpy(&nValue, BytesOf(pDevMode) + nOffset, sizeof(nValue));
    return nValue;
}

void WriteShort(DriverDevMode* pDevMode, size_t nOffset, short nValue)
{
    memcpy(BytesOf(pDevMode) + nOffset, &nValue, sizeof(nValue));
}

LONG ReadLong(const DriverDevMode* pDevMode, size_t nOffset)
{
    LONG nValue = 0;
    memcpy(&nValue, BytesOf(pDevMode) + nOffset, sizeof(nValue));
    return nValue;
}

void WriteLong(DriverDevMode* pDevMode, size_t nOffset, LONG nValue)
{
    memcpy(BytesOf(pDevMode) + nOffset, &nValue, sizeof(nValue));
}

/* Flag words: offset and width (bytes) of each word that has bit accessors. */
struct FlagWord {
    size_t nOffset;
    size_t cbWidth;
};

const FlagWord kFlagsWord = { DMO_FLAGS, 4 };
const FlagWord kWatermarkFlagsWord = { DMO_WATERMARK_FLAGS, 4 };
const FlagWord kAnnotationFlagsWord = { DMO_ANNOTATION_FLAGS, 4 };
const FlagWord kLaunchFlagsWord = { DMO_LAUNCH_FLAGS, 4 };
const FlagWord kPDFFlagsWord = { DMO_PDF_FLAGS, 2 };

DWORD ReadFlagWord(const DriverDevMode* pDevMode, const FlagWord& word)
{
    return word.cbWidth == 2 ? ReadWord(pDevMode, word.nOffset) : ReadDword(pDevMode, word.nOffset);
}

void WriteFlagWord(DriverDevMode* pDevMode, const FlagWord& word, DWORD dwValue)
{
    if (word.cbWidth == 2)
        WriteWord(pDevMode, word.nOffset, static_cast<WORD>(dwValue));
    else
        WriteDword(pDevMode, word.nOffset, dwValue);
}

/* Query of one bit: nNoBlock without a block; the masked value when bRaw,
   else 1 or 0. */
int QueryBit(const DriverDevMode* pDevMode, const FlagWord& word, DWORD dwMask, int nNoBlock, bool bRaw)
{
    if (pDevMode == NULL)
        return nNoBlock;
    DWORD dwBits = ReadFlagWord(pDevMode, word) & dwMask;
    if (bRaw)
        return static_cast<int>(dwBits);
    return dwBits != 0 ? 1 : 0;
}

void ChangeBit(DriverDevMode* pDevMode, const FlagWord& word, DWORD dwMask, bool bSet)
{
    if (pDevMode == NULL)
        return;
    DWORD dwValue = ReadFlagWord(pDevMode, word);
    dwValue = bSet ? (dwValue | dwMask) : (dwValue & ~dwMask);
    WriteFlagWord(pDevMode, word, dwValue);
}

const WCHAR* StringAt(const DriverDevMode* pDevMode, size_t nOffset)
{
    if (pDevMode == NULL)
        return NULL;
    return reinterpret_cast<const WCHAR*>(BytesOf(pDevMode) + nOffset);
}

/* Stores pszValue in the field at nOffset of cchField characters. A string
   longer than cchMaxLength characters is cut to it when bTruncate, else
   refused (field unchanged, result 0). The rest of the field is zeroed. */
int StoreString(DriverDevMode* pDevMode, size_t nOffset, size_t cchField, size_t cchMaxLength,
                const WCHAR* pszValue, bool bTruncate)
{
    if (pDevMode == NULL || pszValue == NULL || cchMaxLength >= cchField)
        return 0;
    size_t cchValue = wcsnlen(pszValue, cchMaxLength + 1);
    if (cchValue > cchMaxLength) {
        if (!bTruncate)
            return 0;
        cchValue = cchMaxLength;
    }
    BYTE* pField = BytesOf(pDevMode) + nOffset;
    memset(pField, 0, cchField * sizeof(WCHAR));
    memcpy(pField, pszValue, cchValue * sizeof(WCHAR));
    return 1;
}

void TerminateField(DriverDevMode* pDevMode, size_t nOffset, size_t cchField)
{
    const WCHAR chNul = 0;
    memcpy(BytesOf(pDevMode) + nOffset + (cchField - 1) * sizeof(WCHAR), &chNul, sizeof(chNul));
}

} // namespace

/* ---- Size checks and set-up ---------------------------------------- */

int IsDriverDevModeSize(DWORD cbDevMode)
{
    return cbDevMode == DRIVER_DEVMODE_SIZE ? 1 : 0;
}

DriverDevMode* DevMode_FromBuffer(void* pBuffer, DWORD cbBuffer)
{
    if (pBuffer == NULL || !IsDriverDevModeSize(cbBuffer))
        return NULL;
    return static_cast<DriverDevMode*>(pBuffer);
}

const DriverDevMode* DevMode_FromConstBuffer(const void* pBuffer, DWORD cbBuffer)
{
    if (pBuffer == NULL || !IsDriverDevModeSize(cbBuffer))
        return NULL;
    return static_cast<const DriverDevMode*>(pBuffer);
}

void DevMode_Initialize(DriverDevMode* pDevMode)
{
    if (pDevMode == NULL)
        return;
    memset(pDevMode, 0, sizeof(DriverDevMode));
    DEVMODEW stPublic;
    memset(&stPublic, 0, sizeof(stPublic));
    stPublic.dmSpecVersion = DM_SPECVERSION;
    stPublic.dmSize = DRIVER_DEVMODE_PUBLIC_SIZE;
    stPublic.dmDriverExtra = DRIVER_DEVMODE_PRIVATE_SIZE;
    memcpy(pDevMode, &stPublic, sizeof(stPublic));
}

void DevMode_TerminateStrings(DriverDevMode* pDevMode)
{
    if (pDevMode == NULL)
        return;
    static const struct { size_t nOffset; size_t cchField; } kFields[] = {
        { DMO_DEVICE_NAME, DM_CCH_DEVICE_NAME },
        { DMO_APPLICATION_PATH, DM_CCH_PATH },
        { DMO_OUTPUT_DIRECTORY, DM_CCH_PATH },
        { DMO_FIXED_FILE_NAME, DM_CCH_PATH },
        { DMO_FILE_NAME_PREFIX, DM_CCH_FILE_NAME_PREFIX },
        { DMO_FILE_EXTENSION, DM_CCH_FILE_EXTENSION },
        { DMO_RESERVED_STRING1, DM_CCH_PATH },
        { DMO_INI_FILE_NAME, DM_CCH_PATH },
        { DMO_TIFF_LOADER_LIBRARY, DM_CCH_PATH },
        { DMO_JPEG_LOADER_LIBRARY, DM_CCH_PATH },
        { DMO_RESERVED_STRING2, DM_CCH_PATH },
        { DMO_USER_SID, DM_CCH_USER_SID },
        { DMO_WATERMARK_FILE_PORTRAIT, DM_CCH_PATH },
        { DMO_WATERMARK_FILE_LANDSCAPE, DM_CCH_PATH },
        { DMO_ANNOTATION_TEXT, DM_CCH_ANNOTATION },
        { DMO_ANNOTATION_SEPARATOR, DM_CCH_ANNOTATION },
        { DMO_CUSTOM_START_APP_PARAMETER, DM_CCH_CUSTOM_PARAMETER },
    };
    for (const auto& field : kFields)
        TerminateField(pDevMode, field.nOffset, field.cchField);
}

/* ---- Public DEVMODEW fields ------------------------------------------ */

const WCHAR* DevMode_GetDeviceName(const DriverDevMode* pDevMode)
{
    return StringAt(pDevMode, DMO_DEVICE_NAME);
}

int DevMode_SetDeviceName(DriverDevMode* pDevMode, const WCHAR* pszName)
{
    return StoreString(pDevMode, DMO_DEVICE_NAME, DM_CCH_DEVICE_NAME, DM_CCH_DEVICE_NAME - 1, pszName, false);
}

#define DM_SHORT_ACCESSORS(Name, Offset, NoBlock)                                    \
    short DevMode_Get##Name(const DriverDevMode* pDevMode)                           \
    {                                                                                \
        return pDevMode == NULL ? static_cast<short>(NoBlock) : ReadShort(pDevMode, Offset); \
    }                                                                                \
    void DevMode_Set##Name(DriverDevMode* pDevMode, short nValue)                    \
    {                                                                                \
        if (pDevMode != NULL)                                                        \
            WriteShort(pDevMode, Offset, nValue);                                    \
    }

DM_SHORT_ACCESSORS(Orientation, DMO_ORIENTATION, 1)
DM_SHORT_ACCESSORS(PaperSize, DMO_PAPER_SIZE, 1)
DM_SHORT_ACCESSORS(PaperLength, DMO_PAPER_LENGTH, 1)
DM_SHORT_ACCESSORS(PaperWidth, DMO_PAPER_WIDTH, 1)

namespace {

/* Common part of the two resolution conversions: codes -1..-4, other
   negative values negated (the most negative one gives the largest short). */
short ResolutionFromCode(short nValue, short nFaxLow, short nFaxHigh)
{
    switch (nValue) {
    case DMRES_DRAFT:  return 100;
    case DMRES_LOW:    return 200;
    case DMRES_MEDIUM: return 300;
    case DMRES_HIGH:   return 600;
    case -5:           return nFaxLow;
    case -6:           return nFaxHigh;
    default:           break;
    }
    if (nValue >= 0)
        return nValue;
    if (nValue == SHRT_MIN)
        return SHRT_MAX;
    return static_cast<short>(-nValue);
}

} // namespace

short DevMode_XResolutionFromCode(short nValue)
{
    return ResolutionFromCode(nValue, 204, 204);
}

short DevMode_YResolutionFromCode(short nValue)
{
    return ResolutionFromCode(nValue, 98, 196);
}

short DevMode_GetPrintQuality(const DriverDevMode* pDevMode)
{
    return pDevMode == NULL ? 300 : ReadShort(pDevMode, DMO_PRINT_QUALITY);
}

void DevMode_SetPrintQuality(DriverDevMode* pDevMode, short nValue)
{
    if (pDevMode != NULL)
        WriteShort(pDevMode, DMO_PRINT_QUALITY, DevMode_XResolutionFromCode(nValue));
}

short DevMode_GetYResolution(const DriverDevMode* pDevMode)
{
    return pDevMode == NULL ? 300 : ReadShort(pDevMode, DMO_Y_RESOLUTION);
}

void DevMode_SetYResolution(DriverDevMode* pDevMode, short nValue)
{
    if (pDevMode != NULL)
        WriteShort(pDevMode, DMO_Y_RESOLUTION, DevMode_YResolutionFromCode(nValue));
}

DWORD DevMode_GetBitsPerPel(const DriverDevMode* pDevMode)
{
    return pDevMode == NULL ? 0 : ReadDword(pDevMode, DMO_BITS_PER_PEL);
}

/* ---- Numeric fields of the private block ----------------------------- */

/* Plain get and set of a 32-bit field stored unchanged. */
#define DM_DWORD_ACCESSORS(Name, Type, Offset, NoBlock)                              \
    Type DevMode_Get##Name(const DriverDevMode* pDevMode)                            \
    {                                                                                \
        return pDevMode == NULL ? static_cast<Type>(NoBlock)                         \
                                : static_cast<Type>(ReadDword(pDevMode, Offset));    \
    }                                                                                \
    void DevMode_Set##Name(DriverDevMode* pDevMode, Type value)                      \
    {                                                                                \
        if (pDevMode != NULL)                                                        \
            WriteDword(pDevMode, Offset, static_cast<DWORD>(value));                 \
    }

DM_DWORD_ACCESSORS(Flags, DWORD, DMO_FLAGS, 0)
DM_DWORD_ACCESSORS(WatermarkFlags, DWORD, DMO_WATERMARK_FLAGS, 0)
DM_DWORD_ACCESSORS(AnnotationFlags, DWORD, DMO_ANNOTATION_FLAGS, 0)
DM_DWORD_ACCESSORS(LaunchFlags, DWORD, DMO_LAUNCH_FLAGS, 0)
DM_DWORD_ACCESSORS(FAXheader, DWORD, DMO_FAX_HEADER, 0)
DM_DWORD_ACCESSORS(Dithering, DWORD, DMO_DITHERING, 0)
DM_DWORD_ACCESSORS(PaperWidthInPixels, DWORD, DMO_PAPER_WIDTH_IN_PIXELS, 1728)
DM_DWORD_ACCESSORS(PaperHeightInPixels, DWORD, DMO_PAPER_HEIGHT_IN_PIXELS, 2200)
DM_DWORD_ACCESSORS(WatermarkBrightness, DWORD, DMO_WATERMARK_BRIGHTNESS,
                   (DM_WATERMARK_BRIGHTNESS_DEFAULT << 16) | DM_WATERMARK_BRIGHTNESS_DEFAULT)
DM_DWORD_ACCESSORS(AnnotationXOffset, LONG, DMO_ANNOTATION_X_OFFSET, 0)
DM_DWORD_ACCESSORS(AnnotationYOffset, LONG, DMO_ANNOTATION_Y_OFFSET, 0)
DM_DWORD_ACCESSORS(AnnotationColor, COLORREF, DMO_ANNOTATION_COLOR, 0)
DM_DWORD_ACCESSORS(ReservedWord1, DWORD, DMO_RESERVED_WORD1, 0)
DM_DWORD_ACCESSORS(ReservedWord2, DWORD, DMO_RESERVED_WORD2, 0)
DM_DWORD_ACCESSORS(PrinterId, DWORD, DMO_PRINTER_ID, 0)
DM_DWORD_ACCESSORS(ProfileOptions, DWORD, DMO_PROFILE_OPTIONS, 0)

WORD DevMode_GetPDFFlags(const DriverDevMode* pDevMode)
{
    return pDevMode == NULL ? 0 : ReadWord(pDevMode, DMO_PDF_FLAGS);
}

void DevMode_SetPDFFlags(DriverDevMode* pDevMode, WORD wValue)
{
    if (pDevMode != NULL)
        WriteWord(pDevMode, DMO_PDF_FLAGS, wValue);
}

DWORD DevMode_GetFileFormat(const DriverDevMode* pDevMode)
{
    return pDevMode == NULL ? 4 : ReadDword(pDevMode, DMO_FILE_FORMAT);
}

void DevMode_SetFileFormat(DriverDevMode* pDevMode, DWORD dwValue)
{
    if (pDevMode == NULL)
        return;
    if (dwValue > DM_FILE_FORMAT_MAX)
        dwValue = DM_FILE_FORMAT_FALLBACK;
    WriteDword(pDevMode, DMO_FILE_FORMAT, dwValue);
}

DWORD DevMode_GetColorDepth(const DriverDevMode* pDevMode)
{
    if (pDevMode == NULL)
        return DM_COLOR_MONOCHROME;
    DWORD dwValue = ReadDword(pDevMode, DMO_COLOR_DEPTH);
    return dwValue > DM_COLOR_DEPTH_MAX ? DM_COLOR_DEPTH_MAX : dwValue;
}

void DevMode_SetColorDepth(DriverDevMode* pDevMode, DWORD dwValue)
{
    if (pDevMode == NULL)
        return;
    if (dwValue > DM_COLOR_DEPTH_MAX)
        dwValue = DM_COLOR_DEPTH_MAX;
    WriteDword(pDevMode, DMO_COLOR_DEPTH, dwValue);
    WriteDword(pDevMode, DMO_BITS_PER_PEL, dwValue == DM_COLOR_MONOCHROME ? 1 : 24);
}

DWORD DevMode_BitsPerPixelFromColorDepth(DWORD dwColorDepth)
{
    switch (dwColorDepth) {
    case DM_COLOR_MONOCHROME: return 1;
    case DM_COLOR_GRAY8:
    case DM_COLOR_COLOR8:     return 8;
    default:                  return 24;
    }
}

DWORD DevMode_GetBitsPerPixel(const DriverDevMode* pDevMode)
{
    return DevMode_BitsPerPixelFromColorDepth(DevMode_GetColorDepth(pDevMode));
}

DWORD DevMode_GetLossRatio(const DriverDevMode* pDevMode)
{
    if (pDevMode == NULL)
        return 0;
    DWORD dwValue = ReadDword(pDevMode, DMO_LOSS_RATIO);
    if (dwValue < 1)
        return 1;
    return dwValue > DM_LOSS_RATIO_MAX ? DM_LOSS_RATIO_MAX : dwValue;
}

void DevMode_SetLossRatio(DriverDevMode* pDevMode, DWORD dwValue)
{
    if (pDevMode != NULL)
        WriteDword(pDevMode, DMO_LOSS_RATIO, dwValue > DM_LOSS_RATIO_MAX ? DM_LOSS_RATIO_MAX : dwValue);
}

DWORD DevMode_GetBrightness(const DriverDevMode* pDevMode)
{
    if (pDevMode == NULL)
        return 0;
    DWORD dwValue = ReadDword(pDevMode, DMO_BRIGHTNESS);
    return dwValue > DM_BRIGHTNESS_MAX ? DM_BRIGHTNESS_MAX : dwValue;
}

void DevMode_SetBrightness(DriverDevMode* pDevMode, DWORD dwValue)
{
    if (pDevMode != NULL)
        WriteDword(pDevMode, DMO_BRIGHTNESS, dwValue);
}

DWORD DevMode_GetFileNameGenerationFlags(const DriverDevMode* pDevMode)
{
    if (pDevMode == NULL)
        return 0;
    DWORD dwValue = ReadDword(pDevMode, DMO_FILE_NAME_GENERATION_FLAGS);
    return dwValue > DM_FILE_NAME_GENERATION_MAX ? 0 : dwValue;
}

void DevMode_SetFileNameGenerationFlags(DriverDevMode* pDevMode, DWORD dwValue)
{
    if (pDevMode != NULL)
        WriteDword(pDevMode, DMO_FILE_NAME_GENERATION_FLAGS, dwValue > DM_FILE_NAME_GENERATION_MAX ? 0 : dwValue);
}

int DevMode_GetSessionID(const DriverDevMode* pDevMode, DWORD* pdwValue)
{
    if (pDevMode == NULL || pdwValue == NULL)
        return 0;
    *pdwValue = ReadDword(pDevMode, DMO_SESSION_ID);
    return 1;
}

int DevMode_SetSessionID(DriverDevMode* pDevMode, DWORD dwValue)
{
    if (pDevMode == NULL)
        return 0;
    WriteDword(pDevMode, DMO_SESSION_ID, dwValue);
    return 1;
}

DWORD DevMode_GetWatermarkBrightnessPortrait(const DriverDevMode* pDevMode)
{
    if (pDevMode == NULL)
        return DM_WATERMARK_BRIGHTNESS_DEFAULT;
    DWORD dwValue = ReadDword(pDevMode, DMO_WATERMARK_BRIGHTNESS) >> 16;
    if (dwValue == 0 || dwValue > DM_WATERMARK_BRIGHTNESS_MAX)
        return DM_WATERMARK_BRIGHTNESS_DEFAULT;
    return dwValue;
}

void DevMode_SetWatermarkBrightnessPortrait(DriverDevMode* pDevMode, DWORD dwValue)
{
    if (pDevMode == NULL || dwValue > DM_WATERMARK_BRIGHTNESS_MAX)
        return;
    DWORD dwWord = ReadDword(pDevMode, DMO_WATERMARK_BRIGHTNESS);
    WriteDword(pDevMode, DMO_WATERMARK_BRIGHTNESS, (dwWord & 0xFFFFu) | ((dwValue & 0xFFFFu) << 16));
}

DWORD DevMode_GetWatermarkBrightnessLandscape(const DriverDevMode* pDevMode)
{
    if (pDevMode == NULL)
        return DM_WATERMARK_BRIGHTNESS_DEFAULT;
    DWORD dwValue = ReadDword(pDevMode, DMO_WATERMARK_BRIGHTNESS) & 0xFFFFu;
    return dwValue > DM_WATERMARK_BRIGHTNESS_MAX ? DM_WATERMARK_BRIGHTNESS_DEFAULT : dwValue;
}

void DevMode_SetWatermarkBrightnessLandscape(DriverDevMode* pDevMode, DWORD dwValue)
{
    if (pDevMode == NULL || dwValue > DM_WATERMARK_BRIGHTNESS_MAX)
        return;
    DWORD dwWord = ReadDword(pDevMode, DMO_WATERMARK_BRIGHTNESS);
    WriteDword(pDevMode, DMO_WATERMARK_BRIGHTNESS, (dwWord & 0xFFFF0000u) | (dwValue & 0xFFFFu));
}

LONG DevMode_GetAnnotationRotation(const DriverDevMode* pDevMode)
{
    return pDevMode == NULL ? 0 : ReadLong(pDevMode, DMO_ANNOTATION_ROTATION);
}

void DevMode_SetAnnotationRotation(DriverDevMode* pDevMode, LONG nValue)
{
    if (pDevMode != NULL && nValue >= DM_ROTATION_MIN && nValue <= DM_ROTATION_MAX)
        WriteLong(pDevMode, DMO_ANNOTATION_ROTATION, nValue);
}

void DevMode_GetAnnotationFont(const DriverDevMode* pDevMode, LOGFONTW* pLogFont)
{
    if (pLogFont == NULL)
        return;
    if (pDevMode == NULL)
        memset(pLogFont, 0, sizeof(LOGFONTW));
    else
        memcpy(pLogFont, BytesOf(pDevMode) + DMO_ANNOTATION_FONT, sizeof(LOGFONTW));
}

void DevMode_SetAnnotationFont(DriverDevMode* pDevMode, const LOGFONTW* pLogFont)
{
    if (pDevMode != NULL && pLogFont != NULL)
        memcpy(BytesOf(pDevMode) + DMO_ANNOTATION_FONT, pLogFont, sizeof(LOGFONTW));
}

int DevMode_GetStartApplicationParameterOrder(const DriverDevMode* pDevMode, int nIndex)
{
    if (pDevMode == NULL || nIndex < 0 || nIndex >= DM_PARAMETER_ORDER_COUNT)
        return 0;
    return ReadWord(pDevMode, DMO_START_APP_PARAMETER_ORDER + static_cast<size_t>(nIndex) * sizeof(WORD));
}

void DevMode_SetStartApplicationParameterOrder(DriverDevMode* pDevMode, int nIndex, int nDigit)
{
    if (pDevMode == NULL || nIndex < 0 || nIndex >= DM_PARAMETER_ORDER_COUNT || nDigit < 0 || nDigit > 9)
        return;
    WriteWord(pDevMode, DMO_START_APP_PARAMETER_ORDER + static_cast<size_t>(nIndex) * sizeof(WORD),
              static_cast<WORD>(nDigit));
}

BYTE DevMode_GetSelectedBatesFormat(const DriverDevMode* pDevMode)
{
    return pDevMode == NULL ? 0 : BytesOf(pDevMode)[DMO_SELECTED_BATES_FORMAT];
}

void DevMode_SetSelectedBatesFormat(DriverDevMode* pDevMode, BYTE nValue)
{
    if (pDevMode != NULL)
        BytesOf(pDevMode)[DMO_SELECTED_BATES_FORMAT] = nValue;
}

/* ---- String fields ---------------------------------------------------- */

/* Pointer getter and refusing setter of a string field. */
#define DM_STRING_ACCESSORS(Name, Offset, CchField, CchMaxLength, Truncate)         \
    const WCHAR* DevMode_Get##Name(const DriverDevMode* pDevMode)                   \
    {                                                                               \
        return StringAt(pDevMode, Offset);                                          \
    }                                                                               \
    int DevMode_Set##Name(DriverDevMode* pDevMode, const WCHAR* pszValue)           \
    {                                                                               \
        return StoreString(pDevMode, Offset, CchField, CchMaxLength, pszValue, Truncate); \
    }

DM_STRING_ACCESSORS(ApplicationPath, DMO_APPLICATION_PATH, DM_CCH_PATH, DM_CCH_PATH - 1, false)
DM_STRING_ACCESSORS(OutputDirectory, DMO_OUTPUT_DIRECTORY, DM_CCH_PATH, DM_CCH_PATH - 1, false)
DM_STRING_ACCESSORS(FixedFileName, DMO_FIXED_FILE_NAME, DM_CCH_PATH, DM_CCH_PATH - 1, false)
DM_STRING_ACCESSORS(FileNamePrefix, DMO_FILE_NAME_PREFIX, DM_CCH_FILE_NAME_PREFIX, 7, false)
DM_STRING_ACCESSORS(FileExtension, DMO_FILE_EXTENSION, DM_CCH_FILE_EXTENSION, DM_CCH_FILE_EXTENSION - 1, false)
DM_STRING_ACCESSORS(ReservedString1, DMO_RESERVED_STRING1, DM_CCH_PATH, DM_CCH_PATH - 1, false)
DM_STRING_ACCESSORS(INIFileName, DMO_INI_FILE_NAME, DM_CCH_PATH, DM_CCH_PATH - 1, false)
DM_STRING_ACCESSORS(TiffLoaderLibrary, DMO_TIFF_LOADER_LIBRARY, DM_CCH_PATH, DM_CCH_PATH - 1, false)
DM_STRING_ACCESSORS(JpegLoaderLibrary, DMO_JPEG_LOADER_LIBRARY, DM_CCH_PATH, DM_CCH_PATH - 1, false)
DM_STRING_ACCESSORS(ReservedString2, DMO_RESERVED_STRING2, DM_CCH_PATH, DM_CCH_PATH - 1, false)
DM_STRING_ACCESSORS(UserSid, DMO_USER_SID, DM_CCH_USER_SID, DM_CCH_USER_SID - 1, false)
DM_STRING_ACCESSORS(WatermarkFilePortrait, DMO_WATERMARK_FILE_PORTRAIT, DM_CCH_PATH, DM_CCH_PATH - 1, false)
DM_STRING_ACCESSORS(WatermarkFileLandscape, DMO_WATERMARK_FILE_LANDSCAPE, DM_CCH_PATH, DM_CCH_PATH - 1, false)
DM_STRING_ACCESSORS(AnnotationText, DMO_ANNOTATION_TEXT, DM_CCH_ANNOTATION, DM_CCH_ANNOTATION - 1, true)
DM_STRING_ACCESSORS(AnnotationSeparator, DMO_ANNOTATION_SEPARATOR, DM_CCH_ANNOTATION, DM_CCH_ANNOTATION - 1, true)

int DevMode_GetCustomStartApplicationParameter(const DriverDevMode* pDevMode, WCHAR* pszOut, DWORD cchOut)
{
    if (pDevMode == NULL || pszOut == NULL)
        return 0;
    const BYTE* pField = BytesOf(pDevMode) + DMO_CUSTOM_START_APP_PARAMETER;
    size_t cchValue = 0;
    while (cchValue < DM_CCH_CUSTOM_PARAMETER - 1) {
        WCHAR ch = 0;
        memcpy(&ch, pField + cchValue * sizeof(WCHAR), sizeof(ch));
        if (ch == 0)
            break;
        ++cchValue;
    }
    if (cchOut < cchValue + 1)
        return 0;
    memcpy(pszOut, pField, cchValue * sizeof(WCHAR));
    pszOut[cchValue] = 0;
    return 1;
}

int DevMode_SetCustomStartApplicationParameter(DriverDevMode* pDevMode, const WCHAR* pszValue)
{
    return StoreString(pDevMode, DMO_CUSTOM_START_APP_PARAMETER, DM_CCH_CUSTOM_PARAMETER,
                       DM_CCH_CUSTOM_PARAMETER - 1, pszValue, false);
}

/* ---- Flag bits ---------------------------------------------------------- */

/* Query, set and clear of one bit of one flag word. */
#define DM_FLAG_ACCESSORS(Stem, WordName, Mask, NoBlock, Raw)                           \
    int DevMode_Is##Stem(const DriverDevMode* pDevMode)                             \
    {                                                                               \
        return QueryBit(pDevMode, k##WordName##Word, Mask, NoBlock, Raw != 0);          \
    }                                                                               \
    void DevMode_Set##Stem(DriverDevMode* pDevMode)                                 \
    {                                                                               \
        ChangeBit(pDevMode, k##WordName##Word, Mask, true);                             \
    }                                                                               \
    void DevMode_Clear##Stem(DriverDevMode* pDevMode)                               \
    {                                                                               \
        ChangeBit(pDevMode, k##WordName##Word, Mask, false);                            \
    }

/* Flags */
DM_FLAG_ACCESSORS(FlagTiffInternet, Flags, FLAG_TIFF_INTERNET, 1, 0)
DM_FLAG_ACCESSORS(FlagTiffPageNumberTag, Flags, FLAG_TIFF_PAGE_NUMBER_TAG, 1, 1)
DM_FLAG_ACCESSORS(FlagTiffReverseBitOrder, Flags, FLAG_TIFF_REVERSE_BIT_ORDER, 1, 0)
DM_FLAG_ACCESSORS(FlagMultipage, Flags, FLAG_MULTIPAGE, 1, 0)
DM_FLAG_ACCESSORS(FlagMultipageAlt, Flags, FLAG_MULTIPAGE, 1, 1)
DM_FLAG_ACCESSORS(FlagBit6, Flags, FLAG_BIT6, 1, 0)
DM_FLAG_ACCESSORS(FlagBit7, Flags, FLAG_BIT7, 1, 0)
DM_FLAG_ACCESSORS(FlagBit7Alt, Flags, FLAG_BIT7, 1, 0)
DM_FLAG_ACCESSORS(FlagBit8, Flags, FLAG_BIT8, 1, 0)
DM_FLAG_ACCESSORS(FlagBit9, Flags, FLAG_BIT9, 1, 0)
DM_FLAG_ACCESSORS(FlagBit10, Flags, FLAG_BIT10, 1, 0)
DM_FLAG_ACCESSORS(FlagBit11, Flags, FLAG_BIT11, 1, 0)
DM_FLAG_ACCESSORS(FlagBit13, Flags, FLAG_BIT13, 1, 0)
DM_FLAG_ACCESSORS(FlagBit14, Flags, FLAG_BIT14, 1, 0)
DM_FLAG_ACCESSORS(FlagBit15, Flags, FLAG_BIT15, 1, 0)
DM_FLAG_ACCESSORS(FlagBit16, Flags, FLAG_BIT16, 1, 0)
DM_FLAG_ACCESSORS(FlagBit18, Flags, FLAG_BIT18, 1, 0)
DM_FLAG_ACCESSORS(FlagBit19, Flags, FLAG_BIT19, 1, 0)
DM_FLAG_ACCESSORS(FlagAppendFile, Flags, FLAG_APPEND_FILE, 1, 0)
DM_FLAG_ACCESSORS(FlagBit21, Flags, FLAG_BIT21, 1, 0)
DM_FLAG_ACCESSORS(FlagBit22, Flags, FLAG_BIT22, 1, 0)
DM_FLAG_ACCESSORS(FlagBit23, Flags, FLAG_BIT23, 1, 0)
DM_FLAG_ACCESSORS(FlagBit24, Flags, FLAG_BIT24, 1, 0)
DM_FLAG_ACCESSORS(FlagRedirectPrinting, Flags, FLAG_REDIRECT_PRINTING, 1, 0)
DM_FLAG_ACCESSORS(FlagBit26, Flags, FLAG_BIT26, 1, 0)
DM_FLAG_ACCESSORS(FlagBatesNumbering, Flags, FLAG_BATES_NUMBERING, 1, 0)
DM_FLAG_ACCESSORS(FlagBit28, Flags, FLAG_BIT28, 0, 0)
DM_FLAG_ACCESSORS(FlagBit29, Flags, FLAG_BIT29, 0, 0)
DM_FLAG_ACCESSORS(FlagBit30, Flags, FLAG_BIT30, 0, 0)
DM_FLAG_ACCESSORS(FlagUseProfile, Flags, FLAG_USE_PROFILE, 0, 0)

/* WatermarkFlags */
DM_FLAG_ACCESSORS(WmfPrintWatermark, WatermarkFlags, WMF_PRINT_WATERMARK, 1, 0)
DM_FLAG_ACCESSORS(WmfFirstPageOnly, WatermarkFlags, WMF_FIRST_PAGE_ONLY, 1, 0)
DM_FLAG_ACCESSORS(WmfPStretchToFit, WatermarkFlags, WMF_P_STRETCH_TO_FIT, 1, 0)
DM_FLAG_ACCESSORS(WmfPStretchToWidth, WatermarkFlags, WMF_P_STRETCH_TO_WIDTH, 1, 0)
DM_FLAG_ACCESSORS(WmfPBit4, WatermarkFlags, WMF_P_BIT4, 1, 0)
DM_FLAG_ACCESSORS(WmfPTile, WatermarkFlags, WMF_P_TILE, 1, 0)
DM_FLAG_ACCESSORS(WmfLStretchToFit, WatermarkFlags, WMF_L_STRETCH_TO_FIT, 1, 0)
DM_FLAG_ACCESSORS(WmfLStretchToWidth, WatermarkFlags, WMF_L_STRETCH_TO_WIDTH, 1, 0)
DM_FLAG_ACCESSORS(WmfLBit8, WatermarkFlags, WMF_L_BIT8, 1, 0)
DM_FLAG_ACCESSORS(WmfLTile, WatermarkFlags, WMF_L_TILE, 1, 0)
DM_FLAG_ACCESSORS(WmfFirstImage, WatermarkFlags, WMF_FIRST_IMAGE, 0, 0)

/* AnnotationFlags */
DM_FLAG_ACCESSORS(AnfEnabled, AnnotationFlags, ANF_ENABLED, 1, 0)
DM_FLAG_ACCESSORS(AnfText, AnnotationFlags, ANF_TEXT, 1, 0)
DM_FLAG_ACCESSORS(AnfDate, AnnotationFlags, ANF_DATE, 1, 0)
DM_FLAG_ACCESSORS(AnfDateMdy, AnnotationFlags, ANF_DATE_MDY, 1, 0)
DM_FLAG_ACCESSORS(AnfDateMdyShort, AnnotationFlags, ANF_DATE_MDY_SHORT, 1, 0)
DM_FLAG_ACCESSORS(AnfDateDmy, AnnotationFlags, ANF_DATE_DMY, 1, 0)
DM_FLAG_ACCESSORS(AnfDateDMonY, AnnotationFlags, ANF_DATE_D_MON_Y, 1, 0)
DM_FLAG_ACCESSORS(AnfDateYmd, AnnotationFlags, ANF_DATE_YMD, 1, 0)
DM_FLAG_ACCESSORS(AnfDateJulian, AnnotationFlags, ANF_DATE_JULIAN, 1, 0)
DM_FLAG_ACCESSORS(AnfTime, AnnotationFlags, ANF_TIME, 1, 0)
DM_FLAG_ACCESSORS(AnfTime12h, AnnotationFlags, ANF_TIME_12H, 1, 0)
DM_FLAG_ACCESSORS(AnfTime24h, AnnotationFlags, ANF_TIME_24H, 1, 0)
DM_FLAG_ACCESSORS(AnfTimeMinutes, AnnotationFlags, ANF_TIME_MINUTES, 1, 0)
DM_FLAG_ACCESSORS(AnfTimeSeconds, AnnotationFlags, ANF_TIME_SECONDS, 1, 0)
DM_FLAG_ACCESSORS(AnfTimeZone, AnnotationFlags, ANF_TIME_ZONE, 1, 0)
DM_FLAG_ACCESSORS(AnfTransparent, AnnotationFlags, ANF_TRANSPARENT, 1, 0)
DM_FLAG_ACCESSORS(AnfBit16, AnnotationFlags, ANF_BIT16, 1, 0)
DM_FLAG_ACCESSORS(AnfBit17, AnnotationFlags, ANF_BIT17, 1, 0)
DM_FLAG_ACCESSORS(AnfPosTopRight, AnnotationFlags, ANF_POS_TOP_RIGHT, 1, 0)
DM_FLAG_ACCESSORS(AnfPosCenter, AnnotationFlags, ANF_POS_CENTER, 1, 0)
DM_FLAG_ACCESSORS(AnfPosBottomLeft, AnnotationFlags, ANF_POS_BOTTOM_LEFT, 1, 0)
DM_FLAG_ACCESSORS(AnfPosBottomRight, AnnotationFlags, ANF_POS_BOTTOM_RIGHT, 1, 0)
DM_FLAG_ACCESSORS(AnfUnitsTenthMm, AnnotationFlags, ANF_UNITS_TENTH_MM, 1, 0)
DM_FLAG_ACCESSORS(AnfUnitsHundredthInch, AnnotationFlags, ANF_UNITS_HUNDREDTH_INCH, 1, 0)
DM_FLAG_ACCESSORS(AnfBit24, AnnotationFlags, ANF_BIT24, 1, 0)

/* LaunchFlags */
DM_FLAG_ACCESSORS(LnfBit0, LaunchFlags, LNF_BIT0, 1, 0)
DM_FLAG_ACCESSORS(LnfBit1, LaunchFlags, LNF_BIT1, 1, 0)
DM_FLAG_ACCESSORS(LnfBit2, LaunchFlags, LNF_BIT2, 1, 0)
DM_FLAG_ACCESSORS(LnfBit3, LaunchFlags, LNF_BIT3, 1, 0)
DM_FLAG_ACCESSORS(LnfBit4, LaunchFlags, LNF_BIT4, 1, 0)
DM_FLAG_ACCESSORS(LnfBit5, LaunchFlags, LNF_BIT5, 1, 0)
DM_FLAG_ACCESSORS(LnfBit6, LaunchFlags, LNF_BIT6, 1, 0)

/* PDFFlags */
DM_FLAG_ACCESSORS(PdffBit5, PDFFlags, PDFF_BIT5, 1, 0)
DM_FLAG_ACCESSORS(PdffBit6, PDFFlags, PDFF_BIT6, 1, 0)
DM_FLAG_ACCESSORS(PdffBit7, PDFFlags, PDFF_BIT7, 1, 0)
DM_FLAG_ACCESSORS(PdffBit8, PDFFlags, PDFF_BIT8, 1, 0)
DM_FLAG_ACCESSORS(PdffBit9, PDFFlags, PDFF_BIT9, 1, 0)
DM_FLAG_ACCESSORS(PdffBit10, PDFFlags, PDFF_BIT10, 1, 0)
DM_FLAG_ACCESSORS(PdffBit11, PDFFlags, PDFF_BIT11, 1, 0)
DM_FLAG_ACCESSORS(PdffBit12, PDFFlags, PDFF_BIT12, 1, 0)
