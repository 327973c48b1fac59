#!/usr/bin/env bash
# Where the software path draws with the driver's own calls it must give the
# plain drawing's bytes: the grown tree's picture under the fade and the
# discs, and the organism's entrance, its fills invisible (alpha 0) until
# 68000. Two frames a second from 59.1 s to 69.1 s, the last two with the
# fills showing faintly, at 1024x768 on both paths.
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
for frame in "$out/software"/*.png; do
  cmp -s "$frame" "$out/hardware/$(basename "$frame")" ||
    { echo "$(basename "$frame") differs"; exit 1; }
  frames=$((frames + 1))
done
[ "$frames" -eq 20 ] || { echo "$frames frames"; exit 1; }
echo "$frames frames identical"
