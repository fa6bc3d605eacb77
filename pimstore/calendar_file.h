// The calendar file on disk: what it looks like now, reading it whole and replacing it whole.
#pragma once

#include <windows.h>

#include <string>

namespace pimstore {

// Enough to tell that a file changed without reading it.
struct FileStamp {
    bool exists = false;
    ULONGLONG lastWrite = 0;
    ULONGLONG size = 0;

    bool operator==(const FileStamp& other) const {
        return exists == other.exists && lastWrite == other.lastWrite && size == other.size;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

FileStamp stampOf(const std::wstring& path);

// The bytes and the stamp they belong to; retried while another program is writing the file.
// False when the file does not exist or cannot be read.
bool readCalendarFile(const std::wstring& path, std::string& bytes, FileStamp& stamp);

// Writes a new file beside the old one and moves it over, so that a reader sees either the old
// bytes or the new ones, never a part.
HRESULT replaceCalendarFile(const std::wstring& path, const std::string& bytes);

std::wstring folderOf(const std::wstring& path);

// Held around reading, editing and replacing a calendar file, by every program on the device
// that uses the store: two programs deleting at once (the Today screen and the Calendar program)
// would otherwise each write its own edit of the same old file, and the first delete, reported
// done, would be undone by the second.
class CalendarWriteLock {
public:
    CalendarWriteLock();
    ~CalendarWriteLock();
    CalendarWriteLock(const CalendarWriteLock&) = delete;
    CalendarWriteLock& operator=(const CalendarWriteLock&) = delete;
    // False when another program kept it for longer than any write takes.
    bool held() const { return held_; }

private:
    HANDLE mutex_;
    bool held_ = false;
};

} // namespace pimstore
