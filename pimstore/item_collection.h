// A list of appointments: the calendar folder's own Items (every appointment of the store as
// it is now) or what Restrict left of it (fixed to the calendar as it was when restricted).
#pragma once

#include "application.h"
#include "appointment_listing.h"
#include "com_ptr.h"

#include <memory>
#include <vector>

namespace pimstore {

class ItemCollection : public DispatchObject<IPOutlookItemCollection, IID_IPOutlookItemCollection> {
public:
    static ComPtr<ItemCollection> folderItems(ComPtr<Application> application);

    HRESULT STDMETHODCALLTYPE Add(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Count(int* count) override;
    HRESULT STDMETHODCALLTYPE Find(BSTR, IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindNext(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Item(int index, IDispatch** item) override;
    HRESULT STDMETHODCALLTYPE Remove(int) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Restrict(BSTR filter, IPOutlookItemCollection** result) override;
    HRESULT STDMETHODCALLTYPE Sort(BSTR property, VARIANT_BOOL descending) override;
    HRESULT STDMETHODCALLTYPE get_IncludeRecurrences(VARIANT_BOOL* include) override;
    HRESULT STDMETHODCALLTYPE put_IncludeRecurrences(VARIANT_BOOL include) override;
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Application(IPOutlookApp** application) override;

private:
    using Filters = FilterList;
    using Items = std::vector<daybrook::ical::Occurrence>;

    ItemCollection(ComPtr<Application> application, bool followsStore,
                   std::shared_ptr<const CalendarSnapshot> snapshot, Filters filters,
                   bool includeRecurrences, SortOrder order);
    ~ItemCollection() override;

    // Under lock_: starts the list when it is missing or out of date, and lists on until it
    // holds `count` items or all of them. An order other than by start needs them all.
    void listAtLeast(size_t count);
    void listAll() { listAtLeast(static_cast<size_t>(-1)); }

    ComPtr<Application> application_;
    const bool followsStore_;
    const Filters filters_;
    SRWLOCK lock_ = SRWLOCK_INIT; // the rest may change; collections may be shared by threads
    std::shared_ptr<const CalendarSnapshot> snapshot_;
    bool includeRecurrences_;
    SortOrder order_;
    bool listed_ = false;
    AppointmentList list_;
};

} // namespace pimstore
