#include "appointment_listing.h"

#include "text.h"

#include <algorithm>

namespace pimstore {

namespace ical = daybrook::ical;

namespace {

const ical::LocalTime kOpenFutureReach = 366 * ical::kSecondsPerDay;

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

std::vector<ical::Occurrence> everyOccurrence(const CalendarSnapshot& snapshot,
                                              const std::vector<const ItemFilter*>& filters,
                                              const TimeWindow& window, Clock clock) {
    ical::LocalTime to = window.startBefore;
    if (window.upperOpen())
        to = std::max(snapshot.latestStart, clock()) + kOpenFutureReach;
    std::vector<ical::Occurrence> found;
    lookUp(snapshot, window.endFrom, to, found);
    found.erase(std::remove_if(found.begin(), found.end(),
                               [&](const ical::Occurrence& item) {
                                   return !matchesAll(snapshot, filters, item);
                               }),
                found.end());
    return found;
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

ItemFacts factsOf(const CalendarSnapshot& snapshot, const ical::Occurrence& item) {
    ItemFacts facts;
    facts.start = item.start;
    facts.end = item.end;
    facts.details = &snapshot.index->detailsOf(item);
    return facts;
}

std::vector<ical::Occurrence> listAppointments(const CalendarSnapshot& snapshot,
                                               const std::vector<const ItemFilter*>& filters,
                                               bool includeRecurrences, Clock clock) {
    const TimeWindow window = windowOf(filters);
    if (includeRecurrences)
        return everyOccurrence(snapshot, filters, window, clock);
    return everyEventOnce(snapshot, filters, window);
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

void sortAppointments(const CalendarSnapshot& snapshot, std::vector<ical::Occurrence>& items,
                      const SortOrder& order) {
    switch (order.key) {
    case SortKey::Start:
        sortStably(
            items, order.descending,
            [](const ical::Occurrence& a, const ical::Occurrence& b) { return a.start < b.start; });
        return;
    case SortKey::End:
        sortStably(
            items, order.descending,
            [](const ical::Occurrence& a, const ical::Occurrence& b) { return a.end < b.end; });
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
