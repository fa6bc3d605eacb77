// Helpers shared by the iCalendar core's tests: loading the real-world calendars, readable dates
// and device zones.
#pragma once

#include "calendar.h"
#include "occurrence_index.h"

#include <string>
#include <vector>

namespace daybrook::ical::testing {

// Bytes of a file in the shared real-world calendar folder; empty when it cannot be read.
// The path of a file of the tests' data, which lies beside the test program (testdata\name).
std::string testDataPath(const std::string& name);
std::string realWorldBytes(const std::string& fileName);
Calendar readRealWorld(const std::string& fileName);

// Wraps lines (LF-separated) in BEGIN:VCALENDAR/END:VCALENDAR and reads them.
Calendar readBody(const std::string& body);

LocalTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// "2019-01-01 15:00", with ":ss" only when the seconds are not zero.
std::string text(LocalTime time);
std::string utf8(const std::u16string& text);

// Device zones as GetTimeZoneInformation would report them today.
ZoneRule utcDevice();
ZoneRule newYorkDevice();
ZoneRule berlinDevice();
ZoneRule sydneyDevice();

// Starts of the occurrences in [from, to), optionally of one event only ("start" strings, so a
// failed comparison prints both lists).
std::vector<std::string> startsIn(const OccurrenceIndex& index, LocalTime from, LocalTime to,
                                  int event = -1);
// "start - end" pairs.
std::vector<std::string> spansIn(const OccurrenceIndex& index, LocalTime from, LocalTime to,
                                 int event = -1);

// The diagnostics as "line N: message" lines, for assertion messages.
std::string describe(const Diagnostics& diagnostics);
bool hasDiagnostic(const Calendar& calendar, Severity severity, int line,
                   const std::string& fragment);
int countWarnings(const Calendar& calendar);

} // namespace daybrook::ical::testing
