#!/usr/bin/env bash
# Runs CTest in the built trees inside a private X display and D-Bus session.
# Mode: plain (build/), sanitize (build-sanitize/), all (both), tsan (build-tsan/); further
# arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-all}
shift || true

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
        # A real window manager, so that focus and stacking behave as on a desktop.
        openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
        cleanup_pids+=($!)
        for _ in $(seq 50); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
            sleep 0.1
        done
        # A system tray (XEmbed) for the tray icon.
        trayer --edge bottom --align right --widthtype request --height 24 --SetDockType true \
            >"$tmp/trayer.log" 2>&1 &
        cleanup_pids+=($!)
        for _ in $(seq 50); do
            xdotool search --classname trayer >/dev/null 2>&1 && break
            sleep 0.1
        done
        break
    done
fi

# ASan's leak checker cannot follow Qt's and the GL stack's process-lifetime allocations.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=0:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan.supp"

jobs=$(nproc)
status=0
run_ctest() {
    local dir=$1
    shift
    echo "== ctest in $dir"
    dbus-run-session -- ctest --test-dir "$dir" --output-on-failure -j "$jobs" "$@" || status=1
}
case "$mode" in
    plain) run_ctest build "$@" ;;
    sanitize) run_ctest build-sanitize "$@" ;;
    all) run_ctest build "$@"; run_ctest build-sanitize "$@" ;;
    tsan) run_ctest build-tsan "$@" ;;
    *) echo "unknown mode $mode" >&2; exit 2 ;;
esac
exit $status
