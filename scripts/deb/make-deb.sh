#!/usr/bin/env bash
# make-deb.sh: dist/tarvella_<version>_<arch>.deb, built by dpkg-buildpackage from a copy of the
# source tree (it writes its results beside the tree it builds), then checked by lintian,
# appstreamcli and desktop-file-validate. DEB_BUILD_OPTIONS is "nocheck" unless given, since
# make test runs the tests.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
"$root/scripts/install-deps.sh" "$root/scripts/deb-packages.txt"

version=$(dpkg-parsechangelog -S Version)
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
work=$root/dist/deb-build
rm -rf "$work"
mkdir -p "$work/tarvella-$version"
# The files git knows and the new ones it would add, without the build trees.
git ls-files -z --cached --others --exclude-standard |
    xargs -0 cp --parents -t "$work/tarvella-$version"

cores=$(nproc)
(( cores > 2 )) && cores=2
export DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS-"nocheck parallel=$cores"}
# Without the tests, their build dependencies are not asked for either.
if [[ " $DEB_BUILD_OPTIONS " == *" nocheck "* ]]; then
    export DEB_BUILD_PROFILES="${DEB_BUILD_PROFILES:+$DEB_BUILD_PROFILES }nocheck"
fi
(cd "$work/tarvella-$version" && nice dpkg-buildpackage -b -us -uc)
changes=$work/tarvella_${version}_${arch}.changes
deb=tarvella_${version}_${arch}.deb
mv "$work/$deb" "$root/dist/"
echo "Built dist/$deb ($(du -k "$root/dist/$deb" | cut -f1) KiB)"

# Errors fail the build; the warnings that stay are explained in debian/tarvella.lintian-overrides.
lintian --info --display-info --fail-on error,warning "$root/dist/$deb"
appstreamcli validate --no-net "$root/data/tarvella.metainfo.xml"
desktop-file-validate "$root/data/tarvella.desktop"
rm -rf "$work"
