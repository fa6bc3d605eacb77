#include "store_test_support.h"

#include <device.h>
#include <device_env.h>
#include <gtest/gtest.h>
#include <windbase.h>

namespace store_testing {

namespace {

SYSTEMTIME transition(WORD month, WORD week, WORD hour) {
    SYSTEMTIME date = {};
    date.wMonth = month;
    date.wDay = week;
    date.wDayOfWeek = 0; // Sunday
    date.wHour = hour;
    return date;
}

void writeBytes(const std::wstring& path, const std::string& bytes) {
    ASSERT_TRUE(testing_support::writeFileBytes(path, bytes)) << "the calendar file is written";
}

} // namespace

TIME_ZONE_INFORMATION utcZone() {
    return TIME_ZONE_INFORMATION{};
}

TIME_ZONE_INFORMATION centralEuropeZone() {
    TIME_ZONE_INFORMATION zone = {};
    zone.Bias = -60;
    zone.DaylightBias = -60;
    zone.StandardDate = transition(10, 5, 3); // last Sunday of October, 03:00
    zone.DaylightDate = transition(3, 5, 2);  // last Sunday of March, 02:00
    return zone;
}

TIME_ZONE_INFORMATION usPacificZone() {
    TIME_ZONE_INFORMATION zone = {};
    zone.Bias = 480;
    zone.DaylightBias = -60;
    zone.StandardDate = transition(11, 1, 2); // first Sunday of November
    zone.DaylightDate = transition(3, 2, 2);  // second Sunday of March
    return zone;
}

DeviceCalendar::DeviceCalendar(const std::string& text, const TIME_ZONE_INFORMATION& zone)
    : path_(folder_.file(L"calendar.ics")) {
    overwrite(text);
    DeviceSetTimeZone(&zone);
    DeviceSetCalendarFile(path_.c_str());
}

DeviceCalendar::~DeviceCalendar() {
    DeviceSetCalendarFile(nullptr);
    DeviceSetTimeZone(nullptr);
}

std::string DeviceCalendar::bytes() const {
    return readBytes(path_);
}

// Written beside and moved over the old file, as most editors save.
void DeviceCalendar::rewrite(const std::string& text) const {
    const std::wstring written = path_ + L".saving";
    writeBytes(written, text);
    ASSERT_TRUE(MoveFileExW(written.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING));
}

void DeviceCalendar::overwrite(const std::string& text) const {
    writeBytes(path_, text);
}

StoreSession::StoreSession(HWND owner) {
    HRESULT result =
        CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp,
                         reinterpret_cast<void**>(application.receive()));
    EXPECT_EQ(S_OK, result) << "is pimstore.dll registered (scripts/register.sh)?";
    if (!application)
        return;
    EXPECT_EQ(S_OK, application->Logon(static_cast<long>(reinterpret_cast<LONG_PTR>(owner))));
    EXPECT_EQ(S_OK, application->GetDefaultFolder(olFolderCalendar, calendar.receive()));
    if (calendar) {
        EXPECT_EQ(S_OK, calendar->get_Items(items.receive()));
    }
}

DATE oleDate(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    DATE date = 0;
    SystemTimeToVariantTime(&time, &date);
    return date;
}

std::wstring dateLiteral(DATE date) {
    BSTR text = nullptr;
    VarBstrFromDate(date, 0, 0, &text);
    std::wstring literal = L"\"" + std::wstring(text ? text : L"") + L"\"";
    SysFreeString(text);
    return literal;
}

std::wstring dayFilter(DATE day) {
    return L"[End] >= " + dateLiteral(day) + L" AND [Start] < " + dateLiteral(day + 1);
}

ComPtr<IPOutlookItemCollection> restricted(IPOutlookItemCollection* items,
                                           const std::wstring& filter, HRESULT* result) {
    ComPtr<IPOutlookItemCollection> found;
    BSTR text = SysAllocString(filter.c_str());
    const HRESULT restrictResult = items->Restrict(text, found.receive());
    SysFreeString(text);
    if (result)
        *result = restrictResult;
    else
        EXPECT_EQ(S_OK, restrictResult) << "filter: " << std::string(filter.begin(), filter.end());
    return found;
}

ComPtr<IAppointment> itemAt(IPOutlookItemCollection* items, int index) {
    ComPtr<IDispatch> item;
    ComPtr<IAppointment> appointment;
    if (items && SUCCEEDED(items->Item(index, item.receive())) && item)
        item->QueryInterface(IID_IAppointment, reinterpret_cast<void**>(appointment.receive()));
    return appointment;
}

int countOf(IPOutlookItemCollection* items) {
    int count = 0;
    if (items) {
        EXPECT_EQ(S_OK, items->get_Count(&count));
    }
    return count;
}

std::wstring subjectOf(IAppointment* appointment) {
    BSTR subject = nullptr;
    if (!appointment || FAILED(appointment->get_Subject(&subject)))
        return L"<none>";
    std::wstring text(subject, SysStringLen(subject));
    SysFreeString(subject);
    return text;
}

DATE startOf(IAppointment* appointment) {
    DATE start = 0;
    if (appointment)
        appointment->get_Start(&start);
    return start;
}

long oidOf(IAppointment* appointment) {
    long oid = 0;
    if (appointment)
        appointment->get_Oid(&oid);
    return oid;
}

std::vector<std::wstring> subjectsOf(IPOutlookItemCollection* items) {
    std::vector<std::wstring> subjects;
    const int count = countOf(items);
    for (int i = 1; i <= count; ++i)
        subjects.push_back(subjectOf(itemAt(items, i).get()));
    return subjects;
}

std::string readBytes(const std::wstring& path) {
    return testing_support::readFileBytes(path);
}

std::string realWorldCalendar(const char* name) {
    return readBytes(testing_support::testDataFile(L"calendars\\" + utf16(name)));
}

std::wstring utf16(const std::string& utf8) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0], length);
    return text;
}

std::string calendarOf(const std::string& events) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Daybrook tests//EN\r\n" + events +
           "END:VCALENDAR\r\n";
}

std::string eventText(const std::string& uid, const std::string& start, const std::string& end,
                      const std::string& summary, const std::string& extra) {
    return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTART" + start + "\r\nDTEND" + end +
           "\r\nSUMMARY:" + summary + "\r\n" + extra + "END:VEVENT\r\n";
}

NotifiedWindow::NotifiedWindow() {
    CEOID oid = 0;
    WCHAR name[] = L"Appointments Database";
    database_ = CeOpenDatabase(&oid, name, 0, 0, window_.hwnd());
}

NotifiedWindow::~NotifiedWindow() {
    if (database_ != INVALID_HANDLE_VALUE)
        DeviceCloseHandle(database_);
}

int NotifiedWindow::receivedAny() const {
    return received(DB_CEOID_CREATED) + received(DB_CEOID_CHANGED) +
           received(DB_CEOID_RECORD_DELETED);
}

PimStoreLoadReport loadReport(std::wstring* messages) {
    PimStoreLoadReport report = {};
    auto getReport = reinterpret_cast<PimStoreGetLoadReportFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"pimstore.dll"), "PimStoreGetLoadReport")));
    WCHAR text[4096] = {};
    EXPECT_TRUE(getReport && getReport(&report, text, 4096));
    if (messages)
        *messages = text;
    return report;
}

} // namespace store_testing
