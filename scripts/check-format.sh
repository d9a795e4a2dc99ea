#!/usr/bin/env bash
# Fails when a C++ file differs from what clang-format makes of it (--fix rewrites them).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h' 2>/dev/null || find . -name '*.cpp' -o -name '*.h')
[ ${#files[@]} -eq 0 ] && exit 0
if [ "${1:-}" = --fix ]; then
    clang-format -i "${files[@]}"
    exit 0
fi
if ! clang-format --dry-run --Werror "${files[@]}"; then
    echo "clang-format: the files above need formatting (scripts/check-format.sh --fix)" >&2
    exit 1
fi
