// Heap allocations of the item made to fail one at a time. This program replaces the global
// operators new and delete, and its import table's entries for the heap and BSTR functions the
// item calls (HeapAlloc, SysAllocString, SysAllocStringLen, VarBstrFromDate and their frees), so
// that every allocation the item's code makes on the armed thread is counted and the chosen one
// fails. Blocks allocated while armed are tracked until they are freed, from any thread.
#pragma once
#include <windows.h>

namespace allocation_faults {

// Installs the import table hooks; false when one of them could not be installed.
bool install();

// Counts the calling thread's allocations from now on; number failAt (1-based) fails, none when
// it is 0. Forgets the blocks tracked before.
void arm(long failAt);
struct Outcome {
    long allocations = 0; // counted while armed
    bool failed = false;  // the chosen allocation was reached and failed
    long throwing = 0;    // allocations through the throwing operator new (never failed)
};
Outcome disarm();

// Blocks allocated while armed that have not been freed yet.
long liveBlocks();
// The number of the earliest allocation still alive (counted from the arming), 0 for none.
long firstLiveAllocation();

// Test code that runs inside an armed operation (a menu answer, a timer that closes a dialog)
// does not count while one of these exists.
class Pause {
public:
    Pause();
    ~Pause();

private:
    DWORD previous_;
};

} // namespace allocation_faults
