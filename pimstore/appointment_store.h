// The one calendar of the process: loaded once, shared by every Application object, read again
// only when the file, its name or the device's zone changes. Deletes are written back here, and
// changes (ours or another program's) are announced to the object store's listeners.
#pragma once

#include "calendar_file.h"
#include "calendar_snapshot.h"
#include "file_watcher.h"
#include "subscription.h"

#include <memory>
#include <string>

namespace pimstore {

class AppointmentStore {
public:
    static AppointmentStore& instance();

    AppointmentStore();
    AppointmentStore(const AppointmentStore&) = delete;
    AppointmentStore& operator=(const AppointmentStore&) = delete;
    ~AppointmentStore();

    // The calendar the device names now: the file is looked at, and read again when it changed.
    std::shared_ptr<const CalendarSnapshot> refreshed();
    // What was loaded last; the watcher keeps it current while anyone is logged on.
    std::shared_ptr<const CalendarSnapshot> latest();

    // Removes a whole event (its VEVENT and overrides) or one occurrence (an EXDATE) from the
    // file the item came from, as the file is now. Fails for a file that did not parse and for
    // an event that is no longer there.
    HRESULT deleteAppointment(const CalendarSnapshot& source,
                              const daybrook::ical::Occurrence& item, bool wholeEvent);

    // Logged-on applications: the folder is watched while there is at least one, and after the
    // last has gone for as long as a window listens for the object store's notifications (an
    // item between two rebuilds), so that a change made meanwhile still reaches it.
    void addClient();
    void removeClient();

    // "address: problem" lines for subscriptions whose last fetch failed.
    std::wstring subscriptionProblems() const { return subscriptions_.problems(); }

private:
    static void onFolderChanged(void* self);
    static void onListenersChanged(void* self);
    void stopWatchingUnlessNeeded(); // under clientLock_
    std::shared_ptr<const CalendarSnapshot> reloadLocked(bool force);
    void install(std::shared_ptr<const CalendarSnapshot> snapshot, const FileStamp& stamp);
    void announceDifferences(const CalendarSnapshot& before, const CalendarSnapshot& after);
    void reportLoad(const CalendarSnapshot& snapshot);
    HRESULT deleteFromPart(const CalendarSnapshot& current, int event,
                           const daybrook::ical::Occurrence& item, bool wholeEvent,
                           UINT& announcement);

    CRITICAL_SECTION fileLock_;           // one reader or writer of the file at a time
    SRWLOCK snapshotLock_ = SRWLOCK_INIT; // guards snapshot_
    std::shared_ptr<const CalendarSnapshot> snapshot_;
    FileStamp stamp_; // of the bytes snapshot_ holds; under fileLock_

    CRITICAL_SECTION clientLock_;
    int clients_ = 0;
    FileWatcher watcher_;
    SubscriptionRefresher subscriptions_{onFolderChanged, this};
};

} // namespace pimstore
