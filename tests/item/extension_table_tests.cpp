#include "extensions/extension_table.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <todaycmn.h>

#include <string>

using namespace testing_support;

namespace {

const wchar_t kExtensionsKey[] = L"Software\\Orvane\\Daybrook\\Extensions";

std::wstring testModule(const wchar_t* name) {
    return joinPath(programFolder() + L"\\testmodules", name);
}

template <typename Proc> Proc moduleExport(const wchar_t* module, const char* name) {
    HMODULE handle = GetModuleHandleW(testModule(module).c_str());
    return handle ? reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(handle, name)))
                  : nullptr;
}

LONG callsOf(const wchar_t* module, const char* counter) {
    auto proc = moduleExport<LONG (*)()>(module, counter);
    return proc ? proc() : -1;
}

struct MenuEntry {
    std::wstring text;
    UINT id;
};

std::vector<MenuEntry> menuEntries(HMENU menu) {
    std::vector<MenuEntry> entries;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, i, text, 128, MF_BYPOSITION);
        entries.push_back(MenuEntry{text, GetMenuItemID(menu, i)});
    }
    return entries;
}

class ExtensionTableTest : public testing::Test {
protected:
    void TearDown() override { unloadAll(); }
    // Three entries, of which only the second offers an options dialog.
    void registerThree() {
        key.setString(L"Alpha", testModule(L"ExtensionPaintOnly.dll"));
        key.setString(L"Beta", testModule(L"ExtensionBoth.dll"));
        key.setString(L"Gamma", testModule(L"ExtensionRefuses.dll"));
        ASSERT_EQ(3, loadExtensionTable());
    }
    ScopedRegistryKey key{HKEY_CURRENT_USER, kExtensionsKey};
};

} // namespace

TEST_F(ExtensionTableTest, AnEmptyTableIsInert) {
    EXPECT_EQ(0, loadExtensionTable()) << "no key, no entries";
    HMENU menu = CreatePopupMenu();
    addMenuEntries(menu, 104);
    EXPECT_EQ(0, GetMenuItemCount(menu));
    DestroyMenu(menu);
    TestWindow window;
    runMenuCommand(window.hwnd(), 104);
    EXPECT_EQ(0, window.received(WM_TODAYCUSTOM_CLEARCACHE));
    RECT rect = {0, 0, 100, 20};
    EXPECT_EQ(0u, paintDayHeading(nullptr, &rect, 0, 0, L"Monday"));
    unloadAll();
    EXPECT_EQ(0, gExtensions.count);
    EXPECT_EQ(nullptr, gExtensions.entries);
}

TEST_F(ExtensionTableTest, OnlyEntriesWithOptionsAddMenuItemsAndIdsKeepTheirIndex) {
    registerThree();
    HMENU menu = CreatePopupMenu();
    addMenuEntries(menu, 104);
    std::vector<MenuEntry> entries = menuEntries(menu);
    DestroyMenu(menu);
    ASSERT_EQ(1u, entries.size()) << "only Beta exports ShowOptionDialog";
    EXPECT_EQ(L"Beta...", entries[0].text);
    EXPECT_EQ(105u, entries[0].id) << "firstId + its index, never compacted";
    EXPECT_EQ(104, gExtensions.firstCommandId);
    EXPECT_EQ(nullptr, gExtensions.entries[2].module) << "the refusing module stays unloaded";
}

TEST_F(ExtensionTableTest, MenuCommandsReachTheExtensionAndClearTheItemsCache) {
    registerThree();
    HMENU menu = CreatePopupMenu();
    addMenuEntries(menu, 104);
    DestroyMenu(menu);
    TestWindow window;
    runMenuCommand(window.hwnd(), 104); // Alpha: no dialog
    runMenuCommand(window.hwnd(), 107); // firstId + count: out of range
    runMenuCommand(window.hwnd(), 103); // below the range
    EXPECT_EQ(0, callsOf(L"ExtensionBoth.dll", "ExtensionShowCalls"));
    EXPECT_EQ(0, window.received(WM_TODAYCUSTOM_CLEARCACHE));

    runMenuCommand(window.hwnd(), 105);
    EXPECT_EQ(1, callsOf(L"ExtensionBoth.dll", "ExtensionShowCalls"));
    EXPECT_EQ(1, window.received(WM_TODAYCUSTOM_CLEARCACHE))
        << "the item rebuilds after the dialog, changed or not";
}

