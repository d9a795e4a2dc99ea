#!/usr/bin/env bash
# Blink-detection accuracy on the shared face clips: runs winkwell-analyze over every clip that has
# ground truth and scores the result with winkwell-blinkeval, per data set. The real clips are
# scored in two groups: the older fourteen (clipNN, dev26-dev32) and the newer (dev33 on), which
# were gathered for faces with expressions.
# Usage: bench/accuracy/run-accuracy.sh [BUILD_DIR] [SHARED_DIR] [--json]
# ANALYZE_ARGS adds options to every winkwell-analyze call (e.g. "--motion none"); SETS chooses
# the data sets (default "synthetic real"). EYE_MODELS names a folder of eye-state models, one per
# clip trained without it (winkwell-eyestate crossval): each clip is then scored by its own, as on
# a face the model has not seen.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
shared=$(cd "${2:-$here/../shared}" && pwd) || { echo "no shared data" >&2; exit 1; }
json=${3:-}
analyze="$build/bin/winkwell-analyze"
blinkeval="$build/bin/winkwell-blinkeval"
model="$shared/models/face_detection_yunet_2022mar.onnx"

for tool in "$analyze" "$blinkeval"; do
    [ -x "$tool" ] || { echo "missing $tool: build first (scripts/build.sh)" >&2; exit 1; }
done
[ -d "$shared/data" ] || { echo "no shared data at $shared/data" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The group of a clip: its data set, and for real clips older or newer.
group_of() {
    local set=$1 clip=$2
    if [ "$set" != real ]; then
        echo "$set"
    elif [[ $clip =~ ^dev([0-9]+)$ ]] && [ "${BASH_REMATCH[1]}" -ge 33 ]; then
        echo "real, newer"
    else
        echo "real, older"
    fi
}

for set in ${SETS:-synthetic real}; do
    groups=()
    while IFS= read -r tag; do
        clip=$(basename "$tag" .tag)
        video=$(find "$(dirname "$tag")" -maxdepth 1 -name "$clip.*" ! -name '*.tag' ! -name '*.json' | head -1)
        [ -n "$video" ] || continue
        eye_model=()
        if [ -n "${EYE_MODELS:-}" ]; then
            [ -f "$EYE_MODELS/$clip.yml" ] || { echo "no $EYE_MODELS/$clip.yml" >&2; exit 1; }
            eye_model=(--eye-model "$EYE_MODELS/$clip.yml")
        fi
        # shellcheck disable=SC2086 # ANALYZE_ARGS is a list of options
        "$analyze" --json --face-model "$model" "${eye_model[@]}" ${ANALYZE_ARGS:-} "$video" \
            >"$work/$clip.json"
        group=$(group_of "$set" "$clip")
        manifest="$work/$group.manifest"
        [ -f "$manifest" ] || groups+=("$group")
        echo "$tag $work/$clip.json" >>"$manifest"
    done < <(find "$shared/data/$set" -name '*.tag' | sort)
    for group in "${groups[@]}"; do
        echo "== $group"
        "$blinkeval" $json --manifest "$work/$group.manifest"
    done
done
