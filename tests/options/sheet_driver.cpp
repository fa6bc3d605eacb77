#include "sheet_driver.h"
#include "host/host_state.h"
#include "options/marker_picker.h"
#include "options/options_sheet.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <todaycmn.h>

#include <map>

namespace options_testing {

namespace {

const int kTabControlId = 0x3020;
const UINT kActionInterval = 10;
const ULONGLONG kSheetDeadline = 20000;

struct Action {
    std::function<bool()> run;
    bool running = false;
};

std::map<UINT_PTR, Action>& actions() {
    static std::map<UINT_PTR, Action> all;
    return all;
}

void CALLBACK onActionTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    auto found = actions().find(timer);
    if (found == actions().end() || found->second.running)
        return;
    found->second.running = true;
    std::function<bool()> run = found->second.run;
    bool done = run();
    found = actions().find(timer);
    if (found == actions().end())
        return;
    found->second.running = false;
    if (done) {
        KillTimer(nullptr, timer);
        actions().erase(found);
    }
}

BOOL CALLBACK matchSheet(HWND window, LPARAM lParam) {
    if (!IsWindowVisible(window) || !GetDlgItem(window, kTabControlId))
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = window;
    return FALSE;
}

BOOL CALLBACK matchStrip(HWND window, LPARAM lParam) {
    WNDPROC procedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    if (procedure != pickerWindowProc)
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = window;
    return FALSE;
}

void pressDone(HWND sheet) {
    HWND done = GetDlgItem(sheet, IDOK);
    ASSERT_NE(nullptr, done) << "the sheet has a done button";
    SendMessageW(done, BM_CLICK, 0, 0);
}

} // namespace

void whenReady(std::function<bool()> action) {
    UINT_PTR timer = SetTimer(nullptr, 0, kActionInterval, onActionTimer);
    ASSERT_NE(0u, timer);
    actions()[timer].run = std::move(action);
}

HWND findSheet() {
    HWND sheet = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), matchSheet, reinterpret_cast<LPARAM>(&sheet));
    return sheet;
}

HWND findColourStrip() {
    HWND strip = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), matchStrip, reinterpret_cast<LPARAM>(&strip));
    return strip;
}

void runOptionsSheet(HWND owner, std::function<void(HWND sheet)> whileOpen) {
    bool acted = false;
    ULONGLONG deadline = GetTickCount64() + kSheetDeadline;
    whenReady([&]() {
        HWND sheet = findSheet();
        if (!sheet) {
            return false;
        }
        if (!acted) {
            acted = true;
            whileOpen(sheet);
            pressDone(sheet);
            return false; // keeps watching until the sheet is really gone
        }
        if (GetTickCount64() > deadline) {
            ADD_FAILURE() << "the sheet did not close when its done button was tapped";
            PropSheet_PressButton(sheet, PSBTN_CANCEL);
        }
        return false;
    });
    INT_PTR result = DialogBoxParamW(gHost.moduleInstance, MAKEINTRESOURCEW(IDD_TODAY_CUSTOM),
                                     owner, CustomItemOptionsDlgProc, 0);
    EXPECT_EQ(0, result) << "the host dialog ends with 0";
    EXPECT_TRUE(acted) << "the sheet showed";
    // The watcher above ends with the sheet; it is removed here.
    for (auto& entry : actions())
        KillTimer(nullptr, entry.first);
    actions().clear();
}

HWND showPage(HWND sheet, int index) {
    PropSheet_SetCurSel(sheet, nullptr, index);
    return PropSheet_GetCurrentPageHwnd(sheet);
}

void tap(HWND window, int x, int y) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void pressKey(HWND control, UINT key) {
    SetFocus(control);
    SendMessageW(control, WM_KEYDOWN, key, 1);
    SendMessageW(control, WM_KEYUP, key, 0xC0000001);
}

Picture printWindow(HWND window) {
    Picture picture;
    RECT client;
    GetClientRect(window, &client);
    picture.width = client.right;
    picture.height = client.bottom;
    if (picture.width <= 0 || picture.height <= 0)
        return picture;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    const DWORD* pixels = static_cast<const DWORD*>(bits);
    for (int i = 0; i < picture.width * picture.height; ++i) {
        DWORD bgr = pixels[i];
        picture.pixels.push_back(RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF));
    }
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return picture;
}

} // namespace options_testing
