#!/usr/bin/env bash
# Runs bench_hotkey_ramp on an Xvfb display in a D-Bus session of its own.
# Arguments go to the program (--presses).
set -euo pipefail
cd "$(dirname "$0")/../.."
bin=${BUILD_DIR:-build}/bin/bench_hotkey_ramp
[ -x "$bin" ] || { echo "build it first: scripts/build.sh build --target bench_hotkey_ramp" >&2; exit 2; }
export QT_QPA_PLATFORM=xcb QT_LOGGING_RULES="*.debug=false"
exec bench/on-xvfb.sh "$bin" "$@"
