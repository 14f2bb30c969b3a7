#!/usr/bin/env bash
# svg-to-ico.sh SVG ICO: a Windows icon of the sizes Explorer and the task bar use, drawn from the
# SVG by librsvg and put together by ImageMagick.
set -euo pipefail
svg=$1 ico=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for size in 16 24 32 48 64 256; do
  rsvg-convert -w "$size" -h "$size" -o "$work/$size.png" "$svg"
done
convert "$work"/{16,24,32,48,64,256}.png "$ico"
