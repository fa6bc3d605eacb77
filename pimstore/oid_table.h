// Event identifiers to event indexes in one flat array. A load makes an entry for every event,
// and a table with a heap block per entry makes a large calendar's load slow out of proportion.
#pragma once

#include <windows.h>

#include <vector>

namespace pimstore {

class OidTable {
public:
    explicit OidTable(size_t expected = 0);

    // False when the identifier is there already (its index is kept).
    bool insert(LONG oid, int index);
    bool contains(LONG oid) const { return find(oid) >= 0; }
    int find(LONG oid) const; // -1 when absent

private:
    size_t slotOf(LONG oid) const; // its slot, or the empty one where it would go
    void grow();

    // Side by side, so that a probe touches one place in memory.
    struct Slot {
        LONG oid = 0; // 0 marks an empty slot: no identifier is 0
        int index = -1;
    };
    std::vector<Slot> slots_;
    size_t count_ = 0;
};

} // namespace pimstore
