#include "recurrence_expander.h"

#include <algorithm>
#include <numeric>

namespace daybrook::ical {

namespace {

bool contains(const std::vector<int>& values, int wanted) {
    return std::find(values.begin(), values.end(), wanted) != values.end();
}

std::int64_t ceilingDivide(std::int64_t value, std::int64_t divisor) {
    return -floorDivide(-value, divisor);
}

// Computed once: expand() clamps every window to them.
std::int64_t lastSupportedDay() {
    static const std::int64_t day = dayNumberFromCivil(kMaxYear, 12, 31);
    return day;
}

LocalTime clampToSupportedYears(LocalTime time) {
    static const LocalTime earliest = dayNumberFromCivil(kMinYear, 1, 1) * kSecondsPerDay;
    static const LocalTime latest = (lastSupportedDay() + 1) * kSecondsPerDay;
    return std::clamp(time, earliest, latest);
}

// The day of the month a monthday entry means: 31 or -1 = last day; 0 when the month lacks it.
int resolveMonthDay(int value, int monthLength) {
    const int day = value > 0 ? value : monthLength + 1 + value;
    return day >= 1 && day <= monthLength ? day : 0;
}

void sortUnique(std::vector<std::int64_t>& days) {
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
}

} // namespace

RecurrenceExpander::RecurrenceExpander(const RecurrenceRule& rule, LocalTime start, LocalTime until)
    : rule_(rule), start_(start), until_(until), startDay_(dayNumberOf(start)),
      timeOfDay_(secondOfDay(start)), startDate_(civilFromDayNumber(startDay_)), startPeriod_(0),
      weekdayMask_(0) {
    for (const WeekdayNumber& day : rule_.byDay)
        weekdayMask_ |= 1 << day.weekday;
    if (rule_.byDay.empty())
        weekdayMask_ = 1 << weekdayOfDayNumber(startDay_);
    startPeriod_ = periodOfDay(startDay_);
}

std::int64_t RecurrenceExpander::periodOfDay(std::int64_t day) const {
    switch (rule_.frequency) {
    case Frequency::Daily: return day;
    case Frequency::Weekly: return floorDivide(day - (1 + rule_.weekStart), 7);
    case Frequency::Monthly: {
        const CivilDate date = civilFromDayNumber(day);
        return static_cast<std::int64_t>(date.year) * 12 + date.month - 1;
    }
    case Frequency::Yearly: return civilFromDayNumber(day).year;
    }
    return day;
}

// Day 1 (1899-12-31) was a Sunday, so day 1 + w is the first day of weeks starting on weekday w.
std::int64_t RecurrenceExpander::firstDayOfPeriod(std::int64_t period) const {
    switch (rule_.frequency) {
    case Frequency::Daily: return period;
    case Frequency::Weekly: return 1 + rule_.weekStart + 7 * period;
    case Frequency::Monthly: {
        const std::int64_t year = floorDivide(period, 12);
        return dayNumberFromCivil(year, static_cast<int>(period - year * 12 + 1), 1);
    }
    case Frequency::Yearly: return dayNumberFromCivil(period, 1, 1);
    }
    return period;
}

std::int64_t RecurrenceExpander::lastDayAllowed() const {
    if (until_ == kNoUntil)
        return lastSupportedDay();
    return std::min(lastSupportedDay(), floorDivide(until_ - timeOfDay_, kSecondsPerDay));
}

bool RecurrenceExpander::passesDayFilters(std::int64_t day) const {
    if (rule_.byMonth.empty() && rule_.byMonthDay.empty())
        return true;
    const CivilDate date = civilFromDayNumber(day);
    if (!rule_.byMonth.empty() && !contains(rule_.byMonth, date.month))
        return false;
    if (rule_.byMonthDay.empty())
        return true;
    const int monthLength = daysInMonth(date.year, date.month);
    for (int value : rule_.byMonthDay) {
        if (resolveMonthDay(value, monthLength) == date.day)
            return true;
    }
    return false;
}

void RecurrenceExpander::dailyCandidates(std::int64_t day, std::vector<std::int64_t>& days) const {
    const bool weekdayMatches =
        rule_.byDay.empty() || (weekdayMask_ & (1 << weekdayOfDayNumber(day))) != 0;
    if (weekdayMatches && passesDayFilters(day))
        days.push_back(day);
}

void RecurrenceExpander::weeklyCandidates(std::int64_t period,
                                          std::vector<std::int64_t>& days) const {
    const std::int64_t first = firstDayOfPeriod(period);
    for (std::int64_t day = first; day < first + 7; ++day) {
        if ((weekdayMask_ & (1 << weekdayOfDayNumber(day))) != 0 && passesDayFilters(day))
            days.push_back(day);
    }
}

std::uint32_t RecurrenceExpander::weekdayMaskOfMonth(int year, int month) const {
    const int monthLength = daysInMonth(year, month);
    const int firstWeekday = weekdayOfDayNumber(dayNumberFromCivil(year, month, 1));
    std::uint32_t mask = 0;
    for (const WeekdayNumber& entry : rule_.byDay) {
        const int first = 1 + (entry.weekday - firstWeekday + 7) % 7;
        const int last = first + 7 * ((monthLength - first) / 7);
        if (entry.ordinal == 0) {
            for (int day = first; day <= monthLength; day += 7)
                mask |= 1u << day;
            continue;
        }
        const int day =
            entry.ordinal > 0 ? first + 7 * (entry.ordinal - 1) : last + 7 * (entry.ordinal + 1);
        if (day >= 1 && day <= monthLength)
            mask |= 1u << day;
    }
    return mask;
}

std::uint32_t RecurrenceExpander::monthDayListMask(int year, int month) const {
    const int monthLength = daysInMonth(year, month);
    std::uint32_t mask = 0;
    for (int value : rule_.byMonthDay) {
        const int day = resolveMonthDay(value, monthLength);
        if (day != 0)
            mask |= 1u << day;
    }
    return mask;
}

// Bit d set = day d of the month is an instance. Without BYDAY and BYMONTHDAY the rule repeats
// DTSTART's day, which months too short for it skip (RFC 5545: no "31st" in April).
std::uint32_t RecurrenceExpander::monthDayMask(int year, int month) const {
    const int monthLength = daysInMonth(year, month);
    if (rule_.byDay.empty() && rule_.byMonthDay.empty())
        return startDate_.day <= monthLength ? 1u << startDate_.day : 0;
    std::uint32_t mask = ((1u << monthLength) - 1) << 1;
    if (!rule_.byDay.empty())
        mask &= weekdayMaskOfMonth(year, month);
    if (!rule_.byMonthDay.empty())
        mask &= monthDayListMask(year, month);
    return mask;
}

void RecurrenceExpander::monthCandidates(int year, int month,
                                         std::vector<std::int64_t>& days) const {
    const std::uint32_t mask = monthDayMask(year, month);
    if (mask == 0)
        return;
    const std::int64_t first = dayNumberFromCivil(year, month, 1);
    for (int day = 1; day <= 31; ++day) {
        if ((mask & (1u << day)) != 0)
            days.push_back(first + day - 1);
    }
}

// BYDAY in a yearly rule without BYMONTH counts weekdays through the whole year (20MO is the
// twentieth Monday of the year).
void RecurrenceExpander::yearWeekdayCandidates(int year, std::vector<std::int64_t>& days) const {
    const std::int64_t january1 = dayNumberFromCivil(year, 1, 1);
    const std::int64_t yearLength = isLeapYear(year) ? 366 : 365;
    for (const WeekdayNumber& entry : rule_.byDay) {
        const std::int64_t first =
            january1 + (entry.weekday - weekdayOfDayNumber(january1) + 7) % 7;
        const std::int64_t last = first + 7 * ((january1 + yearLength - 1 - first) / 7);
        if (entry.ordinal == 0) {
            for (std::int64_t day = first; day <= last; day += 7)
                days.push_back(day);
            continue;
        }
        const std::int64_t day =
            entry.ordinal > 0 ? first + 7 * (entry.ordinal - 1) : last + 7 * (entry.ordinal + 1);
        if (day >= january1 && day < january1 + yearLength)
            days.push_back(day);
    }
    sortUnique(days);
}

void RecurrenceExpander::yearlyCandidates(int year, std::int64_t firstDay, std::int64_t lastDay,
                                          std::vector<std::int64_t>& days) const {
    // Months outside the window can be skipped unless BYSETPOS needs the whole year's set.
    const bool mayClip = rule_.bySetPosition.empty();
    const auto monthOutsideWindow = [&](int month) {
        const std::int64_t first = dayNumberFromCivil(year, month, 1);
        return mayClip && (first > lastDay || first + daysInMonth(year, month) <= firstDay);
    };
    if (!rule_.byMonth.empty() || !rule_.byMonthDay.empty() || rule_.byDay.empty()) {
        for (int month = 1; month <= 12; ++month) {
            const bool listed = rule_.byMonth.empty()
                                    ? (!rule_.byMonthDay.empty() || month == startDate_.month)
                                    : contains(rule_.byMonth, month);
            if (listed && !monthOutsideWindow(month))
                monthCandidates(year, month, days);
        }
        return;
    }
    yearWeekdayCandidates(year, days);
}

void RecurrenceExpander::applySetPositions(std::vector<std::int64_t>& days) const {
    std::vector<std::int64_t> chosen;
    const std::int64_t size = static_cast<std::int64_t>(days.size());
    for (int position : rule_.bySetPosition) {
        const std::int64_t index = position > 0 ? position - 1 : size + position;
        if (index >= 0 && index < size)
            chosen.push_back(days[static_cast<size_t>(index)]);
    }
    sortUnique(chosen);
    days.swap(chosen);
}

void RecurrenceExpander::candidateDays(std::int64_t period, std::int64_t firstDay,
                                       std::int64_t lastDay,
                                       std::vector<std::int64_t>& days) const {
    days.clear();
    switch (rule_.frequency) {
    case Frequency::Daily: dailyCandidates(period, days); break;
    case Frequency::Weekly: weeklyCandidates(period, days); break;
    case Frequency::Monthly: {
        const int year = static_cast<int>(floorDivide(period, 12));
        const int month = static_cast<int>(period - static_cast<std::int64_t>(year) * 12 + 1);
        if (rule_.byMonth.empty() || contains(rule_.byMonth, month))
            monthCandidates(year, month, days);
        break;
    }
    case Frequency::Yearly:
        yearlyCandidates(static_cast<int>(period), firstDay, lastDay, days);
        break;
    }
    if (!rule_.bySetPosition.empty())
        applySetPositions(days);
    days.erase(std::remove_if(days.begin(), days.end(),
                              [&](std::int64_t day) { return day < firstDay || day > lastDay; }),
               days.end());
}

void RecurrenceExpander::expand(LocalTime from, LocalTime to,
                                std::vector<LocalTime>& starts) const {
    std::vector<std::int64_t> days;
    expand(from, to, starts, days);
}

void RecurrenceExpander::expand(LocalTime from, LocalTime to, std::vector<LocalTime>& starts,
                                std::vector<std::int64_t>& days) const {
    from = clampToSupportedYears(from);
    to = clampToSupportedYears(to);
    if (to <= from)
        return;
    const std::int64_t firstDay =
        std::max(startDay_, ceilingDivide(from - timeOfDay_, kSecondsPerDay));
    const std::int64_t lastDay =
        std::min(lastDayAllowed(), floorDivide(to - 1 - timeOfDay_, kSecondsPerDay));
    if (firstDay > lastDay)
        return;
    const std::int64_t skipped =
        ceilingDivide(periodOfDay(firstDay) - startPeriod_, rule_.interval) * rule_.interval;
    const std::int64_t lastPeriod = periodOfDay(lastDay);
    for (std::int64_t period = startPeriod_ + skipped; period <= lastPeriod;
         period += rule_.interval) {
        candidateDays(period, firstDay, lastDay, days);
        for (std::int64_t day : days)
            starts.push_back(day * kSecondsPerDay + timeOfDay_);
    }
}

// The Gregorian calendar repeats every 400 years (146097 days, 20871 weeks, 4800 months), so the
// rule's days do too, after this many of its chosen periods. Without month filters a daily rule
// repeats with the weekdays and a weekly one every week.
std::int64_t RecurrenceExpander::periodsPerCycle() const {
    const bool monthFilters = !rule_.byMonth.empty() || !rule_.byMonthDay.empty();
    std::int64_t periods = 400;
    switch (rule_.frequency) {
    case Frequency::Daily: periods = monthFilters ? 146097 : 7; break;
    case Frequency::Weekly: periods = monthFilters ? 20871 : 1; break;
    case Frequency::Monthly: periods = 4800; break;
    case Frequency::Yearly: periods = 400; break;
    }
    return periods / std::gcd(periods, static_cast<std::int64_t>(rule_.interval));
}

// Steps through the first period and one whole cycle, skips the whole cycles the count still
// covers, then steps to the instance that ends it. At least one whole cycle is stepped before
// the last allowed day, so that the last instance found is a real one.
LocalTime RecurrenceExpander::lastCountedStart(int count) const {
    std::int64_t remaining = std::max(count, 1) - 1;
    LocalTime last = start_;
    const std::int64_t lastDay = lastDayAllowed();
    const std::int64_t lastPeriod = periodOfDay(lastDay);
    const std::int64_t cycle = periodsPerCycle();
    const std::int64_t cycleSpan = cycle * rule_.interval;
    std::vector<std::int64_t> days;
    std::int64_t period = startPeriod_;
    std::int64_t cycleEnd = startPeriod_ + rule_.interval + cycleSpan;
    std::int64_t perCycle = 0;
    bool skipped = false;
    while (remaining > 0 && period <= lastPeriod) {
        if (period == cycleEnd && !skipped) {
            if (perCycle == 0)
                break; // the rule produces nothing more, ever
            skipped = true;
            const std::int64_t whole =
                std::min((remaining - 1) / perCycle, (lastPeriod - period) / cycleSpan - 1);
            if (whole > 0) {
                period += whole * cycleSpan;
                remaining -= whole * perCycle;
            }
        }
        candidateDays(period, startDay_, lastDay, days);
        for (std::int64_t day : days) {
            const LocalTime instance = day * kSecondsPerDay + timeOfDay_;
            if (instance == start_)
                continue;
            last = instance;
            if (period != startPeriod_)
                ++perCycle;
            if (--remaining == 0)
                break;
        }
        period += rule_.interval;
    }
    return last;
}

} // namespace daybrook::ical
