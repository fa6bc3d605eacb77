#include "zone_builder.h"

#include "property_values.h"
#include "recurrence_rule.h"
#include "text_codec.h"

#include <algorithm>

namespace daybrook::ical {

namespace {

struct Observance {
    bool daylight = false;
    int offsetFrom = 0; // seconds east of UTC
    int offsetTo = 0;
    int firstYear = kMinYear;
    int lastYear = kMaxYear;
    TransitionRule transition;
};

// The transition of a one-off observance, written as the week-of-month rule that gives exactly
// that date in its year.
TransitionRule transitionOnDate(const CivilDateTime& start) {
    TransitionRule rule;
    rule.month = start.month;
    rule.week = (start.day - 1) / 7 + 1;
    rule.dayOfWeek = weekdayOfDayNumber(dayNumberFromCivil(start.year, start.month, start.day));
    rule.hour = start.hour;
    rule.minute = start.minute;
    return rule;
}

int weekFromOrdinal(int ordinal) {
    if (ordinal >= 1 && ordinal <= 4)
        return ordinal;
    if (ordinal == 5 || ordinal == -1)
        return 5;
    return std::clamp(5 + ordinal + 1, 1, 5); // -2 read as the fourth week: close enough
}

// "BYDAY=SU;BYMONTHDAY=8,9,10,11,12,13,14" is how some writers say "second Sunday".
int weekFromMonthDays(const std::vector<int>& monthDays) {
    const int first = *std::min_element(monthDays.begin(), monthDays.end());
    return first < 0 ? 5 : std::min((first + 6) / 7, 5);
}

TransitionRule transitionFromRule(const RecurrenceRule& rule, const CivilDateTime& start) {
    TransitionRule transition = transitionOnDate(start);
    if (!rule.byMonth.empty())
        transition.month = rule.byMonth.front();
    if (!rule.byDay.empty()) {
        transition.dayOfWeek = rule.byDay.front().weekday;
        if (rule.byDay.front().ordinal != 0)
            transition.week = weekFromOrdinal(rule.byDay.front().ordinal);
        else if (!rule.byMonthDay.empty())
            transition.week = weekFromMonthDays(rule.byMonthDay);
    }
    return transition;
}

bool readOffsets(const Component& component, Observance& observance) {
    const ContentLine* to = component.property("TZOFFSETTO");
    if (to == nullptr || !parseUtcOffset(to->value, observance.offsetTo))
        return false;
    const ContentLine* from = component.property("TZOFFSETFROM");
    if (from == nullptr || !parseUtcOffset(from->value, observance.offsetFrom))
        observance.offsetFrom = observance.offsetTo;
    return true;
}

void addRecurringOrSingle(const Component& component, Observance observance,
                          const CivilDateTime& start, std::vector<Observance>& observances) {
    observance.firstYear = start.year;
    observance.lastYear = start.year;
    observance.transition = transitionOnDate(start);
    const ContentLine* rrule = component.property("RRULE");
    RecurrenceRule rule;
    std::string reason;
    if (rrule != nullptr &&
        parseRecurrenceRule(rrule->value, rule, reason) == RuleParse::Supported &&
        rule.frequency == Frequency::Yearly) {
        observance.lastYear = rule.hasUntil ? rule.until.civil.year : kMaxYear;
        observance.transition = transitionFromRule(rule, start);
    }
    observances.push_back(observance);
}

void addRecurrenceDates(const Component& component, const Observance& observance,
                        std::vector<Observance>& observances) {
    for (const ContentLine& line : component.properties) {
        if (line.name != "RDATE")
            continue;
        for (std::string_view item : splitList(line.value, ',')) {
            DateTimeValue date;
            if (!parseDateTimeValue(item.substr(0, item.find('/')), date))
                continue;
            Observance single = observance;
            single.firstYear = single.lastYear = date.civil.year;
            single.transition = transitionOnDate(date.civil);
            observances.push_back(single);
        }
    }
}

void readObservance(const Component& component, std::vector<Observance>& observances,
                    Diagnostics& diagnostics) {
    Observance observance;
    observance.daylight = component.name == "DAYLIGHT";
    const ContentLine* start = component.property("DTSTART");
    DateTimeValue startValue;
    if (!readOffsets(component, observance) || start == nullptr ||
        !parseDateTimeValue(start->value, startValue)) {
        addWarning(diagnostics, component.line,
                   component.name + " without valid TZOFFSETTO and DTSTART ignored");
        return;
    }
    addRecurringOrSingle(component, observance, startValue.civil, observances);
    addRecurrenceDates(component, observance, observances);
}

bool isActive(const Observance& observance, int year) {
    return observance.firstYear <= year && year <= observance.lastYear;
}

// The observance of one kind that governs the year: the latest one started and not ended; for
// standard time also the latest ended one (its offset stays), or else the earliest of all.
const Observance* governing(const std::vector<Observance>& observances, bool daylight, int year) {
    const Observance* active = nullptr;
    const Observance* ended = nullptr;
    const Observance* earliest = nullptr;
    for (const Observance& candidate : observances) {
        if (candidate.daylight != daylight)
            continue;
        if (isActive(candidate, year) && (!active || candidate.firstYear > active->firstYear))
            active = &candidate;
        if (candidate.lastYear < year && (!ended || candidate.lastYear > ended->lastYear))
            ended = &candidate;
        if (!earliest || candidate.firstYear < earliest->firstYear)
            earliest = &candidate;
    }
    if (active || daylight)
        return active;
    return ended ? ended : earliest;
}

ZoneRule ruleForYear(const std::vector<Observance>& observances, int year) {
    const Observance* standard = governing(observances, false, year);
    const Observance* daylight = governing(observances, true, year);
    ZoneRule rule;
    const int standardOffset =
        standard ? standard->offsetTo : (daylight ? daylight->offsetFrom : observances[0].offsetTo);
    rule.bias = -standardOffset / 60;
    if (standard && daylight && isActive(*standard, year)) {
        rule.daylightBias = -(daylight->offsetTo - standardOffset) / 60;
        rule.daylightDate = daylight->transition;
        rule.standardDate = standard->transition;
    }
    return rule;
}

bool sameRule(const ZoneRule& a, const ZoneRule& b) {
    const auto sameTransition = [](const TransitionRule& x, const TransitionRule& y) {
        return x.month == y.month && x.week == y.week && x.dayOfWeek == y.dayOfWeek &&
               x.hour == y.hour && x.minute == y.minute;
    };
    return a.bias == b.bias && a.standardBias == b.standardBias &&
           a.daylightBias == b.daylightBias && sameTransition(a.standardDate, b.standardDate) &&
           sameTransition(a.daylightDate, b.daylightDate);
}

std::vector<ZoneEra> erasFromObservances(const std::vector<Observance>& observances) {
    std::vector<int> boundaries = {kMinYear};
    for (const Observance& observance : observances) {
        boundaries.push_back(observance.firstYear);
        if (observance.lastYear < kMaxYear)
            boundaries.push_back(observance.lastYear + 1);
    }
    std::sort(boundaries.begin(), boundaries.end());
    boundaries.erase(std::unique(boundaries.begin(), boundaries.end()), boundaries.end());
    std::vector<ZoneEra> eras;
    for (size_t i = 0; i < boundaries.size(); ++i) {
        ZoneEra era;
        era.firstYear = boundaries[i];
        era.lastYear = i + 1 < boundaries.size() ? boundaries[i + 1] - 1 : kMaxYear;
        era.rule = ruleForYear(observances, era.firstYear);
        if (!eras.empty() && sameRule(eras.back().rule, era.rule))
            eras.back().lastYear = era.lastYear;
        else
            eras.push_back(era);
    }
    return eras;
}

} // namespace

bool buildZoneDefinition(const Component& vtimezone, ZoneDefinition& zone,
                         Diagnostics& diagnostics) {
    zone = ZoneDefinition();
    const ContentLine* id = vtimezone.property("TZID");
    if (id == nullptr || trimmed(id->value).empty()) {
        addWarning(diagnostics, vtimezone.line, "VTIMEZONE without TZID ignored");
        return false;
    }
    // TZID is TEXT: Outlook escapes the comma in "Kuala Lumpur\, Singapore".
    zone.id = unescapeText(trimmed(id->value));
    std::vector<Observance> observances;
    for (const Component& child : vtimezone.children) {
        if (child.name == "STANDARD" || child.name == "DAYLIGHT")
            readObservance(child, observances, diagnostics);
    }
    if (observances.empty()) {
        addWarning(diagnostics, vtimezone.line,
                   "VTIMEZONE " + quoted(zone.id) + " has no usable STANDARD or DAYLIGHT");
        return false;
    }
    zone.eras = erasFromObservances(observances);
    return true;
}

} // namespace daybrook::ical
