#include "occurrence_index.h"

#include <algorithm>

namespace daybrook::ical {

namespace {

// Widening of windows converted between zones: covers the hour a daylight saving change skips
// or repeats, whichever way the two zones' offsets differ.
constexpr LocalTime kZoneMargin = 3 * 3600;
constexpr LocalTime kFarFuture = (static_cast<LocalTime>(3000000) * kSecondsPerDay);
constexpr LocalTime kFarPast = -kFarFuture;
// Years whose offset changes are precomputed; conversions outside work from the rules.
constexpr int kTimelineFirstYear = 1900;
constexpr int kTimelineLastYear = 2200;

ZoneDefinition zoneOfRule(const ZoneRule& rule) {
    ZoneDefinition zone;
    ZoneEra era;
    era.rule = rule;
    zone.eras.push_back(era);
    return zone;
}

// Single events are binned by length, an hour, two, four ... so a window search needs to look
// back only as far as the longest event of each bin.
constexpr int kDurationClasses = 32;

int durationClassOf(LocalTime length) {
    int index = 0;
    while (index < kDurationClasses - 1 && (static_cast<LocalTime>(3600) << index) < length)
        ++index;
    return index;
}

bool overlaps(LocalTime start, LocalTime end, LocalTime from, LocalTime to, EndBoundary boundary) {
    if (start >= to)
        return false;
    if (boundary == EndBoundary::Inclusive)
        return end >= from;
    return end > from || (start == from && end == from);
}

// A type, not a function, so that sorting inlines the comparison.
struct ByStartThenOrder {
    bool operator()(const Occurrence& a, const Occurrence& b) const {
        return a.start != b.start ? a.start < b.start : a.order < b.order;
    }
};
const ByStartThenOrder byStartThenOrder;

bool isBetween(const std::vector<LocalTime>& sorted, LocalTime value) {
    return std::binary_search(sorted.begin(), sorted.end(), value);
}

LocalTime nominalLength(const EventTiming& timing) {
    return timing.durationDays * kSecondsPerDay + timing.durationSeconds;
}

LocalTime periodLength(const ExtraPeriod& period) {
    return period.durationDays * kSecondsPerDay + period.durationSeconds;
}

EventTiming timingOfPeriod(const EventTiming& series, const ExtraPeriod& period) {
    EventTiming timing = series;
    timing.durationDays = period.durationDays;
    timing.durationSeconds = period.durationSeconds;
    return timing;
}

RecurrenceRule ruleOrSingle(const Event& event) {
    // An event with overrides but no rule is a series of its DTSTART alone.
    RecurrenceRule rule = event.recurrence->rule;
    if (!event.recurrence->hasRule)
        rule.count = 1;
    return rule;
}

} // namespace

OccurrenceIndex::OccurrenceIndex(const Calendar& calendar, const ZoneRule& device)
    : calendar_(calendar), device_(zoneOfRule(device), kTimelineFirstYear, kTimelineLastYear),
      classes_(kDurationClasses), seriesOfEvent_(calendar.events.size(), -1),
      allDayEvents_(calendar.events.size(), 0) {
    for (const ZoneDefinition& zone : calendar.zones)
        zones_.emplace_back(zone, kTimelineFirstYear, kTimelineLastYear);
    pending_.reserve(calendar.events.size());
    const size_t series = static_cast<size_t>(
        std::count_if(calendar.events.begin(), calendar.events.end(), [](const Event& event) {
            return event.recurring || !event.overrides.empty();
        }));
    series_.reserve(series);
    seriesBounds_.reserve(series);
    for (size_t i = 0; i < calendar.events.size(); ++i) {
        const Event& event = calendar.events[i];
        const int index = static_cast<int>(i);
        allDayEvents_[i] = event.timing.allDay ? 1 : 0;
        if (event.cancelled)
            continue;
        if (event.recurring || !event.overrides.empty())
            addSeries(index);
        else
            addSingle(index);
        addOverrides(index);
    }
    sortEntries();
}

void OccurrenceIndex::deviceSpan(const EventTiming& timing, LocalTime wallStart, LocalTime& start,
                                 LocalTime& end) const {
    const LocalTime wallEnd = wallStart + timing.durationDays * kSecondsPerDay;
    switch (timing.basis) {
    case TimeBasis::Floating:
        start = wallStart;
        end = wallEnd + timing.durationSeconds;
        return;
    case TimeBasis::Utc:
        start = device_.localFromUtc(wallStart);
        end = device_.localFromUtc(wallEnd + timing.durationSeconds);
        return;
    case TimeBasis::Zoned: {
        const ZoneTimeline& zone = zones_[static_cast<size_t>(timing.zone)];
        start = device_.localFromUtc(zone.utcFromLocal(wallStart));
        end = device_.localFromUtc(zone.utcFromLocal(wallEnd) + timing.durationSeconds);
        return;
    }
    }
}

LocalTime OccurrenceIndex::eventWallFromDevice(const EventTiming& timing, LocalTime device) const {
    switch (timing.basis) {
    case TimeBasis::Floating: return device;
    case TimeBasis::Utc: return device_.utcFromLocal(device);
    case TimeBasis::Zoned:
        return zones_[static_cast<size_t>(timing.zone)].localFromUtc(device_.utcFromLocal(device));
    }
    return device;
}

void OccurrenceIndex::addEntry(const Entry& entry) {
    pending_.push_back(entry);
}

void OccurrenceIndex::addSingle(int eventIndex) {
    const Event& event = calendar_.events[static_cast<size_t>(eventIndex)];
    Entry entry;
    deviceSpan(event.timing, event.timing.start, entry.start, entry.end);
    entry.event = eventIndex;
    entry.instance = event.timing.start;
    entry.order = event.bytes.begin;
    addEntry(entry);
}

void OccurrenceIndex::addOverrides(int eventIndex) {
    const Event& event = calendar_.events[static_cast<size_t>(eventIndex)];
    for (size_t i = 0; i < event.overrides.size(); ++i) {
        const Override& replacement = event.overrides[i];
        if (replacement.cancelled)
            continue;
        Entry entry;
        deviceSpan(replacement.timing, replacement.timing.start, entry.start, entry.end);
        entry.event = eventIndex;
        entry.overrideIndex = static_cast<int>(i);
        entry.instance = replacement.instance;
        entry.order = replacement.bytes.begin;
        addEntry(entry);
    }
}

// A floating series is on the device's clock, so a UTC UNTIL (Exchange writes one even for
// floating starts) is read in the device's zone.
LocalTime OccurrenceIndex::untilFor(const Event& event) const {
    const RecurrenceRule& rule = event.recurrence->rule;
    const bool floatingTimed = event.timing.basis == TimeBasis::Floating && !event.timing.allDay;
    if (floatingTimed && rule.hasUntil && !rule.until.isDate && rule.until.isUtc)
        return device_.localFromUtc(localTimeFromCivil(rule.until.civil));
    return event.recurrence->until;
}

void OccurrenceIndex::addSeries(int eventIndex) {
    const Event& event = calendar_.events[static_cast<size_t>(eventIndex)];
    const Recurrence& recurrence = *event.recurrence;
    const RecurrenceRule rule = ruleOrSingle(event);
    LocalTime until = untilFor(event);
    // A COUNT rule is a rule that ends at its last instance: expanded by window like any other.
    if (rule.count > 0)
        until = RecurrenceExpander(rule, event.timing.start, until).lastCountedStart(rule.count);
    Series series(eventIndex, RecurrenceExpander(rule, event.timing.start, until));
    series.until = until;
    series.counted = rule.count > 0;
    series.longest = nominalLength(event.timing);
    for (const ExtraPeriod& period : recurrence.extraPeriods)
        series.longest = std::max(series.longest, periodLength(period));
    LocalTime firstWall = event.timing.start;
    if (!recurrence.extraStarts.empty())
        firstWall = std::min(firstWall, recurrence.extraStarts.front());
    LocalTime ignored = 0;
    deviceSpan(event.timing, firstWall, series.earliestStart, ignored);
    series.earliestStart -= kZoneMargin;
    series.latestEnd = kFarFuture;
    const bool bounded = series.counted || until != kNoUntil;
    if (bounded) {
        LocalTime lastWall = lastInstanceWall(series);
        LocalTime lastStart = 0;
        deviceSpan(event.timing, lastWall, lastStart, series.latestEnd);
        series.latestEnd += kZoneMargin + series.longest - nominalLength(event.timing);
    }
    seriesOfEvent_[static_cast<size_t>(eventIndex)] = static_cast<int>(series_.size());
    seriesBounds_.push_back(SeriesBounds{series.earliestStart, series.latestEnd});
    series_.push_back(std::move(series));
}

// Entries are gathered first and then handed out, each class sized once: tables that grow
// step by step cost much more under some heaps than their size suggests.
void OccurrenceIndex::sortEntries() {
    std::vector<size_t> sizes(classes_.size(), 0);
    for (const Entry& entry : pending_)
        ++sizes[static_cast<size_t>(durationClassOf(entry.end - entry.start))];
    for (size_t i = 0; i < classes_.size(); ++i)
        classes_[i].entries.reserve(sizes[i]);
    for (const Entry& entry : pending_)
        classes_[static_cast<size_t>(durationClassOf(entry.end - entry.start))].entries.push_back(
            entry);
    std::vector<Entry>().swap(pending_);
    for (DurationClass& durationClass : classes_) {
        for (const Entry& entry : durationClass.entries)
            durationClass.longest = std::max(durationClass.longest, entry.end - entry.start);
        // Every entry has its own place in the file: start and order sort them fully.
        std::sort(durationClass.entries.begin(), durationClass.entries.end(),
                  [](const Entry& a, const Entry& b) {
                      return a.start != b.start ? a.start < b.start : a.order < b.order;
                  });
    }
}

Occurrence OccurrenceIndex::occurrenceFrom(const Entry& entry) const {
    Occurrence occurrence;
    occurrence.event = entry.event;
    occurrence.overrideIndex = entry.overrideIndex;
    occurrence.start = entry.start;
    occurrence.end = entry.end;
    occurrence.instance = entry.instance;
    occurrence.order = entry.order;
    return occurrence;
}

void OccurrenceIndex::singlesOverlapping(LocalTime from, LocalTime to, EndBoundary boundary,
                                         std::vector<Occurrence>& found) const {
    for (const DurationClass& durationClass : classes_) {
        const std::vector<Entry>& entries = durationClass.entries;
        if (entries.empty())
            continue;
        const LocalTime earliest = from - durationClass.longest;
        auto entry = std::lower_bound(
            entries.begin(), entries.end(), earliest,
            [](const Entry& candidate, LocalTime time) { return candidate.start < time; });
        for (; entry != entries.end() && entry->start < to; ++entry) {
            if (overlaps(entry->start, entry->end, from, to, boundary))
                found.push_back(occurrenceFrom(*entry));
        }
    }
}

// Excluded (EXDATE) or replaced (RECURRENCE-ID, the override is listed on its own).
bool OccurrenceIndex::isSuppressed(const Event& event, LocalTime instance) const {
    const Recurrence& recurrence = *event.recurrence;
    if (isBetween(recurrence.excludedStarts, instance))
        return true;
    if (!recurrence.excludedDays.empty() &&
        std::binary_search(recurrence.excludedDays.begin(), recurrence.excludedDays.end(),
                           dayNumberOf(instance)))
        return true;
    const auto replaced =
        std::lower_bound(event.overrides.begin(), event.overrides.end(), instance,
                         [](const Override& o, LocalTime time) { return o.instance < time; });
    return replaced != event.overrides.end() && replaced->instance == instance;
}

void OccurrenceIndex::seriesStarts(const Series& series, LocalTime wallFrom, LocalTime wallTo,
                                   QueryScratch& scratch) const {
    const Event& event = calendar_.events[static_cast<size_t>(series.event)];
    std::vector<LocalTime>& starts = scratch.starts;
    starts.clear();
    if (event.timing.start >= wallFrom && event.timing.start < wallTo)
        starts.push_back(event.timing.start);
    series.expander.expand(wallFrom, wallTo, starts, scratch.days);
    const std::vector<LocalTime>& extra = event.recurrence->extraStarts;
    const size_t produced = starts.size();
    for (auto start = std::lower_bound(extra.begin(), extra.end(), wallFrom);
         start != extra.end() && *start < wallTo; ++start)
        starts.push_back(*start);
    if (produced != starts.size() || produced > 1) {
        std::sort(starts.begin(), starts.end());
        starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    }
}

// Converting the window once per basis, instead of once per series, and shifting instances by
// a fixed offset when no daylight saving change is near, keeps a day query cheap.
const OccurrenceIndex::WindowInBasis&
OccurrenceIndex::windowFor(const EventTiming& timing, LocalTime from, LocalTime to,
                           std::vector<WindowInBasis>& windows) const {
    const size_t slot =
        timing.basis == TimeBasis::Zoned ? static_cast<size_t>(timing.zone) : zones_.size();
    WindowInBasis& window = windows[slot];
    if (window.ready)
        return window;
    window.ready = true;
    window.wallFrom = eventWallFromDevice(timing, from);
    window.wallTo = eventWallFromDevice(timing, to);
    const LocalTime utcFrom = device_.utcFromLocal(from) - 2 * kSecondsPerDay;
    const LocalTime utcTo = device_.utcFromLocal(to) + 2 * kSecondsPerDay;
    std::int64_t deviceOffset = 0;
    std::int64_t zoneOffset = 0;
    window.shiftHolds = device_.offsetHolds(utcFrom, utcTo, deviceOffset);
    if (timing.basis == TimeBasis::Zoned)
        window.shiftHolds =
            window.shiftHolds && zones_[slot].offsetHolds(utcFrom, utcTo, zoneOffset);
    window.shift = deviceOffset - zoneOffset;
    window.checkedFrom = utcFrom + zoneOffset;
    window.checkedTo = utcTo + zoneOffset;
    return window;
}

void OccurrenceIndex::instanceSpan(const EventTiming& timing, const WindowInBasis& window,
                                   LocalTime instance, LocalTime& start, LocalTime& end) const {
    const LocalTime wallEnd =
        instance + timing.durationDays * kSecondsPerDay + timing.durationSeconds;
    const bool shiftable = timing.basis != TimeBasis::Floating && window.shiftHolds &&
                           instance >= window.checkedFrom && wallEnd <= window.checkedTo;
    if (!shiftable) {
        deviceSpan(timing, instance, start, end);
        return;
    }
    start = instance + window.shift;
    end = wallEnd + window.shift;
}

void OccurrenceIndex::seriesOverlapping(const Series& series, LocalTime from, LocalTime to,
                                        EndBoundary boundary, QueryScratch& scratch,
                                        std::vector<Occurrence>& found) const {
    if (series.earliestStart >= to || series.latestEnd < from)
        return;
    const Event& event = calendar_.events[static_cast<size_t>(series.event)];
    const EventTiming& timing = event.timing;
    const LocalTime reach = series.longest + kZoneMargin;
    const WindowInBasis& window = windowFor(timing, from, to, scratch.windows);
    seriesStarts(series, window.wallFrom - reach, window.wallTo + kZoneMargin, scratch);
    const std::vector<ExtraPeriod>& periods = event.recurrence->extraPeriods;
    for (LocalTime instance : scratch.starts) {
        if (isSuppressed(event, instance))
            continue;
        Occurrence occurrence;
        const auto period = std::lower_bound(
            periods.begin(), periods.end(), instance,
            [](const ExtraPeriod& candidate, LocalTime start) { return candidate.start < start; });
        if (period != periods.end() && period->start == instance)
            instanceSpan(timingOfPeriod(timing, *period), window, instance, occurrence.start,
                         occurrence.end);
        else
            instanceSpan(timing, window, instance, occurrence.start, occurrence.end);
        if (!overlaps(occurrence.start, occurrence.end, from, to, boundary))
            continue;
        occurrence.event = series.event;
        occurrence.instance = instance;
        occurrence.order = event.bytes.begin;
        found.push_back(occurrence);
    }
}

void OccurrenceIndex::occurrencesOverlapping(LocalTime from, LocalTime to, EndBoundary boundary,
                                             std::vector<Occurrence>& found) const {
    found.clear();
    if (to <= from)
        return;
    singlesOverlapping(from, to, boundary, found);
    QueryScratch scratch(zones_.size() + 1);
    for (size_t i = 0; i < series_.size(); ++i) {
        if (seriesBounds_[i].earliestStart < to && seriesBounds_[i].latestEnd >= from)
            seriesOverlapping(series_[i], from, to, boundary, scratch, found);
    }
    std::sort(found.begin(), found.end(), byStartThenOrder);
}

std::vector<Occurrence> OccurrenceIndex::occurrencesOverlapping(double fromOleDate,
                                                                double toOleDate,
                                                                EndBoundary boundary) const {
    std::vector<Occurrence> found;
    LocalTime from = 0;
    LocalTime to = 0;
    if (localTimeFromOleDate(fromOleDate, from) && localTimeFromOleDate(toOleDate, to))
        occurrencesOverlapping(from, to, boundary, found);
    return found;
}

// All occurrences of one event overlapping [from, to), unsorted.
void OccurrenceIndex::occurrencesOfEvent(int eventIndex, LocalTime from, LocalTime to,
                                         std::vector<Occurrence>& found) const {
    const Event& event = calendar_.events[static_cast<size_t>(eventIndex)];
    if (event.cancelled)
        return;
    const int seriesIndex = seriesOfEvent_[static_cast<size_t>(eventIndex)];
    if (seriesIndex >= 0) {
        QueryScratch scratch(zones_.size() + 1);
        seriesOverlapping(series_[static_cast<size_t>(seriesIndex)], from, to,
                          EndBoundary::Exclusive, scratch, found);
    } else {
        Entry single;
        deviceSpan(event.timing, event.timing.start, single.start, single.end);
        single.event = eventIndex;
        single.instance = event.timing.start;
        single.order = event.bytes.begin;
        if (overlaps(single.start, single.end, from, to, EndBoundary::Exclusive))
            found.push_back(occurrenceFrom(single));
    }
    for (size_t i = 0; i < event.overrides.size(); ++i) {
        const Override& replacement = event.overrides[i];
        if (replacement.cancelled)
            continue;
        Entry entry;
        deviceSpan(replacement.timing, replacement.timing.start, entry.start, entry.end);
        entry.event = eventIndex;
        entry.overrideIndex = static_cast<int>(i);
        entry.instance = replacement.instance;
        entry.order = replacement.bytes.begin;
        if (overlaps(entry.start, entry.end, from, to, EndBoundary::Exclusive))
            found.push_back(occurrenceFrom(entry));
    }
}

// Looks in windows that grow from `from` until one holds an occurrence starting there or later.
bool OccurrenceIndex::earliestStartingFrom(int eventIndex, LocalTime from, LocalTime latest,
                                           Occurrence& occurrence) const {
    std::vector<Occurrence> found;
    for (LocalTime span = 366 * kSecondsPerDay; from < latest && from < kFarFuture; span *= 2) {
        const LocalTime to = std::min(from + span, kFarFuture);
        found.clear();
        occurrencesOfEvent(eventIndex, from, to, found);
        found.erase(std::remove_if(found.begin(), found.end(),
                                   [&](const Occurrence& o) { return o.start < from; }),
                    found.end());
        if (!found.empty()) {
            occurrence = *std::min_element(found.begin(), found.end(), byStartThenOrder);
            return true;
        }
        from = to;
    }
    return false;
}

bool OccurrenceIndex::firstOccurrence(int eventIndex, Occurrence& occurrence) const {
    if (eventIndex < 0 || static_cast<size_t>(eventIndex) >= calendar_.events.size())
        return false;
    const int seriesIndex = seriesOfEvent_[static_cast<size_t>(eventIndex)];
    const Event& single = calendar_.events[static_cast<size_t>(eventIndex)];
    if (seriesIndex < 0) { // a single event without overrides is its only occurrence
        if (single.cancelled)
            return false;
        Entry entry;
        deviceSpan(single.timing, single.timing.start, entry.start, entry.end);
        entry.event = eventIndex;
        entry.instance = single.timing.start;
        entry.order = single.bytes.begin;
        occurrence = occurrenceFrom(entry);
        return true;
    }
    LocalTime from = kFarPast;
    LocalTime latest = kFarFuture;
    if (seriesIndex >= 0) {
        const Series& series = series_[static_cast<size_t>(seriesIndex)];
        from = series.earliestStart;
        latest = series.latestEnd;
    }
    const Event& event = calendar_.events[static_cast<size_t>(eventIndex)];
    for (const Override& replacement : event.overrides)
        from = std::min(from, replacement.timing.start - 2 * kSecondsPerDay);
    return earliestStartingFrom(eventIndex, from, latest, occurrence);
}

bool OccurrenceIndex::nextOccurrence(int eventIndex, LocalTime from, Occurrence& occurrence) const {
    if (eventIndex < 0 || static_cast<size_t>(eventIndex) >= calendar_.events.size())
        return false;
    const int seriesIndex = seriesOfEvent_[static_cast<size_t>(eventIndex)];
    LocalTime latest = kFarFuture;
    if (seriesIndex >= 0) {
        // Nothing starts before the series' first instance or a day or two before an override.
        const Series& series = series_[static_cast<size_t>(seriesIndex)];
        LocalTime earliest = series.earliestStart;
        const Event& event = calendar_.events[static_cast<size_t>(eventIndex)];
        for (const Override& replacement : event.overrides)
            earliest = std::min(earliest, replacement.timing.start - 2 * kSecondsPerDay);
        from = std::max(from, earliest);
        latest = series.latestEnd;
    }
    return earliestStartingFrom(eventIndex, std::max(from, kFarPast), latest, occurrence);
}

LocalTime OccurrenceIndex::latestNextStart(LocalTime from) const {
    LocalTime latest = from;
    for (size_t i = 0; i < series_.size(); ++i) {
        Occurrence next;
        if (seriesBounds_[i].latestEnd >= from && nextOccurrence(series_[i].event, from, next))
            latest = std::max(latest, next.start);
    }
    return latest;
}

std::vector<Occurrence> OccurrenceIndex::allEvents() const {
    std::vector<Occurrence> events;
    events.reserve(calendar_.events.size());
    for (size_t i = 0; i < calendar_.events.size(); ++i) {
        Occurrence first;
        if (firstOccurrence(static_cast<int>(i), first))
            events.push_back(first);
    }
    return events;
}

// The singles' entries lie sorted in their duration classes already: they are merged with the
// series' first occurrences rather than all sorted afresh.
std::vector<Occurrence> OccurrenceIndex::allEventsByStart() const {
    std::vector<Occurrence> series;
    series.reserve(series_.size());
    for (const Series& each : series_) {
        Occurrence first;
        if (firstOccurrence(each.event, first))
            series.push_back(first);
    }
    std::sort(series.begin(), series.end(), byStartThenOrder);
    struct Run {
        std::vector<Entry>::const_iterator next;
        std::vector<Entry>::const_iterator end;
    };
    std::vector<Run> runs;
    size_t entries = 0;
    for (const DurationClass& durationClass : classes_) {
        if (!durationClass.entries.empty())
            runs.push_back({durationClass.entries.begin(), durationClass.entries.end()});
        entries += durationClass.entries.size();
    }
    const auto entryBefore = [](const Entry& a, const Entry& b) {
        return a.start != b.start ? a.start < b.start : a.order < b.order;
    };
    std::vector<Occurrence> events;
    events.reserve(entries + series.size());
    auto nextSeries = series.cbegin();
    for (;;) {
        // The earliest single at the head of a run; overrides stand for their series.
        Run* earliest = nullptr;
        for (Run& run : runs) {
            while (run.next != run.end && run.next->overrideIndex >= 0)
                ++run.next;
            if (run.next != run.end && (!earliest || entryBefore(*run.next, *earliest->next)))
                earliest = &run;
        }
        if (!earliest) {
            events.insert(events.end(), nextSeries, series.cend());
            return events;
        }
        const Occurrence single = occurrenceFrom(*earliest->next);
        if (nextSeries != series.cend() && byStartThenOrder(*nextSeries, single)) {
            events.push_back(*nextSeries++);
            continue;
        }
        events.push_back(single);
        ++earliest->next;
    }
}

bool OccurrenceIndex::occurrenceAt(int eventIndex, LocalTime start, Occurrence& occurrence) const {
    if (eventIndex < 0 || static_cast<size_t>(eventIndex) >= calendar_.events.size())
        return false;
    const LocalTime dayStart = dayNumberOf(start) * kSecondsPerDay;
    std::vector<Occurrence> found;
    occurrencesOfEvent(eventIndex, dayStart, dayStart + kSecondsPerDay, found);
    std::sort(found.begin(), found.end(), byStartThenOrder);
    for (const Occurrence& candidate : found) {
        if (candidate.start == start) {
            occurrence = candidate;
            return true;
        }
    }
    for (const Occurrence& candidate : found) {
        if (candidate.start >= dayStart) {
            occurrence = candidate;
            return true;
        }
    }
    return false;
}

const EventDetails& OccurrenceIndex::detailsOf(const Occurrence& occurrence) const {
    const Event& event = calendar_.events[static_cast<size_t>(occurrence.event)];
    if (occurrence.overrideIndex >= 0)
        return event.overrides[static_cast<size_t>(occurrence.overrideIndex)].details;
    return event.details;
}

bool OccurrenceIndex::isAllDay(const Occurrence& occurrence) const {
    if (occurrence.overrideIndex < 0)
        return allDayEvents_[static_cast<size_t>(occurrence.event)] != 0;
    const Event& event = calendar_.events[static_cast<size_t>(occurrence.event)];
    return event.overrides[static_cast<size_t>(occurrence.overrideIndex)].timing.allDay;
}

// The last start of a bounded series, found in windows growing back from UNTIL.
LocalTime OccurrenceIndex::lastInstanceWall(const Series& series) const {
    const Event& event = calendar_.events[static_cast<size_t>(series.event)];
    LocalTime last = event.timing.start;
    if (!event.recurrence->extraStarts.empty())
        last = std::max(last, event.recurrence->extraStarts.back());
    if (series.counted)
        return std::max(last, series.until);
    const LocalTime until = series.until;
    std::vector<LocalTime> starts;
    for (LocalTime span = 64 * kSecondsPerDay; until - span > kFarPast; span *= 4) {
        starts.clear();
        series.expander.expand(std::max(until - span, event.timing.start), until + 1, starts);
        if (!starts.empty())
            return std::max(last, starts.back());
        if (until - span <= event.timing.start)
            break;
    }
    return last;
}

} // namespace daybrook::ical
