// The tap-and-hold menus: what they offer, in which order and under which identifiers, and what
// each command does; refresh queries wait while a menu is open.
#include "device_answers.h"
#include "extensions/extension_table.h"
#include "interact/context_menu.h"
#include "stand_ins.h"
#include "store_calendar.h"

#include <day_leaf_ids.h>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

class ContextMenuTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, item.window());
        dentist = item.appointment(L"Dentist");
        ASSERT_NE(nullptr, dentist);
    }

    StandInLog log;
    DevicePrograms programs;
    DeviceCalendarFile calendar;
    ItemOnDevice item;
    AppointmentItem* dentist = nullptr;
};

const wchar_t kAppointmentEntries[] =
    L"101 Delete Appointment | 102 Beam Appointment... | - | 103 Options...";

} // namespace

TEST_F(ContextMenuTest, AnAppointmentWithoutAddInsOffersDeleteBeamAndOptions) {
    MenuAnswer menu;
    POINT point = item.pointOn(dentist);
    item.tapAndHold(point);
    ASSERT_EQ(1, menu.menusShown());
    EXPECT_EQ(kAppointmentEntries, menu.describe()) << "no AddIns key: no first separator";
    EXPECT_EQ(item.window(), menu.owner());
    ClientToScreen(item.window(), &point);
    EXPECT_EQ(point.x, menu.point().x) << "the menu opens at the stylus";
    EXPECT_EQ(point.y, menu.point().y);
    EXPECT_TRUE(menu.flags() & TPM_RETURNCMD);
}

TEST_F(ContextMenuTest, AddInsKeepTheirPlaceAndTheChosenOneRuns) {
    programs.addAddIn(L"A", programs.installModule(L"AddInAlpha.dll").c_str(), L"Alpha tool");
    programs.addAddIn(L"B", programs.installModule(L"AddInWithoutCommand.dll").c_str(), nullptr);
    programs.addAddIn(L"C", programs.installModule(L"AddInGamma.dll").c_str(), L"Gamma tool");
    MenuAnswer menu(1002);
    item.tapAndHold(item.pointOn(dentist));
    EXPECT_EQ(std::wstring(L"1000 Alpha tool | 1002 Gamma tool | - | ") + kAppointmentEntries,
              menu.describe())
        << "the second subkey lacks its text: 1001 stays unused";
    auto lines = log.lines();
    ASSERT_EQ(1u, lines.size());
    char expected[160];
    snprintf(expected, sizeof expected,
             "CePimCommand module=AddInGamma.dll owner=%p type=1 count=1 oid=%d reserved=%p",
             static_cast<void*>(item.window()), dentist->oid, static_cast<void*>(nullptr));
    EXPECT_EQ(expected, lines[0]) << "1002 runs the third subkey's library";
}

TEST_F(ContextMenuTest, RegistrationsThatDoNotFitTheirBuffersAreLeftOut) {
    std::wstring alpha = programs.installModule(L"AddInAlpha.dll");
    programs.addAddIn(L"1", alpha.c_str(), std::wstring(39, L'm').c_str());
    programs.addAddIn(L"2", alpha.c_str(), std::wstring(40, L'n').c_str());
    // 129 units and the terminator fill the library name's 260 bytes; one more does not fit.
    programs.addAddIn(L"3", (L"\\Windows\\" + std::wstring(116, L'x') + L".dll").c_str(), L"fits");
    programs.addAddIn(L"4", (L"\\Windows\\" + std::wstring(117, L'x') + L".dll").c_str(), L"long");
    // A text stored without its terminator that fills the buffer has no room for one.
    std::wstring unterminated(40, L'u');
    programs.addAddIn(L"5", alpha.c_str(), nullptr);
    programs.addAddInValue(L"5", L"Menu", REG_SZ, unterminated.data(), 80);
    DWORD number = 7;
    programs.addAddIn(L"6", alpha.c_str(), nullptr);
    programs.addAddInValue(L"6", L"Menu", REG_DWORD, &number, sizeof number);
    std::wstring shortUnterminated(5, L's');
    programs.addAddIn(L"7", alpha.c_str(), nullptr);
    programs.addAddInValue(L"7", L"Menu", REG_SZ, shortUnterminated.data(), 10);
    MenuAnswer menu;
    item.tapAndHold(item.pointOn(dentist));
    EXPECT_EQ(L"1000 " + std::wstring(39, L'm') + L" | 1002 fits | 1006 sssss | - | " +
                  kAppointmentEntries,
              menu.describe());
}

