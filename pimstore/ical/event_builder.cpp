#include "event_builder.h"

#include "known_zones.h"
#include "text_codec.h"

#include <algorithm>

namespace daybrook::ical {

namespace {

// The longest occurrence a series may have (see readRecurrence).
constexpr std::int64_t kLongestRecurringLength = 366 * kSecondsPerDay;

LocalTime wallOf(const ResolvedTime& time) {
    CivilDateTime civil = time.value.civil;
    if (time.value.isDate)
        civil.hour = civil.minute = civil.second = 0;
    return localTimeFromCivil(civil);
}

LocalTime utcOf(const ResolvedTime& time, const std::vector<ZoneDefinition>& zones) {
    if (time.basis == TimeBasis::Zoned)
        return utcFromLocal(zones[static_cast<size_t>(time.zone)], wallOf(time));
    return wallOf(time);
}

bool hasDateValueType(const ContentLine& line) {
    const std::string* type = line.parameter("VALUE");
    return type != nullptr && equalsIgnoringCase(*type, "DATE");
}

// A bare date counts as DATE even without VALUE=DATE and even with a TZID (Google's holiday
// calendars write DTSTART;TZID=America/Los_Angeles:20041225).
bool resolveTime(const ContentLine& line, std::string_view text, ZoneResolver& zones,
                 ResolvedTime& time) {
    time = ResolvedTime();
    if (!parseDateTimeValue(trimmed(text), time.value))
        return false;
    if (hasDateValueType(line))
        time.value.isDate = true;
    if (time.value.isDate)
        return true;
    if (time.value.isUtc) {
        time.basis = TimeBasis::Utc;
        return true;
    }
    if (const std::string* tzid = line.parameter("TZID")) {
        time.zone = zones.resolve(*tzid, line.line);
        time.basis = time.zone >= 0 ? TimeBasis::Zoned : TimeBasis::Floating;
    }
    return true;
}

std::u16string textOf(const ContentLine* line) {
    if (line == nullptr)
        return std::u16string();
    const std::string text = unescapeText(line->value);
    return line->latin1 ? utf16FromLatin1(text) : utf16FromUtf8(text);
}

bool propertyIs(const Component& component, std::string_view name, std::string_view value) {
    const ContentLine* line = component.property(name);
    return line != nullptr && equalsIgnoringCase(trimmed(line->value), value);
}

// The Exchange/Outlook busy status is the attendee's own answer and wins; otherwise TRANSP and
// STATUS say it.
BusyStatus busyStatusOf(const Component& vevent) {
    if (const ContentLine* cdo = vevent.property("X-MICROSOFT-CDO-BUSYSTATUS")) {
        const std::string_view value = trimmed(cdo->value);
        if (equalsIgnoringCase(value, "FREE"))
            return BusyStatus::Free;
        if (equalsIgnoringCase(value, "TENTATIVE"))
            return BusyStatus::Tentative;
        if (equalsIgnoringCase(value, "BUSY"))
            return BusyStatus::Busy;
        if (equalsIgnoringCase(value, "OOF"))
            return BusyStatus::OutOfOffice;
    }
    if (propertyIs(vevent, "TRANSP", "TRANSPARENT"))
        return BusyStatus::Free;
    if (propertyIs(vevent, "STATUS", "TENTATIVE"))
        return BusyStatus::Tentative;
    return BusyStatus::Busy;
}

EventDetails detailsOf(const Component& vevent) {
    EventDetails details;
    details.summary = textOf(vevent.property("SUMMARY"));
    details.location = textOf(vevent.property("LOCATION"));
    details.description = textOf(vevent.property("DESCRIPTION"));
    details.busyStatus = busyStatusOf(vevent);
    return details;
}

bool readStart(const Component& vevent, ZoneResolver& zones, Event& event,
               Diagnostics& diagnostics) {
    EventTiming& timing = event.timing;
    const ContentLine* line = vevent.property("DTSTART");
    if (line == nullptr) {
        addWarning(diagnostics, vevent.line, "VEVENT has no DTSTART; event skipped");
        return false;
    }
    ResolvedTime start;
    if (!resolveTime(*line, line->value, zones, start)) {
        addWarning(diagnostics, line->line,
                   "DTSTART " + quoted(line->value) +
                       " is not a valid date or date-time; event skipped");
        return false;
    }
    if (const std::string* tzid = line->parameter("TZID"))
        event.startTzid = *tzid;
    timing.allDay = start.value.isDate;
    timing.basis = start.basis;
    timing.zone = start.zone;
    timing.start = wallOf(start);
    return true;
}

void lengthFromEnd(const ContentLine& line, const ResolvedTime& end, EventTiming& timing,
                   const std::vector<ZoneDefinition>& zones, Diagnostics& diagnostics) {
    if (timing.allDay) {
        timing.durationDays = dayNumberOf(wallOf(end)) - dayNumberOf(timing.start);
        if (timing.durationDays < 0)
            addWarning(diagnostics, line.line, "DTEND is before DTSTART; the event lasts one day");
        // DTEND equal to DTSTART (Thunderbird's separators) is read as the one day it names.
        timing.durationDays = std::max<std::int64_t>(timing.durationDays, 1);
        return;
    }
    ResolvedTime start;
    start.basis = timing.basis;
    start.zone = timing.zone;
    start.value.civil = civilFromLocalTime(timing.start);
    ResolvedTime endInStartBasis = end;
    if (end.value.isDate || end.basis == TimeBasis::Floating ||
        timing.basis == TimeBasis::Floating) {
        endInStartBasis.basis = timing.basis;
        endInStartBasis.zone = timing.zone;
    }
    const bool exact = timing.basis != TimeBasis::Floating;
    timing.durationSeconds =
        exact ? utcOf(endInStartBasis, zones) - utcOf(start, zones) : wallOf(end) - timing.start;
    if (timing.durationSeconds < 0) {
        addWarning(diagnostics, line.line, "DTEND is before DTSTART; the event has no length");
        timing.durationSeconds = 0;
    }
}

void lengthFromDuration(const ContentLine& line, EventTiming& timing, Diagnostics& diagnostics) {
    DurationValue duration;
    if (!parseDurationValue(trimmed(line.value), duration)) {
        addWarning(diagnostics, line.line,
                   "DURATION " + quoted(line.value) + " is invalid; ignored");
        timing.durationDays = timing.allDay ? 1 : 0;
        return;
    }
    if (duration.days < 0 || duration.seconds < 0) {
        addWarning(diagnostics, line.line, "negative DURATION ignored");
        duration = DurationValue();
    }
    if (timing.allDay) {
        // All-day events keep whole days: Google writes one day as PT86400S.
        const std::int64_t days =
            duration.days + (duration.seconds + kSecondsPerDay - 1) / kSecondsPerDay;
        timing.durationDays = std::max<std::int64_t>(days, 1);
        return;
    }
    timing.durationDays = duration.days;
    timing.durationSeconds = duration.seconds;
}

// Without DTEND or DURATION a date lasts one day and a date-time no time at all.
void readLength(const Component& vevent, ZoneResolver& zones, EventTiming& timing,
                Diagnostics& diagnostics) {
    timing.durationDays = timing.allDay ? 1 : 0;
    if (const ContentLine* line = vevent.property("DTEND")) {
        ResolvedTime end;
        if (resolveTime(*line, line->value, zones, end)) {
            lengthFromEnd(*line, end, timing, zones.zones(), diagnostics);
            return;
        }
        addWarning(diagnostics, line->line,
                   "DTEND " + quoted(line->value) + " is invalid; ignored");
    }
    if (const ContentLine* line = vevent.property("DURATION"))
        lengthFromDuration(*line, timing, diagnostics);
}

LocalTime untilInWallTime(const DateTimeValue& until, const EventTiming& timing,
                          const std::vector<ZoneDefinition>& zones) {
    const std::int64_t untilDay =
        dayNumberFromCivil(until.civil.year, until.civil.month, until.civil.day);
    if (timing.allDay)
        return untilDay * kSecondsPerDay;
    // A DATE UNTIL on a timed event (KOrganizer writes them) includes that whole day.
    if (until.isDate)
        return (untilDay + 1) * kSecondsPerDay - 1;
    const LocalTime written = localTimeFromCivil(until.civil);
    if (!until.isUtc || timing.basis == TimeBasis::Floating)
        return written;
    if (timing.basis == TimeBasis::Utc)
        return written;
    return localFromUtc(zones[static_cast<size_t>(timing.zone)], written);
}

// Each value of every line with the name (EXDATE and RDATE come as lists, on several lines).
template <typename Visit>
void forEachTimeValue(const Component& vevent, std::string_view name, ZoneResolver& zones,
                      Diagnostics& diagnostics, Visit visit) {
    for (const ContentLine& line : vevent.properties) {
        if (line.name != name)
            continue;
        for (std::string_view item : splitList(line.value, ',')) {
            ResolvedTime time;
            // A PERIOD (start/end or start/duration) of an EXDATE stands for its start.
            if (!resolveTime(line, item.substr(0, item.find('/')), zones, time)) {
                addWarning(diagnostics, line.line,
                           std::string(name) + " value " + quoted(item) + " is invalid; ignored");
                continue;
            }
            visit(time);
        }
    }
}

// A PERIOD's end, a date-time or a duration after its start, as a length like an event's. False,
// with a warning, for an end before the start or a length the series may not have.
bool readPeriodLength(const ContentLine& line, std::string_view endText, const ResolvedTime& start,
                      ZoneResolver& zones, const EventTiming& timing, ExtraPeriod& period,
                      Diagnostics& diagnostics) {
    endText = trimmed(endText);
    DurationValue duration;
    ResolvedTime end;
    if (!endText.empty() && (endText[0] == 'P' || endText[0] == '+' || endText[0] == '-')) {
        if (!parseDurationValue(endText, duration))
            duration.seconds = -1;
    } else if (resolveTime(line, endText, zones, end)) {
        const bool exact = start.basis != TimeBasis::Floating && end.basis != TimeBasis::Floating;
        duration.seconds = exact ? utcOf(end, zones.zones()) - utcOf(start, zones.zones())
                                 : wallOf(end) - wallOf(start);
    } else {
        duration.seconds = -1;
    }
    const std::int64_t length = duration.days * kSecondsPerDay + duration.seconds;
    if (duration.days < 0 || duration.seconds < 0 || length > kLongestRecurringLength) {
        addWarning(diagnostics, line.line,
                   "RDATE period ending " + quoted(endText) +
                       " is invalid; the occurrence lasts as the series does");
        return false;
    }
    if (timing.allDay) {
        period.durationDays =
            std::max<std::int64_t>(1, (length + kSecondsPerDay - 1) / kSecondsPerDay);
        return true;
    }
    period.durationDays = duration.days;
    period.durationSeconds = duration.seconds;
    return true;
}

// RDATE values; a PERIOD (start/end or start/duration) adds its start with its own length.
void readExtras(const Component& vevent, ZoneResolver& zones, const Event& event,
                Recurrence& recurrence, Diagnostics& diagnostics) {
    for (const ContentLine& line : vevent.properties) {
        if (line.name != "RDATE")
            continue;
        for (std::string_view item : splitList(line.value, ',')) {
            const size_t slash = item.find('/');
            ResolvedTime time;
            if (!resolveTime(line, item.substr(0, slash), zones, time)) {
                addWarning(diagnostics, line.line,
                           "RDATE value " + quoted(item) + " is invalid; ignored");
                continue;
            }
            const LocalTime start = instanceKey(event.timing, time, zones.zones());
            recurrence.extraStarts.push_back(start);
            ExtraPeriod period;
            period.start = start;
            if (slash != std::string_view::npos &&
                readPeriodLength(line, item.substr(slash + 1), time, zones, event.timing, period,
                                 diagnostics))
                recurrence.extraPeriods.push_back(period);
        }
    }
    std::stable_sort(recurrence.extraPeriods.begin(), recurrence.extraPeriods.end(),
                     [](const ExtraPeriod& a, const ExtraPeriod& b) { return a.start < b.start; });
    recurrence.extraPeriods.erase(
        std::unique(recurrence.extraPeriods.begin(), recurrence.extraPeriods.end(),
                    [](const ExtraPeriod& a, const ExtraPeriod& b) { return a.start == b.start; }),
        recurrence.extraPeriods.end());
}

void sortUnique(std::vector<LocalTime>& values) {
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
}

void readExceptionsAndExtras(const Component& vevent, ZoneResolver& zones, const Event& event,
                             Recurrence& recurrence, Diagnostics& diagnostics) {
    const EventTiming& timing = event.timing;
    forEachTimeValue(vevent, "EXDATE", zones, diagnostics, [&](const ResolvedTime& time) {
        const LocalTime key = instanceKey(timing, time, zones.zones());
        if (time.value.isDate && !timing.allDay)
            recurrence.excludedDays.push_back(dayNumberOf(key));
        else
            recurrence.excludedStarts.push_back(key);
    });
    readExtras(vevent, zones, event, recurrence, diagnostics);
    sortUnique(recurrence.excludedStarts);
    sortUnique(recurrence.extraStarts);
    std::sort(recurrence.excludedDays.begin(), recurrence.excludedDays.end());
}

void readRecurrence(const Component& vevent, ZoneResolver& zones, Event& event,
                    Diagnostics& diagnostics) {
    const ContentLine* rrule = vevent.property("RRULE");
    Recurrence recurrence;
    if (rrule != nullptr) {
        std::string reason;
        if (parseRecurrenceRule(rrule->value, recurrence.rule, reason) != RuleParse::Supported) {
            addWarning(diagnostics, rrule->line,
                       "RRULE not supported (" + reason + "); only the first occurrence is kept");
            return;
        }
        recurrence.hasRule = true;
        if (recurrence.rule.hasUntil)
            recurrence.until = untilInWallTime(recurrence.rule.until, event.timing, zones.zones());
    }
    readExceptionsAndExtras(vevent, zones, event, recurrence, diagnostics);
    event.recurring = recurrence.hasRule || !recurrence.extraStarts.empty();
    // Instances are at least a day apart, so each one longer than a year overlaps hundreds of
    // others, and one lasting centuries (a damaged year) thousands: every day would list them
    // all. Such an event is kept as its first occurrence.
    const std::int64_t length =
        event.timing.durationDays * kSecondsPerDay + event.timing.durationSeconds;
    if (event.recurring && length > kLongestRecurringLength) {
        addWarning(diagnostics, rrule != nullptr ? rrule->line : vevent.line,
                   "each occurrence would last more than a year; only the first occurrence is "
                   "kept");
        event.recurring = false;
        return;
    }
    const bool excludes = !recurrence.excludedStarts.empty() || !recurrence.excludedDays.empty();
    if (event.recurring || excludes)
        event.recurrence.set(std::move(recurrence));
}

int sequenceOf(const Component& vevent) {
    int sequence = 0;
    const ContentLine* line = vevent.property("SEQUENCE");
    if (line != nullptr && !parseInteger(line->value, 0, 1000000000, sequence))
        sequence = 0;
    return sequence;
}

bool readRecurrenceId(const Component& vevent, ZoneResolver& zones, ParsedEvent& parsed,
                      Diagnostics& diagnostics) {
    const ContentLine* line = vevent.property("RECURRENCE-ID");
    if (line == nullptr)
        return true;
    if (!resolveTime(*line, line->value, zones, parsed.recurrenceId)) {
        addWarning(diagnostics, line->line,
                   "RECURRENCE-ID " + quoted(line->value) + " is invalid; event skipped");
        return false;
    }
    parsed.hasRecurrenceId = true;
    return true;
}

} // namespace

ZoneResolver::ZoneResolver(std::vector<ZoneDefinition>& zones, Diagnostics& diagnostics)
    : zones_(zones), diagnostics_(diagnostics) {}

void ZoneResolver::addDefinition(ZoneDefinition zone) {
    if (byName_.count(zone.id) != 0)
        return; // the first definition of a TZID wins
    byName_[zone.id] = static_cast<int>(zones_.size());
    zones_.push_back(std::move(zone));
}

int ZoneResolver::resolve(const std::string& tzid, int line) {
    const auto known = byName_.find(tzid);
    if (known != byName_.end())
        return known->second;
    for (size_t i = 0; i < zones_.size(); ++i) {
        if (equalsIgnoringCase(zones_[i].id, tzid))
            return byName_[tzid] = static_cast<int>(i);
    }
    notDefined_.push_back(tzid);
    ZoneDefinition zone;
    switch (findKnownZone(tzid, zone)) {
    case KnownZoneMatch::Exact: break;
    case KnownZoneMatch::OffsetFromName:
        addWarning(diagnostics_, line,
                   "time zone " + quoted(tzid) +
                       " is not known; using the UTC offset in its name, without daylight time");
        break;
    case KnownZoneMatch::None:
        addWarning(diagnostics_, line,
                   "time zone " + quoted(tzid) +
                       " has no VTIMEZONE and is not known; its times are read as floating");
        return byName_[tzid] = -1;
    }
    byName_[tzid] = static_cast<int>(zones_.size());
    zones_.push_back(std::move(zone));
    return byName_[tzid];
}

bool ZoneResolver::askedFor(const std::string& tzid) const {
    return std::any_of(notDefined_.begin(), notDefined_.end(),
                       [&](const std::string& name) { return equalsIgnoringCase(name, tzid); });
}

LocalTime instanceKey(const EventTiming& master, const ResolvedTime& time,
                      const std::vector<ZoneDefinition>& zones) {
    const LocalTime written = wallOf(time);
    if (master.allDay)
        return dayNumberOf(written) * kSecondsPerDay;
    if (time.value.isDate) // a date against timed instances: that day at the master's time
        return dayNumberOf(written) * kSecondsPerDay + secondOfDay(master.start);
    if (master.basis == TimeBasis::Floating || time.basis == TimeBasis::Floating)
        return written;
    const LocalTime utc = utcOf(time, zones);
    if (master.basis == TimeBasis::Utc)
        return utc;
    return localFromUtc(zones[static_cast<size_t>(master.zone)], utc);
}

bool buildEvent(const Component& vevent, ZoneResolver& zones, Event& event, ParsedEvent& parsed,
                Diagnostics& diagnostics) {
    event.line = vevent.line;
    event.bytes.begin = vevent.begin;
    event.bytes.end = vevent.end;
    event.endLineBegin = vevent.endLineBegin;
    if (const ContentLine* uid = vevent.property("UID"))
        event.uid = std::string(trimmed(uid->value));
    event.cancelled = propertyIs(vevent, "STATUS", "CANCELLED");
    parsed.sequence = sequenceOf(vevent);
    if (!readRecurrenceId(vevent, zones, parsed, diagnostics))
        return false;
    const bool onlyCancels = parsed.hasRecurrenceId && event.cancelled;
    if (onlyCancels && vevent.property("DTSTART") == nullptr)
        return true;
    if (!readStart(vevent, zones, event, diagnostics))
        return false;
    parsed.hasStart = true;
    readLength(vevent, zones, event.timing, diagnostics);
    event.details = detailsOf(vevent);
    if (!parsed.hasRecurrenceId)
        readRecurrence(vevent, zones, event, diagnostics);
    return true;
}

} // namespace daybrook::ical
