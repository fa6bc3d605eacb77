// The emulated Pocket PC: what tests and the Today screen emulator set up before an item runs.
// The item itself never includes this; it asks the platform, and device_env.h routes those
// questions here.
#pragma once
#include <windows.h>

#ifdef CEDEVICE_BUILD
#define DEVICE_API extern "C" __declspec(dllexport)
#else
#define DEVICE_API extern "C" __declspec(dllimport)
#endif

enum DeviceScreenKind {
    DeviceScreenQvga = 0, // 240x320, 16-pixel small icons, 96 dpi
    DeviceScreenVga = 1,  // 480x640, 32-pixel small icons, 192 dpi
};

struct DeviceScreen {
    int width;
    int height;
    int smallIconSize;
    int dpi;
};

// Screen. Landscape swaps width and height; icon size and dpi stay.
DEVICE_API void DeviceSetScreen(DeviceScreenKind kind, BOOL landscape);
DEVICE_API DeviceScreen DeviceGetScreen(void);
// A screen taller than the device's, for pictures of items longer than the screen; 0 returns to
// the device's own height. DeviceSetScreen also returns to it.
DEVICE_API void DeviceSetScreenHeight(int height);
// The window whose client area shows the device's screen (the emulator's device window), or null
// when the screen is the desktop's top-left corner. Full-screen dialogs and message boxes are
// placed over it.
DEVICE_API void DeviceSetScreenWindow(HWND window);
// Where the device's screen begins on the desktop.
DEVICE_API POINT DeviceGetScreenOrigin(void);
// Turns the device as its user would: the screen becomes landscape or portrait, and every
// top-level window of this process is told (WM_SETTINGCHANGE), so that full-screen dialogs take
// the new screen size and their pages receive WM_SIZE. Returns how many windows were told.
DEVICE_API int DeviceTurnScreen(BOOL landscape);
// The navigation bar the device puts over full-screen dialogs (SHInitDialog); its done button is
// the dialog's IDOK button.
#define DEVICE_NAVIGATION_BAR_CLASS L"DeviceNavigationBar"

// Clock. A fixed clock always reports the time given; a running one starts there and advances
// with real time. Passing null returns to the host's real local time.
DEVICE_API void DeviceSetClock(const SYSTEMTIME* localTime, BOOL running);
DEVICE_API void DeviceAdvanceClock(LONGLONG milliseconds);

// Locale (LCID) and user-interface language (LANGID).
DEVICE_API void DeviceSetLocale(LCID locale, LANGID uiLanguage);

// Time zone. Null returns to the host's own zone. failing = TRUE makes the query fail.
DEVICE_API void DeviceSetTimeZone(const TIME_ZONE_INFORMATION* zone);
DEVICE_API void DeviceSetTimeZoneFailing(BOOL failing);

// The device's calendars, which the appointment store shows merged. DeviceSetCalendarFile names
// the only one (null: none); DeviceAddCalendar adds another. Each is a calendar file, a folder of
// .ics files, or an address (http://, https://, webcal://; a CalDAV collection ends with "/")
// of which the device keeps a copy and which it never writes to. DeviceGetCalendarFile is
// DeviceGetCalendar(0, ...); both return FALSE past the last or when the buffer is too short.
#define DEVICE_CALENDAR_SOURCE_MAX 2048
DEVICE_API void DeviceSetCalendarFile(const WCHAR* path);
DEVICE_API BOOL DeviceGetCalendarFile(WCHAR* buffer, int bufferLength);
DEVICE_API BOOL DeviceAddCalendar(const WCHAR* source);
DEVICE_API BOOL DeviceGetCalendar(int index, WCHAR* buffer, int bufferLength);
// Where subscriptions keep their copies (default "C:\Subscriptions"; null returns to it), how
// often they are fetched again (default 900 s) and how long a network step may take before it
// counts as failed (default 20,000 ms); 0 returns to a default.
DEVICE_API void DeviceSetSubscriptionFolder(const WCHAR* path);
DEVICE_API BOOL DeviceGetSubscriptionFolder(WCHAR* buffer, int bufferLength);
DEVICE_API void DeviceSetSubscriptionRefresh(DWORD seconds, DWORD networkTimeoutMilliseconds);
DEVICE_API DWORD DeviceGetSubscriptionRefreshSeconds(void);
DEVICE_API DWORD DeviceGetNetworkTimeout(void);

// Message boxes: a handler answers them instead of a real modal box (tests, headless runs).
// It receives what the box would show and returns the button (IDOK, IDYES, ...).
typedef int (*DeviceMessageBoxHandler)(HWND owner, const WCHAR* text, const WCHAR* caption,
                                       UINT type, void* context);
DEVICE_API void DeviceSetMessageBoxHandler(DeviceMessageBoxHandler handler, void* context);

// Tap-and-hold: the next SHRecognizeGesture call answers this at once (GN_CONTEXTMENU for a
// tap-and-hold, 0 for an ordinary tap) instead of watching the stylus.
DEVICE_API void DeviceSetNextGesture(DWORD result);

