#!/usr/bin/env bash
# The scripts check their arguments before any long work: scripts/test
# --help answers at once; scripts/deps lists its two sets (the run set inside
# the test set); scripts/film-fps refuses a logs folder it cannot make, a
# missing build, and a missing or silent X display with one line and status
# 1, before the film starts.
# Usage: script-arguments-test.sh BUILD_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

# run STATUS OUTPUT_PATTERN COMMAND...: the status, and standard output and
# error together hold the pattern; at most 20 s, so nothing long has started.
run() {
  local status=$1 pattern=$2 got
  shift 2
  timeout 20 "$@" >"$work/out" 2>&1
  got=$?
  [ "$got" -eq "$status" ] || fail "$*: status $got, wanted $status: $(head -3 "$work/out")"
  grep -qE -- "$pattern" "$work/out" || fail "$*: no '$pattern' in: $(head -3 "$work/out")"
  grep -q Traceback "$work/out" && fail "$*: a traceback"
}

run 0 '^Usage: scripts/test' "$scripts/test" --help
run 2 "unknown argument '--fast'" "$scripts/test" --fast
run 2 'Usage: scripts/deps' "$scripts/deps" everything
run 0 '^libsdl2-dev$' "$scripts/deps" --list run
run 0 '^libgtest-dev$' "$scripts/deps" --list test
extra=$(comm -23 <("$scripts/deps" --list run | sort) <("$scripts/deps" --list test | sort))
[ -z "$extra" ] || fail "run packages missing from the test set: $extra"
"$scripts/deps" --list run | grep -qxE 'libgtest-dev|libbenchmark-dev|xvfb|clang' &&
  fail "the run set holds test packages"

# An X display number nobody serves.
silent=900
while [ -e "/tmp/.X11-unix/X$silent" ]; do silent=$((silent + 1)); done
touch "$work/a-file"
fps="$scripts/film-fps"
run 1 '^film-fps: cannot make the logs folder' "$fps" --build "$build" --logs "$work/a-file/logs"
run 1 "^film-fps: no quillmoor in the build $work" "$fps" --build "$work" --logs "$work/logs"
run 1 '^film-fps: DISPLAY is not set' env -u DISPLAY "$fps" --build "$build" --logs "$work/logs"
run 1 "^film-fps: the X display :$silent does not answer" \
  env DISPLAY=":$silent" "$fps" --build "$build" --logs "$work/logs"
run 1 '^film-fps: --env takes NAME=VALUE' "$fps" --env NOVALUE
[ -d "$work/logs" ] || fail "film-fps did not make the logs folder"
[ "$failed" -eq 0 ] && echo "script arguments: ok"
exit "$failed"
