#!/usr/bin/env bash
# The presets and the encoder's settings, checked with ffprobe on short
# captures at small sizes (the size of a preset is not what is checked): each
# preset's codec, profile, level, frame rate, sound codec and colour tags; a
# party's stated bit rates; a lossless master that decodes to exactly the
# PNG frames of the same instants; a 60000/1001 rate carried into the
# container across the seams of parts; the film's flat grey at its level
# after encoding and decoding; progress lines on a stderr that is no
# terminal; and combinations the presets cannot give, refused.
set -euo pipefail
build="$(cd "$1" && pwd)"
command -v ffprobe >/dev/null || { echo "no ffprobe"; exit 77; }
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
cd "$out"
capture="$build/quillmoor-capture"
failed=0
fail() { echo "FAIL $*"; failed=1; }
# Three seconds of stereo noise: the sound encoder spends its whole rate on it.
ffmpeg -v error -f lavfi -i anoisesrc=d=3:c=pink -ac 2 -b:a 320k -y noise.mp3

# FILE STREAM FIELDS: the stream's fields as key=value lines.
fields() {
  ffprobe -v error -select_streams "$2" -show_entries "stream=$3" -of default=nw=1 "$1"
}
# FILE STREAM FIELD EXPECTED
expect() {
  local got
  got="$(fields "$1" "$2" "$3" | sed 's/^[^=]*=//')"
  [ "$got" = "$4" ] || fail "$1 $2 $3: $got, expected $4"
}
expect_colour() {
  local got
  got="$(fields "$1" v:0 color_range,color_space,color_transfer,color_primaries | tr '\n' ' ')"
  [ "$got" = "$2" ] || fail "$1 colour: $got, expected $2"
}
yuv709="color_range=tv color_space=bt709 color_transfer=bt709 color_primaries=bt709 "
# FILE STREAM LOW HIGH: the stream's measured bit rate lies in LOW..HIGH.
expect_bitrate() {
  local rate
  rate="$(fields "$1" "$2" bit_rate | sed 's/^[^=]*=//')"
  python3 -c "import sys; sys.exit(0 if $3 <= int('$rate') <= $4 else 1)" ||
    fail "$1 $2 bit rate $rate outside $3..$4"
}

# A party's screen: H.264 High at level 4.1, 30 fps, 8 Mbit/s held, AAC.
"$capture" --preset party-1080p --size 160x120 --to 2000 --music noise.mp3 --out party.mp4 \
  2>party.err
expect party.mp4 v:0 codec_name,profile,level,r_frame_rate "$(printf 'h264\nHigh\n41\n30/1')"
expect_bitrate party.mp4 v:0 6000000 10000000
expect party.mp4 a:0 codec_name,sample_rate "$(printf 'aac\n48000')"
expect_bitrate party.mp4 a:0 128000 256000
expect_colour party.mp4 "$yuv709"
# Its stderr is a file: a line at the first frame and one at the end.
grep -q "quillmoor-capture: 1 of 60 frames, 0:0[0-9] elapsed" party.err ||
  fail "no first progress line: $(cat party.err)"
grep -q "quillmoor-capture: 60 of 60 frames" party.err || fail "no last progress line"

# The video sites: H.264 High in .mp4, VP9 and Opus in .webm, at 60 fps.
"$capture" --preset youtube-1080p60 --size 160x120 --from 99000 --to 99300 --music noise.mp3 \
  --out site.mp4 2>/dev/null
expect site.mp4 v:0 codec_name,profile,r_frame_rate "$(printf 'h264\nHigh\n60/1')"
expect site.mp4 a:0 codec_name "aac"
expect_colour site.mp4 "$yuv709"
"$capture" --preset youtube-2160p60 --size 160x120 --from 99000 --to 99300 --music noise.mp3 \
  --out site.webm 2>/dev/null
expect site.webm v:0 codec_name,r_frame_rate "$(printf 'vp9\n60/1')"
expect site.webm a:0 codec_name "opus"
expect_colour site.webm "$yuv709"

# The lossless master decodes to exactly the frames of a PNG sequence.
"$capture" --preset master --size 64x48 --from 100000 --to 100050 --music noise.mp3 \
  --out master.mkv 2>/dev/null
