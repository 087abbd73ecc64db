#include "launcherutil.h"

#include "testutil.h"

#include <algorithm>
#include <cstdlib>

std::map<std::string, std::string> ReadRecord(const std::string &path)
{
    std::map<std::string, std::string> rec;
    for (const std::string &line : SplitLines(ReadWholeFile(path))) {
        size_t eq = line.find('=');
        if (eq == std::string::npos)
            rec[line] = "";
        else
            rec[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return rec;
}

bool WaitForFile(const std::string &path, DWORD dwTimeoutMs)
{
    DWORD dwStart = GetTickCount();
    while (!FileExists(path)) {
        if (GetTickCount() - dwStart > dwTimeoutMs)
            return false;
        Sleep(50);
    }
    return true;
}

void EndRecordedProcess(const std::string &recordPath)
{
    std::map<std::string, std::string> rec = ReadRecord(recordPath);
    if (rec.find("pid") == rec.end())
        return;
    DWORD dwPid = (DWORD)strtoul(rec["pid"].c_str(), NULL, 10);
    HANDLE hProcess = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, dwPid);
    if (!hProcess)
        return;
    TerminateProcess(hProcess, 0);
    WaitForSingleObject(hProcess, 5000);
    CloseHandle(hProcess);
}

bool CopyProgram(const char *pszProgram, const std::string &to)
{
    for (size_t pos = to.find('\\', 3); pos != std::string::npos; pos = to.find('\\', pos + 1))
        CreateDirectoryA(to.substr(0, pos).c_str(), NULL);
    return CopyFileA((BinDir() + pszProgram).c_str(), to.c_str(), FALSE) != FALSE;
}

static void SaveTree(HKEY hKey, const std::string &subkey, SavedKey &saved)
{
    char szName[1024];
    for (DWORD i = 0;; i++) {
        DWORD cchName = sizeof(szName), dwType = 0, cbData = 0;
        if (RegEnumValueA(hKey, i, szName, &cchName, NULL, &dwType, NULL, &cbData) != ERROR_SUCCESS)
            break;
        std::string data(cbData, '\0');
        cchName = sizeof(szName);
        RegEnumValueA(hKey, i, szName, &cchName, NULL, &dwType, (BYTE *)&data[0], &cbData);
        saved.values.push_back({subkey, szName, dwType, data});
    }
    for (DWORD i = 0;; i++) {
        DWORD cchName = sizeof(szName);
        if (RegEnumKeyExA(hKey, i, szName, &cchName, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        std::string child = subkey.empty() ? std::string(szName) : subkey + "\\" + szName;
        saved.subkeys.push_back(child);
        HKEY hChild = NULL;
        if (RegOpenKeyExA(hKey, szName, 0, KEY_READ, &hChild) == ERROR_SUCCESS) {
            SaveTree(hChild, child, saved);
            RegCloseKey(hChild);
        }
    }
}

SavedKey SaveKey(HKEY hRoot, const std::string &path)
{
    SavedKey saved{hRoot, path, false, {}, {}};
    HKEY hKey = NULL;
    if (RegOpenKeyExA(hRoot, path.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return saved;
    saved.bExisted = true;
    SaveTree(hKey, "", saved);
    RegCloseKey(hKey);
    return saved;
}

void RestoreKey(const SavedKey &saved)
{
    RegDeleteTree(saved.path, saved.hRoot);
    if (!saved.bExisted)
        return;
    RegMakeKey(saved.path, saved.hRoot);
    for (const std::string &subkey : saved.subkeys)
        RegMakeKey(saved.path + "\\" + subkey, saved.hRoot);
    for (const SavedKey::Value &v : saved.values) {
        std::string key = v.subkey.empty() ? saved.path : saved.path + "\\" + v.subkey;
        RegSetData(key, v.name.empty() ? NULL : v.name.c_str(), v.dwType, v.data.data(), (DWORD)v.data.size(),
                   saved.hRoot);
    }
}

std::vector<std::string> ReadTraceInStartOrder(const std::string &path)
{
    std::vector<std::string> lines = SplitLines(ReadWholeFile(path));
    std::sort(lines.begin(), lines.end()); /* 16 hex digits first: text order is time order */
    std::vector<std::string> commandLines;
    for (const std::string &line : lines)
        commandLines.push_back(line.size() > 17 ? line.substr(17) : std::string());
    return commandLines;
}

std::string ArgumentsOf(const std::string &commandLine)
{
    size_t pos = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        pos = commandLine.find('"', 1);
        pos = pos == std::string::npos ? commandLine.size() : pos + 1;
    } else {
        pos = commandLine.find_first_of(" \t");
        pos = pos == std::string::npos ? commandLine.size() : pos;
    }
    while (pos < commandLine.size() && (commandLine[pos] == ' ' || commandLine[pos] == '\t'))
        pos++;
    return commandLine.substr(pos);
}

static const char kFolderOpenKey[] = "Software\\Classes\\Folder\\shell\\open";

static std::string RecorderCommand(const std::string &record)
{
    return "\"" + BinDir() + "testapp.exe\" out=" + record + " wait=0 \"%1\"";
}

static void RegisterRecorder(const std::string &ext, const std::string &cls, const char *pszVerb,
                             const std::string &record)
{
    RegSetString("Software\\Classes\\" + ext, NULL, cls, HKEY_LOCAL_MACHINE);
    RegSetString("Software\\Classes\\" + cls + "\\shell\\" + pszVerb + "\\command", NULL, RecorderCommand(record),
                 HKEY_LOCAL_MACHINE);
}

SavedKey RegisterShellRecorders(const std::string &dir)
{
    SavedKey folderOpen = SaveKey(HKEY_LOCAL_MACHINE, kFolderOpenKey);
    RegDeleteTree(kFolderOpenKey, HKEY_LOCAL_MACHINE);
    RegSetString(std::string(kFolderOpenKey) + "\\command", NULL, RecorderCommand(dir + "\\folder.record"),
                 HKEY_LOCAL_MACHINE);
    RegisterRecorder(".jhview", "JhTest.Viewer", "open", dir + "\\viewer.record");
    RegisterRecorder(".jhedit", "JhTest.Editor", "edit", dir + "\\edit.record");
    return folderOpen;
}

void UnregisterShellRecorders(const SavedKey &folderOpen)
{
    RegDeleteTree("Software\\Classes\\.jhview", HKEY_LOCAL_MACHINE);
    RegDeleteTree("Software\\Classes\\JhTest.Viewer", HKEY_LOCAL_MACHINE);
    RegDeleteTree("Software\\Classes\\.jhedit", HKEY_LOCAL_MACHINE);
    RegDeleteTree("Software\\Classes\\JhTest.Editor", HKEY_LOCAL_MACHINE);
    RestoreKey(folderOpen);
}
