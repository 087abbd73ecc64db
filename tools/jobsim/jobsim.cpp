/*
 * jobsim.exe: the least port monitor. It reads a job description (INI),
 * writes the job's registry keys in the order the program requires, writes
 * each page's spool file as a real enhanced metafile, starts jobhelper.exe
 * with "job,printer" as the port monitor does, and waits for it to end.
 *
 *   jobsim.exe job.ini
 *
 * Exit code: jobhelper's exit code, or 1 when it could not be started or
 * did not end in time.
 */
#include "jobprotocol/jobkeys.h"
#include "tools/jobsim/jobdesc.h"
#include "tools/jobsim/spoolpage.h"
#include "tools/jobsim/jobdevmode.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#define DEVMODE_BUFFER_SIZE 8192

static std::string Root(const char *pszRest)
{
    return std::string(JH_ROOT_KEY) + pszRest;
}

static void SetValue(const std::string &path, const char *pszName, DWORD dwType, const void *pData, DWORD cb)
{
    HKEY hKey = NULL;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL, &hKey, NULL) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(hKey, pszName, 0, dwType, (const BYTE *)pData, cb);
    RegCloseKey(hKey);
}

static void SetString(const std::string &path, const char *pszName, const char *pszValue)
{
    SetValue(path, pszName, REG_SZ, pszValue, (DWORD)strlen(pszValue) + 1);
}

static void SetDword(const std::string &path, const char *pszName, DWORD dwValue)
{
    SetValue(path, pszName, REG_DWORD, &dwValue, sizeof(dwValue));
}

static bool KeyExists(const std::string &path)
{
    HKEY hKey = NULL;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

/* Waits until a key is gone or the process has ended; true when it is gone. */
static bool WaitKeyGone(const std::string &path, HANDLE hProcess, DWORD dwTimeoutMs)
{
    for (DWORD dwWaited = 0; dwWaited < dwTimeoutMs; dwWaited += 50) {
        if (!KeyExists(path))
            return true;
        if (WaitForSingleObject(hProcess, 50) == WAIT_OBJECT_0)
            return !KeyExists(path);
    }
    return false;
}

typedef struct JobPaths {
    std::string job, document, redirect, email, sharepoint;
    char szPage[KEY_PATH_SIZE];
} JobPaths;

static void RemoveStaleKeys(const JobDesc *pDesc, const JobPaths *pPaths)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, pPaths->job.c_str());
    RegDeleteTreeA(HKEY_CURRENT_USER, pPaths->document.c_str());
    for (DWORD n = 1; n <= pDesc->dwPages + 1; n++) {
        char szPath[KEY_PATH_SIZE];
        if (FormatPageKeyPath(pDesc->szPrinterName, pDesc->nJobNumber, n, szPath, sizeof(szPath)))
            RegDeleteTreeA(HKEY_CURRENT_USER, szPath);
    }
}

static void WriteApplicationValues(const JobDesc *pDesc, const JobPaths *pPaths)
{
    SetString(pPaths->job, "Server", pDesc->szAppServer);
    SetString(pPaths->job, "Command Line", pDesc->szAppCommandLine);
    SetDword(pPaths->job, "Flags", pDesc->dwAppFlags);
    if (pDesc->szAppEvent[0])
        SetString(pPaths->job, "MessagingInterface", pDesc->szAppEvent);
    SetString(pPaths->job, "Ready", "YES");
}

static void WriteRedirectSettings(const JobDesc *pDesc, const JobPaths *pPaths)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, pPaths->redirect.c_str());
    SetDword(pPaths->redirect, "Printer count", pDesc->dwRedirectPrinters);
    for (DWORD i = 0; i < pDesc->dwRedirectPrinters; i++) {
        char szName[32];
        snprintf(szName, sizeof(szName), PRINTER_NAME, (int)(i + 1));
        SetString(pPaths->redirect, szName, pDesc->aszRedirectPrinters[i]);
    }
    if (pDesc->szLogFile[0]) {
        SetString(pPaths->redirect, "Enable Redirect Printing Log", pDesc->szEnableLog);
        SetString(pPaths->redirect, "Redirect Printing Log File", pDesc->szLogFile);
    }
}

static void WriteDocumentKey(const JobDesc *pDesc, const JobPaths *pPaths)
{
    if (pDesc->bNoRedirect) {
        SetString(pPaths->document, "Ready", "No Redirect");
        return;
    }
    if (pDesc->bHasDocumentName)
        SetString(pPaths->document, KEY_DOCUMENT_NAME, pDesc->szDocumentName);
    SetString(pPaths->document, KEY_OUTPUTDIR_NAME, pDesc->szOutputFolder);
    SetString(pPaths->document, KEY_REGISTRY_PATH, pDesc->szRedirectPath);
    if (pDesc->bHasCopies)
        SetDword(pPaths->document, "Number of copies", pDesc->dwCopies);
    SetDword(pPaths->document, "Bates start number", (DWORD)pDesc->nBatesStart);
    SetDword(pPaths->document, "Current Bates number", (DWORD)pDesc->nBatesFormat);
    SetString(pPaths->document, "Ready", "Printing");
}

