/*
 * jobhelper.exe: started by the port monitor once per print job with the
 * command line "job,printer" (for example 17,Office Printer).
 */
#include "monitor/jobloop.h"
#include "jobprotocol/jobkeys.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd)
{
    char szPrinterName[KEY_PATH_SIZE];
    int nJobNumber = 0;
    static const JobLoopLimits stLimits = { JOB_POLL_INTERVAL_MS, JOB_MAX_CYCLES,
                                           { RETRY_FIRST_PAUSE_MS, RETRY_MAX_PAUSE_MS, RETRY_WINDOW_MS } };

    if (!ParseJobCommandLine(lpCmdLine, &nJobNumber, szPrinterName, sizeof(szPrinterName)))
        return 0;
    return RunJobLoop(nJobNumber, szPrinterName, &stLimits);
}
