// What the store's tests share: COM on the test thread, a calendar file the device names, and
// the store reached the way the item reaches it (CoCreateInstance, Logon, the calendar folder).
#pragma once

#include "com_ptr.h"
#include "test_support.h"

#include <pimstore.h>
#include <pimstore_diagnostics.h>

#include <string>
#include <vector>

namespace store_testing {

using pimstore::ComPtr;

class ComApartment {
public:
    ComApartment() { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
    ~ComApartment() { CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

// UTC all year, or a zone with daylight time (Central Europe, US Pacific).
TIME_ZONE_INFORMATION utcZone();
TIME_ZONE_INFORMATION centralEuropeZone();
TIME_ZONE_INFORMATION usPacificZone();

// A calendar file in a fresh folder, named as the device's calendar, with the device in the
// given zone. Puts the device back (no calendar, its host's zone) when it goes.
class DeviceCalendar {
public:
    explicit DeviceCalendar(const std::string& text, const TIME_ZONE_INFORMATION& zone = utcZone());
    ~DeviceCalendar();
    DeviceCalendar(const DeviceCalendar&) = delete;
    DeviceCalendar& operator=(const DeviceCalendar&) = delete;

    const std::wstring& path() const { return path_; }
    const std::wstring& folder() const { return folder_.path(); }
    std::string bytes() const;
    // What other programs do: save new contents beside and move them over the file, or write
    // them into the file in place.
    void rewrite(const std::string& text) const;
    void overwrite(const std::string& text) const;

private:
    testing_support::TempFolder folder_;
    std::wstring path_;
};

// A window registered for the object store's notifications, as the item registers its own.
class NotifiedWindow {
public:
    NotifiedWindow();
    ~NotifiedWindow();
    NotifiedWindow(const NotifiedWindow&) = delete;
    NotifiedWindow& operator=(const NotifiedWindow&) = delete;

    int received(UINT message) const { return window_.received(message); }
    int receivedAny() const; // created, changed or deleted
    WPARAM lastOid(UINT message) const { return window_.lastWParam(message); }

private:
    testing_support::TestWindow window_;
    HANDLE database_ = INVALID_HANDLE_VALUE;
};

// The store as the item uses it.
struct StoreSession {
    explicit StoreSession(HWND owner = nullptr);
    ComPtr<IPOutlookApp> application;
    ComPtr<IFolder> calendar;
    ComPtr<IPOutlookItemCollection> items;
};

DATE oleDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// The literal as the agenda writes it: VarBstrFromDate(date, 0, 0) in double quotes.
std::wstring dateLiteral(DATE date);
// [End] >= "day" AND [Start] < "next day": what overlaps the day.
std::wstring dayFilter(DATE day);

// The restricted collection (null when nothing matched); result receives Restrict's HRESULT.
ComPtr<IPOutlookItemCollection> restricted(IPOutlookItemCollection* items,
                                           const std::wstring& filter, HRESULT* result = nullptr);
ComPtr<IAppointment> itemAt(IPOutlookItemCollection* items, int index);
int countOf(IPOutlookItemCollection* items); // 0 for null
std::wstring subjectOf(IAppointment* appointment);
DATE startOf(IAppointment* appointment);
long oidOf(IAppointment* appointment);
// Subjects in the collection's order; empty for null.
std::vector<std::wstring> subjectsOf(IPOutlookItemCollection* items);

std::string readBytes(const std::wstring& path);
// A sample from the shared real-world calendars, as bytes.
std::string realWorldCalendar(const char* name);
std::wstring utf16(const std::string& utf8);
// The calendar's frame around events, with CRLF line breaks.
std::string calendarOf(const std::string& events);
// A VEVENT with CRLF line breaks; extra lines go before END:VEVENT.
std::string eventText(const std::string& uid, const std::string& start, const std::string& end,
                      const std::string& summary, const std::string& extra = "");

// The store's report on the device's calendar (read again if it changed); messages, when given,
// receives its diagnostic lines.
PimStoreLoadReport loadReport(std::wstring* messages = nullptr);

} // namespace store_testing
