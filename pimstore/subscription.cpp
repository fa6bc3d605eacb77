#include "subscription.h"

#include "calendar.h"
#include "calendar_file.h"
#include "calendar_set.h"
#include "caldav.h"
#include "http_fetch.h"
#include "scoped_lock.h"
#include "text.h"

#include <device.h>

#include <algorithm>

namespace pimstore {

namespace ical = daybrook::ical;

namespace {

// What a copy was fetched with, kept beside it as "<name>.meta", a few "Key: value" lines.
struct CopyFacts {
    std::string etag;
    std::string lastModified;
    std::string collectionTag;
};

std::wstring factsPath(const std::wstring& copyPath) {
    return copyPath.substr(0, copyPath.size() - 4) + L".meta";
}

std::string narrow(const std::wstring& text) {
    return utf8FromUtf16(std::u16string(text.begin(), text.end()));
}

std::string valueOf(const std::string& text, const std::string& key) {
    const std::string prefix = key + ": ";
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (text.compare(start, prefix.size(), prefix) == 0)
            return text.substr(start + prefix.size(), end - start - prefix.size());
        start = end + 1;
    }
    return std::string();
}

CopyFacts readFacts(const std::wstring& copyPath) {
    CopyFacts facts;
    std::string text;
    FileStamp stamp;
    if (!readCalendarFile(factsPath(copyPath), text, stamp))
        return facts;
    facts.etag = valueOf(text, "ETag");
    facts.lastModified = valueOf(text, "Last-Modified");
    facts.collectionTag = valueOf(text, "Collection-Tag");
    return facts;
}

void writeFacts(const std::wstring& copyPath, const std::wstring& address, const CopyFacts& facts) {
    const std::string text = "Address: " + narrow(addressForMessages(address)) +
                             "\nETag: " + facts.etag + "\nLast-Modified: " + facts.lastModified +
                             "\nCollection-Tag: " + facts.collectionTag + "\n";
    replaceCalendarFile(factsPath(copyPath), text);
}

bool isCollectionAddress(const std::wstring& address) {
    const size_t query = address.find_first_of(L"?#");
    const std::wstring path = address.substr(0, query);
    return !path.empty() && path.back() == L'/';
}

// Keeps the copy when the bytes are the same, so that nobody is told of a change that is none.
FetchOutcome keepCopy(const std::wstring& address, const std::wstring& copyPath,
                      const std::string& calendar, const CopyFacts& facts, std::wstring& problem) {
    if (ical::readCalendar(calendar).rejected) {
        problem = L"the answer is not an iCalendar calendar";
        return FetchOutcome::Failed;
    }
    CreateDirectoryW(folderOf(copyPath).c_str(), nullptr);
    // Another program on the device may be fetching the same subscription into the same copy.
    const CalendarWriteLock otherPrograms;
    if (!otherPrograms.held()) {
        problem = L"the copy is being written by another program";
        return FetchOutcome::Failed;
    }
    std::string old;
    FileStamp stamp;
    const bool same = readCalendarFile(copyPath, old, stamp) && old == calendar;
    if (!same) {
        const HRESULT written = replaceCalendarFile(copyPath, calendar);
        if (FAILED(written)) {
            problem = L"the copy cannot be written (error " +
                      std::to_wstring(HRESULT_CODE(written)) + L")";
            return FetchOutcome::Failed;
        }
    }
    writeFacts(copyPath, address, facts);
    return same ? FetchOutcome::Unchanged : FetchOutcome::Changed;
}

FetchOutcome fetchCollection(const std::wstring& address, const std::wstring& copyPath,
                             DWORD timeout, bool haveCopy, bool& notACollection,
                             std::wstring& problem) {
    CopyFacts facts = readFacts(copyPath);
    std::string calendar, tag;
    const CalDavOutcome outcome = readCalDavCollection(
        address, timeout, haveCopy ? facts.collectionTag : std::string(), calendar, tag, problem);
    notACollection = outcome == CalDavOutcome::NotACalendar;
    if (outcome == CalDavOutcome::Unchanged)
        return FetchOutcome::Unchanged;
    if (outcome != CalDavOutcome::Fetched)
        return FetchOutcome::Failed;
    facts = CopyFacts();
    facts.collectionTag = tag;
    return keepCopy(address, copyPath, calendar, facts, problem);
}

FetchOutcome fetchFile(const std::wstring& address, const std::wstring& copyPath, DWORD timeout,
                       bool haveCopy, std::wstring& problem) {
    const CopyFacts known = readFacts(copyPath);
    HttpRequest request;
    request.address = address;
    request.timeoutMilliseconds = timeout;
    if (haveCopy && !known.etag.empty())
        request.headers += L"If-None-Match: " + wideFromUtf8(known.etag) + L"\r\n";
    if (haveCopy && !known.lastModified.empty())
        request.headers += L"If-Modified-Since: " + wideFromUtf8(known.lastModified) + L"\r\n";
    HttpAnswer answer;
    if (!httpExchange(request, answer, problem))
        return FetchOutcome::Failed;
    if (answer.status == 304 && haveCopy)
        return FetchOutcome::Unchanged;
    if (answer.status != 200) {
        problem = describeStatus(answer.status);
        return FetchOutcome::Failed;
    }
    CopyFacts facts;
    facts.etag = narrow(answer.etag);
    facts.lastModified = narrow(answer.lastModified);
    const FetchOutcome outcome = keepCopy(address, copyPath, answer.body, facts, problem);
    if (outcome == FetchOutcome::Failed && !answer.contentType.empty())
        problem += L" (it is " + answer.contentType + L")";
    return outcome;
}

} // namespace

