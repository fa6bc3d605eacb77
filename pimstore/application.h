// The root object, created by CoCreateInstance(CLSID_Application): logs on and hands out the
// calendar and infrared folders and items by object identifier.
#pragma once

#include "com_object.h"

#include <atomic>

namespace pimstore {

class Application : public DispatchObject<IPOutlookApp, IID_IPOutlookApp> {
public:
    static HRESULT create(REFIID iid, void** object);

    // The window given to Logon: the owner of views the appointments show.
    HWND owner() const;

    HRESULT STDMETHODCALLTYPE Logon(long hWnd) override;
    HRESULT STDMETHODCALLTYPE Logoff() override;
    HRESULT STDMETHODCALLTYPE get_Version(BSTR* version) override;
    HRESULT STDMETHODCALLTYPE GetDefaultFolder(int folder, IFolder** result) override;
    HRESULT STDMETHODCALLTYPE CreateItem(int, IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemFromOid(long oid, IDispatch** item) override;
    HRESULT STDMETHODCALLTYPE get_HomeCity(ICity**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_HomeCity(ICity*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_VisitingCity(ICity**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_VisitingCity(ICity*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_CurrentCityIndex(long*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_CurrentCityIndex(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReceiveFromInfrared() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_OutlookCompatible(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTimeZoneFromIndex(int, ITimeZone**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTimeZoneInformationFromIndex(int,
                                                              TIME_ZONE_INFORMATION*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_Application(IPOutlookApp** application) override;
    HRESULT STDMETHODCALLTYPE SysFreeString(BSTR text) override;
    HRESULT STDMETHODCALLTYPE VariantTimeToSystemTime(DATE date, SYSTEMTIME* time) override;
    HRESULT STDMETHODCALLTYPE SystemTimeToVariantTime(SYSTEMTIME* time, DATE* date) override;

private:
    Application() = default;
    ~Application() override;

    std::atomic<bool> loggedOn_{false};
    std::atomic<LONG> owner_{0}; // window handles keep their meaning in 32 bits
};

} // namespace pimstore
