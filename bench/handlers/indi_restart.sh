#!/usr/bin/env bash
# The window's responsiveness while the INDI server dies and comes back during guiding: the real
# program with its handlers timed (nuvix_timed) guides INDI's telescope simulator on a virtual
# display; 15 s into guiding the server is killed, 8 s later it is started again. Prints the
# handler report (the longest handlers) and the guide log's spread; screenshots in the out folder.
#
#   bench/handlers/indi_restart.sh [OUT]     (default build/indi-restart)
set -euo pipefail
cd "$(dirname "$0")/../.."
out=${1:-build/indi-restart}
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"${JOBS:-2}" --target nuvix_timed >/dev/null
mkdir -p "$out"
report=$(cd "$out" && pwd)/handlers.txt
NUVIX_HANDLER_REPORT=$report scripts/indi-demo --program build/release/bench/nuvix_timed \
  --seconds 60 --kill-at 15 --down 8 --out "$out"
cat "$report"
