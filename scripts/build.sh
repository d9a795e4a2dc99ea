#!/usr/bin/env bash
# Configures and builds into the folder given (default: build), with any extra CMake arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
generator=()
if command -v ninja >/dev/null 2>&1; then
    generator=(-G Ninja)
fi
if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
else
    cmake -S . -B "$dir" "$@" >/dev/null
fi
cmake --build "$dir" --parallel "$(nproc)"
