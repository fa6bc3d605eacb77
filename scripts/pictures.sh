#!/usr/bin/env bash
# Renders the README's pictures of the Today screen and the option pages into docs/. Expects a
# build (scripts/build.sh). The item is installed on the device for the Today screens; the keys
# written for the option pages are removed again at the end.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
unset DISPLAY
"$DAYBROOK_ROOT/scripts/prefix.sh" start
"$DAYBROOK_ROOT/scripts/register.sh"

AGENDA_FUSION='HKLM\SOFTWARE\Developer One, Inc.\Agenda Fusion'
reg() {
    "$WINE" reg "$@" >/dev/null 2>&1 </dev/null || true
}
trap 'reg delete "$AGENDA_FUSION" /f; "$DAYBROOK_ROOT/scripts/prefix.sh" stop' EXIT

cd "$BUILD_DIR/bin"
today() {
    "$WINE" today.exe --calendar "$DAYBROOK_ROOT/samples/sample.ics" "$@" </dev/null | tail -1
}
docs="$DAYBROOK_ROOT/docs"
if ! "$WINE" reg query 'HKLM\Software\Microsoft\Today\Items\"Daybrook"' >/dev/null 2>&1 </dev/null; then
    today --install daybrook.dll --seconds 1
fi
now=(--now "2026-12-08 09:00")
today "${now[@]}" --png "$docs/today/qvga.png"
today "${now[@]}" --landscape --png "$docs/today/qvga-landscape.png"
today "${now[@]}" --screen vga --png "$docs/today/vga.png"
today "${now[@]}" --screen vga --landscape --png "$docs/today/vga-landscape.png"
today "${now[@]}" --locale 0x040D --ui-language 0x000D --png "$docs/today/hebrew-rtl.png"
today "${now[@]}" --screen vga --locale 0x040D --ui-language 0x000D \
    --png "$docs/today/hebrew-rtl-vga.png"
today "${now[@]}" --select 3 --png "$docs/today/selected.png"
today "${now[@]}" --gallery "$docs/today/gallery.png"
today "${now[@]}" --screen vga --gallery "$docs/today/gallery-vga.png"

# The option pages with another calendar program installed, so that the Programs page shows.
reg add "$AGENDA_FUSION" /v AppLocation /d '\Program Files\Agenda Fusion\AgendaFusion.exe' /f
options() {
    today --item daybrook.dll --now "2026-03-12 09:30" --options --close-options-after 500 \
        --png "$BUILD_DIR/options-run.png" "$@"
}
options --options-page 0 --options-snapshot "$docs/options/display.png"
options --options-page 1 --options-snapshot "$docs/options/layout.png"
options --options-page 2 --options-snapshot "$docs/options/programs.png"
options --landscape --options-page 1 --options-snapshot "$docs/options/layout-landscape.png"
options --screen vga --options-page 0 --options-snapshot "$docs/options/display-vga.png"
options --screen vga --options-page 1 --options-snapshot "$docs/options/layout-vga.png"
options --screen vga --options-page 2 --options-snapshot "$docs/options/programs-vga.png"
options --screen vga --landscape --options-page 1 \
    --options-snapshot "$docs/options/layout-vga-landscape.png"
