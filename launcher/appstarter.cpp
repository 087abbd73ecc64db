#include "launcher/appstarter.h"
/* Placeholder until the application starter lands. */
int StartApplication(const char *, const char *, DWORD, const char *) { return 0; }
