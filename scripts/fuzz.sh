#!/usr/bin/env bash
# Builds the iCalendar fuzzer natively (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer; no Wine, no mingw) and runs it over the kept corpus.
# Usage: fuzz.sh [seconds]   (default 45). New inputs go to build-fuzz/corpus, never into the
# repository (a short run starts that folder afresh, so that it spends its time fuzzing rather
# than rereading what earlier runs found); a crash is written to build-fuzz/ and the script fails.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
seconds="${1:-45}"
out="$DAYBROOK_ROOT/build-fuzz"
fuzzer="$out/ical_fuzzer"
if [ "$seconds" -le 120 ]; then
    rm -rf "$out/corpus"
fi
mkdir -p "$out/corpus"
sources=("$DAYBROOK_ROOT"/pimstore/ical/*.cpp "$DAYBROOK_ROOT"/tests/fuzz/calendar_exercise.cpp
         "$DAYBROOK_ROOT"/tests/fuzz/ical_fuzzer.cpp)
# Rebuilt only when a source is newer than the fuzzer.
if [ ! -x "$fuzzer" ] || [ -n "$(find "${sources[@]}" "$DAYBROOK_ROOT"/pimstore/ical/*.h \
        "$DAYBROOK_ROOT"/tests/fuzz/*.h -newer "$fuzzer" 2>/dev/null | head -1)" ]; then
    clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined \
        -fno-sanitize-recover=undefined -I"$DAYBROOK_ROOT/pimstore/ical" \
        "${sources[@]}" -o "$fuzzer"
fi
# Inputs that broke before must pass first.
regressions=("$DAYBROOK_ROOT"/tests/fuzz/regressions/*)
if [ -e "${regressions[0]}" ]; then
    "$fuzzer" "${regressions[@]}" >"$out/regressions.log" 2>&1 ||
        { cat "$out/regressions.log"; exit 1; }
fi
cd "$out"
# -timeout catches inputs that hang, -rss_limit_mb ones that eat memory.
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -dict="$DAYBROOK_ROOT/tests/fuzz/ical.dict" "$out/corpus" "$DAYBROOK_ROOT/tests/fuzz/corpus" \
    >"$out/fuzz.log" 2>&1 || { tail -60 "$out/fuzz.log"; exit 1; }
grep -E "^stat::number_of_executed_units|^Done" "$out/fuzz.log" || true
