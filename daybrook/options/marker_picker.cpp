#include "marker_picker.h"
#include "../host/host_state.h"
#include "../render/gdi_scope.h"
#include "../resources/options_ids.h"
#include "../settings/options.h"

const COLORREF MarkerPalette[kMarkerPaletteSize] = {
    ColorNone,  0x00FFFFFF, 0x00FF3C3C, 0x00FFB73C, 0x00FFFF3C, 0x003CFF3C,
    0x003CFFB4, 0x003CFFFF, 0x003CBEF3, 0x003C3CE3, 0x00C83CED, 0x00FF3CFF,
};

namespace {

const int kStripColumns = 12;
const int kTwoRowColumns = 6;

// Lives on pickColor's stack for as long as the strip exists.
struct PickerState {
    COLORREF colour;
    int cell;
};

COLORREF* swatchField(HWND swatch) {
    switch (GetDlgCtrlID(swatch)) {
    case IDC_FREE_SWATCH: return &gOptions.FreeColor;
    case IDC_TENTATIVE_SWATCH: return &gOptions.TentativeColor;
    case IDC_CONFLICT_SWATCH: return &gOptions.ConflictColor;
    }
    return nullptr;
}

COLORREF swatchColour(HWND swatch) {
    const COLORREF* field = swatchField(swatch);
    return field ? *field : ColorNone;
}

void paintSwatch(HWND swatch, HDC dc) {
    RECT client;
    GetClientRect(swatch, &client);
    drawSwatch(dc, client, swatchColour(swatch), false);
}

LRESULT onSwatchPaint(HWND swatch) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(swatch, &paint);
    paintSwatch(swatch, dc);
    EndPaint(swatch, &paint);
    return 0;
}

// The colour is taken at the touch itself, not at its release.
LRESULT onSwatchTouch(HWND swatch) {
    COLORREF chosen = pickColor(swatch, swatchColour(swatch));
    if (COLORREF* field = swatchField(swatch))
        *field = chosen;
    InvalidateRect(swatch, nullptr, TRUE);
    return 0;
}

LRESULT callPreviousSwatchProc(HWND swatch, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(swatch, GWLP_USERDATA));
    return previous ? CallWindowProcW(previous, swatch, message, wParam, lParam)
                    : DefWindowProcW(swatch, message, wParam, lParam);
}

PickerState* pickerStateOf(HWND popup) {
    return reinterpret_cast<PickerState*>(GetWindowLongPtrW(popup, GWLP_USERDATA));
}

void paintStrip(HWND popup, HDC dc) {
    const PickerState* state = pickerStateOf(popup);
    if (!state)
        return;
    RECT client;
    GetClientRect(popup, &client);
    RECT cell = {0, 0, state->cell, state->cell};
    for (COLORREF entry : MarkerPalette) {
        drawSwatch(dc, cell, entry, entry == state->colour);
        OffsetRect(&cell, state->cell, 0);
        if (cell.left >= client.right)
            SetRect(&cell, 0, cell.top + state->cell, state->cell, cell.bottom + state->cell);
    }
}

LRESULT onPickerPaint(HWND popup) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(popup, &paint);
    paintStrip(popup, dc);
    EndPaint(popup, &paint);
    return 0;
}

// Cells are numbered along rows of six, so a touch beyond the last cell chooses the last one.
LRESULT onPickerTouch(HWND popup, LPARAM lParam) {
    if (PickerState* state = pickerStateOf(popup)) {
        int x = LOWORD(lParam);
        int y = HIWORD(lParam);
        int index = x / state->cell + kTwoRowColumns * (y / state->cell);
        if (index >= kMarkerPaletteSize)
            index = kMarkerPaletteSize - 1;
        state->colour = MarkerPalette[index];
    }
    DestroyWindow(popup);
    return 0;
}

// Touching anywhere else takes the focus away: the strip closes without a change.
LRESULT onPickerKillFocus(HWND popup, WPARAM wParam, LPARAM lParam) {
    DestroyWindow(popup);
    return DefWindowProcW(popup, WM_KILLFOCUS, wParam, lParam);
}

