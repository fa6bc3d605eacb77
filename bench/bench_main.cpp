// bench.exe: the item's costs on this machine, measured against the real appointment store
// through COM, with generated calendars. Prints median, minimum and maximum of repeated runs.
//
//   bench.exe [--runs <n>] [--rebuilds <n>] [--no-emulator]
//             [--only builds|queries|scaling|item|emulator]
#include "bench_calendars.h"
#include "bench_host.h"
#include "bench_painting.h"
#include "bench_probes.h"
#include "bench_timing.h"

#include "agenda/agenda_builder.h"
#include "agenda/agenda_items.h"
#include "agenda/agenda_list.h"
#include "agenda/appointment_query.h"
#include "agenda/store_connection.h"
#include "host/host_state.h"
#include "host/item_window.h"
#include "render/list_painting.h"
#include "settings/options.h"

#include <device.h>
#include <windbase.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

using namespace bench;

namespace {

struct Arguments {
    int runs = 21;
    int rebuilds = 1000;
    bool emulator = true;
    std::wstring only; // a group to run alone: builds, queries, scaling, item, emulator

    bool wants(const wchar_t* group) const { return only.empty() || only == group; }
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
        else if (wcscmp(argv[i], L"--only") == 0 && hasValue)
            arguments.only = argv[++i];
        else
            return false;
    }
    return arguments.runs > 0 && arguments.rebuilds > 0;
}

struct Calendars {
    std::wstring empty;
    std::wstring heavy;
    std::wstring heavyTwentyYears;
    std::wstring quiet;
};

const int kQuietDays = 40;

Calendars writeCalendars(const CalendarFolder& folder) {
    Calendars calendars;
    calendars.empty = folder.write(L"empty.ics", emptyCalendar());
    const GeneratedCalendar heavy = generateCalendar(CalendarShape());
    calendars.heavy = folder.write(L"heavy.ics", heavy.text);
    CalendarShape twenty;
    twenty.historyYears = 10;
    const GeneratedCalendar longer = generateCalendar(twenty);
    calendars.heavyTwentyYears = folder.write(L"heavy-20-years.ics", longer.text);
    CalendarShape quiet;
    quiet.quietDays = kQuietDays;
    calendars.quiet = folder.write(L"quiet.ics", generateCalendar(quiet).text);
    std::printf("calendars: heavy = %d single appointments and %d series, 2022-2031 (%zu KB);\n"
                "           heavy with 2012-2021 before it = %d and %d (%zu KB);\n"
                "           quiet = heavy with nothing in the %d days from today\n",
                heavy.singles, heavy.series, heavy.text.size() / 1024, longer.singles,
                longer.series, longer.text.size() / 1024, kQuietDays);
    return calendars;
}

// The shipped settings (taken before the item reads the registry), with the mode and count asked.
Options gShippedOptions;

void useOptions(DWORD type, DWORD count) {
    gOptions = gShippedOptions;
    gOptions.UpcomingType = type;
    gOptions.UpcomingCount = count;
}

int countAppointments(const AgendaList* list) {
    int appointments = 0;
    for (int i = 0; i < list->count; ++i)
        appointments += dynamic_cast<AppointmentItem*>(list->items[i]) != nullptr;
    return appointments;
}

struct BuildResult {
    Figures figures;
    int items = 0;
    int appointments = 0;
};

// BuildAgenda as the loader calls it; the list's destruction is left out of the time.
BuildResult measureBuild(HWND window, const std::wstring& calendar, DWORD type, DWORD count,
                         int runs) {
    DeviceSetCalendarFile(calendar.c_str());
    useOptions(type, count);
    BuildResult result;
    result.figures = measure(runs, [&] {
        Stopwatch watch;
        AgendaList* list = BuildAgenda(window);
        const double elapsed = watch.microseconds();
        if (list) {
            result.items = list->count;
            result.appointments = countAppointments(list);
        }
        destroyList(list);
        return elapsed;
    });
    return result;
}

std::string listed(const BuildResult& result) {
    return std::to_string(result.appointments) + " appointments in " +
           std::to_string(result.items) + " items";
}

