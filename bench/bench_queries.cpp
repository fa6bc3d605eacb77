// B7: the day query BuildAgenda makes, on the heavy calendar.
#include "bench_runs.h"
#include "bench_calendars.h"
#include "bench_timing.h"

#include "agenda/appointment_query.h"
#include "agenda/store_connection.h"

#include <device.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

namespace {

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

// Each walk begins a month after the one before ended, so the store works out every day anew.
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

} // namespace

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

} // namespace bench
