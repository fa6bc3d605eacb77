#include "item_window.h"
#include "host_state.h"
#include "item_host.h"
#include "resource_module.h"
#include "../agenda/agenda_items.h"
#include "../agenda/agenda_list.h"
#include "../interact/calendar_program.h"
#include "../render/list_painting.h"
#include "../resources/resource_ids.h"

#include <aygshell.h>
#include <windbase.h>

#include <new>

namespace {

double localNow(SYSTEMTIME* time) {
    GetLocalTime(time);
    double now = 0;
    SystemTimeToVariantTime(time, &now);
    return now;
}

// The list the item shows until the loader has built the first real one.
AgendaList* createPlaceholderList() {
    SYSTEMTIME time;
    AgendaList* list = new (std::nothrow) AgendaList(localNow(&time), 1);
    if (!list)
        return nullptr;
    WCHAR text[80];
    loadResourceString(IDS_NO_UPCOMING, text, 80);
    TextItem* item = new (std::nothrow) TextItem(text, 1);
    if (item)
        list->Insert(item, list->count);
    return list;
}

// The remembered selection by index where it still fits, else the first item (or none).
void carrySelection(AgendaList* list, int remembered) {
    if (remembered == -1)
        return;
    if (remembered >= 0 && remembered < list->count)
        list->selection = remembered;
    else
        list->selection = list->count > 0 ? 0 : -1;
}

// Sizes the window in place to h - 1 pixels, the way the Today screen expects it.
void resizeItemWindow(HWND window, int height) {
    RECT rect;
    GetClientRect(window, &rect);
    rect.bottom = rect.top + height - 1;
    MapWindowPoints(window, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOMOVE | SWP_NOZORDER);
}

BOOL takePendingList(HWND window, TODAYLISTITEM* item) {
    AgendaList* old = gHost.currentList;
    int remembered = old ? old->selection : -1;
    destroyList(old);
    gHost.currentList = gHost.pendingList;
    gHost.pendingList = nullptr;
    int height = measureList(gHost.currentList, window);
    carrySelection(gHost.currentList, remembered);
    BOOL changed = FALSE;
    if (static_cast<DWORD>(height) != item->cyp) {
        item->cyp = static_cast<DWORD>(height);
        changed = TRUE;
        resizeItemWindow(window, height);
    }
    InvalidateRect(window, nullptr, TRUE);
    return changed;
}

enum ReloadDecision { NoReload, ReloadWanted, ZoneUnreadable };

ReloadDecision decideReload() {
    if (gHost.dataDirty) {
        gHost.dataDirty = false;
        return ReloadWanted;
    }
    if (gHost.currentList && isListStale(gHost.currentList))
        return ReloadWanted;
    if (gHost.resourceModule && GetUserDefaultLCID() != gHost.resourceLocale) {
        resetResourceModule();
        return ReloadWanted;
    }
    TIME_ZONE_INFORMATION zone;
    if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID)
        return ZoneUnreadable;
    LONG key = zone.Bias + zone.DaylightBias;
    if (key == gHost.zoneKey)
        return NoReload;
    gHost.zoneKey = key;
    return ReloadWanted;
}

// Stylus points are two unsigned 16-bit halves.
int pointX(LPARAM lParam) { return static_cast<int>(LOWORD(lParam)); }
int pointY(LPARAM lParam) { return static_cast<int>(HIWORD(lParam)); }

LRESULT onDestroy(HWND window, WPARAM wParam, LPARAM lParam) {
    LRESULT result = DefWindowProcW(window, WM_DESTROY, wParam, lParam);
    shutdownItem();
    return result;
}

LRESULT onPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc)
        paintCurrentList(window, dc, paint.rcPaint);
    EndPaint(window, &paint);
    return 0;
}

LRESULT onEraseBackground(HWND window, HDC dc) {
    if (gHost.currentList)
        return 1; // the list paints its whole background itself
    TODAYDRAWWATERMARKINFO watermark = {};
    watermark.hdc = dc;
    GetClientRect(window, &watermark.rc);
    watermark.hwnd = window;
    SendMessageW(GetParent(window), TODAYM_DRAWWATERMARK, 0,
                 reinterpret_cast<LPARAM>(&watermark));
    return 1;
}

void onStylusDown(HWND window, LPARAM lParam) {
    SHRGINFO gesture = {};
    gesture.cbSize = sizeof gesture;
    gesture.hwndClient = window;
    gesture.ptDown.x = pointX(lParam);
    gesture.ptDown.y = pointY(lParam);
    gesture.dwFlags = SHRG_RETURNCMD;
    if (SHRecognizeGesture(&gesture) == GN_CONTEXTMENU)
        showContextMenu(gHost.currentList, window, gesture.ptDown.x, gesture.ptDown.y);
}

void onTap(HWND window, LPARAM lParam) {
    AgendaList* list = gHost.currentList;
    list->selection = -1;
    AgendaItem* item = hitTestList(list, pointX(lParam), pointY(lParam));
    if (item && item->OnTap(window))
        return;
    launchCalendarProgram(window);
}

LRESULT onReceivedSelection(HWND window, WPARAM key) {
    AgendaList* list = gHost.currentList;
    if (!list)
        return 0;
    if (key == VK_DOWN)
        stepSelection(list, true);
    else if (key == VK_UP)
        stepSelection(list, false);
    PostMessageW(window, WM_ENSURESELECTIONVISIBLE, 0, 0);
    return 1;
}

LRESULT onUserNavigation(HWND window, WPARAM key) {
    InvalidateRect(window, nullptr, TRUE);
    AgendaList* list = gHost.currentList;
    if (!list)
        return 0;
    if (!stepSelection(list, key == VK_DOWN))
        return 0; // the Today screen moves on to the neighbouring item
    ensureSelectionVisible(list, window);
    return 1;
}

} // namespace

