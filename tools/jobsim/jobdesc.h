/*
 * Job description of the port monitor simulator: an INI file read into one
 * plain record. See tools/jobsim/README.md for the keys.
 */
#ifndef JH_TOOLS_JOBDESC_H
#define JH_TOOLS_JOBDESC_H

#include <windows.h>

#define JOBSIM_MAX_PRINTERS 8
#define JOBSIM_MAX_KV       32
#define JOBSIM_TEXT         1024

/* How the simulated job ends. */
#define JOBSIM_END_FINISH     0 /* "Job Status" = "Job Finished" */
#define JOBSIM_END_ABORT      1 /* "Job Status" = "Aborted" */
#define JOBSIM_END_APP_ABORT  2 /* "Ready" = "Abort" with "Job Status" = "Job Finished" */
#define JOBSIM_END_NONE       3 /* the job key never gets a status */

typedef struct KeyValue {
    char szName[128];
    char szValue[JOBSIM_TEXT];
} KeyValue;

typedef struct JobDesc {
    char  szPrinterName[JOBSIM_TEXT];
    int   nJobNumber;
    char  szDocumentName[260];
    BOOL  bHasDocumentName;
    DWORD dwPages;
    DWORD dwCopies;
    BOOL  bHasCopies;
    BOOL  bNoRedirect;
    char  szRedirectPath[260];                 /* below the root key */
    char  aszRedirectPrinters[JOBSIM_MAX_PRINTERS][260];
    DWORD dwRedirectPrinters;
    char  szLogFile[260];
    char  szEnableLog[32];
    int   nBatesStart;
    int   nBatesFormat;
    BOOL  bPlaceablePrefix;
    char  szPageText[260];                     /* "%d" is the page number */
    char  szSpoolDir[260];
    DWORD dwPageDelayMs;
    DWORD dwDocumentDelayMs;
    DWORD dwTimeoutSec;
    int   nEndMode;
    DWORD dwEndAfterPage;                      /* abort once this page was consumed; 0: after all */
    DWORD dwPostPrintFlags;
    char  szOutputFolder[260];
    char  szOutputFilename[260];
    BOOL  bStartApp;
    DWORD dwAppFlags;
    char  szAppServer[260];
    char  szAppCommandLine[JOBSIM_TEXT];
    char  szAppEvent[260];
    char  szProgram[260];                      /* jobhelper.exe; default beside jobsim.exe */
    KeyValue aEmail[JOBSIM_MAX_KV];            /* values of the e-mail key */
    DWORD dwEmail;
    KeyValue aSharePoint[JOBSIM_MAX_KV];       /* values of the SharePoint key */
    DWORD dwSharePoint;
    KeyValue aDevMode[JOBSIM_MAX_KV];          /* device-mode settings, see README */
    DWORD dwDevMode;
    KeyValue aPageFiles[JOBSIM_MAX_KV];        /* page number = spool file instead of a drawn page */
    DWORD dwPageFiles;
} JobDesc;

/* The spool file that [PageFiles] gives page dwPage, or NULL for a drawn
 * page: a file to copy, or "missing", "directory" or "locked". */
const char *GetPageFileOverride(const JobDesc *pDesc, DWORD dwPage);

/* Reads the job description from an INI file. FALSE when the file has no
 * [Job] section or no printer name. */
BOOL ReadJobDesc(const char *pszIniPath, JobDesc *pDesc);

/* Splits a comma-separated list into up to nMax entries of 260 characters;
 * blanks around entries are dropped. Gives the number of entries. */
DWORD SplitList(const char *pszList, char (*paszOut)[260], DWORD nMax);

#endif
