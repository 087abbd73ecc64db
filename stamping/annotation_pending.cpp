#include "stamping/stamps.h"
/* Placeholder until the annotation stamp lands: nothing is drawn. */
int AddAnnotation(HDC, const void *, DWORD, const char *, DWORD, ULONGLONG, ULONGLONG) { return 2; }
