// Driving the real options sheet while its modal loop runs: actions on thread timers, the way a
// user's taps arrive, and pictures of windows read back pixel by pixel.
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

namespace options_testing {

// Runs action every 10 ms (from whatever message loop is running) until it returns true. An
// action that itself enters a modal loop is not entered again meanwhile.
void whenReady(std::function<bool()> action);

// The open options sheet of this thread, or null.
HWND findSheet();
// The open colour strip of this thread, or null.
HWND findColourStrip();

// Opens the options as the Today screen's settings do (dialog 500, CustomItemOptionsDlgProc)
// over owner, runs whileOpen with the sheet once it shows, then taps the done button. Returns
// when the sheet has closed. A sheet still open after 20 s is closed, failing the test.
void runOptionsSheet(HWND owner, std::function<void(HWND sheet)> whileOpen);
// Selects a page as a tap on its tab does and returns it.
HWND showPage(HWND sheet, int index);

// A tap (stylus down and up) at a point of a window's client area.
void tap(HWND window, int x, int y);
// A key press sent to a control that has the focus.
void pressKey(HWND control, UINT key);

// The window's client area as it paints itself (WM_ERASEBKGND, WM_PRINTCLIENT), row by row.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Picture printWindow(HWND window);

} // namespace options_testing
