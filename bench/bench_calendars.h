// The benchmark's calendars, generated the same way on every run: an empty one, a heavy one
// (2,000 single appointments and 30 recurring series per year, over the ten years 2022-2031
// around the benchmark's "now"), the heavy one with ten earlier years of history (twice the size,
// the same days around "now"), and a heavy one that leaves the days just ahead empty.
#pragma once
#include <string>

namespace bench {

// 8 December 2026, a Tuesday, 09:00 device time: the moment every build is made for.
const int kNowYear = 2026;
const int kNowMonth = 12;
const int kNowDay = 8;
const int kNowHour = 9;

struct CalendarShape {
    int years = 10; // 2022-2031; "now" lies 4 years and 11 months into it
    int singlesPerYear = 2000;
    int seriesPerYear = 30; // daily, weekly, monthly and yearly in turn
    int quietDays = 0;      // days from today on that hold nothing (series begin after them)
    // Years before the span, as busy, whose series all end within them: a bigger calendar that
    // lists the same appointments around "now".
    int historyYears = 0;
};

struct GeneratedCalendar {
    std::string text;
    int singles = 0;
    int series = 0;
};

// Whole-day number (OLE date) of the benchmark's "now".
int benchToday();

GeneratedCalendar generateCalendar(const CalendarShape& shape);
std::string emptyCalendar();

} // namespace bench