void paintCurrentList(HWND window, HDC dc, const RECT& invalid) {
    SIZE screen = {gHost.screenWidth, gHost.screenHeight};
    paintList(gHost.currentList, screen, window, dc, invalid);
}

BOOL refreshQuery(HWND window, TODAYLISTITEM* item) {
    if (!item || gHost.menuDepth > 0)
        return FALSE;
    BOOL result = FALSE;
    if (!gHost.currentList) {
        gHost.currentList = createPlaceholderList();
        if (gHost.currentList) {
            advanceIconFrame(gHost.currentList, window);
            item->cyp = static_cast<DWORD>(measureList(gHost.currentList, window));
            result = TRUE;
        }
    }
    EnterCriticalSection(&gHost.lock);
    if (gHost.loaderState == Idle) {
        if (gHost.pendingList && takePendingList(window, item))
            result = TRUE;
        ReloadDecision decision = decideReload();
        if (decision != ReloadWanted) {
            LeaveCriticalSection(&gHost.lock);
            return result; // nothing to do: no reload and no icon step
        }
        gHost.loaderState = Reload;
        SetEvent(gHost.wakeEvent);
    }
    if (gHost.currentList)
        advanceIconFrame(gHost.currentList, window);
    LeaveCriticalSection(&gHost.lock);
    return result;
}

bool isListStale(AgendaList* list) {
    SYSTEMTIME time;
    double now = localNow(&time);
    for (int i = 0; i < list->count; ++i)
        if (list->items[i]->IsStale(now))
            return true;
    if (static_cast<int>(now) != list->day)
        return true; // the day has rolled over
    if (list->expiry.dwLowDateTime != 0 && list->expiry.dwHighDateTime != 0) {
        FILETIME current;
        SystemTimeToFileTime(&time, &current);
        return CompareFileTime(&current, &list->expiry) == 1;
    }
    return false;
}

int measureList(AgendaList* list, HWND window) {
    if (list->totalHeight != 0)
        return list->totalHeight;
    HDC windowDc = GetDC(window);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    ReleaseDC(window, windowDc);
    if (!memoryDc)
        return 0;
    list->totalHeight = paintItems(list, window, memoryDc, nullptr);
    DeleteDC(memoryDc);
    return list->totalHeight;
}

void advanceIconFrame(AgendaList* list, HWND window) {
    list->iconFrame ^= 1;
    LONG s = getSmallIconSize();
    LONG side = s + 2 * (s / 8);
    RECT iconSquare = {0, 0, side, side};
    InvalidateRect(window, &iconSquare, FALSE);
}

bool stepSelection(AgendaList* list, bool forward) {
    int index = list->selection;
    if (index == -1)
        index = forward ? 0 : list->count - 1;
    else
        index += forward ? 1 : -1;
    if (index < 0 || index >= list->count) {
        list->selection = -1;
        return false;
    }
    list->selection = index;
    return true;
}

void ensureSelectionVisible(AgendaList* list, HWND window) {
    if (list->selection == -1)
        return;
    int bottom = 0;
    for (int i = 0; i <= list->selection && i < list->count; ++i)
        bottom += list->items[i]->GetHeight();
    HWND parent = GetParent(window);
    POINT point = {0, bottom};
    MapWindowPoints(window, parent, &point, 1);
    RECT client;
    GetClientRect(parent, &client);
    if (point.y < 0)
        SendMessageW(parent, WM_VSCROLL, SB_PAGEUP, 0);
    else if (point.y > client.bottom)
        SendMessageW(parent, WM_VSCROLL, SB_PAGEDOWN, 0);
}

AgendaItem* hitTestList(AgendaList* list, int x, int y) {
    for (int i = 0; i < list->count; ++i)
        if (list->items[i]->HitTest(x, y))
            return list->items[i];
    return nullptr;
}

void activateSelection(AgendaList* list, HWND window) {
    if (list->selection >= 0 && list->selection < list->count &&
        list->items[list->selection]->OnTap(window))
        return;
    launchCalendarProgram(window);
}

LRESULT CALLBACK ItemWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    AgendaList* list = gHost.currentList;
    switch (message) {
    case WM_DESTROY: return onDestroy(window, wParam, lParam);
    case WM_PAINT: return onPaint(window);
    case WM_ERASEBKGND: return onEraseBackground(window, reinterpret_cast<HDC>(wParam));
    case WM_LBUTTONDOWN:
        if (list)
            onStylusDown(window, lParam);
        break;
    case WM_LBUTTONUP:
        if (list)
            onTap(window, lParam);
        break;
    case DB_CEOID_CREATED:
    case DB_CEOID_RECORD_DELETED:
    case DB_CEOID_CHANGED:
    case WM_TODAYCUSTOM_CLEARCACHE: gHost.dataDirty = true; break;
    case WM_ENSURESELECTIONVISIBLE:
        if (list)
            ensureSelectionVisible(list, window);
        break;
    case WM_TODAYCUSTOM_QUERYREFRESHCACHE:
        gHost.screenHeight = GetSystemMetrics(SM_CYSCREEN);
        gHost.screenWidth = GetSystemMetrics(SM_CXSCREEN);
        return refreshQuery(window, reinterpret_cast<TODAYLISTITEM*>(wParam));
    case WM_TODAYCUSTOM_RECEIVEDSELECTION: return onReceivedSelection(window, wParam);
    case WM_TODAYCUSTOM_LOSTSELECTION:
        if (list)
            list->selection = -1;
        break;
    case WM_TODAYCUSTOM_USERNAVIGATION: return onUserNavigation(window, wParam);
    case WM_TODAYCUSTOM_ACTION:
        if (list)
            activateSelection(list, window);
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
