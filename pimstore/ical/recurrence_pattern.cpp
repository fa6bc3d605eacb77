// OccurrenceIndex::recurrencePattern: a rule described the way Pocket Outlook's recurrence
// pattern describes it, for the item's "age" suffix and for opening an occurrence.
#include "occurrence_index.h"

#include <algorithm>

namespace daybrook::ical {

namespace {

int weekdayMaskOf(const RecurrenceRule& rule, LocalTime start) {
    if (rule.byDay.empty())
        return 1 << weekdayOfDayNumber(dayNumberOf(start));
    int mask = 0;
    for (const WeekdayNumber& day : rule.byDay)
        mask |= 1 << day.weekday; // olSunday = 1 matches weekday 0 = Sunday
    return mask;
}

int nthInstanceOf(const RecurrenceRule& rule) {
    int ordinal = 0;
    for (const WeekdayNumber& day : rule.byDay) {
        if (day.ordinal != 0)
            ordinal = day.ordinal;
    }
    if (ordinal == 0 && !rule.bySetPosition.empty())
        ordinal = rule.bySetPosition.front();
    if (ordinal >= 1 && ordinal <= 4)
        return ordinal;
    return ordinal == 0 ? 0 : 5; // 5 = last, the nearest to any count from the end
}

int firstPositiveMonthDay(const RecurrenceRule& rule, int fallback) {
    for (int day : rule.byMonthDay) {
        if (day > 0)
            return day;
    }
    return rule.byMonthDay.empty() ? fallback : 31; // "-1": the last day, written as 31
}

PocketRecurrenceType typeOf(const RecurrenceRule& rule) {
    const bool nth = nthInstanceOf(rule) != 0 && !rule.byDay.empty();
    switch (rule.frequency) {
    case Frequency::Daily:
        return rule.byDay.empty() ? PocketRecurrenceType::Daily : PocketRecurrenceType::Weekly;
    case Frequency::Weekly: return PocketRecurrenceType::Weekly;
    case Frequency::Monthly:
        return nth ? PocketRecurrenceType::MonthNth : PocketRecurrenceType::Monthly;
    case Frequency::Yearly:
        return nth ? PocketRecurrenceType::YearNth : PocketRecurrenceType::Yearly;
    }
    return PocketRecurrenceType::Daily;
}

double midnightOf(LocalTime time) {
    return oleDateFromLocalTime(dayNumberOf(time) * kSecondsPerDay);
}

} // namespace

bool OccurrenceIndex::recurrencePattern(int eventIndex, RecurrencePattern& pattern) const {
    pattern = RecurrencePattern();
    if (eventIndex < 0 || static_cast<size_t>(eventIndex) >= calendar_.events.size())
        return false;
    const int seriesIndex = seriesOfEvent_[static_cast<size_t>(eventIndex)];
    const Event& event = calendar_.events[static_cast<size_t>(eventIndex)];
    if (seriesIndex < 0 || !event.recurring)
        return false;
    const Series& series = series_[static_cast<size_t>(seriesIndex)];
    const RecurrenceRule& rule = event.recurrence->rule;
    const LocalTime start = event.timing.start;
    const CivilDate startDate = civilFromDayNumber(dayNumberOf(start));
    pattern.type = typeOf(rule);
    pattern.interval = rule.interval;
    pattern.occurrences = rule.count;
    pattern.dayOfWeekMask = weekdayMaskOf(rule, start);
    pattern.dayOfMonth = firstPositiveMonthDay(rule, startDate.day);
    pattern.instance = nthInstanceOf(rule);
    pattern.monthOfYear = rule.byMonth.empty() ? startDate.month : rule.byMonth.front();
    LocalTime firstStart = 0;
    LocalTime ignored = 0;
    deviceSpan(event.timing, start, firstStart, ignored);
    pattern.patternStartDate = midnightOf(firstStart);
    const bool endless =
        event.recurrence->hasRule && !series.counted && event.recurrence->until == kNoUntil;
    pattern.noEndDate = endless;
    if (endless) {
        pattern.patternEndDate = kNoEndOleDate;
        return true;
    }
    LocalTime lastStart = 0;
    deviceSpan(event.timing, lastInstanceWall(series), lastStart, ignored);
    pattern.patternEndDate = midnightOf(lastStart);
    return true;
}

} // namespace daybrook::ical
