#!/usr/bin/env bash
# Drives the interactive emulator on a virtual display, as a person with a stylus would: taps an
# appointment (the device's Calendar shows it), holds on it (the item's menu opens), chooses
# "Delete Appointment" and answers "No" (only this occurrence goes). A screenshot of each step is
# written to the folder given (default build/demo), and the calendar file shows the change.
# Needs Xvfb, xdotool and ImageMagick (Debian: xvfb xdotool imagemagick).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
out="$(realpath -m "${1:-$BUILD_DIR/demo}")"
mkdir -p "$out"
if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null || ! command -v import >/dev/null; then
    if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q xvfb xdotool imagemagick >/dev/null
    else
        echo "demo: needs Xvfb, xdotool and ImageMagick (apt-get install xvfb xdotool imagemagick)" >&2
        exit 2
    fi
fi

"$DAYBROOK_ROOT/scripts/prefix.sh" start
"$DAYBROOK_ROOT/scripts/register.sh"
export DISPLAY=:93
Xvfb "$DISPLAY" -screen 0 800x600x24 >/dev/null 2>&1 &
xvfb=$!
calendar="$out/calendar.ics"
cp "$DAYBROOK_ROOT/samples/sample.ics" "$calendar"
cleanup() {
    kill "$today" "$xvfb" 2>/dev/null || true
    "$DAYBROOK_ROOT/scripts/prefix.sh" stop
}
today=""
trap cleanup EXIT
sleep 1

cd "$BUILD_DIR/bin"
"$WINE" today.exe --item daybrook.dll --calendar "$calendar" --now "2026-12-08 09:00" \
    --seconds 60 >"$out/today.log" 2>&1 &
today=$!
window=$(xdotool search --sync --name '^Today - ')
sleep 2

# The X window holds the menu bar above the device's screen (240 x 320).
eval "$(xdotool getwindowgeometry --shell "$window")"
left=$X
top=$((Y + HEIGHT - 320))
shot() { sleep "$2"; import -window root -crop 800x600+0+0 "$out/$1.png"; echo "demo: $out/$1.png"; }
# "Design review", the second appointment of the sample day, 11:00 to 12:00.
row_x=$((left + 80))
row_y=$((top + 65))

shot 1-today 0
xdotool mousemove "$row_x" "$row_y" click 1
view=$(xdotool search --sync --name '^Calendar$')
shot 2-tap-opens-calendar 1
eval "$(xdotool getwindowgeometry --shell "$view")"
xdotool mousemove $((X + 190)) $((Y + 126)) click 1 # its OK button
while xdotool search --name '^Calendar$' >/dev/null 2>&1; do sleep 0.2; done
sleep 1

xdotool mousemove "$row_x" "$row_y" mousedown 1 sleep 1 mouseup 1
shot 3-hold-opens-menu 1
xdotool mousemove $((row_x + 60)) $((row_y + 12)) click 1 # "Delete Appointment"
question=$(xdotool search --sync --name '^Daybrook$')
shot 4-recurring-question 1
eval "$(xdotool getwindowgeometry --shell "$question")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 20)) click 1 # "No": this occurrence only
shot 5-occurrence-deleted 3
if grep -q '^EXDATE:20261208T110000' "$calendar"; then
    echo "demo: the calendar file now leaves out the occurrence of 8 December"
else
    echo "demo: the calendar file did not change" >&2
    exit 1
fi
