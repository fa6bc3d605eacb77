// today.exe: the Today screen of the emulated device.
//   today.exe [--calendar <file.ics|folder|address>]... [--now "YYYY-MM-DD HH:MM"]
//             [--screen qvga|vga]
//             [--landscape] [--locale <LCID>] [--ui-language <LANGID>]
//             [--seconds <n>] [--png <file.png>] [--text] [--select <n>] [--gallery <file.png>]
//             [--item <dll>]                   host one library instead of the registered items
//             [--install <dll>] [--uninstall <dll>]   play the device installer first
//             [--options [--close-options-after <ms>] [--options-page <n>]
//              [--options-snapshot <file.png>]]
#include "calendar_report.h"
#include "device_installer.h"
#include "device_shell.h"
#include "layout_gallery.h"
#include "options_session.h"
#include "screen_text.h"
#include "today_screen.h"
#include "window_snapshot.h"
#include <device.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Arguments {
    const WCHAR* item = nullptr;
    std::vector<std::wstring> calendars; // files, folders, addresses; paths made full
    const WCHAR* now = nullptr;
    const WCHAR* png = nullptr;
    const WCHAR* gallery = nullptr;
    int select = 0;
    bool secondsGiven = false;
    const WCHAR* install = nullptr;
    const WCHAR* uninstall = nullptr;
    DeviceScreenKind screen = DeviceScreenQvga;
    LCID locale = 0;
    LANGID uiLanguage = 0;
    bool landscape = false;
    bool text = false;
    double seconds = 3.0;
    OptionsRequest options;
};

// A calendar address as given; a file or folder as a full path of the caller's folder.
std::wstring calendarSource(const WCHAR* value) {
    if (wcsstr(value, L"://"))
        return value;
    WCHAR full[MAX_PATH];
    const DWORD length = GetFullPathNameW(value, MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::wstring(full) : std::wstring(value);
}

void printUsage() {
    std::fprintf(stderr,
                 "usage: today.exe [--calendar <file.ics|folder|address>]...\n"
                 "                 [--now \"YYYY-MM-DD HH:MM\"]\n"
                 "                 [--screen qvga|vga] [--landscape] [--seconds <n>]\n"
                 "                 [--locale <LCID>] [--ui-language <LANGID>]\n"
                 "                 [--png <file.png>] [--text] [--select <n>]\n"
                 "                 [--gallery <file.png>]\n"
                 "                 [--item <dll>]\n"
                 "                 [--install <dll>] [--uninstall <dll>]\n"
                 "                 [--options [--close-options-after <ms>] [--options-page <n>]\n"
                 "                  [--options-snapshot <file.png>]]\n");
}

bool parseArguments(int count, WCHAR** values, Arguments* arguments) {
    for (int i = 1; i < count; ++i) {
        const WCHAR* name = values[i];
        bool hasValue = i + 1 < count;
        if (wcscmp(name, L"--landscape") == 0) {
            arguments->landscape = true;
        } else if (wcscmp(name, L"--text") == 0) {
            arguments->text = true;
        } else if (wcscmp(name, L"--options") == 0) {
            arguments->options.open = true;
        } else if (!hasValue) {
            return false;
        } else if (wcscmp(name, L"--item") == 0) {
            arguments->item = values[++i];
        } else if (wcscmp(name, L"--calendar") == 0) {
            arguments->calendars.push_back(calendarSource(values[++i]));
        } else if (wcscmp(name, L"--now") == 0) {
            arguments->now = values[++i];
        } else if (wcscmp(name, L"--png") == 0) {
            arguments->png = values[++i];
        } else if (wcscmp(name, L"--gallery") == 0) {
            arguments->gallery = values[++i];
        } else if (wcscmp(name, L"--select") == 0) {
            arguments->select = _wtoi(values[++i]);
            if (arguments->select < 0)
                return false;
        } else if (wcscmp(name, L"--install") == 0) {
            arguments->install = values[++i];
        } else if (wcscmp(name, L"--uninstall") == 0) {
            arguments->uninstall = values[++i];
        } else if (wcscmp(name, L"--screen") == 0) {
            const WCHAR* kind = values[++i];
            if (_wcsicmp(kind, L"vga") == 0)
                arguments->screen = DeviceScreenVga;
            else if (_wcsicmp(kind, L"qvga") == 0)
                arguments->screen = DeviceScreenQvga;
            else
                return false;
        } else if (wcscmp(name, L"--locale") == 0) {
            arguments->locale = static_cast<LCID>(wcstoul(values[++i], nullptr, 0));
            if (!IsValidLocale(arguments->locale, LCID_SUPPORTED))
                return false;
        } else if (wcscmp(name, L"--ui-language") == 0) {
            unsigned long language = wcstoul(values[++i], nullptr, 0);
            if (language == 0 || language > 0xFFFF)
                return false;
            arguments->uiLanguage = static_cast<LANGID>(language);
        } else if (wcscmp(name, L"--seconds") == 0) {
            arguments->seconds = _wtof(values[++i]);
            arguments->secondsGiven = true;
        } else if (wcscmp(name, L"--close-options-after") == 0) {
            arguments->options.closeAfterMilliseconds = _wtoi(values[++i]);
        } else if (wcscmp(name, L"--options-page") == 0) {
            arguments->options.page = _wtoi(values[++i]);
        } else if (wcscmp(name, L"--options-snapshot") == 0) {
            arguments->options.snapshot = values[++i];
        } else {
            return false;
        }
    }
    return true;
}

bool parseDeviceTime(const WCHAR* text, SYSTEMTIME* time) {
    int year, month, day, hour = 0, minute = 0;
    if (swscanf(text, L"%d-%d-%d %d:%d", &year, &month, &day, &hour, &minute) < 3)
        return false;
    SYSTEMTIME parsed = {};
    parsed.wYear = static_cast<WORD>(year);
    parsed.wMonth = static_cast<WORD>(month);
    parsed.wDay = static_cast<WORD>(day);
    parsed.wHour = static_cast<WORD>(hour);
    parsed.wMinute = static_cast<WORD>(minute);
    FILETIME check;
    if (!SystemTimeToFileTime(&parsed, &check))
        return false;
    return FileTimeToSystemTime(&check, time) != FALSE;
}

int reportMessageBox(HWND, const WCHAR* text, const WCHAR* caption, UINT, void*) {
    std::fwprintf(stderr, L"message box: [%ls] %ls\n", caption, text);
    return IDOK;
}

// Paths given on the command line mean the caller's folder, before the device's root becomes
// the current folder.
bool makeFull(const WCHAR** path, WCHAR* buffer) {
    if (!*path)
        return true;
    if (!GetFullPathNameW(*path, MAX_PATH, buffer, nullptr))
        return false;
    *path = buffer;
    return true;
}

void reportItems(const TodayScreen& screen) {
    for (const auto& item : screen.items())
        std::fwprintf(stdout, L"today: row \"%ls\" type %lu at %d, %d pixels high\n",
                      item->entry.name.c_str(), item->entry.type, item->top, item->height);
}

// A desktop to show the device on: Wine's X11 driver has a display to talk to.
bool displayAvailable() {
    WCHAR display[64];
    DWORD length = GetEnvironmentVariableW(L"DISPLAY", display, 64);
    return length > 0 && length < 64;
}

int runHeadless(const Arguments& arguments);
int runInteractive(const Arguments& arguments);
int drawGallery(const Arguments& arguments);

} // namespace

