#!/usr/bin/env bash
# Pictures of every window in each of its states, written as PNG files into the folder given
# (default /tmp/winkwell-screenshots): in English at normal and at double scale (en_US/scale1/,
# en_US/scale2/), and in each translation at normal scale (sk_SK/scale1/, de_DE/scale1/, ...).
# Starts its own X display, window manager and tray, and uses settings of its own, so the user's
# stay untouched.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-/tmp/winkwell-screenshots}")
scripts/install-deps.sh
scripts/build.sh build --target winkwell-screenshots

tmp=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$tmp"
}
trap cleanup EXIT
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" \
    XDG_RUNTIME_DIR="$tmp/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"

for n in $(seq 140 180); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
    pids+=($!)
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    break
done
openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
pids+=($!)
sleep 1

rm -rf "$out"
mkdir -p "$out"
trayer --edge bottom --align right --widthtype request --height 24 --SetDockType true \
    >"$tmp/trayer.log" 2>&1 &
pids+=($!)
sleep 1

# A recording from the shared face clips stands in for the camera where there is one.
clip=../shared/data/real/clip06/clip06.mp4
model=../shared/models/face_detection_yunet_2022mar.onnx
[ -f "$clip" ] || clip=""
[ -f "$model" ] || model=""
shoot() { # LOCALE SCALE
    local folder="$out/$1/scale$2" language=()
    [ "$1" = en_US ] || language=(--language="$1")
    mkdir -p "$folder"
    QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$2 build/bin/winkwell-screenshots "${language[@]}" \
        "$folder" $clip $model
}
shoot en_US 1
shoot en_US 2
for locale in sk_SK de_DE cs_CZ; do
    shoot "$locale" 1
done
echo "pictures in $out"
