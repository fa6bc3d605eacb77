// What the Calendar program reads from the store.
#pragma once
#include <windows.h>
#include <pimstore.h>

#include <string>
#include <vector>

struct CalendarRow {
    long oid;
    DATE start;
    std::wstring text; // date, time and subject as the list shows them
};

// The appointments (every occurrence on its own) that end on `day` or later, by start, at most
// `limit` of them.
std::vector<CalendarRow> listUpcoming(IPOutlookApp* application, DATE day, int limit);

// Shows the occurrence a row stands for in the store's appointment view; returns when it closes.
HRESULT displayRow(IPOutlookApp* application, const CalendarRow& row);
