#!/usr/bin/env bash
# Runs bench_session_listener on an Xvfb display with openbox, in a D-Bus session of its own.
# Arguments go to the program (--processes, --windows, --seconds).
set -euo pipefail
cd "$(dirname "$0")/../.."
bin=${BUILD_DIR:-build}/bin/bench_session_listener
[ -x "$bin" ] || { echo "build it first: scripts/build.sh build --target bench_session_listener" >&2; exit 2; }
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
openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
done
dbus-run-session -- "$bin" "$@"
