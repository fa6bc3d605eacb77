#include "render_test_support.h"
#include "test_support.h"
#include "agenda/agenda_list.h"
#include "extensions/extension_table.h"
#include "host/host_state.h"
#include "host/item_window.h"
#include "host/resource_module.h"
#include "render/drawing_caches.h"
#include "render/fonts.h"
#include "render/gdi_scope.h"
#include "render/list_painting.h"
#include "render/markers.h"
#include "settings/options.h"

#include <todaycmn.h>

#include <cstring>
#include <memory>

using namespace render_testing;

namespace {

// An item of a fixed height that remembers how it was painted and marks its left edge black.
class FixedItem : public AgendaItem {
public:
    explicit FixedItem(int paintHeight) : paintHeight_(paintHeight) {}
    int Paint(HWND, HDC dc, const RECT& rect) override {
        rects.push_back(rect);
        colors.push_back(GetTextColor(dc));
        RECT mark = {rect.left, rect.top, rect.left + 4, rect.top + paintHeight_};
        FillRect(dc, &mark, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        height = paintHeight_;
        return height;
    }
    std::vector<RECT> rects;
    std::vector<COLORREF> colors;

private:
    int paintHeight_;
};

class PaintingTest : public RenderTest {
protected:
    void TearDown() override {
        gHost.currentList = nullptr;
        RenderTest::TearDown();
    }
    // A list of FixedItems of these heights (the list owns them; fixed keeps their addresses).
    AgendaList* listOf(std::initializer_list<int> heights, int showIcon = 0) {
        list_.reset(new AgendaList(kDay, showIcon));
        fixed.clear();
        for (int height : heights) {
            fixed.push_back(new FixedItem(height));
            list_->Insert(fixed.back(), list_->count);
        }
        return list_.get();
    }
    int dateLineHeight() {
        Canvas canvas(1, 1);
        ScopedSelectObject font(canvas.dc(), getDateFont());
        TEXTMETRICW metrics = {};
        GetTextMetricsW(canvas.dc(), &metrics);
        return metrics.tmHeight;
    }
    struct ListDeleter {
        void operator()(AgendaList* list) { destroyList(list); }
    };
    std::unique_ptr<AgendaList, ListDeleter> list_;
    std::vector<FixedItem*> fixed;
    TodayScreen today{240, 100};
};

int paintedCount(const std::vector<FixedItem*>& items, size_t index) {
    return static_cast<int>(items[index]->rects.size());
}

} // namespace

TEST_F(PaintingTest, HeadingsTakeTheSpaceAboveThemAndARuleBelow) {
    for (bool vga : {false, true}) {
        useScreen(vga);
        SCOPED_TRACE(vga ? "VGA" : "QVGA");
        int s = GetSystemMetrics(SM_CXSMICON), u = s / 8, row = s + 2 * u, indent = vga ? 55 : 30;
        int text = dateLineHeight();
        Canvas canvas(480, 200), reference(480, 200);
        DrawTextRecorder recorder;
        DayHeadingItem first(kDay, L"Monday, 8 December");
        EXPECT_EQ(row + text + 5,
                  first.Paint(today.item(), canvas.dc(), RECT{indent, 0, 470, 200}));
        ASSERT_EQ(1u, recorder.drawn().size());
        EXPECT_EQ(row, recorder.drawn()[0].rect.top) << "below the item icon's square";
        EXPECT_EQ(getDateFont(), recorder.drawn()[0].font);
        int rule = row + text + 3;
        EXPECT_EQ((RECT{indent - u, rule, 470, rule + 1}),
                  canvas.inkBounds(RECT{u + s, rule, 480, rule + 1}))
            << "from u left of the text to the right margin";
        EXPECT_EQ(kHeadingRule, canvas.pixel(300, rule));
        EXPECT_EQ(0, canvas.inkIn(indent, row + text, 470, rule))
            << "nothing between text and rule";
        // The calendar icon sits in the left margin, centred between the top and the rule.
        HICON icon = static_cast<HICON>(
            LoadImageW(gHost.moduleInstance, MAKEINTRESOURCEW(104), IMAGE_ICON, s, s, 0));
        DrawIconEx(reference.dc(), u, row + (rule - s - row) / 2, icon, 0, 0, 0, nullptr,
                   DI_NORMAL);
        DestroyIcon(icon);
        EXPECT_TRUE(canvas.sameAs(reference, RECT{0, row, indent - u, rule}));
    }
    useScreen(false);
    Canvas canvas(240, 200);
    DrawTextRecorder recorder;
    DayHeadingItem later(kDay, L"Tuesday");
    EXPECT_EQ(6 + 2 + 18, later.Paint(today.item(), canvas.dc(), RECT{30, 100, 238, 200}));
    EXPECT_EQ(108, recorder.drawn()[0].rect.top) << "half a date line and u below the item above";
    EXPECT_EQ(10 + 18, later.Paint(today.item(), canvas.dc(), RECT{30, 10, 238, 200}))
        << "never above the icon's square";
    EXPECT_EQ(20, recorder.drawn()[1].rect.top);
    EXPECT_EQ(getDateFont(), later.GetFont());
}

TEST_F(PaintingTest, AnExtensionCanDrawTheHeadingInstead) {
    gExtensions.entries = static_cast<ExtensionEntry*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ExtensionEntry)));
    gExtensions.count = 1;
    lstrcpyW(gExtensions.entries[0].name, L"Painter");
    lstrcpyW(gExtensions.entries[0].path,
             (testing_support::programFolder() + L"\\testmodules\\ExtensionPaintOnly.dll").c_str());
    Canvas canvas(240, 320);
    DrawTextRecorder recorder;
    DayHeadingItem heading(kDay + 0.25, L"Monday");
    EXPECT_EQ(192 + 8, heading.Paint(today.item(), canvas.dc(), RECT{30, 100, 238, 300}))
        << "the extension's height (its rectangle's) plus the space above";
    EXPECT_TRUE(recorder.drawn().empty());
    EXPECT_EQ(0, canvas.inkIn(0, 0, 240, 320)) << "no icon, no rule";
    auto lastDateHigh = reinterpret_cast<DWORD (*)()>(reinterpret_cast<void*>(
        GetProcAddress(gExtensions.entries[0].module, "ExtensionLastDateHigh")));
    ULONGLONG bits;
    double date = kDay + 0.25;
    memcpy(&bits, &date, sizeof bits);
    ASSERT_NE(nullptr, lastDateHigh);
    EXPECT_EQ(static_cast<DWORD>(bits >> 32), lastDateHigh()) << "the date's upper half";

    DayHeadingItem declined(kDay, L"decline");
    declined.Paint(today.item(), canvas.dc(), RECT{30, 100, 238, 300});
    ASSERT_EQ(1u, recorder.drawn().size()) << "an extension that declines leaves it to the item";
    EXPECT_EQ(L"decline", recorder.drawn()[0].text);
    unloadAll();
}

