// Time zones in the shape Windows describes them (TIME_ZONE_INFORMATION), and conversions
// between UTC and a zone's wall clock.
#pragma once

#include "civil_time.h"

#include <string>
#include <vector>

namespace daybrook::ical {

// A yearly transition as in SYSTEMTIME-style TIME_ZONE_INFORMATION dates: the week-th dayOfWeek
// of month at hour:minute wall time, week 5 meaning the last one. month 0 = no transition.
struct TransitionRule {
    int month = 0;     // 1..12, 0 = none
    int week = 0;      // 1..5, 5 = last
    int dayOfWeek = 0; // 0 = Sunday
    int hour = 0;
    int minute = 0;
};

// Windows signs: UTC = local + bias (minutes), so UTC+01:00 has bias -60. standardDate is when
// daylight time ends (read in daylight wall time), daylightDate when it begins (in standard wall
// time). Without both dates the zone keeps standard time all year.
struct ZoneRule {
    int bias = 0;
    int standardBias = 0;
    int daylightBias = 0;
    TransitionRule standardDate;
    TransitionRule daylightDate;

    bool observesDaylightTime() const { return standardDate.month != 0 && daylightDate.month != 0; }
};

// Wall time of the transition in the given year.
LocalTime transitionWallTime(const TransitionRule& rule, int year);

// Both directions follow RFC 5545 for the hours a transition skips or repeats: a skipped wall
// time is read with the offset in force before the gap, a repeated one as its first occurrence.
LocalTime localFromUtc(const ZoneRule& zone, LocalTime utc);
LocalTime utcFromLocal(const ZoneRule& zone, LocalTime local);

// A zone whose rules changed over the years (the US moved its dates in 2007): each era holds the
// rule in force from firstYear to lastYear inclusive.
struct ZoneEra {
    int firstYear = kMinYear;
    int lastYear = kMaxYear;
    ZoneRule rule;
};

struct ZoneDefinition {
    std::string id;
    std::vector<ZoneEra> eras; // ascending, not overlapping; never empty once built

    // Years before the first era use the first one, years after the last the last one.
    const ZoneRule& ruleForYear(int year) const;
};

LocalTime localFromUtc(const ZoneDefinition& zone, LocalTime utc);
LocalTime utcFromLocal(const ZoneDefinition& zone, LocalTime local);

// The same conversions from a precomputed list of offset changes, for the hot path of window
// queries: a binary search instead of working out a year's transitions every time. Covers
// firstYear..lastYear and falls back to the rules outside.
class ZoneTimeline {
public:
    ZoneTimeline() = default;
    ZoneTimeline(const ZoneDefinition& zone, int firstYear, int lastYear);

    LocalTime localFromUtc(LocalTime utc) const;
    LocalTime utcFromLocal(LocalTime local) const;
    // True when no change falls in [fromUtc, toUtc]: offset (seconds east) holds throughout.
    bool offsetHolds(LocalTime fromUtc, LocalTime toUtc, std::int64_t& offset) const;

private:
    struct Change {
        LocalTime utc = 0;        // the instant of the change
        LocalTime wallSwitch = 0; // first wall time read with the new offset
        std::int64_t offset = 0;  // seconds east of UTC from then on
    };

    ZoneDefinition zone_;
    LocalTime coveredFrom_ = 0;
    LocalTime coveredTo_ = 0;
    std::int64_t initialOffset_ = 0;
    std::vector<Change> changes_;
};

// A zone of one fixed offset (minutes east of UTC), no daylight time.
ZoneDefinition fixedOffsetZone(std::string id, int offsetMinutes);

} // namespace daybrook::ical
