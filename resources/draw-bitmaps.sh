#!/usr/bin/env bash
# Draws the five grey bitmaps the film carries in its executable:
#   title.png (id 2)  disc.png (id 3)  credits.png (id 4)
#   vignette.png (id 5)  countdown.png (id 6)
# The PNGs are committed, so a build needs none of the drawing tools. To
# redraw them: apt-get install imagemagick fonts-dejavu-core; then run this
# script from anywhere. Output: 8-bit grey PNGs without colour-space chunks,
# so every decoder reads the grey levels exactly as drawn.
set -euo pipefail
cd "$(dirname "$0")"

FONTS=/usr/share/fonts/truetype/dejavu
SERIF="$FONTS/DejaVuSerif.ttf"
SERIF_BOLD="$FONTS/DejaVuSerif-Bold.ttf"
SANS_BOLD="$FONTS/DejaVuSans-Bold.ttf"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Plain 8-bit grey, no gamma or colour-space chunks, no time stamps.
save() { convert "$1" -colorspace Gray -depth 8 -strip \
  -define png:color-type=0 -define png:bit-depth=8 "$2"; }

# Title (512 x 64): "Quillmoor" in widely spaced serif letters filling
# columns 14..497 and rows 17..54, shaded from grey 201 at the top of the
# letters to about 100 at their foot (about 140 on average).
convert -background black -fill white -font "$SERIF" -pointsize 120 -kerning 30 \
  label:Quillmoor -trim +repage -resize '484x38!' "$work/title-mask.png"
convert -size 484x38 gradient:'gray(201)-gray(100)' "$work/title-shade.png"
convert "$work/title-shade.png" "$work/title-mask.png" -compose Multiply -composite \
  "$work/title-ink.png"
convert -size 512x64 xc:black "$work/title-ink.png" -geometry +14+17 -compose Over -composite \
  "$work/title.png"
save "$work/title.png" title.png

# Disc (256 x 256): white, radius 127 about the square's centre, with the
# rim's pixels shaded by how much of them the circle covers, so the ink
# touches columns and rows 1 and 254.
convert -size 256x256 xc:black -fx \
  'd=hypot(i+0.5-128,j+0.5-128); max(0,min(1,127.5-d))' "$work/disc.png"
save "$work/disc.png" disc.png

# Vignette (512 x 512): each edge contributes a soft band that falls from 1
# at the edge to 0 at 73 pixels in; the two bands of a corner add up as a
# 3.28-norm, so the grey is 85 along the edges and exactly 105 (85 * 2^(1/p))
# in the corners, with no seam where the bands meet.
convert -size 512x512 xc:black -fx \
  'kk=log(2)/log(105/85);
   xx=pow(max(0,1-min(i,511-i)/73),1.7);
   yy=pow(max(0,1-min(j,511-j)/73),1.7);
   85/255*pow(pow(xx,kk)+pow(yy,kk),1/kk)' "$work/vignette.png"
save "$work/vignette.png" vignette.png

# Countdown strip (1024 x 256): the digits 5, 4, 3, 2, each a solid white
# figure 128 wide and 195 high centred in its 256-pixel quarter, lit by a
# soft glow of the same figure blurred.
digits=()
for d in 5 4 3 2; do
  convert -background black -fill white -font "$SANS_BOLD" -pointsize 400 label:"$d" \
    -trim +repage -resize '128x195!' "$work/digit-$d.png"
  convert -size 256x256 xc:black "$work/digit-$d.png" -geometry +64+30 -compose Over -composite \
    "$work/solid-$d.png"
  convert "$work/solid-$d.png" -blur 0x14 -evaluate Multiply 0.9 "$work/glow-$d.png"
  convert "$work/solid-$d.png" \( "$work/solid-$d.png" -blur 0x5 -evaluate Multiply 0.6 \) \
    -compose Lighten -composite "$work/glow-$d.png" -compose Lighten -composite \
    "$work/quarter-$d.png"
  digits+=("$work/quarter-$d.png")
done
convert "${digits[@]}" +append "$work/countdown.png"
save "$work/countdown.png" countdown.png

# Credits (512 x 256): "CODE, MUSIC" above the credit line "QUILLMOOR TEAM",
# crossed by thin ornamental rules whose ends curl and run down to the
# bottom edge.
convert -size 512x256 xc:black -fill white -stroke none \
  -font "$SERIF_BOLD" -pointsize 40 -gravity North -annotate +0+34 'CODE, MUSIC' \
  -font "$SERIF" -pointsize 34 -annotate +0+104 'QUILLMOOR TEAM' \
  -gravity NorthWest -fill none -stroke white -strokewidth 1.6 \
  -draw "path 'M 18,92 C 140,84 372,100 494,92'" \
  -draw "path 'M 40,154 C 160,146 352,162 472,154'" \
  -draw "path 'M 18,92 C 4,92 2,110 16,112 C 30,114 32,98 22,98 C 12,98 14,132 30,150 C 52,176 60,214 44,255'" \
  -draw "path 'M 494,92 C 508,92 510,110 496,112 C 482,114 480,98 490,98 C 500,98 498,132 482,150 C 460,176 452,214 468,255'" \
  -draw "path 'M 256,154 C 256,176 238,184 230,176 C 222,168 234,158 244,166 C 254,174 252,206 256,255'" \
  -strokewidth 1.1 \
  -draw "path 'M 40,154 C 28,158 30,176 42,174 C 54,172 50,160 44,162 C 36,166 60,200 90,255'" \
  -draw "path 'M 472,154 C 484,158 482,176 470,174 C 458,172 462,160 468,162 C 476,166 452,200 422,255'" \
  "$work/credits.png"
save "$work/credits.png" credits.png
