#include "beaming.h"

#include "device_clock.h"
#include "property_values.h"
#include "text.h"

#include <device.h>

#include <cstdio>
#include <cstring>

namespace pimstore {

namespace ical = daybrook::ical;

namespace {

const char kCrlf[] = "\r\n";
const size_t kFoldLength = 75;

std::string escapedText(const std::u16string& text) {
    std::string escaped;
    for (char c : utf8FromUtf16(text)) {
        switch (c) {
        case '\\': escaped += "\\\\"; break;
        case ';': escaped += "\\;"; break;
        case ',': escaped += "\\,"; break;
        case '\n': escaped += "\\n"; break;
        case '\r': break;
        default: escaped += c;
        }
    }
    return escaped;
}

// Content lines longer than 75 octets continue on the next line, never inside a character.
std::string contentLine(const std::string& line) {
    std::string result;
    size_t length = 0;
    for (char c : line) {
        const bool continuationByte = (static_cast<unsigned char>(c) & 0xC0) == 0x80;
        if (length >= kFoldLength && !continuationByte) {
            result += kCrlf;
            result += ' ';
            length = 1;
        }
        result += c;
        ++length;
    }
    return result + kCrlf;
}

std::string utcStamp(ical::LocalTime utc) {
    return ical::formatDateTime(ical::civilFromLocalTime(utc)) + "Z";
}

const char* busyStatusName(ical::BusyStatus status) {
    switch (status) {
    case ical::BusyStatus::Free: return "FREE";
    case ical::BusyStatus::Tentative: return "TENTATIVE";
    case ical::BusyStatus::Busy: return "BUSY";
    case ical::BusyStatus::OutOfOffice: return "OOF";
    }
    return "BUSY";
}

std::string timeLines(const CalendarSnapshot& snapshot, const ical::Occurrence& item) {
    if (snapshot.index->isAllDay(item)) {
        return contentLine("DTSTART;VALUE=DATE:" +
                           ical::formatDate(ical::civilFromLocalTime(item.start))) +
               contentLine("DTEND;VALUE=DATE:" +
                           ical::formatDate(ical::civilFromLocalTime(item.end)));
    }
    return contentLine("DTSTART:" + utcStamp(ical::utcFromLocal(snapshot.zone, item.start))) +
           contentLine("DTEND:" + utcStamp(ical::utcFromLocal(snapshot.zone, item.end)));
}

std::string occurrenceEvent(const CalendarSnapshot& snapshot, const ical::Occurrence& item) {
    const ical::Event& event = snapshot.eventAt(item.event);
    const ical::EventDetails& details = snapshot.index->detailsOf(item);
    const std::string instance = ical::formatDateTime(ical::civilFromLocalTime(item.instance));
    const std::string uid =
        (event.uid.empty() ? "daybrook-" + std::to_string(snapshot.oidOf(item)) : event.uid) + "-" +
        instance;
    std::string text =
        contentLine("BEGIN:VEVENT") + contentLine("UID:" + uid) +
        contentLine("DTSTAMP:" + utcStamp(ical::utcFromLocal(snapshot.zone, deviceNow()))) +
        timeLines(snapshot, item) + contentLine("SUMMARY:" + escapedText(details.summary));
    if (!details.location.empty())
        text += contentLine("LOCATION:" + escapedText(details.location));
    if (!details.description.empty())
        text += contentLine("DESCRIPTION:" + escapedText(details.description));
    if (details.busyStatus == ical::BusyStatus::Free)
        text += contentLine("TRANSP:TRANSPARENT");
    text += contentLine(std::string("X-MICROSOFT-CDO-BUSYSTATUS:") +
                        busyStatusName(details.busyStatus));
    return text + contentLine("END:VEVENT");
}

bool lineIs(const std::string& bytes, size_t begin, size_t end, const char* text) {
    while (end > begin && (bytes[end - 1] == '\r' || bytes[end - 1] == '\n'))
        --end;
    return end - begin == std::strlen(text) &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, bytes.data() + begin,
                          static_cast<int>(end - begin), text, -1) == CSTR_EQUAL;
}

// The file's VTIMEZONE components as written, which its events' TZIDs name.
std::string zoneComponents(const std::string& bytes) {
    std::string zones;
    size_t zoneBegin = std::string::npos;
    for (size_t begin = 0; begin < bytes.size();) {
        size_t end = bytes.find('\n', begin);
        end = end == std::string::npos ? bytes.size() : end + 1;
        if (lineIs(bytes, begin, end, "BEGIN:VTIMEZONE"))
            zoneBegin = begin;
        else if (zoneBegin != std::string::npos && lineIs(bytes, begin, end, "END:VTIMEZONE")) {
            zones.append(bytes, zoneBegin, end - zoneBegin);
            zoneBegin = std::string::npos;
        }
        begin = end;
    }
    return zones;
}

std::string lineBreakOf(const std::string& bytes) {
    const size_t newline = bytes.find('\n');
    return newline != std::string::npos && newline > 0 && bytes[newline - 1] == '\r' ? "\r\n"
                                                                                     : "\n";
}

std::string eventAsWritten(const CalendarSnapshot& snapshot, const ical::Occurrence& item) {
    const std::string& bytes = snapshot.calendar.bytes;
    std::string text = zoneComponents(bytes) + snapshot.eventText(item.event);
    const std::string lineBreak = lineBreakOf(bytes);
    if (text.size() >= 1 && text.back() != '\n')
        text += lineBreak;
    return text;
}

bool createFolders(const std::wstring& folder) {
    if (CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        return true;
    const size_t separator = folder.find_last_of(L"\\/");
    if (separator == std::wstring::npos || separator < 3)
        return false;
    return createFolders(folder.substr(0, separator)) &&
           (CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
}

std::wstring baseNameFor(const CalendarSnapshot& snapshot, const ical::Occurrence& item) {
    const ical::CivilDateTime start = ical::civilFromLocalTime(item.start);
    WCHAR name[64];
    swprintf(name, 64, L"%08lX-%04d%02d%02dT%02d%02d%02d",
             static_cast<unsigned long>(snapshot.oidOf(item)), start.year, start.month, start.day,
             start.hour, start.minute, start.second);
    return name;
}

// Never replaces an earlier beam: a second one of the same item gets "-2", and so on.
HANDLE createNewFile(const std::wstring& folder, const std::wstring& baseName) {
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const std::wstring suffix = attempt == 1 ? L"" : L"-" + std::to_wstring(attempt);
        const std::wstring path = folder + L"\\" + baseName + suffix + L".ics";
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

} // namespace

std::string beamedCalendar(const CalendarSnapshot& snapshot, const ical::Occurrence& item,
                           bool isOccurrence) {
    const bool asWritten = !isOccurrence || !snapshot.isSeries(item.event);
    // Copied lines keep the file's line breaks, and so does the frame around them.
    const std::string lineBreak = asWritten ? lineBreakOf(snapshot.calendar.bytes) : kCrlf;
    std::string text = "BEGIN:VCALENDAR" + lineBreak + "VERSION:2.0" + lineBreak +
                       "PRODID:-//Daybrook//Pocket PC appointment store//EN" + lineBreak;
    text += asWritten ? eventAsWritten(snapshot, item) : occurrenceEvent(snapshot, item);
    return text + "END:VCALENDAR" + lineBreak;
}

HRESULT beamToOutbox(const CalendarSnapshot& snapshot, const ical::Occurrence& item,
                     bool isOccurrence) {
    WCHAR folder[MAX_PATH];
    if (!DeviceGetOutboxFolder(folder, MAX_PATH))
        return E_FAIL;
    if (!createFolders(folder))
        return HRESULT_FROM_WIN32(GetLastError());
    const std::string text = beamedCalendar(snapshot, item, isOccurrence);
    HANDLE file = createNewFile(folder, baseNameFor(snapshot, item));
    if (file == INVALID_HANDLE_VALUE)
        return HRESULT_FROM_WIN32(GetLastError());
    DWORD written = 0;
    const BOOL wrote =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!wrote || written != text.size())
        return HRESULT_FROM_WIN32(error ? error : ERROR_WRITE_FAULT);
    return S_OK;
}

} // namespace pimstore
