#!/usr/bin/env bash
# Checks a whole-film capture made without the leader, e.g.
#   build/quillmoor-capture --size 1024x768 --fps 30 --out film.mp4
#   tests/capture/whole-film-check.sh film.mp4 30
# one H.264 and one audio stream, BT.709 colour tags at limited range, a
# length within one frame of 110 s, the frame at 63.1 s black and the one at
# 78.0 s on a white ground. Too long for
# every test run: run it by hand on a finished capture.
set -euo pipefail
video="$1"
fps="${2:-30}"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
streams="$(ffprobe -v error -show_entries stream=codec_type,codec_name -of csv=p=0 "$video" | sort | tr '\n' ' ')"
[ "$streams" = "aac,audio h264,video " ] || { echo "streams: $streams"; exit 1; }
colour="$(ffprobe -v error -select_streams v:0 \
  -show_entries stream=color_range,color_space,color_transfer,color_primaries -of csv=p=0 "$video")"
[ "$colour" = "tv,bt709,bt709,bt709" ] || { echo "colour: $colour"; exit 1; }
duration="$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$video")"
python3 -c "import sys; sys.exit(0 if abs($duration - 110) <= 1 / $fps else 1)" ||
  { echo "duration $duration"; exit 1; }
# The middle half of the picture's centre row, as grey levels (0..255), of
# the frame shown at second $1.
centre_row() {
  ffmpeg -v error -ss "$1" -i "$video" -frames:v 1 -vf scale=64:36 -f rawvideo -pix_fmt gray \
    "$out/frame.gray" -y
  python3 -c "f=open('$out/frame.gray','rb').read(); print(sorted(f[18*64+16:18*64+48])[16])"
}
black="$(centre_row 63.1)"
[ "$black" -lt 40 ] || { echo "the frame at 63.1 s is not black: $black"; exit 1; }
white="$(centre_row 78.0)"
[ "$white" -gt 200 ] || { echo "the frame at 78.0 s is not white-backed: $white"; exit 1; }
echo "ok: $streams, $duration s, grey $black at 63.1 s, $white at 78.0 s"
