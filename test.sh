#!/usr/bin/env bash
# Installs what is missing, checks formatting and the translations, builds, runs clang-tidy over the program's sources,
# and runs every test headless: an Xvfb display with a window manager and a private D-Bus session
# are started here when none is given. Then the tests run again in a build with the
# address and undefined-behaviour sanitizers (skip that with --no-sanitize, or run only it with
# --sanitize).
set -euo pipefail
cd "$(dirname "$0")"

mode=all
case "${1:-}" in
    --sanitize) mode=sanitize ;;
    --no-sanitize) mode=plain ;;
    "") ;;
    *) echo "usage: $0 [--sanitize|--no-sanitize]" >&2; exit 2 ;;
esac

scripts/install-deps.sh
scripts/check-format.sh
# Every text of the program translated in every language, none left over.
scripts/translations.sh check

if [ "$mode" != sanitize ]; then
    scripts/build.sh build
    # The program's sources through clang-tidy (bug-prone patterns, braces everywhere).
    scripts/tidy.sh
fi
if [ "$mode" != plain ]; then
    # The benchmarks are measured in the plain build only.
    scripts/build.sh build-sanitize -DWINKWELL_SANITIZE=ON -DWINKWELL_BUILD_BENCH=OFF
fi

exec scripts/run-tests.sh "$mode"
