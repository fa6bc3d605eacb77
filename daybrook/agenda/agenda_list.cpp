#include "agenda_list.h"
#include "agenda_item.h"

#include <new>

namespace {
const int kGrowth = 10;
}

AgendaList::AgendaList(double now, int showIconFlag)
    : expiry(), items(nullptr), count(0), capacity(0), day(static_cast<int>(now)), totalHeight(0),
      showIcon(showIconFlag), backBitmap(nullptr), backHeight(0), backWidth(0), iconFrame(0),
      selection(-1), backDc() {}

AgendaList::~AgendaList() {
    Clear();
}

int AgendaList::Insert(AgendaItem* item, int index) {
    if (count >= capacity) {
        AgendaItem** grown = new (std::nothrow) AgendaItem*[capacity + kGrowth];
        if (grown) {
            for (int i = 0; i < count; ++i)
                grown[i] = items[i];
            delete[] items;
            items = grown;
            capacity += kGrowth;
        }
    }
    if (count >= capacity) {
        delete item;
        return 0;
    }
    for (int i = count; i > index; --i)
        items[i] = items[i - 1];
    items[index] = item;
    ++count;
    return 1;
}

void AgendaList::Clear() {
    for (int i = 0; i < count; ++i) {
        delete items[i];
        items[i] = nullptr;
    }
    delete[] items;
    items = nullptr;
    ReleaseBackBuffer();
    count = 0;
    capacity = 0;
}

void AgendaList::ReleaseBackBuffer() {
    releaseHeldBitmap(&backDc);
    if (backBitmap) {
        DeleteObject(backBitmap);
        backBitmap = nullptr;
    }
}

void destroyList(AgendaList* list) {
    if (!list)
        return;
    list->Clear();
    delete list;
}
