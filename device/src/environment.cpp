// The emulated device's environment: screen, clock, locale, time zone and message boxes.
#define CEDEVICE_BUILD
#include "device.h"
#include "device_env.h"
#include "calendars.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>

namespace {

struct ClockState {
    bool useHost = true;
    bool running = false;
    ULONGLONG baseLocal = 0; // FILETIME units of the local time the clock was set to
    ULONGLONG setAtTick = 0; // GetTickCount64 when it was set
    LONGLONG advancedBy = 0; // FILETIME units added by DeviceAdvanceClock
};

struct DeviceState {
    SRWLOCK lock = SRWLOCK_INIT;
    DeviceScreenKind screenKind = DeviceScreenQvga;
    bool landscape = false;
    int screenHeight = 0; // 0: the kind's own
    HWND screenWindow = nullptr;
    ClockState clock;
    LCID locale = 0x0409;
    LANGID uiLanguage = 0x0409;
    bool useHostZone = true;
    bool zoneFailing = false;
    TIME_ZONE_INFORMATION zone = {};
    DeviceMessageBoxHandler messageBoxHandler = nullptr;
    void* messageBoxContext = nullptr;
};

DeviceState gDevice;

struct SharedLock {
    explicit SharedLock(SRWLOCK* lock) : lock_(lock) { AcquireSRWLockShared(lock_); }
    ~SharedLock() { ReleaseSRWLockShared(lock_); }
    SRWLOCK* lock_;
};

struct ExclusiveLock {
    explicit ExclusiveLock(SRWLOCK* lock) : lock_(lock) { AcquireSRWLockExclusive(lock_); }
    ~ExclusiveLock() { ReleaseSRWLockExclusive(lock_); }
    SRWLOCK* lock_;
};

ULONGLONG FileTimeToUnits(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME UnitsToFileTime(ULONGLONG units) {
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(units);
    time.dwHighDateTime = static_cast<DWORD>(units >> 32);
    return time;
}

const ULONGLONG kUnitsPerMillisecond = 10000;

DeviceScreen ScreenFor(DeviceScreenKind kind, bool landscape) {
    DeviceScreen screen =
        kind == DeviceScreenVga ? DeviceScreen{480, 640, 32, 192} : DeviceScreen{240, 320, 16, 96};
    if (landscape) {
        int width = screen.width;
        screen.width = screen.height;
        screen.height = width;
    }
    return screen;
}

bool ReadEnvironment(const char* name, char* buffer, size_t size) {
    DWORD length = GetEnvironmentVariableA(name, buffer, static_cast<DWORD>(size));
    return length > 0 && length < size;
}

bool ParseDeviceTime(const char* text, SYSTEMTIME* time) {
    int year, month, day, hour = 0, minute = 0, second = 0;
    int fields =
        std::sscanf(text, "%d-%d-%d %d:%d:%d", &year, &month, &day, &hour, &minute, &second);
    if (fields < 3)
        return false;
    SYSTEMTIME parsed = {};
    parsed.wYear = static_cast<WORD>(year);
    parsed.wMonth = static_cast<WORD>(month);
    parsed.wDay = static_cast<WORD>(day);
    parsed.wHour = static_cast<WORD>(hour);
    parsed.wMinute = static_cast<WORD>(minute);
    parsed.wSecond = static_cast<WORD>(second);
    FILETIME check;
    if (!SystemTimeToFileTime(&parsed, &check))
        return false;
    FileTimeToSystemTime(&check, time); // fills in the day of the week
    return true;
}

// The message box being shown on this thread is centred on the device's screen as it first
// activates; the hook then leaves.
thread_local HHOOK tCentringHook = nullptr;

LRESULT CALLBACK CentreBoxOnScreen(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && tCentringHook) {
        HWND box = reinterpret_cast<HWND>(wParam);
        DeviceScreen screen = DeviceGetScreen();
        POINT origin = DeviceGetScreenOrigin();
        RECT frame;
        GetWindowRect(box, &frame);
        int x = origin.x + (screen.width - (frame.right - frame.left)) / 2;
        int y = origin.y + (screen.height - (frame.bottom - frame.top)) / 2;
        SetWindowPos(box, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        UnhookWindowsHookEx(tCentringHook);
        tCentringHook = nullptr;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

DEVICE_API void DeviceSetScreen(DeviceScreenKind kind, BOOL landscape) {
    ExclusiveLock guard(&gDevice.lock);
    gDevice.screenKind = kind;
    gDevice.landscape = landscape != FALSE;
    gDevice.screenHeight = 0;
}

DEVICE_API DeviceScreen DeviceGetScreen(void) {
    SharedLock guard(&gDevice.lock);
    DeviceScreen screen = ScreenFor(gDevice.screenKind, gDevice.landscape);
    if (gDevice.screenHeight > 0)
        screen.height = gDevice.screenHeight;
    return screen;
}

DEVICE_API void DeviceSetScreenHeight(int height) {
    ExclusiveLock guard(&gDevice.lock);
    gDevice.screenHeight = height > 0 ? height : 0;
}

DEVICE_API void DeviceSetScreenWindow(HWND window) {
    ExclusiveLock guard(&gDevice.lock);
    gDevice.screenWindow = window;
}

DEVICE_API POINT DeviceGetScreenOrigin(void) {
    HWND window;
    {
        SharedLock guard(&gDevice.lock);
        window = gDevice.screenWindow;
    }
    POINT origin = {0, 0};
    if (window && IsWindow(window))
        ClientToScreen(window, &origin);
    return origin;
}

DEVICE_API void DeviceSetClock(const SYSTEMTIME* localTime, BOOL running) {
    ExclusiveLock guard(&gDevice.lock);
    ClockState& clock = gDevice.clock;
    clock = ClockState();
    if (!localTime)
        return;
    FILETIME units;
    if (!SystemTimeToFileTime(localTime, &units))
        return;
    clock.useHost = false;
    clock.running = running != FALSE;
    clock.baseLocal = FileTimeToUnits(units);
    clock.setAtTick = GetTickCount64();
}

DEVICE_API void DeviceAdvanceClock(LONGLONG milliseconds) {
    ExclusiveLock guard(&gDevice.lock);
    gDevice.clock.advancedBy += milliseconds * static_cast<LONGLONG>(kUnitsPerMillisecond);
}

DEVICE_API void WINAPI DeviceGetLocalTime(SYSTEMTIME* time) {
    SharedLock guard(&gDevice.lock);
    const ClockState& clock = gDevice.clock;
    if (clock.useHost) {
        GetLocalTime(time);
        return;
    }
    ULONGLONG units = clock.baseLocal + clock.advancedBy;
    if (clock.running)
        units += (GetTickCount64() - clock.setAtTick) * kUnitsPerMillisecond;
    FILETIME local = UnitsToFileTime(units);
    FileTimeToSystemTime(&local, time);
}

DEVICE_API void WINAPI DeviceGetSystemTime(SYSTEMTIME* time) {
    SYSTEMTIME local;
    DeviceGetLocalTime(&local);
    TIME_ZONE_INFORMATION zone;
    if (DeviceGetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID ||
        !TzSpecificLocalTimeToSystemTime(&zone, &local, time))
        *time = local;
}

DEVICE_API void DeviceSetLocale(LCID locale, LANGID uiLanguage) {
    ExclusiveLock guard(&gDevice.lock);
    gDevice.locale = locale;
    gDevice.uiLanguage = uiLanguage;
}

DEVICE_API LCID WINAPI DeviceGetUserDefaultLCID(void) {
    SharedLock guard(&gDevice.lock);
    return gDevice.locale;
}

namespace {
LCID deviceLocaleFor(LCID locale) {
    bool byDefault =
        locale == LOCALE_USER_DEFAULT || locale == LOCALE_SYSTEM_DEFAULT || locale == 0;
    return byDefault ? DeviceGetUserDefaultLCID() : locale;
}
} // namespace

DEVICE_API int WINAPI DeviceGetDateFormatW(LCID locale, DWORD flags, const SYSTEMTIME* date,
                                           LPCWSTR format, LPWSTR buffer, int length) {
    return GetDateFormatW(deviceLocaleFor(locale), flags, date, format, buffer, length);
}

DEVICE_API int WINAPI DeviceGetTimeFormatW(LCID locale, DWORD flags, const SYSTEMTIME* time,
                                           LPCWSTR format, LPWSTR buffer, int length) {
    return GetTimeFormatW(deviceLocaleFor(locale), flags, time, format, buffer, length);
}

DEVICE_API int WINAPI DeviceGetLocaleInfoW(LCID locale, LCTYPE type, LPWSTR buffer, int length) {
    return GetLocaleInfoW(deviceLocaleFor(locale), type, buffer, length);
}

DEVICE_API LANGID WINAPI DeviceGetUserDefaultUILanguage(void) {
    SharedLock guard(&gDevice.lock);
    return gDevice.uiLanguage;
}

DEVICE_API void DeviceSetTimeZone(const TIME_ZONE_INFORMATION* zone) {
    ExclusiveLock guard(&gDevice.lock);
    gDevice.useHostZone = zone == nullptr;
    if (zone)
        gDevice.zone = *zone;
}

DEVICE_API void DeviceSetTimeZoneFailing(BOOL failing) {
    ExclusiveLock guard(&gDevice.lock);
    gDevice.zoneFailing = failing != FALSE;
}

DEVICE_API DWORD WINAPI DeviceGetTimeZoneInformation(TIME_ZONE_INFORMATION* zone) {
    {
        SharedLock guard(&gDevice.lock);
        if (gDevice.zoneFailing)
            return TIME_ZONE_ID_INVALID;
        if (!gDevice.useHostZone)
            *zone = gDevice.zone;
    }
    if (gDevice.useHostZone)
        return GetTimeZoneInformation(zone);
    if (zone->StandardDate.wMonth == 0)
        return TIME_ZONE_ID_UNKNOWN;
    // Whether daylight time is in force now, by the device's own clock: the offset that the
    // zone gives the current local time.
    SYSTEMTIME local;
    DeviceGetLocalTime(&local);
    SYSTEMTIME utc;
    FILETIME localUnits, utcUnits;
    if (!TzSpecificLocalTimeToSystemTime(zone, &local, &utc) ||
        !SystemTimeToFileTime(&local, &localUnits) || !SystemTimeToFileTime(&utc, &utcUnits))
        return TIME_ZONE_ID_STANDARD;
    LONGLONG offsetMinutes = (static_cast<LONGLONG>(FileTimeToUnits(utcUnits)) -
                              static_cast<LONGLONG>(FileTimeToUnits(localUnits))) /
                             (60 * 10000000LL);
    bool daylight = zone->DaylightBias != 0 && offsetMinutes == zone->Bias + zone->DaylightBias;
    return daylight ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

DEVICE_API int WINAPI DeviceGetSystemMetrics(int index) {
    DeviceScreen screen = DeviceGetScreen();
    switch (index) {
    case SM_CXSCREEN: return screen.width;
    case SM_CYSCREEN: return screen.height;
    case SM_CXSMICON:
    case SM_CYSMICON: return screen.smallIconSize;
    case SM_CXICON:
    case SM_CYICON: return screen.smallIconSize * 2;
    default: return GetSystemMetrics(index);
    }
}

DEVICE_API int WINAPI DeviceGetDeviceCaps(HDC dc, int index) {
    if (index == LOGPIXELSX || index == LOGPIXELSY)
        return DeviceGetScreen().dpi;
    return GetDeviceCaps(dc, index);
}

DEVICE_API void DeviceSetMessageBoxHandler(DeviceMessageBoxHandler handler, void* context) {
    ExclusiveLock guard(&gDevice.lock);
    gDevice.messageBoxHandler = handler;
    gDevice.messageBoxContext = context;
}

DEVICE_API int WINAPI DeviceMessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    DeviceMessageBoxHandler handler;
    void* context;
    {
        SharedLock guard(&gDevice.lock);
        handler = gDevice.messageBoxHandler;
        context = gDevice.messageBoxContext;
    }
    if (handler)
        return handler(owner, text ? text : L"", caption ? caption : L"", type, context);
    tCentringHook = SetWindowsHookExW(WH_CBT, CentreBoxOnScreen, nullptr, GetCurrentThreadId());
    int answer = MessageBoxW(owner, text, caption, type);
    if (tCentringHook)
        UnhookWindowsHookEx(tCentringHook);
    tCentringHook = nullptr;
    return answer;
}

DEVICE_API void DeviceLoadEnvironment(void) {
    char value[MAX_PATH];
    if (ReadEnvironment("DEVICE_SCREEN", value, sizeof value) ||
        ReadEnvironment("DEVICE_LANDSCAPE", value, sizeof value)) {
        char screen[16] = "qvga";
        ReadEnvironment("DEVICE_SCREEN", screen, sizeof screen);
        char landscape[8] = "0";
        ReadEnvironment("DEVICE_LANDSCAPE", landscape, sizeof landscape);
        DeviceSetScreen(lstrcmpiA(screen, "vga") == 0 ? DeviceScreenVga : DeviceScreenQvga,
                        landscape[0] == '1');
    }
    SYSTEMTIME now;
    if (ReadEnvironment("DEVICE_NOW", value, sizeof value) && ParseDeviceTime(value, &now))
        DeviceSetClock(&now, FALSE);
    if (ReadEnvironment("DEVICE_LCID", value, sizeof value)) {
        LCID locale = static_cast<LCID>(std::strtoul(value, nullptr, 0));
        LANGID uiLanguage = LANGIDFROMLCID(locale);
        if (ReadEnvironment("DEVICE_UILANG", value, sizeof value))
            uiLanguage = static_cast<LANGID>(std::strtoul(value, nullptr, 0));
        DeviceSetLocale(locale, uiLanguage);
    }
    if (ReadEnvironment("DEVICE_TZ_BIAS", value, sizeof value)) {
        TIME_ZONE_INFORMATION zone = {};
        zone.Bias = std::atoi(value);
        DeviceSetTimeZone(&zone);
    }
    LoadCalendarEnvironment();
}

DEVICE_API void DeviceEnter(void) {
    WCHAR windowsFolder[MAX_PATH];
    UINT length = GetWindowsDirectoryW(windowsFolder, MAX_PATH);
    if (length >= 3 && length < MAX_PATH) {
        windowsFolder[3] = 0; // "C:\"
        SetCurrentDirectoryW(windowsFolder);
    }
}
