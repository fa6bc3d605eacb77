// The library's entry points: the class object for CLSID_Application, unloading, registration
// and the load report.
#define PIMSTORE_BUILD
#include "module.h"

#include "application.h"
#include "appointment_store.h"
#include "calendar_set.h"
#include "pimstore_diagnostics.h"
#include "recycled_blocks.h"
#include "registration.h"
#include "subscription.h"

#include <device.h>
#include "text.h"

namespace pimstore {

namespace {

HMODULE gModule = nullptr;
LONG gObjects = 0;
LONG gLocks = 0;

class ClassFactory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // One static object: its references keep the library loaded, not the object alive.
    ULONG STDMETHODCALLTYPE AddRef() override {
        lockModule(true);
        return 2;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        lockModule(false);
        return 1;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return Application::create(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lockModule(lock != FALSE);
        return S_OK;
    }
};

ClassFactory gFactory;

std::wstring diagnosticLines(const daybrook::ical::Diagnostics& diagnostics) {
    std::wstring text;
    for (const daybrook::ical::Diagnostic& diagnostic : diagnostics) {
        const bool error = diagnostic.severity == daybrook::ical::Severity::Error;
        text += L"line " + std::to_wstring(diagnostic.line) +
                (error ? L": error: " : L": warning: ") + wideFromUtf8(diagnostic.message) + L"\n";
    }
    return text;
}

PimStoreLoadReport reportOf(const CalendarSnapshot& snapshot) {
    PimStoreLoadReport report = {};
    report.fileFound = snapshot.fileFound;
    report.rejected = snapshot.calendar.rejected;
    for (const daybrook::ical::Diagnostic& diagnostic : snapshot.calendar.diagnostics) {
        if (diagnostic.severity == daybrook::ical::Severity::Warning)
            ++report.warnings;
        else if (report.errorLine == 0)
            report.errorLine = diagnostic.line;
    }
    report.events = static_cast<int>(snapshot.firstOccurrences.size());
    return report;
}

} // namespace

void objectCreated() {
    InterlockedIncrement(&gObjects);
}
void objectDestroyed() {
    InterlockedDecrement(&gObjects);
}

HMODULE moduleHandle() {
    return gModule;
}

void keepModuleLoaded() {
    HMODULE pinned = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&keepModuleLoaded), &pinned);
}

bool moduleInUse() {
    return InterlockedCompareExchange(&gObjects, 0, 0) != 0 ||
           InterlockedCompareExchange(&gLocks, 0, 0) != 0;
}

void lockModule(bool lock) {
    if (lock)
        InterlockedIncrement(&gLocks);
    else
        InterlockedDecrement(&gLocks);
}

} // namespace pimstore

using namespace pimstore;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    // Nothing else here: the store starts its thread when someone logs on, never under the
    // loader lock.
    if (reason == DLL_PROCESS_ATTACH) {
        gModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    // Unloaded while the process goes on: the kept blocks are the process heap's, give them back.
    if (reason == DLL_PROCESS_DETACH && !reserved)
        releaseRecycledBlocks(0);
    return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_Application))
        return CLASS_E_CLASSNOTAVAILABLE;
    return gFactory.QueryInterface(iid, object);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    return moduleInUse() ? S_FALSE : S_OK;
}

extern "C" HRESULT WINAPI DllRegisterServer() {
    return registerServer(moduleHandle());
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
    return unregisterServer();
}

PIMSTORE_API BOOL WINAPI PimStoreGetLoadReport(PimStoreLoadReport* report, WCHAR* messages,
                                               int messagesLength) {
    if (!report)
        return FALSE;
    const std::shared_ptr<const CalendarSnapshot> snapshot =
        AppointmentStore::instance().refreshed();
    *report = reportOf(*snapshot);
    report->keptForNextLoad = recycledBlockBytes();
    if (!messages || messagesLength <= 0)
        return TRUE;
    const std::wstring text = diagnosticLines(snapshot->calendar.diagnostics) +
                              AppointmentStore::instance().subscriptionProblems();
    lstrcpynW(messages, text.c_str(), messagesLength);
    return static_cast<int>(text.size()) < messagesLength;
}

PIMSTORE_API int WINAPI PimStoreFetchSubscriptions(WCHAR* problems, int problemsLength) {
    const DWORD timeout = DeviceGetNetworkTimeout();
    int current = 0;
    std::wstring text;
    const CalendarSet calendars = CalendarSet::ofDevice();
    for (const std::wstring& address : calendars.addresses()) {
        std::wstring problem;
        if (fetchSubscription(address, subscriptionCopyPath(address), timeout, problem) !=
            FetchOutcome::Failed)
            ++current;
        else
            text += addressForMessages(address) + L": " + problem + L"\n";
    }
    if (problems && problemsLength > 0)
        lstrcpynW(problems, text.c_str(), problemsLength);
    return current;
}
