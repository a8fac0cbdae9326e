#!/usr/bin/env bash
# Ekos (Debian's KStars) drives the real Nuvix on the simulator through the guiding server, as an
# observer's imaging session does, headless: through D-Bus it connects the guider, guides (Ekos'
# status 12, guiding), dithers (back to guiding), suspends and resumes, aborts and disconnects,
# checking Ekos' status after each. Everything runs in a network namespace of its own with only
# loopback (Ekos starts its own indiserver on port 7624 of every interface), on a virtual display,
# a session bus and a fresh HOME of its own. Skipped (exit 77) when KStars is not installed: it is
# large and not part of scripts/setup (apt-get install kstars dbus-x11 qdbus-qt5 sqlite3).
#
#   bench/ekos_guide.sh NUVIX [OUT]   (OUT keeps the logs and the screenshot of the Guide tab)
set -u
for tool in kstars qdbus dbus-daemon sqlite3 Xvfb unshare ip xxd xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (apt-get install kstars dbus-x11 qdbus-qt5 sqlite3)"
    exit 77
  fi
done
nuvix=$(realpath "$1")
out=$(realpath -m "${2:-}")
if [ -z "${NUVIX_EKOS_INSIDE:-}" ]; then
  flags=-n
  [ "$(id -u)" -ne 0 ] && flags=-rn
  exec unshare $flags env NUVIX_EKOS_INSIDE=1 "$0" "$nuvix" "${2:-}"
fi
ip link set lo up || { echo "SKIPPED: no network namespace of our own"; exit 77; }

work=$(mktemp -d)
[ -n "${2:-}" ] || out=$work
mkdir -p "$out"
export HOME=$work/home
mkdir -p "$HOME/.config"
printf '[GUI]\nRunStartupWizard=false\n[TipOfDay]\nRunOnStart=false\n[Guide]\nGuiderType=1\nPHD2Host=127.0.0.1\nPHD2Port=4400\n' \
  >"$HOME/.config/kstarsrc"
