/*
 * The driver's device mode (DriverDevMode) and its accessor library.
 *
 * A DriverDevMode is the DEVMODEW public part (220 bytes) followed by the
 * driver's private block (6659 bytes, the value of dmDriverExtra): 6879 bytes
 * in all, little-endian and byte-packed. Fields from
 * CustomStartApplicationParameter on sit at odd offsets; the accessors read
 * and write every field with memcpy, so the block may lie at any address.
 *
 * Every accessor takes a pointer to the block, which may be NULL:
 *  - a getter then returns the field's default (listed at each getter);
 *  - a setter then does nothing.
 * Strings are UTF-16LE and NUL-terminated inside their fixed capacity
 * (capacities are in characters and include the terminator).
 *
 * Flag accessors are named after their bit: FLAG_TIFF_INTERNET gives
 * DevMode_IsFlagTiffInternet, DevMode_SetFlagTiffInternet and
 * DevMode_ClearFlagTiffInternet (each underscore-separated word of the bit
 * name capitalised). A query returns 1 when the bit is set, 0 when it is
 * clear, and 1 when no block is given, except where noted.
 *
 * The header is plain C with C linkage. Inside this system it is used through
 * the static library jh_settings; a driver's user interface uses the same
 * functions exported from drvsettings.dll through drvsettings.h.
 */
#ifndef JH_SETTINGS_DEVMODE_H
#define JH_SETTINGS_DEVMODE_H

#include <windows.h>
#include <stddef.h>

/* The library's sources compile once, undecorated, for the static library
 * and the DLL; the DLL exports every DRVSETTINGS_API function through an
 * export list made from these declarations at configure time. Users of the
 * DLL (drvsettings.h) import them. */
#if defined(DRVSETTINGS_USE_DLL)
#define DRVSETTINGS_API __declspec(dllimport)
#else
#define DRVSETTINGS_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Sizes of the device mode and of its parts, in bytes. */
#define DRIVER_DEVMODE_PUBLIC_SIZE   220
#define DRIVER_DEVMODE_PRIVATE_SIZE  6659
#define DRIVER_DEVMODE_SIZE          6879

/* Capacities of the string fields, in characters with the terminator. */
#define DM_CCH_DEVICE_NAME           32
#define DM_CCH_PATH                  260
#define DM_CCH_FILE_NAME_PREFIX      9
#define DM_CCH_FILE_EXTENSION        5
#define DM_CCH_USER_SID              256
#define DM_CCH_ANNOTATION            128
#define DM_CCH_CUSTOM_PARAMETER      66
#define DM_PARAMETER_ORDER_COUNT     8

/* Limits that the setters and getters apply. */
#define DM_FILE_FORMAT_MAX           38
#define DM_FILE_FORMAT_FALLBACK      19
#define DM_COLOR_DEPTH_MAX           3
#define DM_FILE_NAME_GENERATION_MAX  7
#define DM_FILE_NAME_GENERATION_CUSTOM 7
#define DM_LOSS_RATIO_MAX            100
#define DM_BRIGHTNESS_MAX            199
#define DM_WATERMARK_BRIGHTNESS_MAX  100
#define DM_WATERMARK_BRIGHTNESS_DEFAULT 30
#define DM_ROTATION_MIN              (-180)
#define DM_ROTATION_MAX              180

/* Colour-depth codes. */
#define DM_COLOR_MONOCHROME          0
#define DM_COLOR_GRAY8               1
#define DM_COLOR_COLOR8              2
#define DM_COLOR_COLOR24             3

/* ProfileOptions bit 0: read the profile through the protected-mode path. */
#define DM_PROFILE_OPTION_PROTECTED_MODE 0x1UL

#pragma pack(push, 1)
typedef struct DriverDevMode {
    DEVMODEW dmPublic;                          /* +0    the public part  */
    DWORD    Flags;                             /* +220  */
    DWORD    FileFormat;                        /* +224  */
    DWORD    ColorDepth;                        /* +228  */
    DWORD    FAXheader;                         /* +232  */
    DWORD    LossRatio;                         /* +236  */
    DWORD    Dithering;                         /* +240  */
    DWORD    Brightness;                        /* +244  */
    DWORD    PaperWidthInPixels;                /* +248  */
    DWORD    PaperHeightInPixels;               /* +252  */
    WCHAR    ApplicationPath[DM_CCH_PATH];      /* +256  */
    DWORD    LaunchFlags;                       /* +776  */
    DWORD    FileNameGenerationFlags;           /* +780  */
    WCHAR    OutputDirectory[DM_CCH_PATH];      /* +784  */
    WCHAR    FixedFileName[DM_CCH_PATH];        /* +1304 */
    WCHAR    FileNamePrefix[DM_CCH_FILE_NAME_PREFIX]; /* +1824 */
    WCHAR    FileExtension[DM_CCH_FILE_EXTENSION];    /* +1842 */
    WCHAR    ReservedString1[DM_CCH_PATH];      /* +1852 */
    WCHAR    INIFileName[DM_CCH_PATH];          /* +2372 */
    WCHAR    TiffLoaderLibrary[DM_CCH_PATH];    /* +2892 */
    WCHAR    JpegLoaderLibrary[DM_CCH_PATH];    /* +3412 */
    WCHAR    ReservedString2[DM_CCH_PATH];      /* +3932 */
    DWORD    SessionID;                         /* +4452 */
    BYTE     Reserved4456[4];                   /* +4456 carried */
    WCHAR    UserSid[DM_CCH_USER_SID];          /* +4460 */
    WCHAR    WatermarkFilePortrait[DM_CCH_PATH];  /* +4972 */
    WCHAR    WatermarkFileLandscape[DM_CCH_PATH]; /* +5492 */
    DWORD    WatermarkFlags;                    /* +6012 */
    DWORD    WatermarkBrightness;               /* +6016 high 16 bits portrait, low 16 landscape */
    WCHAR    AnnotationText[DM_CCH_ANNOTATION];      /* +6020 */
    WCHAR    AnnotationSeparator[DM_CCH_ANNOTATION]; /* +6276 */
    LOGFONTW AnnotationFont;                    /* +6532 (92 bytes) */
    DWORD    AnnotationFlags;                   /* +6624 */
    LONG     AnnotationXOffset;                 /* +6628 */
    LONG     AnnotationYOffset;                 /* +6632 */
    LONG     AnnotationRotation;                /* +6636 */
    COLORREF AnnotationColor;                   /* +6640 */
    DWORD    ReservedWord1;                     /* +6644 carried */
    DWORD    ReservedWord2;                     /* +6648 carried */
    WORD     PDFFlags;                          /* +6652 */
    WORD     StartApplicationParameterOrder[DM_PARAMETER_ORDER_COUNT]; /* +6654 */
    BYTE     SelectedBatesFormat;               /* +6670 */
    WCHAR    CustomStartApplicationParameter[DM_CCH_CUSTOM_PARAMETER]; /* +6671 odd */
    DWORD    PrinterId;                         /* +6803 odd */
    DWORD    ProfileOptions;                    /* +6807 odd */
    BYTE     Reserved6811[68];                  /* +6811 carried, ends at 6879 */
} DriverDevMode;
#pragma pack(pop)

