#!/usr/bin/env bash
# scripts/sound-check finds a playback device or a PulseAudio server (a real
# one, on a private socket) and reports their absence; scripts/run, without
# either, says so before the dialog and plays the film silently instead of
# stopping at the missing device's error box.
# Usage: sound-check-test.sh BUILD_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
check="$source_dir/scripts/sound-check"
work=$(mktemp -d)
server=""
demo=""
cleanup() {
  [ -n "$demo" ] && kill -9 "$demo" 2>/dev/null
  [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}
mkdir -p "$work/run" "$work/snd-none" "$work/snd-capture" "$work/snd-playback"
chmod 700 "$work/run"
touch "$work/snd-capture/pcmC0D0c" "$work/snd-playback/pcmC0D0p" "$work/snd-playback/controlC0"

# expect STATUS DEVICE_DIR [NAME=VALUE...]: sound-check's status with only
# these devices and variables.
expect() {
  local status=$1 devices=$2 got
  shift 2
  env -u PULSE_SERVER -u PIPEWIRE_RUNTIME_DIR -u PIPEWIRE_REMOTE XDG_RUNTIME_DIR="$work/run" \
    SOUND_DEVICE_DIR="$work/$devices" "$@" "$check" 2>"$work/err"
  got=$?
  [ "$got" -eq "$status" ] || fail "devices $devices $*: status $got, wanted $status"
  if [ "$status" -eq 1 ]; then
    grep -q "^No sound device" "$work/err" || fail "devices $devices $*: no explanation"
  fi
}
expect 1 snd-none
expect 1 snd-capture
expect 0 snd-playback
expect 0 snd-none PULSE_SERVER=tcp:soundhost:4713
expect 1 snd-none PULSE_SERVER="unix:$work/run/nothing-here"

# A real PulseAudio server with a null sink on the session's socket.
if command -v pulseaudio >/dev/null; then
  mkdir -p "$work/run/pulse"
  XDG_RUNTIME_DIR="$work/run" HOME="$work" pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --use-pid-file=no -L "module-null-sink" \
    -L "module-native-protocol-unix socket=$work/run/pulse/native auth-anonymous=1" \
    >"$work/pulse.log" 2>&1 &
  server=$!
  deadline=$((SECONDS + 20))
  while [ ! -S "$work/run/pulse/native" ] && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
  [ -S "$work/run/pulse/native" ] || fail "PulseAudio did not start: $(tail -3 "$work/pulse.log")"
  expect 0 snd-none
  expect 0 snd-none PULSE_SERVER="unix:$work/run/pulse/native"
  kill "$server" && wait "$server" 2>/dev/null
  server=""
else
  fail "pulseaudio is missing: scripts/deps installs it"
fi

# scripts/run on a machine without sound: the notice, then the dialog; the
# film starts without an error box and ends on Escape with status 0.
if [ -n "${DISPLAY:-}" ]; then
  wait_window() {
    local title=$1 size=${2:-} seconds=$3 id deadline=$((SECONDS + $3))
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
  env -u SDL_AUDIODRIVER -u PULSE_SERVER LC_ALL=C XDG_RUNTIME_DIR="$work/run" \
    SOUND_DEVICE_DIR="$work/snd-none" "$source_dir/scripts/run" "$build" >"$work/run.out" \
    2>"$work/run.err" &
  demo=$!
  if dialog=$(wait_window '^Display settings$' "" 60); then
    grep -q "^scripts/run: no sound device found" "$work/run.err" ||
      fail "scripts/run did not say there is no sound device: $(cat "$work/run.err")"
    timeout 10 xdotool windowfocus --sync "$dialog"
    timeout 10 xdotool key --delay 60 alt+f Return
    if film=$(wait_window '^Quillmoor$' 1024x768 30); then
      # A missing device shows its box (titled like the film's window) right
      # after the precomputation, within moments of the window.
      deadline=$((SECONDS + 6))
      while [ $SECONDS -lt $deadline ]; do
        if [ "$(xdotool search --onlyvisible --name '^Quillmoor$' | wc -l)" -gt 1 ]; then
          fail "an error box: $(grep -v '^ALSA' "$work/run.err" | tail -3)"
          break
        fi
        sleep 0.2
      done
      timeout 10 xdotool windowfocus --sync "$film"
      timeout 10 xdotool keydown Escape
      timeout 30 tail --pid="$demo" -f /dev/null
      timeout 10 xdotool keyup Escape
      status=0
      wait "$demo" || status=$?
      demo=""
      [ "$status" -eq 0 ] || fail "scripts/run ended with $status: $(tail -5 "$work/run.err")"
    else
      fail "no render window: $(tail -5 "$work/run.err")"
    fi
  else
    fail "scripts/run showed no dialog: $(tail -5 "$work/run.err")"
  fi
fi
[ "$failed" -eq 0 ] && echo "sound check: ok"
exit "$failed"
