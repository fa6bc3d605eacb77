#include "calendar_exercise.h"

#include "calendar.h"
#include "calendar_writer.h"
#include "civil_time.h"
#include "occurrence_index.h"

#include <algorithm>
#include <vector>

namespace daybrook::ical::fuzzing {

namespace {

// Bounds that keep one input cheap: the fuzzer wants thousands of runs a second.
constexpr size_t kEventsExamined = 6;
constexpr size_t kOccurrencesExamined = 8;
constexpr size_t kEventsEdited = 2;
constexpr int kDaysWalked = 7;
constexpr int kDaysAroundAnEvent = 14;
constexpr int kDaysAhead = 60;

TransitionRule sundayRule(int month, int week, int hour) {
    TransitionRule rule;
    rule.month = month;
    rule.week = week;
    rule.hour = hour;
    return rule;
}

// UTC, a northern zone with daylight time and a southern one, as the device may report them.
ZoneRule deviceZone(size_t choice) {
    ZoneRule zone;
    if (choice % 3 == 1) {
        zone.bias = 300; // New York
        zone.daylightBias = -60;
        zone.daylightDate = sundayRule(3, 2, 2);
        zone.standardDate = sundayRule(11, 1, 2);
    } else if (choice % 3 == 2) {
        zone.bias = -600; // Sydney
        zone.daylightBias = -60;
        zone.daylightDate = sundayRule(10, 1, 2);
        zone.standardDate = sundayRule(4, 1, 3);
    }
    return zone;
}

class Checker {
public:
    bool failed() const { return !failure_.empty(); }
    const std::string& failure() const { return failure_; }
    void check(bool condition, const std::string& what) {
        if (!condition && failure_.empty())
            failure_ = what;
    }

private:
    std::string failure_;
};

std::string at(LocalTime time) {
    const CivilDateTime civil = civilFromLocalTime(time);
    return std::to_string(civil.year) + "-" + std::to_string(civil.month) + "-" +
           std::to_string(civil.day) + " " + std::to_string(civil.hour) + ":" +
           std::to_string(civil.minute) + ":" + std::to_string(civil.second);
}

bool inWindow(const Occurrence& occurrence, LocalTime from, LocalTime to, EndBoundary boundary) {
    if (occurrence.start >= to)
        return false;
    if (boundary == EndBoundary::Inclusive)
        return occurrence.end >= from;
    return occurrence.end > from || (occurrence.start == from && occurrence.end == from);
}

// What a window query promises: sorted, inside the window, pointing at shown events. Messages
// are only put together for a failure: a window may hold many thousands of occurrences.
void checkWindow(const Calendar& calendar, const OccurrenceIndex& index, LocalTime from,
                 LocalTime to, EndBoundary boundary, Checker& checker) {
    std::vector<Occurrence> found;
    index.occurrencesOverlapping(from, to, boundary, found);
    auto window = [&] { return " in the window " + at(from) + " .. " + at(to); };
    for (size_t i = 0; i < found.size() && !checker.failed(); ++i) {
        const Occurrence& occurrence = found[i];
        if (occurrence.event < 0 || static_cast<size_t>(occurrence.event) >= calendar.events.size())
            return checker.check(false, "an occurrence names no event" + window());
        const Event& event = calendar.events[static_cast<size_t>(occurrence.event)];
        if (event.cancelled)
            checker.check(false, "a cancelled event is listed" + window());
        if (occurrence.overrideIndex >= static_cast<int>(event.overrides.size()))
            checker.check(false, "an occurrence names no override" + window());
        if (!inWindow(occurrence, from, to, boundary))
            checker.check(false, "an occurrence " + at(occurrence.start) + " - " +
                                     at(occurrence.end) + " lies outside" + window());
        if (occurrence.end < occurrence.start)
            checker.check(false, "an occurrence ends before it starts: " + at(occurrence.start) +
                                     " - " + at(occurrence.end));
        if (i > 0 && found[i - 1].start > occurrence.start)
            checker.check(false, "occurrences are not sorted by start" + window());
        index.detailsOf(occurrence);
        index.isAllDay(occurrence);
    }
}

// Every listed occurrence can be found again by its start, as GetOccurrence asks for it, and
// its start survives the trip through an OLE date.
void checkOccurrences(const OccurrenceIndex& index, LocalTime from, LocalTime to,
                      Checker& checker) {
    std::vector<Occurrence> found;
    index.occurrencesOverlapping(from, to, EndBoundary::Inclusive, found);
    for (size_t i = 0; i < found.size() && i < kOccurrencesExamined && !checker.failed(); ++i) {
        const Occurrence& occurrence = found[i];
        Occurrence again;
        if (!index.occurrenceAt(occurrence.event, occurrence.start, again) ||
            again.start != occurrence.start)
            checker.check(false, "the occurrence at " + at(occurrence.start) + " of event " +
                                     std::to_string(occurrence.event) +
                                     " is not found by its start");
        LocalTime back = 0;
        const double date = oleDateFromLocalTime(occurrence.start);
        if (localTimeFromOleDate(date, back) && back != occurrence.start)
            checker.check(false, "the start " + at(occurrence.start) + " changes as an OLE date");
    }
}

bool hasInstance(const OccurrenceIndex& index, int event, LocalTime instance, LocalTime from,
                 LocalTime to) {
    std::vector<Occurrence> found;
    index.occurrencesOverlapping(from, to, EndBoundary::Inclusive, found);
    for (const Occurrence& occurrence : found)
        if (occurrence.event == event && occurrence.instance == instance)
            return true;
    return false;
}

// Deleting keeps the file a calendar the store accepts, with exactly that removed.
void checkEdits(const Calendar& calendar, const OccurrenceIndex& index, const ZoneRule& zone,
                Checker& checker) {
    const std::vector<Occurrence> events = index.allEvents();
    for (size_t i = 0; i < events.size() && i < kEventsEdited && !checker.failed(); ++i) {
        const Occurrence& first = events[i];
        std::string bytes;
        checker.check(deleteEvent(calendar, first.event, bytes),
                      "event " + std::to_string(first.event) + " cannot be deleted");
        const Calendar without = readCalendar(bytes);
        checker.check(!without.rejected, "deleting event " + std::to_string(first.event) +
                                             " leaves a file that is rejected");
        checker.check(without.events.size() + 1 == calendar.events.size(),
                      "deleting event " + std::to_string(first.event) + " leaves " +
                          std::to_string(without.events.size()) + " of " +
                          std::to_string(calendar.events.size()) + " events");
        const Event& event = calendar.events[static_cast<size_t>(first.event)];
        if (!event.recurring || checker.failed())
            continue;
        std::string edited;
        checker.check(deleteOccurrence(calendar, first, edited), "an occurrence of event " +
                                                                     std::to_string(first.event) +
                                                                     " cannot be deleted");
        const Calendar fewer = readCalendar(edited);
        checker.check(!fewer.rejected && fewer.events.size() == calendar.events.size(),
                      "deleting an occurrence of event " + std::to_string(first.event) +
                          " changes the file's events");
        if (checker.failed())
            return;
        const OccurrenceIndex after(fewer, zone);
        const LocalTime day = dayNumberOf(first.start) * kSecondsPerDay;
        checker.check(!hasInstance(after, first.event, first.instance, day - kSecondsPerDay,
                                   day + 2 * kSecondsPerDay),
                      "the deleted occurrence at " + at(first.start) + " is still listed");
    }
}

} // namespace

// The events by start are the events in file order, sorted.
void checkAllByStart(const OccurrenceIndex& index, std::vector<Occurrence> inFileOrder,
                     Checker& checker) {
    std::sort(inFileOrder.begin(), inFileOrder.end(), [](const Occurrence& a, const Occurrence& b) {
        return a.start != b.start ? a.start < b.start : a.order < b.order;
    });
    const std::vector<Occurrence> byStart = index.allEventsByStart();
    bool same = byStart.size() == inFileOrder.size();
    for (size_t i = 0; same && i < byStart.size(); ++i)
        same = byStart[i].event == inFileOrder[i].event &&
               byStart[i].overrideIndex == inFileOrder[i].overrideIndex &&
               byStart[i].start == inFileOrder[i].start && byStart[i].end == inFileOrder[i].end;
    checker.check(same, "the events by start are not the events sorted by start");
}

std::string exerciseCalendar(const std::string& bytes) {
    const Calendar calendar = readCalendar(bytes);
    Checker checker;
    checker.check(!calendar.rejected || calendar.events.empty(),
                  "a rejected calendar still has events");
    const ZoneRule zone = deviceZone(bytes.size());
    const OccurrenceIndex index(calendar, zone);

    // The days an agenda walks, from a fixed today.
    const LocalTime today = localTimeFromCivil(CivilDateTime{2026, 12, 8, 0, 0, 0});
    for (int day = 0; day < kDaysWalked && !checker.failed(); ++day) {
        const LocalTime from = today + day * kSecondsPerDay;
        checkWindow(calendar, index, from, from + kSecondsPerDay, EndBoundary::Inclusive, checker);
    }
    checkWindow(calendar, index, today, today + kDaysAhead * kSecondsPerDay, EndBoundary::Exclusive,
                checker);

    // Around each event's first occurrence, where its rule and overrides matter most.
    const std::vector<Occurrence> events = index.allEvents();
    checkAllByStart(index, events, checker);
    for (size_t i = 0; i < events.size() && i < kEventsExamined && !checker.failed(); ++i) {
        const Occurrence& first = events[i];
        RecurrencePattern pattern;
        index.recurrencePattern(first.event, pattern);
        const LocalTime day = dayNumberOf(first.start) * kSecondsPerDay;
        const LocalTime from = day - kSecondsPerDay;
        const LocalTime to = day + kDaysAroundAnEvent * kSecondsPerDay;
        checkWindow(calendar, index, from, to, EndBoundary::Inclusive, checker);
        checkWindow(calendar, index, from, to, EndBoundary::Exclusive, checker);
        checkOccurrences(index, from, to, checker);
    }
    if (!calendar.rejected && !checker.failed())
        checkEdits(calendar, index, zone, checker);
    return checker.failure();
}

} // namespace daybrook::ical::fuzzing
