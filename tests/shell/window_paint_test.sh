#!/bin/sh
# Opens every window of the program on an X server of its own (Xvfb), first bare and then
# under a small window manager (openbox), and fails on a window that stays unpainted. Leaves
# nothing running and nothing behind. Exit 77 (skipped) only where Xvfb or openbox is not
# installed; scripts/install-deps.sh installs them and the capture tools.
# Usage: window_paint_test.sh PATH/TO/window_paint_helper [FOLDER FOR THE CAPTURES]
set -u

helper=$1
pictures=${2:-}
skip() {
    echo "SKIP: $*"
    exit 77
}
for tool in Xvfb openbox; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
for tool in xwd xprop timeout; do
    command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is not installed"; exit 1; }
done
[ -x "$helper" ] || { echo "FAIL: no helper $helper"; exit 1; }

tmp=$(mktemp -d /tmp/tarvenio-x.XXXXXX) || exit 1
server_pid=
wm_pid=
stop() {
    # $1: the process id; the process is asked to end, then made to.
    [ -n "$1" ] || return 0
    kill -TERM "$1" 2>/dev/null
    i=0
    while kill -0 "$1" 2>/dev/null && [ $i -lt 50 ]; do
        sleep 0.1
        i=$((i + 1))
    done
    kill -KILL "$1" 2>/dev/null
    wait "$1" 2>/dev/null
}
cleanup() {
    stop "$wm_pid"
    stop "$server_pid"
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# The server picks a free display and writes its number; it stops by itself after ten
# minutes should this script be killed. Without -noreset it would start over when the first
# run's program leaves, and turn away the window manager that connects meanwhile.
timeout -k 5 600 Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
server_pid=$!
i=0
while [ ! -s "$tmp/display" ]; do
    i=$((i + 1))
    if [ $i -gt 100 ] || ! kill -0 "$server_pid" 2>/dev/null; then
        cat "$tmp/xvfb.log"
        echo "FAIL: the X server did not start"
        exit 1
    fi
    sleep 0.1
done
DISPLAY=:$(cat "$tmp/display")
HOME=$tmp
XDG_CONFIG_HOME=$tmp/config
QT_QPA_PLATFORM=xcb
# What the system's libraries keep to the end on a real display is listed there; a leak of the
# program's own still fails the run.
LSAN_OPTIONS=${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "$0")" && pwd)/x11_leaks.supp
export DISPLAY HOME XDG_CONFIG_HOME QT_QPA_PLATFORM LSAN_OPTIONS
unset WAYLAND_DISPLAY

run() {
    # $1: what the run is called, for the captures' folder
    folder=
    if [ -n "$pictures" ]; then
        folder=$pictures/$1
        mkdir -p "$folder"
    fi
    echo "--- $1"
    timeout -k 5 150 "$helper" $folder
}

failed=
run bare || failed="$failed without a window manager,"

timeout -k 5 600 openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
wm_pid=$!
i=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    i=$((i + 1))
    if [ $i -gt 100 ] || ! kill -0 "$wm_pid" 2>/dev/null; then
        cat "$tmp/openbox.log"
        echo "FAIL: openbox did not start"
        exit 1
    fi
    sleep 0.1
done

run openbox || failed="$failed under a window manager,"
[ -z "$failed" ] || { echo "FAIL: the walk through the windows failed${failed%,} (see above)"; exit 1; }
echo "PASS: every window painted, with and without a window manager"
