#include "recurrence_text.h"

namespace pimstore {

namespace ical = daybrook::ical;

namespace {

const wchar_t* const kDays[] = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                L"Thursday", L"Friday", L"Saturday"};
const wchar_t* const kMonths[] = {L"January",   L"February", L"March",    L"April",
                                  L"May",       L"June",     L"July",     L"August",
                                  L"September", L"October",  L"November", L"December"};
const wchar_t* const kOrdinals[] = {L"first", L"second", L"third", L"fourth", L"last"};

std::wstring every(int interval, const wchar_t* unit, const wchar_t* units) {
    if (interval <= 1)
        return std::wstring(L"Every ") + unit;
    return L"Every " + std::to_wstring(interval) + L" " + units;
}

std::wstring dayList(int mask) {
    std::wstring list;
    for (int day = 0; day < 7; ++day) {
        if (!(mask & (1 << day)))
            continue;
        if (!list.empty())
            list += L", ";
        list += kDays[day];
    }
    return list;
}

// "the second Tuesday", from the pattern's instance (5 = last) and its single weekday.
std::wstring nthDay(const ical::RecurrencePattern& pattern) {
    const int instance = pattern.instance >= 1 && pattern.instance <= 5 ? pattern.instance : 1;
    return std::wstring(L"the ") + kOrdinals[instance - 1] + L" " + dayList(pattern.dayOfWeekMask);
}

const wchar_t* monthName(int month) {
    return month >= 1 && month <= 12 ? kMonths[month - 1] : L"";
}

std::wstring rule(const ical::RecurrencePattern& pattern) {
    using Type = ical::PocketRecurrenceType;
    switch (pattern.type) {
    case Type::Daily: return every(pattern.interval, L"day", L"days");
    case Type::Weekly:
        return every(pattern.interval, L"week", L"weeks") + L" on " +
               dayList(pattern.dayOfWeekMask);
    case Type::Monthly:
        return every(pattern.interval, L"month", L"months") + L" on day " +
               std::to_wstring(pattern.dayOfMonth);
    case Type::MonthNth:
        return every(pattern.interval, L"month", L"months") + L" on " + nthDay(pattern);
    case Type::Yearly:
        return every(pattern.interval, L"year", L"years") + L" on " +
               monthName(pattern.monthOfYear) + L" " + std::to_wstring(pattern.dayOfMonth);
    case Type::YearNth:
        return every(pattern.interval, L"year", L"years") + L" on " + nthDay(pattern) + L" of " +
               monthName(pattern.monthOfYear);
    }
    return std::wstring();
}

std::wstring ending(const ical::RecurrencePattern& pattern) {
    if (pattern.noEndDate)
        return std::wstring();
    if (pattern.occurrences > 0)
        return L", " + std::to_wstring(pattern.occurrences) + L" times";
    ical::LocalTime last = 0;
    if (!ical::localTimeFromOleDate(pattern.patternEndDate, last))
        return std::wstring();
    const ical::CivilDate date = ical::civilFromDayNumber(ical::dayNumberOf(last));
    return L", until " + std::wstring(monthName(date.month)) + L" " + std::to_wstring(date.day) +
           L", " + std::to_wstring(date.year);
}

} // namespace

std::wstring describeRecurrence(const ical::RecurrencePattern& pattern) {
    return rule(pattern) + ending(pattern);
}

} // namespace pimstore
