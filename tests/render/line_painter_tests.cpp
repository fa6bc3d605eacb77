#include "render_test_support.h"
#include "render/fonts.h"
#include "render/line_painters.h"
#include "render/text_drawing.h"
#include "settings/options.h"

#include <memory>

using namespace render_testing;

namespace {

enum Font { A, R, Struck };
enum Column { First, Second };

// One line a layout should draw: its text, font, column and row (rows are one line high).
struct Line {
    const wchar_t* text;
    Font font;
    Column column;
    int row;
};

struct Layout {
    int painter;
    std::vector<Line> lines;
    int rows; // the height the painter returns, in lines
};

const RECT kBounds = {30, 40, 238, 0xFFFF};

class LinePainterTest : public RenderTest {
protected:
    // Runs a painter on an appointment and checks every drawn line against the expected ones.
    void expectLayout(const Layout& layout, AppointmentItem* item) {
        SCOPED_TRACE(testing::Message() << "painter " << layout.painter);
        Canvas canvas(240, 120);
        DrawTextRecorder recorder;
        int height = getPainterTable()[layout.painter](canvas.dc(), &kBounds, &item->line);
        int lineHeight = this->lineHeight();
        int secondColumn = kBounds.left + timeColumnWidth(canvas.dc()) + 5;
        const std::vector<DrawnText>& drawn = recorder.drawn();
        ASSERT_EQ(layout.lines.size(), drawn.size());
        for (size_t i = 0; i < drawn.size(); ++i) {
            const Line& line = layout.lines[i];
            EXPECT_EQ(line.text, drawn[i].text) << "line " << i;
            EXPECT_EQ(fontOf(line.font), drawn[i].font) << drawn[i].text;
            EXPECT_EQ(line.column == First ? kBounds.left : secondColumn, drawn[i].rect.left)
                << drawn[i].text;
            EXPECT_EQ(kBounds.right, drawn[i].rect.right) << drawn[i].text;
            EXPECT_EQ(kBounds.top + line.row * lineHeight, drawn[i].rect.top) << drawn[i].text;
        }
        EXPECT_EQ(layout.rows * lineHeight, height);
    }
    HFONT fontOf(Font font) {
        return font == A ? getAppointmentFont() : font == R ? getPlainFont() : getStruckFont();
    }
    int lineHeight() {
        Canvas canvas(1, 1);
        RECT rect = kBounds;
        SelectObject(canvas.dc(), getAppointmentFont());
        int bold = DrawTextW(canvas.dc(), L"Ag", -1, &rect, DT_CALCRECT | DT_SINGLELINE);
        SelectObject(canvas.dc(), getPlainFont());
        EXPECT_EQ(bold, DrawTextW(canvas.dc(), L"Ag", -1, &rect, DT_CALCRECT | DT_SINGLELINE))
            << "both fonts are one line high, so rows can be counted";
        return bold;
    }
    std::unique_ptr<AppointmentItem> review(const wchar_t* location, double start = 10,
                                            double end = 11) {
        return std::unique_ptr<AppointmentItem>(makeAppointment(L"Review", location, start, end));
    }
};

} // namespace

TEST_F(LinePainterTest, TheFourteenLayoutsComposeTheirLines) {
    const wchar_t* kTime = L"10:00AM-11:00AM";
    const Layout layouts[] = {
        {0, {{L"Review", A, First, 0}, {L"10:00AM-11:00AM (Lab)", R, First, 1}}, 2},
        {1, {{L"Lab: Review", A, First, 0}, {kTime, R, First, 1}}, 2},
        {2, {{L"10:00AM", R, First, 0}, {L"Review", A, Second, 0}, {L"Lab", R, Second, 1}}, 2},
        {3,
         {{L"10:00AM", R, First, 0},
          {L"Review", A, Second, 0},
          {L"11:00AM", R, First, 1},
          {L"Lab", R, Second, 1}},
         2},
        {4, {{kTime, A, First, 0}, {L"Review", R, First, 1}, {L"Lab", R, First, 2}}, 3},
        {5, {{L"Lab: 10:00AM-11:00AM", A, First, 0}, {L"Review", R, First, 1}}, 2},
        {6, {{L"10:00AM: Review", A, First, 0}, {L"Lab", R, First, 1}}, 2},
        {7, {{L"10:00AM-11:00AM: Review", A, First, 0}, {L"Lab", R, First, 1}}, 2},
        {8, {{L"10:00AM: Review", A, First, 0}}, 1},
        {9, {{L"10:00AM-11:00AM: Review", A, First, 0}}, 1},
        {10, {{kTime, A, First, 0}, {L"Review (Lab)", R, First, 1}}, 2},
        {11, {{kTime, A, First, 0}, {L"Lab: Review", R, First, 1}}, 2},
        {12, {{kTime, A, First, 0}, {L"Review", R, First, 1}}, 2},
        {13, {{kTime, A, First, 0}, {L"Lab", R, First, 1}}, 2},
    };
    ASSERT_EQ(14, getPainterCount());
    auto item = review(L"Lab");
    for (const Layout& layout : layouts)
        expectLayout(layout, item.get());
}

