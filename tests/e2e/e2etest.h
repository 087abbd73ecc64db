/* End-to-end helpers: job descriptions for jobsim.exe and what a finished
 * job leaves behind. */
#ifndef JH_TESTS_E2ETEST_H
#define JH_TESTS_E2ETEST_H

#include <string>
#include <vector>

/* Writes an INI job description (text of its sections) into dir\name.ini and
 * gives its path. */
std::string WriteJobIni(const std::string &dir, const char *pszName, const std::string &text);

/* Runs jobsim.exe on a job description; gives its exit code (jobhelper's). */
unsigned RunJobSim(const std::string &ini, unsigned uTimeoutMs = 120000);

/* Messages of a log file, timestamps removed (each line's timestamp is
 * checked for its shape). */
std::vector<std::string> ReadLogMessages(const std::string &path);

/* Names of the files in a folder. */
std::vector<std::string> ListFiles(const std::string &dir);

/* True when no key of the job (job, document, pages 1..n) is left. */
bool JobKeysGone(const char *pszPrinter, int nJob, unsigned nPages);

#endif
