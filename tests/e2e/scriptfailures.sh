#!/usr/bin/env bash
# The mail host's script mode names the step that failed and its line, and exits non-zero;
# a folder it cannot read is one line and status 2; without a folder it opens ~/Maildir; without
# a display it and the container application say so and end with status 1, yet answer --help and
# --version.
# Usage: scriptfailures.sh MAIL-HOST SAMPLES CONTAINER
set -uo pipefail
mail=$1 samples=$2 container=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime HOME=$work/home
# Every deployment on a closed loopback port: no step may reach a backend off this machine.
export QUORVANE_LIVE_URL=https://127.0.0.1:9 QUORVANE_STAGING_URL=https://127.0.0.1:9 QUORVANE_DEV_URL=https://127.0.0.1:9
mkdir -m 700 "$work/runtime" "$work/home"
fail() { echo "FAIL: $*" >&2; exit 1; }

# expect: status, script text, text the error must contain, then the folders to open
check() {
    local status=$1 steps=$2 wanted=$3
    shift 3
    printf '%b' "$steps" >"$work/steps"
    timeout 60 "$mail" --offscreen --script "$work/steps" "$@" >"$work/out" 2>"$work/err"
    local got=$?
    [ "$got" -eq "$status" ] || fail "status $got, not $status, for: $steps ($(cat "$work/err"))"
    grep -qF "$wanted" "$work/err" || fail "\"$wanted\" not in: $(cat "$work/err")"
    [ -s "$work/out" ] && grep -q 'quorvane-mail' "$work/out" && fail "host messages on standard output"
}
check 1 '# a comment\nreply no-such.eml\n' 'steps:2: step "reply no-such.eml" failed' "$samples"
check 1 'compose\npress noSuchButton\n' 'steps:2: step "press noSuchButton" failed' "$samples"
check 1 'compose\nexpect-log never written 0.2\n' 'steps:2: step "expect-log never written 0.2" failed' \
    "$samples"
check 1 'compose\nreply lyon-trip.eml\nwindow 1\nclose\nwindow 2\n' \
    'steps:5: step "window 2" failed: no compose window number 2 is open' "$samples"
# Closing the current window makes the newest one left current, so each close closes one.
check 1 'compose\nreply lyon-trip.eml\nclose\nclose\nclose\n' \
    'steps:5: step "close" failed: no compose window is open' "$samples"
check 2 'compose\nfly away\n' 'steps:2: unknown step "fly"' "$samples"
check 2 'compose\n' "name a folder of messages; there is no $work/home/Maildir"
mkdir -p "$work/home/Maildir/cur" "$work/home/Maildir/new"
cp "$samples/lyon-trip.eml" "$work/home/Maildir/cur/"
check 1 'reply lyon-trip.eml\nreply budget-review.eml\n' 'steps:2: step "reply budget-review.eml"'
timeout 30 "$mail" --offscreen "$work/missing" 2>"$work/err"
[ $? -eq 2 ] || fail "a missing folder is not status 2"
[ "$(wc -l <"$work/err")" -eq 1 ] || fail "a missing folder is not one line: $(cat "$work/err")"
nodisplay() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 30 "$@" >"$work/out" 2>"$work/err"
}
for program in "$mail" "$container"; do
    name=$(basename "$program")
    { nodisplay "$program" --help && grep -q '^Usage: ' "$work/out"; } ||
        fail "$name --help needs a display: $(cat "$work/err")"
    [ "$name" = Quorvane ] || grep -q QUORVANE_CA_CERTS "$work/out" || fail "help without variables"
    { nodisplay "$program" --version && grep -q "^$name [0-9]" "$work/out"; } ||
        fail "$name --version needs a display: $(cat "$work/err")"
    nodisplay "$program" "$samples"
    [ $? -eq 1 ] || fail "no display is not status 1 for $name: $(cat "$work/err")"
    grep -q "^$name: cannot open windows: no display could be reached" "$work/err" ||
        fail "no display is not said by $name: $(cat "$work/err")"
done
echo "PASS: failed steps, unreadable folders and a missing display are reported; help needs none"
