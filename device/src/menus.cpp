// Pop-up menus. With a handler installed the device reports what the menu offers and takes the
// handler's choice, the way a user would pick an entry; without one the real menu is tracked.
#define CEDEVICE_BUILD
#include "device.h"
#include "device_env.h"

#include <string>
#include <vector>

namespace {

struct MenuHandlerSlot {
    SRWLOCK lock = SRWLOCK_INIT;
    DeviceMenuHandler handler = nullptr;
    void* context = nullptr;
};

MenuHandlerSlot gMenuHandler;

struct MenuContents {
    std::vector<std::wstring> texts;
    std::vector<DeviceMenuEntry> entries;
};

bool readEntry(HMENU menu, int position, std::wstring* text, DeviceMenuEntry* entry) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info))
        return false;
    if (info.cch > 0) {
        std::vector<WCHAR> buffer(info.cch + 1);
        info.dwTypeData = buffer.data();
        info.cch = static_cast<UINT>(buffer.size());
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info))
            return false;
        text->assign(buffer.data());
    }
    entry->id = info.wID;
    entry->type = info.fType;
    entry->state = info.fState;
    entry->subMenu = info.hSubMenu;
    return true;
}

MenuContents readMenu(HMENU menu) {
    MenuContents contents;
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        std::wstring text;
        DeviceMenuEntry entry = {};
        if (!readEntry(menu, position, &text, &entry))
            continue;
        contents.texts.push_back(text);
        contents.entries.push_back(entry);
    }
    // The texts have their final places only now.
    for (size_t i = 0; i < contents.entries.size(); ++i)
        contents.entries[i].text = contents.texts[i].c_str();
    return contents;
}

// A user can pick only an enabled command entry that the menu shows.
bool offers(const MenuContents& contents, UINT command) {
    for (const DeviceMenuEntry& entry : contents.entries) {
        if (entry.id != command || entry.subMenu || (entry.type & MFT_SEPARATOR))
            continue;
        return (entry.state & (MFS_GRAYED | MFS_DISABLED)) == 0;
    }
    return false;
}

bool currentHandler(DeviceMenuHandler* handler, void** context) {
    AcquireSRWLockShared(&gMenuHandler.lock);
    *handler = gMenuHandler.handler;
    *context = gMenuHandler.context;
    ReleaseSRWLockShared(&gMenuHandler.lock);
    return *handler != nullptr;
}

// What the real call returns for a choice: the command itself with TPM_RETURNCMD, otherwise
// success, the command arriving as WM_COMMAND.
BOOL answerMenu(HMENU menu, UINT flags, int x, int y, HWND owner, DeviceMenuHandler handler,
                void* context) {
    if (!IsMenu(menu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    if (owner && !(flags & TPM_NONOTIFY))
        SendMessageW(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    MenuContents contents = readMenu(menu);
    POINT point = {x, y};
    UINT command = handler(owner, contents.entries.data(),
                           static_cast<int>(contents.entries.size()), point, flags, context);
    if (command != 0 && !offers(contents, command))
        command = 0;
    if (flags & TPM_RETURNCMD)
        return static_cast<BOOL>(command);
    if (command != 0 && owner && !(flags & TPM_NONOTIFY))
        PostMessageW(owner, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    return TRUE;
}

} // namespace

DEVICE_API void DeviceSetMenuHandler(DeviceMenuHandler handler, void* context) {
    AcquireSRWLockExclusive(&gMenuHandler.lock);
    gMenuHandler.handler = handler;
    gMenuHandler.context = context;
    ReleaseSRWLockExclusive(&gMenuHandler.lock);
}

DEVICE_ENV_API BOOL WINAPI DeviceTrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner,
                                                  LPTPMPARAMS exclude) {
    DeviceMenuHandler handler;
    void* context;
    if (currentHandler(&handler, &context))
        return answerMenu(menu, flags, x, y, owner, handler, context);
    return TrackPopupMenuEx(menu, flags, x, y, owner, exclude);
}

DEVICE_ENV_API BOOL WINAPI DeviceTrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved,
                                                HWND owner, const RECT* rect) {
    DeviceMenuHandler handler;
    void* context;
    if (currentHandler(&handler, &context))
        return answerMenu(menu, flags, x, y, owner, handler, context);
    return TrackPopupMenu(menu, flags, x, y, reserved, owner, rect);
}
