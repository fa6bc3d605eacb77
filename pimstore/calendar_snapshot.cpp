#include "calendar_snapshot.h"

#include <algorithm>
#include <deque>
#include <string_view>

namespace pimstore {

namespace ical = daybrook::ical;

namespace {

// The emulated object store's own identifier for the calendar database is never an item's.
const LONG kReservedOid = 0x00010001;

std::uint32_t fnv1a(const void* data, size_t length, std::uint32_t hash = 2166136261u) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < length; ++i) {
        hash ^= bytes[i];
        hash *= 16777619u;
    }
    return hash;
}

// The UID as written, or else a key made of summary and start, kept in `made`.
std::string_view identityOf(const ical::Event& event, std::deque<std::string>& made) {
    if (!event.uid.empty())
        return event.uid;
    std::string key(reinterpret_cast<const char*>(event.details.summary.data()),
                    event.details.summary.size() * sizeof(char16_t));
    made.push_back(key + "\x01" + std::to_string(event.timing.start));
    return made.back();
}

// How many events before each one have its identity: one flat table of the first event of each
// identity, whose count grows as its repeats are met in file order.
class IdentityOrdinals {
public:
    explicit IdentityOrdinals(size_t events) : firstOf_(slotsFor(events), -1), counts_(events, 0) {
        identities_.reserve(events);
    }

    int next(std::string_view identity, std::uint32_t hash) {
        const int event = static_cast<int>(identities_.size());
        identities_.push_back(identity);
        const size_t mask = firstOf_.size() - 1;
        for (size_t slot = (hash * 2654435761u) & mask;; slot = (slot + 1) & mask) {
            const int first = firstOf_[slot];
            if (first < 0) {
                firstOf_[slot] = event;
                counts_[static_cast<size_t>(event)] = 1;
                return 0;
            }
            if (identities_[static_cast<size_t>(first)] == identity)
                return counts_[static_cast<size_t>(first)]++;
        }
    }

private:
    static size_t slotsFor(size_t events) {
        size_t slots = 16;
        while (slots < events * 2)
            slots *= 2;
        return slots;
    }

    std::vector<int> firstOf_; // by identity hash; -1 empty
    std::vector<int> counts_;  // by event, for the first of each identity
    std::vector<std::string_view> identities_;
};

ical::LocalTime latestStartOf(const ical::Calendar& calendar) {
    ical::LocalTime latest = 0;
    for (const ical::Event& event : calendar.events) {
        latest = std::max(latest, event.timing.start);
        if (!event.recurrence->extraStarts.empty())
            latest = std::max(latest, event.recurrence->extraStarts.back());
        for (const ical::Override& replacement : event.overrides)
            latest = std::max(latest, replacement.timing.start);
    }
    // Wall times of other zones are within a day of the device's.
    return latest + ical::kSecondsPerDay;
}

void listFirstOccurrences(CalendarSnapshot& snapshot) {
    snapshot.firstOccurrences = snapshot.index->allEventsByStart();
    for (const ical::Occurrence& first : snapshot.firstOccurrences) {
        if (snapshot.isSeries(first.event))
            snapshot.seriesFirstOccurrences.push_back(first);
    }
}

std::shared_ptr<const CalendarSnapshot>
assembleSnapshot(const std::wstring& path, bool fileFound, ical::Calendar calendar,
                 std::vector<LONG> oids, OidTable eventByOid, std::vector<CalendarPart> parts,
                 const ical::ZoneRule& zone) {
    // Built in place: the index keeps a reference to the calendar beside it.
    auto snapshot = std::make_shared<CalendarSnapshot>();
    snapshot->path = path;
    snapshot->fileFound = fileFound;
    snapshot->zone = zone;
    snapshot->calendar = std::move(calendar);
    snapshot->index = std::make_unique<ical::OccurrenceIndex>(snapshot->calendar, zone);
    snapshot->blocks = std::make_unique<OccurrenceBlocks>(*snapshot->index);
    snapshot->oids = std::move(oids);
    snapshot->eventByOid = std::move(eventByOid);
    snapshot->latestStart = latestStartOf(snapshot->calendar);
    snapshot->parts = std::move(parts);
    listFirstOccurrences(*snapshot);
    return snapshot;
}

} // namespace

std::vector<LONG> assignOids(const ical::Calendar& calendar, OidTable* eventByOid) {
    const size_t events = calendar.events.size();
    std::vector<LONG> oids;
    oids.reserve(events);
    std::deque<std::string> made; // grows without moving the keys already made
    IdentityOrdinals ordinals(events);
    OidTable used(events + 1);
    used.insert(kReservedOid, -1);
    for (const ical::Event& event : calendar.events) {
        const std::string_view identity = identityOf(event, made);
        std::uint32_t hash = fnv1a(identity.data(), identity.size());
        const int ordinal = ordinals.next(identity, hash);
        hash = fnv1a(&ordinal, sizeof ordinal, hash);
        // Positive and nonzero; a collision takes the next free value, in file order.
        LONG oid = static_cast<LONG>(hash & 0x7FFFFFFF);
        while (oid == 0 || used.contains(oid))
            oid = static_cast<LONG>((static_cast<std::uint32_t>(oid) + 1) & 0x7FFFFFFF);
        used.insert(oid, static_cast<int>(oids.size()));
        oids.push_back(oid);
    }
    if (eventByOid)
        *eventByOid = std::move(used);
    return oids;
}

int CalendarSnapshot::eventOf(LONG oid) const {
    return eventByOid.find(oid);
}

bool CalendarSnapshot::isSeries(int event) const {
    const ical::Event& target = eventAt(event);
    return target.recurring || !target.overrides.empty();
}

std::string CalendarSnapshot::eventText(int event) const {
    const ical::Event& target = eventAt(event);
    const std::string& bytes = calendar.bytes;
    std::string text = bytes.substr(target.bytes.begin, target.bytes.end - target.bytes.begin);
    for (const ical::Override& replacement : target.overrides)
        text.append(bytes, replacement.bytes.begin,
                    replacement.bytes.end - replacement.bytes.begin);
    return text;
}

const CalendarPart* CalendarSnapshot::partOf(int event) const {
    for (const CalendarPart& part : parts) {
        if (event >= part.firstEvent && event < part.firstEvent + part.eventCount)
            return &part;
    }
    return nullptr;
}

std::shared_ptr<const CalendarSnapshot> buildSnapshot(const std::wstring& path, bool fileFound,
                                                      std::string bytes,
                                                      const ical::ZoneRule& zone) {
    ical::Calendar calendar;
    if (fileFound)
        calendar = ical::readCalendar(std::move(bytes));
    OidTable eventByOid;
    std::vector<LONG> oids = assignOids(calendar, &eventByOid);
    CalendarPart part;
    part.path = part.name = path;
    part.found = fileFound;
    part.byteEnd = calendar.bytes.size();
    part.eventCount = static_cast<int>(calendar.events.size());
    return assembleSnapshot(path, fileFound, std::move(calendar), std::move(oids),
                            std::move(eventByOid), {part}, zone);
}

std::shared_ptr<const CalendarSnapshot>
buildSnapshot(const std::wstring& path, bool fileFound, ical::Calendar calendar,
              std::vector<LONG> oids, std::vector<CalendarPart> parts, const ical::ZoneRule& zone) {
    OidTable eventByOid(oids.size());
    for (size_t i = 0; i < oids.size(); ++i)
        eventByOid.insert(oids[i], static_cast<int>(i));
    return assembleSnapshot(path, fileFound, std::move(calendar), std::move(oids),
                            std::move(eventByOid), std::move(parts), zone);
}

} // namespace pimstore
