#!/usr/bin/env bash
# Configures and builds into the folder given (default: build). Arguments starting with -D go to
# the configure step; "--target NAME" builds only that target.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
defines=()
targets=()
while [ $# -gt 0 ]; do
    case "$1" in
        --target) targets+=(--target "$2"); shift 2 ;;
        *) defines+=("$1"); shift ;;
    esac
done
generator=()
if command -v ninja >/dev/null 2>&1; then
    generator=(-G Ninja)
fi
if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${defines[@]}"
else
    cmake -S . -B "$dir" "${defines[@]}" >/dev/null
fi
cmake --build "$dir" --parallel "$(nproc)" "${targets[@]}"
