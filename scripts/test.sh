#!/usr/bin/env bash
# Builds everything and runs every test suite under Wine.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
# Tests run headless whatever desktop the caller has.
unset DISPLAY
"$DAYBROOK_ROOT/scripts/install-packages.sh"
"$DAYBROOK_ROOT/scripts/build.sh"
"$DAYBROOK_ROOT/scripts/prefix.sh" start
trap '"$DAYBROOK_ROOT/scripts/prefix.sh" stop' EXIT
"$DAYBROOK_ROOT/scripts/register.sh"
cd "$BUILD_DIR"
ctest --output-on-failure -j"$(nproc)" "$@"
