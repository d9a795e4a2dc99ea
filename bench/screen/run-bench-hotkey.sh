#!/usr/bin/env bash
# Runs bench_hotkey_ramp on an Xvfb display in a D-Bus session of its own.
# Arguments go to the program (--presses).
set -euo pipefail
cd "$(dirname "$0")/../.."
bin=${BUILD_DIR:-build}/bin/bench_hotkey_ramp
[ -x "$bin" ] || { echo "build it first: scripts/build.sh build --target bench_hotkey_ramp" >&2; exit 2; }
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
export XDG_DATA_HOME="$tmp/data" QT_QPA_PLATFORM=xcb QT_LOGGING_RULES="*.debug=false"
dbus-run-session -- "$bin" "$@"
