// Which appointments a collection holds and in which order.
#pragma once

#include "calendar_snapshot.h"
#include "item_filter.h"

#include <memory>
#include <vector>

namespace pimstore {

enum class SortKey { Start, End, Subject };

struct SortOrder {
    SortKey key = SortKey::Start;
    bool descending = false;
};

// "[Start]", "[End]" or "[Subject]" (brackets optional, any case); E_INVALIDARG otherwise.
HRESULT parseSortProperty(const WCHAR* text, SortKey& key);

// The facts filters look at; the event's details only when withDetails.
ItemFacts factsOf(const CalendarSnapshot& snapshot, const daybrook::ical::Occurrence& item,
                  bool withDetails = true);

using FilterList = std::vector<std::shared_ptr<const ItemFilter>>;

// The end the object model reports: an all-day event ends in the last minute of its last day,
// as on the device, so that a day's filter does not find it again on the following day.
daybrook::ical::LocalTime reportedEnd(const CalendarSnapshot& snapshot,
                                      const daybrook::ical::Occurrence& item);

using Clock = daybrook::ical::LocalTime (*)();

// The snapshot's appointments that match every filter, by start then file order. With
// recurrences every occurrence is one item; without, every event is one item, a series by its
// first occurrence. Only the filters' time window is looked up.
//
// With recurrences and no end to the window, endless series never run out: the list then grows
// by spans of time, as far as the items asked for (it is ordered by start, so a span's items
// come after all earlier ones), and ends five years past the latest of the window's start, the
// calendar's last start and now (asked of the clock only then), or further, where the next
// occurrence of a series lies beyond that.
class AppointmentList {
public:
    // The filters are read, not copied: they must live as long as the list.
    void start(const CalendarSnapshot& snapshot, const FilterList& filters, bool includeRecurrences,
               Clock clock);
    // A list made elsewhere, complete.
    void assign(std::vector<daybrook::ical::Occurrence> items);
    // Lists on until it holds `count` items or has them all.
    void listAtLeast(const CalendarSnapshot& snapshot, size_t count);
    void listAll(const CalendarSnapshot& snapshot);
    std::vector<daybrook::ical::Occurrence>& items() { return items_; }

private:
    bool complete() const { return listedUntil_ >= limit_; }
    // Extends the list by a span; false when it has everything.
    bool listMore(const CalendarSnapshot& snapshot);
    void extend(const CalendarSnapshot& snapshot);

    const FilterList* filters_ = nullptr;
    std::vector<daybrook::ical::Occurrence> items_;
    daybrook::ical::LocalTime listedUntil_ = 0; // every item starting earlier is listed
    daybrook::ical::LocalTime limit_ = 0;
    daybrook::ical::LocalTime span_ = 0;
    daybrook::ical::LocalTime windowStart_ = 0;
    bool reachesEverySeries_ = true; // the limit holds every series' next occurrence
};

// The items that match the filter, in their order.
std::vector<daybrook::ical::Occurrence>
narrowed(const CalendarSnapshot& snapshot, const std::vector<daybrook::ical::Occurrence>& items,
         const ItemFilter& filter);

bool isByStartAscending(const SortOrder& order);

// Stable: items with equal keys keep their order, whichever the direction.
void sortAppointments(const CalendarSnapshot& snapshot,
                      std::vector<daybrook::ical::Occurrence>& items, const SortOrder& order);

} // namespace pimstore
