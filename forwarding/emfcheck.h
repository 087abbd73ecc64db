/*
 * Record checks of a spooled page's enhanced metafile. The system's
 * metafile player trusts what a record says about itself: offsets, sizes
 * and counts of the data it carries, bitmap headers, object handle indexes,
 * and the header's handle count. Each check follows what a player reads of
 * a record, so that a record the player could not read safely, or one that
 * would make it spend more than a page may, is left out of the page while
 * the rest of the page prints. The checks are pure functions of the bytes.
 */
#ifndef JH_FORWARDING_EMFCHECK_H
#define JH_FORWARDING_EMFCHECK_H

#include <windows.h>

/* Why a record was left out (or, for the header, the page refused). */
#define EMF_RECORD_OK            0
#define EMF_RECORD_TOO_SHORT     1 /* shorter than the fields the player reads */
#define EMF_RECORD_OUTSIDE       2 /* an offset, size or count reaches past the record */
#define EMF_RECORD_BAD_BITMAP    3 /* a bitmap header the player cannot use safely */
#define EMF_RECORD_BAD_HANDLE    4 /* an object handle index outside the handle table */
#define EMF_RECORD_BAD_HEADER    5 /* a metafile header the player cannot use */
#define EMF_RECORD_BAD_REGION    6 /* region data the player cannot use safely */
#define EMF_RECORD_BAD_GLYPHS    7 /* glyph indexes outside the font being played */
#define EMF_RECORD_BAD_VALUE     8 /* a value the player mishandles */
#define EMF_RECORD_TOO_COSTLY    9 /* more memory or time than a page may take */
#define EMF_RECORD_FAR_OFF      10 /* an area the platform's blits cannot map onto the device */

/* Cost bounds. The largest values of 185 pages written by real applications
 * are given for each ("real"), and what the platform's player spent on one
 * record on the PostScript driver at an A4 page of 300 dpi (bench/page_bench
 * bounds): the bounds sit well above the first and well below what hurts. */
#define EMF_MAX_BITMAP_PIXELS     16777216u /* one decoded bitmap (4096 x 4096: 0.2 s, 55 MB; 16384 x 16384:
                                               3.1 s, 535 MB); real: 807,399 */
#define EMF_MAX_PAGE_PIXELS       67108864u /* every bitmap of a page; real: 1,009,362 */
#define EMF_MAX_REGION_RECTS      4096u     /* one region (0.04 s; 16384: 0.42 s; 40000: 22 s); real: 1 */
#define EMF_MAX_PAGE_REGION_RECTS 65536u    /* every region of a page */
#define EMF_MAX_PALETTE_ENTRIES   65536u    /* a resized palette (300 million: 3.6 s, 1.1 GB); real: 256 */
#define EMF_MAX_PAGE_GRADIENTS    32u       /* gradient shapes of a page (half-page ones: 0.09 s each, 64:
                                               4.6 s); real: 11 */
#define EMF_MAX_DEVICE_PIXELS     67108864u /* what one alpha blend or gradient picture covers on the
                                               device (blends of 8192 x 8192: 0.84 s, 278 MB; 16384 x
                                               16384: 3.4 s, 1 GB); real: none */
#define EMF_MAX_PAGE_DEVICE_PIXELS 134217728u /* all of them on a page */

/* A record that was left out (or the header that refused a page). */
typedef struct EmfFault {
    int   nReason;   /* EMF_RECORD_* */
    DWORD dwType;    /* the record's type */
    DWORD dwOffset;  /* its offset in the metafile */
} EmfFault;

/* What the records of a page have spent of the page's cost bounds so far. */
typedef struct EmfBudget {
    ULONGLONG ullPixels;       /* decoded bitmap pixels */
    ULONGLONG ullRegionRects;  /* region rectangles */
    ULONGLONG ullGradients;    /* gradient triangles and rectangles */
    ULONGLONG ullDevicePixels; /* device pixels of alpha blends and gradient pictures (charged while playing) */
} EmfBudget;

/* What checking the records of one page carries from record to record. */
typedef struct EmfCheckState {
    DWORD     nHandles;  /* the header's handle count */
    EmfBudget stSpent;
} EmfCheckState;

/* Takes a metafile of cbMetaFile bytes whose record chain has been walked
 * already (every record at least 8 bytes, a multiple of 4, inside
 * cbMetaFile) and checks its header: the first record, of the header's type,
 * at least the 88 bytes the player reads, a handle count of at least 1, and
 * its description and pixel format inside it where they exist. Gives
 * EMF_RECORD_OK or the reason the page cannot be played at all. */
int CheckMetaFileHeader(const BYTE *pMetaFile, DWORD cbMetaFile);

/* Starts the checks of a page whose header passed CheckMetaFileHeader. */
void BeginRecordChecks(const BYTE *pMetaFile, EmfCheckState *pState);

/* Checks one record (not the first) of a page: pRecord points at it inside
 * the metafile, cbRoom is the number of bytes from it to the metafile's end
 * (the record's own size is read from it and must fit). Gives EMF_RECORD_OK
 * and charges the record's costs to pState->stSpent, or the reason it is to
 * be left out (nothing charged). */
int CheckMetaFileRecord(const BYTE *pRecord, DWORD cbRoom, EmfCheckState *pState);

/* Walks every record after a header that passed CheckMetaFileHeader, as the
 * checking player does. Gives the number of records to be left out, with
 * the first in *pFirst (optional; nReason EMF_RECORD_OK when none). */
DWORD CheckMetaFileRecords(const BYTE *pMetaFile, DWORD cbMetaFile, EmfFault *pFirst);

/* For an alpha-blend record that passed the checks: the size in bytes of
 * the bitmap the player makes from its header (0 when it has no bitmap).
 * The player copies cbBitsSrc bytes into it, so a record whose cbBitsSrc is
 * larger is played with cbBitsSrc cut to this size, which draws the same
 * pixels without writing past the bitmap. */
DWORD GetAlphaBlendSectionSize(const BYTE *pRecord);

/* A short English phrase for a reason, to follow "metafile record ... " in
 * a log line (for example "points outside itself"). */
const char *GetEmfFaultText(int nReason);

#endif
