#!/usr/bin/env bash
# Installs what is missing, builds, and runs the Today screen emulator: the item is installed on
# the emulated device (in the built-in Calendar item's place) and the Today screen shows it: in a
# window when there is a desktop, else as today.png.
# Without --calendar the device has two calendars side by side: the bundled sample calendar as a
# file, and samples/team.ics as a subscription, published by a local web server (Python's
# http.server) on a free port and fetched by the device over HTTP; the server stops with the
# emulator. With --calendar (given once or more) the device has those calendars alone.
# Extra arguments go to today.exe (--now "YYYY-MM-DD HH:MM", --screen vga, --landscape, ...).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
"$DAYBROOK_ROOT/scripts/install-packages.sh"
"$DAYBROOK_ROOT/scripts/build.sh"

publisher=""
port_file="$(mktemp)"
finish() {
    [ -n "$publisher" ] && kill "$publisher" 2>/dev/null
    rm -f "$port_file"
    "$DAYBROOK_ROOT/scripts/prefix.sh" stop
}
"$DAYBROOK_ROOT/scripts/prefix.sh" start
trap finish EXIT
"$DAYBROOK_ROOT/scripts/register.sh"

# Publishes samples/ on a free local port; prints the port.
publish_samples() {
    /usr/bin/python3 - "$DAYBROOK_ROOT/samples" "$port_file" <<'PYTHON' &
import functools, http.server, sys
class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass
handler = functools.partial(Quiet, directory=sys.argv[1])
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
with open(sys.argv[2], "w") as file:
    file.write(str(server.server_address[1]))
server.serve_forever()
PYTHON
    publisher=$!
    for _ in $(seq 100); do
        [ -s "$port_file" ] && break
        sleep 0.1
    done
    if [ ! -s "$port_file" ]; then
        echo "the sample team calendar could not be published" >&2
        exit 1
    fi
}

# today.exe runs in the build's folder: calendars and pictures named relative to here are made
# absolute, and so is a library that lies here (one named alone is the build's own).
arguments=()
given=no
path_kind=""
for argument in "$@"; do
    if [ -n "$path_kind" ] && [[ "$argument" != /* && "$argument" != *://* ]] &&
        { [ "$path_kind" = always ] || [ -e "$argument" ]; }; then
        argument="$PWD/$argument"
    fi
    path_kind=""
    case "$argument" in
    --calendar) given=yes; path_kind=always ;;
    --png | --gallery | --options-snapshot) path_kind=always ;;
    --item | --install | --uninstall) path_kind=existing ;;
    esac
    arguments+=("$argument")
done
calendars=()
if [ "$given" = no ]; then
    publish_samples
    port="$(cat "$port_file")"
    echo "publishing samples/team.ics at http://127.0.0.1:$port/team.ics"
    calendars=(--calendar "$DAYBROOK_ROOT/samples/sample.ics"
               --calendar "webcal://127.0.0.1:$port/team.ics")
fi

cd "$BUILD_DIR/bin"
install=()
# Installing twice would move the item again; the device installer runs once.
if ! "$WINE" reg query 'HKLM\Software\Microsoft\Today\Items\"Daybrook"' >/dev/null 2>&1 </dev/null; then
    install=(--install daybrook.dll)
fi
# With a desktop (DISPLAY) the device opens in a window; without one the Today screen is drawn
# into today.png.
picture=()
if [ -z "${DISPLAY:-}" ]; then
    picture=(--png "$DAYBROOK_ROOT/today.png")
fi
"$WINE" today.exe "${install[@]}" "${calendars[@]}" "${picture[@]}" "${arguments[@]}"
