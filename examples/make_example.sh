#!/usr/bin/env bash
# Draws examples/example.bmp with ImageMagick: a framed picture with a title, circles and a
# checkerboard, so that every third of the screen and both colours show. Written as a 256 x 192
# one-bit BMP with the 62-byte header tapemill reads, black as colour 0.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 256x192 xc:white \
  -fill none -stroke black -strokewidth 3 -draw "rectangle 1,1 254,190" \
  -stroke none -fill black -font Helvetica-Bold -pointsize 34 \
  -draw "text 30,48 'tapemill'" \
  -pointsize 14 -draw "text 34,72 'BMP in, ZX Spectrum tape out'" \
  -fill black -draw "circle 64,134 64,98" -fill white -draw "circle 64,134 64,112" \
  -fill black -draw "circle 64,134 64,124" \
  \( -size 96x64 pattern:checkerboard -threshold 50% -crop 96x64+0+0 \) \
  -geometry +136+102 -composite \
  -monochrome -remap pattern:gray50 BMP3:example.bmp