// Day Leaf, the sample extension, loaded as the registry names it.
class DayLeafTest : public PaintingTest {
protected:
    void SetUp() override {
        PaintingTest::SetUp();
        unloadAll();
        extensions_.setSubkeyString(L"DayLeaf", L"Name", L"Day headings");
        extensions_.setSubkeyString(
            L"DayLeaf", L"Path",
            testing_support::joinPath(testing_support::programFolder(), L"DayLeaf.dll"));
        ASSERT_EQ(1, loadExtensionTable());
    }
    void TearDown() override {
        unloadAll();
        PaintingTest::TearDown();
    }
    // A heading at y = 100 on a blue canvas (paper and white text stand out); its height.
    int paintHeading(Canvas* canvas, const wchar_t* text) {
        DayHeadingItem heading(kDay + 1, text);
        return heading.Paint(today.item(), canvas->dc(), RECT{30, 100, 238, 300});
    }
    // Where the extension's drawing starts: half a date line and u below the item above.
    int headingTop() { return 100 + dateLineHeight() / 2 + 2; }
    // How many rows of column x have the colour, from y down.
    static int runOf(const Canvas& canvas, int x, int y, COLORREF color) {
        int start = y;
        while (canvas.pixel(x, y) == color)
            ++y;
        return y - start;
    }
    static int countOf(const Canvas& canvas, const RECT& area, COLORREF color) {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                count += canvas.pixel(x, y) == color;
        return count;
    }

