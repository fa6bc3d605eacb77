#!/usr/bin/env bash
# Creates the project's own Wine prefix (once) and starts a persistent Wine server for it.
# Usage: prefix.sh start | stop
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

create_prefix() {
    mkdir -p "$BUILD_DIR"
    "$WINE" wineboot -i >/dev/null 2>&1 </dev/null
    wineserver -w
    # Headless windows need the null display driver; without it window creation fails (1406).
    "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 </dev/null
    # Wine does not find its own Tahoma unless it lies in the prefix's font folder.
    cp /usr/share/wine/fonts/tahoma*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    wineserver -w
    touch "$WINEPREFIX/.daybrook-ready"
}

# Windows go to an X display when there is one (the interactive emulator) and to the null
# driver otherwise (tests and pictures). Dialogs that ask for "MS Sans Serif" get Tahoma, the
# only face a Pocket PC has, so that they keep the device's proportions.
configure_device() {
    "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11,null /f >/dev/null 2>&1 </dev/null
    "$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
        /v "MS Sans Serif" /d Tahoma /f >/dev/null 2>&1 </dev/null
    touch "$WINEPREFIX/.daybrook-device-2"
}

case "${1:-start}" in
start)
    [ -f "$WINEPREFIX/.daybrook-ready" ] || create_prefix
    [ -f "$WINEPREFIX/.daybrook-device-2" ] || configure_device
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
