#include "extensions/extension_table.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <todaycmn.h>

#include <string>
#include <thread>
#include <vector>

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
    // One extension as an installer names it: a subkey with "Name" and "Path".
    void addExtension(const wchar_t* subkey, const wchar_t* name, const std::wstring& path) {
        key.setSubkeyString(subkey, L"Name", name);
        key.setSubkeyString(subkey, L"Path", path);
    }
    // Three entries, of which only the second offers an options dialog.
    void registerThree() {
        addExtension(L"1", L"Alpha", testModule(L"ExtensionPaintOnly.dll"));
        addExtension(L"2", L"Beta", testModule(L"ExtensionBoth.dll"));
        addExtension(L"3", L"Gamma", testModule(L"ExtensionRefuses.dll"));
        ASSERT_EQ(3, loadExtensionTable());
    }
    std::vector<std::wstring> entryNames() const {
        std::vector<std::wstring> names;
        for (int i = 0; i < gExtensions.count; ++i)
            names.push_back(gExtensions.entries[i].name);
        return names;
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
    auto lastDateHigh =
        moduleExport<DWORD (*)()>(L"ExtensionPaintOnly.dll", "ExtensionLastDateHigh");
    ASSERT_NE(nullptr, lastDateHigh);
    EXPECT_EQ(0x40E6C000u, lastDateHigh()) << "the date's high half is passed on";

    EXPECT_EQ(0u, paintDayHeading(nullptr, &rect, 0, 0, L"decline"))
        << "a result whose low half is 0 means not drawn, whatever its high half";
    EXPECT_EQ(1, callsOf(L"ExtensionBoth.dll", "ExtensionPaintCalls")) << "the walk went on";
    EXPECT_EQ(nullptr, gExtensions.entries[2].module) << "tried again, still refusing";
}

TEST_F(ExtensionTableTest, EntriesFollowTheSubkeysOrderAndPlainValuesAreNotEntries) {
    // Created out of order: the registry lists subkeys by name, which is how installers order
    // their extensions.
    addExtension(L"20 Weather", L"Weather", testModule(L"ExtensionBoth.dll"));
    addExtension(L"10 Moon", L"Moon", testModule(L"ExtensionPaintOnly.dll"));
    addExtension(L"30 Tides", L"Tides", testModule(L"ExtensionBoth.dll"));
    key.setString(L"Old", testModule(L"ExtensionBoth.dll"));
    ASSERT_EQ(3, loadExtensionTable()) << "one entry per subkey; a string value is no extension";
    EXPECT_EQ((std::vector<std::wstring>{L"Moon", L"Weather", L"Tides"}), entryNames());
    EXPECT_EQ(testModule(L"ExtensionPaintOnly.dll"), gExtensions.entries[0].path);

    HMENU menu = CreatePopupMenu();
    addMenuEntries(menu, 104);
    std::vector<MenuEntry> entries = menuEntries(menu);
    DestroyMenu(menu);
    ASSERT_EQ(2u, entries.size()) << "Weather and Tides offer dialogs";
    EXPECT_EQ(L"Weather...", entries[0].text);
    EXPECT_EQ(105u, entries[0].id) << "the command id follows the subkeys' order";
    EXPECT_EQ(106u, entries[1].id);
}

TEST_F(ExtensionTableTest, NamesAndPathsThatDoNotFitTheRecordAreLeftOut) {
    std::wstring longest = std::wstring(99, L'n');
    std::wstring deepest = L"C:\\" + std::wstring(252, L'p') + L".dll"; // 259 characters
    addExtension(L"a", longest.c_str(), testModule(L"ExtensionBoth.dll"));
    addExtension(L"b", (longest + L"n").c_str(), testModule(L"ExtensionBoth.dll"));
    addExtension(L"c", L"Deepest", deepest);
    addExtension(L"d", L"Too deep", deepest + L"x");
    ASSERT_EQ(2, loadExtensionTable())
        << "99 characters of name and 259 of path fit with their terminators; one more does not";
    EXPECT_EQ(longest, gExtensions.entries[0].name);
    EXPECT_EQ(deepest, gExtensions.entries[1].path);

    HMENU menu = CreatePopupMenu();
    addMenuEntries(menu, 104);
    std::vector<MenuEntry> entries = menuEntries(menu);
    DestroyMenu(menu);
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(104u, entries[0].id);
    EXPECT_EQ(longest + L"...", entries[0].text) << "the longest name is shown whole";
}

