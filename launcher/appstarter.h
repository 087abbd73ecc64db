#ifndef JH_LAUNCHER_APPSTARTER_H
#define JH_LAUNCHER_APPSTARTER_H

#include <windows.h>

/* Starts the user's application as the start flags say; with
 * SAF_BEFORE_PRINTING and an event name, resets the named event before the
 * start and sets it once the application is idle. Always gives 0. */
int StartApplication(const char *pszCommandLine, const char *pszAppPath, DWORD dwFlags,
                     const char *pszEventName);

#endif
