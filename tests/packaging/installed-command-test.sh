#!/usr/bin/env bash
# Installs the build into a scratch prefix, checks what a desktop needs, and
# starts the installed command from an unrelated folder: the dialog and the
# render window must carry the desktop icon, and with the dialog answered
# from the keyboard, the film must start (its music found in the
# data folder, so no "Load error" box) and end on Escape with status 0.
# Usage: installed-command-test.sh BUILD_DIR
set -euo pipefail
build=$1
[ -n "${DISPLAY:-}" ] || { echo "needs an X display"; exit 77; }

scratch=$(mktemp -d)
demo=""
cleanup() {
  [ -n "$demo" ] && kill -9 "$demo" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

prefix="$scratch/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/quillmoor lib/quillmoor/quillmoor share/quillmoor/music.mp3 \
  bin/quillmoor-capture lib/quillmoor/music.mp3 share/man/man6/quillmoor.6.gz \
  share/man/man1/quillmoor-capture.1.gz share/doc/quillmoor/copyright \
  share/applications/quillmoor.desktop share/icons/hicolor/128x128/apps/quillmoor.png; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done
[ -x "$prefix/bin/quillmoor" ] || fail "the command is not executable"
grep -qx 'Exec=quillmoor' "$prefix/share/applications/quillmoor.desktop" || fail "Exec line"
grep -qx 'Icon=quillmoor' "$prefix/share/applications/quillmoor.desktop" || fail "Icon line"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/quillmoor.desktop" || fail "desktop entry"
fi

# Polls for a visible window by title (and size WxH when given); prints its
# id. A window that never comes fails the test at the deadline.
wait_window() {
  local title=$1 size=${2:-} seconds=${3:-30} id
  local deadline=$((SECONDS + seconds))
  while [ $SECONDS -lt $deadline ]; do
    for id in $(xdotool search --onlyvisible --name "$title" 2>/dev/null); do
      if [ -z "$size" ] || xdotool getwindowgeometry "$id" | grep -q "Geometry: $size\$"; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.1
  done
  return 1
}

# The window carries the desktop entry's icon as _NET_WM_ICON: 128 x 128
# pixels (ARGB words after the width and the height), transparent in the
# rounded tile's corner, opaque in its middle.
check_icon() {
  local id=$1 what=$2 words
  IFS=', ' read -r -a words <<<"$(xprop -id "$id" -notype -f _NET_WM_ICON 32c _NET_WM_ICON |
    sed -n 's/^_NET_WM_ICON = //p')"
  [ "${#words[@]}" -ge $((2 + 128 * 128)) ] || fail "$what: no icon (${words[*]:0:4})"
  [ "${words[0]} ${words[1]}" = "128 128" ] || fail "$what: icon of ${words[0]}x${words[1]}"
  [ $((words[2] >> 24)) -eq 0 ] || fail "$what: icon corner not transparent"
  [ $((words[2 + 64 * 128 + 64] >> 24)) -eq 255 ] || fail "$what: icon middle not opaque"
}

# Another working directory, with no music in it. The plain C locale keeps
# the render window's title readable for xdotool.
mkdir "$scratch/elsewhere"
cd "$scratch/elsewhere"
LC_ALL=C SDL_AUDIODRIVER=dummy "$prefix/bin/quillmoor" &
demo=$!

dialog=$(wait_window '^Display settings$' "" 20) || fail "no dialog"
check_icon "$dialog" "the dialog"
timeout 10 xdotool windowfocus --sync "$dialog"
timeout 10 xdotool key --delay 60 alt+f Return
film=$(wait_window '^Quillmoor$' 1024x768 30) || fail "no render window"
check_icon "$film" "the render window"
# The music opens right after the precomputation; a missing file would show
# its box within moments. The leader runs about 3.3 s before the film.
if wait_window '^Load error$' "" 6 >/dev/null; then fail "the music was not found"; fi
kill -0 "$demo" 2>/dev/null || fail "the demo ended early"
timeout 10 xdotool windowfocus --sync "$film"
# Escape held down until the demo has ended: its main loop reads the key's
# state, and a short press could fall between two passes on a busy machine.
timeout 10 xdotool keydown Escape
ended=0
timeout 30 tail --pid="$demo" -f /dev/null && ended=1
timeout 10 xdotool keyup Escape
[ "$ended" -eq 1 ] || fail "the demo did not end on Escape"
status=0
wait "$demo" || status=$?
demo=""
[ "$status" -eq 0 ] || fail "exit status $status"
echo "installed command: dialog, film, Escape: ok"