void runBuildBenchmarks(HWND window, const Calendars& calendars, int runs) {
    BuildResult b1 = measureBuild(window, calendars.empty, UpcomingHours, 24, runs);
    printFigures("B1", "BuildAgenda, hours 24, empty calendar (3650 days)", b1.figures,
                 Unit::Milliseconds, 15000);
    BuildResult b2 = measureBuild(window, calendars.heavy, UpcomingDays, 31, runs);
    printFigures("B2", "BuildAgenda, days 31, heavy calendar", b2.figures, Unit::Milliseconds,
                 5000);
    printNote(listed(b2));
    BuildResult b4 = measureBuild(window, calendars.heavy, UpcomingLines, 31, runs);
    printFigures("B4", "BuildAgenda, lines 31, heavy calendar", b4.figures, Unit::Milliseconds,
                 10000);
    printNote(listed(b4) + ", each measured while building");
    BuildResult b3 = measureBuild(window, calendars.quiet, UpcomingAppointments, 31, runs);
    printFigures("B3", "BuildAgenda, appointments 31, next one 40 days ahead", b3.figures,
                 Unit::Milliseconds, 2000);
    printNote(listed(b3));
}

// The cost of one more unit of work from two sizes, and what is left for the build itself.
struct Slope {
    double perUnit;
    double fixed;
};

Slope slopeOf(double smallCost, double smallUnits, double largeCost, double largeUnits) {
    const double perUnit = (largeCost - smallCost) / (largeUnits - smallUnits);
    return Slope{perUnit, smallCost - perUnit * smallUnits};
}

void runScaling(HWND window, const Calendars& calendars, int runs) {
    std::printf("\nscaling\n");
    BuildResult half = measureBuild(window, calendars.empty, UpcomingDays, 1825, runs);
    BuildResult full = measureBuild(window, calendars.empty, UpcomingDays, 3650, runs);
    printFigures("B1h", "BuildAgenda, empty calendar, horizon 1825 days", half.figures,
                 Unit::Milliseconds, 0);
    printFigures("B1f", "BuildAgenda, empty calendar, horizon 3650 days", full.figures,
                 Unit::Milliseconds, 0);
    // From the fastest runs, which the machine's other work disturbs least.
    const Slope days = slopeOf(half.figures.min, 1825, full.figures.min, 3650);
    char line[200];
    std::snprintf(line, sizeof line,
                  "per day %.2f us, per build %.0f us (fastest runs); twice the horizon costs %.2f "
                  "times as much (medians %.2f)",
                  days.perUnit, days.fixed, full.figures.min / half.figures.min,
                  full.figures.median / half.figures.median);
    printNote(line);

    BuildResult week = measureBuild(window, calendars.heavy, UpcomingDays, 7, runs);
    BuildResult month = measureBuild(window, calendars.heavy, UpcomingDays, 31, runs);
    BuildResult twice = measureBuild(window, calendars.heavyTwentyYears, UpcomingDays, 31, runs);
    printFigures("B2w", "BuildAgenda, days 7, heavy calendar", week.figures, Unit::Milliseconds, 0);
    printNote(listed(week));
    printFigures("B2m", "BuildAgenda, days 31, heavy calendar", month.figures, Unit::Milliseconds,
                 0);
    printNote(listed(month));
    printFigures("B2d", "BuildAgenda, days 31, the calendar twice as big", twice.figures,
                 Unit::Milliseconds, 0);
    printNote(listed(twice));
    const Slope listedCost =
        slopeOf(week.figures.min, week.appointments, month.figures.min, month.appointments);
    std::snprintf(line, sizeof line,
                  "per listed appointment %.2f us, per build %.0f us (fastest runs); the calendar "
                  "twice as big costs %.2f times as much for the same list (medians %.2f)",
                  listedCost.perUnit, listedCost.fixed, twice.figures.min / month.figures.min,
                  twice.figures.median / month.figures.median);
    printNote(line);
}

// Day queries as BuildAgenda makes them, walking forward from today through a year.
const int kQueriedDays = 365;
// Walks through days the store has not been asked for before, a month apart so that no two share
// a block of days the store keeps; the heavy calendar has room for eleven after the first year.
const int kFreshWalkDays = 96;
const int kFreshWalkStride = 128;
const int kFreshWalks = 11;

double timeDayQueries(IPOutlookItemCollection* items, int firstDay, int days = kQueriedDays) {
    Stopwatch watch;
    for (int day = firstDay; day < firstDay + days; ++day) {
        IPOutlookItemCollection* found = QueryDay(items, day, true);
        if (found)
            found->Release();
    }
    return watch.microseconds() / days;
}

