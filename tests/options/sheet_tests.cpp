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

// The done button can be tapped and is seen: it is the window at its own centre, and the
// navigation bar under it cannot paint there.
void expectDoneButtonUncovered(HWND sheet, const char* where) {
    HWND done = GetDlgItem(sheet, IDOK);
    RECT rect;
    GetWindowRect(done, &rect);
    POINT centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    EXPECT_EQ(done, WindowFromPoint(centre)) << where << ": a tap at its centre reaches it";
    HWND bar = FindWindowExW(sheet, nullptr, DEVICE_NAVIGATION_BAR_CLASS, nullptr);
    ASSERT_NE(nullptr, bar);
    ScreenToClient(bar, &centre);
    HDC dc = GetDC(bar);
    EXPECT_FALSE(PtVisible(dc, centre.x, centre.y))
        << where << ": the bar beneath does not paint over the done button";
    ReleaseDC(bar, dc);
}

struct ScreenCase {
    DeviceScreenKind kind;
    BOOL landscape;
    const char* name;
};
const ScreenCase kScreens[] = {
    {DeviceScreenQvga, FALSE, "QVGA portrait"},
    {DeviceScreenQvga, TRUE, "QVGA landscape"},
    {DeviceScreenVga, FALSE, "VGA portrait"},
    {DeviceScreenVga, TRUE, "VGA landscape"},
};

bool isClass(HWND window, const wchar_t* name) {
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    return _wcsicmp(className, name) == 0;
}

// Where a static or button draws its text: a check box or radio button keeps the box and half a
// digit beside it for itself, a push-like button its edges.
RECT textRoom(HWND control, HDC dc, LONG_PTR style) {
    RECT room;
    GetClientRect(control, &room);
    if (!isClass(control, L"Button"))
        return room;
    if (style & BS_PUSHLIKE) {
        InflateRect(&room, -2, -2);
        return room;
    }
    INT digit = 0;
    GetCharWidth32W(dc, L'0', L'0', &digit);
    room.left += 13 + digit / 2;
    return room;
}

// The rows of ink of text drawn in font from the top of a box width pixels wide: top and bottom
// (one past the last row); both 0 without ink.
struct InkRows {
    int top = 0;
    int bottom = 0;
};
InkRows inkRowsOf(HFONT font, const wchar_t* text, int width, UINT format) {
    const int kHeight = 200;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previousBitmap = SelectObject(dc, bitmap);
    HGDIOBJ previousFont = SelectObject(dc, font);
    RECT box = {0, 0, width, kHeight};
    FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawTextW(dc, text, -1, &box, format);
    GdiFlush();
    InkRows rows;
    const DWORD* pixels = static_cast<const DWORD*>(bits);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < width; ++x)
            if ((pixels[y * width + x] & 0xFFFFFF) != 0xFFFFFF) {
                if (rows.bottom == 0)
                    rows.top = y;
                rows.bottom = y + 1;
                break;
            }
    SelectObject(dc, previousFont);
    SelectObject(dc, previousBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return rows;
}

// Why a control's text does not fit in it, measured in the control's own font the way the
// control draws it: as wide as the room it has, and its ink (a line box may overhang the
// control where no letter reaches) within the control's height. Empty when it fits or the
// control shows no text.
std::string textOverflow(HWND control) {
    wchar_t text[200] = {};
    GetWindowTextW(control, text, 200);
    LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    bool isStaticText = isClass(control, L"Static") && (style & SS_TYPEMASK) == SS_LEFT;
    if (!text[0] || !(isStaticText || isClass(control, L"Button")))
        return "";
    HDC dc = GetDC(control);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (!font)
        font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    HGDIOBJ previous = SelectObject(dc, font);
    RECT room = textRoom(control, dc, style);
    RECT needed = room;
    UINT format = isStaticText ? DT_WORDBREAK | DT_EXPANDTABS : DT_SINGLELINE;
    DrawTextW(dc, text, -1, &needed, format | DT_CALCRECT);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    int roomWidth = room.right - room.left, roomHeight = room.bottom - room.top;
    // A static writes from its top; a button centres its line.
    int lineTop = isStaticText ? 0 : (roomHeight - (needed.bottom - needed.top)) / 2;
    InkRows ink = inkRowsOf(font, text, roomWidth, format);
    if (needed.right <= room.right && lineTop + ink.top >= 0 && lineTop + ink.bottom <= roomHeight)
        return "";
    return "control " + std::to_string(GetDlgCtrlID(control)) + " needs " +
           std::to_string(needed.right - needed.left) + " pixels of width and ink rows " +
           std::to_string(lineTop + ink.top) + " to " + std::to_string(lineTop + ink.bottom) +
           "; it has " + std::to_string(roomWidth) + " x " + std::to_string(roomHeight);
}

