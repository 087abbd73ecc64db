/*
 * Record checks of a spooled page's enhanced metafile. The system's
 * metafile player trusts what a record says about itself: offsets, sizes
 * and counts of the data it carries, bitmap headers, object handle indexes,
 * and the header's handle count. A page is played only when every record
 * passes; the checks are a pure function of the page bytes.
 */
#ifndef JH_FORWARDING_EMFCHECK_H
#define JH_FORWARDING_EMFCHECK_H

#include <windows.h>

/* Why a record was refused. */
#define EMF_RECORD_OK            0
#define EMF_RECORD_UNKNOWN_TYPE  1 /* a type the player has no rules for */
#define EMF_RECORD_TOO_SHORT     2 /* shorter than its type's fixed part */
#define EMF_RECORD_OUTSIDE       3 /* an offset, size or count reaches past the record */
#define EMF_RECORD_BAD_BITMAP    4 /* a bitmap header the player cannot use safely */
#define EMF_RECORD_BAD_HANDLE    5 /* an object handle index outside the handle table */
#define EMF_RECORD_BAD_HEADER    6 /* header counts that do not match the records */
#define EMF_RECORD_BAD_REGION    7 /* region data the player cannot use safely */
#define EMF_RECORD_BAD_GLYPHS    8 /* glyph indexes outside the font being played */

/* The first record that failed. */
typedef struct EmfFault {
    int   nReason;   /* EMF_RECORD_* */
    DWORD dwType;    /* the record's type */
    DWORD dwOffset;  /* its offset in the metafile */
} EmfFault;

/* Takes a metafile of cbMetaFile bytes whose record chain has been walked
 * already (every record at least 8 bytes, a multiple of 4, inside
 * cbMetaFile). Checks the header (first record, handle count of at least 1,
 * record count equal to the records, its own offsets) and every record
 * against the rules of its type. Gives EMF_RECORD_OK, or the reason of the
 * first failing record with *pFault (optional) filled. */
int CheckMetaFileRecords(const BYTE *pMetaFile, DWORD cbMetaFile, EmfFault *pFault);

/* Plays a metafile that passed CheckMetaFileRecords on hdc into *prcPage,
 * record by record, as PlayEnhMetaFile does. Text drawn by glyph index is
 * played only when every index lies inside the glyph table of the font
 * selected at that point (which only playing can tell); such a record is
 * left out and the first one is described in *pSkipped (optional;
 * nReason EMF_RECORD_OK when nothing was left out). Gives what
 * PlayEnhMetaFile would: FALSE when a record failed to play. */
BOOL PlayCheckedMetaFile(HDC hdc, HENHMETAFILE hMetaFile, const RECT *prcPage, EmfFault *pSkipped);

/* A short English phrase for a reason, to follow "metafile record ... " in
 * a log line (for example "points outside itself"). */
const char *GetEmfFaultText(int nReason);

#endif
