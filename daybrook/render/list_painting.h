// Painting the whole list: the item window's WM_PAINT and the measuring pass.
#pragma once
#include <windows.h>

class AgendaList;

// Paints the current list into the item window's paint DC; nothing when there is no list.
void paintList(HWND window, HDC dc, const RECT& invalid);
// Paints (or, with no clip rectangle, only measures) the list's items; returns the height used.
int paintItems(AgendaList* list, HWND window, HDC dc, const RECT* clip);
