#include "drawing_caches.h"
#include "fonts.h"
#include "heading_painting.h"
#include "markers.h"
#include "render_lock.h"
#include "text_drawing.h"

void releaseDrawingCaches() {
    ScopedRenderLock lock;
    releaseFonts();
    releaseHeadingPen();
    releaseIconImages();
    releaseScratchBuffer();
}
