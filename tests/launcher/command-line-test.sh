#!/usr/bin/env bash
# The demo's command line without a display: --help and --version answer on
# standard output with status 0, a bad argument gets the usage on standard
# error with status 2; none of them opens a window or needs one.
# Usage: command-line-test.sh PATH_TO_QUILLMOOR VERSION
set -uo pipefail
demo=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

# args ; status ; a line standard output holds ; a line standard error holds
cases=(
  "--help;0;Usage: quillmoor [--help | --version];"
  "-h;0;  QUILLMOOR_RENDER_PATH=software|hardware;"
  "--version;0;quillmoor $version;"
  "--bogus;2;;quillmoor: unknown argument '--bogus'"
  "--help extra;2;;quillmoor: unknown argument 'extra'"
  "music.mp3;2;;Usage: quillmoor [--help | --version]"
)
for row in "${cases[@]}"; do
  IFS=';' read -r args status out_line err_line <<<"$row"
  # shellcheck disable=SC2086
  env -u DISPLAY -u WAYLAND_DISPLAY timeout 10 "$demo" $args >"$work/out" 2>"$work/err"
  got=$?
  [ "$got" -eq "$status" ] || fail "$args: status $got, wanted $status"
  if [ -n "$out_line" ]; then
    grep -qxF -- "$out_line" "$work/out" || fail "$args: standard output lacks '$out_line'"
  fi
  if [ -n "$err_line" ]; then
    grep -qxF -- "$err_line" "$work/err" || fail "$args: standard error lacks '$err_line'"
    [ -s "$work/out" ] && fail "$args: printed on standard output"
  elif [ -s "$work/err" ]; then
    fail "$args: wrote to standard error: $(head -3 "$work/err")"
  fi
done

# The usage names every variable the program reads.
help=$("$demo" --help)
for name in QUILLMOOR_RENDER_PATH QUILLMOOR_GL_CALLS QUILLMOOR_FULLSCREEN SDL_AUDIODRIVER \
  SDL_VIDEODRIVER DISPLAY WAYLAND_DISPLAY music.mp3; do
  grep -q "$name" <<<"$help" || fail "--help does not mention $name"
done
[ "$failed" -eq 0 ] && echo "command line: ok"
exit "$failed"
