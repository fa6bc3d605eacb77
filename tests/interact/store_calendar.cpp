#include "store_calendar.h"
#include "host/item_host.h"
#include "settings/options.h"

#include <aygshell.h>
#include <device.h>

#include <cwchar>

using namespace testing_support;

const SYSTEMTIME kDeviceNow = {2026, 3, 2, 10, 8, 0, 0, 0};

std::string standardCalendar() {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Daybrook tests//EN\r\n"
           "BEGIN:VEVENT\r\nUID:dentist@tests\r\nDTSTART:20260310T100000\r\n"
           "DTEND:20260310T110000\r\nSUMMARY:Dentist\r\nLOCATION:Main Street\r\nEND:VEVENT\r\n"
           "BEGIN:VEVENT\r\nUID:standup@tests\r\nDTSTART:20260309T093000\r\n"
           "DTEND:20260309T094500\r\nRRULE:FREQ=DAILY;COUNT=10\r\nSUMMARY:Standup\r\n"
           "END:VEVENT\r\n"
           "BEGIN:VEVENT\r\nUID:review@tests\r\nDTSTART:20260311T140000\r\n"
           "DTEND:20260311T150000\r\nSUMMARY:Review\r\nEND:VEVENT\r\n"
           "BEGIN:VEVENT\r\nUID:newyear@tests\r\nDTSTART:20040101T000000\r\n"
           "DTEND:20040101T010000\r\nSUMMARY:New Year\r\nEND:VEVENT\r\n"
           "END:VCALENDAR\r\n";
}

DeviceCalendarFile::DeviceCalendarFile(const std::string& contents)
    : path_(folder_.file(L"calendar.ics")) {
    rewrite(contents);
    DeviceSetCalendarFile(path_.c_str());
    // The programs the item starts (the Calendar) see the same device and file.
    DeviceExportEnvironment();
}

DeviceCalendarFile::~DeviceCalendarFile() {
    DeviceSetCalendarFile(nullptr);
    SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
}

bool DeviceCalendarFile::rewrite(const std::string& contents) {
    return testing_support::writeFileBytes(path_, contents);
}

std::string DeviceCalendarFile::contents() const {
    return testing_support::readFileBytes(path_);
}

double deviceDay(int offset) {
    double now = 0;
    SystemTimeToVariantTime(const_cast<SYSTEMTIME*>(&kDeviceNow), &now);
    return static_cast<double>(static_cast<int>(now) + offset);
}

ItemOnDevice::ItemOnDevice(DWORD activePim)
    : settings_(HKEY_CURRENT_USER, L"Software\\Orvane\\Daybrook"),
      extensions_(HKEY_CURRENT_USER, L"Software\\Orvane\\Daybrook\\Extensions") {
    settings_.setDword(L"UpcomingType", UpcomingDays);
    settings_.setDword(L"UpcomingCount", 3);
    ShowWindow(parent_.hwnd(), SW_SHOWNA);
    record_.tlit = tlitCustom;
    record_.fEnabled = TRUE;
    record_.hinstDLL = GetModuleHandleW(nullptr);
    lstrcpyW(record_.szName, L"Daybrook");
    window_ = InitializeCustomItem(&record_, parent_.hwnd());
    if (!window_)
        return;
    record_.hwndCustom = window_;
    waitForNextList();
    gOptions.ActivePIM = activePim;
}

ItemOnDevice::~ItemOnDevice() {
    if (window_)
        DestroyWindow(window_);
    pumpMessages(0);
}

BOOL ItemOnDevice::refresh() {
    return static_cast<BOOL>(SendMessageW(window_, WM_TODAYCUSTOM_QUERYREFRESHCACHE,
                                          reinterpret_cast<WPARAM>(&record_), 0));
}

bool ItemOnDevice::waitForNextList(DWORD milliseconds) {
    AgendaList* before = gHost.currentList;
    return pumpUntil(
        [&] {
            refresh();
            EnterCriticalSection(&gHost.lock);
            // The placeholder of the first query is no list of the loader's.
            const bool delivered = gHost.currentList && gHost.currentList != before &&
                                   !gHost.pendingList && gHost.loaderState == Idle;
            LeaveCriticalSection(&gHost.lock);
            return delivered && gHost.currentList->totalHeight > 0;
        },
        milliseconds);
}

AppointmentItem* ItemOnDevice::appointment(const wchar_t* subject, int nth) const {
    AgendaList* shown = list();
    for (int i = 0; shown && i < shown->count; ++i) {
        auto item = dynamic_cast<AppointmentItem*>(shown->items[i]);
        if (item && item->line.subject && wcscmp(item->line.subject, subject) == 0 && nth-- == 0)
            return item;
    }
    return nullptr;
}

int ItemOnDevice::indexOf(const AgendaItem* item) const {
    for (int i = 0; list() && i < list()->count; ++i)
        if (list()->items[i] == item)
            return i;
    return -1;
}

int ItemOnDevice::headingIndex(int nth) const {
    for (int i = 0; list() && i < list()->count; ++i)
        if (dynamic_cast<DayHeadingItem*>(list()->items[i]) && nth-- == 0)
            return i;
    return -1;
}

POINT ItemOnDevice::pointOn(const AppointmentItem* item) const {
    const RECT& line = item->hitRect;
    LONG left = line.left > 30 ? line.left : 31;
    return POINT{(left + line.right) / 2, (line.top + line.bottom) / 2};
}

POINT ItemOnDevice::pointOnItem(int index) const {
    int top = 0;
    for (int i = 0; i < index; ++i)
        top += list()->items[i]->GetHeight();
    return POINT{100, top + list()->items[index]->GetHeight() / 2};
}

void ItemOnDevice::tap(POINT point) {
    SendMessageW(window_, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
}

void ItemOnDevice::tapAndHold(POINT point) {
    DeviceSetNextGesture(GN_CONTEXTMENU);
    SendMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
}
