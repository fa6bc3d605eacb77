#include "device_answers.h"

MenuAnswer::MenuAnswer(UINT command) : command_(command) {
    DeviceSetMenuHandler(answer, this);
}

MenuAnswer::~MenuAnswer() {
    DeviceSetMenuHandler(nullptr, nullptr);
}

UINT MenuAnswer::answer(HWND owner, const DeviceMenuEntry* entries, int count, POINT point,
                        UINT flags, void* context) {
    auto self = static_cast<MenuAnswer*>(context);
    ++self->shown_;
    self->owner_ = owner;
    self->point_ = point;
    self->flags_ = flags;
    self->offered_.clear();
    for (int i = 0; i < count; ++i)
        self->offered_.push_back(OfferedEntry{entries[i].id, (entries[i].type & MFT_SEPARATOR) != 0,
                                              (entries[i].state & MFS_GRAYED) != 0,
                                              entries[i].text ? entries[i].text : L""});
    if (self->whileOpen_)
        self->whileOpen_();
    return self->command_;
}

std::wstring MenuAnswer::describe() const {
    std::wstring text;
    for (const OfferedEntry& entry : offered_) {
        if (!text.empty())
            text += L" | ";
        text += entry.separator ? L"-" : std::to_wstring(entry.id) + L" " + entry.text;
    }
    return text;
}

MessageBoxAnswer::MessageBoxAnswer(int button) : button_(button) {
    DeviceSetMessageBoxHandler(answer, this);
}

MessageBoxAnswer::~MessageBoxAnswer() {
    DeviceSetMessageBoxHandler(nullptr, nullptr);
}

int MessageBoxAnswer::answer(HWND owner, const WCHAR* text, const WCHAR* caption, UINT type,
                             void* context) {
    auto self = static_cast<MessageBoxAnswer*>(context);
    self->boxes_.push_back(testing_support::MessageBoxRecord{text, caption, type, owner});
    if (self->whileOpen_)
        self->whileOpen_();
    return self->button_;
}

namespace {
AppointmentViewWatcher* gWatcher = nullptr;
OptionsSheetWatcher* gSheetWatcher = nullptr;
const int kSheetTabControl = 0x3020; // the property sheet's own tab control

BOOL CALLBACK matchSheet(HWND window, LPARAM found) {
    if (!IsWindowVisible(window) || !GetDlgItem(window, kSheetTabControl))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}
} // namespace

AppointmentViewWatcher::AppointmentViewWatcher(std::function<void(HWND)> whileOpen)
    : whileOpen_(std::move(whileOpen)) {
    gWatcher = this;
    timer_ = SetTimer(nullptr, 0, 20, onTimer);
}

AppointmentViewWatcher::~AppointmentViewWatcher() {
    KillTimer(nullptr, timer_);
    gWatcher = nullptr;
}

void CALLBACK AppointmentViewWatcher::onTimer(HWND, UINT, UINT_PTR, DWORD) {
    AppointmentViewWatcher* self = gWatcher;
    HWND view = DeviceFindAppointmentView();
    if (!self || !view || !IsWindowVisible(view) || view == self->lastView_)
        return; // none open, or the one already closed is still going
    self->lastView_ = view;
    ++self->seen_;
    for (int id = DeviceViewSubject; id <= DeviceViewRecurrence; ++id) {
        WCHAR text[256] = {};
        GetDlgItemTextW(view, id, text, 256);
        self->fields_[id - DeviceViewSubject] = text;
    }
    if (self->whileOpen_)
        self->whileOpen_(view);
    DeviceCloseAppointmentViews();
}

std::wstring AppointmentViewWatcher::field(int id) const {
    if (id < DeviceViewSubject || id > DeviceViewRecurrence)
        return std::wstring();
    return fields_[id - DeviceViewSubject];
}

OptionsSheetWatcher::OptionsSheetWatcher() {
    gSheetWatcher = this;
    timer_ = SetTimer(nullptr, 0, 20, onTimer);
}

OptionsSheetWatcher::~OptionsSheetWatcher() {
    KillTimer(nullptr, timer_);
    gSheetWatcher = nullptr;
}

void CALLBACK OptionsSheetWatcher::onTimer(HWND, UINT, UINT_PTR, DWORD) {
    OptionsSheetWatcher* self = gSheetWatcher;
    HWND sheet = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), matchSheet, reinterpret_cast<LPARAM>(&sheet));
    if (!self || !sheet || sheet == self->lastSheet_)
        return;
    self->lastSheet_ = sheet;
    ++self->seen_;
    PostMessageW(GetDlgItem(sheet, IDOK), BM_CLICK, 0, 0);
}

namespace {
DialogWatcher* gDialogWatcher = nullptr;

struct DialogSearch {
    const std::wstring* caption;
    HWND found;
};

BOOL CALLBACK matchDialog(HWND window, LPARAM context) {
    DialogSearch* search = reinterpret_cast<DialogSearch*>(context);
    wchar_t className[16] = {};
    wchar_t caption[128] = {};
    GetClassNameW(window, className, 16);
    GetWindowTextW(window, caption, 128);
    if (!IsWindowVisible(window) || lstrcmpW(className, L"#32770") != 0 ||
        *search->caption != caption)
        return TRUE;
    search->found = window;
    return FALSE;
}
} // namespace

DialogWatcher::DialogWatcher(const wchar_t* caption, std::function<void(HWND)> whileOpen)
    : caption_(caption), whileOpen_(std::move(whileOpen)) {
    gDialogWatcher = this;
    timer_ = SetTimer(nullptr, 0, 20, onTimer);
}

DialogWatcher::~DialogWatcher() {
    KillTimer(nullptr, timer_);
    gDialogWatcher = nullptr;
}

void CALLBACK DialogWatcher::onTimer(HWND, UINT, UINT_PTR, DWORD) {
    DialogWatcher* self = gDialogWatcher;
    if (!self)
        return;
    DialogSearch search = {&self->caption_, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), matchDialog, reinterpret_cast<LPARAM>(&search));
    if (!search.found || search.found == self->lastDialog_)
        return;
    self->lastDialog_ = search.found;
    ++self->seen_;
    if (self->whileOpen_)
        self->whileOpen_(search.found);
}
