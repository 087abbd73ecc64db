/* Small helpers shared by the test programs: registry set-up under HKCU,
 * files, and starting the built programs. */
#ifndef JH_TESTS_TESTUTIL_H
#define JH_TESTS_TESTUTIL_H

#include <windows.h>
#include <string>
#include <vector>

/* Folder of the running test program, which is build/bin, with a trailing '\'. */
std::string BinDir();
/* A fresh empty folder for one test, under the Windows temp folder. */
std::string MakeTempDir(const char *pszTag);

void RegSetString(const std::string &path, const char *pszName, const std::string &value);
void RegSetDword(const std::string &path, const char *pszName, DWORD dwValue);
void RegSetBinary(const std::string &path, const char *pszName, const void *pData, DWORD cbData);
void RegDeleteTree(const std::string &path);
bool RegKeyExists(const std::string &path);
bool RegValueExists(const std::string &path, const char *pszName);

std::string ReadWholeFile(const std::string &path);
void WriteWholeFile(const std::string &path, const std::string &data);
bool FileExists(const std::string &path);
std::vector<std::string> SplitLines(const std::string &text); /* on "\r\n" */

/* Starts a command line and waits; gives the exit code, or (DWORD)-1 when it
 * could not start, or WAIT_TIMEOUT (258) when it did not end in time (the
 * process is then killed). */
DWORD RunAndWait(const std::string &commandLine, DWORD dwTimeoutMs);

#endif
