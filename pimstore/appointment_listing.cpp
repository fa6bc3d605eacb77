#include "appointment_listing.h"

#include "text.h"

#include <algorithm>
#include <cwctype>
#include <limits>
#include <string_view>

namespace pimstore {

namespace ical = daybrook::ical;

namespace {

// Far enough to reach the next occurrence of any yearly series, 29 February included.
const ical::LocalTime kOpenFutureReach = 5 * 366 * ical::kSecondsPerDay;
const ical::LocalTime kFirstSpan = 32 * ical::kSecondsPerDay;

bool byStartThenOrder(const ical::Occurrence& a, const ical::Occurrence& b) {
    return a.start != b.start ? a.start < b.start : a.order < b.order;
}

bool needDetails(const FilterList& filters) {
    for (const std::shared_ptr<const ItemFilter>& filter : filters) {
        if (filter->needsDetails())
            return true;
    }
    return false;
}

bool matchesAll(const CalendarSnapshot& snapshot, const FilterList& filters, bool withDetails,
                const ical::Occurrence& item) {
    const ItemFacts facts = factsOf(snapshot, item, withDetails);
    for (const std::shared_ptr<const ItemFilter>& filter : filters) {
        if (!filter->matches(facts))
            return false;
    }
    return true;
}

TimeWindow windowOf(const FilterList& filters) {
    TimeWindow window = openWindow();
    for (const std::shared_ptr<const ItemFilter>& filter : filters)
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

// Leaves in items, from index first on, the occurrences that match and do not start before
// startFrom (those were listed before).
void keepMatching(const CalendarSnapshot& snapshot, const FilterList& filters,
                  std::vector<ical::Occurrence>& items, size_t first, ical::LocalTime startFrom) {
    const bool withDetails = needDetails(filters);
    const auto rejected = [&](const ical::Occurrence& item) {
        return item.start < startFrom || !matchesAll(snapshot, filters, withDetails, item);
    };
    items.erase(
        std::remove_if(items.begin() + static_cast<std::ptrdiff_t>(first), items.end(), rejected),
        items.end());
}

std::vector<ical::Occurrence> everyEventOnce(const CalendarSnapshot& snapshot,
                                             const FilterList& filters, const TimeWindow& window) {
    std::vector<ical::Occurrence> result;
    const bool withDetails = needDetails(filters);
    const auto keep = [&](const ical::Occurrence& item) {
        if (matchesAll(snapshot, filters, withDetails, item))
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

// Property names are ASCII words. Compared here, not by the platform's locale-aware comparison,
// which costs more than the rest of a day's sort.
wint_t lowered(wchar_t c) {
    return c < 0x80 ? (c >= L'A' && c <= L'Z' ? c + (L'a' - L'A') : c) : std::towlower(c);
}

bool isPropertyName(std::wstring_view text, const wchar_t* name) {
    size_t i = 0;
    for (; i < text.size() && name[i]; ++i) {
        if (lowered(text[i]) != lowered(name[i]))
            return false;
    }
    return i == text.size() && name[i] == 0;
}

} // namespace

HRESULT parseSortProperty(const WCHAR* text, SortKey& key) {
    if (!text)
        return E_INVALIDARG;
    std::wstring_view name(text);
    if (name.size() >= 2 && name.front() == L'[' && name.back() == L']')
        name = name.substr(1, name.size() - 2);
    if (isPropertyName(name, L"Start"))
        key = SortKey::Start;
    else if (isPropertyName(name, L"End"))
        key = SortKey::End;
    else if (isPropertyName(name, L"Subject"))
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

ItemFacts factsOf(const CalendarSnapshot& snapshot, const ical::Occurrence& item,
                  bool withDetails) {
    ItemFacts facts;
    facts.start = item.start;
    facts.end = reportedEnd(snapshot, item);
    if (withDetails)
        facts.details = &snapshot.index->detailsOf(item);
    return facts;
}

// A window's occurrences go straight into the list and are narrowed there: a day's query makes
// no list of its own.
void AppointmentList::start(const CalendarSnapshot& snapshot, const FilterList& filters,
                            bool includeRecurrences, Clock clock) {
    filters_ = &filters;
    items_.clear();
    reachesEverySeries_ = true; // a closed window, or one event at a time
    const TimeWindow window = windowOf(filters);
    if (!includeRecurrences) {
        items_ = everyEventOnce(snapshot, filters, window);
        listedUntil_ = limit_ = 0;
        return;
    }
    const ical::LocalTime everything = std::numeric_limits<ical::LocalTime>::min();
    if (!window.upperOpen()) {
        lookUp(snapshot, window.endFrom, window.startBefore, items_);
        keepMatching(snapshot, filters, items_, 0, everything);
        listedUntil_ = limit_ = 0;
        return;
    }
    limit_ = std::max({window.endFrom, snapshot.latestStart, clock()}) + kOpenFutureReach;
    windowStart_ = window.endFrom;
    reachesEverySeries_ = false;
    span_ = kFirstSpan;
    listedUntil_ = std::min(window.endFrom + span_, limit_);
    lookUp(snapshot, window.endFrom, listedUntil_, items_);
    keepMatching(snapshot, filters, items_, 0, everything);
}

void AppointmentList::assign(std::vector<ical::Occurrence> items) {
    items_ = std::move(items);
    listedUntil_ = limit_ = 0;
    reachesEverySeries_ = true;
}

void AppointmentList::listAtLeast(const CalendarSnapshot& snapshot, size_t count) {
    while (items_.size() < count && listMore(snapshot)) {
    }
}

void AppointmentList::listAll(const CalendarSnapshot& snapshot) {
    while (listMore(snapshot)) {
    }
}

// Series whose occurrences lie years apart may have their next one beyond the limit: it then
// moves out to the latest of them, once (the search costs a pass over every series).
bool AppointmentList::listMore(const CalendarSnapshot& snapshot) {
    if (complete() && !reachesEverySeries_) {
        reachesEverySeries_ = true;
        limit_ = std::max(limit_, snapshot.index->latestNextStart(windowStart_) + 1);
    }
    if (complete())
        return false;
    extend(snapshot);
    return true;
}

// Spans double, so that a far occurrence is reached in few lookups.
void AppointmentList::extend(const CalendarSnapshot& snapshot) {
    span_ *= 2;
    const ical::LocalTime from = listedUntil_;
    listedUntil_ = std::min(listedUntil_ + span_, limit_);
    std::vector<ical::Occurrence> found;
    lookUp(snapshot, from, listedUntil_, found);
    const size_t listed = items_.size();
    items_.insert(items_.end(), found.begin(), found.end());
    keepMatching(snapshot, *filters_, items_, listed, from);
}

std::vector<ical::Occurrence> narrowed(const CalendarSnapshot& snapshot,
                                       const std::vector<ical::Occurrence>& items,
                                       const ItemFilter& filter) {
    std::vector<ical::Occurrence> result;
    for (const ical::Occurrence& item : items) {
        if (filter.matches(factsOf(snapshot, item, filter.needsDetails())))
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
