#!/bin/sh
# Opens every window of the program on an X server of its own (Xvfb), first bare and then
# under a small window manager (openbox), and fails on a window that stays unpainted. Leaves
# nothing running and nothing behind. Exit 77 (skipped) only where Xvfb or openbox is not
# installed; scripts/install-deps.sh installs them and the capture tools.
# Usage: window_paint_test.sh PATH/TO/window_paint_helper [FOLDER FOR THE CAPTURES]
set -u
. "$(dirname "$0")/../support/processes.sh"

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
cleanup() {
    stop_process "$wm_pid"
    stop_process "$server_pid"
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# The server picks a free display and writes its number; it stops by itself after ten
# minutes should this script be killed. Without -noreset it would start over when the first
# run's program leaves, and turn away the window manager that connects meanwhile.
timeout -k 5 600 Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
server_pid=$!
if ! started "$server_pid" test -s "$tmp/display"; then
    cat "$tmp/xvfb.log"
    echo "FAIL: the X server did not start"
    exit 1
fi
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
managed() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
if ! started "$wm_pid" managed; then
    cat "$tmp/openbox.log"
    echo "FAIL: openbox did not start"
    exit 1
fi

run openbox || failed="$failed under a window manager,"
[ -z "$failed" ] || { echo "FAIL: the walk through the windows failed${failed%,} (see above)"; exit 1; }
echo "PASS: every window painted, with and without a window manager"