    const COLORREF kBlue = RGB(200, 200, 255);
    const COLORREF kWhite = RGB(255, 255, 255);
    testing_support::ScopedRegistryKey extensions_{HKEY_CURRENT_USER,
                                                   L"Software\\Orvane\\Daybrook\\Extensions"};
    testing_support::ScopedRegistryKey style_{HKEY_CURRENT_USER, L"Software\\Orvane\\DayLeaf"};
};

TEST_F(DayLeafTest, ACalendarLeafInTheMarginAndTheTextBesideIt) {
    Canvas canvas(240, 320, kBlue);
    int height = paintHeading(&canvas, L"Wednesday");
    int top = headingTop();
    int leafHeight = runOf(canvas, 2, top, kHeadingRule);
    EXPECT_GT(leafHeight, 15) << "the leaf's edge, in the Today screen's heading colour";
    EXPECT_EQ(top - 100 + leafHeight + 2, height)
        << "the height the extension returned: the space above, the leaf and u below it";
    EXPECT_EQ(kHeadingRule, canvas.pixel(27, top)) << "the leaf fills the margin up to u";
    EXPECT_EQ(canvas.background(), canvas.pixel(28, top));
    EXPECT_GT(countOf(canvas, RECT{3, top, 27, top + leafHeight}, kWhite), 100)
        << "the month in white on the strip, the day on paper";
    RECT text = canvas.inkBounds(RECT{28, top, 240, top + leafHeight});
    EXPECT_GE(text.left, 30) << "the text starts at the indent";
    EXPECT_LT(text.left, 33);
    EXPECT_EQ(0, countOf(canvas, RECT{0, top + leafHeight, 240, 320}, kHeadingRule))
        << "no rule and no icon of the item's own heading";
}

TEST_F(DayLeafTest, AColouredBandWhenTheOptionsChoseIt) {
    style_.setDword(L"Style", 1);
    Canvas canvas(240, 320, kBlue);
    int height = paintHeading(&canvas, L"Wednesday");
    int top = headingTop();
    int bandHeight = runOf(canvas, 236, top, kHeadingRule);
    EXPECT_GT(bandHeight, 13) << "a line of the date font and u above and below";
    EXPECT_EQ(bandHeight, runOf(canvas, 2, top, kHeadingRule)) << "from the left margin";
    EXPECT_EQ(top - 100 + bandHeight + 2, height);
    RECT band = {2, top, 238, top + bandHeight};
    EXPECT_GT(countOf(canvas, band, kWhite), 20) << "white text on the dark band";
    EXPECT_EQ(canvas.background(), canvas.pixel(238, top)) << "the band ends at the margin";

    useRightToLeft(true);
    Canvas rightToLeft(240, 320, kBlue);
    paintHeading(&rightToLeft, L"Wednesday");
    int lastWhite = 0;
    for (int y = band.top; y < band.bottom; ++y)
        for (int x = band.left; x < band.right; ++x)
            if (rightToLeft.pixel(x, y) == kWhite)
                lastWhite = x > lastWhite ? x : lastWhite;
    EXPECT_GT(lastWhite, 228) << "right to left, the text ends at the right margin";
}

