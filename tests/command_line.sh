#!/usr/bin/env bash
# The command line: help and version end at once with 0; anything unknown gets the usage
# and exit code 2, before any window opens.
set -u
nuvix=$1
version=$2
fail=0
expect() {
  local want=$1; shift
  local out
  out=$("$nuvix" "$@" 2>&1)
  local got=$?
  if [ "$got" -ne "$want" ]; then echo "nuvix $*: exit $got, expected $want"; fail=1; fi
  case "$want:$out" in
    2:*Usage:*|0:*) ;;
    *) echo "nuvix $*: no usage message"; fail=1 ;;
  esac
}
expect 0 --help
expect 0 --version
expect 2 --bogus
expect 2 --parport
expect 2 --simulate extra
expect 2 --serial
expect 2 --serial COM5=/dev/ttyUSB0
expect 2 --serial COM1=
expect 2 --serial=COM1
expect 2 --indi
expect 2 --indi host:0
expect 2 --indi host:port
expect 2 --indi=:7624
expect 2 --indi-mount "Telescope Simulator"
expect 2 --indi-camera "CCD Simulator"
expect 2 --indi localhost --indi-camera
expect 2 --indi localhost --indi-camera=
expect 2 --guide-log
expect 2 --guide-log=
expect 2 --parport=
expect 2 --parport ""
expect 2 --server
expect 2 --server 0
expect 2 --server 65536
expect 2 --server on
expect 2 --server "::1:4400"
expect 2 --server=localhost:
expect 2 --simulate=bogus-after=1s
expect 2 --simulate=replug-after=1s
expect 2 --simulate=unplug-after=10
expect 2 --simulate=camera-angle=400
expect 2 --simulate=camera-mirror=yes
"$nuvix" --help | grep -q -- "unplug-after=10s,replug-after=20s" || { echo "simulator faults missing from the help"; fail=1; }
for fault in "camera-angle=DEG" "camera-mirror"; do
  "$nuvix" --help | grep -q -- "$fault" || { echo "$fault missing from the help"; fail=1; }
done
# The port's reason line comes before the desktop starts (here it cannot: no display).
reason() {
  local path=$1 want=$2
  env -u DISPLAY -u WAYLAND_DISPLAY "$nuvix" --parport "$path" 2>&1 | grep -qF -- "$want" ||
    { echo "--parport $path: no line saying '$want'"; fail=1; }
}
reason /etc/hostname "/etc/hostname is not a parallel port device"
reason /dev/null "/dev/null is not a parallel port device"
reason /nonexistent/parport7 "/nonexistent/parport7 does not exist (is the ppdev module loaded?)"
"$nuvix" --help | grep -q -- "--serial COMn=PATH" || { echo "--serial missing from the help"; fail=1; }
"$nuvix" --help | grep -q "3 this session.s settings could not be stored" || { echo "exit status 3 missing from the help"; fail=1; }
for option in "--indi HOST\[:PORT\]" "--indi-mount DEVICE" "--indi-camera DEVICE" "--guide-log PATH" "--server \[ADDR:\]PORT"; do
  "$nuvix" --help | grep -q -- "$option" || { echo "$option missing from the help"; fail=1; }
done
"$nuvix" --help | grep -q "buffer.fits" || { echo "buffer.fits missing from the help"; fail=1; }
[ "$("$nuvix" --version)" = "Nuvix $version" ] || { echo "version line is not \"Nuvix $version\""; fail=1; }
exit $fail
