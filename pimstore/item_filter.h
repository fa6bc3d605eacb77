// Restrict's filter text: [Property] operator value terms joined by AND and OR, with
// parentheses. Dates are double-quoted in the form VarBstrFromDate writes them, strings are
// double-quoted, numbers bare.
//
//   [End] >= "3/15/2024" AND [Start] < "3/16/2024"
//   ([Start] >= "3/15/2024 9:00:00 AM" OR [BusyStatus] = 3) AND [Subject] <> "Lunch"
#pragma once

#include "calendar.h"

#include <windows.h>

#include <string>
#include <vector>

namespace pimstore {

// What a filter looks at of one appointment. Times are the device's local time.
struct ItemFacts {
    daybrook::ical::LocalTime start = 0;
    daybrook::ical::LocalTime end = 0;
    const daybrook::ical::EventDetails* details = nullptr; // null unless a filter needs them
};

// Every appointment a filter can match has end >= endFrom and start < startBefore. A side the
// filter leaves open is at the far end of the representable range.
struct TimeWindow {
    daybrook::ical::LocalTime endFrom;
    daybrook::ical::LocalTime startBefore;
    bool lowerOpen() const;
    bool upperOpen() const;
};

TimeWindow openWindow();
TimeWindow intersect(const TimeWindow& a, const TimeWindow& b);

class ItemFilter {
public:
    // S_OK; E_INVALIDARG for text that is not a filter (unknown property, missing operand,
    // unbalanced parentheses); DISP_E_TYPEMISMATCH for a value of the wrong kind or a date that
    // does not convert.
    static HRESULT parse(const WCHAR* text, ItemFilter& filter);

    bool matches(const ItemFacts& item) const;
    TimeWindow window() const { return window_; }
    // Whether matching reads ItemFacts::details (a subject, location or busy status term); a
    // filter of times alone is answered without looking at the events.
    bool needsDetails() const { return needsDetails_; }

    enum class Property { Start, End, Subject, Location, BusyStatus };
    enum class Comparison { Less, LessOrEqual, Greater, GreaterOrEqual, Equal, NotEqual };

    struct Node {
        enum class Kind { Compare, And, Or };
        Kind kind = Kind::Compare;
        int left = -1; // operands of And/Or
        int right = -1;
        Property property = Property::Start;
        Comparison comparison = Comparison::Equal;
        daybrook::ical::LocalTime time = 0; // Start, End
        std::u16string text;                // Subject, Location
        long number = 0;                    // BusyStatus
    };

private:
    friend class FilterParser;
    bool matches(int node, const ItemFacts& item) const;
    TimeWindow windowOf(int node) const;

    std::vector<Node> nodes_;
    int root_ = -1;
    TimeWindow window_ = openWindow();
    bool needsDetails_ = false;
};

} // namespace pimstore
