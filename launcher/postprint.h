#ifndef JH_LAUNCHER_POSTPRINT_H
#define JH_LAUNCHER_POSTPRINT_H

#include <windows.h>

/* Runs the post-print actions selected by dwFlags (PPF_*) in their fixed
 * order through ShellExecuteA: open the output folder, start the e-mail
 * sender, open the output file in its viewer ("edit" when "open" has no
 * association), start the SharePoint utility. Each action reads its own
 * values from the job key or its e-mail or SharePoint key and is skipped when
 * they are missing; failures are silent and never stop the next action. The
 * shell's programs are not waited for. */
void StartPostPrintSteps(int nJobNumber, const char *pszPrinterName, DWORD dwFlags);

/* TRUE when the default mail client (default value of Software\Clients\Mail,
 * HKCU first, then HKLM) is exactly "Microsoft Outlook" and the "Bitness" of
 * HKLM\Software\Microsoft\Office\14.0\Outlook is exactly "x64". */
BOOL IsOutlook64Bit(void);

/* The single argument handed to an external program: the key path (relative
 * to HKEY_CURRENT_USER) of the job's e-mail key, or of its SharePoint key when
 * bSharePoint is set, enclosed in double quotes. Writes into pszArgument
 * (cchArgument characters); FALSE, with the buffer untouched, when it does
 * not fit or the printer name is missing. */
BOOL PostPrint_FormatKeyArgument(int nJobNumber, const char *pszPrinterName, BOOL bSharePoint,
                                 char *pszArgument, size_t cchArgument);

#endif