TEST_F(ExtensionTableTest, MissingOrUnusableValues) {
    const std::wstring modules = programFolder() + L"\\testmodules";
    ScopedEnvironmentVariable variable(L"DAYBROOK_TEST_MODULES", modules.c_str());
    key.setSubkeyString(L"a No name", L"Path", testModule(L"ExtensionBoth.dll"));
    key.setSubkeyString(L"b Empty name", L"Name", L"");
    key.setSubkeyString(L"b Empty name", L"Path", testModule(L"ExtensionBoth.dll"));
    key.setSubkeyString(L"c No path", L"Name", L"No path");
    addExtension(L"d Empty path", L"Empty path", L"");
    key.setSubkeyString(L"e Number path", L"Name", L"Number path");
    key.setSubkeyDword(L"e Number path", L"Path", 5);
    key.setSubkeyDword(L"f Number name", L"Name", 5);
    key.setSubkeyString(L"f Number name", L"Path", testModule(L"ExtensionBoth.dll"));
    key.setSubkeyString(L"g Expanded", L"Name", L"Expanded");
    key.setSubkeyString(L"g Expanded", L"Path", L"%DAYBROOK_TEST_MODULES%\\ExtensionBoth.dll",
                        REG_EXPAND_SZ);
    key.setSubkeyString(L"h Unknown variable", L"Name", L"Unknown variable");
    key.setSubkeyString(L"h Unknown variable", L"Path", L"%DAYBROOK_NO_SUCH_VARIABLE%\\x.dll",
                        REG_EXPAND_SZ);
    std::wstring longSubkey(100, L's');
    key.setSubkeyString(longSubkey.c_str(), L"Path", testModule(L"ExtensionBoth.dll"));

    ASSERT_EQ(4, loadExtensionTable());
    EXPECT_EQ((std::vector<std::wstring>{L"a No name", L"b Empty name", L"Expanded",
                                         L"Unknown variable"}),
              entryNames())
        << "without a name the subkey's name is shown; without a usable path there is no entry";
    EXPECT_EQ(testModule(L"ExtensionBoth.dll"), gExtensions.entries[2].path)
        << "an expandable path is expanded";
    EXPECT_NE(nullptr, ensureLoaded(&gExtensions.entries[2]));
    EXPECT_EQ(nullptr, ensureLoaded(&gExtensions.entries[3]))
        << "a path that does not load leaves the entry unloaded";
    EXPECT_EQ(nullptr, gExtensions.entries[3].module);
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

TEST_F(ExtensionTableTest, HeadingsPaintedOnSeveralThreadsAtOnceLoadTheModuleOnce) {
    // The loader measures headings while the window paints them: first uses can meet.
    addExtension(L"1", L"Alpha", testModule(L"ExtensionPaintOnly.dll"));
    const int kThreads = 8;
    for (int round = 0; round < 5; ++round) {
        ASSERT_EQ(1, loadExtensionTable());
        HANDLE start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::vector<ULONGLONG> drawn(kThreads);
        std::vector<std::thread> threads;
        for (int i = 0; i < kThreads; ++i)
            threads.emplace_back([&, i] {
                WaitForSingleObject(start, INFINITE);
                RECT rect = {0, 0, 100, 20};
                drawn[i] = paintDayHeading(nullptr, &rect, 0, 0, L"Tuesday");
            });
        SetEvent(start);
        for (std::thread& thread : threads)
            thread.join();
        CloseHandle(start);
        for (ULONGLONG height : drawn)
            EXPECT_EQ(20u, height) << "every thread's heading is drawn by the module";
        unloadAll();
        EXPECT_EQ(nullptr, GetModuleHandleW(testModule(L"ExtensionPaintOnly.dll").c_str()))
            << "one release unloads it: it was loaded once, round " << round;
    }
}
