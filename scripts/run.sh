#!/usr/bin/env bash
# Installs what is missing, builds, and runs the Today screen emulator hosting the item.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
"$DAYBROOK_ROOT/scripts/install-packages.sh"
"$DAYBROOK_ROOT/scripts/build.sh"
"$DAYBROOK_ROOT/scripts/prefix.sh" start
trap '"$DAYBROOK_ROOT/scripts/prefix.sh" stop' EXIT
"$DAYBROOK_ROOT/scripts/register.sh"
cd "$BUILD_DIR/bin"
"$WINE" today.exe "$@"
