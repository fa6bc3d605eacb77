// Which appointments a collection holds and in which order.
#pragma once

#include "calendar_snapshot.h"
#include "item_filter.h"

#include <vector>

namespace pimstore {

enum class SortKey { Start, End, Subject };

struct SortOrder {
    SortKey key = SortKey::Start;
    bool descending = false;
};

// "[Start]", "[End]" or "[Subject]" (brackets optional, any case); E_INVALIDARG otherwise.
HRESULT parseSortProperty(const WCHAR* text, SortKey& key);

ItemFacts factsOf(const CalendarSnapshot& snapshot, const daybrook::ical::Occurrence& item);

// The snapshot's appointments that match every filter, by start then file order. With
// recurrences every occurrence is one item; without, every event is one item, a series by its
// first occurrence. Only the filters' time window is looked up. Where the filters leave the
// future open, endless series are listed up to a year past the later of the calendar's last
// start and now (asked of `clock` only then).
using Clock = daybrook::ical::LocalTime (*)();
std::vector<daybrook::ical::Occurrence>
listAppointments(const CalendarSnapshot& snapshot, const std::vector<const ItemFilter*>& filters,
                 bool includeRecurrences, Clock clock);

// The items that match the filter, in their order.
std::vector<daybrook::ical::Occurrence>
narrowed(const CalendarSnapshot& snapshot, const std::vector<daybrook::ical::Occurrence>& items,
         const ItemFilter& filter);

// Stable: items with equal keys keep their order, whichever the direction.
void sortAppointments(const CalendarSnapshot& snapshot,
                      std::vector<daybrook::ical::Occurrence>& items, const SortOrder& order);

} // namespace pimstore
