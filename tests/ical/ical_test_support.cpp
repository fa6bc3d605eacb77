#include "ical_test_support.h"

#include <windows.h>

#include <cstdio>

namespace daybrook::ical::testing {

namespace {

ZoneRule zoneRule(int offsetMinutes, TransitionRule daylightBegins, TransitionRule daylightEnds) {
    ZoneRule rule;
    rule.bias = -offsetMinutes;
    rule.daylightBias = -60;
    rule.daylightDate = daylightBegins;
    rule.standardDate = daylightEnds;
    return rule;
}

TransitionRule sunday(int month, int week, int hour) {
    TransitionRule rule;
    rule.month = month;
    rule.week = week;
    rule.hour = hour;
    return rule;
}

} // namespace

std::string testDataPath(const std::string& name) {
    char program[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string folder(program, length);
    return folder.substr(0, folder.find_last_of('\\')) + "\\testdata\\" + name;
}

std::string realWorldBytes(const std::string& fileName) {
    const std::string path = testDataPath("calendars/" + fileName);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return std::string();
    std::string bytes;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, got);
    std::fclose(file);
    return bytes;
}

Calendar readRealWorld(const std::string& fileName) {
    return readCalendar(realWorldBytes(fileName));
}

Calendar readBody(const std::string& body) {
    return readCalendar("BEGIN:VCALENDAR\nVERSION:2.0\n" + body + "END:VCALENDAR\n");
}

LocalTime at(int year, int month, int day, int hour, int minute, int second) {
    CivilDateTime civil;
    civil.year = year;
    civil.month = month;
    civil.day = day;
    civil.hour = hour;
    civil.minute = minute;
    civil.second = second;
    return localTimeFromCivil(civil);
}

std::string text(LocalTime time) {
    const CivilDateTime c = civilFromLocalTime(time);
    char buffer[64];
    if (c.second != 0)
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month,
                      c.day, c.hour, c.minute, c.second);
    else
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d", c.year, c.month, c.day,
                      c.hour, c.minute);
    return buffer;
}

// Enough for the texts the tests compare: the Basic Multilingual Plane.
std::string utf8(const std::u16string& text) {
    std::string out;
    for (const char16_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

ZoneRule utcDevice() {
    return ZoneRule();
}
ZoneRule newYorkDevice() {
    return zoneRule(-300, sunday(3, 2, 2), sunday(11, 1, 2));
}
ZoneRule berlinDevice() {
    return zoneRule(60, sunday(3, 5, 2), sunday(10, 5, 3));
}
ZoneRule sydneyDevice() {
    return zoneRule(600, sunday(10, 1, 2), sunday(4, 1, 3));
}

std::vector<std::string> startsIn(const OccurrenceIndex& index, LocalTime from, LocalTime to,
                                  int event) {
    std::vector<Occurrence> found;
    index.occurrencesOverlapping(from, to, EndBoundary::Exclusive, found);
    std::vector<std::string> starts;
    for (const Occurrence& occurrence : found) {
        if (event < 0 || occurrence.event == event)
            starts.push_back(text(occurrence.start));
    }
    return starts;
}

std::vector<std::string> spansIn(const OccurrenceIndex& index, LocalTime from, LocalTime to,
                                 int event) {
    std::vector<Occurrence> found;
    index.occurrencesOverlapping(from, to, EndBoundary::Exclusive, found);
    std::vector<std::string> spans;
    for (const Occurrence& occurrence : found) {
        if (event < 0 || occurrence.event == event)
            spans.push_back(text(occurrence.start) + " - " + text(occurrence.end));
    }
    return spans;
}

std::string describe(const Diagnostics& diagnostics) {
    std::string lines;
    for (const Diagnostic& diagnostic : diagnostics) {
        lines += diagnostic.severity == Severity::Error ? "error" : "warning";
        lines += " line " + std::to_string(diagnostic.line) + ": " + diagnostic.message + "\n";
    }
    return lines;
}

bool hasDiagnostic(const Calendar& calendar, Severity severity, int line,
                   const std::string& fragment) {
    for (const Diagnostic& diagnostic : calendar.diagnostics) {
        if (diagnostic.severity == severity && diagnostic.line == line &&
            diagnostic.message.find(fragment) != std::string::npos)
            return true;
    }
    return false;
}

int countWarnings(const Calendar& calendar) {
    int count = 0;
    for (const Diagnostic& diagnostic : calendar.diagnostics)
        count += diagnostic.severity == Severity::Warning ? 1 : 0;
    return count;
}

} // namespace daybrook::ical::testing
