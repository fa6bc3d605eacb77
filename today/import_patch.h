// Redirects the functions a loaded module imports, so that the Today screen can watch what the
// libraries it hosts draw and wait for.
#pragma once
#include <windows.h>

// Points the module's import of library!function at replacement; false when it imports no such
// function.
bool patchImport(HMODULE module, const char* library, const char* function, void* replacement);

// The module whose code contains this address (null when none).
HMODULE moduleAt(const void* address);
