#!/usr/bin/env bash
# Puts the emulated device's components in place in the prefix (the appointment store's COM
# registration once it exists). Expects the Wine server to be running.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
if [ -f "$BUILD_DIR/bin/pimstore.dll" ]; then
    # From its own folder, where Wine's loader finds the library it needs (cedevice.dll); the
    # registration records the full path all the same.
    (cd "$BUILD_DIR/bin" && "$WINE" regsvr32 /s pimstore.dll >/dev/null 2>&1 </dev/null)
fi
# The device's Calendar shortcut, \windows\calendar.lnk, pointing at the built calendar.exe.
if [ -f "$BUILD_DIR/bin/calendar.exe" ]; then
    "$WINE" "$BUILD_DIR/bin/calendar.exe" --install-shortcut >/dev/null 2>&1 </dev/null
fi
