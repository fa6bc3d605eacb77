// A separate program that deletes every appointment of the device's calendar through the store,
// one rewrite of the file after the other, so that a test can end it at any moment.
//   calendar_deleter.exe <event name> [<subject start>]
// With a subject start it deletes only the appointments whose subject begins with it.
// Sets the named event just before its first delete, so that the test sees it begin without
// opening the file. Prints "deleted=N" and exits 0 when every appointment is deleted, 2 when a
// delete fails, 1 on bad arguments or when the store cannot be reached.
#include <device.h>
#include <pimstore.h>

#include <cstdio>
#include <cwchar>

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

IAppointment* appointmentAt(IPOutlookItemCollection* items, int index) {
    IDispatch* item = nullptr;
    if (FAILED(items->Item(index, &item)) || !item)
        return nullptr;
    IAppointment* appointment = nullptr;
    if (FAILED(item->QueryInterface(IID_IAppointment, reinterpret_cast<void**>(&appointment))))
        appointment = nullptr;
    item->Release();
    return appointment;
}

bool subjectBegins(IAppointment* appointment, const wchar_t* start) {
    BSTR subject = nullptr;
    const bool begins = SUCCEEDED(appointment->get_Subject(&subject)) && subject &&
                        wcsncmp(subject, start, wcslen(start)) == 0;
    SysFreeString(subject);
    return begins;
}

// The first appointment of the collection whose subject begins so; null when none does.
IAppointment* firstWanted(IPOutlookItemCollection* items, const wchar_t* start) {
    int count = 0;
    if (FAILED(items->get_Count(&count)))
        return nullptr;
    for (int index = 1; index <= count; ++index) {
        IAppointment* appointment = appointmentAt(items, index);
        if (appointment && subjectBegins(appointment, start))
            return appointment;
        if (appointment)
            appointment->Release();
    }
    return nullptr;
}

// Deletes until none is left; kAllDeleted, or kDeleteFailed as soon as one fails.
int deleteAll(IPOutlookApp* application, const wchar_t* subjectStart, HANDLE started,
              int* deleted) {
    for (;;) {
        IPOutlookItemCollection* items = appointments(application);
        if (!items)
            return kDeleteFailed;
        IAppointment* wanted = firstWanted(items, subjectStart);
        const bool done = wanted == nullptr;
        bool ok = done;
        if (!done) {
            SetEvent(started);
            ok = SUCCEEDED(wanted->Delete());
            wanted->Release();
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
    if (argc != 2 && argc != 3)
        return kUnusable;
    wchar_t subjectStart[64] = L"";
    if (argc == 3 && !MultiByteToWideChar(CP_UTF8, 0, argv[2], -1, subjectStart, 64))
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
        status = deleteAll(application, subjectStart, started, &deleted);
        application->Logoff();
    }
    if (application)
        application->Release();
    CoUninitialize();
    CloseHandle(started);
    std::printf("deleted=%d\n", deleted);
    return status;
}
