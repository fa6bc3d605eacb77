// The class's entry under HKEY_CLASSES_ROOT\CLSID, so that CoCreateInstance finds this library.
#pragma once

#include <windows.h>

namespace pimstore {

HRESULT registerServer(HMODULE module);
HRESULT unregisterServer();

} // namespace pimstore
