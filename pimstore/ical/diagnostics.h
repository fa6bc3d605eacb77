// What the reader reports about a file, line by line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace daybrook::ical {

enum class Severity {
    Warning, // something was skipped or ignored; the rest of the file was read
    Error,   // the whole file was rejected: nothing from it is loaded or ever rewritten
};

struct Diagnostic {
    Severity severity = Severity::Warning;
    int line = 0;        // 1-based physical line in the file
    std::string message; // UTF-8, for logs and tests
};

using Diagnostics = std::vector<Diagnostic>;

void addWarning(Diagnostics& diagnostics, int line, std::string message);
void addError(Diagnostics& diagnostics, int line, std::string message);

// A short quotation of file text for a message: printable ASCII only, at most 40 characters.
std::string quoted(std::string_view text);

} // namespace daybrook::ical
