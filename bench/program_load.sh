#!/usr/bin/env bash
# The real program's load on a machine: on a virtual display, with the simulated camera at 10
# frames a second, guiding on and every window of the program open, for a given time (30
# minutes by default). Prints its share of one processor and its resident memory at the start
# (after 10 s), at the end and at the peak. Run under a display, e.g.
#   xvfb-run -a -s "-screen 0 1024x768x24" bench/program_load.sh build/release/src/nuvix 1800
set -u
nuvix=$(realpath "$1")
seconds=${2:-1800}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

"$nuvix" --simulate >out.txt 2>&1 &
pid=$!
sleep 4
# The start's message box answered, as a user would.
for id in $(xdotool search --name '^Quickcam sur LPT1$' 2>/dev/null); do
  xdotool windowfocus --sync "$id" 2>/dev/null && xdotool key Return
done
# "Track" (450) lies at (10, 360) in the image window, itself at (1, 4) in the main window.
main=$(xdotool search --name '^Nuvix V 2.07$' | head -1)
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + 1 + 10 + 37)) $((Y + 4 + 360 + 15)) click 1
sleep 1
import -window root guiding.png

ticks=$(getconf CLK_TCK)
cpu() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
rss() { awk '/^VmRSS/ { print $2 }' "/proc/$pid/status"; }
sleep 5
start_cpu=$(cpu) start_time=$(date +%s.%N) start_rss=$(rss) peak=$start_rss
echo "seconds  cpu-share-%  rss-KiB"
for ((t = 10; t <= seconds; t += 10)); do
  sleep 10
  kill -0 "$pid" 2>/dev/null || { echo "the program ended early"; cat out.txt; exit 1; }
  now_rss=$(rss)
  [ "$now_rss" -gt "$peak" ] && peak=$now_rss
  if ((t % 60 == 0 || t == seconds)); then
    awk -v c="$(cpu)" -v c0="$start_cpu" -v w="$(date +%s.%N)" -v w0="$start_time" -v hz="$ticks" -v t="$t" -v r="$now_rss" \
      'BEGIN { printf "%7d  %6.2f  %7d\n", t, 100 * (c - c0) / hz / (w - w0), r }'
  fi
done
end_cpu=$(cpu) end_time=$(date +%s.%N) end_rss=$(rss)
kill -TERM "$pid"
wait "$pid"
awk -v c="$end_cpu" -v c0="$start_cpu" -v w="$end_time" -v w0="$start_time" -v hz="$ticks" \
  'BEGIN { printf "processor share over the run: %.2f %% of one core (aim 5 %%)\n", 100 * (c - c0) / hz / (w - w0) }'
echo "resident memory: start $start_rss KiB, end $end_rss KiB, peak $peak KiB"
cp guiding.png /tmp/nuvix-load-guiding.png 2>/dev/null
