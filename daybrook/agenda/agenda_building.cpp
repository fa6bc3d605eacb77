#include "agenda_building.h"
#include "agenda_items.h"
#include "agenda_list.h"
#include "appointment_query.h"
#include "build_state.h"
#include "../host/resource_module.h"
#include "../render/text_drawing.h"
#include "../resources/resource_ids.h"

#include <algorithm>
#include <cwchar>
#include <new>

namespace {

const LONGLONG kFileTimeUnitsPerHour = 36000000000LL;

struct Occurrence {
    VARIANT_BOOL allDay;
    double start;
    double end;
    long oid;
};

// The start that duplicates, limits and the expiry compare: an all-day event counts from the
// listed day at its own time of day.
double compareStart(const Occurrence& occurrence, int day) {
    if (!occurrence.allDay)
        return occurrence.start;
    return day + (occurrence.start - static_cast<int>(occurrence.start));
}

ULONGLONG fileTimeUnits(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME unitsToFileTime(ULONGLONG units) {
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(units);
    time.dwHighDateTime = static_cast<DWORD>(units >> 32);
    return time;
}

// A local time shifted by a number of hours, on the file-time scale.
double shiftedByHours(const SYSTEMTIME& base, LONGLONG hours) {
    FILETIME time;
    SystemTimeToFileTime(&base, &time);
    FILETIME shifted = unitsToFileTime(fileTimeUnits(time) + hours * kFileTimeUnitsPerHour);
    SYSTEMTIME result;
    FileTimeToSystemTime(&shifted, &result);
    double date = 0;
    SystemTimeToVariantTime(&result, &date);
    return date;
}

void longDateOf(int day, WCHAR* buffer) {
    SYSTEMTIME time = {};
    VariantTimeToSystemTime(static_cast<double>(day), &time);
    buffer[0] = 0;
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &time, nullptr, buffer, 80);
}

// Adds a heading, message or separator at the end when it fits; a refused one is left out.
void appendItem(HWND window, BuildState* state, AgendaItem* item) {
    if (FitsLineBudget(window, state, item))
        state->list->Insert(item, state->list->count);
}

void appendText(HWND window, BuildState* state, const WCHAR* text, int fullRow) {
    appendItem(window, state, new (std::nothrow) TextItem(text, fullRow));
}

void appendHeading(HWND window, BuildState* state, int day, const WCHAR* text) {
    appendItem(window, state, new (std::nothrow) DayHeadingItem(static_cast<double>(day), text));
}

// The days between the last listed one and this one listed nothing.
void appendEmptyDays(HWND window, BuildState* state) {
    int first = state->lastCoveredDay + 1;
    int last = state->day - 1;
    WCHAR text[80];
    loadResourceString(IDS_NO_UPCOMING, text, 80);
    appendHeading(window, state, state->day, text);
    longDateOf(first, text);
    appendText(window, state, text, 0);
    if (last == first)
        return;
    if (last - first > 1)
        appendItem(window, state, new (std::nothrow) SeparatorItem());
    longDateOf(last, text);
    appendText(window, state, text, 1);
}

// The first listed appointment of a later day brings its heading (and what comes before it).
void openLaterDay(HWND window, BuildState* state, int* allDayPosition, int* timedPosition) {
    state->prevInDay = nullptr;
    WCHAR text[80];
    if (state->list->count == 0) {
        loadResourceString(IDS_NOTHING_FURTHER_TODAY, text, 80);
        appendText(window, state, text, 1);
    }
    if (state->options->ShowEmptyDays && state->day != state->lastCoveredDay + 1)
        appendEmptyDays(window, state);
    longDateOf(state->day, text);
    appendHeading(window, state, state->day, text);
    *allDayPosition = *timedPosition = state->list->count;
}

// A day's all-day items stand above its timed ones, each kind in build order. The item drawn
// above a new one is therefore the last one built of its kind, or, for the first timed one, the
// last all-day one.
AppointmentItem* itemDrawnAbove(const AppointmentItem* item) {
    AppointmentItem* lastAllDay = nullptr;
    for (AppointmentItem* earlier = item->prevInDay; earlier; earlier = earlier->prevInDay) {
        if (earlier->line.allDay) {
            if (item->line.allDay)
                return earlier;
            if (!lastAllDay)
                lastAllDay = earlier;
        } else if (!item->line.allDay) {
            return earlier;
        }
    }
    return lastAllDay;
}

// A new all-day item goes right above the day's first timed one.
void drawAboveFirstTimed(AppointmentItem* allDay) {
    AppointmentItem* firstTimed = nullptr;
    for (AppointmentItem* earlier = allDay->prevInDay; earlier; earlier = earlier->prevInDay) {
        if (!earlier->line.allDay)
            firstTimed = earlier;
    }
    if (firstTimed)
        firstTimed->drawnAbove = allDay;
}

// Lists one appointment; returns 0 when it did not fit (the walk ends).
int listAppointment(HWND window, BuildState* state, IAppointment* appointment, bool allDay,
                    int* allDayPosition, int* timedPosition) {
    if (state->day > state->lastCoveredDay)
        openLaterDay(window, state, allDayPosition, timedPosition);
    state->lastCoveredDay = state->day;
    AppointmentItem* item =
        buildAppointmentItem(state->prevInDay, appointment, state->day, state->now);
    state->prevInDay = item;
    if (item)
        item->drawnAbove = itemDrawnAbove(item); // measured with the gap it will be drawn with
    if (!FitsLineBudget(window, state, item)) {
        state->prevInDay = nullptr;
        return 0;
    }
    int* position = allDay ? allDayPosition : timedPosition;
    if (!state->list->Insert(item, *position)) {
        state->prevInDay = nullptr;
        return 1;
    }
    if (allDay) {
        drawAboveFirstTimed(item);
        ++*allDayPosition;
    }
    ++*timedPosition;
    return 1;
}

void countAppointment(BuildState* state, bool allDay, bool ended, double start) {
    if (allDay) {
        if (state->day > state->today)
            ++state->counted;
    } else if (!ended) {
        if (state->options->UpcomingType != UpcomingAppointmentsAndToday ||
            static_cast<int>(start) != state->today)
            ++state->counted;
    }
}

int limitAfter(BuildState* state, double start) {
    DWORD type = state->options->UpcomingType;
    if (type == UpcomingAppointments || type == UpcomingAppointmentsAndToday)
        return state->counted > static_cast<int>(state->options->UpcomingCount) ? 0 : 1;
    if (type == UpcomingHours) {
        double deadline = shiftedByHours(state->nowTime, state->options->UpcomingCount);
        return start > deadline ? 0 : 1;
    }
    return 1;
}

// The list runs out when the appointment that did not fit starts (or comes within the hours).
void recordExpiry(BuildState* state, double start) {
    double moment = start;
    if (state->options->UpcomingType == UpcomingHours) {
        SYSTEMTIME startTime;
        VariantTimeToSystemTime(start, &startTime);
        moment = shiftedByHours(startTime, -static_cast<LONGLONG>(state->options->UpcomingCount));
    }
    SYSTEMTIME time;
    VariantTimeToSystemTime(moment, &time);
    SystemTimeToFileTime(&time, &state->list->expiry);
}

bool readOccurrence(IAppointment* appointment, Occurrence* occurrence) {
    return SUCCEEDED(appointment->get_AllDayEvent(&occurrence->allDay)) &&
           SUCCEEDED(appointment->get_Start(&occurrence->start)) &&
           SUCCEEDED(appointment->get_End(&occurrence->end)) &&
           SUCCEEDED(appointment->get_Oid(&occurrence->oid));
}

// " (N)" after the subject of a yearly all-day event without end: the age in whole years.
void addAgeSuffix(AppointmentItem* item, IAppointment* appointment, int listedDay) {
    VARIANT_BOOL recurring = VARIANT_FALSE;
    IRecurrencePattern* pattern = nullptr;
    if (FAILED(appointment->get_IsRecurring(&recurring)) || !recurring ||
        FAILED(appointment->GetRecurrencePattern(&pattern)) || !pattern)
        return;
    // A read that fails keeps its preset, whatever the store left in the out-parameter.
    VARIANT_BOOL noEnd = VARIANT_FALSE;
    long type = 0;
    double patternStart = listedDay;
    if (FAILED(pattern->get_NoEndDate(&noEnd)))
        noEnd = VARIANT_FALSE;
    if (FAILED(pattern->get_RecurrenceType(&type)))
        type = 0;
    if (FAILED(pattern->get_PatternStartDate(&patternStart)))
        patternStart = listedDay;
    pattern->Release();
    if (!noEnd || type != olRecursYearly)
        return;
    int years = static_cast<int>(listedDay - patternStart) / 365;
    if (years <= 0)
        return;
    BSTR old = item->line.subject;
    UINT length = SysStringLen(old) + 12;
    BSTR aged = SysAllocStringLen(nullptr, length);
    if (!aged)
        return;
    swprintf(aged, length + 1, L"%ls (%i)", old ? old : L"", years);
    // The BSTR keeps the allocated length; its text ends at the terminator swprintf wrote.
    SysFreeString(old);
    item->line.subject = aged;
}

bool isLineBreak(WCHAR c) {
    return c == L'\r' || c == L'\n' || c == 0x000B || c == 0x000C || c == 0x0085 || c == 0x2028 ||
           c == 0x2029;
}

// A subject or location is drawn on the lines its layout gives it: every run of line breaks in
// it becomes one space. Without this a text of many breaks would take a line each with word
// wrap, and run its words together without. A text with breaks is replaced by a flattened copy
// (the store's string is never written); when the copy cannot be made the text stays.
void flattenLineBreaks(BSTR* text) {
    if (!*text)
        return;
    size_t length = wcslen(*text);
    const WCHAR* end = *text + length;
    if (std::find_if(static_cast<const WCHAR*>(*text), end, isLineBreak) == end)
        return;
    BSTR flat = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (!flat)
        return;
    WCHAR* kept = flat;
    for (const WCHAR* read = *text; read < end;) {
        if (!isLineBreak(*read)) {
            *kept++ = *read++;
            continue;
        }
        *kept++ = L' ';
        while (read < end && isLineBreak(*read))
            ++read;
    }
    *kept = 0;
    SysFreeString(*text);
    *text = flat;
}

// Marks this item and the first earlier timed item of the day it overlaps.
void markConflict(AppointmentItem* item) {
    for (AppointmentItem* earlier = item->prevInDay; earlier; earlier = earlier->prevInDay) {
        if (earlier->line.allDay)
            continue;
        if (item->end > earlier->start && earlier->end > item->start) {
            item->conflict = 1;
            earlier->conflict = 1;
            return;
        }
    }
}

} // namespace

