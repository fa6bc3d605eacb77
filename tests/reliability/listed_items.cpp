#include "listed_items.h"
#include "agenda/agenda_items.h"
#include "store_calendar.h"

namespace {

const wchar_t kNoUpcoming[] = L"No upcoming appointments";
const wchar_t kNothingFurther[] = L"Nothing further today";

// The subject without the age a yearly event adds: "Ann (36)" gives "Ann".
std::wstring withoutAge(const std::wstring& subject) {
    size_t open = subject.rfind(L" (");
    if (open == std::wstring::npos || subject.empty() || subject.back() != L')')
        return subject;
    return subject.substr(0, open);
}

bool sameAppointment(const ListedItem& shown, const ListedItem& expected) {
    return shown.oid == expected.oid && shown.start == expected.start &&
           shown.end == expected.end && shown.allDay == expected.allDay &&
           shown.text == expected.text && shown.location == expected.location &&
           shown.busyStatus == expected.busyStatus;
}

bool sameButAgeless(const ListedItem& shown, const ListedItem& expected) {
    ListedItem aged = shown;
    aged.text = expected.text;
    return sameAppointment(aged, expected) && shown.text == withoutAge(expected.text);
}

bool sameWithZeroFields(const ListedItem& shown, const ListedItem& expected) {
    auto equalOrZero = [](double a, double b) { return a == b || a == 0; };
    // An unread subject of a yearly event still gets its age: " (36)".
    bool subjectFits = shown.text == expected.text || withoutAge(shown.text).empty() ||
                       shown.text == withoutAge(expected.text);
    return subjectFits && (shown.oid == expected.oid || shown.oid == 0) &&
           equalOrZero(shown.start, expected.start) && equalOrZero(shown.end, expected.end) &&
           (shown.allDay == expected.allDay || !shown.allDay) &&
           (shown.location == expected.location || shown.location.empty()) &&
           (shown.busyStatus == expected.busyStatus || shown.busyStatus == 0);
}

// A heading stands over a day the fault-free list has a heading for, with its long date or, over
// a run of empty days, "No upcoming appointments".
bool headingListed(const std::vector<ListedItem>& reference, const ListedItem& heading,
                   bool lostCopies) {
    for (const ListedItem& item : reference)
        if (item.kind == ListedItem::Heading && item.date == heading.date &&
            (item.text == heading.text || heading.text == kNoUpcoming ||
             (lostCopies && heading.text.empty())))
            return true;
    return false;
}

bool textListed(const std::vector<ListedItem>& reference, const ListedItem& text,
                const FaultAllowance& allowance) {
    if (text.text == kNoUpcoming || text.text == kNothingFurther ||
        (allowance.lostCopies && text.textMissing))
        return true;
    for (const std::wstring& day : allowance.dayTexts)
        if (text.text == day)
            return true;
    for (const ListedItem& item : reference)
        if (item.kind == ListedItem::Text && item.text == text.text)
            return true;
    return false;
}

bool separatorListed(const std::vector<ListedItem>& reference) {
    for (const ListedItem& item : reference)
        if (item.kind == ListedItem::Separator)
            return true;
    return false;
}

} // namespace

std::vector<ListedItem> listedItems(const AgendaList* list) {
    std::vector<ListedItem> items;
    for (int i = 0; list && i < list->count; ++i) {
        AgendaItem* item = list->items[i];
        ListedItem listed;
        if (auto heading = dynamic_cast<DayHeadingItem*>(item)) {
            listed.kind = ListedItem::Heading;
            listed.text = heading->text;
            listed.date = heading->date;
        } else if (auto text = dynamic_cast<TextItem*>(item)) {
            listed.kind = ListedItem::Text;
            listed.textMissing = text->text == nullptr;
            listed.text = text->text ? text->text : L"";
        } else if (dynamic_cast<SeparatorItem*>(item)) {
            listed.kind = ListedItem::Separator;
        } else if (auto appointment = dynamic_cast<AppointmentItem*>(item)) {
            const AppointmentLine& line = appointment->line;
            listed.kind = ListedItem::Appointment;
            listed.text.assign(line.subject ? line.subject : L"");
            listed.location.assign(line.location ? line.location : L"");
            listed.oid = appointment->oid;
            listed.start = appointment->start;
            listed.end = appointment->end;
            listed.allDay = line.allDay != VARIANT_FALSE;
            listed.busyStatus = line.busyStatus;
            listed.struck = line.struck;
        }
        items.push_back(listed);
    }
    return items;
}

std::string utf8(const std::wstring& text) {
    if (text.empty())
        return std::string();
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &result[0], bytes,
                        nullptr, nullptr);
    return result;
}