HWND createStrip(HWND swatch, PickerState* state) {
    RECT client;
    GetClientRect(swatch, &client);
    POINT origin = {0, 0};
    ClientToScreen(swatch, &origin);
    int border = GetSystemMetrics(SM_CXBORDER);
    int width = kStripColumns * state->cell;
    int height = state->cell;
    // A strip that would leave the screen on the right folds into two rows of six.
    if (origin.x + client.right + kStripColumns * state->cell > GetSystemMetrics(SM_CXSCREEN)) {
        width = kTwoRowColumns * state->cell;
        height = 2 * state->cell;
    }
    HWND popup = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_BORDER, origin.x + client.right,
                                 origin.y - border, width + 2 * border, height + 2 * border,
                                 nullptr, nullptr, gHost.moduleInstance, nullptr);
    if (!popup)
        return nullptr;
    SetWindowLongPtrW(popup, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    SetWindowLongPtrW(popup, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pickerWindowProc));
    return popup;
}

// Dispatches this thread's messages until the strip is gone. The strip is checked before each
// fetch, so that no message is taken from the queue and then dropped; a WM_QUIT is put back for
// the loop that owns it.
void runStrip(HWND popup) {
    MSG message;
    while (IsWindow(popup)) {
        BOOL result = GetMessageW(&message, nullptr, 0, 0);
        if (result == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (result == -1)
            return;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace

void installSwatch(HWND swatch) {
    if (!swatch)
        return;
    SetWindowLongPtrW(swatch, GWLP_USERDATA, GetWindowLongPtrW(swatch, GWLP_WNDPROC));
    SetWindowLongPtrW(swatch, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(swatchWindowProc));
}

LRESULT CALLBACK swatchWindowProc(HWND swatch, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: return onSwatchPaint(swatch);
    case WM_PRINTCLIENT: return paintSwatch(swatch, reinterpret_cast<HDC>(wParam)), 0;
    // A static control is transparent to the stylus; a swatch must receive its touch.
    case WM_NCHITTEST: return HTCLIENT;
    case WM_LBUTTONDOWN: return onSwatchTouch(swatch);
    }
    return callPreviousSwatchProc(swatch, message, wParam, lParam);
}

COLORREF pickColor(HWND swatch, COLORREF colour) {
    RECT client;
    GetClientRect(swatch, &client);
    PickerState state = {colour, client.bottom};
    // A swatch without height has no cells to show (and none to divide a touch by).
    if (state.cell <= 0)
        return colour;
    HWND popup = createStrip(swatch, &state);
    if (!popup)
        return colour;
    ShowWindow(popup, SW_SHOW);
    runStrip(popup);
    // Ended by WM_QUIT with the strip still up: it must not outlive the state it points to.
    if (IsWindow(popup))
        DestroyWindow(popup);
    return state.colour;
}

LRESULT CALLBACK pickerWindowProc(HWND popup, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: return onPickerPaint(popup);
    case WM_PRINTCLIENT: return paintStrip(popup, reinterpret_cast<HDC>(wParam)), 0;
    case WM_LBUTTONDOWN: return onPickerTouch(popup, lParam);
    case WM_KILLFOCUS: return onPickerKillFocus(popup, wParam, lParam);
    }
    return DefWindowProcW(popup, message, wParam, lParam);
}

void drawSwatch(HDC dc, const RECT& rect, COLORREF colour, bool selected) {
    int border = GetSystemMetrics(SM_CYBORDER);
    int inset = selected ? border : 0;
    ScopedGdiObject pen(CreatePen(PS_SOLID, selected ? 3 * border : border,
                                  GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW)));
    bool none = colour == ColorNone;
    ScopedGdiObject ownBrush(none ? nullptr : CreateSolidBrush(colour));
    HGDIOBJ brush = none ? GetSysColorBrush(COLOR_WINDOW) : ownBrush.get();
    {
        ScopedSelectObject selectPen(dc, pen.get());
        ScopedSelectObject selectBrush(dc, brush);
        Rectangle(dc, rect.left + inset, rect.top + inset, rect.right - inset, rect.bottom - inset);
    }
    if (!none)
        return;
    int dot = 4 * border;
    RECT centre;
    centre.left = rect.left + (rect.right - rect.left - dot) / 2;
    centre.top = rect.top + (rect.bottom - rect.top - dot) / 2;
    centre.right = centre.left + dot;
    centre.bottom = centre.top + dot;
    FillRect(dc, &centre, GetSysColorBrush(COLOR_GRAYTEXT));
}
