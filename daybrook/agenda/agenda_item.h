// The abstract display item of an AgendaList.
#pragma once
#include <windows.h>

class AgendaItem {
public:
    AgendaItem() : height(0) {}
    virtual ~AgendaItem() {}
    virtual int OnTap(HWND window) { return (void)window, 0; }
    virtual int OnContextMenu(HWND window, int x, int y) { return (void)window, (void)x, (void)y, 0; }
    virtual int GetHeight() { return height; }
    virtual HFONT GetFont();
    virtual int HitTest(int x, int y) { return (void)x, (void)y, 0; }
    virtual int GetOid() { return 0; }
    virtual int IsStale(double now) { return (void)now, 0; }
    virtual int Paint(HWND window, HDC dc, const RECT& rect) = 0;

    int height;

private:
    AgendaItem(const AgendaItem&) = delete;
    AgendaItem& operator=(const AgendaItem&) = delete;
};
