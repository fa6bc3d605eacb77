#!/usr/bin/env bash
# Builds and runs the native benchmark: the store's iCalendar reader beside libical (Debian's
# libical-dev, needed by nothing else) on the same generated calendars, natively like the fuzzer
# (no Wine, no mingw). Usage: native-bench.sh [runs]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
out="$DAYBROOK_ROOT/build-native"
program="$out/native_bench"
mkdir -p "$out"
sources=("$DAYBROOK_ROOT"/pimstore/ical/*.cpp "$DAYBROOK_ROOT"/bench/bench_calendars.cpp
         "$DAYBROOK_ROOT"/bench/native/native_bench.cpp)
if [ ! -x "$program" ] || [ -n "$(find "${sources[@]}" "$DAYBROOK_ROOT"/pimstore/ical/*.h \
        "$DAYBROOK_ROOT"/bench/bench_calendars.h -newer "$program" 2>/dev/null | head -1)" ]; then
    g++ -std=c++17 -O2 -DNDEBUG -I"$DAYBROOK_ROOT/pimstore/ical" -I"$DAYBROOK_ROOT/bench" \
        "${sources[@]}" -o "$program" $(pkg-config --cflags --libs libical 2>/dev/null || echo -lical)
fi
"$program" "$@"
