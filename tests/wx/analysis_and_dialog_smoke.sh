#!/usr/bin/env bash
# The real program on a virtual display with the simulated camera, driven by keyboard and mouse:
# the histogram shows from the first frames; in "Paramètres", Escape, Enter in an edit and
# "Cancel" store nothing, typing with Tab in template order and Enter on "OK" reaches campar.dat
# at the end of the run; "Track" shows "Energie" and "Track OFF" hides it. Every step waits for
# what it needs, within a bound, so that a slow (sanitized, loaded) build passes too.
set -u
. "$(dirname "$(realpath "$0")")/desktop_checks.sh"
nuvix=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

"$nuvix" --simulate >out.txt 2>&1 &
pid=$!

# The camera's message: its "OK" near the bottom of the box, clicked until the box has gone.
answer_box() {
  local box
  box=$(xdotool search --onlyvisible --name "Quickcam sur LPT1" 2>/dev/null | head -1)
  [ -z "$box" ] && return 1
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$box")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 15)) click 1
  within 5 hidden "Quickcam sur LPT1"
}
check_name="camera message answered"; check within 60 answer_box

# Without a window manager the main window's client area is at (242, 141) on 1024 x 768, and
# the histogram window at (324, 220) of it: orange bars above the stubs, red profiles.
count() {
  convert frames.png -crop 210x242+566+361 +repage -fill black +opaque "$1" -fill white -opaque "$1" \
    -format '%[fx:round(mean*w*h)]' info:
}
histogram_drawn() {
  import -window root frames.png
  orange=$(count "rgb(255,120,0)")
  red=$(count "rgb(255,0,0)")
  [ "$orange" -gt 100 ] && [ "$red" -gt 20 ]
}
check_name="histogram bars and profiles"; check within 60 histogram_drawn
echo "histogram: $orange orange pixels, $red red"

# The focus starts on the pixel size, whose text is selected: typing replaces it.
param() { xdotool mousemove 290 445 click 1; within 30 shown "Paramètres" && sleep 0.5; }
param; xdotool type "150"; xdotool key Escape
check_name="Escape closes"; check within 10 hidden "Paramètres"
param; xdotool type "300"; xdotool key Return
check_name="Enter in an edit closes"; check within 10 hidden "Paramètres"
param; xdotool type "50"; xdotool mousemove 752 553 click 1
check_name="Cancel closes"; check within 10 hidden "Paramètres"
# Pixel size, then three Tabs to the focal length, two more to "OK".
param; xdotool type "9"; xdotool key Tab Tab Tab; xdotool type "100"; xdotool key Tab Tab Return
check_name="OK closes"; check within 10 hidden "Paramètres"

check_name="Energie hidden at start"; check hidden "^Energie$"
xdotool mousemove 290 520 click 1
check_name="Track shows Energie"; check within 10 shown "^Energie$"
xdotool mousemove 290 520 click 1
check_name="Track OFF hides Energie"; check within 10 hidden "^Energie$"

kill -TERM "$pid"
wait "$pid"
stored=$(od -An -t f8 -j 21 -N 16 campar.dat | tr -s ' ')
echo "focal length and pixel size stored:$stored"
check_name="OK reached campar.dat"; check [ "$stored" = " 100 9" ]
cat out.txt
exit $fail
