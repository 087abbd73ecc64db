#include "testutil.h"

#include <cstdio>

std::string BinDir()
{
    char szPath[MAX_PATH] = "";
    DWORD cch = GetModuleFileNameA(NULL, szPath, MAX_PATH);
    std::string s(szPath, cch);
    return s.substr(0, s.find_last_of('\\') + 1);
}

std::string MakeTempDir(const char *pszTag)
{
    static unsigned nCounter;
    char szTemp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, szTemp);
    char szDir[MAX_PATH] = "";
    /* Process ids come back in later runs; the counter value makes the name new. */
    LARGE_INTEGER liNow;
    QueryPerformanceCounter(&liNow);
    snprintf(szDir, sizeof(szDir), "%sjh_%s_%lu_%llx_%u", szTemp, pszTag, GetCurrentProcessId(),
             (unsigned long long)liNow.QuadPart, ++nCounter);
    RemoveTree(szDir);
    CreateDirectoryA(szDir, NULL);
    return szDir;
}

void RemoveTree(const std::string &path)
{
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = path + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(hFind, &fd));
        FindClose(hFind);
    }
    RemoveDirectoryA(path.c_str());
}

/* Setters: the key is created with its parents; nothing is written when
 * that fails. */

static HKEY CreateKeyA(HKEY hRoot, const std::string &path)
{
    HKEY hKey = NULL;
    if (RegCreateKeyExA(hRoot, path.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL, &hKey, NULL) != ERROR_SUCCESS)
        return NULL;
    return hKey;
}

static HKEY CreateKeyW(HKEY hRoot, const std::wstring &path)
{
    HKEY hKey = NULL;
    if (RegCreateKeyExW(hRoot, path.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL, &hKey, NULL) != ERROR_SUCCESS)
        return NULL;
    return hKey;
}

void RegSetData(const std::string &path, const char *pszName, DWORD dwType, const void *pData, DWORD cbData,
                HKEY hRoot)
{
    HKEY hKey = CreateKeyA(hRoot, path);
    if (!hKey)
        return;
    RegSetValueExA(hKey, pszName, 0, dwType, (const BYTE *)pData, cbData);
    RegCloseKey(hKey);
}

void RegSetData(const std::wstring &path, const wchar_t *pszName, DWORD dwType, const void *pData, DWORD cbData,
                HKEY hRoot)
{
    HKEY hKey = CreateKeyW(hRoot, path);
    if (!hKey)
        return;
    RegSetValueExW(hKey, pszName, 0, dwType, (const BYTE *)pData, cbData);
    RegCloseKey(hKey);
}

void RegSetString(const std::string &path, const char *pszName, const std::string &value, HKEY hRoot)
{
    RegSetData(path, pszName, REG_SZ, value.c_str(), (DWORD)value.size() + 1, hRoot);
}

void RegSetString(const std::wstring &path, const wchar_t *pszName, const std::wstring &value, HKEY hRoot)
{
    RegSetData(path, pszName, REG_SZ, value.c_str(), (DWORD)((value.size() + 1) * sizeof(wchar_t)), hRoot);
}

/* The '~' after the counted characters keeps the registry from adding a
 * terminator (it does when a NUL follows the data in memory). */
void RegSetUnterminated(const std::string &path, const char *pszName, const std::string &value, HKEY hRoot)
{
    std::string data = value + '~';
    RegSetData(path, pszName, REG_SZ, data.c_str(), (DWORD)value.size(), hRoot);
}

void RegSetUnterminated(const std::wstring &path, const wchar_t *pszName, const std::wstring &value, HKEY hRoot)
{
    std::wstring data = value + L'~';
    RegSetData(path, pszName, REG_SZ, data.c_str(), (DWORD)(value.size() * sizeof(wchar_t)), hRoot);
}

void RegSetDword(const std::string &path, const char *pszName, DWORD dwValue, HKEY hRoot)
{
    RegSetData(path, pszName, REG_DWORD, &dwValue, sizeof(dwValue), hRoot);
}

void RegSetDword(const std::wstring &path, const wchar_t *pszName, DWORD dwValue, HKEY hRoot)
{
    RegSetData(path, pszName, REG_DWORD, &dwValue, sizeof(dwValue), hRoot);
}

void RegMakeKey(const std::string &path, HKEY hRoot)
{
    HKEY hKey = CreateKeyA(hRoot, path);
    if (hKey)
        RegCloseKey(hKey);
}

/* Readers. */

