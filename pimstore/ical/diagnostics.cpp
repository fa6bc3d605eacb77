#include "diagnostics.h"

namespace daybrook::ical {

namespace {

constexpr size_t kQuotationLength = 40;
// Garbage with a calendar header could otherwise produce a warning per line.
constexpr size_t kMaximumWarnings = 1000;

void add(Diagnostics& diagnostics, Severity severity, int line, std::string message) {
    Diagnostic diagnostic;
    diagnostic.severity = severity;
    diagnostic.line = line;
    diagnostic.message = std::move(message);
    diagnostics.push_back(std::move(diagnostic));
}

} // namespace

void addWarning(Diagnostics& diagnostics, int line, std::string message) {
    if (diagnostics.size() > kMaximumWarnings)
        return;
    if (diagnostics.size() == kMaximumWarnings)
        message = "too many problems; further warnings are not reported";
    add(diagnostics, Severity::Warning, line, std::move(message));
}

void addError(Diagnostics& diagnostics, int line, std::string message) {
    add(diagnostics, Severity::Error, line, std::move(message));
}

std::string quoted(std::string_view text) {
    std::string result = "\"";
    for (size_t i = 0; i < text.size() && i < kQuotationLength; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        result += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    if (text.size() > kQuotationLength)
        result += "...";
    return result + "\"";
}

} // namespace daybrook::ical
