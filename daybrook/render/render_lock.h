// The drawing caches (fonts, scratch buffer, pens, brushes, icon images) are shared by the Today
// screen's thread and the loader thread, which measures items in lines mode. One recursive lock
// covers every change to them and every use of the scratch buffer. Nothing that sends a message
// or calls an extension module runs under it: the loader's TODAYM_GETCOLOR is a cross-thread
// send, which would deadlock against a window thread waiting here.
#pragma once
#include <windows.h>

class ScopedRenderLock {
public:
    ScopedRenderLock();
    ~ScopedRenderLock();

private:
    ScopedRenderLock(const ScopedRenderLock&) = delete;
    ScopedRenderLock& operator=(const ScopedRenderLock&) = delete;
};
