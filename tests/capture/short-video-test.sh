#!/usr/bin/env bash
# A short capture to video: two seconds of the film at a small odd size with
# the leader, checked with ffprobe for one H.264 and one audio stream and a
# duration within one frame of the frames asked for.
set -euo pipefail
build="$1"
command -v ffprobe >/dev/null || { echo "no ffprobe"; exit 77; }
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
cd "$build"
./quillmoor-capture --size 161x121 --fps 25 --from 62000 --to 64000 --leader --jobs 2 \
  --out "$out/short.mp4"
streams="$(ffprobe -v error -show_entries stream=codec_type,codec_name -of csv=p=0 "$out/short.mp4" | sort | tr '\n' ' ')"
[ "$streams" = "aac,audio h264,video " ] || { echo "streams: $streams"; exit 1; }
duration="$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$out/short.mp4")"
# 83 leader frames (700..3980 ms of its clock) and 50 film frames at 25 fps.
python3 -c "import sys; d=float('$duration'); e=(83+50)/25; sys.exit(0 if abs(d-e) <= 1/25 else 1)" ||
  { echo "duration $duration"; exit 1; }
# The frame at 63.1 s is the black ground (past the leader's 3.32 s).
ffmpeg -v error -ss "$(python3 -c 'print(83/25 + 1.1 + 0.02)')" -i "$out/short.mp4" -frames:v 1 \
  -f rawvideo -pix_fmt gray "$out/frame.gray"
python3 -c "import sys; f=open('$out/frame.gray','rb').read(); sys.exit(0 if f[60*162+80] < 40 else 1)" ||
  { echo "the frame at 63.1 s is not black at its centre"; exit 1; }
# --help and --version answer, a bad size is refused with a non-zero status.
# Read whole: grep -q leaves at its first match, and a longer text would
# then meet a closed pipe.
./quillmoor-capture --help >"$out/help"
grep -q -- "--jobs" "$out/help"
./quillmoor-capture --version | grep -q "quillmoor-capture"
if ./quillmoor-capture --size 0x10 --out "$out/x.png" 2>/dev/null; then exit 1; fi
echo ok
