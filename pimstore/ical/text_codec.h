// Byte text to UTF-16, and the backslash escapes of iCalendar TEXT values.
#pragma once

#include <string>
#include <string_view>

namespace daybrook::ical {

bool isValidUtf8(std::string_view bytes);

// Decodes UTF-8 (the caller checked it with isValidUtf8) or, for files that were not written as
// UTF-8, ISO-8859-1, whose bytes are the first 256 code points.
std::u16string utf16FromUtf8(std::string_view utf8);
std::u16string utf16FromLatin1(std::string_view latin1);

// The reverse of the escapes RFC 5545 allows in TEXT: \n and \N (line break), \, \; and \\.
// Any other backslash is kept as written, which is what a reader would expect to see.
std::string unescapeText(std::string_view value);

} // namespace daybrook::ical
