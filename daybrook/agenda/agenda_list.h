// The flat, ordered list of display items the Today row shows.
#pragma once
#include "../render/gdi_scope.h"

#include <windows.h>

class AgendaItem;

class AgendaList {
public:
    AgendaList(double now, int showIcon);
    ~AgendaList();

    // Takes ownership of item in every case: an item that cannot be inserted is destroyed.
    int Insert(AgendaItem* item, int index);
    // Destroys every item and the background bitmap; the list can then be freed.
    void Clear();
    // Deletes the background bitmap and the DC that holds it (painting remakes them).
    void ReleaseBackBuffer();

    FILETIME expiry;
    AgendaItem** items;
    int count;
    int capacity;
    int day;
    int totalHeight;
    int showIcon;
    HBITMAP backBitmap;
    int backHeight;
    int backWidth;
    int iconFrame;
    int selection;
    HeldBitmap backDc; // keeps backBitmap selected between paints; empty without a buffer

private:
    AgendaList(const AgendaList&) = delete;
    AgendaList& operator=(const AgendaList&) = delete;
};

// Destroys a list (null is allowed): Clear, then free.
void destroyList(AgendaList* list);
