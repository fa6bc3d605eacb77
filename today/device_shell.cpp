#include "device_shell.h"
#include "options_session.h"

#include <device.h>

#include <cstdio>
#include <cwchar>

namespace {

enum ShellCommand : UINT {
    kTurn = 100,
    kQvga,
    kVga,
    kSettings,
    kReload,
    kExit,
};

struct Shell {
    TodayScreen screen;
    const ShellSettings* settings = nullptr;
};

HMENU makeMenu() {
    HMENU device = CreatePopupMenu();
    AppendMenuW(device, MF_STRING, kTurn, L"&Turn the device\tCtrl+T");
    AppendMenuW(device, MF_STRING, kQvga, L"&QVGA screen (240 x 320)\tCtrl+1");
    AppendMenuW(device, MF_STRING, kVga, L"&VGA screen (480 x 640)\tCtrl+2");
    AppendMenuW(device, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(device, MF_STRING, kSettings, L"Today &settings for the item...\tCtrl+O");
    AppendMenuW(device, MF_STRING, kReload, L"&Reload the items\tF5");
    AppendMenuW(device, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(device, MF_STRING, kExit, L"E&xit");
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(device), L"&Device");
    return bar;
}

HACCEL makeAccelerators() {
    ACCEL keys[] = {
        {FVIRTKEY | FCONTROL, 'T', kTurn}, {FVIRTKEY | FCONTROL, '1', kQvga},
        {FVIRTKEY | FCONTROL, '2', kVga},  {FVIRTKEY | FCONTROL, 'O', kSettings},
        {FVIRTKEY, VK_F5, kReload},
    };
    return CreateAcceleratorTableW(keys, sizeof keys / sizeof keys[0]);
}

void loadItems(Shell* shell) {
    if (shell->settings->item)
        shell->screen.LoadItem(shell->settings->item, L"Daybrook");
    else
        shell->screen.LoadRegisteredItems();
}

void describeScreen(Shell* shell) {
    DeviceScreen screen = DeviceGetScreen();
    WCHAR title[80];
    swprintf(title, 80, L"Today - %ls %ls", screen.smallIconSize > 16 ? L"VGA" : L"QVGA",
             screen.width > screen.height ? L"landscape" : L"portrait");
    SetWindowTextW(shell->screen.window(), title);
}

DeviceScreenKind currentKind() {
    return DeviceGetScreen().smallIconSize > 16 ? DeviceScreenVga : DeviceScreenQvga;
}

bool isLandscape() {
    DeviceScreen screen = DeviceGetScreen();
    return screen.width > screen.height;
}

// The items read the screen's size and resolution when they start, as on a device after a
// soft reset; a new resolution therefore restarts them.
void changeScreen(Shell* shell, DeviceScreenKind kind, bool landscape) {
    bool newResolution = kind != currentKind();
    DeviceSetScreen(kind, landscape);
    if (newResolution)
        loadItems(shell);
    shell->screen.FitToScreen();
    describeScreen(shell);
}

void onCommand(UINT command, void* context) {
    Shell* shell = static_cast<Shell*>(context);
    switch (command) {
    case kTurn: changeScreen(shell, currentKind(), !isLandscape()); break;
    case kQvga: changeScreen(shell, DeviceScreenQvga, isLandscape()); break;
    case kVga: changeScreen(shell, DeviceScreenVga, isLandscape()); break;
    case kSettings: {
        OptionsRequest request;
        request.open = true;
        if (!openItemOptions(shell->screen, request))
            MessageBoxW(shell->screen.window(), L"The item has no settings.", L"Today", MB_OK);
        break;
    }
    case kReload:
        loadItems(shell);
        shell->screen.FitToScreen();
        break;
    case kExit: PostQuitMessage(0); break;
    }
}

void CALLBACK closeShell(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(0);
}

} // namespace

int runDeviceShell(const ShellSettings& settings) {
    Shell shell;
    shell.settings = &settings;
    if (!shell.screen.Create(true, makeMenu())) {
        std::fprintf(stderr, "today: cannot create the device window (error %lu)\n",
                     GetLastError());
        return 1;
    }
    // The device's screen is this window's client area: full-screen dialogs and message boxes
    // go there.
    DeviceSetScreenWindow(shell.screen.window());
    shell.screen.SetCommandHandler(onCommand, &shell);
    loadItems(&shell);
    shell.screen.FitToScreen();
    describeScreen(&shell);
    HWND window = shell.screen.window();
    shell.screen.StartPolling();
    if (settings.closeAfterMilliseconds)
        SetTimer(nullptr, 0, settings.closeAfterMilliseconds, closeShell);
    HACCEL accelerators = makeAccelerators();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorW(window, accelerators, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DestroyAcceleratorTable(accelerators);
    DeviceSetScreenWindow(nullptr);
    shell.screen.Destroy();
    return 0;
}
