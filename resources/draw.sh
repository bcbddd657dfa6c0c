#!/usr/bin/env bash
# Draws the pictures built into the program (banner, flags, window icon) and checks them.
#
#   resources/draw.sh           redraw all five pictures here, then check them
#   resources/draw.sh --check   only check the committed pictures
#
# Needs ImageMagick (convert, identify), the Liberation fonts and python3.
# The build does not run this: it embeds the committed files.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

font_bold="Liberation-Sans-Bold"
gold="rgb(217,200,68)"       # the program's accent gold
gold_light="rgb(246,232,140)"
gold_dark="rgb(112,92,18)"
ink="rgb(52,56,64)"          # the logo's disc and the maker's name

# The round logo at 480 x 480 on a transparent ground: a dark disc in a gold
# ring holding a 4 x 4 pixel grid whose gold cells weave an "L" (the left
# column and the bottom row); the other cells alternate two greys.
draw_logo() {
  local out="$1" cells="" row col x y fill
  for row in 0 1 2 3; do
    for col in 0 1 2 3; do
      x=$((110 + col * 70)); y=$((110 + row * 70))
      if [ "$col" -eq 0 ] || [ "$row" -eq 3 ]; then fill="$gold"
      elif [ $(((row + col) % 2)) -eq 0 ]; then fill="rgb(122,130,144)"
      else fill="rgb(88,96,110)"; fi
      cells+="fill $fill roundrectangle $x,$y $((x + 50)),$((y + 50)) 7,7 "
    done
  done
  convert -size 480x480 xc:none \
    -fill "rgba(0,0,0,0.35)" -draw "circle 246,250 246,478" -blur 0x6 \
    -fill "$ink" -stroke "$gold" -strokewidth 22 -draw "circle 240,240 240,20" \
    -stroke "$gold_light" -strokewidth 3 -fill none -draw "circle 240,240 240,38" \
    -stroke none -draw "$cells" \
    -fill "rgba(255,255,255,0.10)" -draw "ellipse 240,150 170,95 0,360" \
    "$out"
}

draw_banner() {
  local logo="$1" out="$2"
  local name_x=24 name_y=102 name_size=64
  # White-to-grey ground with a thin gold rule along the bottom edge.
  convert -size 640x168 gradient:"rgb(255,255,255)-rgb(178,178,182)" \
    -fill "$gold" -draw "rectangle 0,164 640,168" \
    -fill "$gold_dark" -draw "rectangle 0,163 640,163" \
    "$work/ground.png"
  # The name: a soft shadow, a dark outline, the gold face with a light top edge.
  convert -size 640x168 xc:none -font "$font_bold" -pointsize "$name_size" \
    -fill "rgba(0,0,0,0.45)" -annotate "+$((name_x + 4))+$((name_y + 4))" "LETTERLOOM" \
    -blur 0x3 \
    -fill "$gold_dark" -stroke "$gold_dark" -strokewidth 5 \
    -annotate "+${name_x}+${name_y}" "LETTERLOOM" \
    -stroke none -fill "$gold_light" -annotate "+${name_x}+$((name_y - 1))" "LETTERLOOM" \
    -fill "$gold" -annotate "+${name_x}+$((name_y + 1))" "LETTERLOOM" \
    "$work/name.png"
  # A row of pixels under the name, the way a text becomes a picture.
  local strip="" i x shade
  for i in $(seq 0 28); do
    x=$((name_x + 2 + i * 15))
    shade=$(( (i * 37 + 11) % 5 ))
    case $shade in
      0) fill="$gold" ;; 1) fill="$gold_light" ;; 2) fill="rgb(150,150,156)" ;;
      3) fill="rgb(190,172,60)" ;; *) fill="rgb(120,124,132)" ;;
    esac
    strip+="fill $fill rectangle $x,120 $((x + 10)),130 "
  done
  convert "$work/ground.png" "$work/name.png" -composite \
    -draw "$strip" \
    \( "$logo" -resize 124x124 \) -geometry +492+6 -composite \
    -font "$font_bold" -pointsize 19 -kerning 5 -fill "$ink" \
    -gravity NorthWest -annotate +491+134 "ORVANTO" \
    -strip -type TrueColor -colorspace sRGB -interlace JPEG -quality 92 \
    "$out"
}

draw_icon() {
  local logo="$1" out="$2"
  convert "$logo" -filter Box -resize 48x48 -strip PNG32:"$out"
}

# Fails with a message unless identify reports the wanted description of a file.
expect() {
  local file="$1" format="$2" want="$3" got
  got="$(identify -format "$format" "$file")"
  if [ "$got" != "$want" ]; then
    echo "$(basename "$file"): got '$got', want '$want'" >&2
    return 1
  fi
  echo "$(basename "$file"): ok"
}

check_all() {
  local failed=0
  expect "$here/banner.jpg" "%m %wx%h %[interlace] %[colorspace] %[channels]" \
    "JPEG 640x168 JPEG sRGB srgb" || failed=1
  [ "$(identify -verbose "$here/banner.jpg" | grep -c 'Interlace: JPEG')" -eq 1 ] \
    || { echo "banner.jpg: not progressive" >&2; failed=1; }
  expect "$here/icon48.png" "%m %wx%h" "PNG 48x48" || failed=1
  python3 "$here/flags.py" check "$here" || failed=1
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$here/letterloom.desktop" && echo "letterloom.desktop: ok" || failed=1
  fi
  return "$failed"
}

if [ "${1:-}" != "--check" ]; then
  draw_logo "$work/logo.png"
  draw_banner "$work/logo.png" "$here/banner.jpg"
  draw_icon "$work/logo.png" "$here/icon48.png"
  python3 "$here/flags.py" write "$here"
fi
check_all
