// The lexical layer of an iCalendar file: physical lines to unfolded content lines
// (name, parameters, value) with their line numbers and byte ranges.
#pragma once

#include "diagnostics.h"

#include <string>
#include <string_view>
#include <vector>

namespace daybrook::ical {

// The grammar's letters and case are ASCII's, whatever the C library's locale; these are also
// far cheaper than the library's calls, which a reader makes for every character of every name.
inline char asciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
inline bool isAsciiAlphanumeric(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

struct Parameter {
    std::string name;                // upper case
    std::vector<std::string> values; // quotes removed
};

struct ContentLine {
    int line = 0;     // physical line where it starts
    size_t begin = 0; // byte offset of its first character
    size_t end = 0;   // byte offset just past the line break of its last physical line
    std::string name; // upper case
    std::vector<Parameter> parameters;
    std::string value;   // unfolded; escapes are left for the property's reader
    bool latin1 = false; // not valid UTF-8: its text decodes as ISO-8859-1

    // First value of the named parameter (upper case name), or null.
    const std::string* parameter(std::string_view name) const;
};

// Receives content lines as they are read.
class ContentLineSink {
public:
    // False stops the reading: the sink found the file broken. The sink may keep the line's
    // contents and leave in their place another line's, whose buffers the next line reuses.
    virtual bool accept(ContentLine& line) = 0;

protected:
    ~ContentLineSink() = default;
};

// Unfolds (a line starting with a space or TAB continues the previous one) and splits content
// lines; LF, CRLF and lone CR all end a line. Lines that are blank, have no colon, have an
// invalid name or contain control characters are reported as warnings and left out. Returns
// false for data that cannot be a text calendar (a NUL byte, with an error) or when the sink
// refused a line.
bool scanContentLines(std::string_view bytes, ContentLineSink& sink, Diagnostics& diagnostics);

} // namespace daybrook::ical
