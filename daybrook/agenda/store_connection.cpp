#include "store_connection.h"

namespace {
thread_local IPOutlookApp* tStore = nullptr;
}

int EnsureStore(HWND owner) {
    if (tStore)
        return 1;
    IPOutlookApp* application = nullptr;
    if (FAILED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp,
                                reinterpret_cast<void**>(&application))) ||
        !application)
        return 0;
    // The window handle travels as a 32-bit long, as the object model declares it.
    if (FAILED(application->Logon(static_cast<long>(reinterpret_cast<LONG_PTR>(owner))))) {
        application->Release();
        return 0;
    }
    tStore = application;
    return 1;
}

IPOutlookApp* AcquireStore() {
    if (tStore)
        tStore->AddRef();
    return tStore;
}

void CloseStore() {
    if (!tStore)
        return;
    tStore->Logoff();
    tStore->Release();
    tStore = nullptr;
}
