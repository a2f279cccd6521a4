#!/usr/bin/env bash
# End to end in a real X server: the program starts, its window appears with
# its caption, it is closed the way a window manager closes it, the code list
# is stored, and the next start finds it again.
#
#   xvfb_e2e.sh <program> <x11_window helper>
set -euo pipefail
program=$1
x11_window=$2

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A private X server on a free display number.
exec 3>"$work/display"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

store="$XDG_CONFIG_HOME/Tarnwell/Quorvane/UPC Codes"
mkdir -p "$(dirname "$store")"
# An empty piece between the two codes: restoring skips it, so the value
# stored at the close shows that this run read and wrote the list.
printf '%s' '801927504622||MySeparator23||||MySeparator23||0-12345-67890-5' >"$store"
expected='801927504622||MySeparator23||0-12345-67890-5'

run_once() {
    "$program" >"$work/program.log" 2>&1 &
    app_pid=$!
    "$x11_window" wait Quorvane 20
    "$x11_window" close Quorvane
    for _ in $(seq 1 100); do
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$app_pid" 2>/dev/null; then
        echo "the program did not end after its window was closed"
        cat "$work/program.log"
        exit 1
    fi
    wait "$app_pid" || { echo "the program ended with status $?"; cat "$work/program.log"; exit 1; }
    app_pid=""
    stored=$(cat "$store")
    if [ "$stored" != "$expected" ]; then
        echo "stored code list: '$stored', expected '$expected'"
        exit 1
    fi
}

run_once
echo "first start: window shown, closed, code list stored"
run_once
echo "second start: code list restored and stored again"
echo "1 passed, 0 failed"
