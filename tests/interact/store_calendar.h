// The item on an emulated device whose store reads a calendar file written for the test: the
// real entry, loader, store and notifications, driven by taps and tap-and-holds.
#pragma once
#include "agenda/agenda_items.h"
#include "agenda/agenda_list.h"
#include "host/host_state.h"

#include <test_support.h>
#include <todaycmn.h>

#include <string>

// The day the device's clock stands at: 2026-03-10 (a Tuesday), 08:00.
extern const SYSTEMTIME kDeviceNow;

// The calendar every test starts from, with floating (local) times:
//   "Dentist"  today 10:00-11:00, single
//   "Standup"  daily 09:30-09:45 from yesterday, ten times
//   "Review"   tomorrow 14:00-15:00, single
//   "New Year" 2004-01-01 00:00-01:00 (before the listed days)
std::string standardCalendar();

class DeviceCalendarFile {
public:
    explicit DeviceCalendarFile(const std::string& contents = standardCalendar());
    ~DeviceCalendarFile();
    const std::wstring& path() const { return path_; }
    std::string contents() const;
    // Writes the file anew, as another program would; false unless all was written.
    bool rewrite(const std::string& contents);

private:
    testing_support::TempFolder folder_;
    std::wstring path_;
};

class ItemOnDevice {
public:
    // Three days listed from the device's today; ActivePIM as given (0: the device's Calendar).
    explicit ItemOnDevice(DWORD activePim = 0);
    ~ItemOnDevice();
    HWND window() const { return window_; }
    AgendaList* list() const { return gHost.currentList; }
    const TODAYLISTITEM& record() const { return record_; }
    // One refresh query, as the Today screen sends it; its answer.
    BOOL refresh();
    // Queries until the loader's next list is shown (false when none came).
    bool waitForNextList(DWORD milliseconds = 10000);

    // The n-th listed appointment with this subject, or null.
    AppointmentItem* appointment(const wchar_t* subject, int nth = 0) const;
    int indexOf(const AgendaItem* item) const;
    // The index of the n-th day heading, or -1.
    int headingIndex(int nth) const;
    // A point on an appointment's line (right of the icon strip) and on a list item.
    POINT pointOn(const AppointmentItem* item) const;
    POINT pointOnItem(int index) const;
    void tap(POINT point);
    void tapAndHold(POINT point);

private:
    testing_support::ScopedRegistryKey settings_;
    testing_support::ScopedRegistryKey extensions_;
    testing_support::TestWindow parent_{240, 320};
    TODAYLISTITEM record_ = {};
    HWND window_ = nullptr;
};

// The whole-day OLE date of a day relative to the device's today.
double deviceDay(int offset);