AppointmentItem* buildAppointmentItem(AppointmentItem* previousInDay, IAppointment* appointment,
                                      int listedDay, double now) {
    AppointmentItem* item = new (std::nothrow) AppointmentItem(previousInDay);
    if (!item)
        return nullptr;
    AppointmentLine& line = item->line;
    long oid = 0;
    long busyStatus = 0;
    // A read that fails leaves its field zero, whatever the store left in the out-parameter; a
    // string it may have left there is not the item's to free.
    if (FAILED(appointment->get_Subject(&line.subject)))
        line.subject = nullptr;
    if (FAILED(appointment->get_Location(&line.location)))
        line.location = nullptr;
    flattenLineBreaks(&line.subject);
    flattenLineBreaks(&line.location);
    if (FAILED(appointment->get_Start(&line.shownStart)))
        line.shownStart = 0;
    if (FAILED(appointment->get_End(&line.shownEnd)))
        line.shownEnd = 0;
    if (FAILED(appointment->get_AllDayEvent(&line.allDay)))
        line.allDay = VARIANT_FALSE;
    if (FAILED(appointment->get_Oid(&oid)))
        oid = 0;
    if (FAILED(appointment->get_BusyStatus(&busyStatus)))
        busyStatus = 0;
    item->oid = static_cast<int>(oid);
    line.busyStatus = busyStatus;
    item->end = line.shownEnd;
    item->start = line.shownStart;
    if (static_cast<int>(item->end) > listedDay)
        line.shownEnd = 0;
    if (static_cast<int>(item->start) < listedDay)
        line.shownStart = 0;
    if (!line.allDay && now > item->end)
        line.struck = kStruckEnded;
    if (line.allDay)
        addAgeSuffix(item, appointment, listedDay);
    else
        markConflict(item);
    formatTime(line.shownStart, line.startText, 40);
    formatTime(line.shownEnd, line.endText, 40);
    item->hitRect.bottom = 0;
    return item;
}

