/*
 * Post-print actions: what the shell is asked to do once a job has finished.
 */
#include "launcher/postprint.h"

#include "jobprotocol/jobkeys.h"
#include "settings/regtext.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>

#define MAIL_CLIENT_KEY     "Software\\Clients\\Mail"
#define OUTLOOK_14_KEY      "Software\\Microsoft\\Office\\14.0\\Outlook"
#define REG_TEXT_SIZE       256
/* Room for a composed key path and its two quotes. */
#define KEY_ARGUMENT_SIZE   (KEY_PATH_SIZE + 2)

BOOL PostPrint_FormatKeyArgument(int nJobNumber, const char *pszPrinterName, BOOL bSharePoint,
                                 char *pszArgument, size_t cchArgument)
{
    char szKeyPath[KEY_PATH_SIZE] = "";
    BOOL bFormatted = bSharePoint
                          ? FormatSharePointKeyPath(pszPrinterName, nJobNumber, szKeyPath, sizeof(szKeyPath))
                          : FormatEmailKeyPath(pszPrinterName, nJobNumber, szKeyPath, sizeof(szKeyPath));
    if (!bFormatted || !pszArgument || strlen(szKeyPath) + 2 >= cchArgument)
        return FALSE;
    snprintf(pszArgument, cchArgument, "\"%s\"", szKeyPath);
    return TRUE;
}

/* Reads a string value of a key under hRoot into cchText characters; TRUE
 * when it was read whole. */
static BOOL ReadKeyText(HKEY hRoot, const char *pszPath, const char *pszName, char *pszText, DWORD cchText)
{
    HKEY hKey = NULL;
    if (RegOpenKeyExA(hRoot, pszPath, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return FALSE;
    BOOL bRead = RegReadTextA(hKey, pszName, pszText, cchText, NULL) == ERROR_SUCCESS;
    RegCloseKey(hKey);
    return bRead;
}

BOOL IsOutlook64Bit(void)
{
    char szClient[REG_TEXT_SIZE] = "";
    if (!ReadKeyText(HKEY_CURRENT_USER, MAIL_CLIENT_KEY, NULL, szClient, sizeof(szClient)) &&
        !ReadKeyText(HKEY_LOCAL_MACHINE, MAIL_CLIENT_KEY, NULL, szClient, sizeof(szClient)))
        return FALSE;
    if (strcmp(szClient, "Microsoft Outlook") != 0)
        return FALSE;
    char szBitness[REG_TEXT_SIZE] = "";
    if (!ReadKeyText(HKEY_LOCAL_MACHINE, OUTLOOK_14_KEY, "Bitness", szBitness, sizeof(szBitness)))
        return FALSE;
    return strcmp(szBitness, "x64") == 0;
}

/* Hands a file to the shell; gives ShellExecuteA's result as a number (more
 * than 32 on success). */
static INT_PTR ShellRun(const char *pszVerb, const char *pszFile, const char *pszParameters, int nShowCmd)
{
    return (INT_PTR)ShellExecuteA(NULL, pszVerb, pszFile, pszParameters, NULL, nShowCmd);
}

static void OpenOutputFolder(int nJobNumber, const char *pszPrinterName)
{
    char szFolder[TEXT_BUFFER_SIZE] = "";
    DWORD cb = sizeof(szFolder);
    if (ReadJobRegistryString(pszPrinterName, nJobNumber, "Output folder", szFolder, &cb))
        ShellRun("open", szFolder, NULL, SW_SHOWNA);
}

static void SendInEmail(int nJobNumber, const char *pszPrinterName)
{
    const char *pszValueName = IsOutlook64Bit() ? "Email sending program 64bit" : "Email sending program 32bit";
    char szProgram[TEXT_BUFFER_SIZE] = "";
    DWORD cb = sizeof(szProgram);
    char szArgument[KEY_ARGUMENT_SIZE] = "";
    if (ReadEmailTmpRegistryValue(nJobNumber, pszPrinterName, pszValueName, szProgram, &cb) &&
        PostPrint_FormatKeyArgument(nJobNumber, pszPrinterName, FALSE, szArgument, sizeof(szArgument)))
        ShellRun("open", szProgram, szArgument, SW_SHOW);
}

static void OpenInViewer(int nJobNumber, const char *pszPrinterName)
{
    char szFile[TEXT_BUFFER_SIZE] = "";
    DWORD cb = sizeof(szFile);
    if (!ReadJobRegistryString(pszPrinterName, nJobNumber, "Output Filename", szFile, &cb))
        return;
    if (ShellRun("open", szFile, NULL, SW_SHOW) == SE_ERR_NOASSOC)
        ShellRun("edit", szFile, NULL, SW_SHOW);
}

static void UploadToSharePoint(int nJobNumber, const char *pszPrinterName)
{
    char szUtility[TEXT_BUFFER_SIZE] = "";
    DWORD cb = sizeof(szUtility);
    char szArgument[KEY_ARGUMENT_SIZE] = "";
    if (ReadSharePointTmpRegistryValue(nJobNumber, pszPrinterName, "SharePoint utility", szUtility, &cb) &&
        PostPrint_FormatKeyArgument(nJobNumber, pszPrinterName, TRUE, szArgument, sizeof(szArgument)))
        ShellRun("open", szUtility, szArgument, SW_SHOW);
}

void StartPostPrintSteps(int nJobNumber, const char *pszPrinterName, DWORD dwFlags)
{
    if (dwFlags & PPF_OPEN_OUTPUT_FOLDER)
        OpenOutputFolder(nJobNumber, pszPrinterName);
    if (dwFlags & PPF_SEND_IN_EMAIL)
        SendInEmail(nJobNumber, pszPrinterName);
    if (dwFlags & PPF_OPEN_IN_VIEWER)
        OpenInViewer(nJobNumber, pszPrinterName);
    if (dwFlags & PPF_UPLOAD_TO_SHAREPOINT)
        UploadToSharePoint(nJobNumber, pszPrinterName);
}