bool inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
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

        RECT doneRect = controlRect(sheet, IDOK);
        expectDoneButtonUncovered(sheet, "headless");
        EXPECT_LE(doneRect.bottom, page.top) << "the done button is in the bar above the page";
        EXPECT_GE(doneRect.right, 200) << "at the right end of the bar";
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(sheet, IDCANCEL))) << "there is no cancel";
    });
    EXPECT_TRUE(IsWindowEnabled(owner_.hwnd())) << "the owner is enabled again";
    EXPECT_EQ(nullptr, findSheet()) << "the done button closed the sheet";
}

// In the emulator's device window the sheet lies over the window's screen, not at the desktop's
// corner, and its done button is seen and tapped there.
TEST_F(OptionsTest, InTheDeviceWindowTheSheetCoversItsScreenWithTheDoneButtonOnTop) {
    HWND device = CreateWindowExW(0, L"STATIC", L"device", WS_POPUP | WS_CAPTION | WS_VISIBLE, 150,
                                  90, 260, 360, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, device);
    DeviceSetScreenWindow(device);
    POINT origin = {0, 0};
    ClientToScreen(device, &origin);
    RECT frame = {};
    runOptionsSheet(device, [&](HWND sheet) {
        GetWindowRect(sheet, &frame);
        expectDoneButtonUncovered(sheet, "device window");
    });
    DeviceSetScreenWindow(nullptr);
    DestroyWindow(device);
    EXPECT_TRUE(sameRect(RECT{origin.x, origin.y, origin.x + 240, origin.y + 320}, frame))
        << "the sheet covers the device's screen at " << origin.x << "," << origin.y
        << ", not the desktop's corner: " << frame.left << "," << frame.top;
}

// On each of the four screens every control of every page lies within the page, the preview
// too, and every text is whole in its control's own font: on a VGA device dialog units follow
// the template's font made at 192 dpi, as the labels' fonts are.
TEST_F(OptionsTest, EveryTextOfEveryPageFitsItsControlOnEveryScreen) {
    programs_.installAgendaFusion(L"\\Program Files\\AF.exe");
    for (const ScreenCase& screen : kScreens) {
        DeviceSetScreen(screen.kind, screen.landscape);
        runOptionsSheet(owner_.hwnd(), [&](HWND sheet) {
            for (int index = 0; index < 3; ++index) {
                HWND page = showPage(sheet, index);
                RECT client;
                GetClientRect(page, &client);
                for (HWND child = GetWindow(page, GW_CHILD); child;
                     child = GetWindow(child, GW_HWNDNEXT)) {
                    RECT control;
                    GetWindowRect(child, &control);
                    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&control), 2);
                    EXPECT_TRUE(inside(control, client))
                        << screen.name << ", page " << index << ": control " << GetDlgCtrlID(child)
                        << " at " << control.left << "," << control.top << "-" << control.right
                        << "," << control.bottom << " leaves the page " << client.right << " x "
                        << client.bottom;
                    std::string overflow = textOverflow(child);
                    EXPECT_EQ("", overflow) << screen.name << ", page " << index;
                }
            }
        });
    }
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

// The title and the labels paint in bold Tahoma of the screen's resolution: as wide again at
// 192 dpi as at 96, and bold at both.
TEST_F(OptionsTest, TheTitleAndLabelsAreBoldAtTheScreensResolution) {
    const int kBoldLabels[] = {IDC_PAGE_TITLE, IDC_DISPLAY_LABEL, IDC_INCLUDE_LABEL};
    int width[2][3] = {};
    for (int vga : {0, 1}) {
        DeviceSetScreen(vga ? DeviceScreenVga : DeviceScreenQvga, FALSE);
        runOptionsSheet(owner_.hwnd(), [&](HWND sheet) {
            HWND page = showPage(sheet, 0);
            for (int index = 0; index < 3; ++index) {
                HWND label = GetDlgItem(page, kBoldLabels[index]);
                HDC dc = GetDC(label);
                HGDIOBJ previous = SelectObject(
                    dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
                TEXTMETRICW metrics = {};
                GetTextMetricsW(dc, &metrics);
                EXPECT_GE(metrics.tmWeight, FW_BOLD) << "control " << kBoldLabels[index];
                wchar_t text[100] = {};
                GetWindowTextW(label, text, 100);
                SIZE size = {};
                GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
                width[vga][index] = size.cx;
                SelectObject(dc, previous);
                ReleaseDC(label, dc);
            }
        });
    }
    for (int index = 0; index < 3; ++index) {
        EXPECT_GE(width[1][index] * 10, width[0][index] * 18)
            << "control " << kBoldLabels[index] << ": " << width[1][index] << " pixels at VGA, "
            << width[0][index] << " at QVGA";
        EXPECT_LE(width[1][index] * 10, width[0][index] * 22) << "control " << kBoldLabels[index];
    }
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
            sameRect(dialogUnits(display, 116, 49, 94, 9), controlRect(display, IDC_MARKERS_LABEL)))
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
