#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks its contents,
# that its dependencies name the shared libraries the demo links, and that
# Debian's own checkers (lintian, desktop-file-validate) find nothing to say.
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

root="$out/root"
dpkg-deb -x "$deb" "$root"
for f in usr/bin/quillmoor usr/lib/quillmoor/quillmoor usr/share/quillmoor/music.mp3 \
  usr/bin/quillmoor-capture usr/lib/quillmoor/quillmoor-capture usr/lib/quillmoor/music.mp3 \
  usr/share/applications/quillmoor.desktop usr/share/icons/hicolor/128x128/apps/quillmoor.png \
  usr/share/doc/quillmoor/copyright usr/share/doc/quillmoor/changelog.gz \
  usr/share/man/man6/quillmoor.6.gz usr/share/man/man1/quillmoor-capture.1.gz; do
  # -e follows the links: the capture command and its music must resolve.
  [ -e "$root/$f" ] || fail "missing from the package: $f"
done
[ "$(stat -c %A "$root/usr/bin/quillmoor")" = -rwxr-xr-x ] || fail "the command is not executable"
cmp -s "$root/usr/share/icons/hicolor/128x128/apps/quillmoor.png" \
  "$(dirname "$0")/../../resources/quillmoor.png" || fail "the icon is not resources/quillmoor.png"

# The licence in Debian's machine-readable form, and the changelog readable.
copyright="$root/usr/share/doc/quillmoor/copyright"
head -1 "$copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "copyright is not machine-readable"
grep -qx 'License: Expat' "$copyright" || fail "copyright names no Expat (MIT) licence"
zcat "$root/usr/share/doc/quillmoor/changelog.gz" | head -1 | grep -q '^quillmoor (' ||
  fail "changelog"

# Each manual page carries its program's --help text (roff escapes its
# hyphens), so the page follows the program.
check_page() {
  local page=$1 program=$2 first
  first=$("$program" --help | head -1 | sed 's/-/\\-/g')
  zcat "$page" | grep -qF -- "$first" || fail "$(basename "$page") lacks its --help text"
}
check_page "$root/usr/share/man/man6/quillmoor.6.gz" "$build/quillmoor"
check_page "$root/usr/share/man/man1/quillmoor-capture.1.gz" "$root/usr/bin/quillmoor-capture"

# Nothing from Debian's checkers: no lintian error or warning, not a word
# from desktop-file-validate.
validate=$(desktop-file-validate "$root/usr/share/applications/quillmoor.desktop" 2>&1) ||
  fail "desktop-file-validate: $validate"
[ -z "$validate" ] || fail "desktop-file-validate: $validate"
# lintian refuses to run as root unless told it may.
lint=$(lintian --allow-root --fail-on error,warning "$deb" 2>&1) || fail "lintian: $lint"
echo "package $(basename "$deb"): ok"