/* Field offsets from the start of the device mode. */
#define DMO_FLAGS                        220
#define DMO_FILE_FORMAT                  224
#define DMO_COLOR_DEPTH                  228
#define DMO_FAX_HEADER                   232
#define DMO_LOSS_RATIO                   236
#define DMO_DITHERING                    240
#define DMO_BRIGHTNESS                   244
#define DMO_PAPER_WIDTH_IN_PIXELS        248
#define DMO_PAPER_HEIGHT_IN_PIXELS       252
#define DMO_APPLICATION_PATH             256
#define DMO_LAUNCH_FLAGS                 776
#define DMO_FILE_NAME_GENERATION_FLAGS   780
#define DMO_OUTPUT_DIRECTORY             784
#define DMO_FIXED_FILE_NAME              1304
#define DMO_FILE_NAME_PREFIX             1824
#define DMO_FILE_EXTENSION               1842
#define DMO_RESERVED_STRING1             1852
#define DMO_INI_FILE_NAME                2372
#define DMO_TIFF_LOADER_LIBRARY          2892
#define DMO_JPEG_LOADER_LIBRARY          3412
#define DMO_RESERVED_STRING2             3932
#define DMO_SESSION_ID                   4452
#define DMO_RESERVED_4456                4456
#define DMO_USER_SID                     4460
#define DMO_WATERMARK_FILE_PORTRAIT      4972
#define DMO_WATERMARK_FILE_LANDSCAPE     5492
#define DMO_WATERMARK_FLAGS              6012
#define DMO_WATERMARK_BRIGHTNESS         6016
#define DMO_ANNOTATION_TEXT              6020
#define DMO_ANNOTATION_SEPARATOR         6276
#define DMO_ANNOTATION_FONT              6532
#define DMO_ANNOTATION_FLAGS             6624
#define DMO_ANNOTATION_X_OFFSET          6628
#define DMO_ANNOTATION_Y_OFFSET          6632
#define DMO_ANNOTATION_ROTATION          6636
#define DMO_ANNOTATION_COLOR             6640
#define DMO_RESERVED_WORD1               6644
#define DMO_RESERVED_WORD2               6648
#define DMO_PDF_FLAGS                    6652
#define DMO_START_APP_PARAMETER_ORDER    6654
#define DMO_SELECTED_BATES_FORMAT        6670
#define DMO_CUSTOM_START_APP_PARAMETER   6671
#define DMO_PRINTER_ID                   6803
#define DMO_PROFILE_OPTIONS              6807
#define DMO_RESERVED_6811                6811

/* Public DEVMODEW fields that the library reads or writes. */
#define DMO_DEVICE_NAME                  0
#define DMO_ORIENTATION                  76
#define DMO_PAPER_SIZE                   78
#define DMO_PAPER_LENGTH                 80
#define DMO_PAPER_WIDTH                  82
#define DMO_PRINT_QUALITY                90
#define DMO_Y_RESOLUTION                 96
#define DMO_BITS_PER_PEL                 168

/* Flag bits of Flags (+220), WatermarkFlags (+6012), AnnotationFlags (+6624),
   LaunchFlags (+776) and PDFFlags (+6652, 16 bits). FLAG_BITn, WMF_x_BITn,
   ANF_BITn, LNF_BITn and PDFF_BITn are driver flags that this system only
   carries. */

#define FLAG_TIFF_INTERNET             0x4UL  /* bit 2 */
#define FLAG_TIFF_PAGE_NUMBER_TAG      0x8UL  /* bit 3 */
#define FLAG_TIFF_REVERSE_BIT_ORDER    0x10UL  /* bit 4 */
#define FLAG_MULTIPAGE                 0x20UL  /* bit 5 */
#define FLAG_BIT6                      0x40UL  /* bit 6 */
#define FLAG_BIT7                      0x80UL  /* bit 7 */
#define FLAG_BIT8                      0x100UL  /* bit 8 */
#define FLAG_BIT9                      0x200UL  /* bit 9 */
#define FLAG_BIT10                     0x400UL  /* bit 10 */
#define FLAG_BIT11                     0x800UL  /* bit 11 */
#define FLAG_BIT13                     0x2000UL  /* bit 13 */
#define FLAG_BIT14                     0x4000UL  /* bit 14 */
#define FLAG_BIT15                     0x8000UL  /* bit 15 */
#define FLAG_BIT16                     0x10000UL  /* bit 16 */
#define FLAG_BIT18                     0x40000UL  /* bit 18 */
#define FLAG_BIT19                     0x80000UL  /* bit 19 */
#define FLAG_APPEND_FILE               0x100000UL  /* bit 20 */
#define FLAG_BIT21                     0x200000UL  /* bit 21 */
#define FLAG_BIT22                     0x400000UL  /* bit 22 */
#define FLAG_BIT23                     0x800000UL  /* bit 23 */
#define FLAG_BIT24                     0x1000000UL  /* bit 24 */
#define FLAG_REDIRECT_PRINTING         0x2000000UL  /* bit 25 */
#define FLAG_BIT26                     0x4000000UL  /* bit 26 */
#define FLAG_BATES_NUMBERING           0x8000000UL  /* bit 27 */
#define FLAG_BIT28                     0x10000000UL  /* bit 28 */
#define FLAG_BIT29                     0x20000000UL  /* bit 29 */
#define FLAG_BIT30                     0x40000000UL  /* bit 30 */
#define FLAG_USE_PROFILE               0x80000000UL  /* bit 31 */

