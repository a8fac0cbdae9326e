#!/usr/bin/env bash
# Kills the real program with SIGKILL while it stores campar.dat at the end of its run, again and
# again, some runs on a slowed disk (strace holds every fsync for 0.3 s). After each kill
# campar.dat must be complete, as it was or as the run stored it, and after the next start no
# temporary file may be left. Prints the figures.
# Usage: killed_store.sh NUVIX RUNS [SLOWED_EVERY]   (every SLOWED_EVERY-th run slowed; 0: none)
set -u
nuvix=$(realpath "$1")
runs=$2
slowed_every=${3:-3}
work=$(mktemp -d)
pids=()
cleanup() {
  { kill -9 "${pids[@]}"; wait; } 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 5 -screen 0 1024x768x24 5>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
if [ "$slowed_every" -gt 0 ] && ! command -v strace >/dev/null; then
  echo "strace is missing: no run is slowed"
  slowed_every=0
fi
mkdir "$work/obs"
cd "$work/obs" || exit 1

# Starts the program, slowed or not; once its main window is up its pid is in $run, and in $child
# that of the process to wait for (strace on a slowed run).
start() {
  rm -f pid
  if [ "$1" = slowed ]; then
    strace -f -qq -o /dev/null -e trace=fsync -e inject=fsync:delay_enter=300000 \
      sh -c 'echo $$ > pid; exec "$0" --simulate' "$nuvix" >>out.txt 2>&1 &
  else
    sh -c 'echo $$ > pid; exec "$0" --simulate' "$nuvix" >>out.txt 2>&1 &
  fi
  child=$!
  pids+=("$child")
  for _ in $(seq 100); do [ -s pid ] && break; sleep 0.05; done
  run=$(cat pid)
  pids+=("$run")
  timeout 20 xdotool search --all --sync --onlyvisible --pid "$run" --name '^Nuvix V 2.07$' >/dev/null 2>&1
}
leftovers() { find . -maxdepth 1 -name '.campar.dat.tmp-*' | wc -l; }

# The file each run starts from, and what its store writes: a stored exposure step beyond the
# control's reach comes back clamped, so the two differ and both are complete.
start plain
kill -TERM "$run"
wait "$child"
cp campar.dat stored.dat
cp campar.dat start.dat
printf '\xAA\x00\x01\x00' | dd of=start.dat bs=1 seek=57 conv=notrunc status=none

slowed=0 midwrite=0 as_it_was=0 as_stored=0 damaged=0 stale=0 unkilled=0
for i in $(seq "$runs"); do
  mode=plain
  if [ "$slowed_every" -gt 0 ] && [ $((i % slowed_every)) -eq 0 ]; then mode=slowed; slowed=$((slowed + 1)); fi
  cp start.dat campar.dat
  start "$mode"
  n=$(leftovers)
  [ "$n" -eq 0 ] || { stale=$((stale + 1)); echo "run $i: $n temporary file(s) left after the start"; }
  kill -TERM "$run"
  # The store begins within the signal poll (0.1 s); a slowed one lasts 0.6 s.
  limit=$([ "$mode" = slowed ] && echo 900 || echo 160)
  sleep "$(printf '0.%03d' $((RANDOM % limit)))"
  kill -9 "$run" 2>/dev/null || unkilled=$((unkilled + 1))
  wait "$child" 2>/dev/null
  [ "$(leftovers)" -gt 0 ] && midwrite=$((midwrite + 1))
  if cmp -s campar.dat start.dat; then
    as_it_was=$((as_it_was + 1))
  elif cmp -s campar.dat stored.dat; then
    as_stored=$((as_stored + 1))
  else
    damaged=$((damaged + 1))
    echo "run $i: campar.dat damaged ($(stat -c %s campar.dat 2>/dev/null) bytes)"
  fi
done
# The last kill's leftovers go at the next start too.
start plain
[ "$(leftovers)" -eq 0 ] || stale=$((stale + 1))
kill -9 "$run"
wait "$child" 2>/dev/null

echo "runs $runs (slowed $slowed): killed during the write (temporary file present) $midwrite;" \
  "ended before the kill $unkilled; campar.dat as it was $as_it_was, as stored $as_stored, damaged $damaged;" \
  "starts that left a temporary file $stale"
[ "$damaged" -eq 0 ] && [ "$stale" -eq 0 ] && [ $((as_it_was + as_stored)) -eq "$runs" ]
