/* Shared set-up of the job monitor tests: the keys of one test job. */
#ifndef JH_TESTS_MONITORTEST_H
#define JH_TESTS_MONITORTEST_H

#include <string>
#include "monitor/jobkeys.h"

#define TEST_PRINTER "Test Printer"
#define TEST_ROOT    JH_ROOT_KEY TEST_PRINTER

inline std::string JobKey(int nJob)
{
    return std::string(TEST_ROOT "\\") + std::to_string(nJob);
}

inline std::string PageKey(int nJob, int nPage)
{
    return std::string(TEST_ROOT "\\Forwarding\\") + std::to_string(nJob) + "_" + std::to_string(nPage);
}

/* Relative to the root key, as "REDIRECT INFO REGISTRY PATH" holds it. */
#define TEST_REDIRECT_RELATIVE TEST_PRINTER "\\Redirect Test"
#define TEST_REDIRECT_KEY      JH_ROOT_KEY TEST_REDIRECT_RELATIVE

#endif
