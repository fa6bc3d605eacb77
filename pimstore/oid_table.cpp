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

OidTable::OidTable(size_t expected)
    : oids_(slotsFor(expected), 0), indexes_(slotsFor(expected), -1) {}

size_t OidTable::slotOf(LONG oid) const {
    const size_t mask = oids_.size() - 1;
    // Identifiers made by stepping past a collision are consecutive: mixed, they spread out.
    size_t slot = (static_cast<std::uint32_t>(oid) * 2654435761u) & mask;
    while (oids_[slot] != 0 && oids_[slot] != oid)
        slot = (slot + 1) & mask;
    return slot;
}

bool OidTable::insert(LONG oid, int index) {
    if (oid == 0)
        return false;
    if ((count_ + 1) * 2 > oids_.size())
        grow();
    const size_t slot = slotOf(oid);
    if (oids_[slot] == oid)
        return false;
    oids_[slot] = oid;
    indexes_[slot] = index;
    ++count_;
    return true;
}

int OidTable::find(LONG oid) const {
    if (oid == 0)
        return -1;
    const size_t slot = slotOf(oid);
    return oids_[slot] == oid ? indexes_[slot] : -1;
}

void OidTable::grow() {
    std::vector<LONG> oids;
    std::vector<int> indexes;
    oids.swap(oids_);
    indexes.swap(indexes_);
    oids_.assign(oids.size() * 2, 0);
    indexes_.assign(oids.size() * 2, -1);
    for (size_t i = 0; i < oids.size(); ++i) {
        if (oids[i] == 0)
            continue;
        const size_t slot = slotOf(oids[i]);
        oids_[slot] = oids[i];
        indexes_[slot] = indexes[i];
    }
}

} // namespace pimstore
