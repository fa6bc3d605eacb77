#include "zone_rule.h"

#include <algorithm>

namespace daybrook::ical {

namespace {

std::int64_t standardOffsetSeconds(const ZoneRule& zone) {
    return -static_cast<std::int64_t>(zone.bias + zone.standardBias) * 60;
}

std::int64_t daylightOffsetSeconds(const ZoneRule& zone) {
    return -static_cast<std::int64_t>(zone.bias + zone.daylightBias) * 60;
}

std::int64_t nthWeekdayOfMonth(int year, int month, int week, int dayOfWeek) {
    const std::int64_t first = dayNumberFromCivil(year, month, 1);
    const int shift = ((dayOfWeek - weekdayOfDayNumber(first)) % 7 + 7) % 7;
    std::int64_t day = first + shift + 7 * (std::clamp(week, 1, 5) - 1);
    const std::int64_t nextMonth = first + daysInMonth(year, month);
    while (day >= nextMonth) // week 5 = the last one, which may be the 4th
        day -= 7;
    return day;
}

// Daylight time begins and ends within one year in the northern hemisphere; in the southern it
// ends early in the year and begins late, so "in daylight time" is the outside of the interval.
bool daylightBeginsBeforeItEnds(LocalTime begins, LocalTime ends) {
    return begins < ends;
}

} // namespace

LocalTime transitionWallTime(const TransitionRule& rule, int year) {
    const std::int64_t day = nthWeekdayOfMonth(year, rule.month, rule.week, rule.dayOfWeek);
    return day * kSecondsPerDay + rule.hour * 3600 + rule.minute * 60;
}

LocalTime localFromUtc(const ZoneRule& zone, LocalTime utc) {
    const std::int64_t standard = standardOffsetSeconds(zone);
    if (!zone.observesDaylightTime())
        return utc + standard;
    const std::int64_t daylight = daylightOffsetSeconds(zone);
    const int year = yearOf(utc + standard);
    const LocalTime beginsUtc = transitionWallTime(zone.daylightDate, year) - standard;
    const LocalTime endsUtc = transitionWallTime(zone.standardDate, year) - daylight;
    const bool inDaylight = daylightBeginsBeforeItEnds(beginsUtc, endsUtc)
                                ? utc >= beginsUtc && utc < endsUtc
                                : utc >= beginsUtc || utc < endsUtc;
    return utc + (inDaylight ? daylight : standard);
}

LocalTime utcFromLocal(const ZoneRule& zone, LocalTime local) {
    const std::int64_t standard = standardOffsetSeconds(zone);
    if (!zone.observesDaylightTime())
        return local - standard;
    const std::int64_t daylight = daylightOffsetSeconds(zone);
    const int year = yearOf(local);
    const std::int64_t jump = std::max<std::int64_t>(daylight - standard, 0);
    // Daylight wall time starts only after the skipped hour; the repeated hour before the end
    // still counts as daylight time.
    const LocalTime daylightWallBegins = transitionWallTime(zone.daylightDate, year) + jump;
    const LocalTime daylightWallEnds = transitionWallTime(zone.standardDate, year);
    const bool inDaylight = daylightBeginsBeforeItEnds(daylightWallBegins, daylightWallEnds)
                                ? local >= daylightWallBegins && local < daylightWallEnds
                                : local >= daylightWallBegins || local < daylightWallEnds;
    return local - (inDaylight ? daylight : standard);
}

const ZoneRule& ZoneDefinition::ruleForYear(int year) const {
    static const ZoneRule kUtc;
    if (eras.empty())
        return kUtc;
    const auto era = std::lower_bound(eras.begin(), eras.end(), year,
                                      [](const ZoneEra& e, int y) { return e.lastYear < y; });
    return era == eras.end() ? eras.back().rule : era->rule;
}

LocalTime localFromUtc(const ZoneDefinition& zone, LocalTime utc) {
    return localFromUtc(zone.ruleForYear(yearOf(utc)), utc);
}

LocalTime utcFromLocal(const ZoneDefinition& zone, LocalTime local) {
    return utcFromLocal(zone.ruleForYear(yearOf(local)), local);
}

ZoneDefinition fixedOffsetZone(std::string id, int offsetMinutes) {
    ZoneDefinition zone;
    zone.id = std::move(id);
    ZoneEra era;
    era.rule.bias = -offsetMinutes;
    zone.eras.push_back(era);
    return zone;
}

} // namespace daybrook::ical
