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

std::vector<const ItemFilter*> ItemCollection::filterList() const {
    std::vector<const ItemFilter*> list;
    for (const std::shared_ptr<const ItemFilter>& filter : filters_)
        list.push_back(filter.get());
    return list;
}

void ItemCollection::ensureListed() {
    if (followsStore_) {
        std::shared_ptr<const CalendarSnapshot> latest = AppointmentStore::instance().latest();
        if (latest != snapshot_) {
            snapshot_ = std::move(latest);
            listed_ = false;
        }
    }
    if (listed_)
        return;
    items_ = listAppointments(*snapshot_, filterList(), includeRecurrences_, deviceNow);
    sortAppointments(*snapshot_, items_, order_);
    listed_ = true;
}

HRESULT STDMETHODCALLTYPE ItemCollection::get_Count(int* count) {
    if (!count)
        return E_POINTER;
    ExclusiveLock guard(&lock_);
    ensureListed();
    *count = static_cast<int>(items_.size());
    return S_OK;
}

// One-based, in the current order.
HRESULT STDMETHODCALLTYPE ItemCollection::Item(int index, IDispatch** item) {
    if (!item)
        return E_POINTER;
    *item = nullptr;
    ExclusiveLock guard(&lock_);
    ensureListed();
    if (index < 1 || static_cast<size_t>(index) > items_.size())
        return E_INVALIDARG;
    ComPtr<Appointment> appointment(new Appointment(
        application_, snapshot_, items_[static_cast<size_t>(index - 1)], includeRecurrences_));
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
    Filters filters = filters_;
    filters.push_back(filter);
    Items items;
    std::shared_ptr<const CalendarSnapshot> snapshot;
    if (followsStore_) {
        // Only the filter's window is looked up, not every item of the store.
        snapshot = AppointmentStore::instance().latest();
        std::vector<const ItemFilter*> list = filterList();
        list.push_back(filter.get());
        items = listAppointments(*snapshot, list, includeRecurrences_, deviceNow);
        sortAppointments(*snapshot, items, order_);
    } else {
        ensureListed();
        snapshot = snapshot_;
        items = narrowed(*snapshot, items_, *filter);
    }
    if (items.empty())
        return S_OK;
    ComPtr<ItemCollection> restricted(new ItemCollection(
        application_, false, std::move(snapshot), std::move(filters), includeRecurrences_, order_));
    restricted->items_ = std::move(items);
    restricted->listed_ = true;
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
    if (listed_)
        sortAppointments(*snapshot_, items_, order_);
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
