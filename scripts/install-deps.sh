#!/usr/bin/env bash
# Installs the Debian packages of scripts/debian-packages.txt (or of the list given) that are
# missing; asks apt-get for nothing when all are there.
set -euo pipefail
list=${1:-"$(dirname "$0")/debian-packages.txt"}
missing=()
while read -r pkg; do
  [[ -z "$pkg" || "$pkg" == \#* ]] && continue
  dpkg -s "$pkg" 2>/dev/null | grep -q '^Status: install ok installed' || missing+=("$pkg")
done < "$list"
[[ ${#missing[@]} -eq 0 ]] && exit 0
echo "Installing: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
