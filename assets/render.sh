#!/usr/bin/env bash
# Re-renders splash.png, button.png and vardelo.png from their SVG sources with rsvg-convert, and builds the
# Windows icon vardelo.ico with icotool (Debian package icoutils): vardelo.png for 32x32 plus renders of
# vardelo.svg at 16, 48 and 256 pixels, the sizes Explorer asks for.
# The PNGs and the .ico are committed, so the build itself needs neither tool.
set -euo pipefail
cd "$(dirname "$0")"
rsvg-convert -w 200 -h 300 -o splash.png splash.svg
rsvg-convert -w 32 -h 32 -o button.png button.svg
rsvg-convert -w 32 -h 32 -o vardelo.png vardelo.svg

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for size in 16 48 256; do
    rsvg-convert -w "$size" -h "$size" -o "$scratch/vardelo-$size.png" vardelo.svg
done
# 256 pixels go in as PNG, as Windows expects for that size; the small ones as bitmaps.
icotool -c -o vardelo.ico "$scratch/vardelo-16.png" vardelo.png "$scratch/vardelo-48.png" \
    -r "$scratch/vardelo-256.png"
