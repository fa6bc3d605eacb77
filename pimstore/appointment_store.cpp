#include "appointment_store.h"

#include "calendar_writer.h"
#include "device_clock.h"
#include "module.h"
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

std::wstring deviceCalendarPath() {
    WCHAR path[MAX_PATH];
    return DeviceGetCalendarFile(path, MAX_PATH) ? std::wstring(path) : std::wstring();
}

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
    const std::wstring path = deviceCalendarPath();
    const ical::ZoneRule zone = deviceZone();
    const std::shared_ptr<const CalendarSnapshot> current = snapshot_;
    const bool sameSource = current && current->path == path && sameZone(current->zone, zone);
    const FileStamp stamp = stampOf(path);
    if (!readAlways && sameSource && stamp == stamp_)
        return current;
    std::string bytes;
    FileStamp readStamp;
    const bool found = stamp.exists && readCalendarFile(path, bytes, readStamp);
    if (stamp.exists && !found && sameSource)
        return current; // there but unreadable for now (being written): tried again later
    if (sameSource && current->fileFound == found && current->calendar.bytes == bytes) {
        stamp_ = readStamp;
        return current;
    }
    std::shared_ptr<const CalendarSnapshot> fresh =
        buildSnapshot(path, found, std::move(bytes), zone);
    reportLoad(*fresh);
    install(fresh, readStamp);
    if (sameSource)
        announceDifferences(*current, *fresh);
    else
        watcher_.watchFolder(path.empty() ? std::wstring() : folderOf(path));
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
        const ical::Event& target = current->eventAt(event);
        std::string bytes;
        bool edited = false;
        if (wholeEvent || !target.recurring) {
            edited = ical::deleteEvent(current->calendar, event, bytes);
        } else {
            ical::Occurrence occurrence = item;
            occurrence.event = event;
            occurrence.overrideIndex = overrideOf(target, item.instance);
            edited = ical::deleteOccurrence(current->calendar, occurrence, bytes);
            announcement = DB_CEOID_CHANGED;
        }
        if (!edited)
            return E_FAIL;
        const HRESULT written = replaceCalendarFile(current->path, bytes);
        if (FAILED(written))
            return written;
        const FileStamp stamp = stampOf(current->path);
        install(buildSnapshot(current->path, true, std::move(bytes), current->zone), stamp);
    }
    post(announcement, oid);
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

void AppointmentStore::onFolderChanged(void* self) {
    static_cast<AppointmentStore*>(self)->refreshed();
}

} // namespace pimstore
