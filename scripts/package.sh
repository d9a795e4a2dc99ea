#!/usr/bin/env bash
# Builds the Debian package: scripts/package.sh [BUILD_FOLDER] (default build) builds what is
# installed (the program, data.dat, notices.pdf, the icons) and runs `cpack -G DEB` there; the
# path of the .deb is the last line printed.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
scripts/install-deps.sh
scripts/build.sh "$dir" --target winkwell_installable
(cd "$dir" && cpack -G DEB >&2)
ls -t "$PWD/$dir"/winkwell_*.deb | head -1
