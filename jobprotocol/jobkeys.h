/*
 * Job key protocol: the registry keys through which the port monitor hands a
 * print job to this program. All keys lie under HKEY_CURRENT_USER; paths and
 * value names are ANSI. The program only reads values and deletes keys.
 */
#ifndef JH_JOBPROTOCOL_JOBKEYS_H
#define JH_JOBPROTOCOL_JOBKEYS_H

#include <windows.h>
#include "settings/rootkey.h"

/* The root key with its separator: every job key path starts with it. */
#define JH_ROOT_KEY JH_ROOT_KEY_A "\\"

#define KEY_PATH_SIZE       272  /* composed key paths */
#define JOB_KEY_PATH_MAX    260  /* longest key path the ANSI registry calls open or delete */
#define TEXT_BUFFER_SIZE    260  /* paths and most texts */
#define COMMAND_LINE_SIZE   1024 /* an application's command-line text */
#define PRINTER_NAME_SIZE   512  /* redirect printer names */

#define KEY_DOCUMENT_NAME   "DOCUMENT NAME"
#define KEY_OUTPUTDIR_NAME  "OUTPUTDIR NAME"
#define KEY_REGISTRY_PATH   "REDIRECT INFO REGISTRY PATH"
#define PRINTER_NAME        "Printer %d"

/* Result codes of the readers. */
#define RET_NONE                        0
#define RET_START_APP_READY             1
#define RET_START_APP_BEFORE            1
#define RET_JOB_FINISHED                1
#define RET_REDIRECT_PRINTING_FINISHED  1
#define RET_PAGE_READY                  1
#define RET_START_APP_ABORT             2
#define RET_START_APP_AFTER             2
#define RET_JOB_ABORTED                 2
#define RET_PAGE_ABORT                  2
#define RET_REDIRECT_PRINTING_PRINTING  3
#define RET_REDIRECT_PRINTING_DISABLED  4

/* Bits of the job key's "Flags". */
#define SAF_START_APPLICATION    0x1
#define SAF_BEFORE_PRINTING      0x2
#define SAF_APPEND_COMMAND_LINE  0x4
#define SAF_MINIMIZED            0x10
#define SAF_HIDDEN               0x20

/* Bits of the job key's "Post Print Flags", run in this order. */
#define PPF_OPEN_OUTPUT_FOLDER   0x1
#define PPF_SEND_IN_EMAIL        0x2
#define PPF_OPEN_IN_VIEWER       0x4
#define PPF_UPLOAD_TO_SHAREPOINT 0x8

/* Key path builders. Each formats into a caller's buffer of cchPath
 * characters and gives TRUE, or FALSE (buffer untouched) when the path would
 * not fit the buffer or is longer than JOB_KEY_PATH_MAX characters. */
BOOL FormatJobKeyPath(const char *pszPrinterName, int nJobNumber, char *pszPath, size_t cchPath);
BOOL FormatPageKeyPath(const char *pszPrinterName, int nJobNumber, DWORD dwPage, char *pszPath, size_t cchPath);
BOOL FormatJobSettingsKeyPath(const char *pszPrinterName, int nJobNumber, char *pszPath, size_t cchPath);
BOOL FormatEmailKeyPath(const char *pszPrinterName, int nJobNumber, char *pszPath, size_t cchPath);
BOOL FormatSharePointKeyPath(const char *pszPrinterName, int nJobNumber, char *pszPath, size_t cchPath);

/* TRUE when every key path of the job protocol built from this printer name
 * and job number has at most JOB_KEY_PATH_MAX characters: the job key, the
 * document key and the page keys up to the longest page number, the job
 * settings key (also the job's numbered settings profile), the e-mail and
 * SharePoint keys. */
BOOL JobKeyPathsFit(const char *pszPrinterName, int nJobNumber);

/* Job key. */
int StartApp_CheckReady(const char *pszPrinterName, int nJobNumber);
int StartApp_ReadRegistryKey(const char *pszPrinterName, int nJobNumber,
                             char *pszCommandLine, DWORD cbCommandLine,
                             char *pszAppPath, DWORD cbAppPath, DWORD *pdwFlags,
                             char *pszEventName, DWORD cbEventName);