int FitsLineBudget(HWND window, BuildState* state, AgendaItem* item) {
    if (!item)
        return 0;
    if (state->options->UpcomingType != UpcomingLines)
        return 1;
    HDC windowDc = GetDC(window);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    ReleaseDC(window, windowDc);
    int lines = 0;
    if (memoryDc) {
        RECT rect;
        GetClientRect(window, &rect);
        rect.right -= GetSystemMetrics(SM_CXVSCROLL);
        int height = item->Paint(window, memoryDc, rect);
        HGDIOBJ previous = SelectObject(memoryDc, item->GetFont());
        TEXTMETRICW metrics = {};
        GetTextMetricsW(memoryDc, &metrics);
        SelectObject(memoryDc, previous);
        DeleteDC(memoryDc);
        lines = metrics.tmHeight > 0 ? height / metrics.tmHeight : 0;
    }
    if (state->linesUsed + lines > static_cast<int>(state->options->UpcomingCount)) {
        delete item;
        return 0;
    }
    state->linesUsed += lines;
    return 1;
}

int AddDay(HWND window, IPOutlookItemCollection* dayItems, BuildState* state) {
    int result = 1;
    int allDayPosition = state->list->count;
    int timedPosition = state->list->count;
    for (int index = 1;; ++index) {
        IAppointment* appointment = nullptr;
        if (FAILED(GetAppointment(dayItems, index, &appointment)))
            return result;
        Occurrence occurrence = {};
        if (!readOccurrence(appointment, &occurrence)) {
            appointment->Release();
            return result;
        }
        bool allDay = occurrence.allDay != VARIANT_FALSE;
        double start = compareStart(occurrence, state->day);
        if (state->lastOid != 0 && occurrence.oid == state->lastOid && start == state->lastStart) {
            appointment->Release(); // the same occurrence twice in a row is listed once
            continue;
        }
        state->lastOid = static_cast<int>(occurrence.oid);
        state->lastStart = start;
        bool ended = !allDay && occurrence.end < state->now;
        countAppointment(state, allDay, ended, start);
        result = limitAfter(state, start);
        bool hidden =
            (allDay && !state->options->AllDay) || (ended && !state->options->ShowCompleted);
        if (!hidden) {
            if (result == 1)
                result = listAppointment(window, state, appointment, allDay, &allDayPosition,
                                         &timedPosition);
            if (result == 0 && !allDay)
                recordExpiry(state, start);
        }
        appointment->Release();
        if (result == 0)
            return 0;
    }
}