TEST_F(ExtensionTableTest, HeadingsGoToTheFirstModuleThatDrawsThem) {
    registerThree();
    RECT rect = {0, 10, 200, 32};
    ULONGLONG drawn = paintDayHeading(nullptr, &rect, 0x11111111, 0x40E6C000, L"Tuesday");
    EXPECT_EQ(22u, drawn) << "Alpha draws it and gives its height";
    EXPECT_EQ(1, callsOf(L"ExtensionPaintOnly.dll", "ExtensionPaintCalls"));
    EXPECT_EQ(nullptr, GetModuleHandleW(testModule(L"ExtensionBoth.dll").c_str()))
        << "the walk ended before it reached Beta";
    auto lastDateHigh = moduleExport<DWORD (*)()>(L"ExtensionPaintOnly.dll", "ExtensionLastDateHigh");
    ASSERT_NE(nullptr, lastDateHigh);
    EXPECT_EQ(0x40E6C000u, lastDateHigh()) << "the date's high half is passed on";

    EXPECT_EQ(0u, paintDayHeading(nullptr, &rect, 0, 0, L"decline"))
        << "a result whose low half is 0 means not drawn, whatever its high half";
    EXPECT_EQ(1, callsOf(L"ExtensionBoth.dll", "ExtensionPaintCalls")) << "the walk went on";
    EXPECT_EQ(nullptr, gExtensions.entries[2].module) << "tried again, still refusing";
}

TEST_F(ExtensionTableTest, UnreadableEntriesAreLeftOut) {
    key.setString(std::wstring(100, L'n').c_str(), testModule(L"ExtensionBoth.dll"));
    key.setString(L"LongPath", L"C:\\" + std::wstring(300, L'p') + L".dll");
    key.setDword(L"Number", 5);
    key.setString(L"Empty", L"");
    key.setString(L"Fine", testModule(L"ExtensionBoth.dll"));
    key.setString(L"Expanded", L"%DAYBROOK_NO_SUCH_VARIABLE%\\x.dll", REG_EXPAND_SZ);
    ASSERT_EQ(2, loadExtensionTable()) << "a 100-character name, a 300-character path, a number "
                                          "and an empty path do not fit an entry";
    std::wstring names = std::wstring(gExtensions.entries[0].name) + L"," +
                         gExtensions.entries[1].name;
    EXPECT_TRUE(names == L"Fine,Expanded" || names == L"Expanded,Fine") << "kept: " << testing::PrintToString(names);
    EXPECT_EQ(nullptr, ensureLoaded(&gExtensions.entries[names[0] == L'F' ? 1 : 0]))
        << "a path that does not load leaves the entry unloaded";
}

TEST_F(ExtensionTableTest, UnloadAllReleasesEveryModule) {
    registerThree();
    RECT rect = {0, 0, 10, 10};
    paintDayHeading(nullptr, &rect, 0, 0, L"decline"); // loads Alpha and Beta
    ASSERT_NE(nullptr, GetModuleHandleW(testModule(L"ExtensionBoth.dll").c_str()));
    unloadAll();
    EXPECT_EQ(nullptr, GetModuleHandleW(testModule(L"ExtensionBoth.dll").c_str()));
    EXPECT_EQ(nullptr, GetModuleHandleW(testModule(L"ExtensionPaintOnly.dll").c_str()));
    EXPECT_EQ(0, gExtensions.count);
    EXPECT_EQ(3, loadExtensionTable()) << "an emptied table is filled again on the next start";
}