int ReadJobStatusFromRegistryKey(const char *pszPrinterName, int nJobNumber);
/* *pcbData: in, the buffer size in bytes; out, the bytes read. */
BOOL ReadJobRegistryString(const char *pszPrinterName, int nJobNumber, const char *pszValueName,
                           char *pszData, DWORD *pcbData);
BOOL ReadJobRegistryDword(const char *pszPrinterName, int nJobNumber, const char *pszValueName,
                          DWORD *pdwData);
BOOL ReadEmailTmpRegistryValue(int nJobNumber, const char *pszPrinterName, const char *pszValueName,
                               char *pszData, DWORD *pcbData);
BOOL ReadSharePointTmpRegistryValue(int nJobNumber, const char *pszPrinterName, const char *pszValueName,
                                    char *pszData, DWORD *pcbData);

/* 32-bit values of the protocol are read from REG_DWORD data of 4 bytes, or
 * from REG_SZ / REG_EXPAND_SZ text holding one decimal number in
 * -2147483648..4294967295 (blanks around it allowed; a negative number gives
 * its two's complement). Data of any other type or size, or other text,
 * counts as a missing value. */

/* Largest "DevModeSize" taken: a device mode's dmSize and dmDriverExtra are
 * 16-bit, so none is larger. A larger one counts as missing. */
#define DEVMODE_MAX_SIZE    (0xFFFF + 0xFFFF)

/* Document key (page 0) and page keys. pszDocumentName holds 260 bytes,
 * pszRegistryPath KEY_PATH_SIZE bytes. */
int ReadEndDocFromRegistryKey(const char *pszPrinterName, int nJobNumber, DWORD *pdwPageCount,
                              char *pszDocumentName, char *pszRegistryPath);
/* A page key whose "Ready" is "YES" gives RET_PAGE_READY; its "Forwarding",
 * "Size" and "DevModeSize" are read in that order up to the first one that
 * cannot be read, the outputs not read keeping the caller's values, except
 * that a "Forwarding" that cannot be read whole (missing, or too long for
 * cbFileName with its terminator) leaves pszFileName empty: a ready page
 * never carries a cut or unterminated name. With all three read,
 * *ppDevMode receives a buffer allocated with HeapAlloc(GetProcessHeap())
 * holding "DevMode"; the caller frees it with HeapFree whatever the result
 * (RET_NONE when "DevMode" cannot be read). */
int RedirectPrinting_ReadRegistryKey(const char *pszPrinterName, int nJobNumber, DWORD dwPage,
                                     char *pszFileName, DWORD cbFileName, DWORD *pdwFileSize,
                                     BYTE **ppDevMode, DWORD *pdwDevModeSize);
BOOL RedirectPrinting_ReadFileNameRegistryKey(const char *pszPrinterName, int nJobNumber, DWORD dwPage,
                                              char *pszFileName);
BOOL RedirectPrinting_ReadNumberOfCopies(const char *pszPrinterName, int nJobNumber, DWORD *pdwCopies);
BOOL RedirectPrinting_ReadBatesNumbers(const char *pszPrinterName, int nJobNumber,
                                       int *pnCurrentBatesNumber, int *pnBatesStartNumber);

/* Redirect settings key. */
DWORD RedirectPrinting_ReadPrinterCount(const char *pszRegistryPath);
/* *pcbName: in, the buffer size in bytes; out, the bytes read. */
BOOL RedirectPrinting_ReadPrinterName(const char *pszRegistryPath, int nIndex, char *pszName, DWORD *pcbName);

/* Deletions; failures (key gone, subkeys left) are ignored. */
void DeleteJobRegistryKey(const char *pszPrinterName, int nJobNumber);
BOOL DeletePortMonitorFinishedTheJobRegistryKey(const char *pszPrinterName, int nJobNumber);
void DeleteSaveAsOptionSettingsRegistryKey(const char *pszPrinterName, int nJobNumber);
void RedirectPrinting_DeletePageRegistryKey(const char *pszPrinterName, int nJobNumber, DWORD dwPage);
void DeleteAbortedJobRegistryKeys(const char *pszPrinterName, int nJobNumber);

#endif
