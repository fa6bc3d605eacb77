#!/usr/bin/env bash
# Regenerates docs/PERFORMANCE.md and its plots (docs/performance/*.png): runs the benchmark with
# its curves under Wine, keeps its whole output beside the page, and writes the page from it.
# Arguments go to bench.exe (e.g. --runs 11).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
output="$DAYBROOK_ROOT/docs/performance/bench-output.txt"
mkdir -p "$(dirname "$output")"
{
    echo "run on $(date -u '+%Y-%m-%d %H:%M UTC'), load average $(cut -d' ' -f1-3 /proc/loadavg)"
    "$DAYBROOK_ROOT/scripts/bench.sh" --curves "$@"
} | tee "$output"
# Debian's Python, where python3-matplotlib installs.
/usr/bin/python3 "$DAYBROOK_ROOT/scripts/performance_page.py" "$output" "$DAYBROOK_ROOT/docs"
echo "wrote docs/PERFORMANCE.md and docs/performance/*.png"
