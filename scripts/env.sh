# Sourced by the other scripts: where things are and how Wine is run.
DAYBROOK_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$DAYBROOK_ROOT/build}"
LAYOUT_BUILD_DIR="${LAYOUT_BUILD_DIR:-$DAYBROOK_ROOT/build-i686}"
export WINEPREFIX="$BUILD_DIR/wineprefix"
export WINEARCH=win64
# wine64 by its own path: the wine script would prefer a 32-bit loader, which cannot run here.
WINE=/usr/lib/wine/wine64
export WINELOADER=$WINE
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
