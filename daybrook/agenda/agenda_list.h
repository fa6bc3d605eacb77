// The flat, ordered list of display items the Today row shows.
#pragma once
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

private:
    AgendaList(const AgendaList&) = delete;
    AgendaList& operator=(const AgendaList&) = delete;
};
