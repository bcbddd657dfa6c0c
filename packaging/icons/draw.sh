#!/usr/bin/env bash
# Renders the icon sizes the package installs from letterloom.svg and checks the drawing against resources/icon48.png.
#
#   packaging/icons/draw.sh           redraw the PNG sizes here, then check them
#   packaging/icons/draw.sh --check   only check the committed files
#
# letterloom.svg is the logo of resources/draw.sh written as SVG; the 48 px
# icon itself is resources/icon48.png, installed as it is. Needs rsvg-convert
# (librsvg2-bin) and ImageMagick (compare, identify). The build does not run
# this: it installs the committed files.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
reference="$here/../../resources/icon48.png"
sizes=(16 22 24 32 64 128 256)
# Root-mean-square difference, 0..1, allowed between the SVG drawn at 48 px
# and the committed 48 px icon (the two renderers smooth edges differently).
max_difference=0.03

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

if [ "${1:-}" != "--check" ]; then
  for size in "${sizes[@]}"; do
    rsvg-convert -w "$size" -h "$size" "$here/letterloom.svg" -o "$work/$size.png"
    convert "$work/$size.png" -strip PNG32:"$here/letterloom-$size.png"
  done
fi

failed=0
for size in "${sizes[@]}"; do
  got="$(identify -format "%m %wx%h" "$here/letterloom-$size.png")"
  if [ "$got" = "PNG ${size}x${size}" ]; then echo "letterloom-$size.png: ok"
  else echo "letterloom-$size.png: got '$got'" >&2; failed=1; fi
done
rsvg-convert -w 48 -h 48 "$here/letterloom.svg" -o "$work/48.png"
difference="$(compare -metric RMSE "$work/48.png" "$reference" null: 2>&1 | sed 's/.*(\(.*\))/\1/')" || true
if awk -v d="$difference" -v m="$max_difference" 'BEGIN { exit !(d <= m) }'; then
  echo "letterloom.svg: ok (differs from icon48.png by $difference)"
else
  echo "letterloom.svg: differs from icon48.png by $difference, more than $max_difference" >&2
  failed=1
fi
exit "$failed"
