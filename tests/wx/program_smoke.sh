#!/usr/bin/env bash
# The real program on a virtual display with the simulated camera: a live picture appears,
# SIGTERM ends it as the close box does (exit code 0, parameters stored).
set -u
nuvix=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

"$nuvix" --simulate >out.txt 2>&1 &
pid=$!
sleep 5
import -window root first.png
sleep 1
import -window root second.png

# The picture's area: the main window is centred on the 1024 x 768 screen, the picture at
# its top left. Stars and noise make it far from uniform, and frames keep coming.
area="280x180+260+160"
spread=$(convert first.png -crop "$area" -colorspace Gray -format '%[fx:standard_deviation*255]' info:)
changed=$(compare -metric AE -crop "$area" first.png second.png null: 2>&1)
echo "picture spread $spread, pixels changed between shots $changed"

kill -TERM "$pid"
wait "$pid"
status=$?
echo "exit status $status"
cat out.txt

fail=0
awk -v s="$spread" 'BEGIN { exit !(s > 2) }' || { echo "no picture on screen"; fail=1; }
[ "${changed%%[^0-9]*}" -gt 100 ] 2>/dev/null || { echo "the picture is not live"; fail=1; }
[ "$status" -eq 0 ] || { echo "SIGTERM did not end the program cleanly"; fail=1; }
[ "$(stat -c %s campar.dat 2>/dev/null)" = 106 ] || { echo "campar.dat was not stored"; fail=1; }
exit $fail
