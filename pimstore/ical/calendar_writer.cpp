#include "calendar_writer.h"

#include "property_values.h"

#include <algorithm>

namespace daybrook::ical {

namespace {

// Content lines longer than this many octets are folded, as RFC 5545 asks.
constexpr size_t kFoldLength = 75;

struct Edit {
    size_t begin = 0;
    size_t end = 0;
    std::string replacement;
};

bool isEditable(const Calendar& calendar, int event) {
    return !calendar.rejected && event >= 0 && static_cast<size_t>(event) < calendar.events.size();
}

std::string applyEdits(const std::string& bytes, std::vector<Edit> edits) {
    std::sort(edits.begin(), edits.end(),
              [](const Edit& a, const Edit& b) { return a.begin > b.begin; });
    std::string result = bytes;
    for (const Edit& edit : edits)
        result.replace(edit.begin, edit.end - edit.begin, edit.replacement);
    return result;
}

// The line break the file uses at that point: the one ending the line before `offset`.
std::string lineBreakBefore(const std::string& bytes, size_t offset) {
    if (offset >= 2 && bytes.compare(offset - 2, 2, "\r\n") == 0)
        return "\r\n";
    if (offset >= 1 && (bytes[offset - 1] == '\n' || bytes[offset - 1] == '\r'))
        return std::string(1, bytes[offset - 1]);
    return "\r\n";
}

bool needsQuotes(const std::string& value) {
    return value.find_first_of(":;,") != std::string::npos;
}

std::string exdateLine(const Event& event, LocalTime instance) {
    const CivilDateTime civil = civilFromLocalTime(instance);
    if (event.timing.allDay)
        return "EXDATE;VALUE=DATE:" + formatDate(civil);
    if (event.timing.basis == TimeBasis::Utc)
        return "EXDATE:" + formatDateTime(civil) + "Z";
    if (event.startTzid.empty())
        return "EXDATE:" + formatDateTime(civil);
    const std::string tzid =
        needsQuotes(event.startTzid) ? "\"" + event.startTzid + "\"" : event.startTzid;
    return "EXDATE;TZID=" + tzid + ":" + formatDateTime(civil);
}

// Folds after 75 octets, never inside a UTF-8 sequence.
std::string folded(const std::string& line, const std::string& lineBreak) {
    std::string result;
    size_t lineLength = 0;
    for (char c : line) {
        const bool continuationByte = (static_cast<unsigned char>(c) & 0xC0) == 0x80;
        if (lineLength >= kFoldLength && !continuationByte) {
            result += lineBreak + " ";
            lineLength = 1;
        }
        result += c;
        ++lineLength;
    }
    return result + lineBreak;
}

Edit exdateEdit(const Calendar& calendar, const Event& event, LocalTime instance) {
    Edit edit;
    edit.begin = edit.end = event.endLineBegin;
    edit.replacement =
        folded(exdateLine(event, instance), lineBreakBefore(calendar.bytes, event.endLineBegin));
    return edit;
}

Edit removal(const ByteRange& range) {
    Edit edit;
    edit.begin = range.begin;
    edit.end = range.end;
    return edit;
}

// An override's VEVENT and those it won over.
void addOverrideRemovals(const Override& replacement, std::vector<Edit>& edits) {
    edits.push_back(removal(replacement.bytes));
    for (const ByteRange& superseded : replacement.supersededBytes)
        edits.push_back(removal(superseded));
}

} // namespace

bool deleteEvent(const Calendar& calendar, int event, std::string& newBytes) {
    if (!isEditable(calendar, event))
        return false;
    const Event& target = calendar.events[static_cast<size_t>(event)];
    std::vector<Edit> edits = {removal(target.bytes)};
    for (const Override& replacement : target.overrides)
        addOverrideRemovals(replacement, edits);
    newBytes = applyEdits(calendar.bytes, edits);
    return true;
}

bool addExdate(const Calendar& calendar, int event, LocalTime instance, std::string& newBytes) {
    if (!isEditable(calendar, event))
        return false;
    const Event& target = calendar.events[static_cast<size_t>(event)];
    newBytes = applyEdits(calendar.bytes, {exdateEdit(calendar, target, instance)});
    return true;
}

bool deleteOccurrence(const Calendar& calendar, const Occurrence& occurrence,
                      std::string& newBytes) {
    if (!isEditable(calendar, occurrence.event))
        return false;
    const Event& target = calendar.events[static_cast<size_t>(occurrence.event)];
    if (!target.recurring)
        return deleteEvent(calendar, occurrence.event, newBytes);
    std::vector<Edit> edits = {exdateEdit(calendar, target, occurrence.instance)};
    const bool replaced = occurrence.overrideIndex >= 0 &&
                          static_cast<size_t>(occurrence.overrideIndex) < target.overrides.size();
    if (replaced)
        addOverrideRemovals(target.overrides[static_cast<size_t>(occurrence.overrideIndex)], edits);
    newBytes = applyEdits(calendar.bytes, edits);
    return true;
}

} // namespace daybrook::ical
