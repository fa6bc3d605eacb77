// Answering the device's modal calls as a user would: menus (a command, or none) and message
// boxes (a button), remembering what each offered, optionally acting while it is open.
#pragma once
#include <device.h>
#include <test_support.h>

#include <functional>
#include <string>
#include <vector>

struct OfferedEntry {
    UINT id;
    bool separator;
    bool grayed;
    std::wstring text;
};

class MenuAnswer {
public:
    explicit MenuAnswer(UINT command = 0);
    ~MenuAnswer();
    void choose(UINT command) { command_ = command; }
    // Runs while the menu is open, before the choice is made.
    void whileOpen(std::function<void()> action) { whileOpen_ = std::move(action); }
    int menusShown() const { return shown_; }
    const std::vector<OfferedEntry>& offered() const { return offered_; }
    // The last menu in one line, "1000 Alpha | - | 101 Delete Appointment", for assertions.
    std::wstring describe() const;
    HWND owner() const { return owner_; }
    POINT point() const { return point_; }
    UINT flags() const { return flags_; }

private:
    static UINT answer(HWND owner, const DeviceMenuEntry* entries, int count, POINT point,
                       UINT flags, void* context);
    UINT command_;
    std::function<void()> whileOpen_;
    int shown_ = 0;
    std::vector<OfferedEntry> offered_;
    HWND owner_ = nullptr;
    POINT point_ = {};
    UINT flags_ = 0;
};

class MessageBoxAnswer {
public:
    explicit MessageBoxAnswer(int button);
    ~MessageBoxAnswer();
    void whileOpen(std::function<void()> action) { whileOpen_ = std::move(action); }
    const std::vector<testing_support::MessageBoxRecord>& boxes() const { return boxes_; }

private:
    static int answer(HWND owner, const WCHAR* text, const WCHAR* caption, UINT type,
                      void* context);
    int button_;
    std::function<void()> whileOpen_;
    std::vector<testing_support::MessageBoxRecord> boxes_;
};

// Runs an action once the store's appointment view is open (from inside its modal loop), then
// closes the view the way its user would.
class AppointmentViewWatcher {
public:
    explicit AppointmentViewWatcher(std::function<void(HWND view)> whileOpen);
    ~AppointmentViewWatcher();
    int viewsSeen() const { return seen_; }
    // A field of the last view seen (DeviceViewSubject, DeviceViewStart, ...).
    std::wstring field(int id) const;

private:
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD);
    std::function<void(HWND)> whileOpen_;
    UINT_PTR timer_;
    int seen_ = 0;
    HWND lastView_ = nullptr;
    std::wstring fields_[8];
};

// Closes the options sheet with its done button once it shows (from inside its modal loop).
class OptionsSheetWatcher {
public:
    OptionsSheetWatcher();
    ~OptionsSheetWatcher();
    int sheetsSeen() const { return seen_; }

private:
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD);
    UINT_PTR timer_;
    int seen_ = 0;
    HWND lastSheet_ = nullptr;
};

// Runs an action once a dialog of this thread with the given caption shows (from inside its
// modal loop); the action answers it as the dialog's user would.
class DialogWatcher {
public:
    DialogWatcher(const wchar_t* caption, std::function<void(HWND dialog)> whileOpen);
    ~DialogWatcher();
    int dialogsSeen() const { return seen_; }

private:
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD);
    std::wstring caption_;
    std::function<void(HWND)> whileOpen_;
    UINT_PTR timer_;
    int seen_ = 0;
    HWND lastDialog_ = nullptr;
};
