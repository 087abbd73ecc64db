#include "fwdtestutil.h"
#include "testutil.h"
#include "forwarding/pageforward.h"
#include "jobprotocol/jobkeys.h"
#include "jobprotocol/redirectlog.h"

#include <winspool.h>
#include <cstdio>
#include <cstring>

#define LOG_SETTINGS_KEY JH_ROOT_KEY "Fwd Test Redirect"

std::string MakeEmfBytes(const std::vector<std::string> &lines, bool bLandscape)
{
    RECT rcFrame = { 0, 0, bLandscape ? 29700 : 21000, bLandscape ? 21000 : 29700 };
    HDC hdc = CreateEnhMetaFileA(NULL, NULL, &rcFrame, NULL);
    LOGFONTA stFont;
    memset(&stFont, 0, sizeof(stFont));
    stFont.lfHeight = -30;
    strcpy(stFont.lfFaceName, "Arial");
    HFONT hFont = CreateFontIndirectA(&stFont);
    HGDIOBJ hOld = SelectObject(hdc, hFont);
    int y = 80;
    for (const std::string &line : lines) {
        TextOutA(hdc, 80, y, line.c_str(), (int)line.size());
        y += 45;
    }
    Rectangle(hdc, 40, 40, 300, 60);
    SelectObject(hdc, hOld);
    DeleteObject(hFont);
    return CloseEmfToBytes(hdc);
}

std::string CloseEmfToBytes(HDC hdc)
{
    HENHMETAFILE hEmf = CloseEnhMetaFile(hdc);
    UINT cb = GetEnhMetaFileBits(hEmf, 0, NULL);
    std::string bytes(cb, '\0');
    GetEnhMetaFileBits(hEmf, cb, (BYTE *)&bytes[0]);
    DeleteEnhMetaFile(hEmf);
    return bytes;
}

std::string WithPlaceablePrefix(const std::string &emf, size_t cbPrefix)
{
    std::string prefix(cbPrefix, '\0');
    const unsigned char key[4] = { 0xD7, 0xCD, 0xC6, 0x9A };
    memcpy(&prefix[0], key, 4);
    return prefix + emf;
}

void PutDword(std::string &data, size_t dwOffset, DWORD dwValue)
{
    memcpy(&data[dwOffset], &dwValue, sizeof(dwValue));
}

std::vector<BYTE> JobDevMode(const char *pszPrinter, short sOrientation)
{
    std::vector<BYTE> devMode(DRIVER_DEVMODE_SIZE, 0);
    WCHAR wszPrinter[256];
    MultiByteToWideChar(CP_ACP, 0, pszPrinter, -1, wszPrinter, 256);
    HANDLE hPrinter = NULL;
    if (!OpenPrinterA((LPSTR)pszPrinter, &hPrinter, NULL))
        return devMode;
    LONG cb = DocumentPropertiesW(NULL, hPrinter, wszPrinter, NULL, NULL, 0);
    std::vector<BYTE> printer(cb > 0 ? cb : sizeof(DEVMODEW), 0);
    if (cb > 0 && DocumentPropertiesW(NULL, hPrinter, wszPrinter, (DEVMODEW *)printer.data(), NULL,
                                      DM_OUT_BUFFER) == IDOK)
        memcpy(devMode.data(), printer.data(), sizeof(DEVMODEW));
    ClosePrinter(hPrinter);
    DEVMODEW *pDevMode = (DEVMODEW *)devMode.data();
    pDevMode->dmOrientation = sOrientation;
    pDevMode->dmPaperSize = DMPAPER_A4;
    pDevMode->dmDriverExtra = (WORD)(DRIVER_DEVMODE_SIZE - sizeof(DEVMODEW));
    return devMode;
}

std::string PageKeyPath(int nJob, DWORD dwPage)
{
    char szPath[KEY_PATH_SIZE];
    FormatPageKeyPath(FWD_TEST_PRINTER, nJob, dwPage, szPath, sizeof(szPath));
    return szPath;
}

std::string DocumentKeyPath(int nJob)
{
    return PageKeyPath(nJob, 0);
}

void WritePageKey(int nJob, DWORD dwPage, const std::string &file, DWORD cbSize, const BYTE *pDevMode,
                  DWORD cbDevMode)
{
    std::string key = PageKeyPath(nJob, dwPage);
    RegDeleteTree(key);
    RegSetString(key, "Forwarding", file);
    RegSetDword(key, "Size", cbSize);
    if (pDevMode) {
        RegSetDword(key, "DevModeSize", cbDevMode);
        RegSetData(key, "DevMode", REG_BINARY, pDevMode, cbDevMode);
    }
    RegSetString(key, "Ready", "YES");
}

