#include "calendar_set.h"

#include "oid_table.h"
#include "text.h"

#include <device.h>

#include <algorithm>
#include <cstdint>
#include <cwctype>

namespace pimstore {

namespace ical = daybrook::ical;

namespace {

// The object store's own identifier for the calendar database is never an item's.
const LONG kReservedOid = 0x00010001;
const wchar_t kSourceJoint[] = L" | ";

std::uint64_t fnv1a64(const void* data, size_t length,
                      std::uint64_t hash = 14695981039346656037ull) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < length; ++i) {
        hash ^= bytes[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

std::uint64_t hashOf(const std::wstring& text, std::uint64_t seed = 14695981039346656037ull) {
    return fnv1a64(text.data(), text.size() * sizeof(wchar_t), seed);
}

bool startsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
    const size_t length = wcslen(prefix);
    return text.size() >= length && _wcsnicmp(text.c_str(), prefix, length) == 0;
}

ULONGLONG joined(DWORD high, DWORD low) {
    return (static_cast<ULONGLONG>(high) << 32) | low;
}

FileStamp stampFrom(const FILETIME& lastWrite, DWORD sizeHigh, DWORD sizeLow) {
    FileStamp stamp;
    stamp.exists = true;
    stamp.lastWrite = joined(lastWrite.dwHighDateTime, lastWrite.dwLowDateTime);
    stamp.size = joined(sizeHigh, sizeLow);
    return stamp;
}

// The folder's .ics files by name, so that the order (and ties between equal starts) is stable.
std::vector<CalendarMember> calendarFilesIn(const std::wstring& folder) {
    std::vector<CalendarMember> members;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*.ics").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return members;
    do {
        const std::wstring name = found.cFileName;
        const bool icsEnding =
            name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".ics") == 0;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && icsEnding) {
            const std::wstring path = folder + L"\\" + name;
            members.push_back(
                {path, path, false,
                 stampFrom(found.ftLastWriteTime, found.nFileSizeHigh, found.nFileSizeLow)});
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(members.begin(), members.end(),
              [](const CalendarMember& a, const CalendarMember& b) { return a.path < b.path; });
    return members;
}

std::vector<std::wstring> deviceSources() {
    std::vector<std::wstring> sources;
    std::vector<WCHAR> buffer(DEVICE_CALENDAR_SOURCE_MAX);
    for (int index = 0; DeviceGetCalendar(index, buffer.data(), DEVICE_CALENDAR_SOURCE_MAX);
         ++index)
        sources.emplace_back(buffer.data());
    return sources;
}

void shiftRange(ical::ByteRange& range, size_t by) {
    range.begin += by;
    range.end += by;
}

void shiftZone(ical::EventTiming& timing, int by) {
    if (timing.zone >= 0)
        timing.zone += by;
}

// Appends one calendar's events, zones and bytes; its messages name it.
void appendCalendar(ical::Calendar& merged, ical::Calendar part, const std::string& name) {
    const size_t byteBase = merged.bytes.size();
    const int zoneBase = static_cast<int>(merged.zones.size());
    for (ical::Event& event : part.events) {
        shiftRange(event.bytes, byteBase);
        event.endLineBegin += byteBase;
        shiftZone(event.timing, zoneBase);
        for (ical::Override& replacement : event.overrides) {
            shiftRange(replacement.bytes, byteBase);
            for (ical::ByteRange& superseded : replacement.supersededBytes)
                shiftRange(superseded, byteBase);
            shiftZone(replacement.timing, zoneBase);
        }
        merged.events.push_back(std::move(event));
    }
    for (ical::ZoneDefinition& zone : part.zones)
        merged.zones.push_back(std::move(zone));
    for (ical::Diagnostic& diagnostic : part.diagnostics) {
        diagnostic.message = name + ": " + diagnostic.message;
        merged.diagnostics.push_back(std::move(diagnostic));
    }
    merged.bytes += part.bytes;
}

// In a set an identifier mixes in its calendar's name: the same event in two calendars (a shared
// meeting) is two appointments, each deleted from its own file.
LONG mixedOid(LONG oid, const std::wstring& calendarName) {
    const std::uint64_t hash = hashOf(calendarName, fnv1a64(&oid, sizeof oid));
    return static_cast<LONG>((hash ^ (hash >> 32)) & 0x7FFFFFFF);
}

void makeUnique(std::vector<LONG>& oids) {
    OidTable used(oids.size() + 1);
    used.insert(kReservedOid, -1);
    for (LONG& oid : oids) {
        while (oid == 0 || used.contains(oid))
            oid = static_cast<LONG>((static_cast<std::uint32_t>(oid) + 1) & 0x7FFFFFFF);
        used.insert(oid, 0);
    }
}

std::string problemOf(const CalendarMember& member) {
    return member.readOnly ? "no copy yet: it has not been fetched" : "cannot be read";
}

} // namespace

bool isCalendarAddress(const std::wstring& source) {
    return startsWithNoCase(source, L"http://") || startsWithNoCase(source, L"https://") ||
           startsWithNoCase(source, L"webcal://") || startsWithNoCase(source, L"webcals://");
}

std::wstring addressToFetch(const std::wstring& source) {
    if (startsWithNoCase(source, L"webcals://"))
        return L"https://" + source.substr(10);
    if (startsWithNoCase(source, L"webcal://"))
        return L"http://" + source.substr(9);
    return source;
}

std::wstring addressForMessages(const std::wstring& address) {
    const size_t scheme = address.find(L"://");
    if (scheme == std::wstring::npos)
        return address;
    const size_t hostStart = scheme + 3;
    const size_t at = address.find(L'@', hostStart);
    const size_t pathStart = address.find_first_of(L"/?#", hostStart);
    if (at == std::wstring::npos || (pathStart != std::wstring::npos && at > pathStart))
        return address;
    const size_t colon = address.find(L':', hostStart);
    if (colon == std::wstring::npos || colon > at)
        return address;
    return address.substr(0, colon + 1) + L"***" + address.substr(at);
}

std::wstring subscriptionCopyPath(const std::wstring& address) {
    std::vector<WCHAR> folder(MAX_PATH);
    if (!DeviceGetSubscriptionFolder(folder.data(), MAX_PATH))
        return std::wstring();
    WCHAR name[32];
    swprintf(name, 32, L"%016llx", static_cast<unsigned long long>(hashOf(address)));
    return std::wstring(folder.data()) + L"\\" + name + L".ics";
}

CalendarSet CalendarSet::ofDevice() {
    CalendarSet set;
    for (const std::wstring& source : deviceSources()) {
        if (!set.key_.empty())
            set.key_ += kSourceJoint;
        set.key_ += source;
        if (isCalendarAddress(source)) {
            const std::wstring address = addressToFetch(source);
            const std::wstring copy = subscriptionCopyPath(address);
            set.addresses_.push_back(address);
            set.members_.push_back({copy, addressForMessages(source), true, stampOf(copy)});
            continue;
        }
        WIN32_FILE_ATTRIBUTE_DATA found;
        const bool there = GetFileAttributesExW(source.c_str(), GetFileExInfoStandard, &found);
        if (there && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            for (CalendarMember& member : calendarFilesIn(source))
                set.members_.push_back(std::move(member));
            continue;
        }
        CalendarMember file{source, source, false, FileStamp()};
        if (there)
            file.stamp = stampFrom(found.ftLastWriteTime, found.nFileSizeHigh, found.nFileSizeLow);
        set.members_.push_back(std::move(file));
    }
    return set;
}

CalendarSet CalendarSet::ofSnapshot(const CalendarSnapshot& snapshot) {
    CalendarSet set;
    set.key_ = snapshot.path;
    for (const CalendarPart& part : snapshot.parts)
        set.members_.push_back({part.path, part.name, part.readOnly, stampOf(part.path)});
    return set;
}

std::vector<MemberContents> contentsOf(const CalendarSnapshot& snapshot) {
    std::vector<MemberContents> contents;
    for (const CalendarPart& part : snapshot.parts) {
        MemberContents member;
        member.found = part.found;
        member.bytes =
            snapshot.calendar.bytes.substr(part.byteBegin, part.byteEnd - part.byteBegin);
        contents.push_back(std::move(member));
    }
    return contents;
}

FileStamp CalendarSet::stamp() const {
    if (members_.size() == 1)
        return members_[0].stamp;
    FileStamp combined;
    std::uint64_t hash = 14695981039346656037ull;
    for (const CalendarMember& member : members_) {
        const FileStamp& stamp = member.stamp;
        combined.exists = combined.exists || stamp.exists;
        hash = hashOf(member.path, hash);
        // Field by field: the record's padding is not part of it.
        const ULONGLONG fields[] = {stamp.exists ? 1u : 0u, stamp.lastWrite, stamp.size};
        hash = fnv1a64(fields, sizeof fields, hash);
        combined.size += stamp.size;
    }
    combined.lastWrite = hash;
    return combined;
}

std::wstring CalendarSet::folderToWatch() const {
    return members_.empty() || members_[0].path.empty() ? std::wstring()
                                                        : folderOf(members_[0].path);
}

bool CalendarSet::read(std::vector<MemberContents>& contents) const {
    bool complete = true;
    contents.clear();
    for (const CalendarMember& member : members_) {
        MemberContents read;
        const FileStamp& stamp = member.stamp;
        read.found = stamp.exists && readCalendarFile(member.path, read.bytes, read.stamp);
        if (stamp.exists && !read.found)
            complete = false;
        if (!read.found)
            read.bytes.clear();
        contents.push_back(std::move(read));
    }
    return complete;
}

std::shared_ptr<const CalendarSnapshot> CalendarSet::build(std::vector<MemberContents> contents,
                                                           const ical::ZoneRule& zone) const {
    if (members_.size() == 1 && !members_[0].readOnly && key_ == members_[0].path)
        return buildSnapshot(key_, contents[0].found, std::move(contents[0].bytes), zone);
    ical::Calendar merged;
    std::vector<LONG> oids;
    std::vector<CalendarPart> parts;
    bool anyFound = false;
    for (size_t i = 0; i < members_.size(); ++i) {
        const CalendarMember& member = members_[i];
        const std::string name =
            utf8FromUtf16(std::u16string(member.name.begin(), member.name.end()));
        CalendarPart part;
        part.path = member.path;
        part.name = member.name;
        part.readOnly = member.readOnly;
        part.found = contents[i].found;
        part.byteBegin = merged.bytes.size();
        part.firstEvent = static_cast<int>(merged.events.size());
        if (!contents[i].found) {
            ical::addError(merged.diagnostics, 0, name + ": " + problemOf(member));
        } else {
            ical::Calendar calendar = ical::readCalendar(std::move(contents[i].bytes));
            for (LONG oid : assignOids(calendar))
                oids.push_back(mixedOid(oid, member.name));
            if (calendar.rejected)
                ical::addError(calendar.diagnostics, 0,
                               "not a calendar that can be read: left out, never rewritten");
            appendCalendar(merged, std::move(calendar), name);
            anyFound = true;
        }
        part.byteEnd = merged.bytes.size();
        part.eventCount = static_cast<int>(merged.events.size()) - part.firstEvent;
        parts.push_back(std::move(part));
    }
    makeUnique(oids);
    return buildSnapshot(key_, anyFound, std::move(merged), std::move(oids), std::move(parts),
                         zone);
}

} // namespace pimstore
