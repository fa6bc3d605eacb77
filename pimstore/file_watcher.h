// A thread that watches the calendar's folder and asks its owner to look at the file whenever
// the folder reports a change, and once a second in case a report was missed.
#pragma once

#include <windows.h>

#include <string>

namespace pimstore {

class FileWatcher {
public:
    using Callback = void (*)(void* context);

    FileWatcher() = default;
    FileWatcher(const FileWatcher&) = delete;
    FileWatcher& operator=(const FileWatcher&) = delete;
    ~FileWatcher() { stop(); }

    bool start(Callback callback, void* context);
    // Waits for the thread to end; never call it from DllMain.
    void stop();
    bool running() const { return thread_ != nullptr; }
    // Watches another folder from now on (the device's calendar moved); any thread.
    void watchFolder(const std::wstring& folder);

private:
    static DWORD WINAPI threadMain(void* self);
    void run();
    std::wstring folder();
    bool settle(HANDLE change);

    Callback callback_ = nullptr;
    void* context_ = nullptr;
    HANDLE thread_ = nullptr;
    HANDLE stopEvent_ = nullptr;
    HANDLE refolderEvent_ = nullptr;
    SRWLOCK lock_ = SRWLOCK_INIT;
    std::wstring folder_;
};

} // namespace pimstore