TEST_F(LinePainterTest, WithoutLocationTheLayoutsCloseUp) {
    const wchar_t* kTime = L"10:00AM-11:00AM";
    const Layout layouts[] = {
        {0, {{L"Review", A, First, 0}, {kTime, R, First, 1}}, 2},
        {1, {{L"Review", A, First, 0}, {kTime, R, First, 1}}, 2},
        {2, {{L"10:00AM", R, First, 0}, {L"Review", A, Second, 0}}, 1},
        {3, {{L"10:00AM", R, First, 0}, {L"Review", A, Second, 0}, {L"11:00AM", R, First, 1}}, 2},
        {4, {{kTime, A, First, 0}, {L"Review", R, First, 1}}, 2},
        {5, {{kTime, A, First, 0}, {L"Review", R, First, 1}}, 2},
        {6, {{L"10:00AM: Review", A, First, 0}}, 1},
        {10, {{kTime, A, First, 0}, {L"Review", R, First, 1}}, 2},
        {11, {{kTime, A, First, 0}, {L"Review", R, First, 1}}, 2},
        {13, {{kTime, A, First, 0}, {L"", R, First, 1}}, 2}, // an empty location still shows
    };
    auto item = review(L"");
    for (const Layout& layout : layouts)
        expectLayout(layout, item.get());

    auto noLocation = review(nullptr);
    for (int painter : {0, 1, 2, 3, 4, 5, 6, 7, 10, 11})
        expectLayout({painter, {}, 0}, noLocation.get());
    expectLayout({13, {{kTime, A, First, 0}}, 1}, noLocation.get());
    auto noSubject = std::unique_ptr<AppointmentItem>(makeAppointment(nullptr, L"Lab", 10, 11));
    expectLayout({12, {}, 0}, noSubject.get());
}

TEST_F(LinePainterTest, MultiDayAllDayAndStruckAppointments) {
    auto middle = review(L"", 0, 0);
    expectLayout({6, {{L"multiday: Review", A, First, 0}}, 1}, middle.get());
    expectLayout({9, {{L"multiday: Review", A, First, 0}}, 1}, middle.get());
    expectLayout({3, {{L"multiday", R, First, 0}, {L"Review", A, Second, 0}}, 1}, middle.get());
    auto first = review(L"", 10, 0);
    expectLayout({6, {{L"10:00AM: Review", A, First, 0}}, 1}, first.get());
    expectLayout({9, {{L"10:00AM-multiday: Review", A, First, 0}}, 1}, first.get());
    auto last = review(L"Lab", 0, 11);
    expectLayout({0, {{L"Review", A, First, 0}, {L"multiday-11:00AM (Lab)", R, First, 1}}, 2},
                 last.get());

    auto allDay = review(L"Lab", 0, 0);
    allDay->line.allDay = VARIANT_TRUE;
    for (int painter = 0; painter < 14; ++painter)
        expectLayout({painter, {{L"Review", A, First, 0}}, 1}, allDay.get());

    auto struck = review(L"Lab");
    struck->line.struck = kStruckDeleted;
    expectLayout(
        {0, {{L"Review", Struck, First, 0}, {L"10:00AM-11:00AM (Lab)", Struck, First, 1}}, 2},
        struck.get());
    expectLayout({3,
                  {{L"10:00AM", Struck, First, 0},
                   {L"Review", Struck, Second, 0},
                   {L"11:00AM", Struck, First, 1},
                   {L"Lab", Struck, Second, 1}},
                  2},
                 struck.get());
}

