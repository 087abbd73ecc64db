/*
 * The checking player: plays a spooled page record by record, as the
 * platform's PlayEnhMetaFile does, leaving out each record that the record
 * checks (emfcheck.h) or the font being played refuse.
 */
#ifndef JH_FORWARDING_EMFPLAY_H
#define JH_FORWARDING_EMFPLAY_H

#include <windows.h>
#include "forwarding/emfcheck.h"

/* What a play left out. */
typedef struct EmfPlayReport {
    EmfFault stFirst;   /* the first record left out; nReason EMF_RECORD_OK when none */
    DWORD    nLeftOut;  /* how many records were left out */
} EmfPlayReport;

/* Plays a metafile whose header passed CheckMetaFileHeader on hdc into
 * *prcPage. Each record is checked with CheckMetaFileRecord (the page's cost
 * bounds counted from this play's start) and, for text drawn by glyph
 * index, against the glyph table of the font selected at that point (which
 * only playing can tell); a record that fails is left out and counted in
 * *pReport (optional). An alpha blend whose bits are longer than its bitmap
 * is played with them cut to the bitmap; on a printer, a gradient that the
 * driver cannot draw is drawn as a picture and a small 1-bit pattern
 * brush is widened (emfprinter.h). Gives what
 * PlayEnhMetaFile would: FALSE when a record failed to play. */
BOOL PlayCheckedMetaFile(HDC hdc, HENHMETAFILE hMetaFile, const RECT *prcPage, EmfPlayReport *pReport);

#endif
