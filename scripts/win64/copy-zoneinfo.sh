#!/usr/bin/env bash
# Copies the system's compiled IANA time zone database to $1 as the zone module reads it: the
# zone files, links resolved into files (Windows has none), and the tables of names and countries;
# without the posix/ and right/ duplicates.
set -euo pipefail
src=${TZDIR:-/usr/share/zoneinfo}
dest=$1
rm -rf "$dest.new"
mkdir -p "$dest.new"
(cd "$src" && find . -path ./posix -prune -o -path ./right -prune -o \( -type f -o -type l \) -print |
  grep -Ev '^\./(localtime|posixrules|leap-seconds\.list|leapseconds|tzdata\.zi|SECURITY)$' |
  while read -r f; do
    mkdir -p "$dest.new/$(dirname "$f")"
    cp -L "$f" "$dest.new/$f"
  done)
rm -rf "$dest"
mv "$dest.new" "$dest"
