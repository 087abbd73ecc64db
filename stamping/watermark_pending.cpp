#include "stamping/stamps.h"
/* Placeholder until the watermark stamp lands: nothing is drawn. */
int AddWatermark(HDC, const void *, DWORD, DWORD, ULONGLONG, DWORD) { return 2; }
