#define CEDEVICE_BUILD
#include "device.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        // Only environment variables are read here: no files, registry or threads under the
        // loader lock.
        DeviceLoadEnvironment();
    }
    return TRUE;
}
