#ifndef JH_LAUNCHER_APPSTARTER_H
#define JH_LAUNCHER_APPSTARTER_H

#include <windows.h>

/* Size in characters of a composed application command line: a path of up to
 * 259 characters, two quotes added around it when it holds blanks, one blank,
 * a command-line text of up to 1023 characters and the terminator. */
#define APP_FULL_COMMAND_LINE_SIZE 1287

/* Starts the user's application as the start flags say; with
 * SAF_BEFORE_PRINTING and an event name, resets the named event before the
 * start and sets it once the application is idle. Always gives 0. */
int StartApplication(const char *pszCommandLine, const char *pszAppPath, DWORD dwFlags,
                     const char *pszEventName);

/* Working directory of an application path: the path cut at its last '\',
 * which goes (D:\Tools\viewer.exe gives D:\Tools, D:\viewer.exe gives D:);
 * else the drive of a drive-relative path, colon kept (D:viewer.exe gives
 * D:); else empty (viewer.exe), which means the caller's own current
 * directory. A path enclosed in double quotes is taken without them. Writes
 * into pszDir (cchDir characters); FALSE, with pszDir untouched, when the
 * result does not fit or an argument is missing. */
BOOL StartApp_GetWorkingDirectory(const char *pszAppPath, char *pszDir, size_t cchDir);

/* Window state for the start flags: SW_HIDE with SAF_HIDDEN, otherwise
 * SW_SHOWMINIMIZED with SAF_MINIMIZED, otherwise SW_SHOW. */
WORD StartApp_GetShowCommand(DWORD dwFlags);

/* Full command line: the application path, enclosed in double quotes when it
 * holds a blank or tab and is not quoted already (so that the platform cannot
 * take a leading part of it as the program), followed, with
 * SAF_APPEND_COMMAND_LINE, by one blank and pszCommandLine. Writes into
 * pszFull (cchFull characters); FALSE, with pszFull untouched, when the
 * result does not fit or the path is missing. */
BOOL StartApp_ComposeCommandLine(const char *pszAppPath, const char *pszCommandLine, DWORD dwFlags,
                                 char *pszFull, size_t cchFull);

#endif