#define WMF_PRINT_WATERMARK            0x1UL  /* bit 0 */
#define WMF_FIRST_PAGE_ONLY            0x2UL  /* bit 1 */
#define WMF_P_STRETCH_TO_FIT           0x4UL  /* bit 2 */
#define WMF_P_STRETCH_TO_WIDTH         0x8UL  /* bit 3 */
#define WMF_P_BIT4                     0x10UL  /* bit 4 */
#define WMF_P_TILE                     0x20UL  /* bit 5 */
#define WMF_L_STRETCH_TO_FIT           0x40UL  /* bit 6 */
#define WMF_L_STRETCH_TO_WIDTH         0x80UL  /* bit 7 */
#define WMF_L_BIT8                     0x100UL  /* bit 8 */
#define WMF_L_TILE                     0x200UL  /* bit 9 */
#define WMF_FIRST_IMAGE                0x400UL  /* bit 10 */

#define ANF_ENABLED                    0x1UL  /* bit 0 */
#define ANF_TEXT                       0x2UL  /* bit 1 */
#define ANF_DATE                       0x4UL  /* bit 2 */
#define ANF_DATE_MDY                   0x8UL  /* bit 3 */
#define ANF_DATE_MDY_SHORT             0x10UL  /* bit 4 */
#define ANF_DATE_DMY                   0x20UL  /* bit 5 */
#define ANF_DATE_D_MON_Y               0x40UL  /* bit 6 */
#define ANF_DATE_YMD                   0x80UL  /* bit 7 */
#define ANF_DATE_JULIAN                0x100UL  /* bit 8 */
#define ANF_TIME                       0x200UL  /* bit 9 */
#define ANF_TIME_12H                   0x400UL  /* bit 10 */
#define ANF_TIME_24H                   0x800UL  /* bit 11 */
#define ANF_TIME_MINUTES               0x1000UL  /* bit 12 */
#define ANF_TIME_SECONDS               0x2000UL  /* bit 13 */
#define ANF_TIME_ZONE                  0x4000UL  /* bit 14 */
#define ANF_TRANSPARENT                0x8000UL  /* bit 15 */
#define ANF_BIT16                      0x10000UL  /* bit 16 */
#define ANF_BIT17                      0x20000UL  /* bit 17 */
#define ANF_POS_TOP_RIGHT              0x40000UL  /* bit 18 */
#define ANF_POS_CENTER                 0x80000UL  /* bit 19 */
#define ANF_POS_BOTTOM_LEFT            0x100000UL  /* bit 20 */
#define ANF_POS_BOTTOM_RIGHT           0x200000UL  /* bit 21 */
#define ANF_UNITS_TENTH_MM             0x400000UL  /* bit 22 */
#define ANF_UNITS_HUNDREDTH_INCH       0x800000UL  /* bit 23 */
#define ANF_BIT24                      0x1000000UL  /* bit 24 */

#define LNF_BIT0                       0x1UL  /* bit 0 */
#define LNF_BIT1                       0x2UL  /* bit 1 */
#define LNF_BIT2                       0x4UL  /* bit 2 */
#define LNF_BIT3                       0x8UL  /* bit 3 */
#define LNF_BIT4                       0x10UL  /* bit 4 */
#define LNF_BIT5                       0x20UL  /* bit 5 */
#define LNF_BIT6                       0x40UL  /* bit 6 */

#define PDFF_BIT5                      0x20U  /* bit 5 */
#define PDFF_BIT6                      0x40U  /* bit 6 */
#define PDFF_BIT7                      0x80U  /* bit 7 */
#define PDFF_BIT8                      0x100U  /* bit 8 */
#define PDFF_BIT9                      0x200U  /* bit 9 */
#define PDFF_BIT10                     0x400U  /* bit 10 */
#define PDFF_BIT11                     0x800U  /* bit 11 */
#define PDFF_BIT12                     0x1000U  /* bit 12 */

/* ---- Size checks and set-up ---------------------------------------- */

/* IsDriverDevModeSize: 1 when cbDevMode is exactly DRIVER_DEVMODE_SIZE, else 0.
   Anyone who receives a device mode with its size checks it with this. */
DRVSETTINGS_API int IsDriverDevModeSize(DWORD cbDevMode);

/* DevMode_FromBuffer / DevMode_FromConstBuffer: the buffer as a DriverDevMode
   when it is present and cbBuffer is exactly DRIVER_DEVMODE_SIZE, else NULL. */
DRVSETTINGS_API DriverDevMode* DevMode_FromBuffer(void* pBuffer, DWORD cbBuffer);
DRVSETTINGS_API const DriverDevMode* DevMode_FromConstBuffer(const void* pBuffer, DWORD cbBuffer);

/* DevMode_Initialize: zeroes the whole block and sets dmSize to 220,
   dmDriverExtra to 6659 and dmSpecVersion to DM_SPECVERSION. */
DRVSETTINGS_API void DevMode_Initialize(DriverDevMode* pDevMode);

/* DevMode_TerminateStrings: writes a terminator into the last character of
   every string field, so that a block from outside (the registry, a file)
   can be read with the string getters without running past a field. */
