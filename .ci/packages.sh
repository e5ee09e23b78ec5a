#!/usr/bin/env bash
# The packages users install: builds the Debian package, checks it with lintian (any error
# fails, warnings are shown), installs it, runs every program from PATH and reads its manual
# page and documents, removes the package and checks that nothing is left; then cross-builds
# the Windows programs, checks the zip and unpacks it into build-winpkg/programs for the tests
# under Wine. Needs root for dpkg, and dpkg-dev, file, lintian, man-db, mandoc and
# g++-mingw-w64-x86-64 (.ci/run installs them).
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
jobs=2

echo "== Debian package"
cmake -S . -B build-deb -DKT_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
cmake --build build-deb -j"$jobs"
rm -f build-deb/*.deb
(cd build-deb && cpack -G DEB)
deb=$(ls build-deb/*.deb)
name=$(dpkg-deb -f "$deb" Package)
version=$(dpkg-deb -f "$deb" Version)
doc=/usr/share/doc/$name
# Lintian's own exit status fails on errors; its info tags are not shown.
lintian --fail-on error "$deb"
if dpkg -s "$name" >/dev/null 2>&1; then
  echo "$name is installed already; not touching it" >&2
  exit 1
fi
dpkg -i "$deb"
programs=(KtuList KtbPack KtaPack)
[ -x build-deb/bin/KtuPack ] && programs+=(KtuPack)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
check_installed() {
  cd "$work"
  for p in "${programs[@]}"; do
    [ "$(command -v "$p")" = "/usr/bin/$p" ] || { echo "$p is not on PATH from the package" >&2; return 1; }
    man -w "$p" >/dev/null
  done
  cp "$src/samples/screen.bin" .
  KtbPack screen.bin >/dev/null
  KtaPack screen.bin >/dev/null
  KtuList -d screen.ktb >/dev/null
  cmp screen.bin screen.out
  KtuList -d -ebin2 screen.kta >/dev/null
  cmp screen.bin screen.bin2
  if [[ " ${programs[*]} " == *" KtuPack "* ]]; then
    KtuPack -V
    KtuPack -q -t35o4 screen.bin
    KtuList -u -ebin3 screen-t35o4.bin >/dev/null
    cmp screen.bin screen.bin3
  fi
  # Where Debian's policy puts them: the licence in copyright, both changelogs compressed.
  grep -q '^License: Zlib$' "$doc/copyright"
  zcat "$doc/changelog.gz" | grep -q '^# Changelog'
  zcat "$doc/changelog.Debian.gz" | head -1 | grep -qF "$name ($version)"
  test -f "$doc/README.md"
  echo "installed programs pack and depack: ${programs[*]}"
}
# Not as "(check_installed) || ...": that context switches -e off inside, so a failing check
# would go unnoticed.
set +e
(set -e; check_installed)
status=$?
set -e
dpkg -r "$name"
for p in "${programs[@]}"; do
  if [ -e "/usr/bin/$p" ]; then echo "/usr/bin/$p is left after removal" >&2; status=1; fi
done
if [ -e "$doc" ]; then echo "$doc is left after removal" >&2; status=1; fi
[ "$status" -eq 0 ] || exit "$status"

echo "== Windows zip"
cmake -S . -B build-winpkg -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DKT_TESTS=OFF \
  -DKT_WERROR=ON -DCMAKE_BUILD_TYPE=Release
cmake --build build-winpkg -j"$jobs"
rm -f build-winpkg/*.zip
(cd build-winpkg && cpack -G ZIP)
zip=$(ls build-winpkg/*.zip)
listing=$(cmake -E tar tf "$zip")
for want in "${programs[@]/%/.exe}" "${programs[@]/%/.html}" README.md LICENSE CHANGELOG.md; do
  grep -q "/$want\$" <<<"$listing" || { echo "$zip lacks $want" >&2; exit 1; }
done
echo "$zip: $(grep -c . <<<"$listing") entries"
rm -rf build-winpkg/unzip build-winpkg/programs
mkdir build-winpkg/unzip
(cd build-winpkg/unzip && cmake -E tar xf "../$(basename "$zip")")
mv build-winpkg/unzip/*/ build-winpkg/programs
rmdir build-winpkg/unzip
