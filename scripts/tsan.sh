#!/usr/bin/env bash
# Builds the tests with the thread sanitizer into build-tsan/ and runs them; arguments go to
# ctest (for example -R controller). Not part of ./test.sh: it doubles the build time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build-tsan -DWINKWELL_TSAN=ON
exec scripts/run-tests.sh tsan "$@"
