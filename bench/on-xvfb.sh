#!/usr/bin/env bash
# Runs a command on an Xvfb display of its own (with openbox when the first argument is
# --openbox), in a D-Bus session of its own; everything started here ends with it.
# Usage: bench/on-xvfb.sh [--openbox] COMMAND [ARGS...]
set -euo pipefail
wm=false
if [ "${1:-}" = --openbox ]; then
    wm=true
    shift
fi
tmp=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$tmp"
}
trap cleanup EXIT
exec 3>"$tmp/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -noreset -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$tmp/display")"
if $wm; then
    openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.1
    done
fi
export XDG_DATA_HOME="$tmp/data"
dbus-run-session -- "$@"