static HKEY OpenKeyA(HKEY hRoot, const std::string &path)
{
    HKEY hKey = NULL;
    if (RegOpenKeyExA(hRoot, path.c_str(), 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return NULL;
    return hKey;
}

static HKEY OpenKeyW(HKEY hRoot, const std::wstring &path)
{
    HKEY hKey = NULL;
    if (RegOpenKeyExW(hRoot, path.c_str(), 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return NULL;
    return hKey;
}

std::vector<BYTE> RegGetData(const std::string &path, const char *pszName, HKEY hRoot)
{
    std::vector<BYTE> data;
    HKEY hKey = OpenKeyA(hRoot, path);
    if (!hKey)
        return data;
    DWORD cbData = 0;
    if (RegQueryValueExA(hKey, pszName, NULL, NULL, NULL, &cbData) == ERROR_SUCCESS) {
        data.resize(cbData + 2);
        if (RegQueryValueExA(hKey, pszName, NULL, NULL, data.data(), &cbData) == ERROR_SUCCESS)
            data.resize(cbData);
        else
            data.clear();
    }
    RegCloseKey(hKey);
    return data;
}

std::vector<BYTE> RegGetData(const std::wstring &path, const wchar_t *pszName, HKEY hRoot)
{
    std::vector<BYTE> data;
    HKEY hKey = OpenKeyW(hRoot, path);
    if (!hKey)
        return data;
    DWORD cbData = 0;
    if (RegQueryValueExW(hKey, pszName, NULL, NULL, NULL, &cbData) == ERROR_SUCCESS) {
        data.resize(cbData + 2);
        if (RegQueryValueExW(hKey, pszName, NULL, NULL, data.data(), &cbData) == ERROR_SUCCESS)
            data.resize(cbData);
        else
            data.clear();
    }
    RegCloseKey(hKey);
    return data;
}

std::string RegGetString(const std::string &path, const char *pszName, HKEY hRoot)
{
    std::vector<BYTE> data = RegGetData(path, pszName, hRoot);
    std::string text(data.begin(), data.end());
    while (!text.empty() && text.back() == 0)
        text.pop_back();
    return text;
}

std::wstring RegGetString(const std::wstring &path, const wchar_t *pszName, HKEY hRoot)
{
    std::vector<BYTE> data = RegGetData(path, pszName, hRoot);
    std::wstring text((const wchar_t *)data.data(), data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == 0)
        text.pop_back();
    return text;
}

bool RegKeyExists(const std::string &path, HKEY hRoot)
{
    HKEY hKey = OpenKeyA(hRoot, path);
    if (!hKey)
        return false;
    RegCloseKey(hKey);
    return true;
}

bool RegKeyExists(const std::wstring &path, HKEY hRoot)
{
    HKEY hKey = OpenKeyW(hRoot, path);
    if (!hKey)
        return false;
    RegCloseKey(hKey);
    return true;
}

bool RegValueExists(const std::string &path, const char *pszName, HKEY hRoot)
{
    HKEY hKey = OpenKeyA(hRoot, path);
    if (!hKey)
        return false;
    LONG lResult = RegQueryValueExA(hKey, pszName, NULL, NULL, NULL, NULL);
    RegCloseKey(hKey);
    return lResult == ERROR_SUCCESS;
}

bool RegValueExists(const std::wstring &path, const wchar_t *pszName, HKEY hRoot)
{
    HKEY hKey = OpenKeyW(hRoot, path);
    if (!hKey)
        return false;
    LONG lResult = RegQueryValueExW(hKey, pszName, NULL, NULL, NULL, NULL);
    RegCloseKey(hKey);
    return lResult == ERROR_SUCCESS;
}

/* Deleting. */

void RegDeleteTree(const std::string &path, HKEY hRoot)
{
    RegDeleteTreeA(hRoot, path.c_str());
    RegDeleteKeyA(hRoot, path.c_str());
}

void RegDeleteTree(const std::wstring &path, HKEY hRoot)
{
    RegDeleteTreeW(hRoot, path.c_str());
    RegDeleteKeyW(hRoot, path.c_str());
}

/* nSubKeys and nValues start at 1: a key that cannot be queried is kept. */
void RegDeleteIfEmpty(const std::string &path, HKEY hRoot)
{
    HKEY hKey = OpenKeyA(hRoot, path);
    if (!hKey)
        return;
    DWORD nSubKeys = 1, nValues = 1;
    RegQueryInfoKeyA(hKey, NULL, NULL, NULL, &nSubKeys, NULL, NULL, &nValues, NULL, NULL, NULL, NULL);
    RegCloseKey(hKey);
    if (nSubKeys == 0 && nValues == 0)
        RegDeleteKeyA(hRoot, path.c_str());
}

void RegDeleteIfEmpty(const std::wstring &path, HKEY hRoot)
{
    HKEY hKey = OpenKeyW(hRoot, path);
    if (!hKey)
        return;
    DWORD nSubKeys = 1, nValues = 1;
    RegQueryInfoKeyW(hKey, NULL, NULL, NULL, &nSubKeys, NULL, NULL, &nValues, NULL, NULL, NULL, NULL);
    RegCloseKey(hKey);
    if (nSubKeys == 0 && nValues == 0)
        RegDeleteKeyW(hRoot, path.c_str());
}

std::string ReadWholeFile(const std::string &path)
{
    std::string data;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return data;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), f)) > 0)
        data.append(buf, n);
    fclose(f);
    return data;
}

void WriteWholeFile(const std::string &path, const std::string &data)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return;
    fwrite(data.data(), 1, data.size(), f);
    fclose(f);
}

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back(text.substr(pos));
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

DWORD RunAndWait(const std::string &commandLine, DWORD dwTimeoutMs)
{
    STARTUPINFOA si = {};
    PROCESS_INFORMATION pi = {};
    si.cb = sizeof(si);
    std::vector<char> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back('\0');
    if (!CreateProcessA(NULL, cmd.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return (DWORD)-1;
    DWORD dwExit = WAIT_TIMEOUT;
    if (WaitForSingleObject(pi.hProcess, dwTimeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &dwExit);
    else
        TerminateProcess(pi.hProcess, WAIT_TIMEOUT);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return dwExit;
}
