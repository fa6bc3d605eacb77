#include "appointment_actions.h"
#include "store_appointments.h"
#include "../agenda/agenda_items.h"
#include "../agenda/store_connection.h"
#include "../host/resource_module.h"
#include "../resources/resource_ids.h"

namespace {

const UINT kAskSeries = MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3;
const UINT kAskSingle = MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2;

int ask(HWND window, UINT textId, UINT type) {
    WCHAR caption[80];
    WCHAR text[260];
    loadResourceString(IDS_PRODUCT, caption, 80);
    loadResourceString(textId, text, 260);
    return MessageBoxW(window, text, caption, type);
}

// The line is struck through only for a delete the store carried out: a line that stays in the
// store must not look deleted.
void strikeWhenDeleted(AppointmentItem* item, HWND window, HRESULT deleted) {
    if (FAILED(deleted))
        return;
    item->line.struck = kStruckDeleted;
    InvalidateRect(window, nullptr, TRUE);
}

void deleteOccurrence(AppointmentItem* item, HWND window, IAppointment* series) {
    IAppointment* occurrence = findOccurrence(series, item->start);
    if (!occurrence)
        return;
    strikeWhenDeleted(item, window, occurrence->Delete());
    occurrence->Release();
}

void deleteFromSeries(AppointmentItem* item, HWND window, IAppointment* series) {
    switch (ask(window, IDS_CONFIRM_DELETE_SERIES, kAskSeries)) {
    case IDYES: strikeWhenDeleted(item, window, series->Delete()); break;
    case IDNO: deleteOccurrence(item, window, series); break;
    default: break; // cancelled
    }
}

void deleteSingle(AppointmentItem* item, HWND window, IAppointment* appointment) {
    if (ask(window, IDS_CONFIRM_DELETE, kAskSingle) == IDYES)
        strikeWhenDeleted(item, window, appointment->Delete());
}

void sendToInfrared(IDispatch* item) {
    IPOutlookApp* store = AcquireStore();
    if (!store)
        return;
    IFolder* infrared = nullptr;
    if (SUCCEEDED(store->GetDefaultFolder(olFolderInfrared, &infrared)) && infrared) {
        if (SUCCEEDED(infrared->AddItemToInfraredFolder(olAppointmentItem, item)))
            infrared->SendToInfrared();
        infrared->Release();
    }
    store->Release();
}

} // namespace

void deleteAppointment(AppointmentItem* item, HWND window) {
    if (!EnsureStore(window))
        return;
    IDispatch* storeItem = nullptr;
    IAppointment* appointment = nullptr;
    if (findStoreItem(item->oid, &storeItem, &appointment)) {
        if (isRecurring(appointment))
            deleteFromSeries(item, window, appointment);
        else
            deleteSingle(item, window, appointment);
        appointment->Release();
        storeItem->Release();
    }
    CloseStore();
}

void beamAppointment(AppointmentItem* item, HWND window) {
    if (!EnsureStore(window))
        return;
    IPOutlookApp* store = AcquireStore();
    IDispatch* storeItem = nullptr;
    if (store && FAILED(store->GetItemFromOid(item->oid, &storeItem)))
        storeItem = nullptr;
    if (store)
        store->Release();
    if (storeItem) {
        sendToInfrared(storeItem);
        storeItem->Release();
    }
    CloseStore();
}
