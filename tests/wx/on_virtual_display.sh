#!/usr/bin/env bash
# Runs a command on a virtual display of its own. Xvfb picks a free display number itself
# (-displayfd), so tests that run at the same time never race for one, as `xvfb-run -a` can.
# Usage: on_virtual_display.sh COMMAND [ARGS...]
set -u
work=$(mktemp -d)
Xvfb -displayfd 5 -screen 0 1024x768x24 5>"$work/display" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
if [ ! -s "$work/display" ]; then
  echo "on_virtual_display: Xvfb did not start" >&2
  exit 1
fi
export DISPLAY=:$(cat "$work/display")
# Xvfb names its display once it listens; a client may still find it busy for a moment when many
# start at once.
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
"$@"
