#include "appointment.h"

#include "appointment_listing.h"
#include "appointment_store.h"
#include "device_clock.h"
#include "recurrence_pattern_object.h"
#include "recurrence_text.h"
#include "text.h"

#include <device.h>

namespace pimstore {

namespace ical = daybrook::ical;

// {6A2E74C1-0B5D-4E8F-9C35-2F1D8B7A4E60}
extern "C" const GUID IID_StoreAppointment = {
    0x6A2E74C1, 0x0B5D, 0x4E8F, {0x9C, 0x35, 0x2F, 0x1D, 0x8B, 0x7A, 0x4E, 0x60}};

HRESULT textToBstr(const std::u16string& text, BSTR* result) {
    if (!result)
        return E_POINTER;
    *result = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                static_cast<UINT>(text.size()));
    return *result ? S_OK : E_OUTOFMEMORY;
}

Appointment::Appointment(ComPtr<Application> application,
                         std::shared_ptr<const CalendarSnapshot> snapshot,
                         const ical::Occurrence& occurrence, bool isOccurrence)
    : application_(std::move(application)), snapshot_(std::move(snapshot)), occurrence_(occurrence),
      isOccurrence_(isOccurrence) {}

ComPtr<Appointment> Appointment::fromDispatch(IDispatch* item) {
    Appointment* appointment = nullptr;
    if (!item ||
        FAILED(item->QueryInterface(IID_StoreAppointment, reinterpret_cast<void**>(&appointment))))
        return ComPtr<Appointment>();
    return ComPtr<Appointment>(appointment);
}

HRESULT STDMETHODCALLTYPE Appointment::QueryInterface(REFIID iid, void** object) {
    if (object && IsEqualIID(iid, IID_StoreAppointment)) {
        AddRef();
        *object = this;
        return S_OK;
    }
    return DispatchObject::QueryInterface(iid, object);
}

const ical::EventDetails& Appointment::details() const {
    return snapshot_->index->detailsOf(occurrence_);
}

const ical::Event& Appointment::event() const {
    return snapshot_->eventAt(occurrence_.event);
}

HRESULT STDMETHODCALLTYPE Appointment::GetRecurrencePattern(IRecurrencePattern** pattern) {
    if (!pattern)
        return E_POINTER;
    *pattern = nullptr;
    ComPtr<RecurrencePatternObject> created(
        new RecurrencePatternObject(application_, snapshot_, occurrence_));
    *pattern = created.detach();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Appointment::get_IsRecurring(VARIANT_BOOL* recurring) {
    if (!recurring)
        return E_POINTER;
    *recurring = event().recurring ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Appointment::get_Subject(BSTR* subject) {
    return textToBstr(details().summary, subject);
}

HRESULT STDMETHODCALLTYPE Appointment::get_Location(BSTR* location) {
    return textToBstr(details().location, location);
}

HRESULT STDMETHODCALLTYPE Appointment::get_Body(BSTR* body) {
    return textToBstr(details().description, body);
}

HRESULT STDMETHODCALLTYPE Appointment::get_Start(DATE* start) {
    if (!start)
        return E_POINTER;
    *start = ical::oleDateFromLocalTime(occurrence_.start);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Appointment::get_End(DATE* end) {
    if (!end)
        return E_POINTER;
    *end = ical::oleDateFromLocalTime(reportedEnd(*snapshot_, occurrence_));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Appointment::get_Duration(long* minutes) {
    if (!minutes)
        return E_POINTER;
    *minutes = static_cast<long>((occurrence_.end - occurrence_.start) / 60);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Appointment::get_AllDayEvent(VARIANT_BOOL* allDay) {
    if (!allDay)
        return E_POINTER;
    *allDay = snapshot_->index->isAllDay(occurrence_) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Appointment::get_BusyStatus(long* status) {
    if (!status)
        return E_POINTER;
    *status = static_cast<long>(details().busyStatus);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Appointment::get_Oid(long* oid) {
    if (!oid)
        return E_POINTER;
    *oid = snapshot_->oidOf(occurrence_);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Appointment::get_Application(IPOutlookApp** application) {
    if (!application)
        return E_POINTER;
    return handOut(application_.get(), application);
}

HRESULT STDMETHODCALLTYPE Appointment::Delete() {
    // A second delete of one item would add a second EXDATE or remove another event.
    if (InterlockedCompareExchange(&deleted_, 1, 0) != 0)
        return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    const HRESULT result =
        AppointmentStore::instance().deleteAppointment(*snapshot_, occurrence_, !isOccurrence_);
    if (FAILED(result))
        InterlockedExchange(&deleted_, 0);
    return result;
}

HRESULT STDMETHODCALLTYPE Appointment::Display() {
    std::wstring recurrence;
    ical::RecurrencePattern pattern;
    if (snapshot_->index->recurrencePattern(occurrence_.event, pattern))
        recurrence = describeRecurrence(pattern);
    DeviceAppointmentView view = {};
    view.subject = wideOf(details().summary);
    view.location = wideOf(details().location);
    view.start = systemTimeFromLocalTime(occurrence_.start);
    view.end = systemTimeFromLocalTime(occurrence_.end);
    view.allDay = snapshot_->index->isAllDay(occurrence_);
    view.recurrence = recurrence.c_str();
    return DeviceShowAppointmentView(application_->owner(), &view) < 0 ? E_FAIL : S_OK;
}

} // namespace pimstore
