// What the appointment store exports besides COM, for tests and the Today screen emulator: how
// the calendar file the device names was read.
#pragma once

#include <windows.h>

#ifdef PIMSTORE_BUILD
#define PIMSTORE_API extern "C" // exported by pimstore.def under its plain name
#else
#define PIMSTORE_API extern "C" __declspec(dllimport)
#endif

typedef struct PimStoreLoadReport {
    BOOL fileFound; // the file exists and was read
    BOOL rejected;  // it did not parse: nothing from it is listed, and it is never rewritten
    int errorLine;  // line of the first error, 0 without one
    int warnings;   // things skipped or ignored while the rest was read
    int events;     // events in the store (a series counts once)
    // Bytes of freed large blocks the store keeps for its next load; they go back to the heap
    // after a few idle seconds while the calendar is watched. Part of the heap's busy blocks.
    SIZE_T keptForNextLoad;
} PimStoreLoadReport;

// Reads the device's calendar file if it changed since it was last read, and reports on it.
// messages (may be null) receives one line per diagnostic: "line 12: error: ...". With several
// calendars the report covers them all: a message begins with its calendar's name after the
// line ("line 0: error: C:\\team.ics: cannot be read"), and a subscription whose last fetch
// failed adds "<address>: <why>" (its last copy is still shown). Returns FALSE
// when report is null or the messages did not fit (they are cut short).
PIMSTORE_API BOOL WINAPI PimStoreGetLoadReport(PimStoreLoadReport* report, WCHAR* messages,
                                               int messagesLength);
typedef BOOL(WINAPI* PimStoreGetLoadReportFunction)(PimStoreLoadReport*, WCHAR*, int);

// Fetches every subscription among the device's calendars once, now, and waits for each (at most
// the device's network timeout): what a device does when it synchronises before its owner looks,
// so that a picture of the screen taken at once shows them. The store still fetches on its own in
// the background. Returns how many copies are now as the servers have them; problems (may be
// null) receives "<address>: <why>" for each that failed, one per line.
PIMSTORE_API int WINAPI PimStoreFetchSubscriptions(WCHAR* problems, int problemsLength);
typedef int(WINAPI* PimStoreFetchSubscriptionsFunction)(WCHAR*, int);
