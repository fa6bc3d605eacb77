// The item window's handling of the Today screen's protocol.
#pragma once
#include <windows.h>
#include <todaycmn.h>

class AgendaList;
class AgendaItem;

// Posted by the window to itself after the Today screen hands it the selection.
const UINT WM_ENSURESELECTIONVISIBLE = WM_USER + 22;

// Paints the list the window shows (WM_PAINT's work).
void paintCurrentList(HWND window, HDC dc, const RECT& invalid);
BOOL refreshQuery(HWND window, TODAYLISTITEM* item);
bool isListStale(AgendaList* list);
int measureList(AgendaList* list, HWND window);
void advanceIconFrame(AgendaList* list, HWND window);
bool stepSelection(AgendaList* list, bool forward);
void ensureSelectionVisible(AgendaList* list, HWND window);
AgendaItem* hitTestList(AgendaList* list, int x, int y);
void activateSelection(AgendaList* list, HWND window);
