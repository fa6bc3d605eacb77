#!/usr/bin/env bash
# Installs what is missing, builds, and runs the Today screen emulator: the item is installed on
# the emulated device (in the built-in Calendar item's place) and the Today screen shows it with
# the bundled sample calendar: in a window when there is a desktop, else as today.png.
# Extra arguments go to today.exe (--now "YYYY-MM-DD HH:MM", --screen vga, --landscape, ...).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
"$DAYBROOK_ROOT/scripts/install-packages.sh"
"$DAYBROOK_ROOT/scripts/build.sh"
"$DAYBROOK_ROOT/scripts/prefix.sh" start
trap '"$DAYBROOK_ROOT/scripts/prefix.sh" stop' EXIT
"$DAYBROOK_ROOT/scripts/register.sh"
cd "$BUILD_DIR/bin"
install=()
# Installing twice would move the item again; the device installer runs once.
if ! "$WINE" reg query 'HKLM\Software\Microsoft\Today\Items\"Daybrook"' >/dev/null 2>&1 </dev/null; then
    install=(--install daybrook.dll)
fi
# With a desktop (DISPLAY) the device opens in a window; without one the Today screen is drawn
# into today.png.
picture=()
if [ -z "${DISPLAY:-}" ]; then
    picture=(--png "$DAYBROOK_ROOT/today.png")
fi
"$WINE" today.exe "${install[@]}" --calendar "$DAYBROOK_ROOT/samples/sample.ics" \
    "${picture[@]}" "$@"
