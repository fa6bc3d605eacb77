#!/usr/bin/env bash
# The long stress run: refresh queries while another program rewrites the calendar every few
# milliseconds, the item destroyed and initialised again in between. Expects a build (test.sh).
# Usage: stress.sh [queries] [initialisations]   (default 10000 and 100)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
"$DAYBROOK_ROOT/scripts/prefix.sh" start
trap '"$DAYBROOK_ROOT/scripts/prefix.sh" stop' EXIT
"$DAYBROOK_ROOT/scripts/register.sh"
cd "$BUILD_DIR/bin"
DAYBROOK_STRESS_QUERIES="${1:-10000}" DAYBROOK_STRESS_CYCLES="${2:-100}" \
    "$WINE" ./stress_tests.exe --gtest_color=no
