/*
 * The stamps' working copy of the job's device mode.
 */
#include "stamping/stampcommon.h"

#include <string.h>

BOOL StampCopyDevMode(const void *pDevMode, DWORD cbDevMode, DriverDevMode *pWork)
{
    if (pDevMode == NULL || pWork == NULL || !IsDriverDevModeSize(cbDevMode))
        return FALSE;
    memcpy(pWork, pDevMode, DRIVER_DEVMODE_SIZE);
    DevMode_TerminateStrings(pWork);
    return TRUE;
}
