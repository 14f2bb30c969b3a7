#!/usr/bin/env bash
# Cross-builds the third-party libraries for 64-bit Windows from Debian's own source packages:
# wxWidgets 3.2 (msw port, static, base+core+net only, with zlib and libpng for its PNG handler),
# cctz, GoogleTest, libical and nlohmann-json. Each lands in
# $CACHE/<package>-<version>-<compiler version>, so a later run with the same packages builds
# nothing; wxWidgets' name holds the versions of zlib and libpng too, which live in its prefix.
# Prints the cache directory's root on its last line.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
CACHE=${TARVELLA_WIN64_CACHE:-$HOME/.cache/tarvella-win64}
host=x86_64-w64-mingw32
# The posix thread model: std::thread and std::mutex, which the win32 model of Debian's g++ lacks.
export CC=$host-gcc-posix CXX=$host-g++-posix
jobs=$(nproc)
# The other builds on the machine go first.
nice=(nice -n 19)
log() { echo "win64 deps: $*" >&2; }

gcc_version=$($CXX -dumpfullversion)
# The source package's versions that apt knows, newest first.
src_versions() {
  apt-cache showsrc "$1" 2>/dev/null | sed -n 's/^Version: //p' | sort -Vru
}
src_version() {
  local v
  v=$(src_versions "$1" | head -1)
  [[ -n $v ]] || { echo "no source package $1 (apt-cache showsrc)" >&2; exit 1; }
  # An epoch's colon would split the prefix in PKG_CONFIG_LIBDIR.
  echo "${v#*:}"
}

