#include "civil_time.h"

#include <cmath>

namespace daybrook::ical {

namespace {

// Day number of 1970-01-01 counted from 1899-12-30; the era arithmetic below is relative to 1970.
constexpr std::int64_t kUnixEpochDayNumber = 25569;
constexpr std::int64_t kDaysPer400Years = 146097;

// OLE dates the platform accepts: 0100-01-01 .. 9999-12-31.
constexpr double kMinimumOleDate = -657434.0;
constexpr double kMaximumOleDate = 2958466.0;

} // namespace

bool isLeapYear(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(std::int64_t year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Years counted from March, so that the leap day ends the year and month lengths repeat in a
// five-month pattern; 400-year eras make the arithmetic exact for any year.
std::int64_t dayNumberFromCivil(std::int64_t year, int month, int day) {
    const std::int64_t marchYear = month <= 2 ? year - 1 : year;
    const std::int64_t era = floorDivide(marchYear, 400);
    const std::int64_t yearOfEra = marchYear - era * 400;
    const std::int64_t monthFromMarch = month > 2 ? month - 3 : month + 9;
    const std::int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * kDaysPer400Years + dayOfEra - 719468 + kUnixEpochDayNumber;
}

CivilDate civilFromDayNumber(std::int64_t dayNumber) {
    const std::int64_t days = dayNumber - kUnixEpochDayNumber + 719468;
    const std::int64_t era = floorDivide(days, kDaysPer400Years);
    const std::int64_t dayOfEra = days - era * kDaysPer400Years;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    CivilDate date;
    date.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    date.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    date.year = static_cast<int>(yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0));
    return date;
}

int weekdayOfDayNumber(std::int64_t dayNumber) {
    // Day 0, 1899-12-30, was a Saturday.
    const std::int64_t weekday = (dayNumber + 6) % 7;
    return static_cast<int>(weekday < 0 ? weekday + 7 : weekday);
}

LocalTime localTimeFromCivil(const CivilDateTime& civil) {
    return dayNumberFromCivil(civil.year, civil.month, civil.day) * kSecondsPerDay +
           civil.hour * 3600 + civil.minute * 60 + civil.second;
}

CivilDateTime civilFromLocalTime(LocalTime time) {
    const CivilDate date = civilFromDayNumber(dayNumberOf(time));
    const std::int64_t seconds = secondOfDay(time);
    CivilDateTime civil;
    civil.year = date.year;
    civil.month = date.month;
    civil.day = date.day;
    civil.hour = static_cast<int>(seconds / 3600);
    civil.minute = static_cast<int>(seconds / 60 % 60);
    civil.second = static_cast<int>(seconds % 60);
    return civil;
}

int yearOf(LocalTime time) {
    return civilFromDayNumber(dayNumberOf(time)).year;
}

double oleDateFromLocalTime(LocalTime time) {
    const std::int64_t day = dayNumberOf(time);
    const double fraction = static_cast<double>(secondOfDay(time)) / kSecondsPerDay;
    return day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
}

bool localTimeFromOleDate(double oleDate, LocalTime& time) {
    time = 0;
    if (!std::isfinite(oleDate) || oleDate < kMinimumOleDate || oleDate >= kMaximumOleDate)
        return false;
    const double wholeDays = std::trunc(oleDate);
    std::int64_t day = static_cast<std::int64_t>(wholeDays);
    std::int64_t seconds = std::llround(std::fabs(oleDate - wholeDays) * kSecondsPerDay);
    if (seconds >= kSecondsPerDay) {
        // 23:59:59.6 rounds up into the next calendar day, which is day + 1 on both sides of 0.
        seconds -= kSecondsPerDay;
        ++day;
    }
    time = day * kSecondsPerDay + seconds;
    return true;
}

double oleDateFromCivil(const CivilDateTime& civil) {
    return oleDateFromLocalTime(localTimeFromCivil(civil));
}

bool civilFromOleDate(double oleDate, CivilDateTime& civil) {
    LocalTime time = 0;
    const bool valid = localTimeFromOleDate(oleDate, time);
    civil = civilFromLocalTime(time);
    return valid;
}

} // namespace daybrook::ical
