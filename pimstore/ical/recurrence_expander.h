// Instances of a recurrence rule, generated only where they are asked for.
#pragma once

#include "recurrence_rule.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace daybrook::ical {

constexpr LocalTime kNoUntil = std::numeric_limits<LocalTime>::max();

// Works in the event's own wall time: start is DTSTART as written, until the rule's UNTIL
// already read in that zone (inclusive), or kNoUntil.
class RecurrenceExpander {
public:
    RecurrenceExpander(const RecurrenceRule& rule, LocalTime start, LocalTime until);

    // Starts the rule produces in [from, to), ascending. Only instances at or after DTSTART and
    // at or before UNTIL; DTSTART itself is not added unless the rule produces it. Jumps straight
    // to the first period near `from`, so an endless rule costs the same in any year.
    void expand(LocalTime from, LocalTime to, std::vector<LocalTime>& starts) const;
    // The same with the caller's working list of days, so that a caller expanding many series
    // allocates it once.
    void expand(LocalTime from, LocalTime to, std::vector<LocalTime>& starts,
                std::vector<std::int64_t>& days) const;

    // The start of the last instance of a COUNT rule's recurrence set: DTSTART is the first (it
    // counts toward COUNT even where the rule would not produce it), then the rule's instances.
    // The last one the rule produces when it ends earlier (UNTIL, the supported years, or no
    // instance in a whole cycle). Whole cycles of the calendar are counted, not stepped through,
    // so a count of millions costs no more than a few cycles.
    LocalTime lastCountedStart(int count) const;

private:
    std::int64_t periodOfDay(std::int64_t day) const;
    std::int64_t firstDayOfPeriod(std::int64_t period) const;
    void candidateDays(std::int64_t period, std::int64_t firstDay, std::int64_t lastDay,
                       std::vector<std::int64_t>& days) const;
    void dailyCandidates(std::int64_t day, std::vector<std::int64_t>& days) const;
    void weeklyCandidates(std::int64_t period, std::vector<std::int64_t>& days) const;
    void monthCandidates(int year, int month, std::vector<std::int64_t>& days) const;
    void yearlyCandidates(int year, std::int64_t firstDay, std::int64_t lastDay,
                          std::vector<std::int64_t>& days) const;
    void yearWeekdayCandidates(int year, std::vector<std::int64_t>& days) const;
    std::uint32_t monthDayMask(int year, int month) const;
    std::uint32_t weekdayMaskOfMonth(int year, int month) const;
    std::uint32_t monthDayListMask(int year, int month) const;
    bool passesDayFilters(std::int64_t day) const;
    void applySetPositions(std::vector<std::int64_t>& days) const;
    std::int64_t lastDayAllowed() const;
    std::int64_t periodsPerCycle() const;

    RecurrenceRule rule_;
    LocalTime start_;
    LocalTime until_;
    std::int64_t startDay_;
    std::int64_t timeOfDay_;
    CivilDate startDate_;
    std::int64_t startPeriod_;
    int weekdayMask_; // BYDAY weekdays (ordinals dropped), or DTSTART's weekday
};

} // namespace daybrook::ical