// Each walk starts where the one before ended, so the store works out every day it answers.
Figures timeFreshDayQueries(IPOutlookItemCollection* items, int firstDay, int walks) {
    std::vector<double> samples;
    for (int walk = 0; walk < walks; ++walk)
        samples.push_back(
            timeDayQueries(items, firstDay + walk * kFreshWalkStride, kFreshWalkDays));
    return figuresOf(samples);
}

// The text QueryDay gives the store, for the same walk without the item's formatting.
double timeRestrictAndSort(IPOutlookItemCollection* items, int firstDay) {
    std::vector<BSTR> filters;
    for (int day = firstDay; day < firstDay + kQueriedDays; ++day) {
        BSTR from = nullptr, to = nullptr;
        VarBstrFromDate(day, 0, 0, &from);
        VarBstrFromDate(day + 1.0, 0, 0, &to);
        std::wstring text =
            std::wstring(L"[End] >= \"") + from + L"\" AND [Start] < \"" + to + L"\"";
        filters.push_back(SysAllocString(text.c_str()));
        SysFreeString(from);
        SysFreeString(to);
    }
    BSTR start = SysAllocString(L"[Start]");
    Stopwatch watch;
    for (BSTR filter : filters) {
        IPOutlookItemCollection* found = nullptr;
        if (SUCCEEDED(items->Restrict(filter, &found)) && found) {
            found->Sort(start, VARIANT_FALSE);
            found->Release();
        }
    }
    const double perQuery = watch.microseconds() / kQueriedDays;
    SysFreeString(start);
    for (BSTR filter : filters)
        SysFreeString(filter);
    return perQuery;
}

double timeDateTexts(int firstDay) {
    Stopwatch watch;
    for (int day = firstDay; day < firstDay + kQueriedDays; ++day) {
        BSTR text = nullptr;
        VarBstrFromDate(day, 0, 0, &text);
        SysFreeString(text);
    }
    return watch.microseconds() / kQueriedDays;
}

void runDayQueries(const Calendars& calendars, int runs) {
    DeviceSetCalendarFile(calendars.heavy.c_str());
    if (!EnsureStore(nullptr)) {
        std::printf("B7   the store cannot be opened\n");
        return;
    }
    IPOutlookItemCollection* items = OpenCalendarItems();
    if (items) {
        const int today = benchToday();
        // Days after the year the other figures use, before any of them is asked.
        const Figures fresh =
            timeFreshDayQueries(items, today + kQueriedDays, std::min(runs, kFreshWalks));
        Figures query = measure(runs, [&] { return timeDayQueries(items, today); });
        printFigures("B7", "QueryDay (restricted, sorted), heavy calendar", fresh,
                     Unit::Microseconds, 4);
        printNote("days never asked before (the store works each out on the way), " +
                  std::to_string(kFreshWalkDays) + "-day walks");
        printFigures("B7a", "the same, days asked before (a year from today)", query,
                     Unit::Microseconds, 4);
        Figures store = measure(runs, [&] { return timeRestrictAndSort(items, today); });
        printNote("of which the store's Restrict and Sort: median " + std::to_string(store.median) +
                  " us");
        Figures texts = measure(runs, [&] { return timeDateTexts(today); });
        printNote("one VarBstrFromDate (QueryDay makes two): median " +
                  std::to_string(texts.median) + " us");
        items->Release();
    }
    CloseStore();
}

// The list the Today screen shows, trimmed to `count` items from the end.
void trimList(AgendaList* list, int count) {
    while (list->count > count) {
        delete list->items[list->count - 1];
        list->items[--list->count] = nullptr;
    }
    list->totalHeight = 0;
}

struct PaintContext {
    HWND window;
    HDC dc;
    RECT invalid;
};

void paintOnce(void* context) {
    auto* paint = static_cast<PaintContext*>(context);
    paintList(paint->window, paint->dc, paint->invalid);
}

double medianPaint(HWND window, HDC dc, const RECT& client, int runs) {
    return measure(runs * 10,
                   [&] {
                       Stopwatch watch;
                       paintList(window, dc, client);
                       return watch.microseconds();
                   })
        .median;
}

