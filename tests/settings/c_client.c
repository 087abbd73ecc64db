/* A driver user interface written in C, linked against drvsettings.dll
 * through its public header and import library. */
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include "drvsettings.h"

int main(void)
{
    static BYTE block[DRIVER_DEVMODE_SIZE];
    DriverDevMode *pdm = DevMode_FromBuffer(block, sizeof(block));
    int nFailures = 0;
    if (!pdm || DevMode_FromBuffer(block, sizeof(block) - 1)) {
        printf("FAIL: size check\n");
        return 1;
    }
    DevMode_SetAnnotationFlags(pdm, ANF_ENABLED | ANF_TEXT);
    if (DevMode_GetAnnotationFlags(pdm) != (ANF_ENABLED | ANF_TEXT)) {
        printf("FAIL: annotation flags\n");
        nFailures++;
    }
    if (!DevMode_SetAnnotationText(pdm, L"From C") || wcscmp(DevMode_GetAnnotationText(pdm), L"From C")) {
        printf("FAIL: annotation text\n");
        nFailures++;
    }
    return nFailures ? 1 : 0;
}