static std::string g_logFile;

void OpenTestLog()
{
    g_logFile = MakeTempDir("fwdlog") + "\\redirect.log";
    RegSetString(LOG_SETTINGS_KEY, "Enable Redirect Printing Log", "yes");
    RegSetString(LOG_SETTINGS_KEY, "Redirect Printing Log File", g_logFile);
    OpenLogFile(LOG_SETTINGS_KEY);
}

std::vector<std::string> CloseTestLog()
{
    CloseLogFile();
    std::vector<std::string> messages;
    for (const std::string &line : SplitLines(ReadWholeFile(g_logFile)))
        messages.push_back(line.size() >= 22 ? line.substr(22) : line);
    return messages;
}

std::string RunTag()
{
    char szTag[64] = "";
    if (GetEnvironmentVariableA("JH_FWD_TAG", szTag, sizeof(szTag)) == 0 || szTag[0] == '\0')
        snprintf(szTag, sizeof(szTag), "fwd%lu", GetCurrentProcessId());
    return szTag;
}

std::string PdfFolder(const char *pszQueue)
{
    char szBuild[MAX_PATH] = "";
    GetEnvironmentVariableA("JH_BUILD_DIR", szBuild, sizeof(szBuild));
    std::string path = std::string("Z:") + szBuild + "/cups/pdf/" + pszQueue;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

static int CountPdfs(const char *pszQueue, const std::string &prefix)
{
    WIN32_FIND_DATAA stFind;
    int nCount = 0;
    HANDLE hFind = FindFirstFileA((PdfFolder(pszQueue) + "\\" + prefix + "*.pdf").c_str(), &stFind);
    if (hFind == INVALID_HANDLE_VALUE)
        return 0;
    do {
        nCount++;
    } while (FindNextFileA(hFind, &stFind));
    FindClose(hFind);
    return nCount;
}

int WaitForPdfs(const char *pszQueue, const std::string &prefix, int nCount, DWORD dwTimeoutMs)
{
    DWORD dwStart = GetTickCount();
    int nFound = CountPdfs(pszQueue, prefix);
    while (nFound < nCount && GetTickCount() - dwStart < dwTimeoutMs) {
        Sleep(200);
        nFound = CountPdfs(pszQueue, prefix);
    }
    return nFound;
}

std::string WriteSpoolPage(int nJob, DWORD dwPage, const std::string &bytes, const std::vector<BYTE> *pDevMode,
                           DWORD cbSize)
{
    static std::string dir;
    if (dir.empty())
        dir = MakeTempDir("spool");
    char szName[64];
    snprintf(szName, sizeof(szName), "\\%d_%lu.emf", nJob, dwPage);
    std::string file = dir + szName;
    WriteWholeFile(file, bytes);
    WritePageKey(nJob, dwPage, file, cbSize == 0xFFFFFFFF ? (DWORD)bytes.size() : cbSize,
                 pDevMode ? pDevMode->data() : NULL, pDevMode ? (DWORD)pDevMode->size() : 0);
    return file;
}

void PrintSpooledPage(const char *pszQueue, const std::string &docName, int nJob, DWORD dwPage,
                      ForwardTarget *pTarget, DWORD dwCopies)
{
    ForwardPage stPage;
    ReadForwardPage(FWD_TEST_PRINTER, nJob, dwPage, NULL, &stPage);
    DoPrintPage(pszQueue, docName.c_str(), &stPage, pTarget, FWD_TEST_PRINTER, dwCopies);
    ReleaseForwardPage(&stPage);
}

void DeleteTestPrinterKeys()
{
    RegDeleteTree(JH_ROOT_KEY FWD_TEST_PRINTER);
}

std::vector<std::string> WithoutStampLines(const std::vector<std::string> &lines)
{
    static const char *const aszStamp[] = { "Adding watermark failed", "Watermark added",
                                            "Adding annotations failed", "Annotations added",
                                            "Adding Bates number failed", "Bates number added" };
    std::vector<std::string> kept;
    for (const std::string &line : lines) {
        bool bStamp = false;
        for (const char *psz : aszStamp)
            bStamp = bStamp || line.compare(0, strlen(psz), psz) == 0;
        if (!bStamp)
            kept.push_back(line);
    }
    return kept;
}
