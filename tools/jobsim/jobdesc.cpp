/*
 * Reads a job description INI file with the platform's private-profile
 * functions.
 */
#include "tools/jobsim/jobdesc.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

static void ReadText(const char *pszIni, const char *pszSection, const char *pszKey, const char *pszDefault,
                     char *pszOut, DWORD cchOut)
{
    GetPrivateProfileStringA(pszSection, pszKey, pszDefault, pszOut, cchOut, pszIni);
}

/* Numbers may be decimal, negative or 0x hex. */
static long ReadNumber(const char *pszIni, const char *pszSection, const char *pszKey, long lDefault)
{
    char szValue[64];
    GetPrivateProfileStringA(pszSection, pszKey, "", szValue, sizeof(szValue), pszIni);
    if (!szValue[0])
        return lDefault;
    return strtol(szValue, NULL, 0);
}

static BOOL HasKey(const char *pszIni, const char *pszSection, const char *pszKey)
{
    char szValue[8];
    return GetPrivateProfileStringA(pszSection, pszKey, "\x01", szValue, sizeof(szValue), pszIni) != 1 ||
           szValue[0] != '\x01';
}

DWORD SplitList(const char *pszList, char (*paszOut)[260], DWORD nMax)
{
    DWORD n = 0;
    const char *p = pszList;
    while (*p && n < nMax) {
        while (*p == ' ' || *p == '\t')
            p++;
        const char *pszEnd = strchr(p, ',');
        size_t cch = pszEnd ? (size_t)(pszEnd - p) : strlen(p);
        while (cch > 0 && (p[cch - 1] == ' ' || p[cch - 1] == '\t'))
            cch--;
        if (cch >= 260)
            cch = 259;
        memcpy(paszOut[n], p, cch);
        paszOut[n][cch] = '\0';
        n++;
        if (!pszEnd)
            break;
        p = pszEnd + 1;
    }
    return n;
}

/* Reads every key=value line of a section. */
static DWORD ReadSection(const char *pszIni, const char *pszSection, KeyValue *pOut, DWORD nMax)
{
    static char szSection[32768];
    DWORD cch = GetPrivateProfileSectionA(pszSection, szSection, sizeof(szSection), pszIni);
    DWORD n = 0;
    for (const char *p = szSection; p < szSection + cch && *p && n < nMax; p += strlen(p) + 1) {
        const char *pszEq = strchr(p, '=');
        if (!pszEq)
            continue;
        size_t cchName = (size_t)(pszEq - p);
        if (cchName >= sizeof(pOut[n].szName))
            continue;
        memcpy(pOut[n].szName, p, cchName);
        pOut[n].szName[cchName] = '\0';
        snprintf(pOut[n].szValue, sizeof(pOut[n].szValue), "%s", pszEq + 1);
        n++;
    }
    return n;
}

static int ParseEndMode(const char *pszMode)
{
    if (!lstrcmpiA(pszMode, "abort"))
        return JOBSIM_END_ABORT;
    if (!lstrcmpiA(pszMode, "app-abort"))
        return JOBSIM_END_APP_ABORT;
    if (!lstrcmpiA(pszMode, "none"))
        return JOBSIM_END_NONE;
    return JOBSIM_END_FINISH;
}

