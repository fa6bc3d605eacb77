// The benchmark's groups of figures, each printed as it is measured.
#pragma once
#include <windows.h>

#include <string>

namespace bench {

class CalendarFolder;

struct Calendars {
    std::wstring empty;
    std::wstring heavy;
    std::wstring twiceAsBig;
    std::wstring quiet;
    std::wstring spare; // empty too: the store holds it between first pictures
};

// The days from today on that the quiet calendar leaves empty.
const int kQuietDays = 40;

// Keeps the settings the item ships with, before anything reads the registry.
void rememberShippedOptions();
// The shipped settings with this mode and count, whatever the registry holds.
void useOptions(DWORD type, DWORD count);

// B1 to B4, and how B1 and B2 grow.
void runBuildBenchmarks(HWND window, const Calendars& calendars, int runs);
void runScaling(HWND window, const Calendars& calendars, int runs);
// B7.
void runDayQueries(const Calendars& calendars, int runs);
// B5, B6 and M1's growth, with the real item in a Today screen window.
void runLiveItem(HWND today, HWND standIn, const Calendars& calendars, int runs, int rebuilds);
// L1 to L3: loading calendars of 20,000 and 200,000 events, and 10,000 long COUNT series.
void runLoading(const CalendarFolder& folder, const Calendars& calendars, int runs);
// F1: the item's first picture with the empty and the heavy calendar.
void runFirstPicture(HWND today, HWND standIn, const Calendars& calendars, int runs);
// M2: the heap the item's code holds with `count` appointments built and 40 items painted.
void runItemMemory(HWND today, const Calendars& calendars, DWORD count);
// The performance page's curves: build time against horizon and calendar size, load time against
// file size.
void runCurves(HWND window, const CalendarFolder& folder, const Calendars& calendars, int runs);
// M1's peak: the emulator with the heavy and the empty calendar.
void runEmulatorPeak(const Calendars& calendars);

} // namespace bench
