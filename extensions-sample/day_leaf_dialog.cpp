// "ShowOptionDialog": the item calls it from its tap-and-hold menu and rebuilds its list after.
#include "day_leaf.h"
#include "day_leaf_ids.h"

#include <aygshell.h>
#include <extensions/extension_api.h>

#include <type_traits>

namespace {

void onInitDialog(HWND dialog) {
    // A Pocket PC dialog: full screen, with a done button in the navigation bar.
    SHINITDLGINFO info = {SHIDIM_FLAGS, dialog,
                          SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
    SHInitDialog(&info);
    int checked = loadHeadingStyle() == StyleBand ? IDC_STYLE_BAND : IDC_STYLE_LEAF;
    CheckRadioButton(dialog, IDC_STYLE_LEAF, IDC_STYLE_BAND, checked);
}

// The done button is the dialog's IDOK: it keeps the choice. IDCANCEL (Escape) does not.
void onCommand(HWND dialog, WORD command) {
    if (command == IDOK) {
        bool band = IsDlgButtonChecked(dialog, IDC_STYLE_BAND) == BST_CHECKED;
        saveHeadingStyle(band ? StyleBand : StyleLeaf);
        EndDialog(dialog, IDOK);
    } else if (command == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
    }
}

INT_PTR CALLBACK optionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: onInitDialog(dialog); return TRUE;
    case WM_COMMAND: onCommand(dialog, LOWORD(wParam)); return TRUE;
    }
    return FALSE;
}

} // namespace

extern "C" __declspec(dllexport) int ShowOptionDialog(HWND owner, ExtensionEntry*) {
    return static_cast<int>(DialogBoxParamW(
        dayLeafInstance(), MAKEINTRESOURCEW(IDD_DAY_LEAF_OPTIONS), owner, optionsDialogProc, 0));
}

static_assert(std::is_same<decltype(&ShowOptionDialog), ShowOptionDialogProc>::value,
              "ShowOptionDialog has the signature the item calls");
