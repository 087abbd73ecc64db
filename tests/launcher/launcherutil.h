/* Helpers of the launcher tests: records of the stand-in programs, HKLM
 * keys saved and put back, copies of programs, and ending started processes. */
#ifndef JH_TESTS_LAUNCHERUTIL_H
#define JH_TESTS_LAUNCHERUTIL_H

#include <windows.h>
#include <map>
#include <string>
#include <vector>

/* "name=value" lines of a testapp record (the last line "idle" maps to ""). */
std::map<std::string, std::string> ReadRecord(const std::string &path);
/* Waits until the file exists, up to dwTimeoutMs; true when it does. */
bool WaitForFile(const std::string &path, DWORD dwTimeoutMs);
/* Ends the process whose id a testapp record holds, and waits for its end. */
void EndRecordedProcess(const std::string &recordPath);
/* Copies a program of build/bin to pszTo, creating its folders. */
bool CopyProgram(const char *pszProgram, const std::string &to);

/* A registry key (tree) saved with all its values and restored later:
 * whatever the test did beneath it is replaced by the saved state. */
struct SavedKey {
    HKEY hRoot;
    std::string path;
    bool bExisted;
    struct Value {
        std::string subkey, name;
        DWORD dwType;
        std::string data;
    };
    std::vector<std::string> subkeys;
    std::vector<Value> values;
};
SavedKey SaveKey(HKEY hRoot, const std::string &path);
void RestoreKey(const SavedKey &saved);

/* Shell associations that start testapp.exe as a recorder, writing into dir:
 * a folder opened with "open" gives folder.record (the Folder class's DDE
 * route is taken out, so that no explorer.exe starts), a ".jhview" file
 * opened with "open" gives viewer.record, a ".jhedit" file, which has only
 * an "edit" verb, gives edit.record. Undone, with the Folder class put back,
 * by UnregisterShellRecorders. */
SavedKey RegisterShellRecorders(const std::string &dir);
void UnregisterShellRecorders(const SavedKey &folderOpen);

/* Trace lines of the stand-ins (JH_STANDIN_TRACE), sorted by process
 * creation time: the command line of each. */
std::vector<std::string> ReadTraceInStartOrder(const std::string &path);
/* The part of a command line after the program (quoted or not) and blanks. */
std::string ArgumentsOf(const std::string &commandLine);

#endif
