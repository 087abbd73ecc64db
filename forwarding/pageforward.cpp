#include "forwarding/pageforward.h"
/* Placeholder until forwarding lands. */
void DoPrintPage(const char *, const char *, DWORD, ForwardTarget *, const char *, DWORD) {}
