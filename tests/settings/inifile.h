/* Reading an exported INI file back as text, for the export tests: the
 * file's sections and keys in the order they stand in the file. */
#ifndef JH_TESTS_SETTINGS_INIFILE_H
#define JH_TESTS_SETTINGS_INIFILE_H

#include <windows.h>
#include <string>
#include <utility>
#include <vector>
#include "testutil.h"

struct IniSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> keys; /* in file order */
};
typedef std::vector<IniSection> IniFile;

/* Parses the file's text (a new INI file is written in the ANSI code page). */
static inline IniFile ReadIniText(const std::string &path)
{
    IniFile ini;
    for (const std::string &line : SplitLines(ReadWholeFile(path))) {
        if (line.empty())
            continue;
        if (line[0] == '[' && line.back() == ']') {
            ini.push_back(IniSection{line.substr(1, line.size() - 2), {}});
        } else if (!ini.empty()) {
            size_t eq = line.find('=');
            ini.back().keys.push_back(eq == std::string::npos
                                          ? std::make_pair(line, std::string("<no '='>"))
                                          : std::make_pair(line.substr(0, eq), line.substr(eq + 1)));
        }
    }
    return ini;
}

static inline const IniSection *FindSection(const IniFile &ini, const std::string &name)
{
    for (const IniSection &section : ini)
        if (section.name == name)
            return &section;
    return NULL;
}

/* The value of section/key, or "<missing>" when there is no such key. */
static inline std::string IniValue(const IniFile &ini, const std::string &section, const std::string &key)
{
    const IniSection *pSection = FindSection(ini, section);
    if (pSection)
        for (const auto &kv : pSection->keys)
            if (kv.first == key)
                return kv.second;
    return "<missing>";
}

static inline std::wstring Widen(const std::string &text)
{
    return std::wstring(text.begin(), text.end());
}

/* A path for an INI file in a fresh temporary folder. */
static inline std::string TempIniPath(const char *pszTag)
{
    return MakeTempDir(pszTag) + "\\profile.ini";
}

/* Deletes the file with its folder. */
static inline void RemoveIni(const std::string &path)
{
    RemoveTree(path.substr(0, path.find_last_of('\\')));
}

#endif