int wmain(int argc, WCHAR** argv) {
    Arguments arguments;
    if (!parseArguments(argc, argv, &arguments)) {
        printUsage();
        return 2;
    }
    DeviceSetScreen(arguments.screen, arguments.landscape);
    if (arguments.locale || arguments.uiLanguage) {
        LCID locale = arguments.locale ? arguments.locale : 0x0409;
        DeviceSetLocale(locale,
                        arguments.uiLanguage ? arguments.uiLanguage : LANGIDFROMLCID(locale));
    }
    WCHAR item[MAX_PATH], png[MAX_PATH], install[MAX_PATH], uninstall[MAX_PATH], gallery[MAX_PATH];
    if (!makeFull(&arguments.item, item) || !makeFull(&arguments.gallery, gallery) ||
        !makeFull(&arguments.png, png) || !makeFull(&arguments.install, install) ||
        !makeFull(&arguments.uninstall, uninstall)) {
        std::fprintf(stderr, "today: a path is too long\n");
        return 2;
    }
    for (size_t i = 0; i < arguments.calendars.size(); ++i) {
        if (i == 0)
            DeviceSetCalendarFile(arguments.calendars[i].c_str());
        else
            DeviceAddCalendar(arguments.calendars[i].c_str());
    }
    DeviceEnter();
    DeviceEnsureTodayItems();
    if (arguments.now) {
        SYSTEMTIME now;
        if (!parseDeviceTime(arguments.now, &now)) {
            std::fprintf(stderr, "today: --now wants \"YYYY-MM-DD HH:MM\"\n");
            return 2;
        }
        DeviceSetClock(&now, FALSE);
    }
    bool interactive = displayAvailable() && !arguments.png && !arguments.text &&
                       !arguments.gallery && !arguments.options.open;
    // Headless there is nobody to press OK: boxes are reported and answered.
    if (!interactive)
        DeviceSetMessageBoxHandler(reportMessageBox, nullptr);
    // The right button stands for a held stylus; the programs the item starts share this device.
    DeviceEmulateStylus(TRUE);
    DeviceExportEnvironment();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int status = 0;
    if (arguments.gallery)
        status = drawGallery(arguments);
    else if (interactive)
        status = runInteractive(arguments);
    else
        status = runHeadless(arguments);
    CoUninitialize();
    return status;
}

