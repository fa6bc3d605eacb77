// One picture of the item in each of its appointment-line layouts, side by side.
#pragma once
#include <windows.h>

// Hosts the item library once per layout (the stored "Painter" setting), takes its row from
// the Today screen and writes the rows as a labelled grid to a PNG file. The stored setting is
// put back afterwards. False when the item cannot be hosted or the picture cannot be written.
bool renderLayoutGallery(const WCHAR* itemLibrary, const WCHAR* path);
