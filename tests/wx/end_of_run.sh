#!/usr/bin/env bash
# The real program's end of run on a display of its own (with a window manager, for the close
# box): SIGHUP stores the settings as SIGTERM does; a store that fails at the close box is shown in
# a French box and the program ends with status 3, the file untouched; losing the display stores
# the settings before the program ends.
# Usage: end_of_run.sh NUVIX [DIRECTORY FOR THE SCREENSHOT OF THE BOX]
set -u
nuvix=$(realpath "$1")
shots=${2:+$(realpath -m "$2")}
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail=0
check() { if ! eval "$2"; then echo "FAIL: $1"; fail=1; else echo "ok: $1"; fi; }

Xvfb -displayfd 5 -screen 0 1024x768x24 5>"$work/display" 2>/dev/null &
xvfb=$!
pids+=("$xvfb")
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
openbox >/dev/null 2>&1 &
pids+=($!)

# Waits up to 15 s for a visible window of that caption; prints its id.
window() {
  local id
  for _ in $(seq 150); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
press_return() { [ -n "$1" ] && xdotool windowactivate --sync "$1" key --clearmodifiers Return 2>/dev/null; }
# Starts the program in a directory; its pid in $run. The camera's greeting is answered, unless a
# second argument says that a box comes before it (boxes come one at a time).
start() {
  (cd "$1" && exec "$nuvix" --simulate >"$1.out" 2>&1) &
  run=$!
  pids+=("$run")
  window "Nuvix V 2.07" >/dev/null || echo "the main window did not appear"
  [ -z "${2:-}" ] && press_return "$(window 'Quickcam sur LPT1')"
}
finish() { wait "$run"; status=$?; }

echo "== SIGHUP stores as SIGTERM does"
mkdir "$work/hup"
start "$work/hup"
kill -HUP "$run"
finish
check "exit status 0 after SIGHUP (got $status)" '[ "$status" -eq 0 ]'
check "campar.dat stored" '[ "$(stat -c %s "$work/hup/campar.dat" 2>/dev/null)" = 106 ]'

echo "== a store that fails at the close box"
mkdir "$work/readonly"
cp "$work/hup/campar.dat" "$work/readonly/campar.dat"
chmod 444 "$work/readonly/campar.dat"
start "$work/readonly" told-first
told=$(window 'Paramètres')  # at the start already
check "told at the start" '[ -n "$told" ]'
[ -n "$shots" ] && [ -n "$told" ] && mkdir -p "$shots" && sleep 0.5 && import -window root "$shots/told-at-start.png"
press_return "$told"
press_return "$(window 'Quickcam sur LPT1')"  # the greeting follows
xdotool windowactivate --sync "$(window 'Nuvix V 2.07')" key --clearmodifiers alt+F4
box=$(window 'Paramètres')
check "the box is shown at the close" '[ -n "$box" ]'
[ -n "$shots" ] && [ -n "$box" ] && sleep 0.5 && import -window root "$shots/failed-store-at-close.png"
kill -0 "$run" 2>/dev/null
check "the program waits for the box" '[ $? -eq 0 ]'
press_return "$box"
finish
check "exit status 3 (got $status)" '[ "$status" -eq 3 ]'
check "campar.dat untouched" 'cmp -s "$work/hup/campar.dat" "$work/readonly/campar.dat"'
check "the reason on stderr" 'grep -q "paramètres non enregistrés : campar.dat est protégé en écriture" "$work/readonly.out"'

echo "== the display is lost"
mkdir "$work/lost"
start "$work/lost"
kill "$xvfb"
finish
check "exit status 1 (got $status)" '[ "$status" -eq 1 ]'
check "campar.dat stored before the end" '[ "$(stat -c %s "$work/lost/campar.dat" 2>/dev/null)" = 106 ]'
check "said on stderr" 'grep -q "connection to the display was lost" "$work/lost.out"'
exit $fail
