/*
 * EMF spool page reader: reads a page's spool file and builds an enhanced
 * metafile handle from its bytes, after checking that the header and the
 * record chain that the player walks lie inside what was read. What each
 * record holds is checked as it is played (emfplay.h).
 */
#ifndef JH_FORWARDING_PAGEREADER_H
#define JH_FORWARDING_PAGEREADER_H

#include <windows.h>
#include "forwarding/emfcheck.h"

#define PLACEABLE_KEY          0x9AC6CDD7u /* bytes D7 CD C6 9A */
#define PLACEABLE_PREFIX_SIZE  24          /* the metafile follows at offset 24 */
#define EMF_HEADER_SIZE        108         /* sizeof(ENHMETAHEADER) */
#define EMF_RECORD_MIN_SIZE    8           /* iType and nSize */

/* Results of CheckPageBytes. */
#define PAGE_OK                0
#define PAGE_NO_BUFFER         1 /* no buffer given */
#define PAGE_SHORT_HEADER      2 /* fewer bytes than the metafile header */
#define PAGE_SIZE_PAST_END     3 /* nBytes reaches past the bytes read */
#define PAGE_BROKEN_RECORD     4 /* a record of size 0, unaligned, or past nBytes */
#define PAGE_BAD_HEADER        5 /* a metafile header the player cannot use */

/* Where the metafile lies in a page buffer. */
typedef struct PageLayout {
    DWORD dwOffset;     /* 0, or PLACEABLE_PREFIX_SIZE behind the placeable key */
    DWORD cbMetaFile;   /* the header's nBytes */
    DWORD dwBadRecord;  /* PAGE_BROKEN_RECORD: offset of the bad record in the metafile */
    EmfFault stFault;   /* PAGE_BAD_HEADER: the header and why */
} PageLayout;

/* Checks cbBuffer bytes of a page: finds the metafile (behind the 24-byte
 * placeable prefix when the buffer starts with PLACEABLE_KEY), takes its
 * nBytes, walks the record chain and checks the header
 * (CheckMetaFileHeader). Gives PAGE_OK with *pLayout filled, or one of the
 * PAGE_* failures, which refuse the whole page (pLayout->dwBadRecord set for
 * a broken record, pLayout->stFault for the header). The builder checks the
 * signature. */
int CheckPageBytes(const BYTE *pBuffer, DWORD cbBuffer, PageLayout *pLayout);

/* Walks the records of a metafile of cbMetaFile bytes: each record must be at
 * least 8 bytes, a multiple of 4, and end within cbMetaFile. Gives TRUE, or
 * FALSE with *pdwBadOffset set to the offset of the first bad record. */
BOOL CheckRecordChain(const BYTE *pMetaFile, DWORD cbMetaFile, DWORD *pdwBadOffset);

/* Reads up to cbSize bytes (the page key's "Size") of the spool file
 * pszFileName with a single read into a heap block of exactly cbSize bytes
 * (at least 1). Gives the block (free with HeapFree on the process heap) and
 * the number of bytes actually read in *pcbRead, or NULL when the file cannot
 * be opened or read, or the block cannot be allocated (*pcbRead untouched,
 * the system error code of the failure kept for GetLastError). */
BYTE *ReadPageFile(const char *pszFileName, DWORD cbSize, DWORD *pcbRead);

/* Builds an enhanced metafile from the first cbBuffer bytes of a page buffer.
 * The bytes are checked with CheckPageBytes first; the metafile is built with
 * SetEnhMetaFileBits from the nBytes bytes at the metafile's offset (the
 * handle keeps its own copy; the buffer stays the caller's). Gives the handle
 * (delete with DeleteEnhMetaFile) or NULL; *pnCheck and *pLayout (both
 * optional) receive the CheckPageBytes result and layout. */
HENHMETAFILE ReadMetaFile(const BYTE *pBuffer, DWORD cbBuffer, int *pnCheck, PageLayout *pLayout);

#endif
