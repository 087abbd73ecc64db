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
    CreateDirectoryA(szDir, NULL);
    return szDir;
}

static HKEY CreateKey(const std::string &path)
{
    HKEY hKey = NULL;
    RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &hKey, NULL);
    return hKey;
}

void RegSetString(const std::string &path, const char *pszName, const std::string &value)
{
    HKEY hKey = CreateKey(path);
    RegSetValueExA(hKey, pszName, 0, REG_SZ, (const BYTE *)value.c_str(), (DWORD)value.size() + 1);
    RegCloseKey(hKey);
}

void RegSetDword(const std::string &path, const char *pszName, DWORD dwValue)
{
    HKEY hKey = CreateKey(path);
    RegSetValueExA(hKey, pszName, 0, REG_DWORD, (const BYTE *)&dwValue, sizeof(dwValue));
    RegCloseKey(hKey);
}

void RegSetBinary(const std::string &path, const char *pszName, const void *pData, DWORD cbData)
{
    HKEY hKey = CreateKey(path);
    RegSetValueExA(hKey, pszName, 0, REG_BINARY, (const BYTE *)pData, cbData);
    RegCloseKey(hKey);
}

void RegDeleteTree(const std::string &path)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
}

bool RegKeyExists(const std::string &path)
{
    HKEY hKey = NULL;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

bool RegValueExists(const std::string &path, const char *pszName)
{
    HKEY hKey = NULL;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return false;
    LONG lr = RegQueryValueExA(hKey, pszName, NULL, NULL, NULL, NULL);
    RegCloseKey(hKey);
    return lr == ERROR_SUCCESS;
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
