#!/usr/bin/env bash
# Videos written to every kind of output path, run from a scratch folder:
# relative names (the README's own --out film.mp4), ./x, sub/x, spaces, an
# apostrophe and non-ASCII letters, each as .mp4, .mkv and .webm. Each must
# end with status 0 and leave a video ffprobe reads with the frames asked
# for, and no parts folder beside it: a parts folder left beside each by a
# capture that was killed (its process id gone) is removed by the run.
set -euo pipefail
build="$(cd "$1" && pwd)"
command -v ffprobe >/dev/null || { echo "no ffprobe"; exit 77; }
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
mkdir sub "with space" "l'été"
# A second of music: decoding the bundled track would take most of each run.
ffmpeg -v error -f lavfi -i sine=duration=1 -y music.mp3
gone="$(sh -c 'echo $$')"
failed=0
for name in "rel" "./dot" "sub/in-sub" "with space/a b" "it's" "l'été/ça"; do
  for ext in mp4 mkv webm; do
    out="$name.$ext"
    mkdir -p "$out.parts-$gone-abcdef/sub"
    if ! "$build/quillmoor-capture" --size 32x24 --fps 10 --from 62000 --to 62300 \
      --music music.mp3 --out "$out" 2>"$scratch/err"; then
      echo "FAIL $out: $(tr '\n' ' ' <"$scratch/err")"
      failed=1
      continue
    fi
    frames="$(ffprobe -v error -count_frames -select_streams v:0 \
      -show_entries stream=nb_read_frames -of csv=p=0 -- "file:$PWD/$out")"
    if [ "$frames" != 3 ]; then
      echo "FAIL $out: $frames frames, expected 3"
      failed=1
    fi
  done
done
left="$(find . -name '*.parts-*')"
[ -z "$left" ] || { echo "FAIL parts folders left: $left"; failed=1; }
[ "$failed" = 0 ] && echo ok
exit "$failed"