FetchOutcome fetchSubscription(const std::wstring& address, const std::wstring& copyPath,
                               DWORD timeoutMilliseconds, std::wstring& problem) {
    problem.clear();
    if (copyPath.empty()) {
        problem = L"the device has no folder for subscriptions";
        return FetchOutcome::Failed;
    }
    const bool haveCopy = stampOf(copyPath).exists;
    if (isCollectionAddress(address)) {
        bool notACollection = false;
        const FetchOutcome outcome = fetchCollection(address, copyPath, timeoutMilliseconds,
                                                     haveCopy, notACollection, problem);
        if (!notACollection)
            return outcome;
    }
    return fetchFile(address, copyPath, timeoutMilliseconds, haveCopy, problem);
}

struct SubscriptionRefresher::State {
    SRWLOCK lock = SRWLOCK_INIT;
    Changed changed = nullptr;
    void* context = nullptr;
    std::vector<std::wstring> addresses;
    // Moves whenever the addresses do. Each list has a thread of its own: one still waiting for
    // a slow server of the old list must not hold up the new one. It ends when it sees the move.
    unsigned generation = 0;
    bool ending = false;
    HANDLE wake = nullptr; // the current thread's; set to make it look again
    std::map<std::wstring, std::wstring> problems;
};

namespace {

using State = SubscriptionRefresher::State;

// A week: longer intervals would overflow the wait's milliseconds.
const DWORD kLongestRefresh = 7 * 24 * 3600;

struct ThreadStart {
    std::shared_ptr<State> state;
    unsigned generation;
    HANDLE wake; // owned by the thread
};

bool current(State& state, unsigned generation) {
    SharedLock guard(&state.lock);
    return state.generation == generation && !state.ending;
}

void report(State& state, unsigned generation, const std::wstring& address,
            const std::wstring& problem) {
    {
        ExclusiveLock guard(&state.lock);
        if (state.generation != generation)
            return;
        if (problem.empty())
            state.problems.erase(address);
        else
            state.problems[address] = problem;
    }
    if (!problem.empty())
        OutputDebugStringW(
            (L"pimstore: " + address + L": " + problem + L"; the last copy is shown\n").c_str());
}

void fetchRound(State& state, const std::vector<std::wstring>& addresses, unsigned generation) {
    const DWORD timeout = DeviceGetNetworkTimeout();
    for (const std::wstring& address : addresses) {
        if (!current(state, generation))
            return;
        std::wstring problem;
        const FetchOutcome outcome =
            fetchSubscription(address, subscriptionCopyPath(address), timeout, problem);
        report(state, generation, addressForMessages(address), problem);
        if (outcome == FetchOutcome::Changed && current(state, generation))
            state.changed(state.context);
    }
}

DWORD WINAPI refreshThread(void* parameter) {
    const std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
    State& state = *start->state;
    while (current(state, start->generation)) {
        std::vector<std::wstring> addresses;
        {
            SharedLock guard(&state.lock);
            addresses = state.addresses;
        }
        fetchRound(state, addresses, start->generation);
        WaitForSingleObject(
            start->wake, std::min(DeviceGetSubscriptionRefreshSeconds(), kLongestRefresh) * 1000);
    }
    CloseHandle(start->wake);
    return 0;
}

} // namespace

SubscriptionRefresher::SubscriptionRefresher(Changed changed, void* context)
    : state_(std::make_shared<State>()) {
    state_->changed = changed;
    state_->context = context;
}

SubscriptionRefresher::~SubscriptionRefresher() {
    ExclusiveLock guard(&state_->lock);
    state_->ending = true;
    if (state_->wake)
        SetEvent(state_->wake);
}

void SubscriptionRefresher::follow(const std::vector<std::wstring>& addresses) {
    ExclusiveLock guard(&state_->lock);
    if (addresses == state_->addresses)
        return;
    state_->addresses = addresses;
    ++state_->generation;
    state_->problems.clear();
    if (state_->wake)
        SetEvent(state_->wake); // the old thread ends
    state_->wake = nullptr;
    if (addresses.empty())
        return;
    auto start = std::make_unique<ThreadStart>(
        ThreadStart{state_, state_->generation, CreateEventW(nullptr, FALSE, FALSE, nullptr)});
    if (!start->wake)
        return;
    const HANDLE wake = start->wake;
    HANDLE thread = CreateThread(nullptr, 0, refreshThread, start.get(), 0, nullptr);
    if (!thread) {
        CloseHandle(wake);
        return;
    }
    start.release();
    CloseHandle(thread);
    state_->wake = wake;
}

std::wstring SubscriptionRefresher::problems() const {
    SharedLock guard(&state_->lock);
    std::wstring text;
    for (const auto& entry : state_->problems)
        text += entry.first + L": " + entry.second + L"\n";
    return text;
}

} // namespace pimstore
