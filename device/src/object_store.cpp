// The object store as far as the item sees it: "Appointments Database" opened with a
// notification window registers that window for the store's change notifications.
#define CEDEVICE_BUILD
#include "device.h"
#include "device_env.h"
#include "windbase.h"

#include <vector>

namespace {

// The object identifier the emulated store gives its calendar database.
const CEOID kAppointmentsDatabaseOid = 0x00010001;

struct Registration {
    HANDLE handle;
    HWND window;
};

struct Registrations {
    CRITICAL_SECTION lock;
    std::vector<Registration> entries;
    DeviceListenersChanged listenersChanged = nullptr;
    void* listenersContext = nullptr;
    Registrations() { InitializeCriticalSection(&lock); }
    ~Registrations() { DeleteCriticalSection(&lock); }
};

Registrations& registrations() {
    static Registrations instance;
    return instance;
}

struct Locked {
    explicit Locked(CRITICAL_SECTION* section) : section_(section) {
        EnterCriticalSection(section_);
    }
    ~Locked() { LeaveCriticalSection(section_); }
    CRITICAL_SECTION* section_;
};

// Outside the lock: the listener may stop a thread that is posting notifications right now.
void tellListenersChanged() {
    DeviceListenersChanged callback;
    void* context;
    {
        Locked guard(&registrations().lock);
        callback = registrations().listenersChanged;
        context = registrations().listenersContext;
    }
    if (callback)
        callback(context);
}

} // namespace

WINDBASE_API HANDLE WINAPI CeOpenDatabase(PCEOID poid, LPWSTR lpszName, CEPROPID, DWORD,
                                          HWND hwndNotify) {
    bool byName = poid == nullptr || *poid == 0;
    bool isCalendar = byName ? lpszName && lstrcmpiW(lpszName, L"Appointments Database") == 0
                             : *poid == kAppointmentsDatabaseOid;
    if (!isCalendar) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    // A real kernel object, so that the handle can be closed like any other.
    HANDLE handle = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!handle)
        return INVALID_HANDLE_VALUE;
    if (poid)
        *poid = kAppointmentsDatabaseOid;
    if (hwndNotify) {
        {
            Locked guard(&registrations().lock);
            registrations().entries.push_back(Registration{handle, hwndNotify});
        }
        tellListenersChanged();
    }
    return handle;
}

DEVICE_ENV_API BOOL WINAPI DeviceCloseHandle(HANDLE handle) {
    bool unregistered = false;
    {
        Locked guard(&registrations().lock);
        std::vector<Registration>& entries = registrations().entries;
        for (size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].handle == handle) {
                entries.erase(entries.begin() + static_cast<ptrdiff_t>(i));
                unregistered = true;
                break;
            }
        }
    }
    BOOL closed = CloseHandle(handle);
    if (unregistered)
        tellListenersChanged();
    return closed;
}

DEVICE_API int DevicePostDatabaseNotification(UINT msg, DWORD oid) {
    Locked guard(&registrations().lock);
    int told = 0;
    for (const Registration& entry : registrations().entries) {
        if (PostMessageW(entry.window, msg, oid, kAppointmentsDatabaseOid))
            ++told;
    }
    return told;
}

DEVICE_API int DeviceCountDatabaseNotifyWindows(void) {
    Locked guard(&registrations().lock);
    return static_cast<int>(registrations().entries.size());
}

DEVICE_API void DeviceSetDatabaseListenersCallback(DeviceListenersChanged callback, void* context) {
    Locked guard(&registrations().lock);
    registrations().listenersChanged = callback;
    registrations().listenersContext = context;
}
