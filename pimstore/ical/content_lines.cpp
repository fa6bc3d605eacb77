#include "content_lines.h"

#include "text_codec.h"

#include <algorithm>

namespace daybrook::ical {

namespace {

struct PhysicalLine {
    size_t begin = 0;
    size_t textEnd = 0; // where the line break starts
    size_t end = 0;     // just past the line break
};

// Most lines are not folded: their text is a view of the file; folded ones are joined in a
// buffer.
struct LogicalLine {
    int line = 0;
    size_t begin = 0;
    size_t end = 0;
    std::string_view text;
    std::string joined;

    void start(int number, size_t first, size_t afterBreak, std::string_view firstText) {
        line = number;
        begin = first;
        end = afterBreak;
        text = firstText;
    }
    void continueWith(std::string_view more, size_t afterBreak) {
        if (text.data() != joined.data())
            joined.assign(text);
        joined.append(more);
        text = joined;
        end = afterBreak;
    }
};

PhysicalLine physicalLineAt(std::string_view bytes, size_t position) {
    PhysicalLine line;
    line.begin = position;
    // A plain loop: find_first_of makes a library call per byte of the file.
    size_t lineBreak = position;
    while (lineBreak < bytes.size() && bytes[lineBreak] != '\r' && bytes[lineBreak] != '\n')
        ++lineBreak;
    line.textEnd = lineBreak;
    line.end = line.textEnd;
    if (line.end < bytes.size() && bytes[line.end] == '\r')
        ++line.end;
    if (line.end < bytes.size() && bytes[line.end] == '\n')
        ++line.end;
    return line;
}

int lineNumberOfOffset(std::string_view bytes, size_t offset) {
    int line = 1;
    for (size_t position = 0; position < offset;) {
        const PhysicalLine physical = physicalLineAt(bytes, position);
        if (physical.end > offset || physical.end == position)
            break;
        position = physical.end;
        ++line;
    }
    return line;
}

bool isNameCharacter(char c) {
    return isAsciiAlphanumeric(c) || c == '-';
}

bool hasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const unsigned char byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && byte != '\t') || byte == 0x7F;
    });
}

std::string upperCase(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = asciiUpper(c);
    return result;
}

// Reads NAME or PARAM-NAME at position; empty when the name is missing or malformed.
std::string readName(std::string_view text, size_t& position) {
    const size_t start = position;
    while (position < text.size() && isNameCharacter(text[position]))
        ++position;
    return upperCase(text.substr(start, position - start));
}

// One parameter value: quoted (may hold ; : and ,) or up to the next , ; or :.
bool readParameterValue(std::string_view text, size_t& position, std::string& value) {
    if (position < text.size() && text[position] == '"') {
        const size_t close = text.find('"', position + 1);
        if (close == std::string_view::npos)
            return false;
        value.assign(text.substr(position + 1, close - position - 1));
        position = close + 1;
        return true;
    }
    const size_t stop = text.find_first_of(",;:\"", position);
    if (stop == std::string_view::npos || text[stop] == '"')
        return false;
    value.assign(text.substr(position, stop - position));
    position = stop;
    return true;
}

bool readParameter(std::string_view text, size_t& position, Parameter& parameter) {
    parameter.name = readName(text, position);
    if (parameter.name.empty() || position >= text.size())
        return false;
    if (text[position] != '=') // a bare parameter name, as old vCalendar writers emit
        return text[position] == ';' || text[position] == ':';
    ++position;
    for (;;) {
        std::string value;
        if (!readParameterValue(text, position, value))
            return false;
        parameter.values.push_back(std::move(value));
        if (position >= text.size() || text[position] != ',')
            return position < text.size();
        ++position;
    }
}

enum class ParseOutcome { Parsed, NoColon, Malformed };

ParseOutcome parseContentLine(std::string_view text, ContentLine& line) {
    size_t position = 0;
    line.name = readName(text, position);
    if (position >= text.size())
        return text.find(':') == std::string_view::npos ? ParseOutcome::NoColon
                                                        : ParseOutcome::Malformed;
    if (line.name.empty() || (text[position] != ';' && text[position] != ':'))
        return text.find(':') == std::string_view::npos ? ParseOutcome::NoColon
                                                        : ParseOutcome::Malformed;
    while (text[position] == ';') {
        ++position;
        Parameter parameter;
        if (!readParameter(text, position, parameter))
            return ParseOutcome::Malformed;
        line.parameters.push_back(std::move(parameter));
    }
    line.value.assign(text.substr(position + 1));
    return ParseOutcome::Parsed;
}

// `line` is the last one handed to the sink, or what the sink gave back for it: its text buffers
// are used again.
bool finishLogicalLine(const LogicalLine& logical, ContentLine& line, ContentLineSink& sink,
                       Diagnostics& diagnostics) {
    if (hasControlCharacter(logical.text)) {
        addWarning(diagnostics, logical.line,
                   "control characters in " + quoted(logical.text) + "; line ignored");
        return true;
    }
    line.line = logical.line;
    line.begin = logical.begin;
    line.end = logical.end;
    line.parameters.clear();
    line.latin1 = false;
    switch (parseContentLine(logical.text, line)) {
    case ParseOutcome::NoColon:
        addWarning(diagnostics, logical.line,
                   quoted(logical.text) + " is not a content line (no colon); line ignored");
        return true;
    case ParseOutcome::Malformed:
        addWarning(diagnostics, logical.line,
                   quoted(logical.text) + " is not a valid NAME;PARAM=...:value line; ignored");
        return true;
    case ParseOutcome::Parsed: break;
    }
    if (!isValidUtf8(logical.text)) {
        line.latin1 = true;
        addWarning(diagnostics, logical.line,
                   "line is not valid UTF-8; its text was read as Latin-1 (ISO-8859-1)");
    }
    return sink.accept(line);
}

size_t startAfterByteOrderMark(std::string_view bytes) {
    return bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

} // namespace

const std::string* ContentLine::parameter(std::string_view wanted) const {
    for (const Parameter& candidate : parameters) {
        if (candidate.name == wanted && !candidate.values.empty())
            return &candidate.values.front();
    }
    return nullptr;
}

bool scanContentLines(std::string_view bytes, ContentLineSink& sink, Diagnostics& diagnostics) {
    const size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos) {
        addError(diagnostics, lineNumberOfOffset(bytes, nul),
                 "binary data (a NUL byte): not a text calendar file");
        return false;
    }
    LogicalLine current;
    ContentLine line;
    bool haveCurrent = false;
    int lineNumber = 0;
    for (size_t position = startAfterByteOrderMark(bytes); position < bytes.size();) {
        const PhysicalLine physical = physicalLineAt(bytes, position);
        const std::string_view text =
            bytes.substr(physical.begin, physical.textEnd - physical.begin);
        position = physical.end;
        ++lineNumber;
        if (!text.empty() && (text[0] == ' ' || text[0] == '\t')) {
            if (!haveCurrent)
                addWarning(diagnostics, lineNumber,
                           "continuation line with nothing before it to continue; ignored");
            else
                current.continueWith(text.substr(1), physical.end);
            continue;
        }
        if (haveCurrent && !finishLogicalLine(current, line, sink, diagnostics))
            return false;
        haveCurrent = !text.empty();
        if (haveCurrent)
            current.start(lineNumber, physical.begin, physical.end, text);
        else
            addWarning(diagnostics, lineNumber, "blank line ignored");
    }
    return !haveCurrent || finishLogicalLine(current, line, sink, diagnostics);
}

} // namespace daybrook::ical
