#include "appointment_listing.h"

#include "text.h"

#include <algorithm>
#include <limits>

namespace pimstore {

namespace ical = daybrook::ical;

namespace {

// Far enough to reach the next occurrence of any yearly series, 29 February included.
const ical::LocalTime kOpenFutureReach = 5 * 366 * ical::kSecondsPerDay;
const ical::LocalTime kFirstSpan = 32 * ical::kSecondsPerDay;

bool byStartThenOrder(const ical::Occurrence& a, const ical::Occurrence& b) {
    return a.start != b.start ? a.start < b.start : a.order < b.order;
}

bool matchesAll(const CalendarSnapshot& snapshot, const std::vector<const ItemFilter*>& filters,
                const ical::Occurrence& item) {
    const ItemFacts facts = factsOf(snapshot, item);
    for (const ItemFilter* filter : filters) {
        if (!filter->matches(facts))
            return false;
    }
    return true;
}

TimeWindow windowOf(const std::vector<const ItemFilter*>& filters) {
    TimeWindow window = openWindow();
    for (const ItemFilter* filter : filters)
        window = intersect(window, filter->window());
    return window;
}

// The index answers "start < to and end >= from"; a window whose ends meet or cross still holds
// appointments that span the meeting point, so it is widened to a nonempty one.
void lookUp(const CalendarSnapshot& snapshot, ical::LocalTime from, ical::LocalTime to,
            std::vector<ical::Occurrence>& found) {
    if (to <= from)
        from = to - 1;
    snapshot.blocks->overlapping(from, to, found);
}

// The found occurrences that match, leaving out those starting before startFrom (listed before).
void keepMatching(const CalendarSnapshot& snapshot, const std::vector<const ItemFilter*>& filters,
                  const std::vector<ical::Occurrence>& found, ical::LocalTime startFrom,
                  std::vector<ical::Occurrence>& items) {
    for (const ical::Occurrence& item : found) {
        if (item.start >= startFrom && matchesAll(snapshot, filters, item))
            items.push_back(item);
    }
}

std::vector<ical::Occurrence> everyEventOnce(const CalendarSnapshot& snapshot,
                                             const std::vector<const ItemFilter*>& filters,
                                             const TimeWindow& window) {
    std::vector<ical::Occurrence> result;
    const auto keep = [&](const ical::Occurrence& item) {
        if (matchesAll(snapshot, filters, item))
            result.push_back(item);
    };
    if (window.lowerOpen() && window.upperOpen()) {
        std::for_each(snapshot.firstOccurrences.begin(), snapshot.firstOccurrences.end(), keep);
        return result;
    }
    std::vector<ical::Occurrence> found;
    lookUp(snapshot, window.endFrom, window.startBefore, found);
    for (const ical::Occurrence& item : found) {
        if (!snapshot.isSeries(item.event))
            keep(item);
    }
    std::for_each(snapshot.seriesFirstOccurrences.begin(), snapshot.seriesFirstOccurrences.end(),
                  keep);
    std::stable_sort(result.begin(), result.end(), byStartThenOrder);
    return result;
}

// Sorting what is in order already changes nothing, and is the common case (the index gives
// items by start).
template <typename Less>
void sortStably(std::vector<ical::Occurrence>& items, bool descending, Less less) {
    const auto greater = [&](const ical::Occurrence& a, const ical::Occurrence& b) {
        return less(b, a);
    };
    if (descending ? std::is_sorted(items.begin(), items.end(), greater)
                   : std::is_sorted(items.begin(), items.end(), less))
        return;
    if (descending)
        std::stable_sort(
            items.begin(), items.end(),
            [&](const ical::Occurrence& a, const ical::Occurrence& b) { return less(b, a); });
    else
        std::stable_sort(items.begin(), items.end(), less);
}

} // namespace

HRESULT parseSortProperty(const WCHAR* text, SortKey& key) {
    if (!text)
        return E_INVALIDARG;
    std::wstring name(text);
    if (name.size() >= 2 && name.front() == L'[' && name.back() == L']')
        name = name.substr(1, name.size() - 2);
    if (lstrcmpiW(name.c_str(), L"Start") == 0)
        key = SortKey::Start;
    else if (lstrcmpiW(name.c_str(), L"End") == 0)
        key = SortKey::End;
    else if (lstrcmpiW(name.c_str(), L"Subject") == 0)
        key = SortKey::Subject;
    else
        return E_INVALIDARG;
    return S_OK;
}

ical::LocalTime reportedEnd(const CalendarSnapshot& snapshot, const ical::Occurrence& item) {
    const ical::LocalTime kLastMinute = 60;
    if (snapshot.index->isAllDay(item) && item.end - item.start >= kLastMinute)
        return item.end - kLastMinute;
    return item.end;
}

ItemFacts factsOf(const CalendarSnapshot& snapshot, const ical::Occurrence& item) {
    ItemFacts facts;
    facts.start = item.start;
    facts.end = reportedEnd(snapshot, item);
    facts.details = &snapshot.index->detailsOf(item);
    return facts;
}

void AppointmentList::start(const CalendarSnapshot& snapshot,
                            std::vector<const ItemFilter*> filters, bool includeRecurrences,
                            Clock clock) {
    filters_ = std::move(filters);
    items_.clear();
    const TimeWindow window = windowOf(filters_);
    if (!includeRecurrences) {
        items_ = everyEventOnce(snapshot, filters_, window);
        listedUntil_ = limit_ = 0;
        return;
    }
    std::vector<ical::Occurrence> found;
    if (!window.upperOpen()) {
        lookUp(snapshot, window.endFrom, window.startBefore, found);
        keepMatching(snapshot, filters_, found, std::numeric_limits<ical::LocalTime>::min(),
                     items_);
        listedUntil_ = limit_ = 0;
        return;
    }
    limit_ = std::max({window.endFrom, snapshot.latestStart, clock()}) + kOpenFutureReach;
    span_ = kFirstSpan;
    listedUntil_ = std::min(window.endFrom + span_, limit_);
    lookUp(snapshot, window.endFrom, listedUntil_, found);
    keepMatching(snapshot, filters_, found, std::numeric_limits<ical::LocalTime>::min(), items_);
}

void AppointmentList::assign(std::vector<ical::Occurrence> items) {
    items_ = std::move(items);
    listedUntil_ = limit_ = 0;
}

void AppointmentList::listAtLeast(const CalendarSnapshot& snapshot, size_t count) {
    while (items_.size() < count && !complete())
        extend(snapshot);
}

void AppointmentList::listAll(const CalendarSnapshot& snapshot) {
    while (!complete())
        extend(snapshot);
}

// Spans double, so that a far occurrence is reached in few lookups.
void AppointmentList::extend(const CalendarSnapshot& snapshot) {
    span_ *= 2;
    const ical::LocalTime from = listedUntil_;
    listedUntil_ = std::min(listedUntil_ + span_, limit_);
    std::vector<ical::Occurrence> found;
    lookUp(snapshot, from, listedUntil_, found);
    keepMatching(snapshot, filters_, found, from, items_);
}

std::vector<ical::Occurrence> narrowed(const CalendarSnapshot& snapshot,
                                       const std::vector<ical::Occurrence>& items,
                                       const ItemFilter& filter) {
    std::vector<ical::Occurrence> result;
    for (const ical::Occurrence& item : items) {
        if (filter.matches(factsOf(snapshot, item)))
            result.push_back(item);
    }
    return result;
}

bool isByStartAscending(const SortOrder& order) {
    return order.key == SortKey::Start && !order.descending;
}

void sortAppointments(const CalendarSnapshot& snapshot, std::vector<ical::Occurrence>& items,
                      const SortOrder& order) {
    switch (order.key) {
    case SortKey::Start:
        sortStably(
            items, order.descending,
            [](const ical::Occurrence& a, const ical::Occurrence& b) { return a.start < b.start; });
        return;
    case SortKey::End:
        sortStably(items, order.descending,
                   [&](const ical::Occurrence& a, const ical::Occurrence& b) {
                       return reportedEnd(snapshot, a) < reportedEnd(snapshot, b);
                   });
        return;
    case SortKey::Subject:
        sortStably(items, order.descending,
                   [&](const ical::Occurrence& a, const ical::Occurrence& b) {
                       return compareIgnoringCase(snapshot.index->detailsOf(a).summary,
                                                  snapshot.index->detailsOf(b).summary) < 0;
                   });
        return;
    }
}

} // namespace pimstore
