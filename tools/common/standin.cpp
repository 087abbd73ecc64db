/*
 * What the stand-in programs share: the start trace and reading their key.
 */
#include "tools/common/standin.h"

#include <cstdio>
#include <cstring>

unsigned long long StandIn_CreationTime()
{
    FILETIME ftCreate = {}, ftExit = {}, ftKernel = {}, ftUser = {};
    GetProcessTimes(GetCurrentProcess(), &ftCreate, &ftExit, &ftKernel, &ftUser);
    return ((unsigned long long)ftCreate.dwHighDateTime << 32) | ftCreate.dwLowDateTime;
}

void StandIn_AppendTrace()
{
    char szTrace[MAX_PATH] = "";
    DWORD cch = GetEnvironmentVariableA("JH_STANDIN_TRACE", szTrace, sizeof(szTrace));
    if (cch == 0 || cch >= sizeof(szTrace))
        return;
    char szTime[32] = "";
    snprintf(szTime, sizeof(szTime), "%016llX ", StandIn_CreationTime());
    std::string line = std::string(szTime) + GetCommandLineA() + "\r\n";
    HANDLE hFile = CreateFileA(szTrace, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return;
    DWORD cbWritten = 0;
    WriteFile(hFile, line.data(), (DWORD)line.size(), &cbWritten, NULL);
    CloseHandle(hFile);
}

/* Reads a string value; false when it is missing, empty or not a string. */
bool StandIn_ReadText(HKEY hKey, const char *pszName, std::string &value)
{
    DWORD dwType = 0, cb = 0;
    if (RegQueryValueExA(hKey, pszName, NULL, &dwType, NULL, &cb) != ERROR_SUCCESS || dwType != REG_SZ || cb == 0)
        return false;
    std::string data(cb, '\0');
    if (RegQueryValueExA(hKey, pszName, NULL, NULL, (BYTE *)&data[0], &cb) != ERROR_SUCCESS)
        return false;
    data.resize(strnlen(data.c_str(), cb));
    if (data.empty())
        return false;
    value = data;
    return true;
}

