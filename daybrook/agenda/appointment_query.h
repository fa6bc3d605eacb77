// Reading the calendar day by day.
#pragma once
#include <windows.h>
#include <pimstore.h>

// The calendar's items with every occurrence of a series as an item of its own; null on failure.
IPOutlookItemCollection* OpenCalendarItems();
// Windowed: the appointments overlapping the day. Unwindowed: every appointment ending at or
// after the next midnight. Both sorted by start; null on failure.
IPOutlookItemCollection* QueryDay(IPOutlookItemCollection* items, int day, bool windowed);
// The appointment at a 1-based index; a failure marks the end of the collection.
HRESULT GetAppointment(IPOutlookItemCollection* items, int index, IAppointment** appointment);
