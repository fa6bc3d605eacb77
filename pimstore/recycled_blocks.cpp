#include "recycled_blocks.h"

#include "scoped_lock.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace pimstore {

namespace {

// Large blocks are sized in steps, so that a calendar a few events longer or shorter than the
// last still fits the block the last one used.
constexpr std::size_t kLargeBlockStep = 64 * 1024;
// Blocks followed at once: a load has about a dozen large ones, two loads live at a time.
constexpr int kSlots = 64;

struct Slot {
    void* block;
    std::size_t capacity;
    bool inUse;
};

SRWLOCK gLock = SRWLOCK_INIT;
Slot gSlots[kSlots];
int gSlotCount = 0;
std::size_t gBytesInUse = 0;
std::size_t gBytesKept = 0;
DWORD gLastActivity = 0;
// Nonzero while any large block is followed: a delete without a size looks only then.
std::atomic<int> gFollowed{0};

void forget(int slot) {
    gSlots[slot] = gSlots[--gSlotCount];
    gFollowed.store(gSlotCount, std::memory_order_relaxed);
}

// Under gLock: the smallest kept block of atLeast to atMost bytes, or -1.
int smallestKept(std::size_t atLeast = 0, std::size_t atMost = ~std::size_t(0)) {
    int smallest = -1;
    for (int i = 0; i < gSlotCount; ++i) {
        const Slot& slot = gSlots[i];
        if (!slot.inUse && slot.capacity >= atLeast && slot.capacity <= atMost &&
            (smallest < 0 || slot.capacity < gSlots[smallest].capacity))
            smallest = i;
    }
    return smallest;
}

// Under gLock: the smallest kept block of capacity to capacity + 1/8, or null.
void* takeKept(std::size_t capacity) {
    const int best = smallestKept(capacity, capacity + capacity / 8);
    if (best < 0)
        return nullptr;
    gSlots[best].inUse = true;
    gBytesKept -= gSlots[best].capacity;
    gBytesInUse += gSlots[best].capacity;
    gLastActivity = GetTickCount();
    return gSlots[best].block;
}

void* allocateLarge(std::size_t size) {
    if (size > ~std::size_t(0) - kLargeBlockStep)
        return nullptr;
    const std::size_t capacity = (size + kLargeBlockStep - 1) / kLargeBlockStep * kLargeBlockStep;
    {
        ExclusiveLock guard(&gLock);
        if (void* kept = takeKept(capacity))
            return kept;
    }
    void* block = std::malloc(capacity);
    if (!block)
        return nullptr;
    ExclusiveLock guard(&gLock);
    if (gSlotCount < kSlots) {
        gSlots[gSlotCount++] = {block, capacity, true};
        gFollowed.store(gSlotCount, std::memory_order_relaxed);
        gBytesInUse += capacity;
        gLastActivity = GetTickCount();
    }
    return block;
}

// False when the block is not a followed large one. Kept, then the smallest kept blocks go back
// until no more is kept than the large blocks still in use: a calendar that shrank, or a
// transient block, is not kept for long.
bool releaseLarge(void* block) {
    void* giveBack[kSlots];
    int count = 0;
    {
        ExclusiveLock guard(&gLock);
        int found = -1;
        for (int i = 0; i < gSlotCount && found < 0; ++i) {
            if (gSlots[i].block == block && gSlots[i].inUse)
                found = i;
        }
        if (found < 0)
            return false;
        gSlots[found].inUse = false;
        gBytesInUse -= gSlots[found].capacity;
        gBytesKept += gSlots[found].capacity;
        gLastActivity = GetTickCount();
        while (gBytesKept > gBytesInUse) {
            const int smallest = smallestKept();
            gBytesKept -= gSlots[smallest].capacity;
            giveBack[count++] = gSlots[smallest].block;
            forget(smallest);
        }
    }
    for (int i = 0; i < count; ++i)
        std::free(giveBack[i]);
    return true;
}

void* allocate(std::size_t size) {
    if (size >= kLargeBlockBytes)
        return allocateLarge(size);
    return std::malloc(size ? size : 1);
}

// knownSize is the size asked for, or 0 when the caller did not say.
void release(void* block, std::size_t knownSize) {
    if (!block)
        return;
    const bool mayBeLarge = knownSize == 0 || knownSize >= kLargeBlockBytes;
    if (mayBeLarge && gFollowed.load(std::memory_order_relaxed) > 0 && releaseLarge(block))
        return;
    std::free(block);
}

void* allocateOrThrow(std::size_t size) {
    void* block = allocate(size);
    if (!block)
        throw std::bad_alloc();
    return block;
}

} // namespace

std::size_t recycledBlockBytes() {
    SharedLock guard(&gLock);
    return gBytesKept;
}

void releaseRecycledBlocks(unsigned idleMilliseconds) {
    void* giveBack[kSlots];
    int count = 0;
    {
        ExclusiveLock guard(&gLock);
        if (gBytesKept == 0 || GetTickCount() - gLastActivity < idleMilliseconds)
            return;
        for (int i = gSlotCount - 1; i >= 0; --i) {
            if (gSlots[i].inUse)
                continue;
            giveBack[count++] = gSlots[i].block;
            forget(i);
        }
        gBytesKept = 0;
    }
    for (int i = 0; i < count; ++i)
        std::free(giveBack[i]);
}

} // namespace pimstore

void* operator new(std::size_t size) {
    return pimstore::allocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return pimstore::allocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return pimstore::allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return pimstore::allocate(size);
}
void operator delete(void* block) noexcept {
    pimstore::release(block, 0);
}
void operator delete[](void* block) noexcept {
    pimstore::release(block, 0);
}
void operator delete(void* block, std::size_t size) noexcept {
    pimstore::release(block, size);
}
void operator delete[](void* block, std::size_t size) noexcept {
    pimstore::release(block, size);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    pimstore::release(block, 0);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    pimstore::release(block, 0);
}