// Where the paint spends beyond the floor: the same paint without the free/busy markers (their
// colours switched off), the items alone (no watermark, no copy to the screen), and the font
// selections the painters make beyond the floor's.
void explainPaint(HWND window, HDC dc, const RECT& client, const RecordedPaint& recorded,
                  HDC buffer, double beyondFloor, int runs) {
    AgendaList* list = gHost.currentList;
    const double whole = medianPaint(window, dc, client, runs);
    const Options saved = gOptions;
    gOptions.FreeColor = gOptions.TentativeColor = gOptions.ConflictColor = ColorNone;
    const double withoutMarkers = medianPaint(window, dc, client, runs);
    gOptions = saved;
    const double itemsAlone = measure(runs * 10, [&] {
                                  Stopwatch watch;
                                  paintItems(list, window, list->backDc.dc, &client);
                                  return watch.microseconds();
                              }).median;
    const int extraSelections = recorded.fontSelections - floorFontSelections(recorded.texts);
    const double selectionCost = fontSelectionCost(buffer, recorded.texts);
    char line[300];
    std::snprintf(line, sizeof line,
                  "beyond the floor, %.0f us: the markers %.0f us, the watermark and the copy to "
                  "the screen %.0f us, %d more font selections (the painters put each font back) "
                  "%.0f us, the rest %.0f us",
                  beyondFloor, whole - withoutMarkers, whole - itemsAlone, extraSelections,
                  extraSelections * selectionCost,
                  beyondFloor - (whole - withoutMarkers) - (whole - itemsAlone) -
                      extraSelections * selectionCost);
    printNote(line);
}

void runRefreshAndPaint(LiveItem& item, int runs) {
    const int kQueriesPerRun = 1000;
    Figures refresh = measure(runs, [&] {
        Stopwatch watch;
        for (int i = 0; i < kQueriesPerRun; ++i)
            refreshQuery(item.hwnd(), &item.record());
        return watch.microseconds() / kQueriesPerRun;
    });
    printFigures("B5", "refreshQuery that finds nothing to do", refresh, Unit::Microseconds, 5);
    printNote("over a list of " + std::to_string(gHost.currentList->count) + " items");

    AgendaList* list = gHost.currentList;
    trimList(list, 40);
    RECT client;
    GetClientRect(item.hwnd(), &client);
    client.bottom = measureList(list, item.hwnd());
    SetWindowPos(item.hwnd(), nullptr, 0, 0, client.right, client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER);
    // The window's own DC, as BeginPaint gives it.
    WindowDc screen(item.hwnd());
    PaintContext context = {item.hwnd(), screen.dc(), client};
    const RecordedPaint recorded = recordPaint(paintOnce, &context);
    const std::vector<DrawnText>& texts = recorded.texts;
    // The floor draws into a buffer of the back buffer's size and kind.
    Canvas buffer(list->backWidth, list->backHeight);
    SetBkMode(buffer.dc(), TRANSPARENT);
    // Taken in turns, so that whatever else the machine does weighs on both alike.
    std::vector<double> paints, floors;
    for (int i = 0; i <= runs * 10; ++i) {
        Stopwatch watch;
        paintList(item.hwnd(), screen.dc(), client);
        const double painted = watch.microseconds();
        const double floor = drawFloor(buffer.dc(), texts);
        if (i == 0)
            continue; // the warm-up
        paints.push_back(painted);
        floors.push_back(floor);
    }
    const Figures paint = figuresOf(paints);
    const Figures floor = figuresOf(floors);
    printFigures("B6", "paintList, 40 items, into its back buffer", paint, Unit::Microseconds,
                 1.3 * floor.median);
    printFigures("", "floor: the same " + std::to_string(texts.size()) + " texts by bare DrawTextW",
                 floor, Unit::Microseconds, 0);
    char ratio[120];
    std::snprintf(ratio, sizeof ratio, "B6/floor = %.2f (target <= 1.30); of the minimums %.2f",
                  paint.median / floor.median, paint.min / floor.min);
    printNote(ratio);
    explainPaint(item.hwnd(), screen.dc(), client, recorded, buffer.dc(),
                 paint.median - floor.median, runs);
}

void printGrowth(const char* what, long long before, long long after) {
    std::printf("     %-34s %12lld -> %12lld  growth %lld\n", what, before, after, after - before);
}