DRVSETTINGS_API void DevMode_TerminateStrings(DriverDevMode* pDevMode);

/* ---- Public DEVMODEW fields ------------------------------------------ */

/* dmDeviceName: pointer into the block, NULL when no block. */
DRVSETTINGS_API const WCHAR* DevMode_GetDeviceName(const DriverDevMode* pDevMode);
/* Stores the name when shorter than 32 characters; 1 when stored, else 0. */
DRVSETTINGS_API int DevMode_SetDeviceName(DriverDevMode* pDevMode, const WCHAR* pszName);

/* dmOrientation, dmPaperSize, dmPaperLength, dmPaperWidth: 1 when no block. */
DRVSETTINGS_API short DevMode_GetOrientation(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetOrientation(DriverDevMode* pDevMode, short nValue);
DRVSETTINGS_API short DevMode_GetPaperSize(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetPaperSize(DriverDevMode* pDevMode, short nValue);
DRVSETTINGS_API short DevMode_GetPaperLength(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetPaperLength(DriverDevMode* pDevMode, short nValue);
DRVSETTINGS_API short DevMode_GetPaperWidth(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetPaperWidth(DriverDevMode* pDevMode, short nValue);

/* dmPrintQuality (horizontal dpi) and dmYResolution (vertical dpi): 300 when
   no block. The setters take the DEVMODE resolution codes and store dpi:
   -1 100, -2 200, -3 300, -4 600, -5 204 x 98, -6 204 x 196, any other
   negative value negated, positive values unchanged. */
DRVSETTINGS_API short DevMode_GetPrintQuality(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetPrintQuality(DriverDevMode* pDevMode, short nValue);
DRVSETTINGS_API short DevMode_GetYResolution(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetYResolution(DriverDevMode* pDevMode, short nValue);
/* Pure conversions used by the two setters above. */
DRVSETTINGS_API short DevMode_XResolutionFromCode(short nValue);
DRVSETTINGS_API short DevMode_YResolutionFromCode(short nValue);

/* dmBitsPerPel as stored (written by DevMode_SetColorDepth); 0 when no block. */
DRVSETTINGS_API DWORD DevMode_GetBitsPerPel(const DriverDevMode* pDevMode);

/* ---- Numeric fields of the private block ----------------------------- */

/* Whole flag words; 0 when no block. The setters store the word as given. */
DRVSETTINGS_API DWORD DevMode_GetFlags(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetFlags(DriverDevMode* pDevMode, DWORD dwValue);
DRVSETTINGS_API DWORD DevMode_GetWatermarkFlags(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetWatermarkFlags(DriverDevMode* pDevMode, DWORD dwValue);
DRVSETTINGS_API DWORD DevMode_GetAnnotationFlags(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetAnnotationFlags(DriverDevMode* pDevMode, DWORD dwValue);
DRVSETTINGS_API DWORD DevMode_GetLaunchFlags(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetLaunchFlags(DriverDevMode* pDevMode, DWORD dwValue);
/* PDFFlags: the whole 16-bit value is the image-PDF compression setting. */
DRVSETTINGS_API WORD  DevMode_GetPDFFlags(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetPDFFlags(DriverDevMode* pDevMode, WORD wValue);

/* FileFormat: 4 when no block; the setter stores values above 38 as 19. */
DRVSETTINGS_API DWORD DevMode_GetFileFormat(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetFileFormat(DriverDevMode* pDevMode, DWORD dwValue);

/* ColorDepth: 0 when no block; the getter returns 3 for stored values above 3.
   The setter stores values above 3 as 3 and sets dmBitsPerPel to 1 for code
   0, else 24. */
DRVSETTINGS_API DWORD DevMode_GetColorDepth(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetColorDepth(DriverDevMode* pDevMode, DWORD dwValue);
/* Bits per pixel of the colour depth: 0 gives 1, 1 and 2 give 8, 3 gives 24
   (1 when no block). DevMode_BitsPerPixelFromColorDepth is the pure mapping
   (codes above 3 count as 3). */
DRVSETTINGS_API DWORD DevMode_GetBitsPerPixel(const DriverDevMode* pDevMode);
DRVSETTINGS_API DWORD DevMode_BitsPerPixelFromColorDepth(DWORD dwColorDepth);

/* FAXheader, Dithering: 0 when no block; stored unchanged. */
DRVSETTINGS_API DWORD DevMode_GetFAXheader(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetFAXheader(DriverDevMode* pDevMode, DWORD dwValue);
DRVSETTINGS_API DWORD DevMode_GetDithering(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetDithering(DriverDevMode* pDevMode, DWORD dwValue);

/* LossRatio: 0 when no block; the getter clamps into 1..100, the setter
   stores values above 100 as 100. */
DRVSETTINGS_API DWORD DevMode_GetLossRatio(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetLossRatio(DriverDevMode* pDevMode, DWORD dwValue);

/* Brightness: 0 when no block; stored unchanged, read back at most 199. */
DRVSETTINGS_API DWORD DevMode_GetBrightness(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetBrightness(DriverDevMode* pDevMode, DWORD dwValue);

/* Page size in pixels: 1728 and 2200 when no block; stored unchanged. */
DRVSETTINGS_API DWORD DevMode_GetPaperWidthInPixels(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetPaperWidthInPixels(DriverDevMode* pDevMode, DWORD dwValue);
DRVSETTINGS_API DWORD DevMode_GetPaperHeightInPixels(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetPaperHeightInPixels(DriverDevMode* pDevMode, DWORD dwValue);

/* FileNameGenerationFlags: 0 when no block; values of 8 and above are stored
   as 0 and read back as 0. */
DRVSETTINGS_API DWORD DevMode_GetFileNameGenerationFlags(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetFileNameGenerationFlags(DriverDevMode* pDevMode, DWORD dwValue);

/* SessionID: the getter writes the value to *pdwValue and returns 1, or
   returns 0 (output untouched) when no block or no output is given; the
   setter returns 1, or 0 when no block is given. */
DRVSETTINGS_API int DevMode_GetSessionID(const DriverDevMode* pDevMode, DWORD* pdwValue);
DRVSETTINGS_API int DevMode_SetSessionID(DriverDevMode* pDevMode, DWORD dwValue);

/* WatermarkBrightness: portrait in the high 16 bits, landscape in the low
   16 bits. The portrait getter returns 30 when its half is 0 or above 100,
   the landscape getter 30 when its half is above 100 (a stored 0 reads 0);
   both return 30 when no block. The setters ignore values above 100. The
   whole-word getter returns the stored word (30 in each half when no block). */
DRVSETTINGS_API DWORD DevMode_GetWatermarkBrightness(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetWatermarkBrightness(DriverDevMode* pDevMode, DWORD dwValue);
DRVSETTINGS_API DWORD DevMode_GetWatermarkBrightnessPortrait(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetWatermarkBrightnessPortrait(DriverDevMode* pDevMode, DWORD dwValue);
DRVSETTINGS_API DWORD DevMode_GetWatermarkBrightnessLandscape(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetWatermarkBrightnessLandscape(DriverDevMode* pDevMode, DWORD dwValue);

/* Annotation placement and colour: 0 when no block. The rotation setter
   ignores values outside -180..180. */
DRVSETTINGS_API LONG  DevMode_GetAnnotationXOffset(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetAnnotationXOffset(DriverDevMode* pDevMode, LONG nValue);
DRVSETTINGS_API LONG  DevMode_GetAnnotationYOffset(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetAnnotationYOffset(DriverDevMode* pDevMode, LONG nValue);
DRVSETTINGS_API LONG  DevMode_GetAnnotationRotation(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetAnnotationRotation(DriverDevMode* pDevMode, LONG nValue);
DRVSETTINGS_API COLORREF DevMode_GetAnnotationColor(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetAnnotationColor(DriverDevMode* pDevMode, COLORREF crValue);

/* AnnotationFont: the getter copies the 92-byte LOGFONTW to *pLogFont (all
   zero when no block; nothing when pLogFont is NULL); the setter copies 92
   bytes in. */
DRVSETTINGS_API void DevMode_GetAnnotationFont(const DriverDevMode* pDevMode, LOGFONTW* pLogFont);
DRVSETTINGS_API void DevMode_SetAnnotationFont(DriverDevMode* pDevMode, const LOGFONTW* pLogFont);

/* Carried words: 0 when no block; stored unchanged. */
DRVSETTINGS_API DWORD DevMode_GetReservedWord1(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetReservedWord1(DriverDevMode* pDevMode, DWORD dwValue);
DRVSETTINGS_API DWORD DevMode_GetReservedWord2(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetReservedWord2(DriverDevMode* pDevMode, DWORD dwValue);

/* StartApplicationParameterOrder: get returns entry nIndex (0..7), or 0 when
   the index is outside 0..7 or no block; set stores a digit 0..9 at nIndex
   and ignores any other index or value. */
DRVSETTINGS_API int  DevMode_GetStartApplicationParameterOrder(const DriverDevMode* pDevMode, int nIndex);
DRVSETTINGS_API void DevMode_SetStartApplicationParameterOrder(DriverDevMode* pDevMode, int nIndex, int nDigit);

/* SelectedBatesFormat: 0-based; 0 when no block. */
DRVSETTINGS_API BYTE DevMode_GetSelectedBatesFormat(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetSelectedBatesFormat(DriverDevMode* pDevMode, BYTE nValue);

/* PrinterId and ProfileOptions (odd offsets): 0 when no block. */
DRVSETTINGS_API DWORD DevMode_GetPrinterId(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetPrinterId(DriverDevMode* pDevMode, DWORD dwValue);
DRVSETTINGS_API DWORD DevMode_GetProfileOptions(const DriverDevMode* pDevMode);
DRVSETTINGS_API void  DevMode_SetProfileOptions(DriverDevMode* pDevMode, DWORD dwValue);

/* ---- String fields ------------------------------------------------------
   Each getter returns a pointer into the block, or NULL when no block.
   Each setter returns 1 when it stored the string, 0 when the block or the
   string is missing or the string is refused; a refused string leaves the
   field unchanged. A stored string is followed by zeros to the field's end.
   A string longer than the field holds (capacity - 1 characters) is refused,
   except that AnnotationText and AnnotationSeparator keep their first 127
   characters. FileNamePrefix holds at most 7 characters, FileExtension at
   most 4. */
DRVSETTINGS_API const WCHAR* DevMode_GetApplicationPath(const DriverDevMode* pDevMode);
DRVSETTINGS_API int DevMode_SetApplicationPath(DriverDevMode* pDevMode, const WCHAR* pszValue);
DRVSETTINGS_API const WCHAR* DevMode_GetOutputDirectory(const DriverDevMode* pDevMode);
DRVSETTINGS_API int DevMode_SetOutputDirectory(DriverDevMode* pDevMode, const WCHAR* pszValue);
DRVSETTINGS_API const WCHAR* DevMode_GetFixedFileName(const DriverDevMode* pDevMode);
DRVSETTINGS_API int DevMode_SetFixedFileName(DriverDevMode* pDevMode, const WCHAR* pszValue);
DRVSETTINGS_API const WCHAR* DevMode_GetFileNamePrefix(const DriverDevMode* pDevMode);
DRVSETTINGS_API int DevMode_SetFileNamePrefix(DriverDevMode* pDevMode, const WCHAR* pszValue);
DRVSETTINGS_API const WCHAR* DevMode_GetFileExtension(const DriverDevMode* pDevMode);
DRVSETTINGS_API int DevMode_SetFileExtension(DriverDevMode* pDevMode, const WCHAR* pszValue);
DRVSETTINGS_API const WCHAR* DevMode_GetReservedString1(const DriverDevMode* pDevMode);
DRVSETTINGS_API int DevMode_SetReservedString1(DriverDevMode* pDevMode, const WCHAR* pszValue);
DRVSETTINGS_API const WCHAR* DevMode_GetINIFileName(const DriverDevMode* pDevMode);
DRVSETTINGS_API int DevMode_SetINIFileName(DriverDevMode* pDevMode, const WCHAR* pszValue);
DRVSETTINGS_API const WCHAR* DevMode_GetTiffLoaderLibrary(const DriverDevMode* pDevMode);
DRVSETTINGS_API int DevMode_SetTiffLoaderLibrary(DriverDevMode* pDevMode, const WCHAR* pszValue);
DRVSETTINGS_API const WCHAR* DevMode_GetJpegLoaderLibrary(const DriverDevMode* pDevMode);
DRVSETTINGS_API int DevMode_SetJpegLoaderLibrary(DriverDevMode* pDevMode, const WCHAR* pszValue);
DRVSETTINGS_API const WCHAR* DevMode_GetReservedString2(const DriverDevMode* pDevMode);
DRVSETTINGS_API int DevMode_SetReservedString2(DriverDevMode* pDevMode, const WCHAR* pszValue);
DRVSETTINGS_API const WCHAR* DevMode_GetUserSid(const DriverDevMode* pDevMode);
DRVSETTINGS_API int DevMode_SetUserSid(DriverDevMode* pDevMode, const WCHAR* pszValue);
DRVSETTINGS_API const WCHAR* DevMode_GetWatermarkFilePortrait(const DriverDevMode* pDevMode);
DRVSETTINGS_API int DevMode_SetWatermarkFilePortrait(DriverDevMode* pDevMode, const WCHAR* pszValue);
DRVSETTINGS_API const WCHAR* DevMode_GetWatermarkFileLandscape(const DriverDevMode* pDevMode);
DRVSETTINGS_API int DevMode_SetWatermarkFileLandscape(DriverDevMode* pDevMode, const WCHAR* pszValue);
DRVSETTINGS_API const WCHAR* DevMode_GetAnnotationText(const DriverDevMode* pDevMode);
DRVSETTINGS_API int DevMode_SetAnnotationText(DriverDevMode* pDevMode, const WCHAR* pszValue);
DRVSETTINGS_API const WCHAR* DevMode_GetAnnotationSeparator(const DriverDevMode* pDevMode);
DRVSETTINGS_API int DevMode_SetAnnotationSeparator(DriverDevMode* pDevMode, const WCHAR* pszValue);

/* CustomStartApplicationParameter lies at an odd offset, where a WCHAR
   pointer would be misaligned, so its getter copies instead: it writes the
   string (at most 65 characters, always terminated) to pszOut and returns 1;
   it returns 0 and leaves pszOut untouched when the block or pszOut is
   missing or cchOut is too small for the string and its terminator. The
   setter works as the string setters above (at most 65 characters). */
DRVSETTINGS_API int DevMode_GetCustomStartApplicationParameter(const DriverDevMode* pDevMode,
                                                               WCHAR* pszOut, DWORD cchOut);
DRVSETTINGS_API int DevMode_SetCustomStartApplicationParameter(DriverDevMode* pDevMode,
                                                               const WCHAR* pszValue);

/* ---- Flag bits ------------------------------------------------------------
   Query, set and clear for each bit. Exceptions to "1 when set, 0 when clear,
   1 when no block":
   - DevMode_IsFlagTiffPageNumberTag returns the masked value 0x8 when set;
   - DevMode_IsFlagMultipageAlt returns the masked value 0x20 when set;
   - bits 28..31 of Flags (FLAG_BIT28..30, FLAG_USE_PROFILE) and
     WMF_FIRST_IMAGE report 0 when no block.
   Bits 5 and 7 of Flags have a second triple (...Alt) that works alike. */

/* Flags */
DRVSETTINGS_API int  DevMode_IsFlagTiffInternet(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagTiffInternet(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagTiffInternet(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagTiffPageNumberTag(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagTiffPageNumberTag(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagTiffPageNumberTag(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagTiffReverseBitOrder(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagTiffReverseBitOrder(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagTiffReverseBitOrder(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagMultipage(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagMultipage(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagMultipage(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagMultipageAlt(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagMultipageAlt(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagMultipageAlt(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBit6(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBit6(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBit6(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBit7(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBit7(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBit7(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBit7Alt(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBit7Alt(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBit7Alt(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBit8(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBit8(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBit8(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBit9(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBit9(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBit9(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBit10(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBit10(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBit10(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBit11(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBit11(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBit11(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBit13(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBit13(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBit13(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBit14(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBit14(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBit14(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBit15(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBit15(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBit15(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBit16(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBit16(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBit16(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBit18(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBit18(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBit18(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBit19(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBit19(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBit19(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagAppendFile(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagAppendFile(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagAppendFile(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBit21(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBit21(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBit21(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBit22(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBit22(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBit22(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBit23(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBit23(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBit23(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBit24(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBit24(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBit24(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagRedirectPrinting(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagRedirectPrinting(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagRedirectPrinting(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBit26(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBit26(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBit26(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBatesNumbering(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBatesNumbering(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBatesNumbering(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBit28(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBit28(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBit28(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBit29(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBit29(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBit29(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagBit30(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagBit30(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagBit30(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsFlagUseProfile(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetFlagUseProfile(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearFlagUseProfile(DriverDevMode* pDevMode);

/* WatermarkFlags */
DRVSETTINGS_API int  DevMode_IsWmfPrintWatermark(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetWmfPrintWatermark(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearWmfPrintWatermark(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsWmfFirstPageOnly(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetWmfFirstPageOnly(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearWmfFirstPageOnly(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsWmfPStretchToFit(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetWmfPStretchToFit(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearWmfPStretchToFit(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsWmfPStretchToWidth(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetWmfPStretchToWidth(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearWmfPStretchToWidth(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsWmfPBit4(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetWmfPBit4(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearWmfPBit4(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsWmfPTile(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetWmfPTile(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearWmfPTile(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsWmfLStretchToFit(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetWmfLStretchToFit(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearWmfLStretchToFit(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsWmfLStretchToWidth(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetWmfLStretchToWidth(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearWmfLStretchToWidth(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsWmfLBit8(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetWmfLBit8(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearWmfLBit8(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsWmfLTile(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetWmfLTile(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearWmfLTile(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsWmfFirstImage(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetWmfFirstImage(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearWmfFirstImage(DriverDevMode* pDevMode);

/* AnnotationFlags */
DRVSETTINGS_API int  DevMode_IsAnfEnabled(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfEnabled(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfEnabled(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfText(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfText(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfText(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfDate(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfDate(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfDate(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfDateMdy(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfDateMdy(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfDateMdy(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfDateMdyShort(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfDateMdyShort(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfDateMdyShort(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfDateDmy(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfDateDmy(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfDateDmy(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfDateDMonY(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfDateDMonY(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfDateDMonY(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfDateYmd(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfDateYmd(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfDateYmd(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfDateJulian(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfDateJulian(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfDateJulian(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfTime(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfTime(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfTime(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfTime12h(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfTime12h(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfTime12h(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfTime24h(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfTime24h(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfTime24h(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfTimeMinutes(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfTimeMinutes(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfTimeMinutes(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfTimeSeconds(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfTimeSeconds(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfTimeSeconds(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfTimeZone(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfTimeZone(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfTimeZone(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfTransparent(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfTransparent(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfTransparent(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfBit16(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfBit16(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfBit16(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfBit17(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfBit17(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfBit17(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfPosTopRight(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfPosTopRight(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfPosTopRight(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfPosCenter(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfPosCenter(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfPosCenter(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfPosBottomLeft(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfPosBottomLeft(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfPosBottomLeft(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfPosBottomRight(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfPosBottomRight(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfPosBottomRight(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfUnitsTenthMm(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfUnitsTenthMm(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfUnitsTenthMm(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfUnitsHundredthInch(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfUnitsHundredthInch(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfUnitsHundredthInch(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsAnfBit24(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetAnfBit24(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearAnfBit24(DriverDevMode* pDevMode);

/* LaunchFlags */
DRVSETTINGS_API int  DevMode_IsLnfBit0(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetLnfBit0(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearLnfBit0(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsLnfBit1(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetLnfBit1(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearLnfBit1(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsLnfBit2(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetLnfBit2(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearLnfBit2(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsLnfBit3(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetLnfBit3(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearLnfBit3(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsLnfBit4(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetLnfBit4(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearLnfBit4(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsLnfBit5(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetLnfBit5(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearLnfBit5(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsLnfBit6(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetLnfBit6(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearLnfBit6(DriverDevMode* pDevMode);

/* PDFFlags */
DRVSETTINGS_API int  DevMode_IsPdffBit5(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetPdffBit5(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearPdffBit5(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsPdffBit6(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetPdffBit6(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearPdffBit6(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsPdffBit7(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetPdffBit7(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearPdffBit7(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsPdffBit8(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetPdffBit8(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearPdffBit8(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsPdffBit9(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetPdffBit9(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearPdffBit9(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsPdffBit10(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetPdffBit10(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearPdffBit10(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsPdffBit11(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetPdffBit11(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearPdffBit11(DriverDevMode* pDevMode);
DRVSETTINGS_API int  DevMode_IsPdffBit12(const DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_SetPdffBit12(DriverDevMode* pDevMode);
DRVSETTINGS_API void DevMode_ClearPdffBit12(DriverDevMode* pDevMode);

#ifdef __cplusplus
} /* extern "C" */
#endif

#ifdef __cplusplus
/* The layout, checked at compile time. */
static_assert(sizeof(DEVMODEW) == DRIVER_DEVMODE_PUBLIC_SIZE, "DEVMODEW size");
static_assert(sizeof(LOGFONTW) == 92, "LOGFONTW size");
static_assert(sizeof(DriverDevMode) == DRIVER_DEVMODE_SIZE, "DriverDevMode size");
static_assert(DRIVER_DEVMODE_PUBLIC_SIZE + DRIVER_DEVMODE_PRIVATE_SIZE == DRIVER_DEVMODE_SIZE, "parts");
static_assert(offsetof(DEVMODEW, dmOrientation) == DMO_ORIENTATION, "dmOrientation");
static_assert(offsetof(DEVMODEW, dmPaperSize) == DMO_PAPER_SIZE, "dmPaperSize");
static_assert(offsetof(DEVMODEW, dmPaperLength) == DMO_PAPER_LENGTH, "dmPaperLength");
static_assert(offsetof(DEVMODEW, dmPaperWidth) == DMO_PAPER_WIDTH, "dmPaperWidth");
static_assert(offsetof(DEVMODEW, dmPrintQuality) == DMO_PRINT_QUALITY, "dmPrintQuality");
static_assert(offsetof(DEVMODEW, dmYResolution) == DMO_Y_RESOLUTION, "dmYResolution");
static_assert(offsetof(DEVMODEW, dmBitsPerPel) == DMO_BITS_PER_PEL, "dmBitsPerPel");
static_assert(offsetof(DriverDevMode, Flags) == DMO_FLAGS, "Flags");
static_assert(offsetof(DriverDevMode, FileFormat) == DMO_FILE_FORMAT, "FileFormat");
static_assert(offsetof(DriverDevMode, ColorDepth) == DMO_COLOR_DEPTH, "ColorDepth");
static_assert(offsetof(DriverDevMode, FAXheader) == DMO_FAX_HEADER, "FAXheader");
static_assert(offsetof(DriverDevMode, LossRatio) == DMO_LOSS_RATIO, "LossRatio");
static_assert(offsetof(DriverDevMode, Dithering) == DMO_DITHERING, "Dithering");
static_assert(offsetof(DriverDevMode, Brightness) == DMO_BRIGHTNESS, "Brightness");
static_assert(offsetof(DriverDevMode, PaperWidthInPixels) == DMO_PAPER_WIDTH_IN_PIXELS, "PaperWidthInPixels");
static_assert(offsetof(DriverDevMode, PaperHeightInPixels) == DMO_PAPER_HEIGHT_IN_PIXELS, "PaperHeightInPixels");
static_assert(offsetof(DriverDevMode, ApplicationPath) == DMO_APPLICATION_PATH, "ApplicationPath");
static_assert(offsetof(DriverDevMode, LaunchFlags) == DMO_LAUNCH_FLAGS, "LaunchFlags");
static_assert(offsetof(DriverDevMode, FileNameGenerationFlags) == DMO_FILE_NAME_GENERATION_FLAGS, "FileNameGenerationFlags");
static_assert(offsetof(DriverDevMode, OutputDirectory) == DMO_OUTPUT_DIRECTORY, "OutputDirectory");
static_assert(offsetof(DriverDevMode, FixedFileName) == DMO_FIXED_FILE_NAME, "FixedFileName");
static_assert(offsetof(DriverDevMode, FileNamePrefix) == DMO_FILE_NAME_PREFIX, "FileNamePrefix");
static_assert(offsetof(DriverDevMode, FileExtension) == DMO_FILE_EXTENSION, "FileExtension");
static_assert(offsetof(DriverDevMode, ReservedString1) == DMO_RESERVED_STRING1, "ReservedString1");
static_assert(offsetof(DriverDevMode, INIFileName) == DMO_INI_FILE_NAME, "INIFileName");
static_assert(offsetof(DriverDevMode, TiffLoaderLibrary) == DMO_TIFF_LOADER_LIBRARY, "TiffLoaderLibrary");
static_assert(offsetof(DriverDevMode, JpegLoaderLibrary) == DMO_JPEG_LOADER_LIBRARY, "JpegLoaderLibrary");
static_assert(offsetof(DriverDevMode, ReservedString2) == DMO_RESERVED_STRING2, "ReservedString2");
static_assert(offsetof(DriverDevMode, SessionID) == DMO_SESSION_ID, "SessionID");
static_assert(offsetof(DriverDevMode, Reserved4456) == DMO_RESERVED_4456, "Reserved4456");
static_assert(offsetof(DriverDevMode, UserSid) == DMO_USER_SID, "UserSid");
static_assert(offsetof(DriverDevMode, WatermarkFilePortrait) == DMO_WATERMARK_FILE_PORTRAIT, "WatermarkFilePortrait");
static_assert(offsetof(DriverDevMode, WatermarkFileLandscape) == DMO_WATERMARK_FILE_LANDSCAPE, "WatermarkFileLandscape");
static_assert(offsetof(DriverDevMode, WatermarkFlags) == DMO_WATERMARK_FLAGS, "WatermarkFlags");
static_assert(offsetof(DriverDevMode, WatermarkBrightness) == DMO_WATERMARK_BRIGHTNESS, "WatermarkBrightness");
static_assert(offsetof(DriverDevMode, AnnotationText) == DMO_ANNOTATION_TEXT, "AnnotationText");
static_assert(offsetof(DriverDevMode, AnnotationSeparator) == DMO_ANNOTATION_SEPARATOR, "AnnotationSeparator");
static_assert(offsetof(DriverDevMode, AnnotationFont) == DMO_ANNOTATION_FONT, "AnnotationFont");
static_assert(offsetof(DriverDevMode, AnnotationFlags) == DMO_ANNOTATION_FLAGS, "AnnotationFlags");
static_assert(offsetof(DriverDevMode, AnnotationXOffset) == DMO_ANNOTATION_X_OFFSET, "AnnotationXOffset");
static_assert(offsetof(DriverDevMode, AnnotationYOffset) == DMO_ANNOTATION_Y_OFFSET, "AnnotationYOffset");
static_assert(offsetof(DriverDevMode, AnnotationRotation) == DMO_ANNOTATION_ROTATION, "AnnotationRotation");
static_assert(offsetof(DriverDevMode, AnnotationColor) == DMO_ANNOTATION_COLOR, "AnnotationColor");
static_assert(offsetof(DriverDevMode, ReservedWord1) == DMO_RESERVED_WORD1, "ReservedWord1");
static_assert(offsetof(DriverDevMode, ReservedWord2) == DMO_RESERVED_WORD2, "ReservedWord2");
static_assert(offsetof(DriverDevMode, PDFFlags) == DMO_PDF_FLAGS, "PDFFlags");
static_assert(offsetof(DriverDevMode, StartApplicationParameterOrder) == DMO_START_APP_PARAMETER_ORDER, "StartApplicationParameterOrder");
static_assert(offsetof(DriverDevMode, SelectedBatesFormat) == DMO_SELECTED_BATES_FORMAT, "SelectedBatesFormat");
static_assert(offsetof(DriverDevMode, CustomStartApplicationParameter) == DMO_CUSTOM_START_APP_PARAMETER, "CustomStartApplicationParameter");
static_assert(offsetof(DriverDevMode, PrinterId) == DMO_PRINTER_ID, "PrinterId");
static_assert(offsetof(DriverDevMode, ProfileOptions) == DMO_PROFILE_OPTIONS, "ProfileOptions");
static_assert(offsetof(DriverDevMode, Reserved6811) == DMO_RESERVED_6811, "Reserved6811");
static_assert(DMO_RESERVED_6811 + sizeof(((DriverDevMode*)0)->Reserved6811) == DRIVER_DEVMODE_SIZE, "block end");
#endif

#endif /* JH_SETTINGS_DEVMODE_H */
