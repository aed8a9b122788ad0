#!/usr/bin/env bash
# Renders data/icons/oxeln.svg into the PNG sizes of the hicolor theme, which
# are committed beside it (the build needs no SVG renderer). Run it again
# after every change to the SVG; the install test compares the two.
# Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail

icons=$(cd "$(dirname "$0")/../data/icons" && pwd)
if ! command -v rsvg-convert >/dev/null 2>&1; then
    echo "render-icons.sh : rsvg-convert manque (apt-get install librsvg2-bin)" >&2
    exit 1
fi
for size in 16 22 24 32 48 64 128 256; do
    dir="$icons/hicolor/${size}x${size}/apps"
    mkdir -p "$dir"
    rsvg-convert --width "$size" --height "$size" "$icons/oxeln.svg" --output "$dir/oxeln.png"
done
echo "Icônes rendues dans $icons/hicolor"
