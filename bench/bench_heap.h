// The heap the item's own code holds: this program replaces operator new and delete, and while
// counting is on every block made is tagged and counted until it is freed. The store lives in its
// own library with its own allocator and is never counted.
#pragma once

namespace bench {

struct HeapCount {
    long long bytes = 0; // requested bytes of the tagged blocks still alive
    long long blocks = 0;
};

// Forgets what was counted and counts the blocks made from now on (earlier blocks are not
// subtracted when they are freed).
void startCountingHeap();
// Stops counting new blocks; counted ones are still subtracted when they are freed.
void stopCountingHeap();
HeapCount countedHeap();

} // namespace bench
