#pragma once
#include <windows.h>

// GetProcAddress typed as the entry point's own signature. The detour through void* tells the
// compiler the conversion is meant: FARPROC is only a placeholder type.
template <typename Proc> Proc procAddress(HMODULE module, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
