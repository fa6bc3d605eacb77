// B5, B6 and M1's growth: the real item, started as the Today screen starts it, refreshing and
// painting.
#include "bench_runs.h"
#include "bench_host.h"
#include "bench_painting.h"
#include "bench_probes.h"
#include "bench_timing.h"

#include "agenda/agenda_builder.h"
#include "agenda/agenda_item.h"
#include "agenda/agenda_list.h"
#include "host/host_state.h"
#include "host/item_window.h"
#include "render/list_painting.h"
#include "settings/options.h"

#include <device.h>

#include <cstdio>
#include <string>
#include <vector>

namespace bench {

namespace {

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
    paintCurrentList(paint->window, paint->dc, paint->invalid);
}

double medianPaint(HWND window, HDC dc, const RECT& client, int runs) {
    return measure(runs * 10,
                   [&] {
                       Stopwatch watch;
                       paintCurrentList(window, dc, client);
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
                  "beyond the text floor, %.0f us: the markers %.0f us, the watermark and the copy "
                  "to the screen %.0f us, %d more font selections %.0f us, the rest (headings, "
                  "icons, colours, list logic) %.0f us",
                  beyondFloor, whole - withoutMarkers, whole - itemsAlone, extraSelections,
                  extraSelections * selectionCost,
                  beyondFloor - (whole - withoutMarkers) - (whole - itemsAlone) -
                      extraSelections * selectionCost);
    printNote(line);
}

void runRefresh(LiveItem& item, int runs) {
    const int kQueriesPerRun = 1000;
    Figures refresh = measure(runs, [&] {
        Stopwatch watch;
        for (int i = 0; i < kQueriesPerRun; ++i)
            refreshQuery(item.hwnd(), &item.record());
        return watch.microseconds() / kQueriesPerRun;
    });
    printFigures("B5", "refreshQuery that finds nothing to do", refresh, Unit::Microseconds, 5);
    printNote("over a list of " + std::to_string(gHost.currentList->count) + " items");
}

void runPaint(LiveItem& item, int runs) {
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
    // The text floor draws into a buffer of the back buffer's size and kind; the full floor into
    // the DCs the paint drew on.
    Canvas buffer(list->backWidth, list->backHeight);
    SetBkMode(buffer.dc(), TRANSPARENT);
    FullFloor full(recorded.calls);
    // Taken in turns, so that whatever else the machine does weighs on all alike.
    std::vector<double> paints, floors, fulls;
    for (int i = 0; i <= runs * 10; ++i) {
        Stopwatch watch;
        paintCurrentList(item.hwnd(), screen.dc(), client);
        const double painted = watch.microseconds();
        const double floor = drawFloor(buffer.dc(), texts);
        const double fullFloor = full.draw();
        if (i == 0)
            continue; // the warm-up
        paints.push_back(painted);
        floors.push_back(floor);
        fulls.push_back(fullFloor);
    }
    const Figures paint = figuresOf(paints);
    const Figures floor = figuresOf(floors);
    const Figures fullFloor = figuresOf(fulls);
    printFigures("B6", "paintList, 40 items, into its back buffer", paint, Unit::Microseconds,
                 1.15 * fullFloor.median);
    printFigures("",
                 "full floor: the same " + std::to_string(recorded.calls.size()) +
                     " drawing calls in one loop",
                 fullFloor, Unit::Microseconds, 0);
    printFigures(
        "", "text floor: the same " + std::to_string(texts.size()) + " texts by bare DrawTextW",
        floor, Unit::Microseconds, 0);
    char ratio[200];
    std::snprintf(ratio, sizeof ratio,
                  "B6/full floor = %.2f (target <= 1.15), of the minimums %.2f; B6/text floor = "
                  "%.2f, of the minimums %.2f",
                  paint.median / fullFloor.median, paint.min / fullFloor.min,
                  paint.median / floor.median, paint.min / floor.min);
    printNote(ratio);
    const int selections =
        recorded.fontSelections + recorded.penSelections + recorded.brushSelections;
    std::snprintf(ratio, sizeof ratio,
                  "selections in one paint: %d fonts, %d pens, %d brushes; the full floor makes "
                  "%d; %d redundant",
                  recorded.fontSelections, recorded.penSelections, recorded.brushSelections,
                  full.selections(), selections - full.selections());
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
        paintCurrentList(item.hwnd(), screen.dc(), client);
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

} // namespace

void runLiveItem(HWND today, HWND standIn, const Calendars& calendars, int runs, int rebuilds) {
    const DWORD count = countForFortyItems(standIn, calendars.heavy);
    runItemMemory(today, calendars, count);
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
    runRefresh(item, runs);
    runPaint(item, runs);
    runLeakCheck(item, rebuilds);
}

} // namespace bench
