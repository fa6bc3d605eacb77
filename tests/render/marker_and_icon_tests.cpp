#include "render_test_support.h"
#include "host/host_state.h"
#include "render/markers.h"
#include "settings/options.h"

#include <memory>

using namespace render_testing;

namespace {

const COLORREF kFree = RGB(200, 255, 200);
const COLORREF kTentative = RGB(60, 255, 255);
const COLORREF kConflict = RGB(227, 60, 60);

class MarkerTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        gOptions.FreeColor = kFree;
        gOptions.TentativeColor = kTentative;
        gOptions.ConflictColor = kConflict;
    }
    // The marker of an appointment whose lines took (left, 40)-(226, 53): its fill colour, or
    // the background when none was drawn.
    COLORREF markerOf(LONG busyStatus, int conflict, int left = 30) {
        Canvas canvas(240, 80);
        auto item = std::unique_ptr<AppointmentItem>(makeAppointment(L"Review", L"", 10, 11));
        item->line.busyStatus = busyStatus;
        item->conflict = conflict;
        item->hitRect = RECT{left, 40, 226, 53};
        drawBusyMarker(today.item(), canvas.dc(), item.get());
        drawn = canvas.inkBounds(RECT{0, 0, 240, 80});
        if (drawn.right == 0)
            return canvas.background();
        edge = canvas.pixel(drawn.left, 45);
        return canvas.pixel(drawn.left + 1, 45);
    }
    TodayScreen today{240, 100};
    RECT drawn = {};
    COLORREF edge = 0;
};

// The same icon drawn by the platform straight from the resource, at its small size.
void drawReferenceIcon(HDC dc, int id, int x, int y) {
    int size = GetSystemMetrics(SM_CXSMICON);
    HICON icon = static_cast<HICON>(
        LoadImageW(gHost.moduleInstance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
    ASSERT_NE(nullptr, icon) << "icon " << id;
    DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
}

class IconTest : public RenderTest {};

} // namespace

TEST_F(MarkerTest, TheKindOfAppointmentChoosesTheColour) {
    EXPECT_EQ(kFree, markerOf(0, 0));
    EXPECT_EQ((RECT{24, 41, 28, 51}), drawn) << "2u wide, ending u left of the text";
    EXPECT_EQ(kText, edge) << "outlined in the Today text colour";
    EXPECT_EQ(kTentative, markerOf(1, 0));
    EXPECT_EQ(kTentative, markerOf(3, 0)) << "out of office counts as tentative";
    EXPECT_EQ(kConflict, markerOf(2, 1)) << "a conflict shows even when busy";
    EXPECT_EQ(kConflict, markerOf(0, 1));
    EXPECT_EQ(RGB(255, 255, 255), markerOf(2, 0)) << "busy: no marker";
    EXPECT_EQ((RECT{0, 0, 0, 0}), drawn);

    gOptions.FreeColor = ColorNone;
    markerOf(0, 0);
    EXPECT_EQ((RECT{0, 0, 0, 0}), drawn) << "ColorNone switches free markers off";
    gOptions.FreeColor = RGB(0, 90, 0);
    EXPECT_EQ(RGB(0, 90, 0), markerOf(0, 0)) << "a new colour shows at the next paint";

    useScreen(true);
    markerOf(0, 0, 55);
    EXPECT_EQ((RECT{43, 41, 51, 51}), drawn) << "indent 55 with 32-pixel icons";
}

TEST_F(MarkerTest, AllDayAppointmentsAreNeverMarked) {
    Canvas canvas(240, 80);
    auto item = std::unique_ptr<AppointmentItem>(makeAppointment(L"Fair", L"", 0, 0));
    item->line.allDay = VARIANT_TRUE;
    item->conflict = 1;
    item->Paint(today.item(), canvas.dc(), RECT{30, 40, 238, 80});
    EXPECT_EQ(0, canvas.inkIn(0, 0, 30, 80));
    item->line.allDay = VARIANT_FALSE;
    item->Paint(today.item(), canvas.dc(), RECT{30, 40, 238, 80});
    EXPECT_EQ(kConflict, canvas.pixel(25, 45));
}

TEST_F(IconTest, IconsLookAsThePlatformDrawsThemOverAnyBackground) {
    for (bool vga : {false, true}) {
        useScreen(vga);
        int u = GetSystemMetrics(SM_CXSMICON) / 8;
        for (int frame : {0, 1}) {
            SCOPED_TRACE(testing::Message() << (vga ? "VGA" : "QVGA") << " frame " << frame);
            Canvas drawn(60, 60, RGB(255, 0, 255)), expected(60, 60, RGB(255, 0, 255));
            drawItemIcon(drawn.dc(), frame);
            drawReferenceIcon(expected.dc(), frame ? 113 : 128, u, u);
            EXPECT_TRUE(drawn.sameAs(expected));
            EXPECT_GT(drawn.inkIn(0, 0, 60, 60), 0);
            EXPECT_EQ(0, drawn.inkIn(0, 0, 60, u) + drawn.inkIn(0, 0, u, 60)) << "at (u, u)";
        }
    }
    Canvas frame0(60, 60), frame1(60, 60);
    drawItemIcon(frame0.dc(), 0);
    drawItemIcon(frame1.dc(), 1);
    EXPECT_FALSE(frame0.sameAs(frame1)) << "the two frames are two pictures";
}

TEST_F(IconTest, AnIconThatCannotBeLoadedDrawsNothing) {
    IconImage* missing = makeIconImage(gHost.moduleInstance, 999);
    ASSERT_NE(nullptr, missing);
    EXPECT_EQ(nullptr, missing->image);
    EXPECT_EQ(nullptr, missing->mask);
    Canvas canvas(20, 20);
    drawIconImage(missing, canvas.dc(), 0, 0);
    EXPECT_EQ(0, canvas.inkIn(0, 0, 20, 20));
    delete missing;
}
