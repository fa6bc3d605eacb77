// Calendar arithmetic and OLE dates, independent of any zone.
#pragma once

#include <cstdint>

namespace daybrook::ical {

// Wall-clock seconds since 1899-12-30 00:00 (the OLE date epoch), in whichever zone the caller
// means: UTC, an event's own zone or the device's. Integer seconds keep comparisons and window
// boundaries exact; OLE doubles appear only at the edge of the API.
using LocalTime = std::int64_t;

constexpr std::int64_t kSecondsPerDay = 86400;

// The range every parser accepts; expansions never go past it either.
constexpr int kMinYear = 1;
constexpr int kMaxYear = 9999;

struct CivilDate {
    int year = 1900;
    int month = 1; // 1..12
    int day = 1;   // 1..31
};

struct CivilDateTime {
    int year = 1900;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

bool isLeapYear(std::int64_t year);
int daysInMonth(std::int64_t year, int month);

// Day numbers count days since 1899-12-30, so day 0 is OLE date 0.0.
std::int64_t dayNumberFromCivil(std::int64_t year, int month, int day);
CivilDate civilFromDayNumber(std::int64_t dayNumber);
int weekdayOfDayNumber(std::int64_t dayNumber); // 0 = Sunday .. 6 = Saturday

// Inline so that constant divisors become multiplications: day queries call these a lot.
inline std::int64_t floorDivide(std::int64_t value, std::int64_t divisor) {
    const std::int64_t quotient = value / divisor;
    return (value % divisor != 0) && ((value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}
inline std::int64_t dayNumberOf(LocalTime time) {
    return floorDivide(time, kSecondsPerDay);
}
inline std::int64_t secondOfDay(LocalTime time) {
    return time - dayNumberOf(time) * kSecondsPerDay;
}

LocalTime localTimeFromCivil(const CivilDateTime& civil);
CivilDateTime civilFromLocalTime(LocalTime time);
int yearOf(LocalTime time);

// OLE dates: the whole part counts days from 1899-12-30, the fraction is the time of day. Before
// the epoch the fraction is subtracted (-1.25 is 1899-12-29 06:00), as VariantTimeToSystemTime
// reads it.
double oleDateFromLocalTime(LocalTime time);
// Rounds to the nearest second. False for NaN, infinity and dates outside years 100..9999.
bool localTimeFromOleDate(double oleDate, LocalTime& time);

// The same for a civil date and time, as SystemTimeToVariantTime and VariantTimeToSystemTime
// would convert it, but exact to the second.
double oleDateFromCivil(const CivilDateTime& civil);
bool civilFromOleDate(double oleDate, CivilDateTime& civil);

} // namespace daybrook::ical
