// The sheet as a whole: its pages, the Pocket PC frame the device gives it, saving on close,
// opening from the item's menu, localisation, and turning the device while a page shows.
#include "options_fixture.h"

#include "options/options_sheet.h"
#include "resources/options_ids.h"

#include <commctrl.h>
#include <todaycmn.h>

#include <string>
#include <utility>
#include <vector>

using namespace options_testing;

const Options kDefaultOptions = gOptions;

namespace {

int tabCount(HWND sheet) {
    return static_cast<int>(SendMessageW(PropSheet_GetTabControl(sheet), TCM_GETITEMCOUNT, 0, 0));
}

std::wstring windowText(HWND window) {
    wchar_t text[200] = {};
    GetWindowTextW(window, text, 200);
    return text;
}

std::vector<std::wstring> tabTexts(HWND sheet) {
    std::vector<std::wstring> texts;
    HWND tabs = PropSheet_GetTabControl(sheet);
    for (int index = 0; index < tabCount(sheet); ++index) {
        wchar_t text[80] = {};
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 80;
        SendMessageW(tabs, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
        texts.push_back(text);
    }
    return texts;
}

// The entries of a combo box in their order, each with its item data.
std::vector<std::pair<std::wstring, LRESULT>> comboEntries(HWND page, int id) {
    std::vector<std::pair<std::wstring, LRESULT>> entries;
    LRESULT count = SendDlgItemMessageW(page, id, CB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        wchar_t text[80] = {};
        SendDlgItemMessageW(page, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
        entries.emplace_back(text, SendDlgItemMessageW(page, id, CB_GETITEMDATA, index, 0));
    }
    return entries;
}

} // namespace

TEST_F(OptionsTest, WithoutOtherProgramsTheSheetHasDisplayAndLayoutOnly) {
    int tabs = 0;
    runOptionsSheet(owner_.hwnd(), [&](HWND sheet) { tabs = tabCount(sheet); });
    EXPECT_EQ(2, tabs) << "no Programs page when neither program is installed";

    programs_.installAgendaFusion(L"\\Program Files\\Agenda Fusion\\AF.exe");
    runOptionsSheet(owner_.hwnd(), [&](HWND sheet) { tabs = tabCount(sheet); });
    EXPECT_EQ(3, tabs) << "Agenda Fusion alone brings the Programs page";

    programs_.removeAll();
    programs_.installPocketInformantProgram();
    programs_.installPocketInformantLibrary(L"PITools.dll");
    runOptionsSheet(owner_.hwnd(), [&](HWND sheet) { tabs = tabCount(sheet); });
    EXPECT_EQ(3, tabs) << "Pocket Informant alone brings the Programs page";
}

TEST_F(OptionsTest, TheSheetIsFullScreenWithTabsBelowAndADoneButtonAbove) {
    runOptionsSheet(owner_.hwnd(), [&](HWND sheet) {
        EXPECT_FALSE(IsWindowEnabled(owner_.hwnd())) << "the owner is disabled while it runs";
        RECT frame;
        GetWindowRect(sheet, &frame);
        EXPECT_TRUE(sameRect(RECT{0, 0, 240, 320}, frame))
            << "the sheet covers the QVGA screen: " << frame.left << "," << frame.top << " "
            << frame.right << "x" << frame.bottom;
        EXPECT_FALSE(GetWindowLongPtrW(sheet, GWL_STYLE) & WS_CAPTION) << "no desktop caption";

        HWND tabs = PropSheet_GetTabControl(sheet);
        EXPECT_TRUE(GetWindowLongPtrW(tabs, GWL_STYLE) & TCS_BOTTOM);
        RECT firstTab;
        TabCtrl_GetItemRect(tabs, 0, &firstTab);
        MapWindowPoints(tabs, sheet, reinterpret_cast<POINT*>(&firstTab), 2);
        RECT page;
        GetWindowRect(PropSheet_GetCurrentPageHwnd(sheet), &page);
        MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&page), 2);
        EXPECT_LE(page.bottom, firstTab.top) << "the page lies above the tabs";
        EXPECT_GE(firstTab.bottom, 300) << "the tabs sit at the bottom of the screen";

        HWND done = GetDlgItem(sheet, IDOK);
        RECT doneRect = controlRect(sheet, IDOK);
        EXPECT_TRUE(IsWindowVisible(done));
        EXPECT_LE(doneRect.bottom, page.top) << "the done button is in the bar above the page";
        EXPECT_GE(doneRect.right, 200) << "at the right end of the bar";
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(sheet, IDCANCEL))) << "there is no cancel";
    });
    EXPECT_TRUE(IsWindowEnabled(owner_.hwnd())) << "the owner is enabled again";
    EXPECT_EQ(nullptr, findSheet()) << "the done button closed the sheet";
}

