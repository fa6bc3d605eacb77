// Where the device "beams" items: there is no infrared port, so they land in a folder.
#define CEDEVICE_BUILD
#include "device.h"

namespace {

const WCHAR kDefaultOutbox[] = L"C:\\Outbox";

struct Outbox {
    SRWLOCK lock = SRWLOCK_INIT;
    WCHAR folder[MAX_PATH] = {};
};

Outbox gOutbox;

} // namespace

DEVICE_API void DeviceSetOutboxFolder(const WCHAR* path) {
    AcquireSRWLockExclusive(&gOutbox.lock);
    lstrcpynW(gOutbox.folder, path ? path : L"", MAX_PATH);
    ReleaseSRWLockExclusive(&gOutbox.lock);
}

DEVICE_API BOOL DeviceGetOutboxFolder(WCHAR* buffer, int bufferLength) {
    AcquireSRWLockShared(&gOutbox.lock);
    const WCHAR* folder = gOutbox.folder[0] ? gOutbox.folder : kDefaultOutbox;
    const BOOL fits = bufferLength > lstrlenW(folder);
    if (fits)
        lstrcpynW(buffer, folder, bufferLength);
    ReleaseSRWLockShared(&gOutbox.lock);
    return fits;
}
