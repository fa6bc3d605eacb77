#include "appointment_query.h"
#include "store_connection.h"

namespace {

// A BSTR that is freed when it goes out of scope.
struct ScopedBstr {
    BSTR text = nullptr;
    ~ScopedBstr() { SysFreeString(text); }
};

bool storeIsOpen() {
    IPOutlookApp* application = AcquireStore();
    if (!application)
        return false;
    application->Release();
    return true;
}

} // namespace

IPOutlookItemCollection* OpenCalendarItems() {
    IPOutlookApp* application = AcquireStore();
    if (!application)
        return nullptr;
    IFolder* folder = nullptr;
    HRESULT result = application->GetDefaultFolder(olFolderCalendar, &folder);
    application->Release();
    if (FAILED(result) || !folder)
        return nullptr;
    IPOutlookItemCollection* items = nullptr;
    result = folder->get_Items(&items);
    folder->Release();
    if (FAILED(result) || !items)
        return nullptr;
    items->put_IncludeRecurrences(VARIANT_TRUE);
    return items;
}

IPOutlookItemCollection* QueryDay(IPOutlookItemCollection* items, int day, bool windowed) {
    if (!storeIsOpen())
        return nullptr;
    ScopedBstr nextText;
    VarBstrFromDate(day + 1.0, 0, 0, &nextText.text);
    WCHAR restriction[256];
    if (windowed) {
        ScopedBstr dayText;
        VarBstrFromDate(static_cast<double>(day), 0, 0, &dayText.text);
        wsprintfW(restriction, L"[End] >= \"%s\" AND [Start] < \"%s\"",
                  dayText.text ? dayText.text : L"", nextText.text ? nextText.text : L"");
    } else {
        wsprintfW(restriction, L"[End] >= \"%s\"", nextText.text ? nextText.text : L"");
    }
    ScopedBstr filter;
    filter.text = SysAllocString(restriction);
    if (!filter.text)
        return nullptr;
    IPOutlookItemCollection* restricted = nullptr;
    if (FAILED(items->Restrict(filter.text, &restricted)) || !restricted)
        return nullptr;
    ScopedBstr sortKey;
    sortKey.text = SysAllocString(L"[Start]");
    if (!sortKey.text || FAILED(restricted->Sort(sortKey.text, VARIANT_FALSE))) {
        restricted->Release();
        return nullptr;
    }
    return restricted;
}

HRESULT GetAppointment(IPOutlookItemCollection* items, int index, IAppointment** appointment) {
    *appointment = nullptr;
    if (!items)
        return E_FAIL;
    IDispatch* item = nullptr;
    HRESULT result = items->Item(index, &item);
    if (FAILED(result))
        return result;
    if (!item)
        return E_FAIL;
    result = item->QueryInterface(IID_IAppointment, reinterpret_cast<void**>(appointment));
    item->Release();
    return result;
}
