/*
 * The job monitor: follows one print job through its registry keys, from the
 * command line to the end of the job.
 */
#ifndef JH_MONITOR_JOBLOOP_H
#define JH_MONITOR_JOBLOOP_H

#include <windows.h>
#include "forwarding/printretry.h"

#define JOB_POLL_INTERVAL_MS 500
#define JOB_MAX_CYCLES       28800 /* about four hours of polling */
#define JOB_MAX_COPIES       32767 /* a device mode's dmCopies is a signed 16-bit field */
#define JOB_MAX_PRINTERS     65536 /* each printer holds a device context; a process holds at most 65536 GDI handles */

/* Timing of the polling loop and of the tries of printers that are away.
 * The program uses JOB_POLL_INTERVAL_MS, JOB_MAX_CYCLES and the RETRY_*
 * values of printretry.h; tests pass shorter ones. */
typedef struct JobLoopLimits {
    DWORD        dwSleepMs;
    int          nMaxCycles;
    RetryTimings stRetry;
} JobLoopLimits;

/* Parses "job,printer": the job number is the decimal text before the first
 * comma (leading blanks and a sign allowed, no digits give 0, every digit
 * counted), the printer name is everything after it. Gives FALSE (outputs
 * untouched) when there is no comma, when the job number lies outside the
 * signed 32-bit range, or when the name does not fit cchPrinterName
 * characters or a key path built from it would not fit (JobKeyPathsFit,
 * BatesFormatKeysFit). */
BOOL ParseJobCommandLine(const char *pszCmdLine, int *pnJobNumber, char *pszPrinterName, size_t cchPrinterName);

/* Polls the job's keys until the job and its forwarding are over, the job is
 * aborted, or pLimits->nMaxCycles cycles have passed. Always gives 0. */
int RunJobLoop(int nJobNumber, const char *pszPrinterName, const JobLoopLimits *pLimits);

#endif
