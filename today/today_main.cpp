// today.exe: hosts a Today item the way the device's Today screen does.
//   today.exe [--item <dll>] [--calendar <file.ics>] [--now "YYYY-MM-DD HH:MM"]
//             [--screen qvga|vga] [--landscape] [--seconds <n>]
//             [--options [--close-options-after <ms>] [--options-page <n>]
//              [--options-snapshot <file.png>]]
#include "options_session.h"
#include "today_screen.h"
#include <device.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

namespace {

struct Arguments {
    const WCHAR* item = nullptr; // daybrook.dll beside this program
    const WCHAR* calendar = nullptr;
    const WCHAR* now = nullptr;
    DeviceScreenKind screen = DeviceScreenQvga;
    bool landscape = false;
    double seconds = 3.0;
    OptionsRequest options;
};

void printUsage() {
    std::fprintf(stderr, "usage: today.exe [--item <dll>] [--calendar <file.ics>] "
                         "[--now \"YYYY-MM-DD HH:MM\"] [--screen qvga|vga] [--landscape] "
                         "[--seconds <n>] [--options [--close-options-after <ms>] "
                         "[--options-page <n>] [--options-snapshot <file.png>]]\n");
}

bool parseArguments(int count, WCHAR** values, Arguments* arguments) {
    for (int i = 1; i < count; ++i) {
        const WCHAR* name = values[i];
        bool hasValue = i + 1 < count;
        if (wcscmp(name, L"--landscape") == 0) {
            arguments->landscape = true;
        } else if (wcscmp(name, L"--item") == 0 && hasValue) {
            arguments->item = values[++i];
        } else if (wcscmp(name, L"--calendar") == 0 && hasValue) {
            arguments->calendar = values[++i];
        } else if (wcscmp(name, L"--now") == 0 && hasValue) {
            arguments->now = values[++i];
        } else if (wcscmp(name, L"--screen") == 0 && hasValue) {
            const WCHAR* kind = values[++i];
            if (_wcsicmp(kind, L"vga") == 0)
                arguments->screen = DeviceScreenVga;
            else if (_wcsicmp(kind, L"qvga") == 0)
                arguments->screen = DeviceScreenQvga;
            else
                return false;
        } else if (wcscmp(name, L"--options") == 0) {
            arguments->options.open = true;
        } else if (wcscmp(name, L"--close-options-after") == 0 && hasValue) {
            arguments->options.closeAfterMilliseconds = _wtoi(values[++i]);
        } else if (wcscmp(name, L"--options-page") == 0 && hasValue) {
            arguments->options.page = _wtoi(values[++i]);
        } else if (wcscmp(name, L"--options-snapshot") == 0 && hasValue) {
            arguments->options.snapshot = values[++i];
        } else if (wcscmp(name, L"--seconds") == 0 && hasValue) {
            arguments->seconds = _wtof(values[++i]);
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

} // namespace

int wmain(int argc, WCHAR** argv) {
    Arguments arguments;
    if (!parseArguments(argc, argv, &arguments)) {
        printUsage();
        return 2;
    }
    DeviceSetScreen(arguments.screen, arguments.landscape);
    WCHAR itemPath[MAX_PATH];
    WCHAR calendarPath[MAX_PATH];
    WCHAR besideProgram[MAX_PATH];
    if (!arguments.item) {
        DWORD length = GetModuleFileNameW(nullptr, besideProgram, MAX_PATH);
        WCHAR* slash = length && length < MAX_PATH ? wcsrchr(besideProgram, L'\\') : nullptr;
        if (!slash || slash - besideProgram + 14 >= MAX_PATH) {
            std::fprintf(stderr, "today: cannot find the program's own folder\n");
            return 1;
        }
        wcscpy(slash + 1, L"daybrook.dll");
        arguments.item = besideProgram;
    }
    // Relative paths mean the caller's folder, before the device's root becomes current.
    if (!GetFullPathNameW(arguments.item, MAX_PATH, itemPath, nullptr) ||
        (arguments.calendar &&
         !GetFullPathNameW(arguments.calendar, MAX_PATH, calendarPath, nullptr))) {
        std::fprintf(stderr, "today: a path is too long\n");
        return 2;
    }
    arguments.item = itemPath;
    if (arguments.calendar)
        DeviceSetCalendarFile(calendarPath);
    DeviceEnter();
    if (arguments.now) {
        SYSTEMTIME now;
        if (!parseDeviceTime(arguments.now, &now)) {
            std::fprintf(stderr, "today: --now wants \"YYYY-MM-DD HH:MM\"\n");
            return 2;
        }
        DeviceSetClock(&now, FALSE);
    }
    // Headless there is nobody to press OK: boxes are reported and answered.
    DeviceSetMessageBoxHandler(reportMessageBox, nullptr);

    TodayScreen screen;
    if (!screen.Create()) {
        std::fprintf(stderr, "today: cannot create the Today window (error %lu)\n",
                     GetLastError());
        return 1;
    }
    if (!screen.LoadItem(arguments.item, L"Daybrook")) {
        std::fwprintf(stderr, L"today: cannot load the item %ls (error %lu)\n", arguments.item,
                      GetLastError());
        screen.Destroy();
        return 1;
    }
    std::fwprintf(stdout, L"today: %ls loaded, item window %p\n", arguments.item,
                  static_cast<void*>(screen.item().window));
    screen.Run(static_cast<DWORD>(arguments.seconds * 1000), 2000);
    if (arguments.options.open) {
        if (!openItemOptions(screen, arguments.options))
            std::fprintf(stderr, "today: the item has no options (export 241)\n");
        else
            std::fwprintf(stdout, L"today: options closed, item height %lu pixels\n",
                          screen.item().record.cyp);
    }
    std::fwprintf(stdout, L"today: item height %lu pixels\n", screen.item().record.cyp);
    screen.Destroy();
    std::fwprintf(stdout, L"today: item unloaded\n");
    return 0;
}
