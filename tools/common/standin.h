#ifndef JH_TOOLS_STANDIN_H
#define JH_TOOLS_STANDIN_H

#include <windows.h>
#include <string>

/* The process's creation time as a FILETIME value. */
unsigned long long StandIn_CreationTime();

/* With the environment variable JH_STANDIN_TRACE naming a file, appends one
 * line "<creation time, 16 hex digits> <command line>" to it, so that tests
 * can see in which order the stand-ins were started. */
void StandIn_AppendTrace();

/* Reads a REG_SZ value; false when it is missing, empty or not a string. */
bool StandIn_ReadText(HKEY hKey, const char *pszName, std::string &value);

#endif
