// F1, the first picture: from the Today screen starting the item to the first paint of a
// complete agenda, and where the time goes. M2: the heap the item's own code holds once it has
// built and painted 40 items.
#include "bench_runs.h"
#include "bench_heap.h"
#include "bench_host.h"
#include "bench_timing.h"

#include "agenda/agenda_builder.h"
#include "agenda/agenda_items.h"
#include "agenda/agenda_list.h"
#include "host/host_state.h"
#include "render/drawing_caches.h"
#include "render/markers.h"
#include "host/item_window.h"
#include "settings/options.h"

#include <device.h>

#include <cstdio>
#include <string>
#include <vector>

namespace bench {

namespace {

// The phases of one first picture, in microseconds.
struct FirstPicture {
    double start = 0;  // InitializeCustomItem: window, settings, the loader thread started
    double loader = 0; // the loader: the store's load of the file and the first build
    double shown = 0;  // the query that takes the list, and the first paint
    double total() const { return start + loader + shown; }
};

// The store holds the spare calendar, so that the next file is read and parsed anew.
void loadSpare(HWND standIn, const std::wstring& spare) {
    DeviceSetCalendarFile(spare.c_str());
    destroyList(BuildAgenda(standIn));
}

bool firstPicture(HWND today, const std::wstring& calendar, FirstPicture* phases) {
    DeviceSetCalendarFile(calendar.c_str());
    Stopwatch watch;
    LiveItem item(today);
    phases->start = watch.microseconds();
    if (!item.hwnd() || !item.waitForList())
        return false;
    phases->loader = watch.microseconds() - phases->start;
    const bool shown = item.showList();
    phases->shown = watch.microseconds() - phases->start - phases->loader;
    return shown;
}

// A build on a thread of its own that joins the multithreaded apartment first, as the loader's
// thread does; the time runs from the thread's creation to the build's end.
struct ThreadBuild {
    HWND window;
};

DWORD WINAPI buildOnNewThread(LPVOID parameter) {
    auto* build = static_cast<ThreadBuild*>(parameter);
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
        return 1;
    destroyList(BuildAgenda(build->window));
    CoUninitialize();
    return 0;
}

double timeThreadBuild(HWND window) {
    ThreadBuild build = {window};
    Stopwatch watch;
    HANDLE thread = CreateThread(nullptr, 0, buildOnNewThread, &build, 0, nullptr);
    if (!thread)
        return 0;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return watch.microseconds();
}

// The loader's part taken apart on the stand-in window, with the settings the item started with:
// a build that reads the file anew (cold), one on the loaded store (warm), and a cold one on a
// new thread that joins COM first, as the loader's does.
struct LoaderParts {
    double cold = 0, warm = 0, threaded = 0;
};

LoaderParts takeLoaderApart(HWND standIn, const std::wstring& calendar, const std::wstring& spare) {
    LoaderParts parts;
    loadSpare(standIn, spare);
    DeviceSetCalendarFile(calendar.c_str());
    Stopwatch first;
    AgendaList* list = BuildAgenda(standIn);
    parts.cold = first.microseconds();
    destroyList(list);
    Stopwatch second;
    list = BuildAgenda(standIn);
    parts.warm = second.microseconds();
    destroyList(list);
    loadSpare(standIn, spare);
    DeviceSetCalendarFile(calendar.c_str());
    parts.threaded = timeThreadBuild(standIn);
    return parts;
}

struct FirstPictureFigures {
    Figures total, start, loader, shown, cold, warm, threaded;
};

// Each first picture is followed at once by its loader taken apart, so that whatever else the
// machine does weighs on both alike.
FirstPictureFigures measureFirstPicture(HWND today, HWND standIn, const std::wstring& calendar,
                                        const std::wstring& spare, int runs) {
    std::vector<double> totals, starts, loaders, shows, colds, warms, threads;
    for (int i = 0; i < runs; ++i) {
        loadSpare(standIn, spare);
        FirstPicture phases;
        if (!firstPicture(today, calendar, &phases)) {
            std::printf("     the item showed no list\n");
            break;
        }
        totals.push_back(phases.total());
        starts.push_back(phases.start);
        loaders.push_back(phases.loader);
        shows.push_back(phases.shown);
        const LoaderParts parts = takeLoaderApart(standIn, calendar, spare);
        colds.push_back(parts.cold);
        warms.push_back(parts.warm);
        threads.push_back(parts.threaded);
    }
    return {figuresOf(totals), figuresOf(starts), figuresOf(loaders), figuresOf(shows),
            figuresOf(colds),  figuresOf(warms),  figuresOf(threads)};
}

void explainFirstPicture(const FirstPictureFigures& figures) {
    const double load = figures.cold.median - figures.warm.median;
    const double rest = figures.loader.median - figures.cold.median;
    char line[400];
    std::snprintf(line, sizeof line,
                  "the item's start %.1f ms; the loader %.1f ms: the store's load of the file "
                  "%.1f ms, the build %.1f ms, the rest %.1f ms (a new thread joining COM before "
                  "the same cold build adds %.1f ms); the query and the first paint %.1f ms",
                  figures.start.median / 1000, figures.loader.median / 1000, load / 1000,
                  figures.warm.median / 1000, rest / 1000,
                  (figures.threaded.median - figures.cold.median) / 1000,
                  figures.shown.median / 1000);
    printNote(line);
}

long long heldTextBytes(const AgendaList* list) {
    long long bytes = 0;
    for (int i = 0; i < list->count; ++i) {
        const auto* item = dynamic_cast<const AppointmentItem*>(list->items[i]);
        if (!item)
            continue;
        // Each BSTR has a 4-byte length before its text and a 2-byte terminator after it.
        if (item->line.subject)
            bytes += SysStringByteLen(item->line.subject) + 6;
        if (item->line.location)
            bytes += SysStringByteLen(item->line.location) + 6;
    }
    return bytes;
}

// The list as the Today screen shows it, trimmed to `count` items from the end.
void trimList(AgendaList* list, int count) {
    while (list->count > count) {
        delete list->items[list->count - 1];
        list->items[--list->count] = nullptr;
    }
}

} // namespace

void runFirstPicture(HWND today, HWND standIn, const Calendars& calendars, int runs) {
    const Options before = gOptions;
    std::printf("\nfirst picture: the item started in a Today screen window with the settings it "
                "reads, the store reading the file anew\n");
    const FirstPictureFigures empty =
        measureFirstPicture(today, standIn, calendars.empty, calendars.spare, runs);
    printFigures("F1e", "start to first paint, empty calendar", empty.total, Unit::Milliseconds, 0);
    explainFirstPicture(empty);
    const FirstPictureFigures heavy =
        measureFirstPicture(today, standIn, calendars.heavy, calendars.spare, runs);
    printFigures("F1", "start to first paint, heavy calendar", heavy.total, Unit::Milliseconds,
                 300000);
    explainFirstPicture(heavy);
    gOptions = before;
}

void runItemMemory(HWND today, const Calendars& calendars, DWORD count) {
    DeviceSetCalendarFile(calendars.heavy.c_str());
    // The caches earlier groups filled are emptied, as the item's own shutdown does, so that
    // those the item makes are counted.
    releaseMarkerCache();
    releaseDrawingCaches();
    startCountingHeap();
    {
        LiveItem item(today);
        useOptions(UpcomingAppointments, count);
        // A change notice from the store (its file was just named) may start another build
        // after this one: what counts is that the item has a list and nothing more to build.
        if (item.hwnd())
            item.rebuild();
        if (!item.hwnd() || !item.settle() || !gHost.currentList) {
            std::printf("M2   the item did not settle\n");
            stopCountingHeap();
            return;
        }
        AgendaList* list = gHost.currentList;
        trimList(list, 40);
        RECT client;
        GetClientRect(item.hwnd(), &client);
        SetWindowPos(item.hwnd(), nullptr, 0, 0, client.right, measureList(list, item.hwnd()),
                     SWP_NOMOVE | SWP_NOZORDER);
        RedrawWindow(item.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        const HeapCount heap = countedHeap();
        const long long texts = heldTextBytes(list);
        const long long total = heap.bytes + texts;
        const long long kTarget = 256 * 1024;
        std::printf("M2   the item's heap after building and painting %d items: %.1f KB (%lld "
                    "bytes in %lld blocks, and %lld bytes of subject and location texts)  "
                    "target <= 256 KB  %s\n",
                    list->count, total / 1024.0, heap.bytes, heap.blocks, texts,
                    total <= kTarget ? "met" : "MISSED");
        std::printf("     outside the heap: the back buffer bitmap, %d x %d pixels\n",
                    list->backWidth, list->backHeight);
    }
    const HeapCount after = countedHeap();
    stopCountingHeap();
    std::printf("     once the item is closed: %lld bytes in %lld blocks left\n", after.bytes,
                after.blocks);
}

} // namespace bench
