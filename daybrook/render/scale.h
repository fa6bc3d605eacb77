// Every margin follows the small icon size s: u = s / 8, the standard row is s + 2u, and the
// text starts at 30 pixels on small-icon screens and at 55 on high-resolution ones.
#pragma once
#include "../host/resource_module.h"

inline int iconUnit() {
    return getSmallIconSize() / 8;
}
inline int standardRowHeight() {
    return getSmallIconSize() + 2 * iconUnit();
}
inline int textIndent() {
    return getSmallIconSize() <= 30 ? 30 : 55;
}
