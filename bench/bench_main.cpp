// bench.exe: the item's costs on this machine, measured against the real appointment store
// through COM, with generated calendars. Prints median, minimum and maximum of repeated runs.
//
//   bench.exe [--runs <n>] [--rebuilds <n>] [--no-emulator] [--curves]
//             [--only builds|queries|scaling|loading|firstpicture|item|emulator|curves]
#include "bench_calendars.h"
#include "bench_host.h"
#include "bench_runs.h"

#include <device.h>
#include <windbase.h>

#include <cstdio>
#include <cwchar>
#include <string>

using namespace bench;

namespace {

struct Arguments {
    int runs = 21;
    int rebuilds = 1000;
    bool emulator = true;
    bool curves = false; // the curves are printed only when asked for
    std::wstring only;   // a group to run alone

    bool wants(const wchar_t* group) const { return only.empty() || only == group; }
    bool wantsCurves() const { return curves || only == L"curves"; }
};

bool parseArguments(int argc, wchar_t** argv, Arguments& arguments) {
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (wcscmp(argv[i], L"--runs") == 0 && hasValue)
            arguments.runs = _wtoi(argv[++i]);
        else if (wcscmp(argv[i], L"--rebuilds") == 0 && hasValue)
            arguments.rebuilds = _wtoi(argv[++i]);
        else if (wcscmp(argv[i], L"--no-emulator") == 0)
            arguments.emulator = false;
        else if (wcscmp(argv[i], L"--curves") == 0)
            arguments.curves = true;
        else if (wcscmp(argv[i], L"--only") == 0 && hasValue)
            arguments.only = argv[++i];
        else
            return false;
    }
    return arguments.runs > 0 && arguments.rebuilds > 0;
}

Calendars writeCalendars(const CalendarFolder& folder) {
    Calendars calendars;
    calendars.empty = folder.write(L"empty.ics", emptyCalendar());
    const GeneratedCalendar heavy = generateCalendar(CalendarShape());
    calendars.heavy = folder.write(L"heavy.ics", heavy.text);
    CalendarShape withHistory;
    withHistory.historyYears = 10;
    const GeneratedCalendar twiceAsBig = generateCalendar(withHistory);
    calendars.twiceAsBig = folder.write(L"heavy-with-history.ics", twiceAsBig.text);
    CalendarShape quiet;
    quiet.quietDays = kQuietDays;
    calendars.quiet = folder.write(L"quiet.ics", generateCalendar(quiet).text);
    calendars.spare = folder.write(L"spare.ics", emptyCalendar());
    std::printf("calendars: heavy = %d single appointments and %d series, 2022-2031 (%zu KB);\n"
                "           heavy with 2012-2021 before it = %d and %d (%zu KB);\n"
                "           quiet = heavy with nothing in the %d days from today\n",
                heavy.singles, heavy.series, heavy.text.size() / 1024, twiceAsBig.singles,
                twiceAsBig.series, twiceAsBig.text.size() / 1024, kQuietDays);
    return calendars;
}

// Everything but the emulator's memory: in a Today screen window, beside a stand-in for the item
// window that listens for the store's notifications as the item does from its start.
void runInTodayWindow(const CalendarFolder& folder, const Calendars& calendars,
                      const Arguments& arguments) {
    TodayWindow today;
    HWND standIn = today.makeChild(DeviceGetScreen().height);
    CEOID oid = 0;
    HANDLE database =
        CeOpenDatabase(&oid, const_cast<LPWSTR>(L"Appointments Database"), 0, 0, standIn);
    std::printf("\n");
    if (arguments.wants(L"builds"))
        runBuildBenchmarks(standIn, calendars, arguments.runs);
    if (arguments.wants(L"queries"))
        runDayQueries(calendars, arguments.runs);
    if (arguments.wants(L"scaling"))
        runScaling(standIn, calendars, arguments.runs);
    if (arguments.wants(L"loading"))
        runLoading(folder, calendars, arguments.runs);
    if (arguments.wants(L"firstpicture"))
        runFirstPicture(today.hwnd(), standIn, calendars, arguments.runs);
    if (arguments.wants(L"item"))
        runLiveItem(today.hwnd(), standIn, calendars, arguments.runs, arguments.rebuilds);
    if (arguments.wantsCurves())
        runCurves(standIn, folder, calendars, arguments.runs);
    if (database != INVALID_HANDLE_VALUE)
        DeviceCloseHandle(database);
    DestroyWindow(standIn);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    rememberShippedOptions();
    Arguments arguments;
    if (!parseArguments(argc, argv, arguments)) {
        std::fprintf(stderr,
                     "usage: bench.exe [--runs <n>] [--rebuilds <n>] [--no-emulator] [--curves]\n"
                     "          [--only "
                     "builds|queries|scaling|loading|firstpicture|item|emulator|curves]\n");
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
        return 1;
    CalendarFolder folder;
    enterDevice();
    std::printf("Daybrook benchmark: %d runs each (median, min, max), device at %04d-%02d-%02d "
                "%02d:00, QVGA, Central European time\n",
                arguments.runs, kNowYear, kNowMonth, kNowDay, kNowHour);
    const Calendars calendars = writeCalendars(folder);
    runInTodayWindow(folder, calendars, arguments);
    if (arguments.emulator && arguments.wants(L"emulator") && arguments.only != L"curves")
        runEmulatorPeak(calendars);
    leaveDevice();
    CoUninitialize();
    return 0;
}
