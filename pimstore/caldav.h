// Reading a CalDAV calendar collection: PROPFIND for what it is and its tag, REPORT
// (calendar-query) for its events, which become one iCalendar text. Read only.
#pragma once

#include <windows.h>

#include <string>

namespace pimstore {

enum class CalDavOutcome {
    NotACalendar, // the address answers, but not as a CalDAV calendar collection
    Unchanged,    // its tag is still knownTag
    Fetched,      // calendar holds its events
    Failed,       // problem says why
};

CalDavOutcome readCalDavCollection(const std::wstring& address, DWORD timeoutMilliseconds,
                                   const std::string& knownTag, std::string& calendar,
                                   std::string& tag, std::wstring& problem);

// The events (and the zones they name) of every calendar-data element of a multistatus answer,
// as one VCALENDAR; the zones once each.
std::string calendarFromMultistatus(const std::string& xml);

} // namespace pimstore
