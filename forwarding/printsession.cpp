#include "forwarding/printsession.h"
/* Placeholder until forwarding lands. */
int DoStartDocument(const char *, const char *, DWORD, ForwardTarget *) { return 0; }
int DoEndDocument(ForwardTarget *, DWORD) { return 1; }
