#!/usr/bin/env bash
# make windows: the Windows programs cross-built with mingw-w64, and dist/tarvella-<version>-win64.zip.
# Third-party libraries come from ~/.cache/tarvella-win64 (built there once, see build-deps.sh);
# the Sun table and the places file from the native build's generators, as the files are the same
# on every platform.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
cd "$top"
build=${BUILD_WIN64:-build-win64}
native=${BUILD:-build}
scripts/install-deps.sh scripts/win64/debian-packages.txt
cmake --build "$native" --target sun_table places_file >/dev/null

prefixes=$(scripts/win64/build-deps.sh | tail -1)
wx=${prefixes%%;*}
# Configured every time, which takes seconds, so that a configuration that failed half way does
# not stay; afresh when a library moved to a new prefix, as the cache would keep the old one's
# findings.
mkdir -p "$build"
if [[ $(cat "$build/prefixes" 2>/dev/null) != "$prefixes" ]]; then
  rm -f "$build/CMakeCache.txt"
fi
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DTARVELLA_BENCH=OFF "-DTARVELLA_WIN64_PREFIXES=$prefixes" \
  -DwxWidgets_CONFIG_EXECUTABLE="$wx/bin/wx-config" \
  -DTARVELLA_HOST_SUN_FILE="$top/$native/share/tarvella/18002099.sun" \
  -DTARVELLA_HOST_PLACES_FILE="$top/$native/share/tarvella/places.dat" >"$build/configure.log" 2>&1 ||
  { cat "$build/configure.log"; exit 1; }
echo "$prefixes" >"$build/prefixes"
cmake --build "$build" -j "$(nproc)"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=tarvella-$version-win64
stage=dist/$name
rm -rf "$stage" "dist/$name.zip"
mkdir -p "$stage/bin" "$stage/share/tarvella" "$stage/share/doc/tarvella"
cp "$build/bin/tarvella.exe" "$build/bin/tarvella-cli.exe" "$stage/bin/"
x86_64-w64-mingw32-strip "$stage/bin/"*.exe
cp "$build/share/tarvella/18002099.sun" "$build/share/tarvella/places.dat" "$stage/share/tarvella/"
cp -r "$build/share/zoneinfo" "$stage/share/"
# Help Topics opens the README beside the program's data, as on Linux.
cp README.md "$stage/share/doc/tarvella/"
# Windows tools show LF-only text on one line, and cmd wants CR LF.
for f in register-vkt.cmd unregister-vkt.cmd; do sed 's/$/\r/' "data/windows/$f" >"$stage/$f"; done
sed 's/$/\r/' README.md >"$stage/README.txt"
sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"
(cd dist && zip -qr -X "$name.zip" "$name")
echo "dist/$name.zip: $(du -h "dist/$name.zip" | cut -f1)"

# The installer, of the same folder without the register scripts: it registers the file type
# itself. What it installs is listed file by file, and the uninstaller removes that list, each
# folder after what it held, so that nothing else in them goes.
lists=$build/installer
rm -rf "$lists"
mkdir -p "$lists"
(cd "$stage" && find . -mindepth 1 -type f ! -name '*-vkt.cmd' | LC_ALL=C sort) >"$lists/files"
# A path as NSIS reads it below $INSTDIR: backslashes, and "$" doubled.
win='function win(p) { sub(/^\.\/?/, "", p); gsub(/\//, "\\", p); gsub(/\$/, "$$", p); return p }'
awk -v stage="$top/$stage" "$win"'
  { dir = $0; sub(/\/[^\/]*$/, "", dir)
    if (dir != last) printf "SetOutPath \"$INSTDIR%s\"\n", dir == "." ? "" : "\\" win(dir)
    last = dir
    printf "File \"%s/%s\"\n", stage, substr($0, 3) }' "$lists/files" >"$lists/files.nsh"
{
  awk "$win"' { printf "Delete \"$INSTDIR\\%s\"\n", win($0) }' "$lists/files"
  (cd "$stage" && find . -mindepth 1 -type d | LC_ALL=C sort -r) |
    awk "$win"' { printf "RMDir \"$INSTDIR\\%s\"\n", win($0) }'
} >"$lists/unfiles.nsh"
setup=dist/$name-setup.exe
makensis -V2 -NOCD "-DVERSION=$version" "-DSTAGE=$top/$stage" "-DOUTFILE=$top/$setup" \
  "-DFILES=$top/$lists/files.nsh" "-DUNFILES=$top/$lists/unfiles.nsh" \
  "-DSIZE_KB=$(du -sk "$stage" | cut -f1)" "-DICON=$top/$build/src/app/tarvella.ico" \
  data/windows/tarvella.nsi >"$lists/makensis.log" 2>&1 || { cat "$lists/makensis.log"; exit 1; }
echo "$setup: $(du -h "$setup" | cut -f1)"
