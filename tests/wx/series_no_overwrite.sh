#!/usr/bin/env bash
# The real program on a virtual display with the simulated camera: a photo series of FITS pictures
# every second, named in the file dialog, in a directory with a dot in its path; "RAZ" during it;
# then a second series under the same name. Every picture of both stays on disk as it was first
# written, the second series' names sort after the first's, and every file is sound FITS.
set -u
. "$(dirname "$(realpath "$0")")/desktop_checks.sh"
nuvix=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/obs.2026"
cd "$work/obs.2026" || exit 1
# Every picture's checksum, noted each time it is looked at: a picture replaced shows as two.
look() { md5sum ./*.fits 2>/dev/null >>"$work/seen.txt"; }
pictures() { ls ./*.fits 2>/dev/null | wc -l; }

"$nuvix" --simulate >"$work/out.txt" 2>&1 &
pid=$!

# Without a window manager the camera's box has its "OK" at (511, 395), the image window its
# "Photo" at (290, 469) and "Addition" its "RAZ" at (186, 240). In "Prise de vue", at (364, 350):
# the interval at (454, 370), "Commencer"/"Stop" at (638, 372), the title at (479, 450) and
# "Parcourir" at (638, 452).
check_name="camera message"; check within 30 shown "Quickcam sur LPT1"
xdotool mousemove 511 395 click 1
photo() { xdotool mousemove 290 469 click 1; within 10 shown "Prise de vue" && sleep 0.3; }
start_stop() { xdotool mousemove 638 372 click 1; within 10 hidden "Prise de vue"; }

check_name="dialog opens"; check photo
xdotool mousemove 479 450 click 1 key ctrl+a type "M42.fits"
xdotool mousemove 454 370 click 1 key ctrl+a type "1"
xdotool mousemove 638 452 click 1
check_name="file dialog opens"; check within 10 shown "Enregistrer sous"
sleep 0.5
xdotool key Return
check_name="file dialog closes"; check within 10 hidden "Enregistrer sous"
check_name="first series starts"; check start_stop
check_name="first pictures"; check within 10 eval '[ "$(pictures)" -ge 2 ]'
look
xdotool mousemove 186 240 click 1  # "RAZ": the frame count, and so the picture number, starts again
sleep 2.5
look
photo; check_name="first series stops"; check start_stop
first=$(ls ./*.fits | sort | tail -1)
photo; check_name="second series starts"; check start_stop
check_name="second pictures"; check within 10 eval '[ "$(ls ./*.fits | sort | awk -v f="$first" '"'"'$0 > f'"'"' | wc -l)" -ge 3 ]'
photo; check_name="second series stops"; check start_stop
look
kill -TERM "$pid"
wait "$pid"

echo "pictures: $(ls ./*.fits | tr '\n' ' ')"
echo "after the first series' last ($first): $(ls ./*.fits | sort | awk -v f="$first" '$0 > f' | wc -l)"
replaced=$(sort -u "$work/seen.txt" | sed 's/^[0-9a-f]*  //' | sort | uniq -d)
check_name="no picture replaced (${replaced})"; check [ -z "$replaced" ]
check_name="every picture seen is still there"; check md5sum --quiet -c "$work/seen.txt"
check_name="at least six pictures"; check [ "$(pictures)" -ge 6 ]
for f in ./*.fits; do
  check_name="fitsverify $f"; check fitsverify -q "$f" >/dev/null
done
cat "$work/out.txt"
exit $fail
