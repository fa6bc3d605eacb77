// L1 to L3: the store loading a generated calendar through its library, as the item's first
// query makes it load, with the heap it then keeps per MB of file; and the phases of the load
// (reading the file's events, indexing their occurrences) timed alone in this process.
#include "bench_calendars.h"
#include "bench_host.h"
#include "bench_probes.h"
#include "bench_runs.h"
#include "bench_timing.h"

#include "calendar.h"
#include "occurrence_index.h"
#include "pimstore_diagnostics.h"

#include <device.h>

#include <cstdio>
#include <string>

namespace bench {

namespace {

namespace ical = daybrook::ical;

struct LoadFigures {
    Figures time;
    double heapMegabytes = 0;
    double fileMegabytes = 0;
    int events = 0;
    double releaseMicroseconds = 0; // loading an empty calendar in its place: mostly freeing it
    double keptMegabytes = 0;       // freed large blocks the store keeps for its next load
};

PimStoreGetLoadReportFunction loadReportFunction() {
    HMODULE store = GetModuleHandleW(L"pimstore.dll");
    if (!store)
        store = LoadLibraryW(L"pimstore.dll");
    return reinterpret_cast<PimStoreGetLoadReportFunction>(
        reinterpret_cast<void*>(GetProcAddress(store, "PimStoreGetLoadReport")));
}

// The store reads the device's calendar when it is asked after the file changed.
PimStoreLoadReport load(PimStoreGetLoadReportFunction getReport, const std::wstring& path) {
    DeviceSetCalendarFile(path.c_str());
    PimStoreLoadReport report = {};
    getReport(&report, nullptr, 0);
    return report;
}

double megabytes(long long bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// Two copies of the file, loaded in turn, so that every run reads afresh; the heap the store
// keeps is measured against an empty calendar.
LoadFigures measureLoad(const CalendarFolder& folder, const wchar_t* name, const std::string& text,
                        const std::wstring& empty, int runs) {
    const std::wstring first = folder.write((std::wstring(name) + L"-a.ics").c_str(), text);
    const std::wstring second = folder.write((std::wstring(name) + L"-b.ics").c_str(), text);
    const PimStoreGetLoadReportFunction getReport = loadReportFunction();
    LoadFigures result;
    result.fileMegabytes = megabytes(static_cast<long long>(text.size()));
    if (!getReport)
        return result;
    int turn = 0;
    result.time = measure(runs, [&] {
        const std::wstring& path = (turn++ % 2) ? second : first;
        Stopwatch watch;
        result.events = load(getReport, path).events;
        return watch.microseconds();
    });
    // The blocks kept for the next load are busy in the heap but hold no calendar: they count
    // apart.
    const PimStoreLoadReport emptied = load(getReport, empty);
    const long long before =
        countProcess().heapBytes - static_cast<long long>(emptied.keptForNextLoad);
    const PimStoreLoadReport loaded = load(getReport, first);
    const long long after =
        countProcess().heapBytes - static_cast<long long>(loaded.keptForNextLoad);
    result.heapMegabytes = megabytes(after - before);
    Stopwatch release;
    const PimStoreLoadReport released = load(getReport, empty);
    result.releaseMicroseconds = release.microseconds();
    result.keptMegabytes = megabytes(static_cast<long long>(released.keptForNextLoad));
    return result;
}

// What the store may keep: a calendar as it comes, at most six times its file; the counted
// series, whose few lines stand for ten billion occurrences, at most 100 MB in all.
enum class MemoryTarget { PerMegabyteOfFile, Total };

void printLoad(const char* id, const std::string& what, const LoadFigures& figures,
               double targetMicroseconds, MemoryTarget memoryTarget) {
    printFigures(id, what, figures.time, Unit::Milliseconds, targetMicroseconds);
    const double perMegabyte =
        figures.fileMegabytes > 0 ? figures.heapMegabytes / figures.fileMegabytes : 0;
    char line[200];
    if (memoryTarget == MemoryTarget::Total)
        std::snprintf(line, sizeof line,
                      "%d events, %.1f MB of file; the store keeps %.1f MB of heap (target <= "
                      "100 MB), %.1f MB per MB of file",
                      figures.events, figures.fileMegabytes, figures.heapMegabytes, perMegabyte);
    else
        std::snprintf(line, sizeof line,
                      "%d events, %.1f MB of file; the store keeps %.1f MB of heap, %.1f MB per "
                      "MB of file (target <= 6)",
                      figures.events, figures.fileMegabytes, figures.heapMegabytes, perMegabyte);
    printNote(line);
    // A point of the load-against-size plot of the performance page (calendars as they come).
    if (memoryTarget == MemoryTarget::PerMegabyteOfFile)
        std::printf("curve load-report %g %.4f %.4f\n", figures.fileMegabytes * 1024,
                    figures.time.median / 1000, figures.time.min / 1000);
    std::snprintf(line, sizeof line,
                  "an empty calendar loaded in its place (the loaded one freed): %.1f ms; %.1f MB "
                  "of its large blocks kept for the next load",
                  figures.releaseMicroseconds / 1000, figures.keptMegabytes);
    printNote(line);
}

// Where a load's time goes, read in this process with the store's own code.
void printPhases(const std::string& text, int runs) {
    Figures parse = measure(runs, [&] {
        std::string bytes = text;
        Stopwatch watch;
        const ical::Calendar calendar = ical::readCalendar(std::move(bytes));
        return watch.microseconds();
    });
    const ical::Calendar calendar = ical::readCalendar(text);
    ical::ZoneRule zone;
    Figures index = measure(runs, [&] {
        Stopwatch watch;
        const ical::OccurrenceIndex built(calendar, zone);
        return watch.microseconds();
    });
    char line[200];
    std::snprintf(line, sizeof line, "phases: reading the events %.1f ms, indexing them %.1f ms",
                  parse.median / 1000, index.median / 1000);
    printNote(line);
}

std::string countedSeries(int series) {
    std::string events;
    for (int i = 0; i < series; ++i)
        events += "BEGIN:VEVENT\r\nUID:counted-" + std::to_string(i) +
                  "\r\nDTSTART:19900101T090000\r\nDTEND:19900101T100000\r\nSUMMARY:Daily " +
                  std::to_string(i) + "\r\nRRULE:FREQ=DAILY;COUNT=1000000\r\nEND:VEVENT\r\n";
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Daybrook benchmark//EN\r\n" + events +
           "END:VCALENDAR\r\n";
}

} // namespace

void runLoading(const CalendarFolder& folder, const Calendars& calendars, int runs) {
    const int loadRuns = runs < 5 ? runs : 5;
    const std::string small = generateCalendar(CalendarShape()).text;
    CalendarShape tenTimes;
    tenTimes.singlesPerYear *= 10;
    tenTimes.seriesPerYear *= 10;
    const std::string large = generateCalendar(tenTimes).text;
    const LoadFigures l1 = measureLoad(folder, L"load-20k", small, calendars.empty, loadRuns);
    printLoad("L1", "loading 20,000 events (the heavy calendar)", l1, 200000,
              MemoryTarget::PerMegabyteOfFile);
    printPhases(small, loadRuns);
    const LoadFigures l2 = measureLoad(folder, L"load-200k", large, calendars.empty, loadRuns);
    printLoad("L2", "loading 200,000 events (ten times the heavy calendar)", l2, 2500000,
              MemoryTarget::PerMegabyteOfFile);
    printPhases(large, loadRuns);
    char line[120];
    std::snprintf(line, sizeof line, "L2 / L1 = %.1f (target <= 11)",
                  l1.time.median > 0 ? l2.time.median / l1.time.median : 0);
    printNote(line);
    const LoadFigures l3 =
        measureLoad(folder, L"load-counted", countedSeries(10000), calendars.empty, loadRuns);
    printLoad("L3", "loading 10,000 daily series of COUNT=1000000", l3, 1000000,
              MemoryTarget::Total);
}

} // namespace bench
