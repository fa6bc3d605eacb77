// Hands the emulated device on to the programs this process starts: its settings become the
// DEVICE_* variables that the device library reads when a child process loads it.
#define CEDEVICE_BUILD
#include "device.h"
#include "device_env.h"
#include "calendars.h"

#include <cstdio>

namespace {

void exportText(const char* name, const char* value) {
    SetEnvironmentVariableA(name, value);
}

void exportScreen() {
    const DeviceScreen screen = DeviceGetScreen();
    exportText("DEVICE_SCREEN", screen.smallIconSize > 16 ? "vga" : "qvga");
    exportText("DEVICE_LANDSCAPE", screen.width > screen.height ? "1" : "0");
}

void exportClock() {
    SYSTEMTIME now;
    DeviceGetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond);
    exportText("DEVICE_NOW", text);
}

void exportLocale() {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04lX",
                  static_cast<unsigned long>(DeviceGetUserDefaultLCID()));
    exportText("DEVICE_LCID", text);
    std::snprintf(text, sizeof text, "0x%04X", DeviceGetUserDefaultUILanguage());
    exportText("DEVICE_UILANG", text);
}

// The child gets the offset in force now; the zone's daylight rules stay with this process.
void exportZoneBias() {
    TIME_ZONE_INFORMATION zone;
    const DWORD kind = DeviceGetTimeZoneInformation(&zone);
    if (kind == TIME_ZONE_ID_INVALID)
        return;
    const LONG bias =
        zone.Bias + (kind == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : zone.StandardBias);
    char text[16];
    std::snprintf(text, sizeof text, "%ld", static_cast<long>(bias));
    exportText("DEVICE_TZ_BIAS", text);
}

} // namespace

DEVICE_API void DeviceExportEnvironment(void) {
    exportScreen();
    exportClock();
    exportLocale();
    exportZoneBias();
    ExportCalendarEnvironment();
}
