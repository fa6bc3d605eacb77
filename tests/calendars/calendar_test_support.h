// What the calendars suite shares: the device with several calendars, the store's report, and
// the calendar servers the suite's fixture started (tests/calendars/calendar_servers.py).
#pragma once

#include "store_test_support.h"

#include <string>
#include <vector>

namespace calendar_testing {

// The device's calendars for one test: the first given names the device's calendar, the others
// are added; subscriptions keep their copies in a fresh folder and are fetched every second.
// Puts the device back (no calendar, default subscription settings) when it goes.
class DeviceCalendars {
public:
    explicit DeviceCalendars(const std::vector<std::wstring>& sources,
                             DWORD networkTimeoutMilliseconds = 5000);
    ~DeviceCalendars();
    DeviceCalendars(const DeviceCalendars&) = delete;
    DeviceCalendars& operator=(const DeviceCalendars&) = delete;

    const std::wstring& subscriptionFolder() const { return copies_.path(); }
    // The .ics copies the device keeps of its subscriptions.
    std::vector<std::wstring> copies() const;

private:
    testing_support::TempFolder copies_;
};

// The store's load report: its messages, one per line.
std::wstring reportMessages();
// The subjects the store lists now, through a session of its own.
std::vector<std::wstring> currentSubjects();
bool contains(const std::vector<std::wstring>& subjects, const std::wstring& subject);

// The servers: a plain HTTP server and Radicale, on ports chosen when they started.
struct CalendarServers {
    std::wstring folder; // the servers' state, a device path
    int httpPort = 0;
    int httpsPort = 0; // the same server over TLS, with a certificate nobody trusts yet
    int radicalePort = 0;
    // Put before every name, fresh for each test: the servers outlive a run, and a name's mode
    // and log from an earlier test (or an earlier run of this one) must not answer for it.
    std::string namePrefix;

    // Reads what the fixture wrote; false (with a test failure) when the servers are not there.
    bool load();
    // /cal/<name>.ics
    std::wstring calendarPath(const std::string& name) const;
    // http://127.0.0.1:<port>/cal/<name>.ics
    std::wstring calendarAddress(const std::string& name) const;
    // What the HTTP server does for /cal/<name>.ics: "good", "404", "stall", "huge" ...
    void setMode(const std::string& name, const std::string& mode) const;
    // The calendar it serves as /cal/<name>.ics in the good mode.
    void serve(const std::string& name, const std::string& calendar) const;
    // Its log of requests for that name, one line each: "GET 200 inm=... ims=...".
    std::string log(const std::string& name) const;
};

} // namespace calendar_testing
