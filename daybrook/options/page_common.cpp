// What every option page shares: the subclass that paints title colour, rule and version, the
// bold label font, and the localisation of control texts by control id.
#include "option_pages.h"
#include "layout_preview.h"
#include "../host/host_state.h"
#include "../host/item_host.h"
#include "../host/resource_module.h"
#include "../render/gdi_scope.h"
#include "../resources/options_ids.h"

namespace {

const WCHAR kVersionText[] = L"2.2.1.41107";
const int kControlTextLength = 150;
const double kLabelPointsPerDpi = 0.11458333333333333; // 8.25 points

// The labels' and the title's font, made for the resolution of the sheet that uses it.
HFONT gLabelFont = nullptr;
int gLabelFontDpi = 0;

int dpiOf(HDC dc) {
    return GetDeviceCaps(dc, LOGPIXELSY);
}

// SYSTEM_FONT's description as bold Tahoma of 8.25 points at the given resolution. Its width is
// the face's own: SYSTEM_FONT's average width belongs to its own height, not to this one.
HFONT createBoldTahoma(int dpi) {
    LOGFONTW font = {};
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof font, &font);
    font.lfHeight = -static_cast<LONG>(static_cast<float>(dpi * kLabelPointsPerDpi));
    font.lfWidth = 0;
    lstrcpynW(font.lfFaceName, L"Tahoma", LF_FACESIZE);
    font.lfWeight = FW_BOLD;
    return CreateFontIndirectW(&font);
}

// The label font for the page's resolution; a font of another resolution (the device changed
// since the last sheet) is replaced.
HFONT labelFontFor(HWND page) {
    HDC dc = GetDC(page);
    int dpi = dpiOf(dc);
    ReleaseDC(page, dc);
    if (gLabelFont && gLabelFontDpi != dpi)
        deleteCachedObject(&gLabelFont);
    if (!gLabelFont) {
        gLabelFont = createBoldTahoma(dpi);
        gLabelFontDpi = dpi;
    }
    return gLabelFont;
}

WNDPROC previousPageProc(HWND page) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(page, GWLP_USERDATA));
}

LRESULT callPrevious(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = previousPageProc(page);
    return previous ? CallWindowProcW(previous, page, message, wParam, lParam)
                    : DefWindowProcW(page, message, wParam, lParam);
}

// The preview starts at the page's left edge; its procedure replaces the static's for good.
void placePreview(HWND page) {
    HWND preview = GetDlgItem(page, IDC_PREVIEW);
    if (!preview)
        return;
    RECT rect;
    GetClientRect(preview, &rect);
    MapWindowPoints(preview, page, reinterpret_cast<POINT*>(&rect), 2);
    SetWindowPos(preview, nullptr, 0, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowLongPtrW(preview, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previewWindowProc));
}

void localiseControlTexts(HWND page) {
    WCHAR text[kControlTextLength];
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        int id = GetDlgCtrlID(child);
        if (id > 0 && loadResourceString(static_cast<UINT>(id), text, kControlTextLength) > 0)
            SetWindowTextW(child, text);
    }
}

void drawTitleRule(HWND page, HDC dc, const RECT& client) {
    HWND title = GetDlgItem(page, IDC_PAGE_TITLE);
    if (!title)
        return;
    RECT titleRect;
    GetWindowRect(title, &titleRect);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&titleRect), 2);
    ScopedGdiObject pen(CreatePen(PS_SOLID, GetSystemMetrics(SM_CYBORDER), RGB(0, 0, 0)));
    ScopedSelectObject select(dc, pen.get());
    MoveToEx(dc, 0, titleRect.bottom + 1, nullptr);
    LineTo(dc, client.right, titleRect.bottom + 1);
}

void drawVersionText(HDC dc, RECT client) {
    LOGFONTW description = {};
    GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof description, &description);
    // 7 points: dpi × 7 in integers, then the seventy-second part.
    description.lfHeight = -static_cast<LONG>(static_cast<float>((dpiOf(dc) * 7) * (1.0 / 72)));
    ScopedGdiObject font(CreateFontIndirectW(&description));
    ScopedSelectObject select(dc, font.get());
    COLORREF previousText = SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    COLORREF previousBack = SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    client.right -= 2;
    DrawTextW(dc, kVersionText, -1, &client, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
    SetBkColor(dc, previousBack);
    SetTextColor(dc, previousText);
}

void paintPageDecoration(HWND page, HDC dc) {
    RECT client;
    GetClientRect(page, &client);
    drawTitleRule(page, dc, client);
    drawVersionText(dc, client);
}

LRESULT onPagePaint(HWND page) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(page, &paint);
    paintPageDecoration(page, dc);
    EndPaint(page, &paint);
    return 0;
}

// Snapshots print the page: its own background first, then the decoration.
LRESULT onPagePrintClient(HWND page, HDC dc, LPARAM flags) {
    callPrevious(page, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), flags);
    paintPageDecoration(page, dc);
    return 0;
}

LRESULT onControlColorStatic(HWND page, HDC dc, HWND control) {
    if (GetDlgCtrlID(control) != IDC_PAGE_TITLE)
        return callPrevious(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                            reinterpret_cast<LPARAM>(control));
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_STATIC));
}

} // namespace

void initPage(HWND page) {
    // The previous procedure is in place before the new one can receive anything.
    SetWindowLongPtrW(page, GWLP_USERDATA, GetWindowLongPtrW(page, GWLP_WNDPROC));
    SetWindowLongPtrW(page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pageWindowProc));
    placePreview(page);
    localiseControlTexts(page);
    // The title is bold too; the static paints it with its own font, whatever a colour message
    // selects.
    setLabelFont(page, IDC_PAGE_TITLE);
}

void setLabelFont(HWND page, int controlId) {
    HWND control = GetDlgItem(page, controlId);
    HFONT font = control ? labelFontFor(page) : nullptr;
    if (font)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
}

void freePageFonts() {
    deleteCachedObject(&gLabelFont);
    gLabelFontDpi = 0;
}

LRESULT CALLBACK pageWindowProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: return onPagePaint(page);
    case WM_PRINTCLIENT: return onPagePrintClient(page, reinterpret_cast<HDC>(wParam), lParam);
    case WM_CTLCOLORSTATIC:
        return onControlColorStatic(page, reinterpret_cast<HDC>(wParam),
                                    reinterpret_cast<HWND>(lParam));
    }
    return callPrevious(page, message, wParam, lParam);
}

void relayoutForOrientation(HWND page, int landscapeTemplate, int portraitTemplate) {
    // The device may have turned since the item last looked (or no item runs, when the Today
    // screen's settings opened the sheet), so the cached screen is brought up to date first.
    gHost.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    gHost.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    relayoutPage(page, isLandscape() ? landscapeTemplate : portraitTemplate);
}
