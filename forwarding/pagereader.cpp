/*
 * EMF spool page reader. The platform's metafile player trusts the record
 * sizes (a record of size 0 makes it loop forever, a record past the end makes
 * it read outside the page) and the header's handle count, so the chain is
 * walked and the header checked here before anything is built from the
 * bytes; a page without a usable chain or header is refused whole.
 */
#include "forwarding/pagereader.h"

#include <cstring>

#define EMF_NBYTES_OFFSET 48 /* ENHMETAHEADER.nBytes */

static DWORD ReadDword(const BYTE *p)
{
    DWORD dw = 0;
    memcpy(&dw, p, sizeof(dw));
    return dw;
}

BOOL CheckRecordChain(const BYTE *pMetaFile, DWORD cbMetaFile, DWORD *pdwBadOffset)
{
    DWORD dwOffset = 0;
    while (dwOffset < cbMetaFile) {
        DWORD cbLeft = cbMetaFile - dwOffset;
        DWORD cbRecord = cbLeft >= EMF_RECORD_MIN_SIZE ? ReadDword(pMetaFile + dwOffset + 4) : 0;
        if (cbRecord < EMF_RECORD_MIN_SIZE || (cbRecord & 3) != 0 || cbRecord > cbLeft) {
            if (pdwBadOffset)
                *pdwBadOffset = dwOffset;
            return FALSE;
        }
        dwOffset += cbRecord;
    }
    return TRUE;
}

int CheckPageBytes(const BYTE *pBuffer, DWORD cbBuffer, PageLayout *pLayout)
{
    PageLayout stLayout;
    memset(&stLayout, 0, sizeof(stLayout));
    if (!pBuffer)
        return PAGE_NO_BUFFER;
    if (cbBuffer >= sizeof(DWORD) && ReadDword(pBuffer) == PLACEABLE_KEY)
        stLayout.dwOffset = PLACEABLE_PREFIX_SIZE;
    if (cbBuffer < stLayout.dwOffset || cbBuffer - stLayout.dwOffset < EMF_HEADER_SIZE)
        return PAGE_SHORT_HEADER;
    const BYTE *pMetaFile = pBuffer + stLayout.dwOffset;
    stLayout.cbMetaFile = ReadDword(pMetaFile + EMF_NBYTES_OFFSET);
    if (stLayout.cbMetaFile > cbBuffer - stLayout.dwOffset) {
        if (pLayout)
            *pLayout = stLayout;
        return PAGE_SIZE_PAST_END;
    }
    int nResult = PAGE_OK;
    if (!CheckRecordChain(pMetaFile, stLayout.cbMetaFile, &stLayout.dwBadRecord)) {
        nResult = PAGE_BROKEN_RECORD;
    } else {
        stLayout.stFault.nReason = CheckMetaFileHeader(pMetaFile, stLayout.cbMetaFile);
        stLayout.stFault.dwType = ReadDword(pMetaFile);
        if (stLayout.stFault.nReason != EMF_RECORD_OK)
            nResult = PAGE_BAD_HEADER;
    }
    if (pLayout)
        *pLayout = stLayout;
    return nResult;
}

BYTE *ReadPageFile(const char *pszFileName, DWORD cbSize, DWORD *pcbRead)
{
    if (!pszFileName || !pcbRead) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return NULL;
    }
    HANDLE hFile = CreateFileA(pszFileName, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return NULL;
    BYTE *pBuffer = (BYTE *)HeapAlloc(GetProcessHeap(), 0, cbSize ? cbSize : 1);
    DWORD cbRead = 0;
    DWORD dwError = ERROR_SUCCESS;
    if (!pBuffer)
        dwError = ERROR_NOT_ENOUGH_MEMORY;
    else if (!ReadFile(hFile, pBuffer, cbSize, &cbRead, NULL))
        dwError = GetLastError();
    CloseHandle(hFile);
    if (dwError != ERROR_SUCCESS) {
        if (pBuffer)
            HeapFree(GetProcessHeap(), 0, pBuffer);
        SetLastError(dwError);
        return NULL;
    }
    *pcbRead = cbRead;
    return pBuffer;
}

HENHMETAFILE ReadMetaFile(const BYTE *pBuffer, DWORD cbBuffer, int *pnCheck, PageLayout *pLayout)
{
    PageLayout stLayout;
    int nCheck = CheckPageBytes(pBuffer, cbBuffer, &stLayout);
    if (pnCheck)
        *pnCheck = nCheck;
    if (pLayout)
        *pLayout = stLayout;
    if (nCheck != PAGE_OK)
        return NULL;
    /* SetEnhMetaFileBits keeps its own copy of the bytes, so they are handed
     * over straight from the page buffer: a 50 MB page then needs 100 MB at
     * most here, not 150 MB through an intermediate block. */
    SetLastError(0);
    HENHMETAFILE hMetaFile = SetEnhMetaFileBits(stLayout.cbMetaFile, pBuffer + stLayout.dwOffset);
    return hMetaFile;
}
