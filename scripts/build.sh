#!/usr/bin/env bash
# Configures and builds everything: build/ (64-bit, run here) and build-i686/ (the device's
# 32-bit libraries).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
# The shared folder (the real-world calendars the tests read) lies beside the project unless named.
shared=()
if [ -n "${DAYBROOK_SHARED_DIR:-}" ]; then
    shared=(-DDAYBROOK_SHARED_DIR="$DAYBROOK_SHARED_DIR")
fi
# The 64-bit build is what runs under Wine here.
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    cmake -S "$DAYBROOK_ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release "${shared[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$DAYBROOK_ROOT/cmake/mingw-x86_64.cmake" >/dev/null
fi
cmake --build "$BUILD_DIR" -j"$(nproc)"
# The 32-bit libraries as the device gets them: their record layouts are checked as they compile.
if [ ! -f "$LAYOUT_BUILD_DIR/CMakeCache.txt" ]; then
    cmake -S "$DAYBROOK_ROOT" -B "$LAYOUT_BUILD_DIR" -DCMAKE_BUILD_TYPE=Release "${shared[@]}" \
        -DDAYBROOK_LAYOUT_CHECK=ON \
        -DCMAKE_TOOLCHAIN_FILE="$DAYBROOK_ROOT/cmake/mingw-i686.cmake" >/dev/null
fi
cmake --build "$LAYOUT_BUILD_DIR" -j"$(nproc)"