TEST_F(LinePainterTest, RightToLeftTwoColumnsMirrorInsteadOfOverlapping) {
    useRightToLeft(true);
    auto item = review(L"Lab");
    Canvas canvas(240, 120);
    DrawTextRecorder recorder;
    getPainterTable()[2](canvas.dc(), &kBounds, &item->line);
    int column = timeColumnWidth(canvas.dc());
    const std::vector<DrawnText>& drawn = recorder.drawn();
    ASSERT_EQ(3u, drawn.size());
    for (const DrawnText& line : drawn)
        EXPECT_TRUE(line.flags & DT_RIGHT) << line.text;
    EXPECT_EQ(kBounds.right, drawn[0].rect.right) << "the time column is on the right";
    EXPECT_EQ(kBounds.left, drawn[1].rect.left);
    EXPECT_EQ(kBounds.right - column - 5, drawn[1].rect.right) << "the subject ends before it";
    EXPECT_EQ(kBounds.right - column - 5, drawn[2].rect.right);
}

TEST_F(LinePainterTest, TheGapAboveFollowsThePlainFontThroughSizeChanges) {
    Canvas canvas(240, 200);
    auto first = review(L"");
    auto second =
        std::unique_ptr<AppointmentItem>(makeAppointment(L"Lunch", L"", 12, 13, first.get()));
    const RECT rect = {30, 40, 238, 320};
    for (float size : {8.5f, 14.0f, 8.5f}) {
        gOptions.AppointmentFontSize = size;
        second->Paint(nullptr, canvas.dc(), rect);
        EXPECT_EQ(rect.top + lineHeight() / 2, second->hitRect.top) << "at " << size << " points";
    }
}

TEST_F(LinePainterTest, PaintSetsOffLinesRecordsTheHitAreaAndWrapsOrCuts) {
    Canvas canvas(240, 200);
    auto allDay = review(L"", 0, 0);
    allDay->line.allDay = VARIANT_TRUE;
    auto secondAllDay =
        std::unique_ptr<AppointmentItem>(makeAppointment(L"Fair", L"", 0, 0, allDay.get()));
    secondAllDay->line.allDay = VARIANT_TRUE;
    auto timed = std::unique_ptr<AppointmentItem>(
        makeAppointment(L"A subject far too long for one line of the Today screen", L"", 10, 11,
                        secondAllDay.get()));
    int line = lineHeight();
    RECT rect = {30, 0, 238, 320};
    EXPECT_EQ(line, allDay->Paint(nullptr, canvas.dc(), rect)) << "the first of a day: no gap";
    EXPECT_EQ(rect.top, allDay->hitRect.top);
    rect.top = 13;
    EXPECT_EQ(line, secondAllDay->Paint(nullptr, canvas.dc(), rect)) << "all-day after all-day";

    rect.top = 26;
    DrawTextRecorder recorder;
    int height = timed->Paint(nullptr, canvas.dc(), rect);
    EXPECT_EQ(line / 2 + 2 * line, height) << "half a line above a timed appointment";
    EXPECT_EQ((RECT{30, 26 + line / 2, 238, 26 + line / 2 + 2 * line}), timed->hitRect);
    EXPECT_EQ(L"A subject far too long for one line of the Today screen",
              std::wstring(timed->line.subject))
        << "the item keeps its whole subject";
    ASSERT_FALSE(recorder.drawn().empty());
    std::wstring cut = recorder.drawn()[0].text;
    EXPECT_EQ(L"...", cut.substr(cut.size() - 3));
    rect.right = 2000;
    timed->Paint(nullptr, canvas.dc(), rect);
    EXPECT_EQ(timed->line.subject, recorder.drawn()[2].text) << "whole again where it fits";

    gOptions.WordWrap = TRUE;
    rect.right = 238;
    int wrapped = timed->Paint(nullptr, canvas.dc(), rect) - line / 2;
    EXPECT_GT(wrapped, 2 * line) << "the subject wraps onto further lines";
    EXPECT_EQ(timed->line.subject, recorder.drawn()[4].text);
    EXPECT_EQ(238 - GetSystemMetrics(SM_CXVSCROLL), recorder.drawn()[4].rect.right);
    EXPECT_EQ(238, timed->hitRect.right) << "the hit area keeps the full width";
    useRightToLeft(true);
    timed->Paint(nullptr, canvas.dc(), rect);
    EXPECT_EQ(30 + GetSystemMetrics(SM_CXVSCROLL), recorder.drawn()[6].rect.left);
}
