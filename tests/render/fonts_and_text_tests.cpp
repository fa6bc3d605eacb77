#include "render_test_support.h"
#include "render/drawing_caches.h"
#include "render/fonts.h"
#include "render/gdi_scope.h"
#include "render/paint_selection.h"
#include "render/text_drawing.h"
#include "settings/options.h"

#include <device.h>

#include <set>
#include <string>

using namespace render_testing;

namespace {

LOGFONTW describe(HFONT font) {
    LOGFONTW description = {};
    GetObjectW(font, sizeof description, &description);
    return description;
}

int textWidth(HDC dc, const wchar_t* text) {
    RECT rect = {0, 0, 999, 999};
    DrawTextW(dc, text, -1, &rect, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return rect.right;
}

// What drawTextEllipsis draws of text in a rectangle width pixels wide.
std::wstring drawnWithin(HDC dc, const wchar_t* text, int width, UINT flags) {
    DrawTextRecorder recorder;
    RECT rect = {0, 0, width, 40};
    drawTextEllipsis(dc, text, -1, &rect, flags);
    return recorder.drawn().empty() ? L"(nothing)" : recorder.drawn().back().text;
}

class FontTest : public RenderTest {};
class TextTest : public RenderTest {};

} // namespace

TEST_F(FontTest, PointSizesBecomeCharacterHeightsAtTheScreensDpi) {
    const struct {
        float points;
        LONG height;
    } qvga[] = {{5.5f, -7}, {8, -10}, {8.5f, -11}, {9, -12}, {10, -13}, {11, -14}};
    for (const auto& size : qvga)
        EXPECT_EQ(size.height, pointsToHeight(size.points)) << size.points << " pt at 96 dpi";
    useScreen(true);
    EXPECT_EQ(-22, pointsToHeight(8.5f)) << "192 dpi";
    EXPECT_EQ(-29, pointsToHeight(11));
    EXPECT_EQ(-22, describe(getPlainFont()).lfHeight) << "the fonts follow the dpi";

    useScreen(false);
    Canvas canvas(10, 10);
    ScopedSelectObject font(canvas.dc(), getPlainFont());
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(canvas.dc(), LF_FACESIZE, face);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(canvas.dc(), &metrics);
    EXPECT_STREQ(L"Tahoma", face) << "the real Tahoma, not a substitute";
    EXPECT_EQ(13, metrics.tmHeight);
}

TEST_F(FontTest, FontsAreRemadeOnlyForTheOptionsThatChanged) {
    HFONT plain = getPlainFont(), appointment = getAppointmentFont(), struck = getStruckFont();
    HFONT date = getDateFont();
    EXPECT_EQ(plain, getPlainFont()) << "no option changed: the same handles";
    EXPECT_EQ(date, getDateFont());
    EXPECT_EQ(FW_BOLD, describe(appointment).lfWeight);
    EXPECT_EQ(FW_NORMAL, describe(struck).lfWeight) << "struck lines are never bold";
    EXPECT_TRUE(describe(struck).lfStrikeOut);
    EXPECT_STREQ(L"Tahoma", describe(date).lfFaceName);

    gOptions.DateFontBold = FALSE;
    EXPECT_NE(date, getDateFont());
    EXPECT_EQ(FW_NORMAL, describe(getDateFont()).lfWeight);
    EXPECT_EQ(plain, getPlainFont()) << "a date option leaves the appointment fonts alone";
    EXPECT_EQ(appointment, getAppointmentFont());
    EXPECT_EQ(struck, getStruckFont());

    Canvas canvas(10, 10);
    ASSERT_GT(timeColumnWidth(canvas.dc()), 0);
    date = getDateFont();
    gOptions.AppointmentFontSize = 10;
    EXPECT_NE(plain, getPlainFont());
    EXPECT_EQ(-13, describe(getPlainFont()).lfHeight);
    EXPECT_EQ(-13, describe(getAppointmentFont()).lfHeight);
    EXPECT_EQ(-13, describe(getStruckFont()).lfHeight);
    EXPECT_EQ(date, getDateFont()) << "the date font keeps its own size";
    EXPECT_EQ(-11, describe(date).lfHeight);
    EXPECT_EQ(0, gFontCache.cachedTimeColumnWidth) << "measured with the old font";

    gOptions.AppointmentFontBold = FALSE;
    EXPECT_NE(getPlainFont(), getAppointmentFont()) << "two handles with one description";
    EXPECT_EQ(FW_NORMAL, describe(getAppointmentFont()).lfWeight);

    releaseDrawingCaches();
    EXPECT_EQ(nullptr, gFontCache.plainFont);
    EXPECT_EQ(-13, describe(getPlainFont()).lfHeight) << "made again from the same options";
    EXPECT_NE(nullptr, gFontCache.dateFont);
}

TEST_F(FontTest, FontsRemadeWhileAPaintHasOneSelectedAreDeletedOnlyWhenThePaintEnds) {
    Canvas canvas(10, 10);
    GdiTracker tracker;
    HFONT plain = getPlainFont();
    ASSERT_EQ(4u, tracker.live());
    {
        PaintSelection selection(canvas.dc());
        selection.font(plain);
        gOptions.AppointmentFontSize = 10; // as the loader thread sees a changed option
        EXPECT_NE(plain, getPlainFont());
        EXPECT_EQ(7u, tracker.live())
            << "the three old appointment fonts wait: the paint may still have them selected";
    }
    EXPECT_EQ(4u, tracker.live()) << "the last paint to end deletes them";
}

TEST_F(TextTest, LineFlagsFollowWordWrapAndReadingOrder) {
    gOptions.WordWrap = TRUE;
    EXPECT_EQ(0x8810u, lineTextFlags());
    gOptions.WordWrap = FALSE;
    EXPECT_EQ(0x8820u, lineTextFlags());
    useRightToLeft(true);
    EXPECT_EQ(0x28822u, lineTextFlags()) << "right-aligned, read from the right";
    gOptions.WordWrap = TRUE;
    EXPECT_EQ(0x28812u, lineTextFlags());
}

TEST_F(TextTest, ATooWideLineIsCutStepByStepOnACopy) {
    Canvas canvas(300, 40);
    ScopedSelectObject font(canvas.dc(), getPlainFont());
    HDC dc = canvas.dc();
    wchar_t text[] = L"Abcdefghij";
    const UINT kSingle = 0x8820;
    EXPECT_EQ(L"Abcdefghij", drawnWithin(dc, text, textWidth(dc, text), kSingle));
    EXPECT_EQ(L"Abcdef...", drawnWithin(dc, text, textWidth(dc, L"Abcdef..."), kSingle))
        << "the first step keeps length - 4 characters";
    EXPECT_EQ(L"Abcde...", drawnWithin(dc, text, textWidth(dc, L"Abcdef...") - 1, kSingle));
    EXPECT_EQ(L"A...", drawnWithin(dc, text, 1, kSingle)) << "never fewer than one character";
    EXPECT_STREQ(L"Abcdefghij", text) << "the caller's text stays whole";
    EXPECT_EQ(L"Abcd", drawnWithin(dc, L"Abcd", 1, kSingle)) << "four characters are never cut";
    EXPECT_EQ(L"Abcdefghij", drawnWithin(dc, text, 1, 0x8810)) << "word wrap does not cut";

    DrawTextRecorder recorder;
    RECT rect = {0, 0, 20, 40};
    drawTextEllipsis(dc, text, -1, &rect, kSingle);
    ASSERT_EQ(1u, recorder.drawn().size());
    EXPECT_EQ(0u, recorder.drawn()[0].flags & DT_END_ELLIPSIS)
        << "the platform's own ellipsis would cut differently";
}

TEST_F(TextTest, TimesAreShortLocalisedAndNeverGarbage) {
    wchar_t text[40];
    formatTime(0.5, text, 40);
    EXPECT_STREQ(L"12:00PM", text);
    formatTime(0, text, 40);
    EXPECT_STREQ(L"multiday", text) << "string 11 of the library";
    formatTime(1e12, text, 40);
    EXPECT_STREQ(L"", text) << "a date the platform cannot convert";

    DeviceSetLocale(0x0407, 0x0407);
    formatTime(kDay + 13.5 / 24, text, 40);
    EXPECT_STREQ(L"13:30", text) << "the device's locale, not the host's";
    SYSTEMTIME december = {2026, 12, 2, 8, 9, 0, 0, 0};
    GetDateFormatW(LOCALE_USER_DEFAULT, 0, &december, L"MMMM", text, 40);
    EXPECT_STREQ(L"Dezember", text);
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME, text, 40);
    EXPECT_STREQ(L"DEU", text);