namespace {

// Headless, the screen is shown once the items have finished their first build; without
// --seconds that may take a large calendar's while.
const DWORD kLongestFirstBuild = 120000;

// Runs until every item has built its first list and painted it (or the time is up).
void runUntilFirstBuild(TodayScreen& screen, const Arguments& arguments) {
    DWORD bound =
        arguments.secondsGiven ? static_cast<DWORD>(arguments.seconds * 1000) : kLongestFirstBuild;
    if (!screen.RunUntilFirstBuild(bound))
        std::fprintf(stderr, "today: the items had not finished their first build after %lu ms\n",
                     static_cast<unsigned long>(bound));
}

int runHeadless(const Arguments& arguments) {
    TodayScreen screen;
    if (!screen.Create()) {
        std::fprintf(stderr, "today: cannot create the Today window (error %lu)\n", GetLastError());
        return 1;
    }
    if (arguments.text) {
        captureTextDrawnBy(GetModuleHandleW(nullptr));
        screen.SetLibraryObserver(captureTextDrawnBy);
    }
    // Nobody watches the screen fill in: what the device subscribes to is there from the start.
    fetchSubscriptionsNow(stderr);
    if (arguments.item) {
        if (!screen.LoadItem(arguments.item, L"Daybrook")) {
            std::fwprintf(stderr, L"today: cannot load the item %ls (error %lu)\n", arguments.item,
                          GetLastError());
            screen.Destroy();
            return 1;
        }
    } else {
        screen.LoadRegisteredItems();
    }
    if ((arguments.install && !runDeviceInstaller(arguments.install, true)) ||
        (arguments.uninstall && !runDeviceInstaller(arguments.uninstall, false))) {
        screen.Destroy();
        return 1;
    }
    runUntilFirstBuild(screen, arguments);
    for (int press = 0; press < arguments.select; ++press) {
        screen.PressKey(VK_DOWN);
        screen.Settle();
    }
    if (arguments.text)
        printShownTexts(shownTexts(screen.window()), stdout);
    else
        reportItems(screen);
    printCalendarProblems(stderr);
    if (arguments.options.open) {
        if (!openItemOptions(screen, arguments.options))
            std::fprintf(stderr, "today: the item has no options (export 241)\n");
        else
            std::fwprintf(stdout, L"today: options closed, item height %lu pixels\n",
                          screen.item().record.cyp);
    }
    int status = 0;
    if (arguments.png) {
        screen.Settle();
        if (saveWindowSnapshot(screen.window(), arguments.png)) {
            // With --text, the standard output holds the screen's text alone.
            std::fwprintf(arguments.text ? stderr : stdout, L"today: wrote %ls\n", arguments.png);
        } else {
            std::fwprintf(stderr, L"today: cannot write %ls\n", arguments.png);
            status = 1;
        }
    }
    screen.Destroy();
    return status;
}

int runInteractive(const Arguments& arguments) {
    if ((arguments.install && !runDeviceInstaller(arguments.install, true)) ||
        (arguments.uninstall && !runDeviceInstaller(arguments.uninstall, false)))
        return 1;
    ShellSettings settings;
    settings.item = arguments.item;
    if (arguments.secondsGiven)
        settings.closeAfterMilliseconds = static_cast<DWORD>(arguments.seconds * 1000);
    return runDeviceShell(settings);
}

int drawGallery(const Arguments& arguments) {
    WCHAR library[MAX_PATH];
    if (arguments.item) {
        lstrcpynW(library, arguments.item, MAX_PATH);
    } else {
        DWORD length = GetModuleFileNameW(nullptr, library, MAX_PATH);
        WCHAR* slash = wcsrchr(library, L'\\');
        if (length == 0 || length >= MAX_PATH || !slash)
            return 1;
        lstrcpynW(slash + 1, L"daybrook.dll", static_cast<int>(MAX_PATH - (slash + 1 - library)));
    }
    if (!renderLayoutGallery(library, arguments.gallery)) {
        std::fwprintf(stderr, L"today: cannot write the gallery %ls\n", arguments.gallery);
        return 1;
    }
    std::fwprintf(stdout, L"today: wrote %ls\n", arguments.gallery);
    return 0;
}

} // namespace
