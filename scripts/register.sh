#!/usr/bin/env bash
# Puts the emulated device's components in place in the prefix (the appointment store's COM
# registration once it exists). Expects the Wine server to be running.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
if [ -f "$BUILD_DIR/bin/pimstore.dll" ]; then
    "$WINE" regsvr32 /s "$BUILD_DIR/bin/pimstore.dll" >/dev/null 2>&1 </dev/null
fi
