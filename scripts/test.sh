#!/usr/bin/env bash
# Builds everything and runs every test suite under Wine, and beside them the iCalendar fuzzer
# for a bounded time (DAYBROOK_FUZZ_SECONDS, default 45; 0 leaves it out).
#   --repeat N   runs every suite N times, two at a time, stopping at the first failure
# Other arguments go to ctest (for example -R <suite>).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
ctest_arguments=()
while [ $# -gt 0 ]; do
    if [ "$1" = "--repeat" ] && [ $# -ge 2 ]; then
        ctest_arguments+=(--repeat "until-fail:$2")
        shift 2
    else
        ctest_arguments+=("$1")
        shift
    fi
done
# Tests run headless whatever desktop the caller has.
unset DISPLAY
"$DAYBROOK_ROOT/scripts/install-packages.sh"
"$DAYBROOK_ROOT/scripts/build.sh"
"$DAYBROOK_ROOT/scripts/prefix.sh" start
trap '"$DAYBROOK_ROOT/scripts/prefix.sh" stop' EXIT
"$DAYBROOK_ROOT/scripts/register.sh"
# The fuzzer is native and needs no Wine: it runs while the suites, which mostly wait for each
# other's registry, leave a core free.
fuzz_seconds="${DAYBROOK_FUZZ_SECONDS:-45}"
fuzz_log="$BUILD_DIR/fuzz-summary.log"
fuzz_pid=""
if [ "$fuzz_seconds" -gt 0 ]; then
    "$DAYBROOK_ROOT/scripts/fuzz.sh" "$fuzz_seconds" >"$fuzz_log" 2>&1 &
    fuzz_pid=$!
fi
cd "$BUILD_DIR"
status=0
ctest --output-on-failure -j"$(nproc)" "${ctest_arguments[@]}" || status=$?
if [ -n "$fuzz_pid" ]; then
    if wait "$fuzz_pid"; then
        echo "fuzzer (${fuzz_seconds}s): no failure"
    else
        echo "fuzzer (${fuzz_seconds}s) failed:"
        status=1
    fi
    cat "$fuzz_log"
fi
exit "$status"
