#!/usr/bin/env bash
# Installs what is missing, builds, and starts Winkwell. Arguments go to the program ("/m" starts
# it in the tray).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/fetch-face-model.sh
scripts/build.sh build --target winkwell_program
exec build/bin/winkwell "$@"
