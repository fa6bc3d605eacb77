// A separate program that deletes every appointment of the device's calendar through the store,
// one rewrite of the file after the other, so that a test can end it at any moment. Prints
// "deleted=N" and exits 0, or exits 1 when the store cannot be reached.
#include <device.h>
#include <pimstore.h>

#include <cstdio>

namespace {

// Deletes the first appointment of the calendar; false when there is none left (or the store
// refuses).
bool deleteFirst(IPOutlookApp* application) {
    IFolder* calendar = nullptr;
    if (FAILED(application->GetDefaultFolder(olFolderCalendar, &calendar)) || !calendar)
        return false;
    IPOutlookItemCollection* items = nullptr;
    HRESULT result = calendar->get_Items(&items);
    calendar->Release();
    if (FAILED(result) || !items)
        return false;
    IDispatch* item = nullptr;
    result = items->Item(1, &item);
    items->Release();
    if (FAILED(result) || !item)
        return false;
    IAppointment* appointment = nullptr;
    result = item->QueryInterface(IID_IAppointment, reinterpret_cast<void**>(&appointment));
    item->Release();
    if (FAILED(result) || !appointment)
        return false;
    result = appointment->Delete();
    appointment->Release();
    return SUCCEEDED(result);
}

} // namespace

int main() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
        return 1;
    IPOutlookApp* application = nullptr;
    if (FAILED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp,
                                reinterpret_cast<void**>(&application))) ||
        FAILED(application->Logon(0))) {
        if (application)
            application->Release();
        CoUninitialize();
        return 1;
    }
    int deleted = 0;
    while (deleteFirst(application))
        ++deleted;
    application->Logoff();
    application->Release();
    CoUninitialize();
    std::printf("deleted=%d\n", deleted);
    return 0;
}
