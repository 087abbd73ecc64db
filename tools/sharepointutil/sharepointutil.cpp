/*
 * sharepointutil: stand-in for the external SharePoint upload utility.
 *
 * Usage: sharepointutil.exe "<key path under HKEY_CURRENT_USER>"
 * Reads "Output Filename" and "Site folder" (and optionally "Site URL") from
 * that key, copies the file into the folder, which stands for the document
 * library, and writes "<file name>.receipt.txt" beside the copy. Exit codes:
 * 0 uploaded, 1 usage, 2 key missing, 3 required value missing, 4 file error.
 * With the environment variable JH_STANDIN_TRACE naming a file, one line
 * "<creation time, 16 hex digits> <command line>" is appended to it.
 */
#include <windows.h>

#include "tools/common/standin.h"

#include <cstdio>
#include <cstring>
#include <string>

static std::string BaseName(const std::string &path)
{
    size_t pos = path.find_last_of("\\/:");
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

static std::string UtcNow()
{
    SYSTEMTIME st = {};
    GetSystemTime(&st);
    char sz[32] = "";
    snprintf(sz, sizeof(sz), "%04u-%02u-%02uT%02u:%02u:%02uZ", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
             st.wSecond);
    return sz;
}

static bool WriteReceipt(const std::string &path, const std::string &text)
{
    std::string temp = path + ".tmp";
    HANDLE hFile = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD cbWritten = 0;
    bool bOk = WriteFile(hFile, text.data(), (DWORD)text.size(), &cbWritten, NULL) && cbWritten == text.size();
    CloseHandle(hFile);
    return bOk && MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

int main(int argc, char **argv)
{
    StandIn_AppendTrace();
    if (argc != 2 || !argv[1][0]) {
        fprintf(stderr, "usage: sharepointutil \"<key path under HKEY_CURRENT_USER>\"\n");
        return 1;
    }
    HKEY hKey = NULL;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, argv[1], 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return 2;
    std::string source, folder, siteUrl;
    bool bRequired = StandIn_ReadText(hKey, "Output Filename", source) && StandIn_ReadText(hKey, "Site folder", folder);
    StandIn_ReadText(hKey, "Site URL", siteUrl);
    RegCloseKey(hKey);
    if (!bRequired)
        return 3;
    if (folder.back() != '\\')
        folder += '\\';
    std::string name = BaseName(source);
    std::string dest = folder + name;
    if (!CopyFileA(source.c_str(), dest.c_str(), FALSE))
        return 4;
    WIN32_FILE_ATTRIBUTE_DATA attr = {};
    GetFileAttributesExA(dest.c_str(), GetFileExInfoStandard, &attr);
    char szSize[32] = "";
    snprintf(szSize, sizeof(szSize), "%llu",
             ((unsigned long long)attr.nFileSizeHigh << 32) | attr.nFileSizeLow);
    std::string receipt = "Key=" + std::string(argv[1]) + "\r\n";
    receipt += "Source=" + source + "\r\n";
    receipt += "Destination=" + dest + "\r\n";
    receipt += std::string("Size=") + szSize + "\r\n";
    if (!siteUrl.empty())
        receipt += "Site URL=" + siteUrl + "/" + name + "\r\n";
    receipt += "Uploaded=" + UtcNow() + "\r\n";
    return WriteReceipt(dest + ".receipt.txt", receipt) ? 0 : 4;
}
