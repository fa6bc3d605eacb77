// How an appointment recurs, in Pocket Outlook's terms, and the way to its occurrences. An
// appointment that does not recur has a pattern of type olRecursOnce.
#pragma once

#include "application.h"
#include "calendar_snapshot.h"
#include "com_ptr.h"

#include <memory>

namespace pimstore {

class RecurrencePatternObject : public DispatchObject<IRecurrencePattern, IID_IRecurrencePattern> {
public:
    RecurrencePatternObject(ComPtr<Application> application,
                            std::shared_ptr<const CalendarSnapshot> snapshot,
                            const daybrook::ical::Occurrence& item);

    HRESULT STDMETHODCALLTYPE get_RecurrenceType(long* type) override;
    HRESULT STDMETHODCALLTYPE get_PatternStartDate(DATE* date) override;
    HRESULT STDMETHODCALLTYPE get_StartTime(DATE* time) override;
    HRESULT STDMETHODCALLTYPE get_EndTime(DATE* time) override;
    HRESULT STDMETHODCALLTYPE get_PatternEndDate(DATE* date) override;
    HRESULT STDMETHODCALLTYPE get_NoEndDate(VARIANT_BOOL* noEnd) override;
    HRESULT STDMETHODCALLTYPE get_Occurrences(long* count) override;
    HRESULT STDMETHODCALLTYPE get_Interval(long* interval) override;
    HRESULT STDMETHODCALLTYPE get_DayOfWeekMask(long* mask) override;
    HRESULT STDMETHODCALLTYPE get_DayOfMonth(long* day) override;
    HRESULT STDMETHODCALLTYPE get_Instance(long* instance) override;
    HRESULT STDMETHODCALLTYPE get_Duration(long* minutes) override;
    HRESULT STDMETHODCALLTYPE get_MonthOfYear(long* month) override;
    HRESULT STDMETHODCALLTYPE put_RecurrenceType(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_PatternStartDate(DATE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_StartTime(DATE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_EndTime(DATE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_PatternEndDate(DATE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_NoEndDate(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Occurrences(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Interval(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_DayOfWeekMask(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_DayOfMonth(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Instance(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Duration(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_MonthOfYear(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Exceptions(IExceptions**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Application(IPOutlookApp** application) override;
    HRESULT STDMETHODCALLTYPE GetOccurrence(DATE date, IAppointment** appointment) override;

private:
    ComPtr<Application> application_;
    std::shared_ptr<const CalendarSnapshot> snapshot_;
    int event_;
    bool recurs_;
    daybrook::ical::RecurrencePattern pattern_;
    daybrook::ical::Occurrence first_; // the series' first occurrence, or the item itself
};

} // namespace pimstore