namespace {

// Where the ink of a line right-aligned at the item's right margin (238) lies when nothing clips
// it, the line's box starting at top.
RECT unclippedInk(const wchar_t* text, HFONT font, int top) {
    Canvas canvas(300, top + 20);
    ScopedSelectObject select(canvas.dc(), font);
    RECT line = {30, top, 238, top + 20};
    DrawTextW(canvas.dc(), text, -1, &line, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    return canvas.inkBounds(RECT{0, top, 300, top + 20});
}

} // namespace

// The library's folder holds the project's Hebrew module: a Hebrew device reads its texts there
// and right-aligns them, the heading's icon staying in the left margin.
TEST_F(PaintingTest, AHebrewDeviceShowsHebrewTextsRightAligned) {
    resetResourceModule();
    useRightToLeft(true);
    wchar_t text[80];
    loadResourceString(9, text, 80);
    EXPECT_EQ(std::wstring(L"אין פגישות קרובות"), text) << "string 9 of DaybrookUI-HEB.dll";

    Canvas canvas(240, 120);
    TextItem message(text, 1);
    message.Paint(today.item(), canvas.dc(), RECT{30, 0, 238, 120});
    RECT extent = {0, 0, 999, 99};
    SelectObject(canvas.dc(), getPlainFont());
    DrawTextW(canvas.dc(), text, -1, &extent, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    RECT ink = canvas.inkBounds(RECT{0, 0, 240, 20});
    EXPECT_GE(ink.left, 238 - extent.right) << "right-aligned";
    EXPECT_LE(ink.left, 238 - extent.right + 2);
    // A clip hides a cut letter from the ink the item left; the line drawn without one shows it.
    RECT whole = unclippedInk(text, getPlainFont(), 0);
    EXPECT_LE(whole.right, 238) << "the whole line lies inside the item: none of it is cut";
    EXPECT_EQ(whole.right, ink.right) << "and the item drew all of it";

    const wchar_t kHeading[] = L"יום רביעי, 9 בדצמבר 2026";
    DayHeadingItem heading(kDay + 1, kHeading);
    int height = heading.Paint(today.item(), canvas.dc(), RECT{30, 40, 238, 120});
    RECT textInk = canvas.inkBounds(RECT{30, 40, 240, 40 + height - 4});
    EXPECT_GT(textInk.right, 230) << "the heading text ends at the right margin";
    EXPECT_GT(textInk.left, 60) << "and does not start at the indent";
    RECT wholeHeading = unclippedInk(kHeading, getDateFont(), 40);
    EXPECT_LE(wholeHeading.right, 238) << "the heading's first letter is whole";
    EXPECT_EQ(wholeHeading.right, textInk.right);
    EXPECT_GT(canvas.inkIn(0, 40, 30, 40 + height), 20) << "the day icon stays at the left";
    resetResourceModule();
}

// A Hebrew line too long for the row ends in "..." at its left end, where a right-to-left
// reader finishes it, and starts at the right margin with its first letter; the free/busy
// marker stands at that right end, not in the left margin far from the text.
TEST_F(PaintingTest, RightToLeftLinesReadFromTheRightWithTheirMarkerThere) {
    useRightToLeft(true);
    const COLORREF kFreeColor = RGB(0, 200, 0);
    gOptions.FreeColor = kFreeColor;
    gOptions.Painter = 8; // "start: subject", one line
    auto item = std::unique_ptr<AppointmentItem>(
        makeAppointment(L"שלום לכולם וברוכים הבאים לפגישה השבועית של הצוות", L"", 10, 11));
    item->line.busyStatus = 0; // free: marked
    Canvas canvas(240, 60);
    int height = item->Paint(today.item(), canvas.dc(), RECT{30, 10, 238, 60});
    ASSERT_GT(height, 8);

    int markerLeft = 240, markerRight = -1;
    for (int y = 10; y < 10 + height; ++y)
        for (int x = 0; x < 240; ++x)
            if (canvas.pixel(x, y) == kFreeColor) {
                markerLeft = x < markerLeft ? x : markerLeft;
                markerRight = x > markerRight ? x : markerRight;
            }
    EXPECT_GT(markerLeft, 200) << "the marker stands at the right end, where the line starts";
    EXPECT_LT(markerRight, 238) << "within the margin";

    RECT text = canvas.inkBounds(RECT{30, 10, markerLeft - 1, 10 + height});
    ASSERT_GT(text.right - text.left, 100) << "the line was drawn";
    int upperHalf = text.top + (text.bottom - text.top) / 2;
    EXPECT_EQ(0, canvas.inkIn(text.left, text.top, text.left + 4, upperHalf))
        << "the left end holds the ellipsis' dots, low on the line";
    EXPECT_GT(canvas.inkIn(text.right - 4, text.top, text.right, upperHalf), 0)
        << "the right end holds a letter, not the dots";
}

TEST_F(PaintingTest, MessagesAndSeparators) {
    Canvas canvas(240, 100);
    TextItem message(L"No upcoming appointments", 1);
    EXPECT_EQ(20, message.Paint(today.item(), canvas.dc(), RECT{30, 0, 238, 100}));
    RECT ink = canvas.inkBounds(RECT{0, 0, 240, 20});
    EXPECT_GE(ink.left, 30) << "left-aligned at the indent";
    EXPECT_LE(ink.left, 32);
    TextItem plain(L"Nothing further today", 0);
    EXPECT_EQ(13, plain.Paint(today.item(), canvas.dc(), RECT{30, 30, 238, 100}));
    useRightToLeft(true);
    plain.Paint(today.item(), canvas.dc(), RECT{30, 60, 238, 100});
    ink = canvas.inkBounds(RECT{0, 60, 240, 80});
    RECT extent = {0, 0, 999, 99};
    SelectObject(canvas.dc(), getPlainFont());
    DrawTextW(canvas.dc(), L"Nothing further today", -1, &extent, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_GE(ink.left, 238 - extent.right) << "right-aligned in a right-to-left language";
    EXPECT_LE(ink.left, 238 - extent.right + 2);

    Canvas separatorCanvas(240, 100);
    SeparatorItem separator;
    EXPECT_EQ(4, separator.Paint(today.item(), separatorCanvas.dc(), RECT{30, 50, 230, 100}));
    ink = separatorCanvas.inkBounds(RECT{0, 0, 240, 100});
    EXPECT_EQ(80, ink.left);
    EXPECT_EQ(52, ink.top);
    EXPECT_EQ(53, ink.bottom);
    EXPECT_LE(ink.right, 180);
    EXPECT_GT(ink.right, 170);
    EXPECT_LT(separatorCanvas.inkIn(80, 52, 180, 53), 100) << "dashed";
    EXPECT_EQ(kText, separatorCanvas.pixel(80, 52));
}

TEST_F(PaintingTest, ListHeightIndentAndMargins) {
    Canvas canvas(480, 320);
    EXPECT_EQ(20, paintItems(listOf({}, 1), today.item(), canvas.dc(), nullptr))
        << "an empty list is one standard row";
    EXPECT_GT(canvas.inkIn(2, 2, 18, 18), 0) << "with the item icon";
    EXPECT_EQ(20, paintItems(listOf({7}), today.item(), canvas.dc(), nullptr));
    EXPECT_EQ(102, paintItems(listOf({60, 40}), today.item(), canvas.dc(), nullptr));
    EXPECT_EQ((RECT{30, 0, 238, 100}), fixed[0]->rects[0]);
    EXPECT_EQ(60, fixed[1]->rects[0].top);
    EXPECT_EQ(kText, fixed[1]->colors[0]);
    useScreen(true);
    TodayScreen vga(480, 200);
    EXPECT_EQ(40, paintItems(listOf({}), vga.item(), canvas.dc(), nullptr));
    paintItems(listOf({10}), vga.item(), canvas.dc(), nullptr);
    EXPECT_EQ((RECT{55, 0, 476, 200}), fixed[0]->rects[0]);
}

TEST_F(PaintingTest, TheSelectedItemIsPaintedOnABand) {
    Canvas canvas(240, 100);
    AgendaList* list = listOf({20, 10, 30}, 1);
    paintItems(list, today.item(), canvas.dc(), nullptr); // heights of a previous paint
    list->selection = 2;
    paintItems(list, today.item(), canvas.dc(), nullptr);
    EXPECT_EQ(kHighlight, canvas.pixel(0, 30)) << "from the window's left edge";
    EXPECT_EQ(kHighlight, canvas.pixel(237, 59)) << "to the right margin";
    EXPECT_EQ(RGB(255, 255, 255), canvas.pixel(238, 45));
    EXPECT_EQ(RGB(255, 255, 255), canvas.pixel(100, 29)) << "as high as the item's last paint";
    EXPECT_EQ(RGB(255, 255, 255), canvas.pixel(100, 60));
    EXPECT_EQ(kHighlightedText, fixed[2]->colors[1]);
    EXPECT_EQ(kText, fixed[1]->colors[1]);

    Canvas unselected(240, 100);
    list->selection = -1;
    paintItems(list, today.item(), unselected.dc(), nullptr);
    EXPECT_EQ(0, unselected.inkIn(20, 0, 240, 100) - unselected.inkIn(30, 0, 34, 100))
        << "no band: only the items' own marks";

    // A band at the top covers the icon square; the icon is drawn again over it.
    Canvas top(240, 100), reference(240, 100);
    list->selection = 0;
    paintItems(list, today.item(), top.dc(), nullptr);
    HBRUSH band = CreateSolidBrush(kHighlight);
    RECT bandRect = {0, 0, 238, 20};
    FillRect(reference.dc(), &bandRect, band);
    DeleteObject(band);
    drawItemIcon(reference.dc(), 0);
    EXPECT_TRUE(top.sameAs(reference, RECT{0, 0, 30, 20}));
}

TEST_F(PaintingTest, OnlyItemsThatMeetTheInvalidAreaArePainted) {
    Canvas canvas(240, 200);
    AgendaList* list = listOf({20, 20, 20, 20, 20, 20});
    paintItems(list, today.item(), canvas.dc(), nullptr);
    RECT clip = {0, 61, 240, 81};
    paintItems(list, today.item(), canvas.dc(), &clip);
    EXPECT_EQ(1, paintedCount(fixed, 0)) << "wholly above";
    EXPECT_EQ(1, paintedCount(fixed, 1));
    EXPECT_EQ(2, paintedCount(fixed, 3));
    EXPECT_EQ(2, paintedCount(fixed, 4)) << "its first row, 80, is in the area";
    EXPECT_EQ(1, paintedCount(fixed, 5)) << "the pass stops below the area";

    list = listOf({20, 20, 20});
    RECT below = {0, 150, 240, 160};
    paintItems(list, today.item(), canvas.dc(), &below);
    EXPECT_EQ(3, paintedCount(fixed, 0) + paintedCount(fixed, 1) + paintedCount(fixed, 2))
        << "items never painted have no height to skip by";
}

TEST_F(PaintingTest, TheListIsPaintedThroughAKeptBackBuffer) {
    Canvas screen(240, 320, RGB(9, 9, 9));
    gHost.currentList = listOf({20, 20});
    GdiTracker tracker;
    paintCurrentList(today.item(), screen.dc(), RECT{0, 0, 240, 50});
    HBITMAP back = gHost.currentList->backBitmap;
    paintCurrentList(today.item(), screen.dc(), RECT{0, 0, 240, 50});
    EXPECT_EQ(1, tracker.created("CreateCompatibleBitmap")) << "made once for an unchanged size";
    EXPECT_EQ(back, gHost.currentList->backBitmap);
    EXPECT_EQ((RECT{0, 0, 240, 100}), today.lastWatermarkRect()) << "the whole client";
    EXPECT_EQ(2, today.messages(TODAYM_DRAWWATERMARK));
    EXPECT_EQ(kWatermark, screen.pixel(100, 10));
    EXPECT_EQ(RGB(0, 0, 0), screen.pixel(31, 30)) << "the second item";
    EXPECT_EQ(RGB(9, 9, 9), screen.pixel(100, 50)) << "only the invalid rectangle is copied";

    SetWindowPos(today.item(), nullptr, 0, 0, 240, 90, SWP_NOMOVE | SWP_NOZORDER);
    paintCurrentList(today.item(), screen.dc(), RECT{0, 0, 240, 50});
    EXPECT_EQ(2, tracker.created("CreateCompatibleBitmap")) << "a new size, a new buffer";
    EXPECT_EQ(90, gHost.currentList->backHeight);

    gHost.currentList = nullptr;
    Canvas untouched(240, 320, RGB(9, 9, 9));
    paintCurrentList(today.item(), untouched.dc(), RECT{0, 0, 240, 50});
    EXPECT_EQ(0, untouched.inkIn(0, 0, 240, 320)) << "no list, nothing painted";
}

TEST_F(PaintingTest, AScrolledWindowKeepsItsVisibleRowsInTheBuffer) {
    TodayScreen scrolled(240, 400, -30); // taller than the screen, 30 rows above its top
    std::initializer_list<int> rows = {20, 20, 20, 20, 20, 20, 20, 20, 20, 20,
                                       20, 20, 20, 20, 20, 20, 20, 20, 20, 20};
    gHost.currentList = listOf(rows);
    Canvas screen(240, 400, RGB(9, 9, 9));
    paintCurrentList(scrolled.item(), screen.dc(), RECT{0, 300, 240, 350});
    EXPECT_EQ(320, gHost.currentList->backHeight) << "no taller than the screen";
    EXPECT_EQ(RGB(0, 0, 0), screen.pixel(31, 345)) << "client row 345 is the buffer's row 315";
    EXPECT_EQ(kWatermark, screen.pixel(100, 345));
    EXPECT_EQ(kWatermark, screen.pixel(100, 300));
}

TEST_F(PaintingTest, AListPaintSelectsAFontOnlyWhenTheNextTextNeedsAnother) {
    Canvas canvas(240, 320);
    AgendaList* list = new AgendaList(kDay, 1);
    list->Insert(new DayHeadingItem(kDay, L"Monday"), 0);
    AppointmentItem* first = makeAppointment(L"Review", L"Lab", 10, 11);
    list->Insert(first, 1);
    AppointmentItem* second = makeAppointment(L"Lunch", L"Cafe", 12, 13, first);
    list->Insert(second, 2);
    list->Insert(makeAppointment(L"Call", L"", 14, 15, second), 3);
    list->Insert(new TextItem(L"Nothing further today", 0), 4);
    paintItems(list, today.item(), canvas.dc(), nullptr); // the heights are measured once
    DrawTextRecorder recorder;
    paintItems(list, today.item(), canvas.dc(), nullptr);
    int changes = 0;
    HFONT previous = nullptr;
    for (const DrawnText& drawn : recorder.drawn()) {
        changes += drawn.font != previous;
        previous = drawn.font;
    }
    EXPECT_GT(changes, 4) << "the heading, appointment and plain fonts take turns";
    EXPECT_EQ(changes + 1, recorder.fontSelections())
        << "each font selected when a text needs another, the DC's own put back once";
    destroyList(list);
}

TEST_F(PaintingTest, RepeatedPaintsLeakNothingAndRestoreEverySelection) {
    Canvas screen(240, 320);
    HDC dc = screen.dc();
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT), pen = GetCurrentObject(dc, OBJ_PEN);
    HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
    COLORREF textColor = GetTextColor(dc);
    int mode = GetBkMode(dc);
    GdiTracker tracker;
    {
        AgendaList* list = new AgendaList(kDay, 1);
        list->Insert(new DayHeadingItem(kDay, L"Monday"), 0);
        AppointmentItem* first = makeAppointment(L"Review", L"Lab", 10, 11);
        first->line.busyStatus = 1;
        list->Insert(first, 1);
        AppointmentItem* second = makeAppointment(L"Lunch", L"", 12, 13, first);
        second->conflict = 1;
        list->Insert(second, 2);
        list->Insert(new SeparatorItem(), 3);
        list->Insert(new TextItem(L"Nothing further today", 0), 4);
        list->selection = 1;
        gHost.currentList = list;
        for (int paint = 0; paint < 200; ++paint) {
            gOptions.Painter = paint % 14;
            gOptions.FreeColor = paint % 2 ? RGB(0, 200, 0) : ColorNone;
            list->iconFrame = paint % 2;
            paintCurrentList(today.item(), dc, RECT{0, 0, 240, 100});
            paintItems(list, today.item(), dc, nullptr);
        }
        for (int i = 0; i < list->count; ++i) // each item alone, outside a list paint
            list->items[i]->Paint(today.item(), dc, RECT{0, 0, 240, 100});
        EXPECT_EQ(font, GetCurrentObject(dc, OBJ_FONT));
        EXPECT_EQ(pen, GetCurrentObject(dc, OBJ_PEN));
        EXPECT_EQ(brush, GetCurrentObject(dc, OBJ_BRUSH));
        EXPECT_EQ(textColor, GetTextColor(dc));
        EXPECT_EQ(mode, GetBkMode(dc));
        gHost.currentList = nullptr;
        destroyList(list);
    }
    EXPECT_GT(tracker.created("CreateSolidBrush"), 200) << "the selection band's brushes";
    releaseMarkerCache();
    releaseDrawingCaches();
    EXPECT_EQ(0u, tracker.live()) << "every object made while painting is deleted again";
}
