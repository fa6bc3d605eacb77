// Occurrences of a calendar's events in the device's local time, found by window.
//
// Built once per calendar and device zone, then asked for many windows (a rebuild of the agenda
// asks up to 3650 days). Single events sit in start-sorted tables, one per duration class, so a
// window is two binary searches per class; series are expanded only inside the window, jumping
// straight to it whatever year the series began. Not thread-safe to build; const queries may run
// on any thread while the Calendar lives.
#pragma once

#include "calendar.h"

#include <vector>

namespace daybrook::ical {

struct Occurrence {
    int event = -1;         // index into Calendar::events
    int overrideIndex = -1; // index into that event's overrides when a RECURRENCE-ID replaced it
    LocalTime start = 0;    // device local time
    LocalTime end = 0;
    LocalTime instance = 0; // identity within the series: the start in the event's own wall time
    size_t order = 0;       // byte offset of the VEVENT it comes from; breaks ties of equal starts
};

// How an occurrence that ends exactly at the window's start is treated. Either way an
// occurrence is in when it starts before `to`, and one starting exactly at `to` is out.
enum class EndBoundary {
    // Half-open overlap: end > from. A zero-length occurrence at exactly `from` is in too.
    Exclusive,
    // end >= from, as Pocket Outlook's "[End] >= day AND [Start] < next day" restriction reads:
    // an appointment ending exactly at a day's midnight belongs to that day as well.
    Inclusive,
};

// Pocket Outlook's RecurrencePattern properties, nearest to the rule.
struct RecurrencePattern {
    PocketRecurrenceType type = PocketRecurrenceType::Daily;
    int interval = 1;
    int occurrences = 0; // COUNT, 0 = none
    bool noEndDate = true;
    double patternStartDate = 0; // OLE date, midnight of the first instance (device time)
    double patternEndDate = 0;   // midnight of the last instance, or kNoEndOleDate
    int dayOfWeekMask = 0;       // olSunday = 1 .. olSaturday = 64
    int dayOfMonth = 0;
    int instance = 0; // 1..5 (5 = last) for the ...Nth types
    int monthOfYear = 0;
};

// Pocket Outlook's DATE_NONE (4501-01-01): the pattern end of an endless series.
constexpr double kNoEndOleDate = 949998.0;

class OccurrenceIndex {
public:
    // The calendar must outlive the index. device is the zone the device's clock shows.
    OccurrenceIndex(const Calendar& calendar, const ZoneRule& device);

    // Occurrences overlapping [from, to), device local time, sorted by start, equal starts in
    // file order. Cancelled events and cancelled or excluded instances never appear; an
    // instance replaced by an override appears as the override (possibly at another time).
    void occurrencesOverlapping(LocalTime from, LocalTime to, EndBoundary boundary,
                                std::vector<Occurrence>& found) const;
    std::vector<Occurrence> occurrencesOverlapping(double fromOleDate, double toOleDate,
                                                   EndBoundary boundary) const;

    // Every shown event once, a series as its first occurrence, in file order.
    std::vector<Occurrence> allEvents() const;
    // The same by start, then file order.
    std::vector<Occurrence> allEventsByStart() const;
    bool firstOccurrence(int event, Occurrence& occurrence) const;
    // The event's first occurrence starting at or after `from` (device time), however far.
    bool nextOccurrence(int event, LocalTime from, Occurrence& occurrence) const;
    // The latest of every series' next start at or after `from`: how far a list must reach to
    // hold the next occurrence of each. `from` when no series has one.
    LocalTime latestNextStart(LocalTime from) const;

    // The occurrence of the event starting exactly at `start`, else the first one starting on
    // the same local day (what GetOccurrence is asked with a date).
    bool occurrenceAt(int event, LocalTime start, Occurrence& occurrence) const;

    // False for events that do not recur.
    bool recurrencePattern(int event, RecurrencePattern& pattern) const;

