/*
 * Kept pages: a copy of each forwarded page's spool data, its device mode
 * and its Bates values, in a folder of the job under the temporary folder,
 * for the redirect printers that must be sent the whole document again.
 */
#ifndef JH_FORWARDING_KEPTPAGES_H
#define JH_FORWARDING_KEPTPAGES_H

#include <windows.h>

#define KEPT_PAGE_MAGIC 0x504B484Au /* "JHKP" */

/* What comes first in a kept page's file; then the device mode
 * (cbDevMode bytes) and the spool data (cbSpool bytes). */
typedef struct KeptPageHeader {
    DWORD dwMagic;
    DWORD cbDevMode;
    DWORD cbSpool;
    int   nBatesStart;
    int   nBatesCurrent;
} KeptPageHeader;

/* Creates the job's folder "jobhelper_<job>_<process id>" in the temporary
 * folder and gives its path (without a trailing backslash) in pszFolder of
 * cchFolder characters. FALSE (pszFolder untouched, the system error code
 * for GetLastError) when the path does not fit or the folder cannot be
 * created; a folder that exists already is used. */
BOOL CreateKeepFolder(int nJobNumber, char *pszFolder, size_t cchFolder);

/* Composes "<folder>\<page>.kpg" into pszPath of cchPath characters; FALSE
 * (pszPath untouched) when it does not fit. */
BOOL FormatKeptPagePath(const char *pszFolder, DWORD dwPage, char *pszPath, size_t cchPath);

/* Writes a kept page: the header, pHeader->cbDevMode bytes of pDevMode and
 * pHeader->cbSpool bytes of pSpool. FALSE with the system error code for
 * GetLastError when it cannot be written whole; no part of it is left. */
BOOL WriteKeptPage(const char *pszPath, const KeptPageHeader *pHeader, const void *pDevMode, const void *pSpool);

/* Checks that cbFile bytes read from a kept page's file start with a header
 * whose sizes add up to cbFile; fills *pHeader. */
BOOL CheckKeptPageHeader(const BYTE *pFile, DWORD cbFile, KeptPageHeader *pHeader);

/* Deletes kept pages 1 to dwPages and the folder; nothing when pszFolder is
 * empty. */
void RemoveKeepFolder(const char *pszFolder, DWORD dwPages);

#endif
