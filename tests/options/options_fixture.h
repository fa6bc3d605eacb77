// Every options test starts from the built-in settings, no settings key, no other calendar
// program, a portrait QVGA screen and the library's own strings.
#pragma once
#include "../item/installed_programs_fixture.h"
#include "sheet_driver.h"
#include "test_support.h"

#include "host/host_state.h"
#include "host/resource_module.h"
#include "settings/options.h"

#include <device.h>
#include <gtest/gtest.h>

extern const Options kDefaultOptions;

const wchar_t kSettingsKey[] = L"Software\\Orvane\\Daybrook";

class OptionsTest : public testing::Test {
protected:
    OptionsTest() : settings_(HKEY_CURRENT_USER, kSettingsKey) {}
    void SetUp() override {
        gOptions = kDefaultOptions;
        DeviceSetScreen(DeviceScreenQvga, FALSE);
        resetResourceModule();
    }
    void TearDown() override {
        DeviceSetScreen(DeviceScreenQvga, FALSE);
        DeviceSetLocale(0x0409, 0x0409);
        resetResourceModule();
        gOptions = kDefaultOptions;
    }
    // Makes a language module of the test modules the resource module, as the device's locale
    // would.
    void useLanguageModule(const wchar_t* abbreviation) {
        std::wstring path = testing_support::programFolder() + L"\\testmodules\\DaybrookUI-" +
                            abbreviation + L".dll";
        gHost.resourceModule = LoadLibraryW(path.c_str());
        ASSERT_NE(nullptr, gHost.resourceModule) << "the test language module loads";
    }
    DWORD storedValueCount() const {
        HKEY key = nullptr;
        DWORD values = 0;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return 0;
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr);
        RegCloseKey(key);
        return values;
    }

    testing_support::ScopedRegistryKey settings_;
    EmulatedPrograms programs_;
    testing_support::TestWindow owner_;
};

// A control's rectangle in its dialog's client coordinates.
inline RECT controlRect(HWND dialog, int id) {
    RECT rect = {};
    HWND control = GetDlgItem(dialog, id);
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// A rectangle of dialog units in pixels of that dialog.
inline RECT dialogUnits(HWND dialog, int x, int y, int cx, int cy) {
    RECT rect = {x, y, x + cx, y + cy};
    MapDialogRect(dialog, &rect);
    return rect;
}

inline bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
