// Input nobody should send, answered with the silent fallback and nothing lost: registry values
// of every wrong type and size under every settings name, absurd values the settings accept,
// enormous, blank and right-to-left-mark texts, a language module whose strings overflow every
// buffer, extension and add-in entries that do not fit, and damaged dialog templates.
#include "listed_items.h"
#include "../interact/device_answers.h"
#include "../interact/stand_ins.h"
#include "../interact/store_calendar.h"

#include "agenda/agenda_builder.h"
#include "agenda/agenda_items.h"
#include "agenda/agenda_list.h"
#include "extensions/extension_table.h"
#include "host/host_state.h"
#include "host/item_window.h"
#include "host/resource_module.h"
#include "interact/appointment_actions.h"
#include "interact/context_menu.h"
#include "interact/menu_addins.h"
#include "options/option_pages.h"
#include "options/options_sheet.h"
#include "render/drawing_caches.h"
#include "render/fonts.h"
#include "render/markers.h"
#include "render/text_drawing.h"
#include "resources/options_ids.h"
#include "settings/options.h"

#include <commctrl.h>
#include <device.h>
#include <gtest/gtest.h>
#include <prsht.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

const wchar_t kSettingsKey[] = L"Software\\Orvane\\Daybrook";
const wchar_t kExtensionsKey[] = L"Software\\Orvane\\Daybrook\\Extensions";

const wchar_t* const kSettingNames[] = {
    L"Painter",        L"UpcomingCount",       L"UpcomingType",  L"AllDay",
    L"WordWrap",       L"ShowCompleted",       L"ShowEmptyDays", L"AppointmentFontBold",
    L"DateFontBold",   L"AppointmentFontSize", L"DateFontSize",  L"FreeColor",
    L"TentativeColor", L"ConflictColor",       L"ActivePIM"};

struct WrongValue {
    const char* what;
    DWORD type;
    std::vector<BYTE> data;
};

std::vector<BYTE> bytesOf(const void* data, size_t size) {
    const BYTE* first = static_cast<const BYTE*>(data);
    return std::vector<BYTE>(first, first + size);
}