# Unpacks package $1 into $2 (fresh).
fetch() {
  local pkg=$1 dest=$2 work
  work=$(mktemp -d "$CACHE/fetch-$pkg.XXXXXX")
  # The newest version first; one the archive lacks (a security update whose files the mirror does
  # not carry) gives way to the newest older one it has whole, with Debian's patches.
  local v got=
  for v in $(src_versions "$pkg"); do
    if (cd "$work" && apt-get source -qq "$pkg=$v" >/dev/null 2>&1); then
      got=$v
      break
    fi
  done
  if [[ -n $got && $got != "$(src_versions "$pkg" | head -1)" ]]; then
    log "$pkg: the archive lacks the newest source, built from $got"
  fi
  fetched=$pkg=${got:-upstream}
  if [[ -z $got ]]; then
    # The archive may lack the Debian part of a source package (seen here: libical3's
    # debian.tar.xz); the upstream tarball, which apt checked against the archive's index, is then
    # built as it is, without Debian's patches.
    local orig
    orig=$(find "$work" -maxdepth 1 -name '*.orig.tar.*' | head -1)
    [[ -n $orig ]] || { echo "apt-get source $pkg failed" >&2; exit 1; }
    log "$pkg: the archive gives only its upstream tarball $(basename "$orig"), built without Debian's patches"
    (cd "$work" && tar xf "$orig" && rm -f ./*.orig.tar.* ./*.dsc)
  fi
  rm -rf "$dest"
  mkdir -p "$(dirname "$dest")"
  mv "$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -1)" "$dest"
  rm -rf "$work"
}

mkdir -p "$CACHE"
# The source versions, which key the cache, are known only once apt has deb-src entries.
"$here/deb-src.sh"

# zlib and libpng, static, into the prefix $1 that wxWidgets is then built into: its wx-config
# then links them from there. $1/sources names the source versions built, which the prefix's name,
# the newest that apt lists, may not be.
build_png() {
  local prefix=$1 src
  src=$CACHE/build/zlib
  fetch zlib "$src"
  mkdir -p "$prefix"
  echo "$fetched" >"$prefix/sources"
  # zlib's own configure takes the target from CHOST, and builds only the static library.
  (cd "$src" && CHOST=$host AR=$host-ar RANLIB=$host-ranlib "${nice[@]}" ./configure --static \
      --prefix="$prefix" >"$src/configure.log" 2>&1 &&
    "${nice[@]}" make -j"$jobs" libz.a >"$src/build.log" 2>&1 &&
    make install >>"$src/build.log" 2>&1) ||
    { tail -n 30 "$src/configure.log" "$src/build.log" 2>/dev/null; exit 1; }
  src=$CACHE/build/libpng1.6
  fetch libpng1.6 "$src"
  echo "$fetched" >>"$prefix/sources"
  mkdir -p "$src/build-msw"
  (cd "$src/build-msw" && "${nice[@]}" ../configure --host=$host --build=x86_64-linux-gnu \
      --prefix="$prefix" --disable-shared --enable-static \
      CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib" >"$src/configure.log" 2>&1 &&
    "${nice[@]}" make -j"$jobs" >"$src/build.log" 2>&1 && make install >>"$src/build.log" 2>&1) ||
    { tail -n 30 "$src/configure.log" "$src/build.log" 2>/dev/null; exit 1; }
}

build_wx() {
  local version prefix src
  version=$(src_version wxwidgets3.2)
  # A new zlib or libpng, or a cache made before wxWidgets had them, builds it all anew.
  prefix=$CACHE/wxwidgets3.2-$version-zlib$(src_version zlib)-png$(src_version libpng1.6)-gcc$gcc_version
  [[ -f $prefix/.done ]] && { echo "$prefix"; return; }
  log "building zlib, libpng and wxWidgets $version (a long while, at low priority)"
  rm -rf "$prefix"
  build_png "$prefix"
  src=$CACHE/build/wxwidgets3.2
  fetch wxwidgets3.2 "$src"
  echo "$fetched" >>"$prefix/sources"
  mkdir -p "$src/build-msw"
  # Debian's source has zlib, libpng, libjpeg, libtiff and expat taken out; zlib and libpng come
  # from their own source packages (wxImage writes PNG), the others Tarvella does not need, so they
  # are configured away, and with them the XML and XRC libraries and the SVG file DC.
  (cd "$src/build-msw" && "${nice[@]}" ../configure --host=$host --build=x86_64-linux-gnu \
      --prefix="$prefix" --with-msw --disable-shared --enable-unicode \
      --with-libpng=sys --with-zlib=sys CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib" \
      --without-libjpeg --without-libtiff --without-expat \
      --without-liblzma --without-libcurl --without-opengl --with-regex=builtin \
      --disable-xrc --disable-html --disable-aui --disable-richtext --disable-stc \
      --disable-ribbon --disable-propgrid --disable-webview --disable-mediactrl \
      --disable-svg --disable-sound --disable-joystick --disable-tests >"$src/configure.log" 2>&1) ||
    { tail -30 "$src/configure.log"; exit 1; }
  "${nice[@]}" make -C "$src/build-msw" -j"$jobs" >"$src/build.log" 2>&1 ||
    { tail -40 "$src/build.log"; exit 1; }
  make -C "$src/build-msw" install >>"$src/build.log" 2>&1
  touch "$prefix/.done"
  echo "$prefix"
}

# Debian's cctz source package cannot be fetched from the archive here; abseil's source package
# carries the same library (namespace absl::time_internal::cctz), so it is built from there, with
# headers under the names src/zone/ includes that alias the namespace.
build_cctz() {
  local version prefix src obj f
  version=$(src_version abseil)
  prefix=$CACHE/cctz-abseil-$version-gcc$gcc_version
  [[ -f $prefix/.done ]] && { echo "$prefix"; return; }
  log "building cctz from abseil $version"
  src=$CACHE/build/abseil
  fetch abseil "$src"
  f=$src/absl/time/internal/cctz/src/time_zone_info.cc
  # A zone path with a drive letter is absolute on Windows; cctz knows only a leading '/'.
  grep -q "name\[pos\] != '/') {" "$f" || { echo "cctz: the path test to patch is gone" >&2; exit 1; }
  sed -i "s|name\[pos\] != '/') {|(name[pos] != '/' \&\& !(name.size() > pos + 1 \&\& name[pos + 1] == ':'))) {|" "$f"
  rm -rf "$prefix"
  mkdir -p "$prefix/lib" "$prefix/include/cctz" "$prefix/include/absl/time/internal/cctz"
  obj=$(mktemp -d "$CACHE/build/cctz-obj.XXXXXX")
  for f in civil_time_detail time_zone_fixed time_zone_format time_zone_if time_zone_impl \
           time_zone_info time_zone_libc time_zone_lookup time_zone_posix zone_info_source; do
    "${nice[@]}" $CXX -std=c++17 -O2 -I"$src" -c "$src/absl/time/internal/cctz/src/$f.cc" \
      -o "$obj/$f.o"
  done
  $host-ar rcs "$prefix/lib/libcctz.a" "$obj"/*.o
  rm -rf "$obj"
  cp -r "$src/absl/base" "$prefix/include/absl/"
  cp -r "$src/absl/time/internal/cctz/include" "$prefix/include/absl/time/internal/cctz/"
  for f in civil_time time_zone; do
    printf '#pragma once\n#include "absl/time/internal/cctz/include/cctz/%s.h"\nnamespace cctz = absl::time_internal::cctz;\n' \
      "$f" >"$prefix/include/cctz/$f.h"
  done
  touch "$prefix/.done"
  echo "$prefix"
}

# CMake projects of Debian's source packages, cross-built into the cache: cmake_package PACKAGE
# SOURCE-PACKAGE CMAKE-OPTIONS...
cmake_package() {
  local name=$1 package=$2 version prefix src
  shift 2
  version=$(src_version "$package")
  prefix=$CACHE/$package-$version-gcc$gcc_version
  [[ -f $prefix/.done ]] && { echo "$prefix"; return; }
  log "building $name $version"
  src=$CACHE/build/$package
  fetch "$package" "$src"
  rm -rf "$src/build-msw"
  "${nice[@]}" cmake -S "$src" -B "$src/build-msw" -DCMAKE_TOOLCHAIN_FILE="$here/../../cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >"$src/configure.log" 2>&1 ||
    { tail -30 "$src/configure.log"; exit 1; }
  "${nice[@]}" cmake --build "$src/build-msw" -j"$jobs" >"$src/build.log" 2>&1 ||
    { tail -40 "$src/build.log"; exit 1; }
  cmake --install "$src/build-msw" >>"$src/build.log" 2>&1
  touch "$prefix/.done"
  echo "$prefix"
}

# iCalendar: the static libical alone, without its GLib and C++ layers, ICU or Berkeley DB, which
# writing calendars does not need.
build_libical() {
  cmake_package libical libical3 -DSTATIC_ONLY=True -DICAL_GLIB=False -DICAL_BUILD_DOCS=False \
    -DLIBICAL_BUILD_TESTING=False -DWITH_CXX_BINDINGS=False -DGOBJECT_INTROSPECTION=False \
    -DENABLE_GTK_DOC=False -DCMAKE_DISABLE_FIND_PACKAGE_ICU=True -DCMAKE_DISABLE_FIND_PACKAGE_BDB=True
}

build_gtest() {
  cmake_package GoogleTest googletest -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=ON
}

# JSON: headers only, installed with their CMake package.
build_json() {
  cmake_package nlohmann-json nlohmann-json3 -DJSON_BuildTests=OFF -DJSON_Install=ON
}

# With no argument: all of them, their prefixes separated by ';' on the last line, wxWidgets first.
if [[ $# -eq 0 ]]; then
  wx=$(build_wx); cctz=$(build_cctz); gtest=$(build_gtest); ical=$(build_libical); json=$(build_json)
  echo "$wx;$cctz;$gtest;$ical;$json"
else
  "$@"
fi
