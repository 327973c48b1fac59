#!/usr/bin/env bash
# Draws the desktop icon, quillmoor.png (128 x 128, RGBA): the countdown
# leader's two rings and cross-hair in white on a rounded black tile, with a
# serif "Q" in the middle, the way the film opens.
# The PNG is committed, so a build needs none of the drawing tools. To
# redraw it: apt-get install imagemagick fonts-dejavu-core; then run this
# script from anywhere.
set -euo pipefail
cd "$(dirname "$0")"

SERIF_BOLD=/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The tile: black, corners rounded with radius 20, transparent outside.
convert -size 128x128 xc:none -fill black -draw 'roundrectangle 2,2 125,125 20,20' \
  "$work/tile.png"
# Leader marks: cross-hair and two rings about the centre.
convert "$work/tile.png" -stroke 'gray(200)' -strokewidth 2 -fill none \
  -draw 'line 64,10 64,118' -draw 'line 10,64 118,64' \
  -draw 'circle 64,64 64,14' -draw 'circle 64,64 64,22' "$work/marks.png"
# The letter, with a dark halo so it reads over the cross-hair.
convert "$work/marks.png" -font "$SERIF_BOLD" -pointsize 76 -gravity center \
  -stroke black -strokewidth 8 -fill black -annotate +0+2 Q \
  -stroke none -fill white -annotate +0+2 Q "$work/icon.png"
convert "$work/icon.png" -strip -define png:color-type=6 quillmoor.png
