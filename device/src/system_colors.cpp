// System colours by their Pocket PC indices. COLOR_STATIC (25), the background of static
// controls, does not exist on the desktop, where index 25 has no colour and no brush.
#define CEDEVICE_BUILD
#include "device.h"
#include "device_env.h"

namespace {
// Static controls on a Pocket PC sit on the window colour, white in the standard scheme.
int desktopIndex(int index) {
    return index == COLOR_STATIC ? COLOR_WINDOW : index;
}
} // namespace

DEVICE_ENV_API DWORD WINAPI DeviceGetSysColor(int index) {
    return GetSysColor(desktopIndex(index));
}

DEVICE_ENV_API HBRUSH WINAPI DeviceGetSysColorBrush(int index) {
    return GetSysColorBrush(desktopIndex(index));
}