expect master.mkv v:0 codec_name,pix_fmt "$(printf 'ffv1\nbgr0')"
expect master.mkv a:0 codec_name "flac"
expect_colour master.mkv "color_range=pc color_space=gbr color_transfer=bt709 color_primaries=bt709 "
# Its sound ends with the last frame (FLAC's 96 ms packets would run on).
length="$(ffprobe -v error -show_entries format=duration -of csv=p=0 master.mkv)"
python3 -c "import sys; sys.exit(0 if abs($length - 0.05) < 0.002 else 1)" ||
  fail "master.mkv lasts $length s, not the 0.05 s of its 3 frames"
"$capture" --preset master --size 64x48 --from 100000 --to 100050 --out frames/ 2>/dev/null
ffmpeg -v error -i master.mkv -map 0:v -f rawvideo -pix_fmt rgb24 master.rgb
ffmpeg -v error -framerate 60 -i frames/frame-%06d.png -f rawvideo -pix_fmt rgb24 frames.rgb
[ "$(stat -c %s frames.rgb)" = $((3 * 64 * 48 * 3)) ] || fail "the PNG sequence has not 3 frames"
cmp -s master.rgb frames.rgb || fail "the master's frames differ from the PNG frames"

# 60000/1001 in the container, across the seam of two parts (1 s at least
# each) rendered by two processes: every frame at its exact 1001/60000 s.
"$capture" --size 32x24 --fps 59.94 --from 20000 --to 22100 --jobs 2 --music noise.mp3 \
  --out ntsc.mp4 2>/dev/null
expect ntsc.mp4 v:0 r_frame_rate,avg_frame_rate "$(printf '60000/1001\n60000/1001')"
frames="$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
  -of csv=p=0 ntsc.mp4)"
[ "$frames" = 126 ] || fail "ntsc.mp4: $frames frames, expected 126"
durations="$(ffprobe -v error -select_streams v:0 -show_entries packet=duration -of csv=p=0 \
  ntsc.mp4 | sort -u | tr '\n' ' ')"
[ "$durations" = "1001 " ] || fail "ntsc.mp4 frame durations: $durations"

# The finale's flat grey (76 of 255 in the PNG) keeps its level through the
# BT.709 limited-range encoding and a decoding that follows the tags.
"$capture" --size 160x120 --from 100000 --out grey.png 2>/dev/null
for ext in mp4 webm; do
  "$capture" --size 160x120 --from 100000 --to 100100 --music noise.mp3 --out "grey.$ext" \
    2>/dev/null
  expect_colour "grey.$ext" "$yuv709"
done
for file in grey.png grey.mp4 grey.webm; do
  ffmpeg -v error -i "$file" -frames:v 1 -f rawvideo -pix_fmt rgb24 -y "$file.rgb"
done
python3 - <<'PY' || failed=1
import sys
def patch(name):  # the grey ground left of the centre, away from its edges
    d = open(name, "rb").read()
    return [d[3 * (y * 160 + x) + c] for y in range(64, 90) for x in range(32, 60) for c in range(3)]
want = patch("grey.png.rgb")
assert set(want) == {76}, "the PNG's patch is not flat 76: %s" % sorted(set(want))
for name in ("grey.mp4.rgb", "grey.webm.rgb"):
    worst = max(abs(a - b) for a, b in zip(patch(name), want))
    if worst > 2:
        print("FAIL %s: grey off by %d levels" % (name, worst))
        sys.exit(1)
PY

# --help lists every preset; what a preset cannot give is refused (status 2).
help="$("$capture" --help)"
for name in youtube-1080p60 youtube-2160p60 party-1080p master; do
  grep -q -- "$name" <<<"$help" || fail "--help does not list $name"
done
refused() {
  local status=0
  "$capture" "$@" 2>refused.err || status=$?
  [ "$status" = 2 ] && [ "$(wc -l <refused.err)" = 1 ] || fail "$* gave $status: $(cat refused.err)"
}
refused --preset master --out x.mp4
refused --preset master --quality 10 --out x.mkv
refused --preset party-1080p --out x.webm
refused --preset party-1080p --fps 60 --out x.mp4
refused --preset no-such --out x.mp4
refused --quality 20 --bitrate 5M --out x.mp4
refused --quality 60 --out x.mp4
[ "$failed" = 0 ] && echo ok
exit "$failed"
