#include "context_menu.h"
#include "appointment_actions.h"
#include "menu_addins.h"
#include "modal_interaction.h"
#include "../agenda/agenda_items.h"
#include "../extensions/extension_table.h"
#include "../host/item_window.h"
#include "../host/resource_module.h"
#include "../options/options_sheet.h"
#include "../resources/resource_ids.h"

namespace {

void appendString(HMENU menu, UINT command, UINT textId) {
    WCHAR text[80];
    loadResourceString(textId, text, 80);
    AppendMenuW(menu, MF_STRING, command, text);
}

// Tracks the menu at the stylus, owned by the item window, and returns the chosen command
// (0 when the menu was dismissed).
UINT trackMenu(HMENU menu, HWND window, int x, int y) {
    POINT point = {x, y};
    ClientToScreen(window, &point);
    return static_cast<UINT>(
        TrackPopupMenuEx(menu, TPM_RETURNCMD, point.x, point.y, window, nullptr));
}

void actOnAppointmentCommand(AppointmentItem* item, HWND window, UINT command,
                             const AddInTable& addIns) {
    if (command == kDeleteCommand) {
        deleteAppointment(item, window);
        return;
    }
    if (command == kBeamCommand) {
        beamAppointment(item, window);
        return;
    }
    const WCHAR* library = addIns.libraryFor(command);
    if (library)
        runAddIn(item, window, library);
    else
        dispatchMenuCommand(window, command);
}

} // namespace

void showContextMenu(AgendaList* list, HWND window, int x, int y) {
    AgendaItem* item = hitTestList(list, x, y);
    if (item && item->OnContextMenu(window, x, y))
        return;
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return;
    appendOptionsEntries(menu);
    UINT command;
    {
        ModalInteraction modal;
        command = trackMenu(menu, window, x, y);
    }
    dispatchMenuCommand(window, command);
    DestroyMenu(menu);
}

int showAppointmentMenu(AppointmentItem* item, HWND window, int x, int y) {
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return 0;
    AddInTable addIns;
    addIns.appendEntries(menu);
    appendString(menu, kDeleteCommand, IDS_DELETE_APPOINTMENT);
    appendString(menu, kBeamCommand, IDS_BEAM_APPOINTMENT);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    appendOptionsEntries(menu);
    {
        // The command works on the item too: a list swapped in under a delete confirmation or an
        // add-in's dialog would free it, so the interaction lasts until the command has run.
        ModalInteraction modal;
        actOnAppointmentCommand(item, window, trackMenu(menu, window, x, y), addIns);
    }
    DestroyMenu(menu);
    return 1;
}

void appendOptionsEntries(HMENU menu) {
    appendString(menu, kOptionsCommand, IDS_OPTIONS);
    addMenuEntries(menu, static_cast<int>(kFirstExtensionCommand));
}

// The options sheet tells the item to rebuild itself with the new settings once it closes.
void dispatchMenuCommand(HWND window, UINT command) {
    if (command == kOptionsCommand)
        openOptionsDialog(window);
    else
        runMenuCommand(window, static_cast<int>(command));
}
