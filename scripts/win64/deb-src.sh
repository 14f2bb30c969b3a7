#!/usr/bin/env bash
# Makes `apt-get source` work: the machine's own apt entries once more with the type deb-src, in a
# file of their own. No address is written here: each one is copied from the existing sources.
# What it adds is told on standard error, since the callers read standard output.
set -euo pipefail
dir=/etc/apt/sources.list.d
out=$dir/tarvella-deb-src.sources
[[ -f $out ]] && exit 0
# Already there: a deb-src entry in any deb822 or one-line source.
if grep -Eqs '^(Types:.*deb-src|deb-src )' "$dir"/*.sources "$dir"/*.list /etc/apt/sources.list; then
  exit 0
fi
sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
tmp=$(mktemp)
# deb822 stanzas whose Types hold "deb": the same stanza with Types: deb-src.
for f in "$dir"/*.sources; do
  [[ -f $f ]] || continue
  awk '
    function flush() { if (keep) printf "%s\n", block; block = ""; keep = 0 }
    /^[[:space:]]*$/ { flush(); next }
    /^#/ { next }
    /^Types:/ { if ($0 ~ /[[:space:]]deb([[:space:]]|$)/) keep = 1; $0 = "Types: deb-src" }
    { block = block $0 "\n" }
    END { flush() }' "$f" >>"$tmp"
done
# One-line sources: "deb URI ..." becomes "deb-src URI ...".
for f in /etc/apt/sources.list "$dir"/*.list; do
  [[ -f $f ]] || continue
  sed -n 's/^deb \(.*\)$/deb-src \1/p' "$f" >>"$tmp.list"
done 2>/dev/null || true
if [[ -s $tmp ]]; then
  "${sudo[@]}" install -m 644 "$tmp" "$out"
  echo "Added $out, the deb-src twins of the existing entries:" >&2
  cat "$out" >&2
fi
if [[ -s $tmp.list ]]; then
  "${sudo[@]}" install -m 644 "$tmp.list" "$dir/tarvella-deb-src.list"
  echo "Added $dir/tarvella-deb-src.list:" >&2
  cat "$dir/tarvella-deb-src.list" >&2
fi
rm -f "$tmp" "$tmp.list"
"${sudo[@]}" apt-get update -qq
