/* Small helpers shared by the test programs: temporary folders, registry
 * set-up in both character widths, files, and starting the built programs. */
#ifndef JH_TESTS_TESTUTIL_H
#define JH_TESTS_TESTUTIL_H

#include <windows.h>
#include <string>
#include <vector>

/* Folder of the running test program, which is build/bin, with a trailing '\'. */
std::string BinDir();

/* Temporary folders. MakeTempDir gives a fresh empty folder for one test
 * under the Windows temp folder, its name made of the tag, the process id
 * and a time stamp (whatever an earlier run left under that name is removed
 * first). RemoveTree deletes a folder and everything in it. */
std::string MakeTempDir(const char *pszTag);
void RemoveTree(const std::string &path);

/* Registry helpers, one set per character width. A path names a key under
 * hRoot (HKEY_CURRENT_USER unless given); the setters create the key and its
 * parents as needed. The narrow ones use the ANSI calls, the wide ones the
 * UTF-16 calls, so each keeps its width's limits (an ANSI key path longer
 * than 260 characters fails). A NULL or empty value name is the key's
 * unnamed value. */

/* REG_SZ of the text with its terminator. */
void RegSetString(const std::string &path, const char *pszName, const std::string &value,
                  HKEY hRoot = HKEY_CURRENT_USER);
void RegSetString(const std::wstring &path, const wchar_t *pszName, const std::wstring &value,
                  HKEY hRoot = HKEY_CURRENT_USER);
/* REG_SZ of exactly the text's characters, stored without terminator, as
 * the driver writes its strings. (The registry adds a terminator itself when
 * a NUL follows the counted bytes in memory; these make sure none does.) */
void RegSetUnterminated(const std::string &path, const char *pszName, const std::string &value,
                        HKEY hRoot = HKEY_CURRENT_USER);
void RegSetUnterminated(const std::wstring &path, const wchar_t *pszName, const std::wstring &value,
                        HKEY hRoot = HKEY_CURRENT_USER);
void RegSetDword(const std::string &path, const char *pszName, DWORD dwValue, HKEY hRoot = HKEY_CURRENT_USER);
void RegSetDword(const std::wstring &path, const wchar_t *pszName, DWORD dwValue, HKEY hRoot = HKEY_CURRENT_USER);
/* cbData bytes of any type, as given. */
void RegSetData(const std::string &path, const char *pszName, DWORD dwType, const void *pData, DWORD cbData,
                HKEY hRoot = HKEY_CURRENT_USER);
void RegSetData(const std::wstring &path, const wchar_t *pszName, DWORD dwType, const void *pData, DWORD cbData,
                HKEY hRoot = HKEY_CURRENT_USER);
/* Creates the key (and its parents) when missing (narrow only: restoring a
 * saved key tree needs it). */
void RegMakeKey(const std::string &path, HKEY hRoot = HKEY_CURRENT_USER);

/* The stored bytes of a value; empty when the value is missing. */
std::vector<BYTE> RegGetData(const std::string &path, const char *pszName, HKEY hRoot = HKEY_CURRENT_USER);
std::vector<BYTE> RegGetData(const std::wstring &path, const wchar_t *pszName, HKEY hRoot = HKEY_CURRENT_USER);
/* A REG_SZ value as text, without the terminator the registry may hold;
 * empty when missing. */
std::string RegGetString(const std::string &path, const char *pszName, HKEY hRoot = HKEY_CURRENT_USER);
std::wstring RegGetString(const std::wstring &path, const wchar_t *pszName, HKEY hRoot = HKEY_CURRENT_USER);

bool RegKeyExists(const std::string &path, HKEY hRoot = HKEY_CURRENT_USER);
bool RegKeyExists(const std::wstring &path, HKEY hRoot = HKEY_CURRENT_USER);
bool RegValueExists(const std::string &path, const char *pszName, HKEY hRoot = HKEY_CURRENT_USER);
bool RegValueExists(const std::wstring &path, const wchar_t *pszName, HKEY hRoot = HKEY_CURRENT_USER);

/* Deletes the key with everything beneath it. (winreg.h maps the name
 * RegDeleteTree to RegDeleteTreeA or RegDeleteTreeW; these are overloads
 * beside that one and take the path first.) */
void RegDeleteTree(const std::string &path, HKEY hRoot = HKEY_CURRENT_USER);
void RegDeleteTree(const std::wstring &path, HKEY hRoot = HKEY_CURRENT_USER);
/* Deletes the key only when it holds neither sub-keys nor values. */
void RegDeleteIfEmpty(const std::string &path, HKEY hRoot = HKEY_CURRENT_USER);
void RegDeleteIfEmpty(const std::wstring &path, HKEY hRoot = HKEY_CURRENT_USER);

std::string ReadWholeFile(const std::string &path);
void WriteWholeFile(const std::string &path, const std::string &data);
bool FileExists(const std::string &path);
std::vector<std::string> SplitLines(const std::string &text); /* on "\r\n" */

/* Starts a command line and waits; gives the exit code, or (DWORD)-1 when it
 * could not start, or WAIT_TIMEOUT (258) when it did not end in time (the
 * process is then killed). */
DWORD RunAndWait(const std::string &commandLine, DWORD dwTimeoutMs);

#endif
