#!/usr/bin/env bash
# Builds and runs the benchmark (bench.exe) under Wine: building, refreshing and painting the
# agenda against the real appointment store, with generated calendars. Arguments go to bench.exe
# (--runs <n>, --rebuilds <n>, --no-emulator, --curves, --only <group>).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
"$DAYBROOK_ROOT/scripts/install-packages.sh"
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    cmake -S "$DAYBROOK_ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$DAYBROOK_ROOT/cmake/mingw-x86_64.cmake" >/dev/null
fi
cmake --build "$BUILD_DIR" -j"$(nproc)" --target bench
"$DAYBROOK_ROOT/scripts/prefix.sh" start
trap '"$DAYBROOK_ROOT/scripts/prefix.sh" stop' EXIT
"$DAYBROOK_ROOT/scripts/register.sh"
cd "$BUILD_DIR/bin"
"$WINE" bench.exe "$@"