static void ReadJobSection(const char *pszIni, JobDesc *pDesc)
{
    char szText[JOBSIM_TEXT];
    const char *S = "Job";
    pDesc->nJobNumber = (int)ReadNumber(pszIni, S, "JobNumber", 1);
    pDesc->bHasDocumentName = HasKey(pszIni, S, "DocumentName");
    ReadText(pszIni, S, "DocumentName", "", pDesc->szDocumentName, sizeof(pDesc->szDocumentName));
    pDesc->dwPages = (DWORD)ReadNumber(pszIni, S, "Pages", 1);
    pDesc->bHasCopies = HasKey(pszIni, S, "Copies");
    pDesc->dwCopies = (DWORD)ReadNumber(pszIni, S, "Copies", 1);
    pDesc->bNoRedirect = ReadNumber(pszIni, S, "NoRedirect", 0) != 0;
    snprintf(szText, sizeof(szText), "%s\\Redirect", pDesc->szPrinterName);
    ReadText(pszIni, S, "RedirectPath", szText, pDesc->szRedirectPath, sizeof(pDesc->szRedirectPath));
    ReadText(pszIni, S, "RedirectPrinters", "", szText, sizeof(szText));
    pDesc->dwRedirectPrinters = SplitList(szText, pDesc->aszRedirectPrinters, JOBSIM_MAX_PRINTERS);
    ReadText(pszIni, S, "LogFile", "", pDesc->szLogFile, sizeof(pDesc->szLogFile));
    ReadText(pszIni, S, "EnableLog", "yes", pDesc->szEnableLog, sizeof(pDesc->szEnableLog));
    pDesc->nBatesStart = (int)ReadNumber(pszIni, S, "BatesStart", 1);
    pDesc->nBatesFormat = (int)ReadNumber(pszIni, S, "BatesFormat", -1);
    pDesc->bPlaceablePrefix = ReadNumber(pszIni, S, "PlaceablePrefix", 0) != 0;
    ReadText(pszIni, S, "PageText", "Content of page %d", pDesc->szPageText, sizeof(pDesc->szPageText));
    ReadText(pszIni, S, "SpoolDir", "", pDesc->szSpoolDir, sizeof(pDesc->szSpoolDir));
    pDesc->dwPageDelayMs = (DWORD)ReadNumber(pszIni, S, "PageDelayMs", 0);
    pDesc->dwDocumentDelayMs = (DWORD)ReadNumber(pszIni, S, "DocumentDelayMs", 0);
    pDesc->dwTimeoutSec = (DWORD)ReadNumber(pszIni, S, "TimeoutSec", 120);
    ReadText(pszIni, S, "End", "finish", szText, sizeof(szText));
    pDesc->nEndMode = ParseEndMode(szText);
    pDesc->dwEndAfterPage = (DWORD)ReadNumber(pszIni, S, "EndAfterPage", 0);
    ReadText(pszIni, S, "Program", "", pDesc->szProgram, sizeof(pDesc->szProgram));
}

static void ReadPostPrintSection(const char *pszIni, JobDesc *pDesc)
{
    const char *S = "PostPrint";
    pDesc->dwPostPrintFlags = (DWORD)ReadNumber(pszIni, S, "Flags", 0);
    ReadText(pszIni, S, "OutputFolder", "", pDesc->szOutputFolder, sizeof(pDesc->szOutputFolder));
    ReadText(pszIni, S, "OutputFilename", "", pDesc->szOutputFilename, sizeof(pDesc->szOutputFilename));
    pDesc->dwEmail = ReadSection(pszIni, "Email", pDesc->aEmail, JOBSIM_MAX_KV);
    pDesc->dwSharePoint = ReadSection(pszIni, "SharePoint", pDesc->aSharePoint, JOBSIM_MAX_KV);
}

static void ReadApplicationSection(const char *pszIni, JobDesc *pDesc)
{
    const char *S = "Application";
    pDesc->bStartApp = HasKey(pszIni, S, "Server");
    pDesc->dwAppFlags = (DWORD)ReadNumber(pszIni, S, "Flags", 0x1);
    ReadText(pszIni, S, "Server", "", pDesc->szAppServer, sizeof(pDesc->szAppServer));
    ReadText(pszIni, S, "CommandLine", "", pDesc->szAppCommandLine, sizeof(pDesc->szAppCommandLine));
    ReadText(pszIni, S, "MessagingInterface", "", pDesc->szAppEvent, sizeof(pDesc->szAppEvent));
}

BOOL ReadJobDesc(const char *pszIniPath, JobDesc *pDesc)
{
    memset(pDesc, 0, sizeof(*pDesc));
    ReadText(pszIniPath, "Job", "Printer", "", pDesc->szPrinterName, sizeof(pDesc->szPrinterName));
    if (!pDesc->szPrinterName[0])
        return FALSE;
    ReadJobSection(pszIniPath, pDesc);
    ReadPostPrintSection(pszIniPath, pDesc);
    ReadApplicationSection(pszIniPath, pDesc);
    pDesc->dwDevMode = ReadSection(pszIniPath, "DevMode", pDesc->aDevMode, JOBSIM_MAX_KV);
    pDesc->dwPageFiles = ReadSection(pszIniPath, "PageFiles", pDesc->aPageFiles, JOBSIM_MAX_KV);
    return TRUE;
}

const char *GetPageFileOverride(const JobDesc *pDesc, DWORD dwPage)
{
    for (DWORD i = 0; i < pDesc->dwPageFiles; i++) {
        if (strtoul(pDesc->aPageFiles[i].szName, NULL, 10) == dwPage)
            return pDesc->aPageFiles[i].szValue;
    }
    return NULL;
}
