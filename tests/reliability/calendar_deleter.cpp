// A separate program that deletes every appointment of the device's calendar through the store,
// one rewrite of the file after the other, so that a test can end it at any moment.
//   calendar_deleter.exe <event name>
// Sets the named event just before its first delete, so that the test sees it begin without
// opening the file. Prints "deleted=N" and exits 0 when every appointment is deleted, 2 when a
// delete fails, 1 on bad arguments or when the store cannot be reached.
#include <device.h>
#include <pimstore.h>

#include <cstdio>

namespace {

const int kAllDeleted = 0;
const int kUnusable = 1;
const int kDeleteFailed = 2;

// The calendar's appointments (the collection reads the file anew each time); null on failure.
IPOutlookItemCollection* appointments(IPOutlookApp* application) {
    IFolder* calendar = nullptr;
    if (FAILED(application->GetDefaultFolder(olFolderCalendar, &calendar)) || !calendar)
        return nullptr;
    IPOutlookItemCollection* items = nullptr;
    if (FAILED(calendar->get_Items(&items)))
        items = nullptr;
    calendar->Release();
    return items;
}

// Deletes the first appointment of the collection.
bool deleteFirst(IPOutlookItemCollection* items) {
    IDispatch* item = nullptr;
    if (FAILED(items->Item(1, &item)) || !item)
        return false;
    IAppointment* appointment = nullptr;
    HRESULT result = item->QueryInterface(IID_IAppointment, reinterpret_cast<void**>(&appointment));
    item->Release();
    if (FAILED(result) || !appointment)
        return false;
    result = appointment->Delete();
    appointment->Release();
    return SUCCEEDED(result);
}

// Deletes until none is left; kAllDeleted, or kDeleteFailed as soon as one fails.
int deleteAll(IPOutlookApp* application, HANDLE started, int* deleted) {
    for (;;) {
        IPOutlookItemCollection* items = appointments(application);
        if (!items)
            return kDeleteFailed;
        int count = 0;
        bool done = SUCCEEDED(items->get_Count(&count)) && count == 0;
        bool ok = done;
        if (!done) {
            SetEvent(started);
            ok = deleteFirst(items);
        }
        items->Release();
        if (done)
            return kAllDeleted;
        if (!ok)
            return kDeleteFailed;
        ++*deleted;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return kUnusable;
    HANDLE started = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
    if (!started)
        return kUnusable;
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
        CloseHandle(started);
        return kUnusable;
    }
    IPOutlookApp* application = nullptr;
    int status = kUnusable;
    int deleted = 0;
    if (SUCCEEDED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IPOutlookApp, reinterpret_cast<void**>(&application))) &&
        SUCCEEDED(application->Logon(0))) {
        status = deleteAll(application, started, &deleted);
        application->Logoff();
    }
    if (application)
        application->Release();
    CoUninitialize();
    CloseHandle(started);
    std::printf("deleted=%d\n", deleted);
    return status;
}
