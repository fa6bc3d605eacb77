#include "oid_table.h"

#include <cstdint>

namespace pimstore {

namespace {

// At most half full, so that probes stay short.
size_t slotsFor(size_t entries) {
    size_t slots = 16;
    while (slots < entries * 2)
        slots *= 2;
    return slots;
}

} // namespace

OidTable::OidTable(size_t expected) : slots_(slotsFor(expected)) {}

size_t OidTable::slotOf(LONG oid) const {
    const size_t mask = slots_.size() - 1;
    // Identifiers made by stepping past a collision are consecutive: mixed, they spread out.
    size_t slot = (static_cast<std::uint32_t>(oid) * 2654435761u) & mask;
    while (slots_[slot].oid != 0 && slots_[slot].oid != oid)
        slot = (slot + 1) & mask;
    return slot;
}

bool OidTable::insert(LONG oid, int index) {
    if (oid == 0)
        return false;
    if ((count_ + 1) * 2 > slots_.size())
        grow();
    Slot& slot = slots_[slotOf(oid)];
    if (slot.oid == oid)
        return false;
    slot.oid = oid;
    slot.index = index;
    ++count_;
    return true;
}

int OidTable::find(LONG oid) const {
    if (oid == 0)
        return -1;
    const Slot& slot = slots_[slotOf(oid)];
    return slot.oid == oid ? slot.index : -1;
}

void OidTable::grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& slot : old) {
        if (slot.oid != 0)
            slots_[slotOf(slot.oid)] = slot;
    }
}

} // namespace pimstore
