#!/usr/bin/env bash
# The Today screen with two calendars side by side: the sample calendar as a file, and
# samples/team.ics as a subscription, published by a local web server (Python's http.server) on
# a free port and fetched by the device over HTTP. The server stops when the emulator ends.
# Extra arguments go to today.exe, as with scripts/run.sh.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
port_file="$(mktemp)"
python3 - "$DAYBROOK_ROOT/samples" "$port_file" <<'PYTHON' &
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
server=$!
trap 'kill "$server" 2>/dev/null; rm -f "$port_file"' EXIT
for _ in $(seq 100); do
    [ -s "$port_file" ] && break
    sleep 0.1
done
port="$(cat "$port_file")"
echo "publishing samples/team.ics at http://127.0.0.1:$port/team.ics"
"$DAYBROOK_ROOT/scripts/run.sh" --calendar "webcal://127.0.0.1:$port/team.ics" "$@"
