#!/usr/bin/env bash
# Runs CTest in the built trees inside a private X display and D-Bus session.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-all}

cleanup_pids=()
tmp=$(mktemp -d)
cleanup() {
    for pid in "${cleanup_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$tmp"
}
trap cleanup EXIT

# Keep the tests away from the user's own settings, data and runtime files.
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" \
    XDG_RUNTIME_DIR="$tmp/runtime" XDG_CACHE_HOME="$tmp/cache"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"

if [ -z "${DISPLAY:-}" ]; then
    for n in $(seq 90 130); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1920x1080x24 -noreset -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
        cleanup_pids+=($!)
        export DISPLAY=":$n"
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
        break
    done
fi

# ASan's leak checker cannot follow Qt's and the GL stack's process-lifetime allocations.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

jobs=$(nproc)
status=0
run_ctest() {
    echo "== ctest in $1"
    dbus-run-session -- ctest --test-dir "$1" --output-on-failure -j "$jobs" || status=1
}
[ "$mode" != sanitize ] && run_ctest build
[ "$mode" != plain ] && run_ctest build-sanitize
exit $status
