/*
 * Redirect printing log: one process-wide, optional text file of timestamped
 * lines. Path and switch come from the redirect settings key.
 */
#ifndef JH_JOBPROTOCOL_REDIRECTLOG_H
#define JH_JOBPROTOCOL_REDIRECTLOG_H

#include <windows.h>
#include <cstdarg>

#define LOG_MESSAGE_SIZE 512

/* Opens the log named by the redirect settings key pszRegistryPath (under
 * HKCU), shared for reading and writing with other jobs naming the same file.
 * Gives 1 when the log is open or logging is turned off, 0 when the settings
 * or the file cannot be opened. */
int OpenLogFile(const char *pszRegistryPath);

/* Writes one line "[MM/DD/YYYY hh:mm:ss] message\r\n" while the log is open,
 * appended whole in one write; the message is formatted with wvsprintfA and
 * cut at 511 characters. */
void LogMessage(const char *pszFormat, ...);

/* LogMessage with its arguments as a va_list. */
void LogMessageV(const char *pszFormat, va_list args);

/* Closes the log; does nothing when it is not open. */
void CloseLogFile(void);

/* Composes the 22-character timestamp for a local time into pszOut
 * (at least 32 characters). */
void FormatLogTimestamp(const SYSTEMTIME *pstTime, char *pszOut, size_t cchOut);

#endif
