#include "item_collection.h"

#include "appointment.h"
#include "appointment_store.h"
#include "device_clock.h"
#include "scoped_lock.h"

namespace pimstore {

namespace ical = daybrook::ical;

ComPtr<ItemCollection> ItemCollection::folderItems(ComPtr<Application> application) {
    return ComPtr<ItemCollection>(new ItemCollection(std::move(application), true,
                                                     AppointmentStore::instance().refreshed(),
                                                     Filters(), false, SortOrder()));
}

ItemCollection::ItemCollection(ComPtr<Application> application, bool followsStore,
                               std::shared_ptr<const CalendarSnapshot> snapshot, Filters filters,
                               bool includeRecurrences, SortOrder order)
    : application_(std::move(application)), followsStore_(followsStore),
      filters_(std::move(filters)), snapshot_(std::move(snapshot)),
      includeRecurrences_(includeRecurrences), order_(order) {}

ItemCollection::~ItemCollection() = default;

void ItemCollection::listAtLeast(size_t count) {
    if (followsStore_) {
        std::shared_ptr<const CalendarSnapshot> latest = AppointmentStore::instance().latest();
        if (latest != snapshot_) {
            snapshot_ = std::move(latest);
            listed_ = false;
        }
    }
    if (!listed_) {
        list_.start(*snapshot_, filters_, includeRecurrences_, deviceNow);
        listed_ = true;
        if (!isByStartAscending(order_)) {
            list_.listAll(*snapshot_);
            sortAppointments(*snapshot_, list_.items(), order_);
        }
    }
    list_.listAtLeast(*snapshot_, count);
}

HRESULT STDMETHODCALLTYPE ItemCollection::get_Count(int* count) {
    if (!count)
        return E_POINTER;
    ExclusiveLock guard(&lock_);
    listAll();
    *count = static_cast<int>(list_.items().size());
    return S_OK;
}

// One-based, in the current order.
HRESULT STDMETHODCALLTYPE ItemCollection::Item(int index, IDispatch** item) {
    if (!item)
        return E_POINTER;
    *item = nullptr;
    if (index < 1)
        return E_INVALIDARG;
    ExclusiveLock guard(&lock_);
    listAtLeast(static_cast<size_t>(index));
    const Items& items = list_.items();
    if (static_cast<size_t>(index) > items.size())
        return E_INVALIDARG;
    ComPtr<Appointment> appointment(new Appointment(
        application_, snapshot_, items[static_cast<size_t>(index - 1)], includeRecurrences_));
    *item = appointment.detach();
    return S_OK;
}

// A new collection of the items that also match the filter; none matching is S_OK with null.
HRESULT STDMETHODCALLTYPE ItemCollection::Restrict(BSTR filterText,
                                                   IPOutlookItemCollection** result) {
    if (!result)
        return E_POINTER;
    *result = nullptr;
    auto filter = std::make_shared<ItemFilter>();
    const HRESULT parsed = ItemFilter::parse(filterText, *filter);
    if (FAILED(parsed))
        return parsed;
    ExclusiveLock guard(&lock_);
    Filters filters;
    filters.reserve(filters_.size() + 1);
    filters = filters_;
    filters.push_back(filter);
    ComPtr<ItemCollection> restricted;
    if (followsStore_) {
        // Only the filters' window is looked up, not every item of the store.
        restricted = ComPtr<ItemCollection>(
            new ItemCollection(application_, false, AppointmentStore::instance().latest(),
                               std::move(filters), includeRecurrences_, order_));
        restricted->listAtLeast(1);
    } else {
        listAll();
        restricted = ComPtr<ItemCollection>(new ItemCollection(
            application_, false, snapshot_, std::move(filters), includeRecurrences_, order_));
        restricted->list_.assign(narrowed(*snapshot_, list_.items(), *filter));
        restricted->listed_ = true;
    }
    if (!restricted->list_.items().empty())
        *result = restricted.detach();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ItemCollection::Sort(BSTR property, VARIANT_BOOL descending) {
    SortOrder order;
    const HRESULT parsed = parseSortProperty(property, order.key);
    if (FAILED(parsed))
        return parsed;
    order.descending = descending != VARIANT_FALSE;
    ExclusiveLock guard(&lock_);
    order_ = order;
    if (listed_) {
        if (!isByStartAscending(order_))
            list_.listAll(*snapshot_);
        sortAppointments(*snapshot_, list_.items(), order_);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ItemCollection::get_IncludeRecurrences(VARIANT_BOOL* include) {
    if (!include)
        return E_POINTER;
    ExclusiveLock guard(&lock_);
    *include = includeRecurrences_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ItemCollection::put_IncludeRecurrences(VARIANT_BOOL include) {
    ExclusiveLock guard(&lock_);
    const bool wanted = include != VARIANT_FALSE;
    if (wanted != includeRecurrences_) {
        includeRecurrences_ = wanted;
        listed_ = false;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ItemCollection::get_Application(IPOutlookApp** application) {
    if (!application)
        return E_POINTER;
    return handOut(application_.get(), application);
}

} // namespace pimstore