    wchar_t spaced[] = L"a  b c ";
    removeSpaces(spaced);
    EXPECT_STREQ(L"abc", spaced);
    wchar_t single[] = L" x ";
    removeSpaces(single);
    EXPECT_STREQ(L"x", single);
}

// Tahoma has no Hebrew of its own: without the letters the device's fonts carry, every one of them
// would be the same empty box.
TEST_F(TextTest, HebrewLettersHaveGlyphsOfTheirOwnInBothWeights) {
    const wchar_t kLetters[] = L"אבגדהוזחטיכלמנסעפצקרשת";
    for (int weight : {FW_NORMAL, FW_BOLD}) {
        ScopedGdiObject font(
            CreateFontW(-11, 0, 0, 0, weight, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, L"Tahoma"));
        std::set<std::wstring> shapes;
        for (const wchar_t* letter = kLetters; *letter; ++letter) {
            Canvas canvas(16, 16);
            ScopedSelectObject select(canvas.dc(), font.get());
            RECT rect = {0, 0, 16, 16};
            DrawTextW(canvas.dc(), letter, 1, &rect, DT_SINGLELINE | DT_NOPREFIX);
            // Letters are drawn smoothed: a shape is its pixels' shades, not only where ink is.
            std::wstring shape;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    shape += static_cast<wchar_t>(L'A' + GetGValue(canvas.pixel(x, y)) / 16);
            EXPECT_GT(canvas.inkIn(0, 0, 16, 16), 0) << "letter U+" << std::hex << int(*letter);
            shapes.insert(shape);
        }
        EXPECT_EQ(wcslen(kLetters), shapes.size())
            << "every letter has a shape of its own at weight " << weight;
    }
}

