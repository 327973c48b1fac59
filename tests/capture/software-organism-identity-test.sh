#!/usr/bin/env bash
# Where the software path draws with the driver's own calls it must give the
# plain drawing's bytes: the grown tree's picture under the fade and the
# discs before the organism, and the organism once its fills show (from
# 68000, drawn by the driver again). In between, its lines are the film's own
# smoothed lines, held to the look limits by SoftwarePathTest. Two frames a
# second from 59.1 s to 69.1 s at 1024x768 on both paths.
set -euo pipefail
build="$1"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
cd "$build"
for path in software hardware; do
  QUILLMOOR_RENDER_PATH="$path" ./quillmoor-capture --size 1024x768 --fps 2 \
    --from 59100 --to 69100 --out "$out/$path/" >/dev/null
done
frames=0
exact=0
for frame in "$out/software"/*.png; do
  frames=$((frames + 1))
  # Frames 5 to 18 (61.1 s to 67.6 s) hold the organism's own lines.
  if [ "$frames" -ge 5 ] && [ "$frames" -le 18 ]; then continue; fi
  cmp -s "$frame" "$out/hardware/$(basename "$frame")" ||
    { echo "$(basename "$frame") differs"; exit 1; }
  exact=$((exact + 1))
done
[ "$frames" -eq 20 ] || { echo "$frames frames"; exit 1; }
echo "$exact frames identical"
