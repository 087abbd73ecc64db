/*
 * Kept pages: one file per page in the job's folder, written as the page is
 * consumed and read again when a printer that was away is sent the whole
 * document.
 */
#include "forwarding/keptpages.h"

#include <cstdio>
#include <cstring>

BOOL CreateKeepFolder(int nJobNumber, char *pszFolder, size_t cchFolder)
{
    char szTemp[MAX_PATH], szFolder[MAX_PATH];
    DWORD cchTemp = GetTempPathA(MAX_PATH, szTemp);
    if (cchTemp == 0 || cchTemp >= MAX_PATH)
        return FALSE;
    int cch = snprintf(szFolder, sizeof(szFolder), "%sjobhelper_%d_%lu", szTemp, nJobNumber,
                       (unsigned long)GetCurrentProcessId());
    if (cch < 0 || (size_t)cch >= sizeof(szFolder) || (size_t)cch >= cchFolder) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    if (!CreateDirectoryA(szFolder, NULL) && GetLastError() != ERROR_ALREADY_EXISTS)
        return FALSE;
    memcpy(pszFolder, szFolder, (size_t)cch + 1);
    return TRUE;
}

BOOL FormatKeptPagePath(const char *pszFolder, DWORD dwPage, char *pszPath, size_t cchPath)
{
    char szPath[MAX_PATH];
    int cch = snprintf(szPath, sizeof(szPath), "%s\\%lu.kpg", pszFolder, (unsigned long)dwPage);
    if (cch < 0 || (size_t)cch >= sizeof(szPath) || (size_t)cch >= cchPath)
        return FALSE;
    memcpy(pszPath, szPath, (size_t)cch + 1);
    return TRUE;
}

/* Writes cb bytes whole; FALSE with the error code kept. */
static BOOL WriteWhole(HANDLE hFile, const void *pData, DWORD cb)
{
    DWORD cbWritten = 0;
    if (cb == 0)
        return TRUE;
    if (!WriteFile(hFile, pData, cb, &cbWritten, NULL))
        return FALSE;
    if (cbWritten != cb) {
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    return TRUE;
}

BOOL WriteKeptPage(const char *pszPath, const KeptPageHeader *pHeader, const void *pDevMode, const void *pSpool)
{
    HANDLE hFile = CreateFileA(pszPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    BOOL bWritten = WriteWhole(hFile, pHeader, sizeof(*pHeader)) &&
                    WriteWhole(hFile, pDevMode, pHeader->cbDevMode) &&
                    WriteWhole(hFile, pSpool, pHeader->cbSpool);
    DWORD dwError = GetLastError();
    CloseHandle(hFile);
    if (!bWritten) {
        DeleteFileA(pszPath);
        SetLastError(dwError);
    }
    return bWritten;
}

BOOL CheckKeptPageHeader(const BYTE *pFile, DWORD cbFile, KeptPageHeader *pHeader)
{
    KeptPageHeader stHeader;
    if (!pFile || cbFile < sizeof(stHeader))
        return FALSE;
    memcpy(&stHeader, pFile, sizeof(stHeader));
    DWORD cbRest = cbFile - (DWORD)sizeof(stHeader);
    if (stHeader.dwMagic != KEPT_PAGE_MAGIC || stHeader.cbDevMode > cbRest ||
        stHeader.cbSpool != cbRest - stHeader.cbDevMode)
        return FALSE;
    *pHeader = stHeader;
    return TRUE;
}

void RemoveKeepFolder(const char *pszFolder, DWORD dwPages)
{
    char szPath[MAX_PATH];
    if (!pszFolder || !pszFolder[0])
        return;
    for (DWORD dwPage = 1; dwPage <= dwPages; dwPage++) {
        if (FormatKeptPagePath(pszFolder, dwPage, szPath, sizeof(szPath)))
            DeleteFileA(szPath);
    }
    RemoveDirectoryA(pszFolder);
}
