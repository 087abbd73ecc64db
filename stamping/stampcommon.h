/*
 * What the three stamps share: the working copy of the job's device mode
 * that each stamp reads (and the annotation expands its macros into).
 */
#ifndef JH_STAMPING_STAMPCOMMON_H
#define JH_STAMPING_STAMPCOMMON_H

#include <windows.h>
#include "settings/devmode.h"

/* Takes the caller's device mode block pDevMode of cbDevMode bytes (left as
 * it is) and fills *pWork with a copy of it whose string fields all end
 * with a terminator within their capacity (DevMode_TerminateStrings). FALSE,
 * *pWork untouched, when the block or pWork is missing or cbDevMode is not
 * DRIVER_DEVMODE_SIZE. */
BOOL StampCopyDevMode(const void *pDevMode, DWORD cbDevMode, DriverDevMode *pWork);

#endif
