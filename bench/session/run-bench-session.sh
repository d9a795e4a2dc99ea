#!/usr/bin/env bash
# Runs bench_session_listener on an Xvfb display with openbox, in a D-Bus session of its own.
# Arguments go to the program (--processes, --windows, --seconds).
set -euo pipefail
cd "$(dirname "$0")/../.."
bin=${BUILD_DIR:-build}/bin/bench_session_listener
[ -x "$bin" ] || { echo "build it first: scripts/build.sh build --target bench_session_listener" >&2; exit 2; }
exec bench/on-xvfb.sh --openbox "$bin" "$@"