// The portrait templates fill the QVGA screen's width in the device's dialog font (Tahoma); in a
// wider font their right-hand controls would run off the screen.
TEST_F(OptionsTest, EveryControlOfEveryPortraitPageIsOnTheScreen) {
    programs_.installAgendaFusion(L"\\Program Files\\AF.exe");
    runOptionsSheet(owner_.hwnd(), [&](HWND sheet) {
        RECT screen;
        GetWindowRect(sheet, &screen);
        for (int index = 0; index < 3; ++index) {
            HWND page = showPage(sheet, index);
            for (HWND child = GetWindow(page, GW_CHILD); child;
                 child = GetWindow(child, GW_HWNDNEXT)) {
                RECT control;
                GetWindowRect(child, &control);
                EXPECT_LE(control.right, screen.right)
                    << "control " << GetDlgCtrlID(child) << " of page " << index << " ends at "
                    << control.right;
            }
        }
    });
}

TEST_F(OptionsTest, ClosingTheSheetSavesAllFifteenValuesWithTheChangesMade) {
    settings_.setDword(L"UpcomingCount", 7);
    runOptionsSheet(owner_.hwnd(), [&](HWND sheet) {
        HWND display = showPage(sheet, 0);
        SendDlgItemMessageW(display, IDC_ALL_DAY, BM_CLICK, 0, 0);
        EXPECT_EQ(FALSE, gOptions.AllDay) << "the check box writes Options at once";
    });
    EXPECT_EQ(15u, storedValueCount());
    DWORD value = 0;
    EXPECT_TRUE(settings_.readDword(L"AllDay", &value));
    EXPECT_EQ(0u, value) << "the unchecked box was saved";
    EXPECT_TRUE(settings_.readDword(L"UpcomingCount", &value));
    EXPECT_EQ(7u, value) << "the sheet started from the stored settings";
    EXPECT_TRUE(settings_.readDword(L"AppointmentFontSize", &value));
    EXPECT_EQ(85u, value) << "sizes are stored in tenths of a point";
    EXPECT_TRUE(settings_.readDword(L"TentativeColor", &value));
    EXPECT_EQ(0x00FFFF3Cu, value);
}

TEST_F(OptionsTest, OpeningFromTheItemsMenuMakesTheItemRebuildItsList) {
    whenReady([]() {
        HWND sheet = findSheet();
        if (sheet)
            SendMessageW(GetDlgItem(sheet, IDOK), BM_CLICK, 0, 0);
        return sheet != nullptr;
    });
    openOptionsDialog(owner_.hwnd());
    EXPECT_EQ(1, owner_.received(WM_TODAYCUSTOM_CLEARCACHE))
        << "the item is told to rebuild once the sheet has closed";
    EXPECT_EQ(15u, storedValueCount()) << "and the settings were saved before that";
}

TEST_F(OptionsTest, EveryPageHasTheTitleRuleAndVersionText) {
    runOptionsSheet(owner_.hwnd(), [&](HWND sheet) {
        for (int index = 0; index < 2; ++index) {
            HWND page = showPage(sheet, index);
            Picture picture = printWindow(page);
            RECT title = controlRect(page, IDC_PAGE_TITLE);
            int ruleY = title.bottom + 1;
            ASSERT_LT(ruleY, picture.height);
            for (int x : {0, picture.width / 2, picture.width - 1})
                EXPECT_EQ(RGB(0, 0, 0), picture.at(x, ruleY))
                    << "page " << index << ": a black rule one pixel under the title at x " << x;
            COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
            int versionPixels = 0, edgePixels = 0;
            for (int y = picture.height - 14; y < picture.height; ++y)
                for (int x = picture.width - 70; x < picture.width; ++x)
                    if (picture.at(x, y) == shadow)
                        ++(x >= picture.width - 2 ? edgePixels : versionPixels);
            EXPECT_GT(versionPixels, 20) << "page " << index << ": version text at bottom right";
            EXPECT_EQ(0, edgePixels) << "page " << index << ": 2 pixels kept free at the right";
        }
    });
}

TEST_F(OptionsTest, TheTitleIsDrawnInTheHighlightColourOnTheStaticBackground) {
    runOptionsSheet(owner_.hwnd(), [&](HWND sheet) {
        HWND page = showPage(sheet, 0);
        HDC dc = CreateCompatibleDC(nullptr);
        LRESULT brush = SendMessageW(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_PAGE_TITLE)));
        EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), GetTextColor(dc));
        EXPECT_EQ(reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_STATIC)), brush);
        EXPECT_NE(0, brush) << "the device has a brush for COLOR_STATIC";
        EXPECT_EQ(GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_STATIC))
            << "static controls sit on the window colour, as on a Pocket PC";
        DeleteDC(dc);
    });
}

TEST_F(OptionsTest, ALanguageModuleTranslatesControlsByTheirIdsOnEveryPage) {
    programs_.installAgendaFusion(L"\\Program Files\\AF.exe");
    useLanguageModule(L"FRA");
    std::wstring caption;
    runOptionsSheet(owner_.hwnd(), [&](HWND sheet) {
        caption = windowText(sheet);
        for (int index = 0; index < 3; ++index)
            EXPECT_EQ(L"Aujourd'hui : options de Daybrook",
                      windowText(GetDlgItem(showPage(sheet, index), IDC_PAGE_TITLE)))
                << "string 1013 replaces the title of page " << index;
        HWND display = showPage(sheet, 0);
        EXPECT_EQ(L"Evenements sur la journee", windowText(GetDlgItem(display, IDC_ALL_DAY)));
        EXPECT_EQ(L"Include", windowText(GetDlgItem(display, IDC_INCLUDE_LABEL)))
            << "a control without a string keeps the template's text";
    });
    EXPECT_EQ(L"Parametres", caption) << "the caption is string 21 of the language module";
}

