#include "calendar.h"

#include "components.h"
#include "event_builder.h"
#include "zone_builder.h"

#include <algorithm>
#include <map>

namespace daybrook::ical {

namespace {

void readZones(const std::vector<Component>& calendars, ZoneResolver& zones,
               Diagnostics& diagnostics) {
    for (const Component& calendar : calendars) {
        for (const Component& child : calendar.children) {
            if (child.name != "VTIMEZONE")
                continue;
            ZoneDefinition zone;
            if (buildZoneDefinition(child, zone, diagnostics))
                zones.addDefinition(std::move(zone));
        }
    }
}

std::vector<ParsedEvent> readEvents(const std::vector<Component>& calendars, ZoneResolver& zones,
                                    Diagnostics& diagnostics) {
    std::vector<ParsedEvent> events;
    size_t count = 0;
    for (const Component& calendar : calendars)
        count += calendar.children.size();
    events.reserve(count);
    for (const Component& calendar : calendars) {
        for (const Component& child : calendar.children) {
            if (child.name != "VEVENT")
                continue;
            events.emplace_back();
            if (!buildEvent(child, zones, events.back(), diagnostics))
                events.pop_back();
        }
    }
    return events;
}

Override overrideFrom(const ParsedEvent& parsed, const Event& master,
                      const std::vector<ZoneDefinition>& zones) {
    Override result;
    result.instance = instanceKey(master.timing, parsed.recurrenceId, zones);
    result.cancelled = parsed.event.cancelled;
    result.sequence = parsed.sequence;
    result.timing = parsed.event.timing;
    result.details = parsed.event.details;
    result.bytes = parsed.event.bytes;
    result.line = parsed.event.line;
    return result;
}

// Two overrides of one instance: the higher SEQUENCE wins, then the later one in the file. The
// winner keeps the loser's bytes, to be deleted with it.
void addOverride(Event& master, Override added) {
    for (Override& existing : master.overrides) {
        if (existing.instance != added.instance)
            continue;
        Override* winner = &existing;
        Override* loser = &added;
        if (added.sequence >= existing.sequence)
            std::swap(winner, loser);
        winner->supersededBytes.push_back(loser->bytes);
        winner->supersededBytes.insert(winner->supersededBytes.end(),
                                       loser->supersededBytes.begin(),
                                       loser->supersededBytes.end());
        if (winner == &added)
            existing = std::move(added);
        return;
    }
    master.overrides.push_back(std::move(added));
}

// Overrides may come before their master (Apple iCal writes them first), so masters are found
// before any override is attached. Overrides without a master in the file stand alone.
std::vector<Event> linkOverrides(std::vector<ParsedEvent>& parsed,
                                 const std::vector<ZoneDefinition>& zones,
                                 Diagnostics& diagnostics) {
    std::map<std::string, size_t> masterByUid;
    std::vector<long> outputIndex(parsed.size(), -1);
    std::vector<Event> events;
    events.reserve(parsed.size());
    for (size_t i = 0; i < parsed.size(); ++i) {
        const bool isMaster = !parsed[i].hasRecurrenceId;
        if (isMaster && !parsed[i].event.uid.empty())
            masterByUid.emplace(parsed[i].event.uid, i);
    }
    for (size_t i = 0; i < parsed.size(); ++i) {
        const auto master = masterByUid.find(parsed[i].event.uid);
        const bool attaches = parsed[i].hasRecurrenceId && master != masterByUid.end();
        if (attaches)
            continue;
        if (parsed[i].hasRecurrenceId) {
            addWarning(diagnostics, parsed[i].event.line,
                       "RECURRENCE-ID without its series in the file; shown as a single event");
            if (!parsed[i].hasStart)
                continue; // cancels an instance of nothing we have
        }
        outputIndex[i] = static_cast<long>(events.size());
        events.push_back(std::move(parsed[i].event));
    }
    for (size_t i = 0; i < parsed.size(); ++i) {
        const auto master = masterByUid.find(parsed[i].event.uid);
        if (!parsed[i].hasRecurrenceId || outputIndex[i] >= 0 || master == masterByUid.end())
            continue; // a master, a stand-alone override, or a cancellation of nothing
        Event& masterEvent = events[static_cast<size_t>(outputIndex[master->second])];
        addOverride(masterEvent, overrideFrom(parsed[i], masterEvent, zones));
    }
    for (Event& event : events) {
        std::sort(event.overrides.begin(), event.overrides.end(),
                  [](const Override& a, const Override& b) { return a.instance < b.instance; });
    }
    return events;
}

} // namespace

Calendar readCalendar(std::string bytes) {
    Calendar calendar;
    calendar.bytes = std::move(bytes);
    std::vector<Component> calendars;
    if (!readComponents(calendar.bytes, calendars, calendar.diagnostics)) {
        calendar.rejected = true;
        return calendar;
    }
    ZoneResolver zones(calendar.zones, calendar.diagnostics);
    readZones(calendars, zones, calendar.diagnostics);
    std::vector<ParsedEvent> parsed = readEvents(calendars, zones, calendar.diagnostics);
    calendar.events = linkOverrides(parsed, calendar.zones, calendar.diagnostics);
    std::stable_sort(calendar.diagnostics.begin(), calendar.diagnostics.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
    return calendar;
}

} // namespace daybrook::ical
