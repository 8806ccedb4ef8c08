#!/usr/bin/env bash
# Re-renders splash.png, button.png and vardelo.png from their SVG sources with rsvg-convert.
# The PNGs are committed, so the build itself does not need rsvg-convert.
set -euo pipefail
cd "$(dirname "$0")"
rsvg-convert -w 200 -h 300 -o splash.png splash.svg
rsvg-convert -w 32 -h 32 -o button.png button.svg
rsvg-convert -w 32 -h 32 -o vardelo.png vardelo.svg
