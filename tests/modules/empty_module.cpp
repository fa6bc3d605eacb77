// A library that loads and does nothing: stands in for another program's library whose presence
// is all that is looked for.
#include <windows.h>

extern "C" __declspec(dllexport) int ModulePresent() { return 1; }
