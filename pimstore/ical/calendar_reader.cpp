#include "calendar.h"

#include "components.h"
#include "event_builder.h"
#include "zone_builder.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <unordered_map>

namespace daybrook::ical {

namespace {

// A VEVENT line in upper case, as writers put it: room for the events is made once.
size_t likelyEventCount(std::string_view bytes) {
    size_t count = 0;
    for (size_t at = bytes.find("BEGIN:VEVENT"); at != std::string_view::npos;
         at = bytes.find("BEGIN:VEVENT", at + 12))
        ++count;
    return count;
}

// An event with RECURRENCE-ID, by its place among the events, with what it replaces.
struct ParsedOverride {
    size_t event = 0;
    ParsedEvent parsed;
};

// Builds events and zones as their components end. A zone an event asked for before the file
// defined it was read from the built-in table: the file is then read again with every zone of
// the file known from the start.
class EventReader final : public CalendarChildSink {
public:
    EventReader(Calendar& calendar, const std::vector<ZoneDefinition>& knownFirst)
        : zones_(calendar.zones, calendar.diagnostics), diagnostics_(calendar.diagnostics) {
        for (const ZoneDefinition& zone : knownFirst)
            zones_.addDefinition(zone);
        events_.reserve(likelyEventCount(calendar.bytes));
    }

    void accept(Component& child) override {
        if (child.name == "VEVENT") {
            events_.emplace_back();
            ParsedEvent parsed;
            if (!buildEvent(child, zones_, events_.back(), parsed, diagnostics_))
                events_.pop_back();
            else if (parsed.hasRecurrenceId)
                overrides_.push_back({events_.size() - 1, parsed});
            return;
        }
        if (child.name != "VTIMEZONE")
            return;
        ZoneDefinition zone;
        if (!buildZoneDefinition(child, zone, diagnostics_))
            return;
        definedLate_ = definedLate_ || zones_.askedFor(zone.id);
        defined_.push_back(zone);
        zones_.addDefinition(std::move(zone));
    }

    bool zoneDefinedAfterUse() const { return definedLate_; }
    std::vector<ZoneDefinition>& definedZones() { return defined_; }
    std::vector<Event>& events() { return events_; }
    const std::vector<ParsedOverride>& overrides() const { return overrides_; }

private:
    ZoneResolver zones_;
    Diagnostics& diagnostics_;
    std::vector<Event> events_;
    std::vector<ParsedOverride> overrides_; // in file order
    std::vector<ZoneDefinition> defined_;
    bool definedLate_ = false;
};

// The override's own parts move into it: its event is dropped once attached.
Override overrideFrom(const ParsedEvent& parsed, Event& replacement, const Event& master,
                      const std::vector<ZoneDefinition>& zones) {
    Override result;
    result.instance = instanceKey(master.timing, parsed.recurrenceId, zones);
    result.cancelled = replacement.cancelled;
    result.sequence = parsed.sequence;
    result.timing = replacement.timing;
    result.details = std::move(replacement.details);
    result.bytes = replacement.bytes;
    result.line = replacement.line;
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
// before any override is attached. Overrides without a master in the file stand alone. The
// events are kept in place, in file order, the attached overrides taken out.
void linkOverrides(std::vector<Event>& events, const std::vector<ParsedOverride>& overrides,
                   const std::vector<ZoneDefinition>& zones, Diagnostics& diagnostics) {
    if (overrides.empty())
        return;
    std::vector<unsigned char> isOverride(events.size(), 0);
    for (const ParsedOverride& found : overrides)
        isOverride[found.event] = 1;
    // Views of the masters' UIDs: the events do not move until the overrides are attached.
    std::unordered_map<std::string_view, size_t> masterByUid;
    masterByUid.reserve(events.size());
    for (size_t i = 0; i < events.size(); ++i) {
        if (!isOverride[i] && !events[i].uid.empty())
            masterByUid.emplace(events[i].uid, i);
    }
    std::vector<unsigned char> kept(events.size(), 1);
    for (const ParsedOverride& found : overrides) {
        const size_t i = found.event;
        const auto master = masterByUid.find(events[i].uid);
        if (master != masterByUid.end()) {
            Event& masterEvent = events[master->second];
            addOverride(masterEvent, overrideFrom(found.parsed, events[i], masterEvent, zones));
            kept[i] = 0;
            continue;
        }
        addWarning(diagnostics, events[i].line,
                   "RECURRENCE-ID without its series in the file; shown as a single event");
        kept[i] =
            found.parsed.hasStart ? 1 : 0; // without a start it cancels an instance of nothing
    }
    size_t written = 0;
    for (size_t i = 0; i < events.size(); ++i) {
        if (!kept[i])
            continue;
        if (written != i)
            events[written] = std::move(events[i]);
        ++written;
    }
    events.erase(events.begin() + static_cast<std::ptrdiff_t>(written), events.end());
    for (Event& event : events) {
        std::sort(event.overrides.begin(), event.overrides.end(),
                  [](const Override& a, const Override& b) { return a.instance < b.instance; });
    }
}

} // namespace

Calendar readCalendar(std::string bytes) {
    Calendar calendar;
    calendar.bytes = std::move(bytes);
    auto reader = std::make_unique<EventReader>(calendar, std::vector<ZoneDefinition>());
    if (!readComponents(calendar.bytes, *reader, calendar.diagnostics)) {
        calendar.rejected = true;
        calendar.zones.clear();
        return calendar;
    }
    if (reader->zoneDefinedAfterUse()) {
        const std::vector<ZoneDefinition> fileZones = std::move(reader->definedZones());
        reader.reset();
        calendar.zones.clear();
        calendar.diagnostics.clear();
        reader = std::make_unique<EventReader>(calendar, fileZones);
        readComponents(calendar.bytes, *reader, calendar.diagnostics);
    }
    calendar.events = std::move(reader->events());
    linkOverrides(calendar.events, reader->overrides(), calendar.zones, calendar.diagnostics);
    reader.reset();
    std::stable_sort(calendar.diagnostics.begin(), calendar.diagnostics.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
    return calendar;
}

} // namespace daybrook::ical
