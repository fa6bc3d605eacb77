// The Display page: how far ahead the item looks, what it includes, and the three marker colour
// swatches. Every change goes straight into Options.
#include "marker_picker.h"
#include "option_pages.h"
#include "../host/resource_module.h"
#include "../resources/options_ids.h"
#include "../resources/resource_ids.h"
#include "../settings/options.h"

namespace {

const int kLargestCount = 31;
const int kUnitTextLength = 80;

struct UnitEntry {
    UINT stringId;
    DWORD upcomingType;
};

// In the order they are added; the box sorts them by their localised texts.
const UnitEntry kUnits[] = {
    {IDS_UNIT_APPOINTMENTS, UpcomingAppointments},
    {IDS_UNIT_APPOINTMENTS_AND_TODAY, UpcomingAppointmentsAndToday},
    {IDS_UNIT_DAYS, UpcomingDays},
    {IDS_UNIT_HOURS, UpcomingHours},
    {IDS_UNIT_LINES, UpcomingLines},
};

void fillCountBox(HWND box) {
    for (int count = 1; count <= kLargestCount; ++count) {
        WCHAR text[8];
        wsprintfW(text, L"%d", count);
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendMessageW(box, CB_SETCURSEL, gOptions.UpcomingCount - 1, 0);
}

void fillUnitBox(HWND box) {
    for (const UnitEntry& unit : kUnits) {
        WCHAR text[kUnitTextLength];
        loadResourceString(unit.stringId, text, kUnitTextLength);
        LRESULT index = SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (index < 0)
            continue;
        SendMessageW(box, CB_SETITEMDATA, index, unit.upcomingType);
        if (gOptions.UpcomingType == unit.upcomingType)
            SendMessageW(box, CB_SETCURSEL, index, 0);
    }
}

void setChecked(HWND page, int id, BOOL checked) {
    SendDlgItemMessageW(page, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

BOOL isChecked(HWND page, int id) {
    return IsDlgButtonChecked(page, id) == BST_CHECKED;
}

INT_PTR onDisplayInitDialog(HWND page) {
    initPage(page);
    setLabelFont(page, IDC_DISPLAY_LABEL);
    setLabelFont(page, IDC_INCLUDE_LABEL);
    setLabelFont(page, IDC_MARKERS_LABEL);
    fillCountBox(GetDlgItem(page, IDC_UPCOMING_COUNT));
    fillUnitBox(GetDlgItem(page, IDC_UPCOMING_TYPE));
    setChecked(page, IDC_ALL_DAY, gOptions.AllDay);
    setChecked(page, IDC_SHOW_EMPTY_DAYS, gOptions.ShowEmptyDays);
    setChecked(page, IDC_SHOW_COMPLETED, gOptions.ShowCompleted);
    const int swatches[] = {IDC_FREE_SWATCH, IDC_TENTATIVE_SWATCH, IDC_CONFLICT_SWATCH};
    for (int id : swatches)
        installSwatch(GetDlgItem(page, id));
    return TRUE;
}

void takeCount(HWND box) {
    LRESULT index = SendMessageW(box, CB_GETCURSEL, 0, 0);
    if (index != CB_ERR)
        gOptions.UpcomingCount = static_cast<DWORD>(index + 1);
}

// The value is the entry's item data, never its position: the sorted order follows the language.
void takeUnit(HWND box) {
    LRESULT index = SendMessageW(box, CB_GETCURSEL, 0, 0);
    if (index != CB_ERR)
        gOptions.UpcomingType = static_cast<DWORD>(SendMessageW(box, CB_GETITEMDATA, index, 0));
}

INT_PTR onDisplayCommand(HWND page, int id, int notification) {
    HWND control = GetDlgItem(page, id);
    switch (id) {
    case IDC_UPCOMING_COUNT:
        if (notification == CBN_SELCHANGE)
            takeCount(control);
        return TRUE;
    case IDC_UPCOMING_TYPE:
        if (notification == CBN_SELCHANGE)
            takeUnit(control);
        return TRUE;
    case IDC_ALL_DAY: gOptions.AllDay = isChecked(page, id); return TRUE;
    case IDC_SHOW_EMPTY_DAYS: gOptions.ShowEmptyDays = isChecked(page, id); return TRUE;
    case IDC_SHOW_COMPLETED: gOptions.ShowCompleted = isChecked(page, id); return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR CALLBACK DisplayPageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: return onDisplayInitDialog(page);
    case WM_COMMAND: return onDisplayCommand(page, LOWORD(wParam), HIWORD(wParam));
    case WM_SIZE:
        relayoutForOrientation(page, IDD_DISPLAY_PAGE_LANDSCAPE, IDD_DISPLAY_PAGE);
        return FALSE;
    }
    return FALSE;
}
