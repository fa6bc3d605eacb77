#include "file_watcher.h"

#include "scoped_lock.h"

namespace pimstore {

namespace {

const DWORD kPollMilliseconds = 1000;
// An editor writes a file in several steps; the file is looked at once they stop.
const DWORD kSettleMilliseconds = 50;
const int kSettleRounds = 20;
const DWORD kWatchedChanges =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;

void closeChangeHandle(HANDLE& change) {
    if (change != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(change);
    change = INVALID_HANDLE_VALUE;
}

} // namespace

bool FileWatcher::start(Callback callback, void* context) {
    if (thread_)
        return true;
    callback_ = callback;
    context_ = context;
    {
        ExclusiveLock guard(&lock_);
        stopEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        // Signalled from the start: the thread opens the folder first.
        refolderEvent_ = CreateEventW(nullptr, FALSE, TRUE, nullptr);
    }
    if (stopEvent_ && refolderEvent_)
        thread_ = CreateThread(nullptr, 0, threadMain, this, 0, nullptr);
    if (!thread_) {
        stop();
        return false;
    }
    return true;
}

void FileWatcher::stop() {
    if (thread_) {
        SetEvent(stopEvent_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    ExclusiveLock guard(&lock_);
    if (stopEvent_)
        CloseHandle(stopEvent_);
    if (refolderEvent_)
        CloseHandle(refolderEvent_);
    stopEvent_ = refolderEvent_ = nullptr;
}

void FileWatcher::watchFolder(const std::wstring& folder) {
    ExclusiveLock guard(&lock_);
    if (folder != folder_ && refolderEvent_)
        SetEvent(refolderEvent_);
    folder_ = folder;
}

std::wstring FileWatcher::folder() {
    SharedLock guard(&lock_);
    return folder_;
}

DWORD WINAPI FileWatcher::threadMain(void* self) {
    static_cast<FileWatcher*>(self)->run();
    return 0;
}

// False when asked to stop meanwhile.
bool FileWatcher::settle(HANDLE change) {
    for (int round = 0; round < kSettleRounds; ++round) {
        if (!FindNextChangeNotification(change))
            return true;
        const HANDLE handles[] = {stopEvent_, change};
        const DWORD woken = WaitForMultipleObjects(2, handles, FALSE, kSettleMilliseconds);
        if (woken == WAIT_OBJECT_0)
            return false;
        if (woken != WAIT_OBJECT_0 + 1)
            return true;
    }
    return true;
}

void FileWatcher::run() {
    HANDLE change = INVALID_HANDLE_VALUE;
    for (;;) {
        HANDLE handles[] = {stopEvent_, refolderEvent_, change};
        const DWORD count = change == INVALID_HANDLE_VALUE ? 2 : 3;
        const DWORD woken = WaitForMultipleObjects(count, handles, FALSE, kPollMilliseconds);
        if (woken == WAIT_OBJECT_0)
            break;
        if (woken == WAIT_OBJECT_0 + 1) {
            closeChangeHandle(change);
            const std::wstring watched = folder();
            if (!watched.empty())
                change = FindFirstChangeNotificationW(watched.c_str(), FALSE, kWatchedChanges);
            continue;
        }
        if (woken == WAIT_OBJECT_0 + 2 && !settle(change))
            break;
        if (woken == WAIT_FAILED)
            Sleep(kPollMilliseconds);
        callback_(context_);
    }
    closeChangeHandle(change);
}

} // namespace pimstore
