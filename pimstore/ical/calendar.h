// The appointment model read from one iCalendar file, and the reader that builds it.
//
//   Calendar calendar = readCalendar(fileBytes);
//   if (calendar.rejected) ... show calendar.diagnostics; nothing was loaded
//   OccurrenceIndex index(calendar, deviceZone);   // occurrence_index.h
//
// Everything here is plain data in the events' own wall time; OccurrenceIndex converts to the
// device's local time. No Win32 types, so the same code runs under the fuzzer.
#pragma once

#include "diagnostics.h"
#include "recurrence_expander.h"
#include "recurrence_rule.h"
#include "zone_rule.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace daybrook::ical {

// Pocket Outlook's OlBusyStatus values.
enum class BusyStatus { Free = 0, Tentative = 1, Busy = 2, OutOfOffice = 3 };

enum class TimeBasis {
    Floating, // no zone: the device's wall clock, whatever zone it is in
    Utc,
    Zoned, // a TZID: Calendar::zones[zone]
};

struct EventTiming {
    bool allDay = false; // DATE values; always Floating, start at midnight
    TimeBasis basis = TimeBasis::Floating;
    int zone = -1;
    LocalTime start = 0; // DTSTART's wall time in its basis
    // End = start + durationDays (calendar days, in wall time) + durationSeconds (exact), so an
    // all-day event keeps whole days and a timed one its length across a daylight saving change.
    std::int64_t durationDays = 0;
    std::int64_t durationSeconds = 0;
};

// What an occurrence shows. Text is UTF-16 with escapes resolved (LOCATION's "\n" is U+000A).
struct EventDetails {
    std::u16string summary;
    std::u16string location;
    std::u16string description;
    BusyStatus busyStatus = BusyStatus::Busy;
};

struct ByteRange {
    size_t begin = 0; // the BEGIN:VEVENT line
    size_t end = 0;   // just past the line break of END:VEVENT
};

// A VEVENT with RECURRENCE-ID that replaces one instance of its series.
struct Override {
    LocalTime instance = 0; // the replaced instance's start in the master's wall time
    bool cancelled = false; // STATUS:CANCELLED: the instance is removed, nothing replaces it
    int sequence = 0;
    EventTiming timing;
    EventDetails details;
    ByteRange bytes;
    // Other VEVENTs for the same instance that this one won over: they go when it goes, so that
    // none of them stands in for the instance once it is deleted.
    std::vector<ByteRange> supersededBytes;
    int line = 0;
};

// An RDATE;VALUE=PERIOD instance: it lasts as its period says, not as the series does.
struct ExtraPeriod {
    LocalTime start = 0; // wall time, as in Recurrence::extraStarts
    std::int64_t durationDays = 0;
    std::int64_t durationSeconds = 0;
};

struct Recurrence {
    bool hasRule = false;
    RecurrenceRule rule;
    LocalTime until = kNoUntil;             // UNTIL in the event's wall time, inclusive
    std::vector<LocalTime> extraStarts;     // RDATE, wall time, sorted, unique
    std::vector<ExtraPeriod> extraPeriods;  // those RDATEs that are periods, sorted, unique
    std::vector<LocalTime> excludedStarts;  // EXDATE date-times, wall time, sorted
    std::vector<std::int64_t> excludedDays; // EXDATE dates against timed instances, day numbers
};

// A part most events lack, held apart so that events stay small; reads as a default one when
// absent. Copies are deep.
template <typename T> class Sparse {
public:
    Sparse() = default;
    Sparse(const Sparse& other) : value_(other.value_ ? new T(*other.value_) : nullptr) {}
    Sparse(Sparse&&) noexcept = default;
    Sparse& operator=(const Sparse& other) {
        value_.reset(other.value_ ? new T(*other.value_) : nullptr);
        return *this;
    }
    Sparse& operator=(Sparse&&) noexcept = default;

    const T& operator*() const { return value_ ? *value_ : absent(); }
    const T* operator->() const { return &**this; }
    void set(T value) { value_.reset(new T(std::move(value))); }

private:
    static const T& absent() {
        static const T none;
        return none;
    }
    std::unique_ptr<T> value_;
};

struct Event {
    std::string uid;       // as written (UTF-8 bytes)
    std::string startTzid; // DTSTART's TZID parameter as written, for EXDATEs that must match
    EventDetails details;
    EventTiming timing;
    bool cancelled = false;        // STATUS:CANCELLED: kept for writing back, never shown
    bool recurring = false;        // a supported RRULE or RDATE; unsupported rules leave it single
    Sparse<Recurrence> recurrence; // only for series and events with exceptions
    std::vector<Override> overrides; // sorted by instance
    ByteRange bytes;
    size_t endLineBegin = 0; // offset of the END:VEVENT line: new EXDATE lines go before it
    int line = 0;
};

struct Calendar {
    std::string bytes;     // the file exactly as read, for writing back
    bool rejected = false; // an Error diagnostic: events is empty and the file is never rewritten
    Diagnostics diagnostics;
    std::vector<Event> events; // in file order; overrides live inside their master
    std::vector<ZoneDefinition> zones;
};

// Never fails outright: problems are in diagnostics. The whole file is rejected for data that is
// not a calendar (binary, no BEGIN:VCALENDAR) and for broken structure (BEGIN/END mismatched or
// unterminated). Single events with bad DTSTART and the like are skipped with a warning; stray
// lines are ignored with a warning and the rest is kept.
Calendar readCalendar(std::string bytes);

// Pocket Outlook's olRecurs... values for RecurrencePattern::RecurrenceType.
enum class PocketRecurrenceType {
    Daily = 0,
    Weekly = 1,
    Monthly = 2,  // by day of month
    MonthNth = 3, // "second Tuesday"
    Yearly = 5,
    YearNth = 6,
};

} // namespace daybrook::ical
