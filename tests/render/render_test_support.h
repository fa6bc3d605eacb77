// Real GDI for the rendering tests: memory canvases read back pixel by pixel, a Today screen
// parent that answers colours and draws a watermark, and recorders of the GDI calls the item's
// code makes (through this program's import table, so the item's code stays as it ships).
#pragma once
#include "agenda/agenda_item.h"
#include "agenda/agenda_items.h"
#include "settings/options.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <vector>

inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const RECT& rect, std::ostream* out) {
    *out << "(" << rect.left << ", " << rect.top << ")-(" << rect.right << ", " << rect.bottom
         << ")";
}

namespace render_testing {

// A 32-bit top-down DIB section selected into a memory DC, filled with one colour.
class Canvas {
public:
    Canvas(int width, int height, COLORREF background = RGB(255, 255, 255));
    ~Canvas();
    HDC dc() const { return dc_; }
    COLORREF pixel(int x, int y) const;
    COLORREF background() const { return background_; }
    // Pixels in [left, right) x [top, bottom) that differ from the background.
    int inkIn(int left, int top, int right, int bottom) const;
    // The bounding box of the ink in a region; empty (all 0) when there is none.
    RECT inkBounds(const RECT& region) const;
    bool sameAs(const Canvas& other) const;
    bool sameAs(const Canvas& other, const RECT& region) const;

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
    DWORD* bits_;
    int width_, height_;
    COLORREF background_;
};

// The Today screen's window: answers TODAYM_GETCOLOR and fills TODAYM_DRAWWATERMARK with
// kWatermark. Its child is the item window the painting code is given.
const COLORREF kText = RGB(10, 20, 30);
const COLORREF kHighlight = RGB(0, 0, 160);
const COLORREF kHighlightedText = RGB(250, 250, 240);
const COLORREF kHeadingRule = RGB(0, 128, 0);
const COLORREF kWatermark = RGB(255, 255, 255);

class TodayScreen {
public:
    // The item window: width x height at (0, top) of a parent as large as the device's screen.
    TodayScreen(int width, int height, int top = 0);
    ~TodayScreen();
    HWND item() const { return item_; }
    int messages(UINT message) const;
    RECT lastWatermarkRect() const { return watermarkRect_; }

private:
    static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND parent_;
    HWND item_;
    std::vector<UINT> messages_;
    RECT watermarkRect_;
};

// One DrawTextW call that drew (DT_CALCRECT measurements are left out).
struct DrawnText {
    std::wstring text;
    RECT rect;
    UINT flags;
    HFONT font;
    int result;
};

// Records the DrawTextW calls made while it lives.
class DrawTextRecorder {
public:
    DrawTextRecorder();
    ~DrawTextRecorder();
    const std::vector<DrawnText>& drawn() const { return drawn_; }
    int measurements() const { return measurements_; }
    // SelectObject calls with a font, those that put one back included.
    int fontSelections() const { return fontSelections_; }

    // Stand in for DrawTextW and SelectObject in the import table.
    static int WINAPI Record(HDC dc, LPCWSTR text, int count, RECT* rect, UINT flags);
    static HGDIOBJ WINAPI RecordSelection(HDC dc, HGDIOBJ object);

private:
    std::vector<DrawnText> drawn_;
    int measurements_;
    int fontSelections_;
};

// Follows every GDI object and DC the code creates while it lives, and which of them were deleted
// again.
class GdiTracker {
public:
    GdiTracker();
    ~GdiTracker();
    size_t live() const { return live_.size(); }
    int created(const char* function) const;

    void noteCreated(HANDLE handle, const char* function);
    void noteDeleted(HANDLE handle);

private:
    std::set<HANDLE> live_;
    std::vector<std::string> creations_;
};

// Every test starts from empty drawing caches on a QVGA, English, left-to-right device with the
// library's own icons and strings, and leaves the options as it found them.
class RenderTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Screen kind and reading order; caches that depend on them are emptied.
    void useScreen(bool vga);
    void useRightToLeft(bool rightToLeft);

    Options savedOptions_;
};

// An appointment of day 46000 (a weekday in 2025) with the times as fractions of that day; a
// time of 0 stands for "not on this day". Texts are formatted as the agenda builder does.
AppointmentItem* makeAppointment(const wchar_t* subject, const wchar_t* location, double startHour,
                                 double endHour, AppointmentItem* previous = nullptr);
const double kDay = 46000;

} // namespace render_testing