std::vector<BYTE> textBytes(const std::wstring& text) {
    return bytesOf(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

// Every shape a value of another program, an old version or a damaged registry may have.
std::vector<WrongValue> wrongValues() {
    const DWORD three = 3;
    const ULONGLONG wide = 3;
    const BYTE bigEndian[4] = {0, 0, 0, 3};
    return {
        {"a string", REG_SZ, textBytes(L"3")},
        {"an expandable string", REG_EXPAND_SZ, textBytes(L"3")},
        {"a multi-string", REG_MULTI_SZ, textBytes(std::wstring(L"3\0", 2))},
        {"four bytes of REG_BINARY", REG_BINARY, bytesOf(&three, 4)},
        {"no bytes of REG_DWORD", REG_DWORD, {}},
        {"one byte of REG_DWORD", REG_DWORD, bytesOf(&three, 1)},
        {"two bytes of REG_DWORD", REG_DWORD, bytesOf(&three, 2)},
        {"three bytes of REG_DWORD", REG_DWORD, bytesOf(&three, 3)},
        {"five bytes of REG_DWORD", REG_DWORD, {3, 0, 0, 0, 0}},
        {"eight bytes of REG_DWORD", REG_DWORD, bytesOf(&wide, 8)},
        {"a big-endian DWORD", REG_DWORD_BIG_ENDIAN, bytesOf(bigEndian, 4)},
        {"a QWORD", REG_QWORD, bytesOf(&wide, 8)},
        {"four bytes of REG_NONE", REG_NONE, bytesOf(&three, 4)},
        {"a type no one defined", 0x7777, bytesOf(&three, 4)},
        {"a string of 65,536 characters", REG_SZ, textBytes(std::wstring(65536, L'3'))},
        {"a megabyte of REG_BINARY", REG_BINARY, std::vector<BYTE>(1 << 20, 3)},
    };
}

// Values unlike the defaults in every field, so that any field a load touches shows.
Options distinctOptions() {
    Options options = gOptions;
    options.Painter = 11;
    options.UpcomingCount = 17;
    options.UpcomingType = UpcomingHours;
    options.AllDay = 0;
    options.WordWrap = 0;
    options.ShowCompleted = 1;
    options.ShowEmptyDays = 1;
    options.AppointmentFontBold = 0;
    options.DateFontBold = 0;
    options.AppointmentFontSize = 9.5f;
    options.DateFontSize = 10.5f;
    options.FreeColor = 0x00102030;
    options.TentativeColor = 0x00405060;
    options.ConflictColor = 0x00708090;
    options.ActivePIM = 0; // what the mask rule gives with no other program installed
    return options;
}

std::string differingFields(const Options& expected, const Options& actual) {
    std::string fields;
    const DWORD* a = reinterpret_cast<const DWORD*>(&expected);
    const DWORD* b = reinterpret_cast<const DWORD*>(&actual);
    for (size_t i = 0; i < sizeof(Options) / sizeof(DWORD); ++i)
        if (a[i] != b[i])
            fields += " " + utf8(kSettingNames[i]) + "=" + std::to_string(b[i]);
    return fields;
}

std::wstring repeated(const wchar_t* unit, size_t times) {
    std::wstring text;
    for (size_t i = 0; i < times; ++i)
        text += unit;
    return text;
}

std::string utf8Line(const std::string& name, const std::wstring& text) {
    return name + ":" + utf8(text) + "\r\n";
}

class HostileInputTest : public testing::Test {
protected:
    void SetUp() override {
        saved = gOptions;
        gOptions.UpcomingType = UpcomingDays;
        gOptions.UpcomingCount = 7;
        gOptions.AllDay = TRUE;
        gOptions.ShowCompleted = TRUE;
        ShowWindow(parent.hwnd(), SW_SHOWNA);
        item = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 240, 300,
                               parent.hwnd(), nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        destroyList(list);
        gHost.rtlKnown = false;
        resetResourceModule();
        releaseMarkerCache();
        releaseDrawingCaches();
        DestroyWindow(item);
        gOptions = saved;
    }
    // Rebuilds from a calendar of these VEVENT bodies.
    void build(const std::string& events) {
        calendar.rewrite("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Daybrook tests//EN\r\n" +
                         events + "END:VCALENDAR\r\n");
        destroyList(list);
        list = BuildAgenda(item);
    }
    AppointmentItem* appointmentAt(int index) const {
        int seen = 0;
        for (int i = 0; list && i < list->count; ++i) {
            auto found = dynamic_cast<AppointmentItem*>(list->items[i]);
            if (found && seen++ == index)
                return found;
        }
        return nullptr;
    }

    Options saved;
    DeviceCalendarFile calendar;
    TestWindow parent{240, 320};
    HWND item = nullptr;
    AgendaList* list = nullptr;
};

// A memory device context as the item measures in.
class MemoryDc {
public:
    explicit MemoryDc(HWND window) {
        HDC windowDc = GetDC(window);
        dc_ = CreateCompatibleDC(windowDc);
        ReleaseDC(window, windowDc);
    }
    ~MemoryDc() { DeleteDC(dc_); }
    HDC get() const { return dc_; }

private:
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC dc_;
};

// Reads the first page of the open options sheet, then closes it with its done button.
class SheetReader {
public:
    SheetReader() {
        gReader = this;
        timer_ = SetTimer(nullptr, 0, 10, onTimer);
    }
    ~SheetReader() {
        KillTimer(nullptr, timer_);
        gReader = nullptr;
    }
    bool done() const { return done_; }
    const std::wstring& title() const { return title_; }
    const std::wstring& allDay() const { return allDay_; }

private:
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD) {
        SheetReader* self = gReader;
        HWND sheet = GetActiveWindow();
        HWND page = sheet ? PropSheet_GetCurrentPageHwnd(sheet) : nullptr;
        if (!self || self->done_ || !page)
            return;
        self->title_ = textOf(page, IDC_PAGE_TITLE);
        self->allDay_ = textOf(page, IDC_ALL_DAY);
        self->done_ = true;
        PostMessageW(GetDlgItem(sheet, IDOK), BM_CLICK, 0, 0);
    }
    static std::wstring textOf(HWND page, int id) {
        WCHAR text[1024] = {};
        GetDlgItemTextW(page, id, text, 1024);
        return text;
    }
    static SheetReader* gReader;
    UINT_PTR timer_;
    bool done_ = false;
    std::wstring title_;
    std::wstring allDay_;
};

SheetReader* SheetReader::gReader = nullptr;

INT_PTR CALLBACK plainPage(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

} // namespace

TEST_F(HostileInputTest, EveryWrongTypeAndSizeUnderEverySettingsNameLeavesTheFieldAlone) {
    ScopedRegistryKey settings(HKEY_CURRENT_USER, kSettingsKey);
    const Options expected = distinctOptions();
    int cases = 0;
    for (const wchar_t* name : kSettingNames) {
        for (const WrongValue& wrong : wrongValues()) {
            RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
            settings.setBinary(name, wrong.type, wrong.data.data(),
                               static_cast<DWORD>(wrong.data.size()));
            gOptions = expected;
            EXPECT_EQ(ERROR_SUCCESS, loadOptions());
            EXPECT_EQ("", differingFields(expected, gOptions))
                << utf8(name) << " stored as " << wrong.what << " changes nothing";
            ++cases;
        }
        // A subkey where the value should be.
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
        ScopedRegistryKey subkey(HKEY_CURRENT_USER,
                                 (std::wstring(kSettingsKey) + L"\\" + name).c_str());
        subkey.setDword(name, 3);
        gOptions = expected;
        loadOptions();
        EXPECT_EQ("", differingFields(expected, gOptions))
            << "a key named " << utf8(name) << " is no value";
    }
    EXPECT_EQ(15 * 16, cases);
}

TEST_F(HostileInputTest, AbsurdValuesTheSettingsAcceptStillBuildAndPaint) {
    ScopedRegistryKey settings(HKEY_CURRENT_USER, kSettingsKey);
    build("BEGIN:VEVENT\r\nUID:a@tests\r\nDTSTART:20260310T100000\r\nDTEND:20260310T110000\r\n"
          "SUMMARY:Dentist\r\nLOCATION:Main Street\r\nEND:VEVENT\r\n"
          "BEGIN:VEVENT\r\nUID:b@tests\r\nDTSTART:20260311T100000\r\nDTEND:20260311T113000\r\n"
          "SUMMARY:Review\r\nEND:VEVENT\r\n");
    ASSERT_NE(nullptr, list);
    for (DWORD tenths : {0ul, 1ul, 65535ul, 0x7FFFFFFFul, 0xFFFFFFFFul}) {
        settings.setDword(L"AppointmentFontSize", tenths);
        settings.setDword(L"DateFontSize", tenths);
        settings.setDword(L"FreeColor", 0xFFFFFFFF);
        settings.setDword(L"ConflictColor", 0xFF000000);
        settings.setDword(L"WordWrap", 0xFFFFFFFF);
        loadOptions();
        for (DWORD painter = 0; painter < 14; ++painter) {
            gOptions.Painter = painter;
            list->totalHeight = 0;
            const int height = measureList(list, item);
            EXPECT_GT(height, 0) << "size " << tenths << " tenths, layout " << painter
                                 << ": the list is measured";
        }
        releaseDrawingCaches();
        releaseMarkerCache();
    }
}

TEST_F(HostileInputTest, EnormousBlankAndRightToLeftMarkTextsAreListedWholeAndPainted) {
    const std::wstring huge(100000, L'w');
    std::wstring words;
    while (words.size() < 100000)
        words += L"lorem ipsum ";
    const std::wstring spaces(40, L' ');
    const std::wstring marks = repeated(L"\x200F", 60);
    const std::wstring manyMarks = repeated(L"\x200F", 100000);
    const struct {
        std::wstring subject;
        std::wstring location;
    } texts[] = {
        {huge, huge}, {words, manyMarks}, {spaces, spaces}, {marks, marks}, {manyMarks, L""}};
    std::string events;
    int hour = 8;
    for (const auto& text : texts) {
        char times[80];
        std::snprintf(times, sizeof times,
                      "DTSTART:20260311T%02d0000\r\nDTEND:20260311T%02d3000\r\n", hour, hour);
        events += "BEGIN:VEVENT\r\nUID:" + std::to_string(hour) + "@tests\r\n" + times +
                  utf8Line("SUMMARY", text.subject) + utf8Line("LOCATION", text.location) +
                  "END:VEVENT\r\n";
        ++hour;
    }
    build(events);
    for (size_t i = 0; i < sizeof texts / sizeof texts[0]; ++i) {
        AppointmentItem* appointment = appointmentAt(static_cast<int>(i));
        ASSERT_NE(nullptr, appointment) << "appointment " << i << " is listed";
        EXPECT_TRUE(std::wstring(appointment->line.subject ? appointment->line.subject : L"") ==
                    texts[i].subject)
            << "the subject of appointment " << i << " arrives whole ("
            << SysStringLen(appointment->line.subject) << " units)";
        EXPECT_TRUE(std::wstring(appointment->line.location ? appointment->line.location : L"") ==
                    texts[i].location)
            << "the location of appointment " << i << " arrives whole";
    }
    MemoryDc dc(item);
    // Past a screenful of characters nothing more is drawn, so nothing more takes room.
    gOptions.WordWrap = TRUE;
    gOptions.Painter = 0;
    AppointmentItem* enormous = appointmentAt(1);
    AppointmentItem screenful(enormous->prevInDay);
    screenful.line = enormous->line;
    screenful.line.subject = SysAllocStringLen(words.c_str(), 2048);
    screenful.line.location = SysAllocString(manyMarks.c_str());
    RECT rect = {30, 0, 238, 0};
    const int height = enormous->Paint(item, dc.get(), rect);
    EXPECT_EQ(screenful.Paint(item, dc.get(), rect), height)
        << "a 100,000-unit subject takes the room of its first 2,048 units";
    EXPECT_GT(height, 320) << "which is more than the screen shows";
    for (bool rightToLeft : {false, true}) {
        gHost.rtlKnown = true;
        gHost.rtlLayout = rightToLeft;
        for (BOOL wrap : {FALSE, TRUE}) {
            gOptions.WordWrap = wrap;
            for (DWORD painter = 0; painter < 14; ++painter) {
                gOptions.Painter = painter;
                for (size_t i = 0; i < sizeof texts / sizeof texts[0]; ++i) {
                    AppointmentItem* appointment = appointmentAt(static_cast<int>(i));
                    RECT rect = {30, 0, 238, 0};
                    EXPECT_GT(appointment->Paint(item, dc.get(), rect), 0)
                        << "appointment " << i << " in layout " << painter << ", word wrap " << wrap
                        << ", right to left " << rightToLeft << " takes room";
                    EXPECT_NE(0, appointment->hitRect.bottom);
                }
            }
        }
    }
}

TEST_F(HostileInputTest, ALanguageModuleLongerThanEveryBufferIsCutToFit) {
    gHost.resourceModule =
        LoadLibraryW((programFolder() + L"\\testmodules\\DaybrookUI-LNG.dll").c_str());
    ASSERT_NE(nullptr, gHost.resourceModule);
    auto cut = [](const wchar_t* id, size_t units) {
        return std::wstring(id) + std::wstring(units - 4, L'x');
    };

    build("");
    ASSERT_NE(nullptr, list);
    std::vector<ListedItem> shown = listedItems(list);
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(cut(L"0009", 79), shown[0].text) << "string 9 in its 80 units";
    build("BEGIN:VEVENT\r\nUID:a@tests\r\nDTSTART:20260311T100000\r\nDTEND:20260311T110000\r\n"
          "SUMMARY:Review\r\nEND:VEVENT\r\n");
    shown = listedItems(list);
    ASSERT_GE(shown.size(), 1u);
    EXPECT_EQ(cut(L"0012", 79), shown[0].text) << "string 12 in its 80 units";
    WCHAR multiday[40];
    formatTime(0.0, multiday, 40);
    EXPECT_LT(wcslen(multiday), 30u) << "the multiday text keeps to its 30 units";

    AppointmentItem* review = appointmentAt(0);
    ASSERT_NE(nullptr, review);
    measureList(list, item);
    MenuAnswer menu(kDeleteCommand);
    MessageBoxAnswer boxes(IDNO);
    showContextMenu(list, item, 100, (review->hitRect.top + review->hitRect.bottom) / 2);
    ASSERT_EQ(1, menu.menusShown());
    std::wstring offered;
    for (const OfferedEntry& entry : menu.offered())
        if (entry.id == 101 || entry.id == 102 || entry.id == 103)
            offered += entry.text + L"|";
    EXPECT_EQ(cut(L"0014", 79) + L"|" + cut(L"0015", 79) + L"|" + cut(L"0018", 79) + L"|", offered);
    ASSERT_EQ(1u, boxes.boxes().size()) << "the delete asks";
    EXPECT_EQ(cut(L"0016", 259), boxes.boxes()[0].text) << "string 16 in its 260 units";
    EXPECT_EQ(cut(L"0001", 79), boxes.boxes()[0].caption);

    MessageBoxAnswer failure(IDOK);
    runAddIn(review, item, L"\\Windows\\NoSuchAddIn.dll");
    ASSERT_EQ(1u, failure.boxes().size());
    EXPECT_EQ(cut(L"0019", 79), failure.boxes()[0].text);
    EXPECT_EQ(cut(L"0001", 39), failure.boxes()[0].caption) << "the caption in its 40 units";
}

TEST_F(HostileInputTest, ALanguageModuleLongerThanEveryBufferLabelsTheOptionsSheet) {
    ScopedRegistryKey settings(HKEY_CURRENT_USER, kSettingsKey);
    gHost.resourceModule =
        LoadLibraryW((programFolder() + L"\\testmodules\\DaybrookUI-LNG.dll").c_str());
    ASSERT_NE(nullptr, gHost.resourceModule);
    SheetReader reader;
    openOptionsDialog(item);
    ASSERT_TRUE(reader.done()) << "the sheet opened and was read";
    EXPECT_EQ(std::wstring(L"1013") + std::wstring(145, L'x'), reader.title())
        << "a control text in its 150 units";
    EXPECT_EQ(std::wstring(L"1005") + std::wstring(145, L'x'), reader.allDay());
}

TEST_F(HostileInputTest, ExtensionEntriesThatDoNotFitTheirRecordAreLeftOut) {
    ScopedRegistryKey extensions(HKEY_CURRENT_USER, kExtensionsKey);
    const std::wstring module = programFolder() + L"\\testmodules\\ExtensionBoth.dll";
    // One subkey per extension, each with a Name and a Path.
    auto extension = [](const wchar_t* subkey) {
        return std::make_unique<ScopedRegistryKey>(
            HKEY_CURRENT_USER, (std::wstring(kExtensionsKey) + L"\\" + subkey).c_str());
    };
    auto longestName = extension(L"a");
    longestName->setString(L"Name", std::wstring(99, L'n')); // the longest name that fits
    longestName->setString(L"Path", module);
    auto unterminated259 = extension(L"b");
    std::wstring exactly259 = module + std::wstring(259 - module.size(), L' ');
    unterminated259->setBinary(L"Path", REG_SZ, exactly259.data(), 259 * sizeof(wchar_t));
    auto unterminated260 = extension(L"c");
    std::wstring exactly260(260, L'p');
    unterminated260->setBinary(L"Path", REG_SZ, exactly260.data(), 260 * sizeof(wchar_t));
    auto huge = extension(L"d");
    huge->setString(L"Path", std::wstring(100000, L'h'));
    auto expandsTooFar = extension(L"e");
    expandsTooFar->setString(L"Path", L"%SystemRoot%\\" + std::wstring(250, L'e'), REG_EXPAND_SZ);
    auto multi = extension(L"f");
    multi->setString(L"Path", module + L"\0", REG_MULTI_SZ);
    auto nothing = extension(L"g");
    nothing->setBinary(L"Path", REG_SZ, nullptr, 0);
    ASSERT_EQ(2, loadExtensionTable())
        << "a 99-unit name and a 259-unit unterminated path fit; 260 units, 100,000 units, an "
           "expansion past 260, a multi-string and an empty value do not";
    for (int i = 0; i < gExtensions.count; ++i)
        EXPECT_LT(wcslen(gExtensions.entries[i].path), 260u);
    HMENU menu = CreatePopupMenu();
    addMenuEntries(menu, 104);
    EXPECT_GE(GetMenuItemCount(menu), 1) << "the 99-unit name gets its menu entry";
    DestroyMenu(menu);
    unloadAll();
}

TEST_F(HostileInputTest, AddInEntriesThatDoNotFitAreLeftOutAndKeepTheirPlace) {
    DevicePrograms programs;
    const std::wstring alpha = programs.installModule(L"AddInAlpha.dll");
    programs.addAddIn(L"A1", alpha.c_str(), L"First");
    programs.addAddIn(L"A2", std::wstring(100000, L'd').c_str(), L"Huge library");
    programs.addAddIn(L"A3", alpha.c_str(), std::wstring(100000, L'm').c_str());
    programs.addAddIn(L"A4", nullptr, nullptr);
    programs.addAddIn(L"A5", alpha.c_str(), L"");
    programs.addAddIn(L"A6", nullptr, L"No library");
    programs.addAddInValue(L"A6", L"DLL", REG_EXPAND_SZ, alpha.c_str(),
                           static_cast<DWORD>((alpha.size() + 1) * sizeof(wchar_t)));
    build("BEGIN:VEVENT\r\nUID:a@tests\r\nDTSTART:20260310T100000\r\nDTEND:20260310T110000\r\n"
          "SUMMARY:Dentist\r\nEND:VEVENT\r\n");
    AppointmentItem* dentist = appointmentAt(0);
    ASSERT_NE(nullptr, dentist);
    measureList(list, item);
    MenuAnswer menu;
    showContextMenu(list, item, 100, (dentist->hitRect.top + dentist->hitRect.bottom) / 2);
    EXPECT_EQ(L"1000 First | 1004  | - | 101 Delete Appointment | 102 Beam Appointment... | - | "
              L"103 Options...",
              menu.describe());
}

TEST_F(HostileInputTest, DamagedTemplatesGivenToRelayoutMoveNothingOrOnlyWhatTheyName) {
    const int templates[] = {110, 111, 116, 117, 118, 119};
    int damaged = 0;
    for (int id : templates) {
        HRSRC resource = FindResourceW(gHost.moduleInstance, MAKEINTRESOURCEW(id),
                                       reinterpret_cast<LPCWSTR>(RT_DIALOG));
        ASSERT_NE(nullptr, resource) << "template " << id;
        const BYTE* data =
            static_cast<const BYTE*>(LockResource(LoadResource(gHost.moduleInstance, resource)));
        const std::vector<BYTE> good(data, data + SizeofResource(gHost.moduleInstance, resource));
        HWND page = CreateDialogParamW(gHost.moduleInstance, MAKEINTRESOURCEW(id), parent.hwnd(),
                                       plainPage, 0);
        ASSERT_NE(nullptr, page) << "template " << id;
        // Where the template puts each control (the dialog manager rounds some edges otherwise).
        ASSERT_EQ(1, relayoutPageFromTemplate(page, good.data(), good.size()));
        std::vector<RECT> placed;
        for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            RECT rect;
            GetWindowRect(child, &rect);
            placed.push_back(rect);
        }
        for (size_t offset = 0; offset < good.size(); ++offset) {
            for (BYTE value : {0x00, 0xFF}) {
                std::vector<BYTE> bytes = good;
                bytes[offset] = value;
                int result = relayoutPageFromTemplate(page, bytes.data(), bytes.size());
                EXPECT_TRUE(result == 0 || result == 1);
                ++damaged;
            }
        }
        // Whatever the damaged ones did, the template itself puts every control back.
        EXPECT_EQ(1, relayoutPageFromTemplate(page, good.data(), good.size()));
        size_t index = 0;
        for (HWND child = GetWindow(page, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT), ++index) {
            RECT rect;
            GetWindowRect(child, &rect);
            ASSERT_LT(index, placed.size()) << "no control appeared in template " << id;
            EXPECT_TRUE(EqualRect(&rect, &placed[index]))
                << "control " << GetDlgCtrlID(child) << " of template " << id << " is back";
        }
        EXPECT_EQ(placed.size(), index) << "no control was lost from template " << id;
        DestroyWindow(page);
    }
    EXPECT_GT(damaged, 5000);
}
