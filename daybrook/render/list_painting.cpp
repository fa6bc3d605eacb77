// Placeholder: items stacked from the top, each as high as its own Paint says.
#include "list_painting.h"
#include "../agenda/agenda_item.h"
#include "../agenda/agenda_list.h"
#include "../host/host_state.h"

int paintItems(AgendaList* list, HWND window, HDC dc, const RECT*) {
    RECT rect;
    GetClientRect(window, &rect);
    int y = 0;
    for (int i = 0; i < list->count; ++i) {
        RECT itemRect = {rect.left, y, rect.right, y + 1000};
        y += list->items[i]->Paint(window, dc, itemRect);
    }
    return y;
}

void paintList(HWND window, HDC dc, const RECT&) {
    if (gHost.currentList)
        paintItems(gHost.currentList, window, dc, nullptr);
}
