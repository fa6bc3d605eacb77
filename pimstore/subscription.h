// Subscribed calendars: the device keeps a copy of each (calendar_set.h names the file) beside
// what it needs for asking again cheaply (ETag, Last-Modified, a CalDAV collection's tag). The
// copy is replaced only by an answer that is a calendar; whatever goes wrong, the last good copy
// stays and is shown, and nothing is ever sent back to the server.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace pimstore {

enum class FetchOutcome { Changed, Unchanged, Failed };

// One fetch of address into copyPath, conditional when a copy is there. problem says why it
// failed.
FetchOutcome fetchSubscription(const std::wstring& address, const std::wstring& copyPath,
                               DWORD timeoutMilliseconds, std::wstring& problem);

// A thread that fetches the subscriptions of the device's calendars: at once when the store
// names a new set, then every refresh interval. Nobody waits for it: the store shows the copies
// and hears from the thread when one changed.
class SubscriptionRefresher {
public:
    using Changed = void (*)(void* context);

    SubscriptionRefresher(Changed changed, void* context);
    SubscriptionRefresher(const SubscriptionRefresher&) = delete;
    SubscriptionRefresher& operator=(const SubscriptionRefresher&) = delete;
    // Never waits for the thread (this may run while the process ends); it stops on its own.
    ~SubscriptionRefresher();

    // The addresses to keep fetched; an empty list lets the thread end.
    void follow(const std::vector<std::wstring>& addresses);
    // "address: problem" per line for each subscription whose last fetch failed.
    std::wstring problems() const;

    struct State; // shared with the thread

private:
    std::shared_ptr<State> state_;
};

} // namespace pimstore
