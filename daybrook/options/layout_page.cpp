// The Layout page: line layout, word wrap, and size and boldness of the two fonts, with the live
// preview above them. Every change goes straight into Options and repaints the preview.
#include "layout_preview.h"
#include "option_pages.h"
#include "../render/line_painters.h"
#include "../resources/options_ids.h"
#include "../settings/options.h"

#include <commctrl.h>

namespace {

const float kDefaultFontSize = 8.5f;

void invalidatePreview(HWND page) {
    InvalidateRect(GetDlgItem(page, IDC_PREVIEW), nullptr, TRUE);
}

BOOL isChecked(HWND page, int id) {
    return IsDlgButtonChecked(page, id) == BST_CHECKED;
}

void setChecked(HWND page, int id, BOOL checked) {
    SendDlgItemMessageW(page, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void initSizeTrackbar(HWND page, int id, float size) {
    HWND trackbar = GetDlgItem(page, id);
    SendMessageW(trackbar, TBM_SETRANGE, FALSE, MAKELPARAM(0, kFontSizeStepCount - 1));
    SendMessageW(trackbar, TBM_SETLINESIZE, 0, 1);
    SendMessageW(trackbar, TBM_SETPAGESIZE, 0, 1);
    SendMessageW(trackbar, TBM_SETPOS, TRUE, sizeToPosition(size));
    SendMessageW(trackbar, TBM_SETTIC, 0, sizeToPosition(kDefaultFontSize));
}

// The "B" check boxes look like toggle buttons.
void initBoldToggle(HWND page, int id, BOOL bold) {
    HWND button = GetDlgItem(page, id);
    SetWindowLongPtrW(button, GWL_STYLE, GetWindowLongPtrW(button, GWL_STYLE) | BS_PUSHLIKE);
    setChecked(page, id, bold);
}

INT_PTR onLayoutInitDialog(HWND page) {
    initPage(page);
    const int labels[] = {IDC_TEXT_SIZE_LABEL, IDC_FORMAT_LABEL, IDC_DATE_BOLD,
                          IDC_APPOINTMENT_BOLD};
    for (int id : labels)
        setLabelFont(page, id);
    setChecked(page, IDC_WORD_WRAP, gOptions.WordWrap);
    SendDlgItemMessageW(page, IDC_PAINTER, UDM_SETRANGE, 0, MAKELPARAM(getPainterCount() - 1, 0));
    SendDlgItemMessageW(page, IDC_PAINTER, UDM_SETPOS, 0, MAKELPARAM(gOptions.Painter, 0));
    initSizeTrackbar(page, IDC_APPOINTMENT_SIZE, gOptions.AppointmentFontSize);
    initSizeTrackbar(page, IDC_DATE_SIZE, gOptions.DateFontSize);
    initBoldToggle(page, IDC_APPOINTMENT_BOLD, gOptions.AppointmentFontBold);
    initBoldToggle(page, IDC_DATE_BOLD, gOptions.DateFontBold);
    return TRUE;
}

// The state is read from the page's own control, not from lParam, which is 0 for a command that
// did not come from the control itself.
INT_PTR onLayoutCommand(HWND page, int id) {
    switch (id) {
    case IDC_WORD_WRAP: gOptions.WordWrap = isChecked(page, id); break;
    case IDC_APPOINTMENT_BOLD: gOptions.AppointmentFontBold = isChecked(page, id); break;
    case IDC_DATE_BOLD: gOptions.DateFontBold = isChecked(page, id); break;
    default: return TRUE;
    }
    invalidatePreview(page);
    return TRUE;
}

void takeFontSize(HWND page, HWND trackbar, float* field) {
    float size = positionToSize(static_cast<int>(SendMessageW(trackbar, TBM_GETPOS, 0, 0)));
    if (size == *field)
        return;
    *field = size;
    invalidatePreview(page);
}

INT_PTR onLayoutScroll(HWND page, WPARAM wParam, HWND control) {
    switch (GetDlgCtrlID(control)) {
    case IDC_PAINTER: {
        DWORD painter = HIWORD(wParam);
        if (painter != gOptions.Painter) {
            gOptions.Painter = painter;
            invalidatePreview(page);
        }
        return TRUE;
    }
    case IDC_APPOINTMENT_SIZE:
        takeFontSize(page, control, &gOptions.AppointmentFontSize);
        return TRUE;
    case IDC_DATE_SIZE: takeFontSize(page, control, &gOptions.DateFontSize); return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR CALLBACK LayoutPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return onLayoutInitDialog(page);
    case WM_COMMAND: return onLayoutCommand(page, LOWORD(wParam));
    case WM_HSCROLL: return onLayoutScroll(page, wParam, reinterpret_cast<HWND>(lParam));
    case WM_SIZE:
        relayoutForOrientation(page, IDD_LAYOUT_PAGE_LANDSCAPE, IDD_LAYOUT_PAGE);
        return FALSE;
    }
    return FALSE;
}
