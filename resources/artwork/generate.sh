#!/bin/sh
# Redraws every icon, animation and sound under resources/icons and resources/audio.
# The outputs are committed, so a build never runs this; run it after changing draw.py or sound.py:
#   sh resources/artwork/generate.sh
# Needs python3 (standard library only), rsvg-convert (librsvg2-bin) and ImageMagick's convert.
# The same inputs give byte-identical files.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
res=$(dirname "$here")
icons=$res/icons
audio=$res/audio

for tool in python3 rsvg-convert convert; do
    command -v "$tool" >/dev/null || { echo "generate.sh: $tool is missing (apt-get install python3 librsvg2-bin imagemagick)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

python3 "$here/draw.py" "$icons" "$work"

# One grey ramp for every animation: they are white on black, and a fixed palette keeps the
# files small and the output independent of ImageMagick's colour quantiser.
convert -size 1x32 gradient:black-white "$work/grey.png"

while read -r name width height; do
    set --
    while read -r delay frame; do
        rsvg-convert --width "$width" --height "$height" --format png --output "${frame%.svg}.png" "$frame"
        set -- "$@" -delay "$delay" "${frame%.svg}.png"
    done <"$work/$name.frames"
    convert "$@" +dither -remap "$work/grey.png" -loop 0 -layers Optimize "$icons/$name.gif"
done <"$work/gifs"

# The proxy dialog's title bar takes a bitmap close button.
for name in close close-dark; do
    rsvg-convert --width 20 --height 20 --format png --output "$work/$name.png" "$icons/$name.svg"
    convert "$work/$name.png" -strip -define png:exclude-chunks=date,time "$icons/$name.png"
done

python3 "$here/sound.py" "$audio"
