#include "application.h"

#include "appointment.h"
#include "appointment_store.h"
#include "folder.h"

namespace pimstore {

namespace {

const HRESULT kNotLoggedOn = HRESULT_FROM_WIN32(ERROR_NOT_LOGGED_ON);

} // namespace

HRESULT Application::create(REFIID iid, void** object) {
    ComPtr<Application> application(new Application());
    return application->QueryInterface(iid, object);
}

Application::~Application() {
    if (loggedOn_)
        AppointmentStore::instance().removeClient();
}

HWND Application::owner() const {
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(owner_.load()));
}

HRESULT STDMETHODCALLTYPE Application::Logon(long hWnd) {
    bool wasLoggedOn = false;
    if (!loggedOn_.compare_exchange_strong(wasLoggedOn, true))
        return S_FALSE;
    owner_ = hWnd;
    AppointmentStore& store = AppointmentStore::instance();
    store.refreshed();
    store.addClient();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Application::Logoff() {
    bool wasLoggedOn = true;
    if (!loggedOn_.compare_exchange_strong(wasLoggedOn, false))
        return S_FALSE;
    AppointmentStore::instance().removeClient();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Application::get_Version(BSTR* version) {
    if (!version)
        return E_POINTER;
    *version = SysAllocString(L"3.0");
    return *version ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE Application::GetDefaultFolder(int folder, IFolder** result) {
    if (!result)
        return E_POINTER;
    *result = nullptr;
    if (!loggedOn_)
        return kNotLoggedOn;
    Folder::Kind kind;
    switch (folder) {
    case olFolderCalendar: kind = Folder::Kind::Calendar; break;
    case olFolderInfrared: kind = Folder::Kind::Infrared; break;
    case olFolderContacts:
    case olFolderTasks:
    case olFolderCities: return E_NOTIMPL;
    default: return E_INVALIDARG;
    }
    *result = new Folder(ComPtr<Application>::shared(this), kind);
    return S_OK;
}

// The event with that identifier, a series as its first occurrence.
HRESULT STDMETHODCALLTYPE Application::GetItemFromOid(long oid, IDispatch** item) {
    if (!item)
        return E_POINTER;
    *item = nullptr;
    if (!loggedOn_)
        return kNotLoggedOn;
    std::shared_ptr<const CalendarSnapshot> snapshot = AppointmentStore::instance().refreshed();
    const int event = snapshot->eventOf(oid);
    daybrook::ical::Occurrence first;
    if (event < 0 || !snapshot->index->firstOccurrence(event, first))
        return E_INVALIDARG;
    *item = new Appointment(ComPtr<Application>::shared(this), std::move(snapshot), first, false);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Application::get_Application(IPOutlookApp** application) {
    if (!application)
        return E_POINTER;
    return handOut(this, application);
}

HRESULT STDMETHODCALLTYPE Application::SysFreeString(BSTR text) {
    ::SysFreeString(text);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Application::VariantTimeToSystemTime(DATE date, SYSTEMTIME* time) {
    if (!time)
        return E_POINTER;
    return ::VariantTimeToSystemTime(date, time) ? S_OK : E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE Application::SystemTimeToVariantTime(SYSTEMTIME* time, DATE* date) {
    if (!time || !date)
        return E_POINTER;
    return ::SystemTimeToVariantTime(time, date) ? S_OK : E_INVALIDARG;
}

} // namespace pimstore