Xvfb -displayfd 5 -screen 0 1280x1024x24 5>"$work/display" 2>/dev/null &
xvfb=$!
pids=""
cleanup() {
  for p in $pids; do kill "$p" 2>/dev/null; done
  for p in $pids; do wait "$p" 2>/dev/null; done
  # What KStars left in this namespace (its indiserver and drivers), each by its id.
  local ns p
  ns=$(readlink /proc/$$/ns/net)
  for p in /proc/[0-9]*; do
    p=${p#/proc/}
    [ "$p" != $$ ] && [ "$(readlink "/proc/$p/ns/net" 2>/dev/null)" = "$ns" ] && [ "$(cat "/proc/$p/comm" 2>/dev/null)" != Xvfb ] &&
      kill "$p" 2>/dev/null
  done
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
  [ -n "${2:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")

# Nuvix, its simulated mount taking the corrections ("Stellon standard", byte 69 of the file).
mkdir -p "$work/nuvix" && cd "$work/nuvix" || exit 1
echo 3a01010000025b0600000074706172616d0100000000000000000069400000000000001e400000000000001e400000000000001e4000000000aa000000ff000000aa00000000000000000000000a00000000000000000000001400000028000000da000000780000005d |
  xxd -r -p >campar.dat
"$nuvix" --simulate --guide-log "$out/guide.log" >"$out/nuvix.txt" 2>&1 &
pids="$pids $!"

cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -u
out=$1
# qdbus prints its errors and still ends with 0: an error is no output here.
q() { local r; r=$(qdbus org.kde.kstars "$@" 2>/dev/null) || return 1; case $r in Error:*) return 1 ;; esac; [ -n "$r" ] && echo "$r"; return 0; }
waitbus() { for _ in $(seq 120); do q /KStars >/dev/null && return 0; sleep 1; done; return 1; }
status() { q /KStars/Ekos/Guide org.kde.kstars.Ekos.Guide.status; }
fail=0
# Waits up to $2 seconds for Ekos' guide status $1; the statuses seen on the way are printed.
expect() {
  local want=$1 limit=$2 seen="" s last=""
  for _ in $(seq $((limit * 5))); do
    s=$(status)
    [ "$s" != "$last" ] && seen="$seen $s" && last=$s
    [ "$s" = "$want" ] && { echo "  status:$seen (reached $want)"; return 0; }
    sleep 0.2
  done
  echo "  status:$seen (expected $want)"
  fail=1
  return 1
}

# A first start creates the user database, where the equipment profile goes.
kstars >"$out/kstars-first.txt" 2>&1 &
first=$!
waitbus || { echo "KStars did not come up"; exit 1; }
for _ in $(seq 120); do [ -s "$HOME/.local/share/kstars/userdb.sqlite" ] && break; sleep 1; done
sleep 2
q /kstars/MainWindow_1/actions/quit trigger >/dev/null
# KStars may crash or hang on its way out; the database is there.
for _ in $(seq 40); do kill -0 "$first" 2>/dev/null || break; sleep 0.5; done
kill -9 "$first" 2>/dev/null
wait "$first" 2>/dev/null
db=$HOME/.local/share/kstars/userdb.sqlite
sqlite3 "$db" "INSERT INTO profile (name, autoconnect, guidertype, guiderhost, guiderport) VALUES ('Nuvix', 1, 1, '127.0.0.1', 4400);
  INSERT INTO driver (label, role, profile) SELECT 'Telescope Simulator', 'Mount', id FROM profile WHERE name = 'Nuvix';
  INSERT INTO driver (label, role, profile) SELECT 'CCD Simulator', 'CCD', id FROM profile WHERE name = 'Nuvix';
  INSERT INTO profile (name, autoconnect, guidertype) VALUES ('Other', 1, 0);"

kstars >"$out/kstars.txt" 2>&1 &
kstars=$!
waitbus || { echo "KStars did not come up again"; exit 1; }
# Ekos takes its start only once it has read the profiles.
for _ in $(seq 60); do q /KStars/Ekos getProfiles | grep -qx Nuvix && break; sleep 1; done
q /KStars/Ekos setProfile Nuvix >/dev/null
sleep 2
q /KStars/Ekos start >/dev/null  # a second start would stop it again
for _ in $(seq 90); do
  [ "$(q /KStars/Ekos org.kde.kstars.Ekos.indiStatus)" = 2 ] && q /KStars/Ekos/Guide org.kde.kstars.Ekos.Guide.status >/dev/null &&
    break
  sleep 1
done
echo "Ekos started: INDI status $(q /KStars/Ekos org.kde.kstars.Ekos.indiStatus), guide status $(status)"
echo "connectGuider"
q /KStars/Ekos/Guide connectGuider >/dev/null
# Ekos tells the connection in its log (its status may already have moved on).
for _ in $(seq 60); do q /KStars/Ekos/Guide org.kde.kstars.Ekos.Guide.logText | grep -q "External guider connected" && break; sleep 0.5; done
if q /KStars/Ekos/Guide org.kde.kstars.Ekos.Guide.logText | grep -q "External guider connected"; then
  echo "  Ekos: External guider connected (status $(status))"
else
  echo "  Ekos did not connect"
  fail=1
fi
echo "guide"
q /KStars/Ekos/Guide guide >/dev/null
expect 12 90
sleep 3
echo "dither"
dithered() { q /KStars/Ekos/Guide org.kde.kstars.Ekos.Guide.logText | grep -c "Dithering completed successfully"; }
before=$(dithered)
q /KStars/Ekos/Guide dither >/dev/null
sleep 0.3
expect 12 120
for _ in $(seq 60); do [ "$(dithered)" -gt "$before" ] && break; sleep 0.5; done
if [ "$(dithered)" -gt "$before" ]; then echo "  Ekos: Dithering completed successfully"; else echo "  Ekos saw no dither end"; fail=1; fi
sleep 2
echo "suspend"
q /KStars/Ekos/Guide suspend >/dev/null
expect 13 30
sleep 2
echo "resume"
q /KStars/Ekos/Guide resume >/dev/null
expect 12 30
sleep 3
# The Ekos window over the other windows, for the picture of its Guide tab.
for w in $(xdotool search --onlyvisible --name "INDI Control Panel" 2>/dev/null) $(xdotool search --onlyvisible --name "Optical Train" 2>/dev/null); do
  xdotool windowunmap "$w" 2>/dev/null
done
q /kstars/MainWindow_1/actions/ekos trigger >/dev/null
sleep 2
for w in $(xdotool search --onlyvisible --name "Ekos" 2>/dev/null); do
  echo "window $w: $(xdotool getwindowname "$w") $(xdotool getwindowgeometry "$w" | tr '\n' ' ')" >>"$out/windows.txt"
done
ekos=$(xdotool search --onlyvisible --name "Ekos" 2>/dev/null | head -1)
if [ -n "$ekos" ]; then
  # At the top left and larger; the Guide module is the eighth of the tabs along the top.
  xdotool windowmove "$ekos" 0 0 windowsize "$ekos" 1100 860 windowraise "$ekos" 2>/dev/null
  sleep 1
  xdotool mousemove 580 32 click 1 2>/dev/null
  sleep 2
  import -window "$ekos" "$out/ekos-window.png" 2>/dev/null
fi
import -window root "$out/screen-guiding.png" 2>/dev/null
echo "abort"
q /KStars/Ekos/Guide abort >/dev/null
expect 1 30
echo "disconnectGuider"
q /KStars/Ekos/Guide disconnectGuider >/dev/null
sleep 2
s=$(status)
echo "  status: $s"
[ "$s" = 2 ] && fail=1
q /KStars/Ekos/Guide org.kde.kstars.Ekos.Guide.logText >"$out/ekos-guide-log.txt"
q /kstars/MainWindow_1/actions/quit trigger >/dev/null
for _ in $(seq 20); do kill -0 "$kstars" 2>/dev/null || break; sleep 0.5; done
kill "$kstars" 2>/dev/null
exit $fail
SESSION
chmod +x "$work/session.sh"
# A session bus that starts no service: with activation, KStars would start a wallet daemon whose
# first-run dialog waits for a user.
cat >"$work/bus.conf" <<BUS
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$work/bus</listen>
  <policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
BUS
dbus-daemon --config-file="$work/bus.conf" --nofork >/dev/null 2>&1 &
pids="$pids $!"
for _ in $(seq 50); do [ -S "$work/bus" ] && break; sleep 0.1; done
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/bus
"$work/session.sh" "$out"
result=$?
echo "Ekos' guide log (newest first):"
head -n 20 "$out/ekos-guide-log.txt" 2>/dev/null | cut -c1-160 | sed 's/^/  /'
echo "Nuvix's guide log: $(grep -c '^[0-9]' "$out/guide.log" 2>/dev/null) guided frames"
[ $result -eq 0 ] && echo "PASSED" || echo "FAILED"
exit $result
