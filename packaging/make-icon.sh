#!/bin/sh
# Draws gt7p.ico (48, 32 and 16 pixels) for gt7p.exe with ImageMagick's own
# drawing primitives, after gt7p.svg (this ImageMagick has no SVG reader).
# Run after a change of the picture; the .ico is kept in the repository.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
/usr/bin/convert -size 64x64 xc:none \
  -fill '#e4b21c' -stroke '#6b5208' -strokewidth 2 -draw 'roundrectangle 4,8 60,56 6,6' \
  -fill '#12324f' -stroke '#0a1d2e' -strokewidth 1.5 -draw 'roundrectangle 10,13 54,39 2,2' \
  -fill none -stroke '#8ef08a' -strokewidth 1.6 \
  -draw 'polyline 12,19 22,19 24,15 26,23 28,17 30,19 52,19' \
  -draw 'polyline 12,26 27,26 29,22 31,30 33,24 35,26 52,26' \
  -draw 'polyline 12,33 32,33 34,29 36,37 38,31 40,33 52,33' \
  -stroke none -fill '#3a3a3a' \
  -draw 'roundrectangle 12,44 19,50 1,1' -draw 'roundrectangle 22,44 29,50 1,1' \
  -draw 'roundrectangle 32,44 39,50 1,1' \
  -fill '#c0392b' -draw 'circle 48,47 52,47' \
  "$tmp/icon.png"
for size in 48 32 16; do /usr/bin/convert "$tmp/icon.png" -resize "${size}x${size}" "$tmp/icon-$size.png"; done
/usr/bin/convert "$tmp/icon-48.png" "$tmp/icon-32.png" "$tmp/icon-16.png" "$here/gt7p.ico"
ls -l "$here/gt7p.ico"
