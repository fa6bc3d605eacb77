// The Programs page: which program opens a tapped appointment. A program that is not installed
// cannot be chosen.
#include "option_pages.h"
#include "../interact/installed_programs.h"
#include "../resources/options_ids.h"
#include "../settings/options.h"

namespace {

int buttonFor(DWORD choice) {
    switch (choice) {
    case PocketInformant: return IDC_POCKET_INFORMANT;
    case AgendaFusion: return IDC_AGENDA_FUSION;
    default: return IDC_DEFAULT_CALENDAR;
    }
}

INT_PTR onProgramsInitDialog(HWND page) {
    initPage(page);
    setLabelFont(page, IDC_PROGRAMS_LABEL);
    DWORD installed = installedPrograms();
    if (!(installed & PocketInformant))
        EnableWindow(GetDlgItem(page, IDC_POCKET_INFORMANT), FALSE);
    if (!(installed & AgendaFusion))
        EnableWindow(GetDlgItem(page, IDC_AGENDA_FUSION), FALSE);
    CheckRadioButton(page, IDC_DEFAULT_CALENDAR, IDC_AGENDA_FUSION,
                     buttonFor(gOptions.ActivePIM & installed));
    return TRUE;
}

INT_PTR onProgramsCommand(int id) {
    switch (id) {
    case IDC_DEFAULT_CALENDAR: gOptions.ActivePIM = 0; return TRUE;
    case IDC_POCKET_INFORMANT: gOptions.ActivePIM = PocketInformant; return TRUE;
    case IDC_AGENDA_FUSION: gOptions.ActivePIM = AgendaFusion; return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR CALLBACK ProgramsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: return onProgramsInitDialog(page);
    case WM_COMMAND: return onProgramsCommand(LOWORD(wParam));
    case WM_SIZE:
        relayoutForOrientation(page, IDD_PROGRAMS_PAGE_LANDSCAPE, IDD_PROGRAMS_PAGE);
        return FALSE;
    }
    return FALSE;
}
