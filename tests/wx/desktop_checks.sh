# What the scripts that drive the real program with xdotool share; sourced, not run.
# check COMMAND...: runs the command; a failure is noted under the name in $check_name.
fail=0
check() { "$@" || { echo "FAILED: ${check_name}"; fail=1; }; }
# Retries the command every fifth of a second for up to $1 seconds.
within() {
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.2
  done
}
shown() { [ -n "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ]; }
hidden() { ! shown "$1"; }
