#include "options_sheet.h"
#include "layout_preview.h"
#include "option_pages.h"
#include "../host/host_state.h"
#include "../host/resource_module.h"
#include "../interact/installed_programs.h"
#include "../resources/options_ids.h"
#include "../resources/resource_ids.h"
#include "../settings/options.h"

#include <aygshell.h>
#include <commctrl.h>
#include <todaycmn.h>

#include <cstddef>

// The device's sheet reads the first version of the records, which ends with the callback: 40
// bytes each on the 32-bit device.
const DWORD kSheetHeaderSize =
    offsetof(PROPSHEETHEADERW, pfnCallback) + sizeof(PFNPROPSHEETCALLBACK);
#ifndef _WIN64
static_assert(sizeof(PROPSHEETPAGEW_V1) == 40, "a property page record is 40 bytes");
static_assert(kSheetHeaderSize == 40, "a property sheet header is 40 bytes");
#endif

namespace {

const int kTabControlId = 0x3020;
const int kSheetCallbackVersion = 0x20C; // COMCTL32_VERSION
const UINT kGetVersion = 3;              // PSCB_GETVERSION on the device
const int kTitleLength = 80;

struct PageDescription {
    int templateId;
    UINT titleId;
    DLGPROC procedure;
};

const PageDescription kPages[] = {
    {IDD_DISPLAY_PAGE, IDS_PAGE_DISPLAY, DisplayPageProc},
    {IDD_LAYOUT_PAGE, IDS_PAGE_LAYOUT, LayoutPageProc},
    {IDD_PROGRAMS_PAGE, IDS_PAGE_PROGRAMS, ProgramsPageProc},
};
const int kPageCount = sizeof kPages / sizeof kPages[0];

void describePage(const PageDescription& description, WCHAR* title, PROPSHEETPAGEW_V1* page) {
    loadResourceString(description.titleId, title, kTitleLength);
    ZeroMemory(page, sizeof *page);
    page->dwSize = sizeof *page;
    page->dwFlags = PSP_USETITLE;
    page->hInstance = gHost.moduleInstance;
    page->pszTemplate = MAKEINTRESOURCEW(description.templateId);
    page->pfnDlgProc = description.procedure;
    page->pszTitle = title;
}

// Runs the sheet modally over the host; returns when the user has closed it.
void runSheet(HWND host) {
    WCHAR titles[kPageCount][kTitleLength];
    PROPSHEETPAGEW_V1 pages[kPageCount];
    for (int i = 0; i < kPageCount; ++i)
        describePage(kPages[i], titles[i], &pages[i]);
    PROPSHEETHEADERW header = {};
    header.dwSize = kSheetHeaderSize;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | PSH_MAXIMIZE;
    header.hwndParent = host;
    header.hInstance = getResourceModule();
    header.pszCaption = MAKEINTRESOURCEW(IDS_SHEET_CAPTION);
    // Without another calendar program there is nothing to choose on the Programs page.
    header.nPages = installedPrograms() == 0 ? kPageCount - 1 : kPageCount;
    header.nStartPage = 0;
    header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEW>(pages);
    header.pfnCallback = sheetCallback;
    PropertySheetW(&header);
}

INT_PTR onHostInitDialog(HWND host) {
    loadOptions();
    preparePreviewSample();
    runSheet(host);
    EndDialog(host, 0);
    freePreviewSample();
    freePageFonts();
    // There is no cancel: every change is already in Options and is kept however the sheet closed.
    saveOptions();
    return 0;
}

} // namespace

extern "C" INT_PTR APIENTRY CustomItemOptionsDlgProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG)
        return onHostInitDialog(dialog);
    return 0;
}

int CALLBACK sheetCallback(HWND sheet, UINT message, LPARAM) {
    if (message == kGetVersion)
        return kSheetCallbackVersion;
    if (message != PSCB_INITIALIZED)
        return 1;
    HWND tabs = GetDlgItem(sheet, kTabControlId);
    if (tabs)
        SetWindowLongPtrW(tabs, GWL_STYLE, GetWindowLongPtrW(tabs, GWL_STYLE) | TCS_BOTTOM);
    SHINITDLGINFO info = {};
    info.dwMask = SHIDIM_FLAGS;
    info.hDlg = sheet;
    info.dwFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN;
    SHInitDialog(&info);
    return 1;
}

LRESULT openOptionsDialog(HWND itemWindow) {
    HRSRC resource = FindResourceW(gHost.moduleInstance, MAKEINTRESOURCEW(IDD_TODAY_CUSTOM),
                                   reinterpret_cast<LPCWSTR>(RT_DIALOG));
    HGLOBAL loaded = resource ? LoadResource(gHost.moduleInstance, resource) : nullptr;
    const void* dialogTemplate = loaded ? LockResource(loaded) : nullptr;
    if (dialogTemplate)
        DialogBoxIndirectParamW(gHost.moduleInstance, static_cast<LPCDLGTEMPLATEW>(dialogTemplate),
                                itemWindow, CustomItemOptionsDlgProc, 0);
    return SendMessageW(itemWindow, WM_TODAYCUSTOM_CLEARCACHE, 0, 0);
}
