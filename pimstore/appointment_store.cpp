#include "appointment_store.h"

#include "calendar_set.h"
#include "calendar_writer.h"
#include "device_clock.h"
#include "module.h"
#include "recycled_blocks.h"
#include "scoped_lock.h"
#include "text.h"

#include <device.h>
#include <windbase.h>

#include <unordered_map>

namespace pimstore {

namespace ical = daybrook::ical;

namespace {

// Past this many changed events one "the database changed" tells the listeners as much.
const size_t kMaxSeparateNotifications = 16;

DWORD appointmentsDatabaseOid() {
    static const DWORD oid = [] {
        CEOID found = 0;
        WCHAR name[] = L"Appointments Database";
        HANDLE database = CeOpenDatabase(&found, name, 0, 0, nullptr);
        if (database != INVALID_HANDLE_VALUE)
            CloseHandle(database);
        return static_cast<DWORD>(found);
    }();
    return oid;
}

int overrideOf(const ical::Event& event, ical::LocalTime instance) {
    for (size_t i = 0; i < event.overrides.size(); ++i) {
        if (event.overrides[i].instance == instance && !event.overrides[i].cancelled)
            return static_cast<int>(i);
    }
    return -1;
}

// Nothing to tell anyone: the same bytes from the same files.
bool sameContents(const CalendarSnapshot& snapshot, const std::vector<MemberContents>& contents) {
    if (snapshot.parts.size() != contents.size())
        return false;
    for (size_t i = 0; i < contents.size(); ++i) {
        const CalendarPart& part = snapshot.parts[i];
        if (part.found != contents[i].found ||
            snapshot.calendar.bytes.compare(part.byteBegin, part.byteEnd - part.byteBegin,
                                            contents[i].bytes) != 0)
            return false;
    }
    return true;
}

void post(UINT message, LONG oid) {
    DevicePostDatabaseNotification(message, static_cast<DWORD>(oid));
}

} // namespace

AppointmentStore& AppointmentStore::instance() {
    static AppointmentStore store;
    return store;
}

AppointmentStore::AppointmentStore() {
    InitializeCriticalSection(&fileLock_);
    InitializeCriticalSection(&clientLock_);
    // The calendar stays loaded between Application objects for the life of the process.
    keepModuleLoaded();
    DeviceSetDatabaseListenersCallback(onListenersChanged, this);
}

AppointmentStore::~AppointmentStore() {
    DeviceSetDatabaseListenersCallback(nullptr, nullptr);
    DeleteCriticalSection(&clientLock_);
    DeleteCriticalSection(&fileLock_);
}

std::shared_ptr<const CalendarSnapshot> AppointmentStore::latest() {
    std::shared_ptr<const CalendarSnapshot> snapshot;
    {
        SharedLock guard(&snapshotLock_);
        snapshot = snapshot_;
    }
    return snapshot ? snapshot : refreshed();
}

std::shared_ptr<const CalendarSnapshot> AppointmentStore::refreshed() {
    SectionLock guard(&fileLock_);
    return reloadLocked(false);
}

// Under fileLock_. readAlways compares the bytes even when the stamp says nothing changed.
std::shared_ptr<const CalendarSnapshot> AppointmentStore::reloadLocked(bool readAlways) {
    const CalendarSet set = CalendarSet::ofDevice();
    const ical::ZoneRule zone = deviceZone();
    const std::shared_ptr<const CalendarSnapshot> current = snapshot_;
    const bool sameSource = current && current->path == set.key() && sameZone(current->zone, zone);
    const FileStamp stamp = set.stamp();
    if (!readAlways && sameSource && stamp == stamp_)
        return current;
    std::vector<MemberContents> contents;
    const bool complete = set.read(contents);
    if (!complete && sameSource)
        return current; // there but unreadable for now (being written): tried again later
    // What was read carries its own stamp; a set, the one taken before reading it. While a file
    // is unreadable no stamp is kept, so that the next look reads again.
    FileStamp readStamp = contents.size() == 1 ? contents[0].stamp : stamp;
    if (!complete)
        readStamp = FileStamp();
    if (sameSource && sameContents(*current, contents)) {
        stamp_ = readStamp;
        return current;
    }
    std::shared_ptr<const CalendarSnapshot> fresh = set.build(std::move(contents), zone);
    reportLoad(*fresh);
    install(fresh, readStamp);
    if (sameSource) {
        announceDifferences(*current, *fresh);
    } else {
        watcher_.watchFolder(set.folderToWatch());
        subscriptions_.follow(set.addresses());
    }
    return fresh;
}

void AppointmentStore::install(std::shared_ptr<const CalendarSnapshot> snapshot,
                               const FileStamp& stamp) {
    stamp_ = stamp;
    {
        ExclusiveLock guard(&snapshotLock_);
        snapshot_.swap(snapshot);
    }
    // The old snapshot goes here, outside the lock, unless a collection still holds it.
}

// Another program changed the file: each listener hears which events were added, changed or
// removed, or only that the database changed when that is many.
void AppointmentStore::announceDifferences(const CalendarSnapshot& before,
                                           const CalendarSnapshot& after) {
    struct Change {
        UINT message;
        LONG oid;
    };
    std::vector<Change> changes;
    for (size_t i = 0; i < after.oids.size(); ++i) {
        const int old = before.eventOf(after.oids[i]);
        if (old < 0)
            changes.push_back({DB_CEOID_CREATED, after.oids[i]});
        else if (before.eventText(old) != after.eventText(static_cast<int>(i)))
            changes.push_back({DB_CEOID_CHANGED, after.oids[i]});
    }
    for (LONG oid : before.oids) {
        if (after.eventOf(oid) < 0)
            changes.push_back({DB_CEOID_RECORD_DELETED, oid});
    }
    if (changes.empty() || changes.size() > kMaxSeparateNotifications) {
        // Zones or other shared parts changed, or a great deal did.
        post(DB_CEOID_CHANGED, static_cast<LONG>(appointmentsDatabaseOid()));
        return;
    }
    for (const Change& change : changes)
        post(change.message, change.oid);
}

void AppointmentStore::reportLoad(const CalendarSnapshot& snapshot) {
    for (const ical::Diagnostic& diagnostic : snapshot.calendar.diagnostics) {
        if (diagnostic.severity != ical::Severity::Error)
            continue;
        const std::wstring line = L"pimstore: " + snapshot.path + L" line " +
                                  std::to_wstring(diagnostic.line) + L": " +
                                  wideFromUtf8(diagnostic.message) + L"\n";
        OutputDebugStringW(line.c_str());
    }
    if (snapshot.calendar.rejected)
        OutputDebugStringW((L"pimstore: " + snapshot.path +
                            L" was rejected; it is shown empty and never rewritten\n")
                               .c_str());
}

HRESULT AppointmentStore::deleteAppointment(const CalendarSnapshot& source,
                                            const ical::Occurrence& item, bool wholeEvent) {
    const LONG oid = source.oidOf(item);
    UINT announcement = DB_CEOID_RECORD_DELETED;
    {
        const CalendarWriteLock otherPrograms;
        if (!otherPrograms.held())
            return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
        SectionLock guard(&fileLock_);
        // The file as it is now, so that nothing another program wrote meanwhile is lost.
        const std::shared_ptr<const CalendarSnapshot> current = reloadLocked(true);
        if (!source.fileFound || current->path != source.path || !current->fileFound)
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        if (current->calendar.rejected)
            return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
        const int event = current->eventOf(oid);
        if (event < 0)
            return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
        const HRESULT deleted = deleteFromPart(*current, event, item, wholeEvent, announcement);
        if (FAILED(deleted))
            return deleted;
    }
    post(announcement, oid);
    return S_OK;
}

// Edits only the file the event came from, then shows the calendars with that file's new bytes.
HRESULT AppointmentStore::deleteFromPart(const CalendarSnapshot& current, int event,
                                         const ical::Occurrence& item, bool wholeEvent,
                                         UINT& announcement) {
    const CalendarPart* part = current.partOf(event);
    if (!part || !part->found)
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    if (part->readOnly) {
        OutputDebugStringW((L"pimstore: " + part->name +
                            L" is a subscription and read only: nothing was deleted\n")
                               .c_str());
        return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
    }
    const bool whole = current.parts.size() == 1;
    const ical::Calendar partCalendar =
        whole ? ical::Calendar()
              : ical::readCalendar(current.calendar.bytes.substr(part->byteBegin,
                                                                 part->byteEnd - part->byteBegin));
    const ical::Calendar& calendar = whole ? current.calendar : partCalendar;
    if (calendar.rejected)
        return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    const int local = event - part->firstEvent;
    if (local < 0 || local >= static_cast<int>(calendar.events.size()))
        return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    const ical::Event& target = calendar.events[static_cast<size_t>(local)];
    std::string bytes;
    bool edited = false;
    if (wholeEvent || !target.recurring) {
        edited = ical::deleteEvent(calendar, local, bytes);
    } else {
        ical::Occurrence occurrence = item;
        occurrence.event = local;
        occurrence.overrideIndex = overrideOf(target, item.instance);
        edited = ical::deleteOccurrence(calendar, occurrence, bytes);
        announcement = DB_CEOID_CHANGED;
    }
    if (!edited)
        return E_FAIL;
    const HRESULT written = replaceCalendarFile(part->path, bytes);
    if (FAILED(written))
        return written;
    const size_t index = static_cast<size_t>(part - current.parts.data());
    const CalendarSet set = CalendarSet::ofSnapshot(current);
    std::vector<MemberContents> contents = contentsOf(current);
    contents[index].bytes = std::move(bytes);
    const FileStamp stamp = whole ? stampOf(part->path) : set.stamp();
    install(set.build(std::move(contents), current.zone), stamp);
    return S_OK;
}

void AppointmentStore::addClient() {
    SectionLock guard(&clientLock_);
    if (clients_++ == 0)
        watcher_.start(onFolderChanged, this);
}

void AppointmentStore::removeClient() {
    SectionLock guard(&clientLock_);
    if (clients_ > 0)
        --clients_;
    stopWatchingUnlessNeeded();
}

void AppointmentStore::stopWatchingUnlessNeeded() {
    if (clients_ == 0 && watcher_.running() && DeviceCountDatabaseNotifyWindows() == 0)
        watcher_.stop();
}

void AppointmentStore::onListenersChanged(void* self) {
    AppointmentStore* store = static_cast<AppointmentStore*>(self);
    SectionLock guard(&store->clientLock_);
    store->stopWatchingUnlessNeeded();
}

// Also the store's idle tick (about a second): large blocks no load took go back to the heap.
void AppointmentStore::onFolderChanged(void* self) {
    static_cast<AppointmentStore*>(self)->refreshed();
    releaseRecycledBlocks(kRecycledBlocksIdleMilliseconds);
}

} // namespace pimstore