TEST_F(ContextMenuTest, AnAddInThatCannotRunIsReported) {
    programs.addAddIn(L"A", programs.installModule(L"AddInWithoutCommand.dll").c_str(), L"Empty");
    programs.addAddIn(L"B", L"\\Windows\\NoSuchAddIn.dll", L"Missing");
    MenuAnswer menu(1000);
    MessageBoxAnswer boxes(IDOK);
    item.tapAndHold(item.pointOn(dentist));
    menu.choose(1001);
    item.tapAndHold(item.pointOn(dentist));
    ASSERT_EQ(2u, boxes.boxes().size());
    for (const MessageBoxRecord& box : boxes.boxes()) {
        EXPECT_EQ(L"Cannot run menu add in.", box.text);
        EXPECT_EQ(L"Daybrook", box.caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), box.type);
        EXPECT_EQ(item.window(), box.owner);
    }
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(ContextMenuTest, AHeadingOrAnEmptySpotOffersOptionsAndTheExtensions) {
    MenuAnswer menu;
    item.tapAndHold(item.pointOnItem(item.headingIndex(1)));
    EXPECT_EQ(L"103 Options...", menu.describe());
    item.tapAndHold(POINT{100, item.list()->totalHeight + 5});
    EXPECT_EQ(L"103 Options...", menu.describe());

    gHost.dataDirty = false;
    menu.choose(kOptionsCommand);
    OptionsSheetWatcher sheet;
    item.tapAndHold(POINT{10, 10}); // on the icon strip: no appointment
    EXPECT_EQ(1, sheet.sheetsSeen()) << "Options... opened the options sheet";
    EXPECT_TRUE(gHost.dataDirty) << "after the options the list is rebuilt";
    EXPECT_TRUE(item.waitForNextList());
}

TEST_F(ContextMenuTest, ExtensionEntriesFollowOptionsAndRunTheirDialog) {
    ScopedRegistryKey extensions(HKEY_CURRENT_USER, L"Software\\Orvane\\Daybrook\\Extensions");
    extensions.setSubkeyString(L"Weather", L"Name", L"Weather");
    extensions.setSubkeyString(L"Weather", L"Path", testModule(L"ExtensionBoth.dll"));
    unloadAll();
    ASSERT_EQ(1, loadExtensionTable());
    MenuAnswer menu(kFirstExtensionCommand);
    gHost.dataDirty = false;
    item.tapAndHold(item.pointOn(dentist));
    EXPECT_EQ(std::wstring(kAppointmentEntries) + L" | 104 Weather...", menu.describe());
    pumpMessages(5);
    EXPECT_TRUE(gHost.dataDirty) << "the extension's dialog ran and the list will be rebuilt";
    unloadAll();
}

TEST_F(ContextMenuTest, TheSampleExtensionsOptionsDialogRunsFromTheMenu) {
    ScopedRegistryKey extensions(HKEY_CURRENT_USER, L"Software\\Orvane\\Daybrook\\Extensions");
    ScopedRegistryKey style(HKEY_CURRENT_USER, L"Software\\Orvane\\DayLeaf");
    extensions.setSubkeyString(L"DayLeaf", L"Name", L"Day headings");
    extensions.setSubkeyString(L"DayLeaf", L"Path", joinPath(programFolder(), L"DayLeaf.dll"));
    unloadAll();
    ASSERT_EQ(1, loadExtensionTable());
    HWND owner = nullptr;
    int width = 0;
    bool leafChecked = false;
    // The user picks the band and taps the done button.
    DialogWatcher dialog(L"Day headings", [&](HWND window) {
        owner = GetWindow(window, GW_OWNER);
        RECT rect;
        GetWindowRect(window, &rect);
        width = rect.right - rect.left;
        leafChecked = IsDlgButtonChecked(window, IDC_STYLE_LEAF) == BST_CHECKED;
        SendDlgItemMessageW(window, IDC_STYLE_BAND, BM_CLICK, 0, 0);
        PostMessageW(GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
    });
    MenuAnswer menu(kFirstExtensionCommand);
    gHost.dataDirty = false;
    item.tapAndHold(item.pointOnItem(item.headingIndex(1)));
    EXPECT_EQ(L"103 Options... | 104 Day headings...", menu.describe());
    ASSERT_EQ(1, dialog.dialogsSeen()) << "the menu command reached the extension";
    EXPECT_EQ(GetAncestor(item.window(), GA_ROOT), owner)
        << "owned by the item's window, which hands ownership to its top-level parent";
    EXPECT_EQ(240, width) << "a full-screen dialog, as the device makes it";
    EXPECT_TRUE(leafChecked) << "the leaf until the user chooses otherwise";
    DWORD chosen = 0;
    EXPECT_TRUE(style.readDword(L"Style", &chosen));
    EXPECT_EQ(1u, chosen) << "the done button kept the band";
    pumpMessages(5);
    EXPECT_TRUE(gHost.dataDirty) << "the item rebuilds its list with the new headings";
    unloadAll();
}

TEST_F(ContextMenuTest, RefreshQueriesWaitWhileTheMenuIsOpen) {
    AgendaList* shown = item.list();
    BOOL answered = -1;
    LONG depth = -1;
    MenuAnswer menu;
    menu.whileOpen([&] {
        depth = gHost.menuDepth;
        gHost.dataDirty = true;
        answered = item.refresh();
    });
    item.tapAndHold(item.pointOn(dentist));
    EXPECT_EQ(1, depth);
    EXPECT_EQ(FALSE, answered);
    EXPECT_TRUE(gHost.dataDirty) << "the query during the menu changed nothing";
    EXPECT_EQ(shown, item.list());
    EXPECT_EQ(0, gHost.menuDepth) << "a dismissed menu ends the interaction";

    item.tapAndHold(item.pointOnItem(item.headingIndex(0)));
    EXPECT_EQ(1, depth) << "the general menu counts too";
    EXPECT_EQ(FALSE, answered);
    EXPECT_EQ(0, gHost.menuDepth);
    EXPECT_TRUE(item.waitForNextList()) << "afterwards the kept notice brings a new list";
}