void runLeakCheck(LiveItem& item, int rebuilds) {
    const int kWarmUp = 20;
    RECT client;
    GetClientRect(item.hwnd(), &client);
    WindowDc screen(item.hwnd());
    auto cycle = [&] {
        if (!item.rebuild())
            return false;
        paintList(item.hwnd(), screen.dc(), client);
        return true;
    };
    startCountingGdiObjects();
    for (int i = 0; i < kWarmUp; ++i)
        cycle();
    const ProcessCounts before = countProcess();
    int done = 0;
    Stopwatch watch;
    while (done < rebuilds && cycle())
        ++done;
    const double seconds = watch.microseconds() / 1e6;
    const ProcessCounts after = countProcess();
    stopCountingGdiObjects();
    std::printf("M1   %d rebuilds and paints through the item window (%.1f s):\n", done, seconds);
    printGrowth("heap bytes in use", before.heapBytes, after.heapBytes);
    printGrowth("heap blocks in use", before.heapBlocks, after.heapBlocks);
    printGrowth("private bytes", before.privateBytes, after.privateBytes);
    printGrowth("kernel handles", before.handles, after.handles);
    printGrowth("GDI objects made since the start", before.gdiObjects, after.gdiObjects);
    printGrowth("window DCs held", before.windowDcs, after.windowDcs);
    const bool none = after.heapBytes == before.heapBytes && after.handles == before.handles &&
                      after.gdiObjects == before.gdiObjects &&
                      after.windowDcs == before.windowDcs && done == rebuilds;
    std::printf("     target: growth 0  %s\n", none ? "met" : "MISSED");
}

// The smallest count of appointments whose list has at least 40 items.
DWORD countForFortyItems(HWND window, const std::wstring& calendar) {
    DeviceSetCalendarFile(calendar.c_str());
    for (DWORD count = 20; count < 60; ++count) {
        useOptions(UpcomingAppointments, count);
        AgendaList* list = BuildAgenda(window);
        const int items = list ? list->count : 0;
        destroyList(list);
        if (items >= 40)
            return count;
    }
    return 40;
}

void runLiveItem(HWND today, HWND standIn, const Calendars& calendars, const Arguments& arguments) {
    const DWORD count = countForFortyItems(standIn, calendars.heavy);
    LiveItem item(today);
    if (!item.hwnd()) {
        std::printf("the item window could not be made\n");
        return;
    }
    // The item read the settings from the registry as it started; these replace them.
    useOptions(UpcomingAppointments, count);
    DeviceSetCalendarFile(calendars.heavy.c_str());
    if (!item.rebuild() || !item.settle()) {
        std::printf("the item did not settle\n");
        return;
    }
    std::printf("\nthe item in a Today screen window: appointments %lu, heavy calendar\n",
                static_cast<unsigned long>(count));
    runRefreshAndPaint(item, arguments.runs);
    runLeakCheck(item, arguments.rebuilds);
}

std::wstring emulatorArguments(const std::wstring& calendar) {
    wchar_t now[32];
    swprintf(now, 32, L"%04d-%02d-%02d %02d:00", kNowYear, kNowMonth, kNowDay, kNowHour);
    return L"--item daybrook.dll --calendar \"" + calendar + L"\" --now \"" + now +
           L"\" --seconds 4";
}

void runEmulatorPeak(const Calendars& calendars) {
    const ChildMemory empty =
        runAndMeasure(L"today.exe", emulatorArguments(calendars.empty), 60000);
    const ChildMemory heavy =
        runAndMeasure(L"today.exe", emulatorArguments(calendars.heavy), 60000);
    if (!heavy.measured || !empty.measured) {
        std::printf("M1   the emulator's memory could not be read\n");
        return;
    }
    std::printf("M1   today.exe peak working set: heavy calendar %.1f MB, empty %.1f MB "
                "(the calendar's share %.1f MB); peak private %.1f MB and %.1f MB\n",
                heavy.peakWorkingSet / 1048576.0, empty.peakWorkingSet / 1048576.0,
                (static_cast<double>(heavy.peakWorkingSet) - empty.peakWorkingSet) / 1048576.0,
                heavy.peakPagefile / 1048576.0, empty.peakPagefile / 1048576.0);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    gShippedOptions = gOptions;
    Arguments arguments;
    if (!parseArguments(argc, argv, arguments)) {
        std::fprintf(stderr, "usage: bench.exe [--runs <n>] [--rebuilds <n>] [--no-emulator]\n"
                             "                 [--only builds|queries|scaling|item|emulator]\n");
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
    {
        TodayWindow today;
        HWND standIn = today.makeChild(DeviceGetScreen().height);
        // The item listens for the store's notifications from its start, builds included.
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
        if (arguments.wants(L"item"))
            runLiveItem(today.hwnd(), standIn, calendars, arguments);
        if (database != INVALID_HANDLE_VALUE)
            DeviceCloseHandle(database);
        DestroyWindow(standIn);
    }
    if (arguments.emulator && arguments.wants(L"emulator"))
        runEmulatorPeak(calendars);
    leaveDevice();
    CoUninitialize();
    return 0;
}
