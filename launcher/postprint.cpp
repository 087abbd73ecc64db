#include "launcher/postprint.h"
/* Placeholder until the post-print actions land. */
void StartPostPrintSteps(int, const char *, DWORD) {}
BOOL IsOutlook64Bit(void) { return FALSE; }