// The project's own language modules lie beside the programs: the device's locale chooses one.
TEST_F(OptionsTest, AGermanDeviceShowsTheSheetInGerman) {
    programs_.installAgendaFusion(L"\\Program Files\\AF.exe");
    DeviceSetLocale(0x0407, 0x0407);
    std::wstring caption;
    std::vector<std::wstring> tabs;
    std::vector<std::pair<std::wstring, LRESULT>> units;
    runOptionsSheet(owner_.hwnd(), [&](HWND sheet) {
        caption = windowText(sheet);
        tabs = tabTexts(sheet);
        HWND display = showPage(sheet, 0);
        EXPECT_EQ(L"Heute : Daybrook-Optionen", windowText(GetDlgItem(display, IDC_PAGE_TITLE)));
        EXPECT_EQ(L"Ganztägige Ereignisse", windowText(GetDlgItem(display, IDC_ALL_DAY)));
        EXPECT_EQ(L"Mit Vorbehalt", windowText(GetDlgItem(display, IDC_TENTATIVE_LABEL)));
        units = comboEntries(display, IDC_UPCOMING_TYPE);
        HWND layout = showPage(sheet, 1);
        EXPECT_EQ(L"F", windowText(GetDlgItem(layout, IDC_DATE_BOLD))) << "bold is \"fett\"";
        EXPECT_EQ(L"Zeilenumbruch", windowText(GetDlgItem(layout, IDC_WORD_WRAP)));
        HWND programs = showPage(sheet, 2);
        EXPECT_EQ(L"Standardkalender", windowText(GetDlgItem(programs, IDC_DEFAULT_CALENDAR)));
    });
    EXPECT_EQ(L"Einstellungen", caption);
    EXPECT_EQ((std::vector<std::wstring>{L"Anzeige", L"Layout", L"Programme"}), tabs);
    std::vector<std::pair<std::wstring, LRESULT>> expectedUnits = {
        {L"Stunden", UpcomingHours},        {L"Tage", UpcomingDays},
        {L"Termine", UpcomingAppointments}, {L"Termine und heute", UpcomingAppointmentsAndToday},
        {L"Zeilen", UpcomingLines},
    };
    EXPECT_EQ(expectedUnits, units) << "German units, sorted, each with its own value";
}

TEST_F(OptionsTest, TurningTheDeviceMovesEveryControlAndKeepsTheSelections) {
    gOptions.UpcomingCount = 7;
    settings_.setDword(L"UpcomingCount", 7);
    settings_.setDword(L"UpcomingType", UpcomingHours);
    runOptionsSheet(owner_.hwnd(), [&](HWND sheet) {
        HWND display = showPage(sheet, 0);
        HWND count = GetDlgItem(display, IDC_UPCOMING_COUNT);
        HWND unit = GetDlgItem(display, IDC_UPCOMING_TYPE);
        LRESULT unitBefore = SendMessageW(unit, CB_GETCURSEL, 0, 0);
        EXPECT_TRUE(
            sameRect(dialogUnits(display, 4, 93, 151, 9), controlRect(display, IDC_MARKERS_LABEL)))
            << "portrait: the markers sit below the check boxes";

        DeviceTurnScreen(TRUE);
        RECT frame;
        GetWindowRect(sheet, &frame);
        EXPECT_TRUE(sameRect(RECT{0, 0, 320, 240}, frame)) << "the sheet takes the turned screen";
        EXPECT_TRUE(
            sameRect(dialogUnits(display, 128, 49, 82, 8), controlRect(display, IDC_MARKERS_LABEL)))
            << "landscape: the markers form a second column";
        EXPECT_TRUE(sameRect(dialogUnits(display, 133, 82, 10, 8),
                             controlRect(display, IDC_CONFLICT_SWATCH)));
        EXPECT_EQ(6, SendMessageW(count, CB_GETCURSEL, 0, 0)) << "the count stays 7";
        EXPECT_EQ(unitBefore, SendMessageW(unit, CB_GETCURSEL, 0, 0)) << "the unit stays";

        HWND layout = showPage(sheet, 1);
        EXPECT_TRUE(sameRect(dialogUnits(layout, 4, 18, 207, 36), controlRect(layout, IDC_PREVIEW)))
            << "a page first shown in landscape gets the landscape places too";

        DeviceTurnScreen(FALSE);
        EXPECT_TRUE(sameRect(dialogUnits(layout, 4, 17, 152, 45), controlRect(layout, IDC_PREVIEW)))
            << "and turning back restores the portrait places";
    });
}
