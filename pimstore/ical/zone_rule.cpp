#include "zone_rule.h"

#include <algorithm>
#include <iterator>

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

struct DaylightInstants {
    LocalTime beginsUtc = 0;
    LocalTime endsUtc = 0;
};

DaylightInstants daylightInstants(const ZoneRule& zone, int year) {
    DaylightInstants instants;
    instants.beginsUtc = transitionWallTime(zone.daylightDate, year) - standardOffsetSeconds(zone);
    instants.endsUtc = transitionWallTime(zone.standardDate, year) - daylightOffsetSeconds(zone);
    return instants;
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
    const DaylightInstants daylight = daylightInstants(zone, yearOf(utc + standard));
    const bool inDaylight = daylightBeginsBeforeItEnds(daylight.beginsUtc, daylight.endsUtc)
                                ? utc >= daylight.beginsUtc && utc < daylight.endsUtc
                                : utc >= daylight.beginsUtc || utc < daylight.endsUtc;
    return utc + (inDaylight ? daylightOffsetSeconds(zone) : standard);
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
    if (zone.eras.size() == 1)
        return localFromUtc(zone.eras.front().rule, utc);
    return localFromUtc(zone.ruleForYear(yearOf(utc)), utc);
}

LocalTime utcFromLocal(const ZoneDefinition& zone, LocalTime local) {
    if (zone.eras.size() == 1)
        return utcFromLocal(zone.eras.front().rule, local);
    return utcFromLocal(zone.ruleForYear(yearOf(local)), local);
}

// Each year contributes its daylight time changes, and one at New Year when an era moves the
// standard offset. A change's wall switch is where readings move to the new offset: after a
// skipped hour, or after a repeated hour (read as its first, daylight, occurrence).
ZoneTimeline::ZoneTimeline(const ZoneDefinition& zone, int firstYear, int lastYear) : zone_(zone) {
    initialOffset_ = standardOffsetSeconds(zone.ruleForYear(firstYear));
    // A day of slack at both ends keeps wall and UTC readings inside the covered years.
    coveredFrom_ = (dayNumberFromCivil(firstYear, 1, 1) + 1) * kSecondsPerDay;
    coveredTo_ = (dayNumberFromCivil(lastYear + 1, 1, 1) - 1) * kSecondsPerDay;
    std::int64_t current = initialOffset_;
    const auto addChange = [&](LocalTime utc, std::int64_t offset) {
        if (offset == current)
            return;
        Change change;
        change.utc = utc;
        change.wallSwitch = utc + std::max(current, offset);
        change.offset = offset;
        changes_.push_back(change);
        current = offset;
    };
    for (int year = firstYear; year <= lastYear; ++year) {
        const ZoneRule& rule = zone.ruleForYear(year);
        const std::int64_t standard = standardOffsetSeconds(rule);
        const LocalTime newYear = dayNumberFromCivil(year, 1, 1) * kSecondsPerDay - standard;
        if (!rule.observesDaylightTime()) {
            addChange(newYear, standard);
            continue;
        }
        const DaylightInstants daylight = daylightInstants(rule, year);
        const std::int64_t daylightOffset = daylightOffsetSeconds(rule);
        const bool northern = daylightBeginsBeforeItEnds(daylight.beginsUtc, daylight.endsUtc);
        addChange(newYear, northern ? standard : daylightOffset); // the south is on summer time
        if (northern) {
            addChange(daylight.beginsUtc, daylightOffset);
            addChange(daylight.endsUtc, standard);
        } else {
            addChange(daylight.endsUtc, standard);
            addChange(daylight.beginsUtc, daylightOffset);
        }
    }
}

LocalTime ZoneTimeline::localFromUtc(LocalTime utc) const {
    if (utc < coveredFrom_ || utc >= coveredTo_)
        return daybrook::ical::localFromUtc(zone_, utc);
    const auto next = std::upper_bound(changes_.begin(), changes_.end(), utc,
                                       [](LocalTime t, const Change& c) { return t < c.utc; });
    return utc + (next == changes_.begin() ? initialOffset_ : std::prev(next)->offset);
}

LocalTime ZoneTimeline::utcFromLocal(LocalTime local) const {
    if (local < coveredFrom_ || local >= coveredTo_)
        return daybrook::ical::utcFromLocal(zone_, local);
    const auto next =
        std::upper_bound(changes_.begin(), changes_.end(), local,
                         [](LocalTime t, const Change& c) { return t < c.wallSwitch; });
    return local - (next == changes_.begin() ? initialOffset_ : std::prev(next)->offset);
}

bool ZoneTimeline::offsetHolds(LocalTime fromUtc, LocalTime toUtc, std::int64_t& offset) const {
    if (fromUtc < coveredFrom_ || toUtc >= coveredTo_)
        return false;
    const auto next = std::upper_bound(changes_.begin(), changes_.end(), fromUtc,
                                       [](LocalTime t, const Change& c) { return t < c.utc; });
    if (next != changes_.end() && next->utc <= toUtc)
        return false;
    offset = next == changes_.begin() ? initialOffset_ : std::prev(next)->offset;
    return true;
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
