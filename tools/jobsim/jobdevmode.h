#ifndef JH_TOOLS_JOBDEVMODE_H
#define JH_TOOLS_JOBDEVMODE_H

#include <windows.h>
#include "tools/jobsim/jobdesc.h"

/* Builds the job's device mode into pBuffer (cbBuffer bytes, at least a whole
 * DriverDevMode; zero-filled first): the public DEVMODEW part for
 * pszPrinterName, portrait A4 at 300 dpi, then the [DevMode] settings of the
 * job description (public fields, named private fields, raw bytes; see the
 * README). Gives the device-mode size to store. */
DWORD BuildJobDevMode(BYTE *pBuffer, DWORD cbBuffer, const char *pszPrinterName, const KeyValue *pSettings,
                      DWORD dwSettings);

#endif
