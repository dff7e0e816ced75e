#!/usr/bin/env bash
# Renders the program's bitmaps from torvane.svg (needs ImageMagick):
# the 49 x 52 About logo and the 48 x 48 desktop icon.
set -euo pipefail
cd "$(dirname "$0")"
convert -background none -density 96 torvane.svg -resize '49x52!' -depth 8 logo.png
convert -background none torvane.svg -resize 48x48 -depth 8 torvane-48.png
