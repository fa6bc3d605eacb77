// B1 to B4: whole rebuilds with BuildAgenda as the loader makes them, and how B1 grows with the
// horizon and B2 with what it lists.
#include "bench_runs.h"
#include "bench_calendars.h"
#include "bench_timing.h"

#include "agenda/agenda_builder.h"
#include "agenda/agenda_items.h"
#include "agenda/agenda_list.h"
#include "host/host_state.h"
#include "settings/options.h"

#include <device.h>

#include <cstdio>
#include <string>

namespace bench {

namespace {

Options gShippedOptions;

} // namespace

void rememberShippedOptions() {
    gShippedOptions = gOptions;
}

void useOptions(DWORD type, DWORD count) {
    gOptions = gShippedOptions;
    gOptions.UpcomingType = type;
    gOptions.UpcomingCount = count;
}

namespace {

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

} // namespace

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

namespace {

// The cost of one more unit of work from two sizes, and what is left for the build itself.
struct Slope {
    double perUnit;
    double fixed;
};

Slope slopeOf(double smallCost, double smallUnits, double largeCost, double largeUnits) {
    const double perUnit = (largeCost - smallCost) / (largeUnits - smallUnits);
    return Slope{perUnit, smallCost - perUnit * smallUnits};
}

} // namespace

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
    BuildResult twice = measureBuild(window, calendars.twiceAsBig, UpcomingDays, 31, runs);
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

} // namespace bench
