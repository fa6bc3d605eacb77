// One loaded state of the calendar file. Immutable once built and shared (std::shared_ptr) by
// every collection and appointment made from it, so that a reload never frees what they read.
#pragma once

#include "calendar.h"
#include "occurrence_blocks.h"
#include "occurrence_index.h"
#include "oid_table.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace pimstore {

// One calendar file of the snapshot: the store shows several merged, and each event stays with
// the file it came from.
struct CalendarPart {
    std::wstring path;     // the file read: a subscription's copy on the device
    std::wstring name;     // for messages: the file, or the address of a subscription
    bool readOnly = false; // a subscription: never written back
    bool found = false;    // read, and its events are in the snapshot
    size_t byteBegin = 0;  // its bytes within calendar.bytes
    size_t byteEnd = 0;
    int firstEvent = 0; // its events within calendar.events
    int eventCount = 0;
};

struct CalendarSnapshot {
    std::wstring path; // the one file, or the calendars' names joined
    bool fileFound = false;
    daybrook::ical::ZoneRule zone; // the device's, which the index converts to
    daybrook::ical::Calendar calendar;
    std::unique_ptr<daybrook::ical::OccurrenceIndex> index; // refers to calendar
    std::unique_ptr<OccurrenceBlocks> blocks;               // answers windows from index
    std::vector<LONG> oids;                                 // per event; never 0
    OidTable eventByOid;
    // Every shown event once (a series as its first occurrence), by start then file order.
    std::vector<daybrook::ical::Occurrence> firstOccurrences;
    // The same for series only, which a query without recurrences checks one by one.
    std::vector<daybrook::ical::Occurrence> seriesFirstOccurrences;
    daybrook::ical::LocalTime latestStart = 0; // of any event, nearly (a day's margin)
    std::vector<CalendarPart> parts;           // in calendar order; one for a single file

    // The part an event came from; null for an index out of range.
    const CalendarPart* partOf(int event) const;

    // -1 when no event has that identifier.
    int eventOf(LONG oid) const;
    bool isSeries(int event) const;
    LONG oidOf(const daybrook::ical::Occurrence& occurrence) const {
        return oids[static_cast<size_t>(occurrence.event)];
    }
    const daybrook::ical::Event& eventAt(int event) const {
        return calendar.events[static_cast<size_t>(event)];
    }
    // The file text of an event: its VEVENT and those of its overrides.
    std::string eventText(int event) const;
};

std::shared_ptr<const CalendarSnapshot> buildSnapshot(const std::wstring& path, bool fileFound,
                                                      std::string bytes,
                                                      const daybrook::ical::ZoneRule& zone);

// The same from calendars already read and merged, with their identifiers and parts.
std::shared_ptr<const CalendarSnapshot> buildSnapshot(const std::wstring& path, bool fileFound,
                                                      daybrook::ical::Calendar calendar,
                                                      std::vector<LONG> oids,
                                                      std::vector<CalendarPart> parts,
                                                      const daybrook::ical::ZoneRule& zone);

// Identifiers that stay the same for an event as long as its UID (or, without one, its summary
// and start) does, whatever happens to the other events of the file. eventByOid, when given,
// receives each identifier with its event's index.
std::vector<LONG> assignOids(const daybrook::ical::Calendar& calendar,
                             OidTable* eventByOid = nullptr);

} // namespace pimstore