std::string describeItems(const std::vector<ListedItem>& items) {
    std::string out;
    for (const ListedItem& item : items) {
        out += "\n  ";
        switch (item.kind) {
        case ListedItem::Heading: out += "H " + utf8(item.text); break;
        case ListedItem::Text:
            out += item.textMissing ? "T (no text)" : "T " + utf8(item.text);
            break;
        case ListedItem::Separator: out += "S"; break;
        case ListedItem::Appointment:
            out += "A #" + std::to_string(item.oid) + " " + utf8(item.text) + " (" +
                   utf8(item.location) + ") " + std::to_string(item.start) + "-" +
                   std::to_string(item.end) + (item.allDay ? " all-day" : "") +
                   (item.struck ? " struck" : "");
            break;
        }
    }
    return out.empty() ? "\n  (empty)" : out;
}

std::vector<std::wstring> longDatesFromToday(int days) {
    std::vector<std::wstring> dates;
    for (int offset = 0; offset < days; ++offset) {
        SYSTEMTIME day = {};
        VariantTimeToSystemTime(deviceDay(offset), &day);
        wchar_t text[80] = {};
        GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &day, nullptr, text, 80);
        dates.push_back(text);
    }
    return dates;
}

std::string sweepCalendar() {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Daybrook tests//EN\r\n"
           "BEGIN:VEVENT\r\nUID:early@tests\r\nDTSTART:20260310T070000\r\n"
           "DTEND:20260310T073000\r\nSUMMARY:Early run\r\nEND:VEVENT\r\n"
           "BEGIN:VEVENT\r\nUID:holiday@tests\r\nDTSTART;VALUE=DATE:20260310\r\n"
           "DTEND;VALUE=DATE:20260311\r\nSUMMARY:Holiday\r\nEND:VEVENT\r\n"
           "BEGIN:VEVENT\r\nUID:dentist@tests\r\nDTSTART:20260310T100000\r\n"
           "DTEND:20260310T110000\r\nSUMMARY:Dentist\r\nLOCATION:Main Street\r\n"
           "X-MICROSOFT-CDO-BUSYSTATUS:TENTATIVE\r\nEND:VEVENT\r\n"
           "BEGIN:VEVENT\r\nUID:lunch@tests\r\nDTSTART:20260310T103000\r\n"
           "DTEND:20260310T113000\r\nSUMMARY:Lunch\r\nEND:VEVENT\r\n"
           "BEGIN:VEVENT\r\nUID:standup@tests\r\nDTSTART:20260309T093000\r\n"
           "DTEND:20260309T094500\r\nRRULE:FREQ=DAILY;COUNT=3\r\nSUMMARY:Standup\r\n"
           "END:VEVENT\r\n"
           "BEGIN:VEVENT\r\nUID:birthday@tests\r\nDTSTART;VALUE=DATE:19900311\r\n"
           "DTEND;VALUE=DATE:19900312\r\nRRULE:FREQ=YEARLY\r\nSUMMARY:Ann\r\nEND:VEVENT\r\n"
           "BEGIN:VEVENT\r\nUID:planning@tests\r\nDTSTART:20260312T090000\r\n"
           "DTEND:20260312T100000\r\nSUMMARY:" +
           std::string(300, 'p') +
           "\r\nLOCATION:Room 4\r\nEND:VEVENT\r\n"
           "BEGIN:VEVENT\r\nUID:night@tests\r\nDTSTART:20260315T220000\r\n"
           "DTEND:20260316T020000\r\nSUMMARY:Night shift\r\nLOCATION:Depot\r\nEND:VEVENT\r\n"
           "BEGIN:VEVENT\r\nUID:review@tests\r\nDTSTART:20260316T140000\r\n"
           "DTEND:20260316T150000\r\nSUMMARY:Review\r\nEND:VEVENT\r\n"
           "END:VCALENDAR\r\n";
}

std::string unexplainedItems(const std::vector<ListedItem>& reference,
                             const std::vector<ListedItem>& shown,
                             const FaultAllowance& allowance) {
    size_t next = 0;
    bool allowanceUsed = false;
    for (const ListedItem& item : shown) {
        if (item.kind == ListedItem::Heading &&
            !headingListed(reference, item, allowance.lostCopies))
            return "a heading the calendar does not call for: " + utf8(item.text);
        if (item.kind == ListedItem::Text && !textListed(reference, item, allowance))
            return "a message the rebuild never makes: " + utf8(item.text);
        // Days a fault leaves out may make a run of empty days long enough for a separator.
        if (item.kind == ListedItem::Separator && allowance.dayTexts.empty() &&
            !separatorListed(reference))
            return "a separator the calendar does not call for";
        if (item.kind != ListedItem::Appointment)
            continue;
        bool matched = false;
        for (; next < reference.size() && !matched; ++next) {
            const ListedItem& expected = reference[next];
            if (expected.kind != ListedItem::Appointment)
                continue;
            if (sameAppointment(item, expected)) {
                matched = true;
            } else if (!allowanceUsed && allowance.zeroFields &&
                       sameWithZeroFields(item, expected)) {
                matched = allowanceUsed = true;
            } else if (!allowanceUsed && allowance.lostCopies && sameButAgeless(item, expected)) {
                matched = allowanceUsed = true;
            }
        }
        if (!matched)
            return "an appointment that is not in the calendar at that place: " + utf8(item.text);
    }
    return "";
}
