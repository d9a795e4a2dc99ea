#!/usr/bin/env bash
# Runs bench_statistics_window on an Xvfb display with openbox, in a D-Bus session of its own.
# Arguments go to the program (measurements, moves, opens).
set -euo pipefail
cd "$(dirname "$0")/../.."
bin=${BUILD_DIR:-build}/bin/bench_statistics_window
[ -x "$bin" ] || { echo "build it first: scripts/build.sh build --target bench_statistics_window" >&2; exit 2; }
exec bench/on-xvfb.sh --openbox "$bin" "$@"
