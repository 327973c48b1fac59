#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks its contents
# and that its dependencies name the shared libraries the demo links.
# Usage: deb-package-test.sh BUILD_DIR
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
debs=("$out"/quillmoor_*_*.deb)
[ -f "${debs[0]}" ] || fail "no package made"
deb=${debs[0]}

info=$(dpkg-deb -I "$deb")
echo "$info" | grep -qx ' Package: quillmoor' || fail "package name"
depends=$(echo "$info" | sed -n 's/^ Depends: //p')
# One package name per line, alternatives included, versions dropped.
names=$(echo "$depends" | tr ',|' '\n\n' | awk '{print $1}')
for lib in libsdl2-2.0-0 libfltk1.3 libmpg123-0 libpng16-16 libgl1 libglu1-mesa libx11-6 \
  libstdc++6 libc6; do
  echo "$names" | grep -qxF "$lib" || fail "Depends lacks $lib: $depends"
done

contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/quillmoor ./usr/lib/quillmoor/quillmoor ./usr/share/quillmoor/music.mp3 \
  ./usr/share/applications/quillmoor.desktop \
  ./usr/share/icons/hicolor/128x128/apps/quillmoor.png; do
  echo "$contents" | grep -q " $f\$" || fail "missing from the package: $f"
done
echo "$contents" | grep -E " \./usr/bin/quillmoor\$" | grep -q '^-rwxr-xr-x' ||
  fail "the command is not executable"
echo "package $(basename "$deb"): ok"
