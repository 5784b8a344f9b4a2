# For the test scripts that start a service of their own: sourced, not run.

# stop_process PID: asks the process to end, then makes it; nothing for an empty id.
stop_process() {
    [ -n "$1" ] || return 0
    kill -TERM "$1" 2>/dev/null
    _i=0
    while kill -0 "$1" 2>/dev/null && [ $_i -lt 100 ]; do
        sleep 0.1
        _i=$((_i + 1))
    done
    kill -KILL "$1" 2>/dev/null
    wait "$1" 2>/dev/null
}

# started PID COMMAND...: waits up to ten seconds for COMMAND to succeed, while the process
# PID that should bring it about still runs. False when it never does.
started() {
    _pid=$1
    shift
    _i=0
    until "$@"; do
        _i=$((_i + 1))
        if [ $_i -gt 100 ] || ! kill -0 "$_pid" 2>/dev/null; then
            return 1
        fi
        sleep 0.1
    done
}
