// The fault-injecting store (testmodules\FaultyStore.dll) registered under the store's class
// identifier in the real server's place while this object lives; the real registration comes
// back when it goes.
#pragma once
#include <windows.h>

#include <string>

class FaultyStoreControl {
public:
    FaultyStoreControl();
    ~FaultyStoreControl();
    // The library loaded, the real server found and the registration swapped.
    bool ready() const { return ready_; }
    // Counts from 0 again; call number failAt fails (0: none), and every later one when onward.
    void reset(long failAt, bool onward = false);
    long calls() const;
    long liveObjects() const;
    std::string failedCall() const;
    std::string callName(long number) const;

private:
    FaultyStoreControl(const FaultyStoreControl&) = delete;
    FaultyStoreControl& operator=(const FaultyStoreControl&) = delete;
    template <typename Function> Function entry(const char* name) const {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

    HMODULE module_ = nullptr;
    std::wstring realServer_;
    bool ready_ = false;
};
