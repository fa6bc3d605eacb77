// The device's calendars as the store reads them: every source the device names (a calendar
// file, a folder of .ics files, a calendar address) becomes one or more calendar files, which are
// read and merged into one snapshot in which every event keeps the file it came from.
#pragma once

#include "calendar_file.h"
#include "calendar_snapshot.h"

#include <memory>
#include <string>
#include <vector>

namespace pimstore {

struct CalendarMember {
    std::wstring path;     // the file read
    std::wstring name;     // for messages: the file, or the address of a subscription
    bool readOnly = false; // a subscription's copy: never written back
    FileStamp stamp;       // when the set was named: one look at the disk serves both
};

struct MemberContents {
    FileStamp stamp;
    bool found = false;
    std::string bytes;
};

class CalendarSet {
public:
    // The calendars the device names now; a folder is listed as it is now.
    static CalendarSet ofDevice();
    // The members of a snapshot, to merge it again after one file changed.
    static CalendarSet ofSnapshot(const CalendarSnapshot& snapshot);

    // Names the set: the one source's path, or the sources joined.
    const std::wstring& key() const { return key_; }
    const std::vector<CalendarMember>& members() const { return members_; }
    // Changes whenever a member's file does, or the members do.
    FileStamp stamp() const;
    // Where a change shows first: the first member's folder.
    std::wstring folderToWatch() const;
    // The subscriptions' addresses as they are fetched (http:// or https://).
    const std::vector<std::wstring>& addresses() const { return addresses_; }

    // Reads every member. False when a file that is there could not be read now (another
    // program is writing it): what was read is still in contents.
    bool read(std::vector<MemberContents>& contents) const;
    // One snapshot of them all. With a single member it is exactly that file's.
    std::shared_ptr<const CalendarSnapshot> build(std::vector<MemberContents> contents,
                                                  const daybrook::ical::ZoneRule& zone) const;

private:
    std::wstring key_;
    std::vector<CalendarMember> members_;
    std::vector<std::wstring> addresses_;
};

// The member contents of a snapshot as they were read, for merging again.
std::vector<MemberContents> contentsOf(const CalendarSnapshot& snapshot);

// True for the addresses a calendar can be subscribed to: http://, https://, webcal://,
// webcals://. addressToFetch turns webcal into http.
bool isCalendarAddress(const std::wstring& source);
std::wstring addressToFetch(const std::wstring& source);
// The address as messages show it: a password in it replaced by "***".
std::wstring addressForMessages(const std::wstring& address);
// Where the device keeps the copy of a subscription (a file named after the address).
std::wstring subscriptionCopyPath(const std::wstring& address);

} // namespace pimstore
