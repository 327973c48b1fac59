#!/usr/bin/env bash
# The vertex arrays change how vertices reach GL, not what is drawn: frames
# rendered with them and with the plain GL 1.1 calls (QUILLMOOR_GL_CALLS=
# immediate) are byte for byte the same, on Mesa, at one frame a second
# through the whole film: the hardware path at three sizes, and the software
# path from the organism on (it draws the tree with its own code).
set -euo pipefail
build="$1"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
cd "$build"

# compare NAME PATH SIZE FROM TO: renders both ways and compares every frame.
compare() {
  local name="$1" path="$2" size="$3" from="$4" to="$5"
  for calls in arrays immediate; do
    QUILLMOOR_RENDER_PATH="$path" QUILLMOOR_GL_CALLS="$calls" ./quillmoor-capture \
      --size "$size" --fps 1 --from "$from" --to "$to" --out "$out/$name-$calls/" >/dev/null
  done
  local frames=0
  for frame in "$out/$name-arrays"/*.png; do
    cmp -s "$frame" "$out/$name-immediate/$(basename "$frame")" ||
      { echo "$name: $(basename "$frame") differs"; exit 1; }
    frames=$((frames + 1))
  done
  [ "$frames" -eq $(((to - from) / 1000)) ] || { echo "$name: $frames frames"; exit 1; }
  echo "$name: $frames frames identical"
}

compare hardware-640x480 hardware 640x480 0 110000
compare hardware-1024x768 hardware 1024x768 0 110000
compare hardware-1600x1200 hardware 1600x1200 0 110000
compare software-1024x768 software 1024x768 60000 110000
echo ok
