/* Command line of drvsettings.exe. */
#include "tools/drvsettings/drvargs.h"

#include <cwchar>

static const WCHAR g_szUsage[] =
    L"drvsettings - export a printer's driver settings profile to an INI file\n"
    L"\n"
    L"Usage:\n"
    L"  drvsettings export --devmode FILE  INIFILE\n"
    L"  drvsettings export --printer NAME  INIFILE\n"
    L"  drvsettings get    --devmode FILE  SECTION KEY\n"
    L"  drvsettings get    --printer NAME  SECTION KEY\n"
    L"  drvsettings help\n"
    L"\n"
    L"Where the settings come from:\n"
    L"  --devmode FILE  a device-mode file: the raw 6879-byte device mode of a job\n"
    L"  --printer NAME  the current default device mode of an installed printer\n"
    L"\n"
    L"export writes the whole profile (the device mode and the printer's settings\n"
    L"in the registry) to INIFILE; an existing INIFILE is replaced. get prints one\n"
    L"setting, named by its section and key in such a file, for example:\n"
    L"  drvsettings get --printer \"Office\" \"Default Settings\" \"File Format\"\n"
    L"Passwords are written and printed in plain text.\n"
    L"\n"
    L"Exit codes: 0 done; 1 bad arguments; 2 printer or device-mode file not found\n"
    L"or not usable; 3 the INI file could not be written, or no such setting.\n";

const WCHAR *ToolUsageText(void)
{
    return g_szUsage;
}

static int Fail(WCHAR *pszError, size_t cchError, const WCHAR *pszFormat, const WCHAR *pszArg)
{
    if (pszError && cchError > 0)
        swprintf(pszError, cchError, pszFormat, pszArg ? pszArg : L"");
    return 0;
}

static BOOL IsHelpWord(const WCHAR *pszArg)
{
    return lstrcmpiW(pszArg, L"help") == 0 || lstrcmpW(pszArg, L"-h") == 0 || lstrcmpiW(pszArg, L"--help") == 0 ||
           lstrcmpW(pszArg, L"/?") == 0;
}

/* The source option at argv[*pi]; advances past its value. */
static int ParseSource(int argc, const WCHAR *const *argv, int *pi, ToolArgs *pArgs, WCHAR *pszError,
                       size_t cchError)
{
    const WCHAR *pszOption = argv[*pi];
    ToolSource nSource = lstrcmpiW(pszOption, L"--devmode") == 0 ? TOOL_SRC_DEVMODE_FILE : TOOL_SRC_PRINTER;
    if (pArgs->nSource != TOOL_SRC_NONE)
        return Fail(pszError, cchError, L"give only one of --devmode and --printer (%ls repeats it)", pszOption);
    if (*pi + 1 >= argc || !argv[*pi + 1] || !argv[*pi + 1][0])
        return Fail(pszError, cchError, L"%ls needs a value", pszOption);
    pArgs->nSource = nSource;
    pArgs->pszSource = argv[++*pi];
    return 1;
}

/* Places the positional arguments of the command; 0 when there are too
 * many or too few, or one is empty. */
static int PlacePositionals(const WCHAR *const *apszPositional, int nPositional, ToolArgs *pArgs, WCHAR *pszError,
                            size_t cchError)
{
    int nWanted = pArgs->nCommand == TOOL_CMD_EXPORT ? 1 : 2;
    if (nPositional < nWanted)
        return Fail(pszError, cchError, L"%ls", pArgs->nCommand == TOOL_CMD_EXPORT
                                                     ? L"export needs the INI file to write"
                                                     : L"get needs a section and a key");
    if (nPositional > nWanted)
        return Fail(pszError, cchError, L"unexpected argument \"%ls\"", apszPositional[nWanted]);
    for (int i = 0; i < nPositional; i++)
        if (!apszPositional[i] || !apszPositional[i][0])
            return Fail(pszError, cchError, L"%ls", L"an empty argument was given");
    if (pArgs->nCommand == TOOL_CMD_EXPORT) {
        pArgs->pszIniFile = apszPositional[0];
    } else {
        pArgs->pszSection = apszPositional[0];
        pArgs->pszKey = apszPositional[1];
    }
    return 1;
}

int ParseToolArgs(int argc, const WCHAR *const *argv, ToolArgs *pArgs, WCHAR *pszError, size_t cchError)
{
    if (!pArgs)
        return 0;
    ZeroMemory(pArgs, sizeof(*pArgs));
    if (pszError && cchError > 0)
        pszError[0] = 0;
    if (argc < 2 || !argv || !argv[1])
        return Fail(pszError, cchError, L"%ls", L"no command given");

    const WCHAR *pszCommand = argv[1];
    if (IsHelpWord(pszCommand)) {
        pArgs->nCommand = TOOL_CMD_HELP;
        return 1;
    }
    if (lstrcmpiW(pszCommand, L"export") == 0)
        pArgs->nCommand = TOOL_CMD_EXPORT;
    else if (lstrcmpiW(pszCommand, L"get") == 0)
        pArgs->nCommand = TOOL_CMD_GET;
    else
        return Fail(pszError, cchError, L"unknown command \"%ls\"", pszCommand);

    const WCHAR *apszPositional[3] = {NULL, NULL, NULL};
    int nPositional = 0;
    for (int i = 2; i < argc; i++) {
        const WCHAR *pszArg = argv[i] ? argv[i] : L"";
        if (lstrcmpiW(pszArg, L"--devmode") == 0 || lstrcmpiW(pszArg, L"--printer") == 0) {
            if (!ParseSource(argc, argv, &i, pArgs, pszError, cchError))
                return 0;
        } else if (pszArg[0] == L'-' && pszArg[1] == L'-') {
            return Fail(pszError, cchError, L"unknown option \"%ls\"", pszArg);
        } else if (nPositional < 3) {
            apszPositional[nPositional++] = pszArg;
        } else {
            return Fail(pszError, cchError, L"unexpected argument \"%ls\"", pszArg);
        }
    }
    if (pArgs->nSource == TOOL_SRC_NONE)
        return Fail(pszError, cchError, L"%ls", L"give the settings' source: --devmode FILE or --printer NAME");
    return PlacePositionals(apszPositional, nPositional, pArgs, pszError, cchError);
}
