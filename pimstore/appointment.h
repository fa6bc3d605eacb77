// One appointment: an event (a series by its first occurrence) or one occurrence of a series.
#pragma once

#include "application.h"
#include "calendar_snapshot.h"
#include "com_ptr.h"

#include <memory>

namespace pimstore {

// Asked through QueryInterface, it finds our own object behind an IDispatch a caller hands back.
// {6A2E74C1-0B5D-4E8F-9C35-2F1D8B7A4E60}
extern "C" const GUID IID_StoreAppointment;

class Appointment : public DispatchObject<IAppointment, IID_IAppointment> {
public:
    // isOccurrence: the item stands for this occurrence only (an item of a collection that
    // includes recurrences, or what GetOccurrence found), so deleting it excludes the
    // occurrence; otherwise it stands for the whole event.
    Appointment(ComPtr<Application> application, std::shared_ptr<const CalendarSnapshot> snapshot,
                const daybrook::ical::Occurrence& occurrence, bool isOccurrence);

    static ComPtr<Appointment> fromDispatch(IDispatch* item);

    const CalendarSnapshot& snapshot() const { return *snapshot_; }
    const daybrook::ical::Occurrence& occurrence() const { return occurrence_; }
    bool isOccurrence() const { return isOccurrence_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;

    HRESULT STDMETHODCALLTYPE ClearRecurrencePattern() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRecurrencePattern(IRecurrencePattern** pattern) override;
    HRESULT STDMETHODCALLTYPE get_IsRecurring(VARIANT_BOOL* recurring) override;
    HRESULT STDMETHODCALLTYPE get_Subject(BSTR* subject) override;
    HRESULT STDMETHODCALLTYPE get_Location(BSTR* location) override;
    HRESULT STDMETHODCALLTYPE get_Categories(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Start(DATE* start) override;
    HRESULT STDMETHODCALLTYPE get_Duration(long* minutes) override;
    HRESULT STDMETHODCALLTYPE get_End(DATE* end) override;
    HRESULT STDMETHODCALLTYPE get_AllDayEvent(VARIANT_BOOL* allDay) override;
    HRESULT STDMETHODCALLTYPE get_BusyStatus(long* status) override;
    HRESULT STDMETHODCALLTYPE get_Sensitivity(long*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Body(BSTR* body) override;
    HRESULT STDMETHODCALLTYPE get_Recipients(IRecipients**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_MeetingStatus(long*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ReminderSet(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ReminderSoundFile(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ReminderMinutesBeforeStart(long*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ReminderOptions(long*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Subject(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Location(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Categories(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Start(DATE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Duration(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_End(DATE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_AllDayEvent(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_BusyStatus(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Sensitivity(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Body(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ReminderSet(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ReminderSoundFile(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ReminderMinutesBeforeStart(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ReminderOptions(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Save() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Send() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Delete() override;
    HRESULT STDMETHODCALLTYPE Cancel() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Copy(IAppointment**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Display() override;
    HRESULT STDMETHODCALLTYPE get_Oid(long* oid) override;
    HRESULT STDMETHODCALLTYPE put_BodyInk(CEBLOB*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_BodyInk(CEBLOB*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Application(IPOutlookApp** application) override;

private:
    const daybrook::ical::EventDetails& details() const;
    const daybrook::ical::Event& event() const;

    ComPtr<Application> application_;
    std::shared_ptr<const CalendarSnapshot> snapshot_;
    daybrook::ical::Occurrence occurrence_;
    bool isOccurrence_;
    LONG deleted_ = 0;
};

// Text as a new BSTR; E_OUTOFMEMORY when there is no room.
HRESULT textToBstr(const std::u16string& text, BSTR* result);

} // namespace pimstore
