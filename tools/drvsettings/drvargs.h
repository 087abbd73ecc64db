/*
 * Command line of drvsettings.exe, parsed into a plain record.
 *
 *   drvsettings export (--devmode FILE | --printer NAME) INIFILE
 *   drvsettings get    (--devmode FILE | --printer NAME) SECTION KEY
 *   drvsettings help   (also -h, --help, /?)
 */
#ifndef JH_TOOLS_DRVSETTINGS_DRVARGS_H
#define JH_TOOLS_DRVSETTINGS_DRVARGS_H

#include <windows.h>
#include <stddef.h>

/* Exit codes of the tool. */
#define TOOL_EXIT_OK          0
#define TOOL_EXIT_USAGE       1   /* bad arguments */
#define TOOL_EXIT_NO_SOURCE   2   /* printer or device-mode file missing or unusable */
#define TOOL_EXIT_FAILED      3   /* INI file not written, or no such setting */

#define TOOL_ERROR_CCH        256

typedef enum ToolCommand {
    TOOL_CMD_NONE = 0,
    TOOL_CMD_HELP,
    TOOL_CMD_EXPORT,
    TOOL_CMD_GET
} ToolCommand;

typedef enum ToolSource {
    TOOL_SRC_NONE = 0,
    TOOL_SRC_DEVMODE_FILE,
    TOOL_SRC_PRINTER
} ToolSource;

/* The parsed command line; the strings point into the caller's argv. */
typedef struct ToolArgs {
    ToolCommand nCommand;
    ToolSource nSource;
    const WCHAR *pszSource;   /* device-mode file or printer name */
    const WCHAR *pszIniFile;  /* export */
    const WCHAR *pszSection;  /* get */
    const WCHAR *pszKey;      /* get */
} ToolArgs;

/* ParseToolArgs: parses argv[1..argc-1] (argv[0] is the program). Gives 1
 * and fills *pArgs when the command line is complete and valid; gives 0
 * and a one-line message in pszError (cchError characters) otherwise.
 * *pArgs is zeroed first. */
int ParseToolArgs(int argc, const WCHAR *const *argv, ToolArgs *pArgs, WCHAR *pszError, size_t cchError);

/* The usage text, lines ended by "\n". */
const WCHAR *ToolUsageText(void);

#endif
