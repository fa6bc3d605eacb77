// The curves the performance page plots: build time against the horizon, build time against the
// calendar's size, and the store's load time against the file's size. Each point is printed as
//   curve <name> <x> <median ms> <min ms>
// for scripts/performance.sh to read.
#include "bench_runs.h"
#include "bench_calendars.h"
#include "bench_host.h"
#include "bench_timing.h"

#include "agenda/agenda_builder.h"
#include "agenda/agenda_list.h"
#include "settings/options.h"

#include <device.h>

#include <cstdio>
#include <string>
#include <vector>

namespace bench {

namespace {

void printPoint(const char* curve, double x, const Figures& figures) {
    std::printf("curve %s %g %.4f %.4f\n", curve, x, figures.median / 1000, figures.min / 1000);
    std::fflush(stdout);
}

double timeOneBuild(HWND window) {
    Stopwatch watch;
    AgendaList* list = BuildAgenda(window);
    const double elapsed = watch.microseconds();
    destroyList(list);
    return elapsed;
}

// Each point after a warm-up build of its own: taken in turns, the horizons would find the
// store's and the processor's caches filled for another horizon and cost more than B1 does.
void horizonCurve(HWND window, const char* curve, const std::wstring& calendar,
                  const std::vector<int>& horizons, int runs) {
    DeviceSetCalendarFile(calendar.c_str());
    for (int days : horizons) {
        useOptions(UpcomingDays, static_cast<DWORD>(days));
        printPoint(curve, days, measure(runs, [&] { return timeOneBuild(window); }));
    }
}

struct SizedCalendar {
    std::wstring path;
    int appointments; // single appointments and series
    double kilobytes;
};

std::vector<SizedCalendar> writeSizedCalendars(const CalendarFolder& folder) {
    std::vector<SizedCalendar> calendars;
    const int kScales[] = {1, 2, 4, 8, 16}; // eighths of the heavy calendar
    for (int scale : kScales) {
        CalendarShape shape;
        shape.singlesPerYear = 250 * scale;
        shape.seriesPerYear = (30 * scale + 4) / 8;
        const GeneratedCalendar generated = generateCalendar(shape);
        const std::wstring name = L"sized-" + std::to_wstring(scale) + L".ics";
        calendars.push_back({folder.write(name.c_str(), generated.text),
                             generated.singles + generated.series, generated.text.size() / 1024.0});
    }
    return calendars;
}

// The store's load of a file: a build that reads it anew, less one on the loaded store.
Figures timeLoad(HWND window, const std::wstring& calendar, const std::wstring& spare, int runs) {
    std::vector<double> loads;
    for (int i = 0; i < runs; ++i) {
        DeviceSetCalendarFile(spare.c_str());
        destroyList(BuildAgenda(window));
        DeviceSetCalendarFile(calendar.c_str());
        Stopwatch cold;
        AgendaList* list = BuildAgenda(window);
        const double first = cold.microseconds();
        destroyList(list);
        Stopwatch warm;
        list = BuildAgenda(window);
        const double second = warm.microseconds();
        destroyList(list);
        loads.push_back(first - second);
    }
    return figuresOf(loads);
}

} // namespace

void runCurves(HWND window, const CalendarFolder& folder, const Calendars& calendars, int runs) {
    std::printf("\ncurves (curve <name> <x> <median ms> <min ms>)\n");
    horizonCurve(window, "horizon-empty", calendars.empty, {365, 730, 1095, 1460, 1825, 2555, 3650},
                 runs);
    horizonCurve(window, "horizon-heavy", calendars.heavy, {7, 31, 61, 91, 182, 273, 365}, runs);
    const std::vector<SizedCalendar> sized = writeSizedCalendars(folder);
    useOptions(UpcomingDays, 31);
    // Each calendar has to be loaded before its builds: the sizes are taken in turns by rounds of
    // a few builds each.
    const int kRounds = 3;
    const int perRound = (runs + kRounds - 1) / kRounds;
    std::vector<std::vector<double>> samples(sized.size());
    for (int round = 0; round < kRounds; ++round) {
        for (size_t point = 0; point < sized.size(); ++point) {
            DeviceSetCalendarFile(sized[point].path.c_str());
            timeOneBuild(window); // loads the calendar
            for (int i = 0; i < perRound; ++i)
                samples[point].push_back(timeOneBuild(window));
        }
    }
    for (size_t point = 0; point < sized.size(); ++point)
        printPoint("size-build", sized[point].appointments, figuresOf(samples[point]));
    const int loadRuns = runs < 5 ? runs : 5;
    for (const SizedCalendar& calendar : sized)
        printPoint("size-load", calendar.kilobytes,
                   timeLoad(window, calendar.path, calendars.spare, loadRuns));
}

} // namespace bench
