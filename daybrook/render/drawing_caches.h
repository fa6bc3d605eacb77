// Releasing every drawing cache at once: each cache owns and deletes what it makes; this only
// asks them all.
#pragma once

// Deletes the fonts, the heading pen, the icon images and the scratch buffer; the next use makes
// them again. The marker brushes and pens are released separately (releaseMarkerCache).
void releaseDrawingCaches();
