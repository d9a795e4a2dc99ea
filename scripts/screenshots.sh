#!/usr/bin/env bash
# Pictures of every window in each of its states, written as PNG files into the folder given
# (default /tmp/winkwell-screenshots). Starts its own X display and window manager, and uses
# settings of its own, so the user's stay untouched. QT_SCALE_FACTOR=2 gives high-DPI pictures.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-/tmp/winkwell-screenshots}")
scripts/install-deps.sh
scripts/build.sh build --target winkwell-screenshots

tmp=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$tmp"
}
trap cleanup EXIT
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" \
    XDG_RUNTIME_DIR="$tmp/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"

for n in $(seq 140 180); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
    pids+=($!)
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    break
done
openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
pids+=($!)
sleep 1

rm -rf "$out"
mkdir -p "$out"
QT_QPA_PLATFORM=xcb build/bin/winkwell-screenshots "$out"
echo "pictures in $out"
