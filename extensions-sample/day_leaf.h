// Day Leaf, a sample Daybrook extension: day headings drawn as a calendar leaf or as a coloured
// band, chosen in its own options dialog from the item's tap-and-hold menu.
#pragma once
#include <windows.h>

enum HeadingStyle : DWORD {
    StyleLeaf = 0, // a calendar leaf with month and day in the margin, the text beside it
    StyleBand = 1, // the text on a band in the Today screen's heading colour
};

// The style the user chose, kept in HKEY_CURRENT_USER "Software\Orvane\DayLeaf", "Style".
HeadingStyle loadHeadingStyle();
bool saveHeadingStyle(HeadingStyle style);

// The module's own instance, for its dialog template.
HINSTANCE dayLeafInstance();
