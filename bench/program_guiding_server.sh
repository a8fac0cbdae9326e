#!/usr/bin/env bash
# The real program (with its handlers timed: nuvix_timed) on the simulator under a virtual display,
# driven through its guiding server by bench/guiding_client.py with 31 more clients connected,
# one of which never reads. Fails when the session fails. Prints the longest window handlers while
# the clients were connected; with --times it also fails when one took longer than 50 ms (a
# measure for a quiet machine, not for a loaded test run):
#   tests/wx/on_virtual_display.sh bench/program_guiding_server.sh build/release/bench/nuvix_timed --times
set -u
nuvix=$(realpath "$1")
times=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work" || exit 1
# The parameter file of a first run with the "Stellon standard" protocol (byte 69), so that the
# simulated mount takes the corrections.
echo 3a01010000025b0600000074706172616d0100000000000000000069400000000000001e400000000000001e400000000000001e4000000000aa000000ff000000aa00000000000000000000000a00000000000000000000001400000028000000da000000780000005d |
  xxd -r -p >campar.dat
port=$((45000 + $$ % 5000))
NUVIX_HANDLER_REPORT=$work/handlers.txt "$nuvix" --simulate --server 127.0.0.1:$port --guide-log guide.log >out.txt 2>&1 &
pid=$!
sleep 3
taken=$(sed -n 's/.*listens on 127.0.0.1:\([0-9]*\).*/\1/p' out.txt)
port=${taken:-$port}
python3 "$here/guiding_client.py" "$port" guide.log
result=$?
kill -TERM "$pid"
wait "$pid"
fail=$result
# From the clients' connection on (3 s after the start), the longest handlers.
awk '$1 == "at" && $2 >= 3' handlers.txt | sort -k4 -g -r | head -3 | sed 's/^/longest while served: /'
longest=$(awk '$1 == "at" && $2 >= 3 { if ($4 > m) m = $4 } END { print m + 0 }' handlers.txt)
echo "longest window handler while the clients were connected: $longest ms (of those over 20 ms)"
if [ "$times" = --times ] && awk -v m="$longest" 'BEGIN { exit !(m > 50) }'; then
  echo "a window handler took longer than 50 ms"
  fail=1
fi
[ $fail -eq 0 ] || cat out.txt
exit $fail
