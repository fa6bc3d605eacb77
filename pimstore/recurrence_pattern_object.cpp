#include "recurrence_pattern_object.h"

#include "appointment.h"

namespace pimstore {

namespace ical = daybrook::ical;

namespace {

template <typename T, typename V> HRESULT give(T* out, V value) {
    if (!out)
        return E_POINTER;
    *out = static_cast<T>(value);
    return S_OK;
}

double midnightOf(ical::LocalTime time) {
    return ical::oleDateFromLocalTime(ical::dayNumberOf(time) * ical::kSecondsPerDay);
}

// Times of day are OLE dates on day 0.
double timeOfDay(ical::LocalTime time) {
    return ical::oleDateFromLocalTime(ical::secondOfDay(time));
}

} // namespace

RecurrencePatternObject::RecurrencePatternObject(ComPtr<Application> application,
                                                 std::shared_ptr<const CalendarSnapshot> snapshot,
                                                 const ical::Occurrence& item)
    : application_(std::move(application)), snapshot_(std::move(snapshot)), event_(item.event),
      recurs_(false), first_(item) {
    recurs_ = snapshot_->index->recurrencePattern(event_, pattern_);
    if (recurs_) {
        snapshot_->index->firstOccurrence(event_, first_);
        return;
    }
    pattern_.occurrences = 1;
    pattern_.noEndDate = false;
    pattern_.patternStartDate = pattern_.patternEndDate = midnightOf(item.start);
}

HRESULT STDMETHODCALLTYPE RecurrencePatternObject::get_RecurrenceType(long* type) {
    return give(type, recurs_ ? static_cast<long>(pattern_.type) : long(olRecursOnce));
}

HRESULT STDMETHODCALLTYPE RecurrencePatternObject::get_PatternStartDate(DATE* date) {
    return give(date, pattern_.patternStartDate);
}

HRESULT STDMETHODCALLTYPE RecurrencePatternObject::get_PatternEndDate(DATE* date) {
    return give(date, pattern_.patternEndDate);
}

HRESULT STDMETHODCALLTYPE RecurrencePatternObject::get_StartTime(DATE* time) {
    return give(time, timeOfDay(first_.start));
}

HRESULT STDMETHODCALLTYPE RecurrencePatternObject::get_EndTime(DATE* time) {
    return give(time, timeOfDay(first_.end));
}

HRESULT STDMETHODCALLTYPE RecurrencePatternObject::get_Duration(long* minutes) {
    return give(minutes, (first_.end - first_.start) / 60);
}

HRESULT STDMETHODCALLTYPE RecurrencePatternObject::get_NoEndDate(VARIANT_BOOL* noEnd) {
    return give(noEnd, pattern_.noEndDate ? VARIANT_TRUE : VARIANT_FALSE);
}

HRESULT STDMETHODCALLTYPE RecurrencePatternObject::get_Occurrences(long* count) {
    return give(count, pattern_.occurrences);
}

HRESULT STDMETHODCALLTYPE RecurrencePatternObject::get_Interval(long* interval) {
    return give(interval, pattern_.interval);
}

HRESULT STDMETHODCALLTYPE RecurrencePatternObject::get_DayOfWeekMask(long* mask) {
    return give(mask, pattern_.dayOfWeekMask);
}

HRESULT STDMETHODCALLTYPE RecurrencePatternObject::get_DayOfMonth(long* day) {
    return give(day, pattern_.dayOfMonth);
}

HRESULT STDMETHODCALLTYPE RecurrencePatternObject::get_Instance(long* instance) {
    return give(instance, pattern_.instance);
}

HRESULT STDMETHODCALLTYPE RecurrencePatternObject::get_MonthOfYear(long* month) {
    return give(month, pattern_.monthOfYear);
}

HRESULT STDMETHODCALLTYPE RecurrencePatternObject::get_Application(IPOutlookApp** application) {
    if (!application)
        return E_POINTER;
    return handOut(application_.get(), application);
}

// The occurrence starting at that moment, else the first one on that day.
HRESULT STDMETHODCALLTYPE RecurrencePatternObject::GetOccurrence(DATE date,
                                                                 IAppointment** appointment) {
    if (!appointment)
        return E_POINTER;
    *appointment = nullptr;
    ical::LocalTime start = 0;
    ical::Occurrence found;
    if (!ical::localTimeFromOleDate(date, start) ||
        !snapshot_->index->occurrenceAt(event_, start, found))
        return E_INVALIDARG;
    ComPtr<Appointment> occurrence(new Appointment(application_, snapshot_, found, true));
    *appointment = occurrence.detach();
    return S_OK;
}

} // namespace pimstore
