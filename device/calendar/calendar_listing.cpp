#include "calendar_listing.h"

namespace {

template <typename Interface> void release(Interface*& object) {
    if (object)
        object->Release();
    object = nullptr;
}

IPOutlookItemCollection* calendarItems(IPOutlookApp* application) {
    IFolder* folder = nullptr;
    if (FAILED(application->GetDefaultFolder(olFolderCalendar, &folder)) || !folder)
        return nullptr;
    IPOutlookItemCollection* items = nullptr;
    if (FAILED(folder->get_Items(&items)))
        items = nullptr;
    folder->Release();
    if (items)
        items->put_IncludeRecurrences(VARIANT_TRUE);
    return items;
}

// [End] >= the day's midnight, sorted by start; null when nothing matches.
IPOutlookItemCollection* upcomingItems(IPOutlookItemCollection* items, DATE day) {
    BSTR dayText = nullptr;
    if (FAILED(VarBstrFromDate(day, 0, 0, &dayText)))
        return nullptr;
    WCHAR filter[128];
    wsprintfW(filter, L"[End] >= \"%s\"", dayText);
    SysFreeString(dayText);
    BSTR restriction = SysAllocString(filter);
    IPOutlookItemCollection* upcoming = nullptr;
    if (!restriction || FAILED(items->Restrict(restriction, &upcoming)))
        upcoming = nullptr;
    SysFreeString(restriction);
    BSTR order = SysAllocString(L"[Start]");
    if (upcoming && (!order || FAILED(upcoming->Sort(order, VARIANT_FALSE))))
        release(upcoming);
    SysFreeString(order);
    return upcoming;
}

std::wstring rowText(IAppointment* appointment, DATE start) {
    SYSTEMTIME time = {};
    VariantTimeToSystemTime(start, &time);
    const LCID locale = GetUserDefaultLCID();
    WCHAR date[64] = {};
    GetDateFormatW(locale, DATE_SHORTDATE, &time, nullptr, date, 64);
    std::wstring text = date;
    VARIANT_BOOL allDay = VARIANT_FALSE;
    appointment->get_AllDayEvent(&allDay);
    if (!allDay) {
        WCHAR clock[32] = {};
        GetTimeFormatW(locale, TIME_NOSECONDS, &time, nullptr, clock, 32);
        text += L" ";
        text += clock;
    }
    BSTR subject = nullptr;
    if (SUCCEEDED(appointment->get_Subject(&subject)) && subject) {
        text += L"  ";
        text += subject;
    }
    SysFreeString(subject);
    return text;
}

bool readRow(IPOutlookItemCollection* items, int index, CalendarRow* row) {
    IDispatch* item = nullptr;
    if (FAILED(items->Item(index, &item)) || !item)
        return false;
    IAppointment* appointment = nullptr;
    const HRESULT found =
        item->QueryInterface(IID_IAppointment, reinterpret_cast<void**>(&appointment));
    item->Release();
    if (FAILED(found))
        return false;
    const bool read = SUCCEEDED(appointment->get_Oid(&row->oid)) &&
                      SUCCEEDED(appointment->get_Start(&row->start));
    if (read)
        row->text = rowText(appointment, row->start);
    appointment->Release();
    return read;
}

} // namespace

std::vector<CalendarRow> listUpcoming(IPOutlookApp* application, DATE day, int limit) {
    std::vector<CalendarRow> rows;
    IPOutlookItemCollection* items = calendarItems(application);
    IPOutlookItemCollection* upcoming = items ? upcomingItems(items, day) : nullptr;
    release(items);
    for (int index = 1; upcoming && index <= limit; ++index) {
        CalendarRow row = {};
        if (!readRow(upcoming, index, &row))
            break; // the end of the collection
        rows.push_back(row);
    }
    release(upcoming);
    return rows;
}

HRESULT displayRow(IPOutlookApp* application, const CalendarRow& row) {
    IDispatch* item = nullptr;
    HRESULT result = application->GetItemFromOid(row.oid, &item);
    if (FAILED(result) || !item)
        return FAILED(result) ? result : E_FAIL;
    IAppointment* appointment = nullptr;
    result = item->QueryInterface(IID_IAppointment, reinterpret_cast<void**>(&appointment));
    item->Release();
    if (FAILED(result))
        return result;
    VARIANT_BOOL recurring = VARIANT_FALSE;
    IRecurrencePattern* pattern = nullptr;
    if (SUCCEEDED(appointment->get_IsRecurring(&recurring)) && recurring &&
        SUCCEEDED(appointment->GetRecurrencePattern(&pattern)) && pattern) {
        IAppointment* occurrence = nullptr;
        if (SUCCEEDED(pattern->GetOccurrence(row.start, &occurrence)) && occurrence) {
            appointment->Release();
            appointment = occurrence;
        }
        pattern->Release();
    }
    result = appointment->Display();
    appointment->Release();
    return result;
}
