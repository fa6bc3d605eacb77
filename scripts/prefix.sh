#!/usr/bin/env bash
# Creates and configures the project's own Wine prefix (once per configuration version) and
# starts a persistent Wine server for it.
# Usage: prefix.sh start | stop
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

# Raise this when configure_prefix changes: an existing prefix is then configured again.
PREFIX_VERSION=4
MARKER="$WINEPREFIX/.daybrook-ready"

create_prefix() {
    mkdir -p "$BUILD_DIR"
    "$WINE" wineboot -i >/dev/null 2>&1 </dev/null
    wineserver -w
}

# Settings the project needs in its prefix; each step may run again on a configured prefix.
configure_prefix() {
    # Windows go to an X display when there is one (the interactive emulator) and to the null
    # driver otherwise (tests and pictures); without a driver window creation fails (1406).
    "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11,null /f >/dev/null 2>&1 </dev/null
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    local dejavu=/usr/share/fonts/truetype/dejavu
    # Wine does not find its own Tahoma unless it lies in the prefix's font folder. Its Tahoma has
    # no Hebrew, and Wine draws right-to-left text with the selected font's glyphs alone (linked
    # fonts are not asked), so the copies get DejaVu Sans's Hebrew letters added. Its Tahoma Bold
    # is bold only up to 16 pixels, so that copy first gets outlines that are bold at every size.
    /usr/bin/python3 "$DAYBROOK_ROOT/scripts/hebrew_tahoma.py" /usr/share/wine/fonts/tahoma.ttf \
        "$dejavu/DejaVuSans.ttf" "$fonts/tahoma.ttf"
    local bold="$BUILD_DIR/tahomabd-outlines.ttf"
    /usr/bin/python3 "$DAYBROOK_ROOT/scripts/bold_tahoma.py" /usr/share/wine/fonts/tahomabd.ttf \
        "$dejavu/DejaVuSans-Bold.ttf" "$bold"
    /usr/bin/python3 "$DAYBROOK_ROOT/scripts/hebrew_tahoma.py" "$bold" \
        "$dejavu/DejaVuSans-Bold.ttf" "$fonts/tahomabd.ttf"
    rm -f "$bold"
    # A Pocket PC has Tahoma alone, so the templates' "MS Sans Serif" is Tahoma there. Wine has no
    # MS Sans Serif and would take a much wider font: the option pages would run off the screen.
    "$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
        /v "MS Sans Serif" /d Tahoma /f >/dev/null 2>&1 </dev/null
    wineserver -w
    echo "$PREFIX_VERSION" >"$MARKER"
}

case "${1:-start}" in
start)
    [ -f "$MARKER" ] || create_prefix
    [ "$(cat "$MARKER" 2>/dev/null)" = "$PREFIX_VERSION" ] || configure_prefix
    # A server already running for this prefix (rc 2) is as good as a new one.
    wineserver -p || [ $? -eq 2 ]
    # Wine's background services start once here, with their output away from the caller's
    # pipes: otherwise every test pays their start-up, or ctest waits on their inherited output.
    "$WINE" cmd /c exit >/dev/null 2>&1 </dev/null
    ;;
stop)
    wineserver -k 2>/dev/null || true
    ;;
esac