// Object store change notifications: posts msg (DB_CEOID_*) to every window that opened
// "Appointments Database" with a notification window. Returns how many windows were told.
DEVICE_API int DevicePostDatabaseNotification(UINT msg, DWORD oid);
DEVICE_API int DeviceCountDatabaseNotifyWindows(void);
// Called (outside the object store's lock) after a window started or stopped listening for those
// notifications, so that the appointment store can keep watching its file while anyone listens.
// One callback per process; null removes it.
typedef void (*DeviceListenersChanged)(void* context);
DEVICE_API void DeviceSetDatabaseListenersCallback(DeviceListenersChanged callback, void* context);

// Enters the device: its file system root ("\Windows\..." names the device's Windows folder,
// which is drive C: of the Wine prefix) becomes the current drive. Programs that host an item call
// this once at start, after resolving their own relative paths.
DEVICE_API void DeviceEnter(void);

// Gives the device the Today item list it comes with (owner info, the built-in Calendar,
// messaging, tasks) when it has none yet. False when the registry cannot be written.
DEVICE_API BOOL DeviceEnsureTodayItems(void);

// Reads the DEVICE_* environment variables (DEVICE_SCREEN=qvga|vga, DEVICE_LANDSCAPE=1,
// DEVICE_NOW="YYYY-MM-DD HH:MM", DEVICE_LCID=0x0407, DEVICE_TZ_BIAS=<minutes>,
// DEVICE_CALENDAR=<path> with more as DEVICE_CALENDAR_2, _3 ..., DEVICE_SUBSCRIPTIONS=<folder>,
// DEVICE_REFRESH_SECONDS=<n>, DEVICE_NETWORK_TIMEOUT_MS=<n>) so that a child process inherits
// the device its parent set up.
// Runs once when the library loads; callable again after the environment changed.
DEVICE_API void DeviceLoadEnvironment(void);

// The Calendar program's appointment view: a modal window owned by `owner` (which is disabled
// while it shows). Returns IDOK or IDCANCEL when it closes, -1 when it could not be shown.
struct DeviceAppointmentView {
    const WCHAR* subject;
    const WCHAR* location;
    SYSTEMTIME start; // device local time
    SYSTEMTIME end;   // for an all-day appointment the midnight after its last day
    BOOL allDay;
    const WCHAR* recurrence; // the pattern in words, empty for a single appointment
};

#define DEVICE_APPOINTMENT_VIEW_CLASS L"DeviceAppointmentView"
// Control identifiers of the view's text fields, for reading them with GetDlgItemTextW.
enum DeviceAppointmentViewField {
    DeviceViewSubject = 101,
    DeviceViewLocation = 102,
    DeviceViewStart = 103,
    DeviceViewEnd = 104,
    DeviceViewRecurrence = 105,
};

DEVICE_API int DeviceShowAppointmentView(HWND owner, const DeviceAppointmentView* view);
// The open (visible) view of this process, the most recent one, or null.
DEVICE_API HWND DeviceFindAppointmentView(void);
// Asks every open view of this process to close, from any thread; returns how many were asked.
DEVICE_API int DeviceCloseAppointmentViews(void);

// The folder beamed items are written to, since there is no infrared port: a folder of the
// device (default "C:\Outbox", created by whoever writes into it). Null returns to the default.
DEVICE_API void DeviceSetOutboxFolder(const WCHAR* path);
DEVICE_API BOOL DeviceGetOutboxFolder(WCHAR* buffer, int bufferLength);

// Pop-up menus: a handler answers them instead of a real tracked menu (tests, headless runs).
// It sees what the menu offers, in order, and returns the command a user would pick; 0 closes
// the menu without a choice, and so does a command the menu does not offer enabled.
struct DeviceMenuEntry {
    UINT id;
    UINT type;         // MFT_* as the menu holds it: MFT_SEPARATOR for a separator
    UINT state;        // MFS_*
    const WCHAR* text; // empty for a separator
    HMENU subMenu;
};
typedef UINT (*DeviceMenuHandler)(HWND owner, const DeviceMenuEntry* entries, int count,
                                  POINT screenPoint, UINT flags, void* context);
DEVICE_API void DeviceSetMenuHandler(DeviceMenuHandler handler, void* context);

// The right button stands for the stylus held still, on the calling thread's windows: its press
// arrives as WM_LBUTTONDOWN, which SHRecognizeGesture answers with GN_CONTEXTMENU. Returns TRUE
// when the emulation is in the requested state.
DEVICE_API BOOL DeviceEmulateStylus(BOOL enable);

// Writes the device's settings (screen, clock, locale, zone offset, calendars, subscription
// settings) into this process's DEVICE_* variables, so that the programs it starts run on the
// same device.
DEVICE_API void DeviceExportEnvironment(void);

// The device's Calendar program, calendar.exe, which "\windows\calendar.lnk" starts: its main
// window and the list of upcoming appointments in it.
#define DEVICE_CALENDAR_CLASS L"DeviceCalendar"
#define DEVICE_CALENDAR_LIST_ID 100
