#!/usr/bin/env bash
# The store's loads under Wine beside the same files read natively, in one run: bench.exe's L1
# (20,000 events) and L2 (200,000), then the native reader on the same generated calendars
# (native_bench --loads), and how many times the native time each load under Wine takes.
# Usage: load-vs-native.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
under_wine="$("$DAYBROOK_ROOT/scripts/bench.sh" --only loading | grep -E '^L[12] ')"
native="$("$DAYBROOK_ROOT/scripts/native-bench.sh" --loads 5)"
echo "$under_wine"
echo "$native"
# "L1   loading ... median   106.2 ms ..." and "L1 native: ... parsed 40.1 ms, ... indexed 44.0 ms"
printf '%s\n%s\n' "$under_wine" "$native" | awk '
    $2 == "loading" { for (i = 1; i < NF; ++i) if ($i == "median") wine[$1] = $(i + 1) }
    $2 == "native:" { parsed[$1] = $8; indexed[$1] = $14 }
    END {
        for (id in wine)
            printf "%s under Wine / native: %.2fx the native parse, %.2fx the native parse and index (target <= 2)\n",
                   id, wine[id] / parsed[id], wine[id] / indexed[id]
    }' | sort
