// Painting the whole list: the item window's WM_PAINT and the measuring pass.
#pragma once
#include <windows.h>

class AgendaList;

// Paints list into the item window's paint DC through the list's back buffer (no larger than
// screen), over the Today screen's watermark; copies only the invalid rectangle. Nothing without
// a list.
void paintList(AgendaList* list, SIZE screen, HWND window, HDC dc, const RECT& invalid);
// Paints the items that meet clip into dc (all of them, measuring, when clip is null) and
// returns the list's height: at least one standard row.
int paintItems(AgendaList* list, HWND window, HDC dc, const RECT* clip);
