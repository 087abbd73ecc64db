#ifndef JH_LAUNCHER_POSTPRINT_H
#define JH_LAUNCHER_POSTPRINT_H

#include <windows.h>

/* Runs the post-print actions selected by dwFlags (PPF_*) in their fixed
 * order through ShellExecuteA. */
void StartPostPrintSteps(int nJobNumber, const char *pszPrinterName, DWORD dwFlags);

/* TRUE when the default mail client is Outlook of the 14.0 line installed as
 * 64-bit. */
BOOL IsOutlook64Bit(void);

#endif
