#include "e2etest.h"
#include "testutil.h"
#include "jobprotocol/jobkeys.h"

#include <gtest/gtest.h>
#include <windows.h>

std::string WriteJobIni(const std::string &dir, const char *pszName, const std::string &text)
{
    std::string path = dir + "\\" + pszName + ".ini";
    WriteWholeFile(path, text);
    return path;
}

unsigned RunJobSim(const std::string &ini, unsigned uTimeoutMs)
{
    return RunAndWait("\"" + BinDir() + "jobsim.exe\" \"" + ini + "\"", uTimeoutMs);
}

std::vector<std::string> ReadLogMessages(const std::string &path)
{
    std::vector<std::string> msgs;
    for (const std::string &line : SplitLines(ReadWholeFile(path))) {
        EXPECT_TRUE(line.size() >= 22 && line[0] == '[' && line[3] == '/' && line[6] == '/' && line[20] == ']')
            << line;
        msgs.push_back(line.size() >= 22 ? line.substr(22) : line);
    }
    return msgs;
}

std::vector<std::string> ListFiles(const std::string &dir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(fd.cFileName);
    } while (FindNextFileA(hFind, &fd));
    FindClose(hFind);
    return names;
}

bool JobKeysGone(const char *pszPrinter, int nJob, unsigned nPages)
{
    char szPath[KEY_PATH_SIZE];
    FormatJobKeyPath(pszPrinter, nJob, szPath, sizeof(szPath));
    if (RegKeyExists(szPath))
        return false;
    for (unsigned n = 0; n <= nPages; n++) {
        FormatPageKeyPath(pszPrinter, nJob, n, szPath, sizeof(szPath));
        if (RegKeyExists(szPath))
            return false;
    }
    return true;
}
