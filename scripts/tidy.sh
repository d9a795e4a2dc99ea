#!/usr/bin/env bash
# Runs clang-tidy (checks in .clang-tidy) over the program's own sources, using the compile
# commands of a configured build folder (default build/).
#   scripts/tidy.sh            every source file of the program (not tests, tools or benchmarks)
#   scripts/tidy.sh --all      the program, its tools, benchmarks and tests
#   scripts/tidy.sh --changed  only the .cpp files changed against HEAD (staged or not)
#   scripts/tidy.sh FILE...    the files given
# Exits non-zero when clang-tidy reports anything.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${TIDY_BUILD:-build}
[ -f "$build/compile_commands.json" ] || { echo "tidy: configure $build first" >&2; exit 2; }

program='^(app|common|controller|gui|model|network|platform|statistics|systemsession)/'
case "${1:-}" in
    --all) files=$(git ls-files '*.cpp') ;;
    --changed) files=$( (git diff --name-only HEAD; git ls-files --others --exclude-standard) |
                        grep '\.cpp$' || true) ;;
    "") files=$(git ls-files '*.cpp' | grep -E "$program") ;;
    *) files="$*" ;;
esac
[ -n "$files" ] || { echo "tidy: nothing to check"; exit 0; }

count=$(echo "$files" | wc -w)
echo "== clang-tidy on $count files"
# run-clang-tidy spreads the files over the cores and exits non-zero on any finding.
run-clang-tidy -quiet -p "$build" -j "$(nproc)" $(printf '%s$ ' $(printf '%s\n' $files | sed 's/[.]/[.]/g')) \
    > "$build/clang-tidy.log" 2>&1 || {
    grep -E 'warning:|error:' -A3 "$build/clang-tidy.log" | sed 's/\x1b\[[0-9;]*m//g' | head -200
    echo "tidy: findings above (full log: $build/clang-tidy.log)" >&2
    exit 1
}
echo "tidy: clean"
