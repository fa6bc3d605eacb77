// The component tree (VCALENDAR > VEVENT > VALARM ...) of a file, with byte ranges. Internal to
// the reader.
#pragma once

#include "content_lines.h"

namespace daybrook::ical {

// Movable, not copyable: a copy would walk the tree recursively. Freeing does not recurse, so
// any depth of nesting is safe.
struct Component {
    Component() = default;
    Component(Component&&) = default;
    Component& operator=(Component&&) = default;
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;
    ~Component();

    std::string name; // upper case: VCALENDAR, VEVENT, ...
    int line = 0;
    size_t begin = 0;
    size_t end = 0;
    size_t endLineBegin = 0;
    std::vector<ContentLine> properties;
    std::vector<Component> children;

    const ContentLine* property(std::string_view name) const; // the first one, or null
};

// Receives each component of a VCALENDAR (VEVENT, VTIMEZONE ...) as soon as it ends, complete
// with its own children, so that a file's components never need to be held all at once.
class CalendarChildSink {
public:
    virtual void accept(Component& child) = 0;

protected:
    ~CalendarChildSink() = default;
};

// Reads the file's lines and nests them into components, handing each child of a VCALENDAR to
// the sink. False, with an error, for data that is not a calendar, when the first content is not
// BEGIN:VCALENDAR, or when BEGIN and END do not pair up.
bool readComponents(std::string_view bytes, CalendarChildSink& sink, Diagnostics& diagnostics);

} // namespace daybrook::ical
