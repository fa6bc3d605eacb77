// VEVENT components to events. Internal to the reader.
#pragma once

#include "calendar.h"
#include "components.h"
#include "property_values.h"

#include <map>

namespace daybrook::ical {

// A DATE or DATE-TIME property value with its zone resolved.
struct ResolvedTime {
    DateTimeValue value;
    TimeBasis basis = TimeBasis::Floating;
    int zone = -1;
};

// Finds the zone a TZID names: the file's VTIMEZONEs first, then the built-in table. Unknown
// names are reported once and their times read as floating.
class ZoneResolver {
public:
    ZoneResolver(std::vector<ZoneDefinition>& zones, Diagnostics& diagnostics);

    void addDefinition(ZoneDefinition zone);
    int resolve(const std::string& tzid, int line); // index into zones, or -1
    // Whether an event asked for the zone (any case) before the file defined it.
    bool askedFor(const std::string& tzid) const;
    const std::vector<ZoneDefinition>& zones() const { return zones_; }

private:
    std::vector<ZoneDefinition>& zones_;
    Diagnostics& diagnostics_;
    std::map<std::string, int> byName_;   // every name asked for, -1 when unknown
    std::vector<std::string> notDefined_; // names asked for that no definition answered
};

// What reading an event learns besides the event itself, kept beside it until overrides are
// attached to their series.
struct ParsedEvent {
    bool hasRecurrenceId = false;
    bool hasStart = false; // false only for an override that just cancels its instance
    ResolvedTime recurrenceId;
    int sequence = 0;
};

// Fills a freshly constructed `event` and `parsed`. False, with a warning naming the line and
// property, when the event cannot be shown (no or an invalid DTSTART); overrides that only cancel
// an instance need no DTSTART.
bool buildEvent(const Component& vevent, ZoneResolver& zones, Event& event, ParsedEvent& parsed,
                Diagnostics& diagnostics);

// Where a RECURRENCE-ID, EXDATE or RDATE value falls in the master's wall time. A UTC value
// against a zoned master is converted; against an all-day master only its date counts (Google
// writes RECURRENCE-ID:20070101T000000Z for the all-day New Year instance).
LocalTime instanceKey(const EventTiming& master, const ResolvedTime& time,
                      const std::vector<ZoneDefinition>& zones);

} // namespace daybrook::ical
