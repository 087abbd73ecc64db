/* A deterministic corpus of spooled pages: valid pages recorded through GDI
 * and malformed variants of them, family by family. */
#ifndef JH_TESTS_EMFCORPUS_H
#define JH_TESTS_EMFCORPUS_H

#include <windows.h>
#include <string>
#include <vector>

/* One page of the corpus. */
struct CorpusPage {
    std::string family; /* how it was made: "valid", "fields", "handles", ... */
    std::string name;   /* what was changed, for messages */
    std::string bytes;  /* the whole metafile */
    int nReason = -1;   /* "unsafe": why its one added record is to be left out (EMF_RECORD_*) */
};

/* Valid pages, recorded on an enhanced-metafile DC: text with a created
 * font and spacing, StretchDIBits, SetDIBitsToDevice, BitBlt and PatBlt,
 * StretchBlt, 16- and 32-bit polypolygons, polylines and beziers, a path,
 * a DIB pattern brush, pens with style entries, filled and framed regions,
 * clipping by rectangle and region, world transforms, a palette and a
 * comment; and a page of records as applications write them, which a
 * strict reading of the format would refuse. */
std::vector<CorpusPage> MakeValidPages();

/* Pages of the "unsafe" family: each adds one record to a valid page that
 * would mislead or exhaust the player (alpha blends the platform cannot make
 * a bitmap of, RESTOREDC of INT_MIN, an RLE bitmap of huge size in few
 * bytes, a palette resized to hundreds of millions of entries, regions of
 * 50000 rectangles, extended pens and bitmap headers read past the
 * metafile's end), with the reason it is to be left out for. */
std::vector<CorpusPage> MakeUnsafePages();

/* Malformed variants of a valid page: every 32-bit field of its data-carrying
 * records set to boundary values (offsets, sizes, counts), object handle
 * indexes around the handle table's size, bitmap header fields, header
 * fields, record types, and random bit flips from nSeed. */
std::vector<CorpusPage> MakeMalformedPages(const CorpusPage &valid, unsigned nSeed);

#endif
