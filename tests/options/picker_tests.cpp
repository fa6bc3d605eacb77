// The colour strip that a touch on a marker swatch opens: its shape, its cells, choosing,
// cancelling, and its local message loop.
#include "options_fixture.h"

#include "options/marker_picker.h"

using namespace options_testing;

namespace {

const int kCell = 11;

// A swatch 10 by 11 pixels at x on a window at the screen's top left corner.
class PickerTest : public OptionsTest {
protected:
    HWND makeSwatch(int x) {
        HWND swatch = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, x, 40, 10, kCell,
                                      owner_.hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
        ShowWindow(owner_.hwnd(), SW_SHOW);
        return swatch;
    }
    // Runs pickColor while whileOpen acts on the strip once it shows.
    COLORREF pick(HWND swatch, COLORREF colour, std::function<void(HWND strip)> whileOpen) {
        bool shown = false;
        whenReady([&]() {
            HWND strip = findColourStrip();
            if (strip) {
                shown = true;
                whileOpen(strip);
            }
            return strip != nullptr;
        });
        COLORREF chosen = pickColor(swatch, colour);
        EXPECT_TRUE(shown) << "the strip showed";
        EXPECT_EQ(nullptr, findColourStrip()) << "the strip is gone when pickColor returns";
        return chosen;
    }
    static SIZE clientSize(HWND window) {
        RECT client;
        GetClientRect(window, &client);
        return SIZE{client.right, client.bottom};
    }
};

bool cellIsFramed(const Picture& picture, int column, int row) {
    int border = GetSystemMetrics(SM_CYBORDER);
    return picture.at(column * kCell + border, row * kCell + border) ==
           GetSysColor(COLOR_HIGHLIGHT);
}

} // namespace

TEST_F(PickerTest, TheStripIsOneRowBesideTheSwatchWhenItFitsOnTheScreen) {
    HWND swatch = makeSwatch(20);
    POINT origin = {0, 0};
    ClientToScreen(swatch, &origin);
    int border = GetSystemMetrics(SM_CXBORDER);
    pick(swatch, 0x00FFFFFF, [&](HWND strip) {
        SIZE size = clientSize(strip);
        EXPECT_EQ(12 * kCell, size.cx) << "twelve cells as high as the swatch";
        EXPECT_EQ(kCell, size.cy);
        RECT frame;
        GetWindowRect(strip, &frame);
        EXPECT_EQ(origin.x + 10, frame.left) << "against the swatch's right edge";
        EXPECT_EQ(origin.y - border, frame.top) << "cells level with the swatch";
        EXPECT_EQ(12 * kCell + 2 * border, frame.right - frame.left);
        tap(strip, 4 * kCell + 3, 3);
    });
}

TEST_F(PickerTest, TheStripFoldsIntoTwoRowsAtTheScreensRightEdge) {
    HWND swatch = makeSwatch(240 - 10 - 12 * kCell + 1);
    COLORREF chosen = pick(swatch, 0x00FFFFFF, [&](HWND strip) {
        SIZE size = clientSize(strip);
        EXPECT_EQ(6 * kCell, size.cx) << "two rows of six";
        EXPECT_EQ(2 * kCell, size.cy);
        tap(strip, 3, kCell + 3);
    });
    EXPECT_EQ(MarkerPalette[6], chosen) << "the second row starts with cell 6";
}

TEST_F(PickerTest, TouchingACellChoosesItsColour) {
    HWND swatch = makeSwatch(20);
    EXPECT_EQ(MarkerPalette[4],
              pick(swatch, 0x00FFFFFF, [](HWND strip) { tap(strip, 4 * kCell + 5, 5); }));
    EXPECT_EQ(ColorNone, pick(swatch, 0x00FFFFFF, [](HWND strip) { tap(strip, 0, 0); }))
        << "cell 0 is no colour";
    EXPECT_EQ(MarkerPalette[11], pick(swatch, 0x00FFFFFF,
                                      [](HWND strip) {
                                          SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON,
                                                       MAKELPARAM(500, 3));
                                      }))
        << "a touch beyond the last cell chooses the last";
}

TEST_F(PickerTest, TouchingElsewhereClosesTheStripWithoutAChange) {
    HWND swatch = makeSwatch(20);
    testing_support::TestWindow elsewhere;
    ShowWindow(elsewhere.hwnd(), SW_SHOW);
    COLORREF chosen = pick(swatch, 0x003C3CE3, [&](HWND strip) {
        EXPECT_EQ(strip, GetFocus()) << "the strip has the focus while it shows";
        SetFocus(elsewhere.hwnd());
    });
    EXPECT_EQ(0x003C3CE3u, chosen);
}

TEST_F(PickerTest, TheCurrentColoursCellIsFramed) {
    HWND swatch = makeSwatch(20);
    pick(swatch, MarkerPalette[9], [](HWND strip) {
        Picture picture = printWindow(strip);
        for (int cell = 0; cell < 12; ++cell)
            EXPECT_EQ(cell == 9, cellIsFramed(picture, cell, 0)) << "cell " << cell;
        EXPECT_EQ(MarkerPalette[9], picture.at(9 * kCell + kCell / 2, kCell / 2) & 0xFFFFFF)
            << "filled with its colour";
        SetFocus(nullptr);
    });
    pick(swatch, RGB(1, 2, 3), [](HWND strip) {
        Picture picture = printWindow(strip);
        for (int cell = 0; cell < 12; ++cell)
            EXPECT_FALSE(cellIsFramed(picture, cell, 0))
                << "a colour outside the palette frames no cell (" << cell << ")";
        tap(strip, 5, 5);
    });
}

TEST_F(PickerTest, AQuitMessageEndsTheStripAndIsPutBackForTheProgramsLoop) {
    HWND swatch = makeSwatch(20);
    COLORREF chosen = pick(swatch, 0x00FFFF3C, [](HWND) { PostQuitMessage(7); });
    EXPECT_EQ(0x00FFFF3Cu, chosen) << "quitting chooses nothing";
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        << "WM_QUIT is in the queue again";
    EXPECT_EQ(7u, message.wParam) << "with its exit code";
}

TEST_F(PickerTest, ASwatchWithoutHeightOpensNoStrip) {
    HWND swatch = makeSwatch(20);
    SetWindowPos(swatch, nullptr, 0, 0, 10, 0, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(0x00FFFFFFu, pickColor(swatch, 0x00FFFFFF));
    EXPECT_EQ(nullptr, findColourStrip());
}
