#include "store_appointments.h"
#include "../agenda/store_connection.h"

bool findStoreItem(long oid, IDispatch** item, IAppointment** appointment) {
    *item = nullptr;
    *appointment = nullptr;
    IPOutlookApp* store = AcquireStore();
    if (!store)
        return false;
    const HRESULT found = store->GetItemFromOid(oid, item);
    store->Release();
    if (FAILED(found) || !*item) {
        *item = nullptr;
        return false;
    }
    if (FAILED((*item)->QueryInterface(IID_IAppointment, reinterpret_cast<void**>(appointment))) ||
        !*appointment) {
        (*item)->Release();
        *item = nullptr;
        *appointment = nullptr;
        return false;
    }
    return true;
}

IAppointment* findOccurrence(IAppointment* series, DATE start) {
    IRecurrencePattern* pattern = nullptr;
    if (FAILED(series->GetRecurrencePattern(&pattern)) || !pattern)
        return nullptr;
    IAppointment* occurrence = nullptr;
    if (FAILED(pattern->GetOccurrence(start, &occurrence)))
        occurrence = nullptr;
    pattern->Release();
    return occurrence;
}

bool isRecurring(IAppointment* appointment) {
    VARIANT_BOOL recurring = VARIANT_FALSE;
    return SUCCEEDED(appointment->get_IsRecurring(&recurring)) && recurring != VARIANT_FALSE;
}
