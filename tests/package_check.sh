#!/usr/bin/env bash
# The Debian package, unpacked into a throw-away root: the program tells the package's
# version and runs on the simulator, the menu entries, the AppStream metadata, the icons and
# the manual page are valid and agree with each other, lintian finds nothing to warn of, and the
# program speaks English under an English locale.
set -u
deb=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root" || exit 1
fail=0
problem() { echo "package: $*"; fail=1; }
# Runs a checker; any failure or any message from it counts.
quiet() {
  local out
  out=$("$@" 2>&1) && [ -z "$out" ] || problem "$* says:"$'\n'"$out"
}

version=$(dpkg-deb -f "$deb" Version)
[ "$("$root/usr/bin/nuvix" --version)" = "Nuvix $version" ] || problem "nuvix --version does not say Nuvix $version"
dpkg-deb -f "$deb" Depends | grep -q libwxgtk || problem "the dependencies do not name the toolkit's library"

apps=$root/usr/share/applications
icons=$root/usr/share/icons/hicolor
for entry in "$apps"/*.desktop; do
  quiet desktop-file-validate "$entry"
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -f "$icons/scalable/apps/$icon.svg" ] || problem "$(basename "$entry"): no scalable icon $icon"
  program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  [ -x "$root/usr/bin/$program" ] || problem "$(basename "$entry"): $program is not installed"
done
for png in "$icons"/*/apps/*.png; do
  size=$(basename "$(dirname "$(dirname "$png")")")
  [ "$(identify -format '%wx%h' "$png")" = "$size" ] || problem "${png#"$root"} is not $size"
done

metainfo=$(echo "$root"/usr/share/metainfo/*.metainfo.xml)
# It fails on errors and warnings; the notes of lower levels are lines of their own.
notes=$(appstreamcli validate --no-net --pedantic --no-color "$metainfo" 2>&1) && ! grep -q '^[EWIP]:' <<<"$notes" ||
  problem "appstreamcli validate says:"$'\n'"$notes"
grep -q "<release version=\"$version\"" "$metainfo" || problem "the metadata's release is not $version"
for id in $(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo"); do
  [ -f "$apps/$id" ] || problem "the metadata launches $id, which is not installed"
done

page=$root/usr/share/man/man1/nuvix.1.gz
quiet sh -c 'LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$1" >/dev/null' sh "$page"
quiet sh -c 'zcat "$1" | groff -man -ww -z -K utf8' sh "$page"
zcat "$page" | grep -q "^\.TH NUVIX 1 .*\"Nuvix $version\"" || problem "the manual page is not that of $version"

lintian --fail-on error,warning "$deb" || problem "lintian"

# The installed program on the simulator ends on SIGTERM with the parameters stored where it ran.
home=$root/home
mkdir -p "$home"
(cd "$home" && xvfb-run -a -s "-screen 0 1024x768x24" sh -c \
  '"$1" --simulate & pid=$!; sleep 3; kill -TERM $pid; wait $pid' sh "$root/usr/bin/nuvix" >/dev/null 2>&1) ||
  problem "nuvix --simulate did not end cleanly on SIGTERM"
[ "$(stat -c %s "$home/campar.dat" 2>/dev/null)" = 106 ] || problem "campar.dat was not stored in the current directory"

# In English, the installed program finds its catalogue beside itself: a settings file it may
# not replace is told in English at the end (and the French catalogue is there for LANGUAGE=fr:en).
[ -f "$root/usr/share/locale/fr/LC_MESSAGES/nuvix.mo" ] || problem "no French catalogue"
english=$root/english
mkdir -p "$english" && cp "$home/campar.dat" "$english/" && chmod 444 "$english/campar.dat"
(cd "$english" && LANG=en_US.UTF-8 xvfb-run -a -s "-screen 0 1024x768x24" sh -c \
  '"$1" --simulate & pid=$!; sleep 3; kill -TERM $pid; wait $pid' sh "$root/usr/bin/nuvix" >/dev/null 2>"$english/err")
grep -qx "nuvix: settings not stored: campar.dat is write-protected" "$english/err" ||
  problem "the installed program did not speak English under LANG=en_US.UTF-8:"$'\n'"$(cat "$english/err")"

[ $fail -eq 0 ] && echo "package: $(basename "$deb") checked"
exit $fail
