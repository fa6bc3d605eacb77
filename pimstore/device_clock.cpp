#include "device_clock.h"

#include <device_env.h>

namespace pimstore {

namespace ical = daybrook::ical;

namespace {

// TIME_ZONE_INFORMATION dates come as "the wDay-th wDayOfWeek of wMonth" or, with wYear set,
// as one fixed date; the latter is read as the same weekday of the same week every year.
ical::TransitionRule transitionFrom(const SYSTEMTIME& date) {
    ical::TransitionRule rule;
    if (date.wMonth < 1 || date.wMonth > 12)
        return rule;
    rule.month = date.wMonth;
    rule.hour = date.wHour;
    rule.minute = date.wMinute;
    if (date.wYear == 0) {
        rule.week = date.wDay;
        rule.dayOfWeek = date.wDayOfWeek;
        return rule;
    }
    const std::int64_t day = ical::dayNumberFromCivil(date.wYear, date.wMonth, date.wDay);
    rule.week = (date.wDay + 6) / 7;
    rule.dayOfWeek = ical::weekdayOfDayNumber(day);
    return rule;
}

bool sameTransition(const ical::TransitionRule& a, const ical::TransitionRule& b) {
    return a.month == b.month && a.week == b.week && a.dayOfWeek == b.dayOfWeek &&
           a.hour == b.hour && a.minute == b.minute;
}

} // namespace

ical::ZoneRule zoneFromInformation(const TIME_ZONE_INFORMATION& information) {
    ical::ZoneRule zone;
    zone.bias = information.Bias;
    zone.standardBias = information.StandardBias;
    zone.daylightBias = information.DaylightBias;
    zone.standardDate = transitionFrom(information.StandardDate);
    zone.daylightDate = transitionFrom(information.DaylightDate);
    return zone;
}

ical::ZoneRule deviceZone() {
    TIME_ZONE_INFORMATION information;
    if (DeviceGetTimeZoneInformation(&information) == TIME_ZONE_ID_INVALID)
        return ical::ZoneRule();
    return zoneFromInformation(information);
}

bool sameZone(const ical::ZoneRule& a, const ical::ZoneRule& b) {
    return a.bias == b.bias && a.standardBias == b.standardBias &&
           a.daylightBias == b.daylightBias && sameTransition(a.standardDate, b.standardDate) &&
           sameTransition(a.daylightDate, b.daylightDate);
}

ical::LocalTime localTimeFromSystemTime(const SYSTEMTIME& time) {
    ical::CivilDateTime civil;
    civil.year = time.wYear;
    civil.month = time.wMonth;
    civil.day = time.wDay;
    civil.hour = time.wHour;
    civil.minute = time.wMinute;
    civil.second = time.wSecond;
    return ical::localTimeFromCivil(civil);
}

SYSTEMTIME systemTimeFromLocalTime(ical::LocalTime time) {
    const ical::CivilDateTime civil = ical::civilFromLocalTime(time);
    SYSTEMTIME result = {};
    result.wYear = static_cast<WORD>(civil.year);
    result.wMonth = static_cast<WORD>(civil.month);
    result.wDay = static_cast<WORD>(civil.day);
    result.wHour = static_cast<WORD>(civil.hour);
    result.wMinute = static_cast<WORD>(civil.minute);
    result.wSecond = static_cast<WORD>(civil.second);
    result.wDayOfWeek = static_cast<WORD>(ical::weekdayOfDayNumber(ical::dayNumberOf(time)));
    return result;
}

ical::LocalTime deviceNow() {
    SYSTEMTIME now;
    DeviceGetLocalTime(&now);
    return localTimeFromSystemTime(now);
}

} // namespace pimstore
