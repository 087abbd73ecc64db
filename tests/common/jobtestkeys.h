/* Keys of one test job, shared by the job protocol and job monitor tests. */
#ifndef JH_TESTS_JOBTESTKEYS_H
#define JH_TESTS_JOBTESTKEYS_H

#include <string>
#include "jobprotocol/jobkeys.h"

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
