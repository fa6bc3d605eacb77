#include "render_lock.h"

namespace {

// Made at first use (C++ guarantees a thread-safe first initialisation); never deleted, since
// either thread may still paint while the library's statics go away.
CRITICAL_SECTION* renderLock() {
    static CRITICAL_SECTION* lock = [] {
        static CRITICAL_SECTION section;
        InitializeCriticalSection(&section);
        return &section;
    }();
    return lock;
}

} // namespace

ScopedRenderLock::ScopedRenderLock() {
    EnterCriticalSection(renderLock());
}

ScopedRenderLock::~ScopedRenderLock() {
    LeaveCriticalSection(renderLock());
}
