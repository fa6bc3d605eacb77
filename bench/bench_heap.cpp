#include "bench_heap.h"

#include "replaced_new.h"

#include <windows.h>

#include <cstdlib>

namespace {

// Each block starts with this header; the tag is the counting generation it was made in (0: not
// counted).
struct alignas(16) BlockHeader {
    size_t size;
    size_t tag;
};

volatile LONG gCounting = 0;
// Each start of counting is a generation of its own; only the current one's blocks count.
volatile LONG gGeneration = 0;
volatile LONG64 gBytes = 0;
volatile LONG64 gBlocks = 0;

void* allocate(size_t size) {
    auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
    if (!header)
        return nullptr;
    header->size = size;
    header->tag = 0;
    if (InterlockedCompareExchange(&gCounting, 0, 0)) {
        header->tag = static_cast<size_t>(InterlockedCompareExchange(&gGeneration, 0, 0));
        InterlockedExchangeAdd64(&gBytes, static_cast<LONG64>(size));
        InterlockedIncrement64(&gBlocks);
    }
    return header + 1;
}

void release(void* block) {
    if (!block)
        return;
    BlockHeader* header = static_cast<BlockHeader*>(block) - 1;
    if (header->tag != 0 &&
        header->tag == static_cast<size_t>(InterlockedCompareExchange(&gGeneration, 0, 0))) {
        InterlockedExchangeAdd64(&gBytes, -static_cast<LONG64>(header->size));
        InterlockedDecrement64(&gBlocks);
    }
    std::free(header);
}

} // namespace

void* replacedAllocate(size_t size, bool) {
    return allocate(size);
}
void replacedRelease(void* block) {
    release(block);
}

namespace bench {

void startCountingHeap() {
    InterlockedExchange(&gCounting, 0);
    InterlockedIncrement(&gGeneration);
    InterlockedExchange64(&gBytes, 0);
    InterlockedExchange64(&gBlocks, 0);
    InterlockedExchange(&gCounting, 1);
}

void stopCountingHeap() {
    InterlockedExchange(&gCounting, 0);
}

HeapCount countedHeap() {
    HeapCount count;
    count.bytes = InterlockedCompareExchange64(&gBytes, 0, 0);
    count.blocks = InterlockedCompareExchange64(&gBlocks, 0, 0);
    return count;
}

} // namespace bench