/* A file held open without sharing until jobsim ends ("locked" pages). */
static HANDLE g_ahLocked[JOBSIM_MAX_KV];
static DWORD g_nLocked;

/* Patches a drawn page in place: "patch:<type>:<offset>=<value>" sets the
 * 32-bit field at <offset> of the first record of that type. */
static void PatchPage(const char *pszFile, const char *pszPatch)
{
    unsigned long ulType = 0, ulOffset = 0, ulValue = 0;
    if (sscanf(pszPatch, "patch:%lu:%lu=%li", &ulType, &ulOffset, (long *)&ulValue) != 3)
        return;
    HANDLE hFile = CreateFileA(pszFile, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return;
    std::vector<BYTE> bytes(GetFileSize(hFile, NULL));
    DWORD cb = 0;
    ReadFile(hFile, bytes.data(), (DWORD)bytes.size(), &cb, NULL);
    for (DWORD dwOffset = 0; dwOffset + 8 <= cb;) {
        DWORD dwType = 0, cbRecord = 0;
        memcpy(&dwType, &bytes[dwOffset], 4);
        memcpy(&cbRecord, &bytes[dwOffset + 4], 4);
        if (cbRecord < 8)
            break;
        if (dwType == ulType && ulOffset + 4 <= cbRecord) {
            DWORD dwValue = (DWORD)ulValue;
            memcpy(&bytes[dwOffset + ulOffset], &dwValue, 4);
            break;
        }
        dwOffset += cbRecord;
    }
    SetFilePointer(hFile, 0, NULL, FILE_BEGIN);
    WriteFile(hFile, bytes.data(), cb, &cb, NULL);
    CloseHandle(hFile);
}

/* Writes page dwPage's spool file as [PageFiles] asks: a drawn page with one
 * field patched, a copy of a given file, a name that does not exist, a
 * directory, or a drawn page held open without sharing. Gives the size for
 * "Size", or 0 when nothing could be written. */
static DWORD WritePageFileOverride(const char *pszOverride, char *pszFile, size_t cchFile, DWORD dwPage,
                                   const JobDesc *pDesc)
{
    if (strcmp(pszOverride, "missing") == 0)
        return 1000;
    if (strcmp(pszOverride, "directory") == 0) {
        strncat(pszFile, ".dir", cchFile - strlen(pszFile) - 1);
        CreateDirectoryA(pszFile, NULL);
        return 1000;
    }
    if (strncmp(pszOverride, "patch:", 6) == 0) {
        DWORD cbFile = WriteSpoolPage(pszFile, dwPage, pDesc->szPageText, FALSE);
        PatchPage(pszFile, pszOverride);
        return cbFile;
    }
    if (strcmp(pszOverride, "locked") == 0) {
        DWORD cbFile = WriteSpoolPage(pszFile, dwPage, pDesc->szPageText, pDesc->bPlaceablePrefix);
        HANDLE hFile = CreateFileA(pszFile, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        if (hFile != INVALID_HANDLE_VALUE && g_nLocked < JOBSIM_MAX_KV)
            g_ahLocked[g_nLocked++] = hFile;
        return cbFile;
    }
    /* The copy is the port monitor's spool file, which the helper deletes:
     * a read-only source (shared test pages) must not make it read-only. */
    if (!CopyFileA(pszOverride, pszFile, FALSE))
        return 0;
    SetFileAttributesA(pszFile, FILE_ATTRIBUTE_NORMAL);
    WIN32_FILE_ATTRIBUTE_DATA stData;
    return GetFileAttributesExA(pszFile, GetFileExInfoStandard, &stData) ? stData.nFileSizeLow : 0;
}

/* Writes spool file and page key n, "Ready" last. */
static bool WritePage(const JobDesc *pDesc, DWORD dwPage, const BYTE *pDevMode, DWORD cbDevMode)
{
    char szFile[MAX_PATH], szKey[KEY_PATH_SIZE];
    snprintf(szFile, sizeof(szFile), "%s\\%d_%lu.emf", pDesc->szSpoolDir, pDesc->nJobNumber, (unsigned long)dwPage);
    const char *pszOverride = GetPageFileOverride(pDesc, dwPage);
    DWORD cbFile = pszOverride ? WritePageFileOverride(pszOverride, szFile, sizeof(szFile), dwPage, pDesc)
                               : WriteSpoolPage(szFile, dwPage, pDesc->szPageText, pDesc->bPlaceablePrefix);
    if (!cbFile || !FormatPageKeyPath(pDesc->szPrinterName, pDesc->nJobNumber, dwPage, szKey, sizeof(szKey)))
        return false;
    SetString(szKey, "Forwarding", szFile);
    SetDword(szKey, "Size", cbFile);
    SetDword(szKey, "DevModeSize", cbDevMode);
    SetValue(szKey, "DevMode", REG_BINARY, pDevMode, cbDevMode);
    SetString(szKey, "Ready", "YES");
    printf("jobsim: page %lu written: %s (%lu bytes)\n", (unsigned long)dwPage, szFile, (unsigned long)cbFile);
    return true;
}

static void WriteJobEnd(const JobDesc *pDesc, const JobPaths *pPaths)
{
    if (pDesc->dwPostPrintFlags)
        SetDword(pPaths->job, "Post Print Flags", pDesc->dwPostPrintFlags);
    if (pDesc->szOutputFolder[0])
        SetString(pPaths->job, "Output folder", pDesc->szOutputFolder);
    if (pDesc->szOutputFilename[0])
        SetString(pPaths->job, "Output Filename", pDesc->szOutputFilename);
    for (DWORD i = 0; i < pDesc->dwEmail; i++)
        SetString(pPaths->email, pDesc->aEmail[i].szName, pDesc->aEmail[i].szValue);
    for (DWORD i = 0; i < pDesc->dwSharePoint; i++)
        SetString(pPaths->sharepoint, pDesc->aSharePoint[i].szName, pDesc->aSharePoint[i].szValue);
    switch (pDesc->nEndMode) {
    case JOBSIM_END_ABORT:
        SetString(pPaths->job, "Job Status", "Aborted");
        printf("jobsim: job aborted (\"Job Status\" = \"Aborted\")\n");
        break;
    case JOBSIM_END_APP_ABORT:
        SetString(pPaths->job, "Ready", "Abort");
        SetString(pPaths->job, "Job Status", "Job Finished");
        printf("jobsim: job abandoned (\"Ready\" = \"Abort\")\n");
        break;
    case JOBSIM_END_FINISH:
        SetString(pPaths->job, "Job Status", "Job Finished");
        printf("jobsim: job finished\n");
        break;
    default:
        break;
    }
}

static HANDLE StartJobHelper(const JobDesc *pDesc)
{
    char szProgram[MAX_PATH];
    if (pDesc->szProgram[0]) {
        snprintf(szProgram, sizeof(szProgram), "%s", pDesc->szProgram);
    } else {
        GetModuleFileNameA(NULL, szProgram, MAX_PATH);
        char *pszSlash = strrchr(szProgram, '\\');
        snprintf(pszSlash ? pszSlash + 1 : szProgram, MAX_PATH - (pszSlash ? (pszSlash + 1 - szProgram) : 0),
                 "jobhelper.exe");
    }
    std::string cmd = std::string("\"") + szProgram + "\" " + std::to_string(pDesc->nJobNumber) + "," +
                      pDesc->szPrinterName;
    std::vector<char> buf(cmd.begin(), cmd.end());
    buf.push_back('\0');
    STARTUPINFOA si;
    PROCESS_INFORMATION pi;
    memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    if (!CreateProcessA(szProgram, buf.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        printf("jobsim: cannot start %s: error %lu\n", szProgram, GetLastError());
        return NULL;
    }
    CloseHandle(pi.hThread);
    printf("jobsim: started %s\n", cmd.c_str());
    return pi.hProcess;
}

/* Feeds the pages; gives false when the job was ended early. */
static bool FeedPages(const JobDesc *pDesc, const JobPaths *pPaths, HANDLE hProcess)
{
    static BYTE devMode[DEVMODE_BUFFER_SIZE];
    DWORD cbDevMode = BuildJobDevMode(devMode, sizeof(devMode), pDesc->szPrinterName, pDesc->aDevMode,
                                      pDesc->dwDevMode);
    for (DWORD n = 1; n <= pDesc->dwPages; n++) {
        if (!WritePage(pDesc, n, devMode, cbDevMode))
            printf("jobsim: page %lu could not be written\n", (unsigned long)n);
        if (pDesc->dwPageDelayMs)
            Sleep(pDesc->dwPageDelayMs);
        if (pDesc->dwEndAfterPage == n && pDesc->nEndMode != JOBSIM_END_FINISH) {
            char szKey[KEY_PATH_SIZE];
            FormatPageKeyPath(pDesc->szPrinterName, pDesc->nJobNumber, n, szKey, sizeof(szKey));
            WaitKeyGone(szKey, hProcess, pDesc->dwTimeoutSec * 1000);
            WriteJobEnd(pDesc, pPaths);
            return false;
        }
    }
    return true;
}

static int RunJob(JobDesc *pDesc)
{
    JobPaths paths;
    char szPath[KEY_PATH_SIZE];
    if (!FormatJobKeyPath(pDesc->szPrinterName, pDesc->nJobNumber, szPath, sizeof(szPath)))
        printf("jobsim: the printer name makes the key paths too long\n");
    paths.job = szPath;
    FormatPageKeyPath(pDesc->szPrinterName, pDesc->nJobNumber, 0, szPath, sizeof(szPath));
    paths.document = szPath;
    paths.redirect = Root(pDesc->szRedirectPath);
    FormatEmailKeyPath(pDesc->szPrinterName, pDesc->nJobNumber, szPath, sizeof(szPath));
    paths.email = szPath;
    FormatSharePointKeyPath(pDesc->szPrinterName, pDesc->nJobNumber, szPath, sizeof(szPath));
    paths.sharepoint = szPath;
    RemoveStaleKeys(pDesc, &paths);

    HANDLE hEvent = NULL;
    if (pDesc->bStartApp && pDesc->szAppEvent[0])
        hEvent = CreateEventA(NULL, TRUE, FALSE, pDesc->szAppEvent);
    if (pDesc->bStartApp)
        WriteApplicationValues(pDesc, &paths);
    if (!pDesc->bNoRedirect)
        WriteRedirectSettings(pDesc, &paths);
    HANDLE hProcess = StartJobHelper(pDesc);
    if (!hProcess) {
        if (hEvent)
            CloseHandle(hEvent);
        return 1;
    }
    DWORD dwTimeoutMs = pDesc->dwTimeoutSec * 1000;
    Sleep(pDesc->dwDocumentDelayMs);
    WriteDocumentKey(pDesc, &paths);
    bool bAllPages = pDesc->bNoRedirect || FeedPages(pDesc, &paths, hProcess);
    if (bAllPages) {
        if (!pDesc->bNoRedirect) {
            SetDword(paths.document, "PAGENUMBER", pDesc->dwPages);
            SetString(paths.document, "Ready", "YES");
        }
        /* An application started before printing takes the job key away;
         * the status goes into a new job key after that. */
        if (pDesc->bStartApp && (pDesc->dwAppFlags & SAF_BEFORE_PRINTING) && (pDesc->dwAppFlags & SAF_START_APPLICATION))
            WaitKeyGone(paths.job, hProcess, dwTimeoutMs);
        WriteJobEnd(pDesc, &paths);
    }
    int nExit = 1;
    if (WaitForSingleObject(hProcess, dwTimeoutMs) == WAIT_OBJECT_0) {
        DWORD dwCode = 1;
        GetExitCodeProcess(hProcess, &dwCode);
        printf("jobsim: jobhelper ended with exit code %lu\n", dwCode);
        nExit = (int)dwCode;
    } else {
        printf("jobsim: jobhelper did not end within %lu s; stopped\n", (unsigned long)pDesc->dwTimeoutSec);
        TerminateProcess(hProcess, 1);
    }
    if (hEvent) {
        printf("jobsim: event \"%s\" %s\n", pDesc->szAppEvent,
               WaitForSingleObject(hEvent, 0) == WAIT_OBJECT_0 ? "was set" : "was not set");
        CloseHandle(hEvent);
    }
    CloseHandle(hProcess);
    for (DWORD i = 0; i < g_nLocked; i++)
        CloseHandle(g_ahLocked[i]);
    return nExit;
}

int main(int argc, char **argv)
{
    static JobDesc desc;
    char szIni[MAX_PATH];
    if (argc != 2) {
        fprintf(stderr, "usage: jobsim.exe JOB.ini\n"
                        "Simulates the port monitor for one print job; see tools/jobsim/README.md.\n");
        return 2;
    }
    setvbuf(stdout, NULL, _IONBF, 0);
    if (!GetFullPathNameA(argv[1], MAX_PATH, szIni, NULL) || GetFileAttributesA(szIni) == INVALID_FILE_ATTRIBUTES) {
        fprintf(stderr, "jobsim: cannot find %s\n", argv[1]);
        return 2;
    }
    if (!ReadJobDesc(szIni, &desc)) {
        fprintf(stderr, "jobsim: %s has no [Job] Printer\n", szIni);
        return 2;
    }
    if (!desc.szSpoolDir[0]) {
        char szTemp[MAX_PATH];
        GetTempPathA(MAX_PATH, szTemp);
        snprintf(desc.szSpoolDir, sizeof(desc.szSpoolDir), "%sjobsim_spool", szTemp);
    }
    CreateDirectoryA(desc.szSpoolDir, NULL);
    return RunJob(&desc);
}
