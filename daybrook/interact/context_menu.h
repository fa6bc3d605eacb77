// The tap-and-hold menus: the appointment menu (add-ins, delete, beam, options) and the general
// one (options), both ending with the extension modules' entries.
#pragma once
#include <windows.h>

class AgendaList;
class AppointmentItem;

const UINT kDeleteCommand = 101;
const UINT kBeamCommand = 102;
const UINT kOptionsCommand = 103;
const UINT kFirstExtensionCommand = 104;

// The tap-and-hold entry: the menu of the item under (x, y), else the general menu.
void showContextMenu(AgendaList* list, HWND window, int x, int y);
// The appointment's menu and its command; 1 when a menu was shown, 0 when none could be made.
int showAppointmentMenu(AppointmentItem* item, HWND window, int x, int y);
// "Options..." and the extension entries.
void appendOptionsEntries(HMENU menu);
void dispatchMenuCommand(HWND window, UINT command);