// The device's Tahoma Bold is bold at every size, not only at the small sizes it has bitmaps for:
// at VGA sizes too a bold text has clearly more ink than the same text in the regular weight.
TEST_F(FontTest, BoldTextIsBoldAtEverySize) {
    const wchar_t kSample[] = L"Wednesday, 9 December: Project review";
    for (int height : {11, 13, 17, 22, 29}) {
        int ink[2] = {};
        for (int bold : {0, 1}) {
            ScopedGdiObject font(CreateFontW(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0,
                                             ANSI_CHARSET, 0, 0, 0, 0, L"Tahoma"));
            Canvas canvas(800, 50);
            ScopedSelectObject select(canvas.dc(), font.get());
            RECT rect = {0, 0, 800, 50};
            DrawTextW(canvas.dc(), kSample, -1, &rect, DT_SINGLELINE | DT_NOPREFIX);
            ink[bold] = canvas.inkIn(0, 0, 800, 50);
        }
        EXPECT_GT(ink[1] * 4, ink[0] * 5)
            << height << " pixels: bold " << ink[1] << " inked pixels against regular " << ink[0];
    }
}

TEST_F(TextTest, TheTimeColumnIsMeasuredOncePerAppointmentFont) {
    Canvas canvas(10, 10);
    int width = timeColumnWidth(canvas.dc());
    {
        ScopedSelectObject font(canvas.dc(), getPlainFont());
        int sample = textWidth(canvas.dc(), L"11:59PM");
        int multiday = textWidth(canvas.dc(), L"multiday");
        EXPECT_EQ(sample > multiday ? sample : multiday, width);
    }
    DrawTextRecorder recorder;
    EXPECT_EQ(width, timeColumnWidth(canvas.dc()));
    EXPECT_EQ(0, recorder.measurements()) << "cached";
    gOptions.AppointmentFontSize = 12;
    EXPECT_GT(timeColumnWidth(canvas.dc()), width) << "measured again in the larger font";
}

TEST_F(TextTest, TheScratchBufferOnlyGrows) {
    WCHAR* fifty = getScratchBuffer(50);
    ASSERT_NE(nullptr, fifty);
    EXPECT_EQ(fifty, getScratchBuffer(10));
    EXPECT_EQ(fifty, getScratchBuffer(50));
    WCHAR* larger = getScratchBuffer(51);
    ASSERT_NE(nullptr, larger);
    larger[50] = L'x'; // the whole request is usable
    releaseScratchBuffer();
    EXPECT_NE(nullptr, getScratchBuffer(1));
}
