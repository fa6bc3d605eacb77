// The Today screen as an item sees it: a parent window that hosts item windows, polls them and
// answers their questions.
#pragma once
#include <windows.h>
#include <todaycmn.h>

struct HostedItem {
    HMODULE library = nullptr;
    TODAYLISTITEM record = {};
    HWND window = nullptr;
};

class TodayScreen {
public:
    bool Create();
    // Loads the item library and calls its initialisation entry (ordinal 240).
    bool LoadItem(const WCHAR* libraryPath, const WCHAR* itemName);
    // One poll of every item, as the Today screen does every two seconds.
    void QueryItems();
    // Runs the message loop for the given time, polling items at the given interval.
    void Run(DWORD milliseconds, DWORD pollInterval);
    // Destroys every item window and releases the libraries.
    void UnloadItems();
    void Destroy();

    HWND window() const { return window_; }
    const HostedItem& item() const { return item_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    HostedItem item_;
};