    // The text and busy status an occurrence shows: its override's when it has one.
    const EventDetails& detailsOf(const Occurrence& occurrence) const;
    bool isAllDay(const Occurrence& occurrence) const;

private:
    struct Entry {
        LocalTime start = 0;
        LocalTime end = 0;
        int event = -1;
        int overrideIndex = -1;
        LocalTime instance = 0;
        size_t order = 0;
    };
    struct DurationClass {
        LocalTime longest = 0;
        std::vector<Entry> entries; // sorted by start
    };
    // One query's window read in an event basis (UTC or one zone): where to expand, and when no
    // offset changes nearby, the fixed shift from that basis to device time.
    struct WindowInBasis {
        bool ready = false;
        LocalTime wallFrom = 0;
        LocalTime wallTo = 0;
        bool shiftHolds = false;
        LocalTime checkedFrom = 0; // wall range over which the shift was checked
        LocalTime checkedTo = 0;
        std::int64_t shift = 0; // device time - event wall time
    };
    // What one query works in: the window per basis and the lists a series is expanded into,
    // made once for all the series a query looks at.
    struct QueryScratch {
        explicit QueryScratch(size_t bases) : windows(bases) {}
        std::vector<WindowInBasis> windows;
        std::vector<LocalTime> starts;
        std::vector<std::int64_t> days;
    };
    struct Series {
        Series(int eventIndex, const RecurrenceExpander& rule)
            : event(eventIndex), expander(rule) {}
        int event = -1;
        RecurrenceExpander expander;
        bool counted = false;        // a COUNT rule, ending at its last instance
        LocalTime until = kNoUntil;  // wall time, as the expander uses it; a COUNT's last start
        LocalTime longest = 0;       // of its instances, RDATE periods included
        LocalTime earliestStart = 0; // device time bounds, for a quick miss
        LocalTime latestEnd = 0;
    };

    void addSingle(int event);
    void addOverrides(int event);
    void addSeries(int event);
    void addEntry(const Entry& entry);
    void sortEntries();

    Occurrence occurrenceFrom(const Entry& entry) const;
    void deviceSpan(const EventTiming& timing, LocalTime wallStart, LocalTime& start,
                    LocalTime& end) const;
    LocalTime eventWallFromDevice(const EventTiming& timing, LocalTime device) const;
    LocalTime untilFor(const Event& event) const;
    void singlesOverlapping(LocalTime from, LocalTime to, EndBoundary boundary,
                            std::vector<Occurrence>& found) const;
    void seriesOverlapping(const Series& series, LocalTime from, LocalTime to, EndBoundary boundary,
                           QueryScratch& scratch, std::vector<Occurrence>& found) const;
    const WindowInBasis& windowFor(const EventTiming& timing, LocalTime from, LocalTime to,
                                   std::vector<WindowInBasis>& windows) const;
    void instanceSpan(const EventTiming& timing, const WindowInBasis& window, LocalTime instance,
                      LocalTime& start, LocalTime& end) const;
    void seriesStarts(const Series& series, LocalTime wallFrom, LocalTime wallTo,
                      QueryScratch& scratch) const;
    bool isSuppressed(const Event& event, LocalTime instance) const;
    void occurrencesOfEvent(int event, LocalTime from, LocalTime to,
                            std::vector<Occurrence>& found) const;
    LocalTime lastInstanceWall(const Series& series) const;
    bool earliestStartingFrom(int event, LocalTime from, LocalTime latest,
                              Occurrence& occurrence) const;

    const Calendar& calendar_;
    ZoneTimeline device_;
    std::vector<ZoneTimeline> zones_; // one per Calendar::zones entry
    std::vector<DurationClass> classes_;
    std::vector<Entry> pending_; // while the index is built
    std::vector<Series> series_;
    // Each series' device-time bounds again, side by side: a query passes over every series and
    // most lie wholly outside its window.
    struct SeriesBounds {
        LocalTime earliestStart;
        LocalTime latestEnd;
    };
    std::vector<SeriesBounds> seriesBounds_;
    std::vector<int> seriesOfEvent_; // -1 for single events
    // Whether each event is all day, packed together: every listed occurrence asks, and the
    // events themselves lie far apart in memory.
    std::vector<unsigned char> allDayEvents_;
};

} // namespace daybrook::ical
