#!/usr/bin/env bash
# Puts the CNN face-detection model into the per-user data folder, where the program looks for
# it. The file is checked against its known SHA-256; without a network the program falls back to
# the cascade detector, so a failed download is not an error.
set -uo pipefail

NAME=face_detection_yunet_2022mar.onnx
SHA256=50ef07f702a31741ca46a4c0d947773b64143b9362780237bf0d427d6c79bab7
URL="https://github.com/opencv/opencv_zoo/raw/main/models/face_detection_yunet/$NAME"
target_dir="${XDG_DATA_HOME:-$HOME/.local/share}/winkwell"
target="$target_dir/$NAME"

if [ -f "$target" ] && echo "$SHA256  $target" | sha256sum --quiet -c - 2>/dev/null; then
    exit 0
fi
mkdir -p "$target_dir"
tmp=$(mktemp "$target_dir/.$NAME.XXXXXX")
trap 'rm -f "$tmp"' EXIT
if ! curl -fsSL --max-time 30 -o "$tmp" "$URL"; then
    echo "Face-detection model not downloaded (offline?): the cascade detector will be used." >&2
    exit 0
fi
if ! echo "$SHA256  $tmp" | sha256sum --quiet -c - 2>/dev/null; then
    echo "Downloaded face-detection model has the wrong checksum; not installed." >&2
    exit 0
fi
mv "$tmp" "$target"
echo "Face-detection model installed in $target"
