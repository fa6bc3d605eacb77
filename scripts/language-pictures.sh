#!/usr/bin/env bash
# Renders the pictures of the README's "Languages and extensions" section into docs/: the Today
# screen and an options page of a Hebrew and of a German device, and the two heading styles of
# the Day Leaf extension. Expects a build (scripts/build.sh). The item lists three days; the
# settings and extension keys written for that are removed again at the end.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
"$DAYBROOK_ROOT/scripts/prefix.sh" start
trap '"$DAYBROOK_ROOT/scripts/prefix.sh" stop' EXIT
"$DAYBROOK_ROOT/scripts/register.sh"

SETTINGS='HKCU\Software\Orvane\Daybrook'
DAY_LEAF='HKCU\Software\Orvane\Daybrook\Extensions\DayLeaf'
HEBREW=(--locale 0x040D --ui-language 0x000D)
GERMAN=(--locale 0x0407)

reg() {
    "$WINE" reg "$@" >/dev/null 2>&1 </dev/null || true
}

# today.exe with the item and the sample calendar at 13:00, when today has nothing further.
today() {
    (cd "$BUILD_DIR/bin" && "$WINE" today.exe --item daybrook.dll \
        --calendar "$DAYBROOK_ROOT/samples/sample.ics" --now "2026-12-08 13:00" "$@" \
        >/dev/null 2>&1 </dev/null)
}

# options_page <page> <picture> <today.exe arguments...>
options_page() {
    local page=$1 picture=$2
    shift 2
    today "$@" --options --options-page "$page" --options-snapshot "$picture" \
        --close-options-after 500 --png "$BUILD_DIR/options-run.png"
}

reg delete "$SETTINGS" /f
reg add "$SETTINGS" /v UpcomingType /t REG_DWORD /d 1 /f
reg add "$SETTINGS" /v UpcomingCount /t REG_DWORD /d 3 /f
trap 'reg delete "$SETTINGS" /f; reg delete "HKCU\Software\Orvane\DayLeaf" /f;
      "$DAYBROOK_ROOT/scripts/prefix.sh" stop' EXIT

docs="$DAYBROOK_ROOT/docs"
today "${HEBREW[@]}" --png "$docs/today/hebrew.png"
today "${GERMAN[@]}" --png "$docs/today/german.png"
options_page 1 "$docs/options/hebrew-layout.png" "${HEBREW[@]}"
options_page 0 "$docs/options/german-display.png" "${GERMAN[@]}"

reg add "$DAY_LEAF" /v Name /d "Day headings" /f
reg add "$DAY_LEAF" /v Path /d "$(cd "$BUILD_DIR/bin" && "$WINE" winepath -w DayLeaf.dll 2>/dev/null)" /f
today --png "$docs/today/day-leaf.png"
reg add 'HKCU\Software\Orvane\DayLeaf' /v Style /t REG_DWORD /d 1 /f
today "${HEBREW[@]}" --png "$docs/today/day-leaf-band-hebrew.png"
