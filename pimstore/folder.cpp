#include "folder.h"

#include "beaming.h"
#include "item_collection.h"

namespace pimstore {

Folder::Folder(ComPtr<Application> application, Kind kind)
    : application_(std::move(application)), kind_(kind) {
    InitializeCriticalSection(&queueLock_);
}

Folder::~Folder() {
    DeleteCriticalSection(&queueLock_);
}

HRESULT STDMETHODCALLTYPE Folder::get_Items(IPOutlookItemCollection** items) {
    if (!items)
        return E_POINTER;
    *items = nullptr;
    if (kind_ != Kind::Calendar)
        return E_NOTIMPL;
    *items = ItemCollection::folderItems(application_).detach();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Folder::get_DefaultItemType(int* type) {
    if (!type)
        return E_POINTER;
    *type = olAppointmentItem;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Folder::get_Application(IPOutlookApp** application) {
    if (!application)
        return E_POINTER;
    return handOut(application_.get(), application);
}

HRESULT STDMETHODCALLTYPE Folder::AddItemToInfraredFolder(int type, IDispatch* item) {
    if (kind_ != Kind::Infrared)
        return E_FAIL;
    if (type != olAppointmentItem)
        return E_INVALIDARG;
    ComPtr<Appointment> appointment = Appointment::fromDispatch(item);
    if (!appointment)
        return E_INVALIDARG;
    EnterCriticalSection(&queueLock_);
    queue_.push_back(std::move(appointment));
    LeaveCriticalSection(&queueLock_);
    return S_OK;
}

// Everything queued goes out; the queue is empty afterwards, whatever failed.
HRESULT STDMETHODCALLTYPE Folder::SendToInfrared() {
    if (kind_ != Kind::Infrared)
        return E_FAIL;
    std::vector<ComPtr<Appointment>> sending;
    EnterCriticalSection(&queueLock_);
    sending.swap(queue_);
    LeaveCriticalSection(&queueLock_);
    HRESULT result = S_OK;
    for (const ComPtr<Appointment>& appointment : sending) {
        const HRESULT beamed = beamToOutbox(appointment->snapshot(), appointment->occurrence(),
                                            appointment->isOccurrence());
        if (FAILED(beamed) && SUCCEEDED(result))
            result = beamed;
    }
    return result;
}

} // namespace pimstore
