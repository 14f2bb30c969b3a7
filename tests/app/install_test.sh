#!/usr/bin/env bash
# cmake --install puts the program, the Sun table, the places file, the desktop entry, the file
# type, the icons, the metainfo and the manual pages where a desktop finds them, and the installed
# programs find their data.
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$1
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$dest cmake --install "$build" --prefix /usr/local >/dev/null
share=$dest/usr/local/share
for f in bin/tarvella bin/tarvella-cli share/tarvella/18002099.sun \
         share/tarvella/places.dat \
         share/applications/tarvella.desktop share/mime/packages/tarvella.xml \
         share/icons/hicolor/scalable/apps/tarvella.svg \
         share/icons/hicolor/scalable/mimetypes/application-x-tarvella-data.svg \
         share/doc/tarvella/README.md share/metainfo/org.tarvella.Tarvella.metainfo.xml \
         share/man/man1/tarvella.1 share/man/man1/tarvella-cli.1; do
    [[ -s $dest/usr/local/$f ]] || fail "missing $f"
done
grep -qx "Exec=tarvella %F" "$share/applications/tarvella.desktop" || fail "desktop entry"
grep -qx "MimeType=application/x-tarvella-data;" "$share/applications/tarvella.desktop" ||
    fail "desktop entry file type"
if command -v update-mime-database >/dev/null; then
    update-mime-database "$share/mime" 2>/dev/null
    grep -qx "50:application/x-tarvella-data:\*.vkt" "$share/mime/globs2" || fail "*.vkt glob"
    grep -q "<comment>Tarvella Data</comment>" "$share/mime/application/x-tarvella-data.xml" ||
        fail "file type name"
fi
"$dest/usr/local/bin/tarvella-cli" report | grep -q "Prana-antardasas" ||
    fail "the installed tarvella-cli did not find its Sun table"
[[ $("$dest/usr/local/bin/tarvella-cli" places Poona) == Pune$'\t'Maharashtra$'\t'India$'\t'* ]] ||
    fail "the installed tarvella-cli did not find its places file"
echo "PASS: install"
