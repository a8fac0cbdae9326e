#!/usr/bin/env bash
# The real program on a display without a window manager (run it under on_virtual_display.sh):
# message boxes come one at a time, each above the main window, where nothing else keeps them,
# so that the windows under them never take a click the box should have had. The first two are
# an INDI server that does not answer (it names host and port) and the camera's greeting.
set -u
nuvix=$(realpath "$1")
indi_simulator=$(realpath "$(dirname "$0")/../../scripts/indi-simulator")
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work" || exit 1
port=$("$indi_simulator" port)
"$nuvix" --simulate --indi "127.0.0.1:$port" >out.txt 2>&1 &
pid=$!

fail=0
# The named windows from the top of the stack down.
stack() { xwininfo -root -children | sed -n 's/^ *0x[0-9a-f]* "\([^"]*\)".*/\1/p'; }
# Waits up to 10 s until the top window has that name.
on_top() {
  local i
  for i in $(seq 100); do
    [ "$(stack | head -1)" = "$1" ] && return 0
    sleep 0.1
  done
  echo "FAIL: \"$1\" never on top; the stack: $(stack | tr '\n' '|')"
  fail=1
  return 1
}
boxes() { stack | grep -c -e '^Erreur$' -e '^Quickcam sur LPT1$'; }

on_top Erreur
sleep 1  # the camera's greeting waits meanwhile
[ "$(boxes)" = 1 ] || { echo "FAIL: $(boxes) boxes open at once"; fail=1; }
grep -q "nuvix: INDI server 127.0.0.1:$port does not answer: connection refused" out.txt ||
  { echo "FAIL: no line on stderr naming the server"; fail=1; }
xdotool search --onlyvisible --name '^Erreur$' | head -1 | xargs -I{} xdotool windowfocus --sync {} key Return
on_top "Quickcam sur LPT1"
[ "$(boxes)" = 1 ] || { echo "FAIL: $(boxes) boxes open at once"; fail=1; }
[ $fail -eq 0 ] && echo "ok: one box at a time, each above the main window"
exit $fail
