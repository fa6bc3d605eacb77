// The Today screen as an item sees it: a parent window that hosts item windows, lays them out by
// their heights, polls them and answers their questions. Its items come from the registry like
// the device's, or from one library named on the command line.
#pragma once
#include <windows.h>
#include <todaycmn.h>

#include "today_items.h"

#include <memory>
#include <string>
#include <vector>

struct HostedItem {
    TodayItemEntry entry;
    HMODULE library = nullptr;
    TODAYLISTITEM record = {};
    HWND window = nullptr; // custom items only
    int top = 0;           // where the row starts in the Today window
    int height = 0;
};

// Menu commands of the interactive device window reach this handler.
typedef void (*TodayCommandHandler)(UINT command, void* context);
// Told of each item library once it is loaded, before the item starts (the screen itself watches
// its background work).
typedef void (*TodayLibraryObserver)(HMODULE library);

class TodayScreen {
public:
    // framed: a device window with a caption and menu, for a display a person looks at.
    bool Create(bool framed = false, HMENU menu = nullptr);
    void SetCommandHandler(TodayCommandHandler handler, void* context);
    void SetLibraryObserver(TodayLibraryObserver observer) { libraryObserver_ = observer; }
    // The navigation keys of the device: up, down and the action key (return).
    void PressKey(UINT key);
    // The emulated screen changed size: the window follows and the items are polled.
    void FitToScreen();
    // Polls the items every two seconds from the window's own timer, as the device does.
    void StartPolling();
    // Hosts one library directly, as a custom item named itemName.
    bool LoadItem(const WCHAR* libraryPath, const WCHAR* itemName);
    // Builds the item list from the registry, as the device's Today screen does.
    void LoadRegisteredItems();
    // One poll of every custom item, as the Today screen does every two seconds.
    void QueryItems();
    // Runs the message loop for the given time, polling items at the given interval.
    void Run(DWORD milliseconds, DWORD pollInterval);
    // The same until done() holds after a poll (true) or the time is up (false).
    bool RunUntil(bool (*done)(), DWORD milliseconds, DWORD pollInterval);
    // Handles what is queued and paints every pending window now.
    void Settle();
    // Runs until every item has finished its first build (see background_work.h), takes its
    // list and paints it; false when the time ran out first.
    bool RunUntilFirstBuild(DWORD milliseconds);
    void UnloadItems();
    void Destroy();

    HWND window() const { return window_; }
    int selectedRow() const { return selected_; }
    // The first custom item (the one a single-library run hosts).
    const HostedItem& item() const;
    const std::vector<std::unique_ptr<HostedItem>>& items() const { return items_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool StartCustomItem(HostedItem* item);
    void Layout();
    void Paint(HDC dc);
    bool IsSelectable(const HostedItem& item) const;
    bool EnterRow(int index, UINT key);
    void LeaveRow();
    void MoveSelection(UINT key);
    void SelectRowAt(int y);

    HWND window_ = nullptr;
    bool fromRegistry_ = false;
    bool framed_ = false;
    int selected_ = -1; // the row that has the selection, -1 for none
    TodayCommandHandler commandHandler_ = nullptr;
    TodayLibraryObserver libraryObserver_ = nullptr;
    void* commandContext_ = nullptr;
    std::vector<std::unique_ptr<HostedItem>> items_;
};
