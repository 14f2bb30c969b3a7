#!/usr/bin/env bash
# test-deb.sh BUILD_DIR: the package of make deb as a user gets it. It holds what it must and
# names its dependencies; unpacked into a scratch root, its tarvella-cli gives the build's
# reports, periods, zones and places byte for byte, and its tarvella prints a chart into a PDF
# under Xvfb as the build's does.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath "$1")
version=$(dpkg-parsechangelog -S Version)
deb=$PWD/dist/tarvella_${version}_$(dpkg-architecture -qDEB_HOST_ARCH).deb
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# What the package installs, and what it asks of the system.
listing=$(dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|')
expect=(/usr/bin/tarvella /usr/bin/tarvella-cli
        /usr/share/tarvella/18002099.sun /usr/share/tarvella/places.dat
        /usr/share/applications/tarvella.desktop /usr/share/mime/packages/tarvella.xml
        /usr/share/metainfo/org.tarvella.Tarvella.metainfo.xml
        /usr/share/icons/hicolor/scalable/apps/tarvella.svg
        /usr/share/icons/hicolor/scalable/mimetypes/application-x-tarvella-data.svg
        /usr/share/man/man1/tarvella.1.gz /usr/share/man/man1/tarvella-cli.1.gz
        /usr/share/doc/tarvella/README.md /usr/share/doc/tarvella/copyright)
for size in 16 22 24 32 48 64 128 256; do
    expect+=("/usr/share/icons/hicolor/${size}x$size/apps/tarvella.png"
             "/usr/share/icons/hicolor/${size}x$size/mimetypes/application-x-tarvella-data.png")
done
for path in "${expect[@]}"; do
    grep -qx -- "$path" <<<"$listing" || fail "the package does not hold $path"
done
grep -q '^/usr/local\|^/home\|^/tmp' <<<"$listing" && fail "the package holds files outside /usr"
depends=$(dpkg-deb -f "$deb" Depends)
for pkg in tzdata libwxgtk3.2 libical3 libcairo2 libc6; do
    grep -q "\b$pkg" <<<"$depends" || fail "Depends lacks $pkg: $depends"
done
[[ $(dpkg-deb -f "$deb" Recommends) == "fonts-liberation2, xdg-utils" ]] ||
    fail "Recommends: $(dpkg-deb -f "$deb" Recommends)"

dpkg -x "$deb" "$scratch/root"
cli=$scratch/root/usr/bin/tarvella-cli
[[ -x $cli ]] || { echo "FAIL: no tarvella-cli in the package" >&2; exit 1; }
for size in 16 256; do
    identify -format '%wx%h' "$scratch/root/usr/share/icons/hicolor/${size}x$size/apps/tarvella.png" |
        grep -qx "${size}x$size" || fail "the ${size}x$size icon has another size"
done
page=$(man -l "$scratch/root/usr/share/man/man1/tarvella-cli.1.gz" 2>/dev/null | sed 's/.\x08//g')
grep -q "^EXIT STATUS" <<<"$page" || fail "the manual page of tarvella-cli does not render"

# The same command, through the build's program and the package's, must print the same bytes
# and end the same way.
same() {
    local want got want_status=0 got_status=0
    want=$("$build/bin/tarvella-cli" "$@" 2>&1 | sha256sum; exit "${PIPESTATUS[0]}") || want_status=$?
    got=$("$cli" "$@" 2>&1 | sha256sum; exit "${PIPESTATUS[0]}") || got_status=$?
    [[ $want == "$got" && $want_status == "$got_status" ]] ||
        fail "tarvella-cli $* differs from the build's (status $got_status, build $want_status)"
}
chart() {  # chart FILE BIRTH_YEAR MONTH DAY MD_YEARS MD_START PATH... LEVEL
    local file=$1 y=$2 m=$3 d=$4 years=$5 start=$6
    shift 6
    printf '%s\r\n' 4002 "$y" "$m" "$d" 17 50.000000 0 5 30.000000 -5.500000 1999 8 22 12 \
        10.000000 1 4 0.000000 4.000000 "$years" "$start" "$@" >"$file"
}
chart "$scratch/a.vkt" 1970 4 4 1 1999 4 5 9 1 3
chart "$scratch/b.vkt" 1852 11 30 12 1900 0 11 3 7 2
chart "$scratch/c.vkt" 2001 2 28 9 2090 11 11 0 0 5
chart "$scratch/d.vkt" 1985 7 15 7 1992 6 2 8 4 1
for file in a b c d; do
    for level in 1 2 3 4 5 6; do
        same report "$scratch/$file.vkt" --level "$level"
    done
    same report "$scratch/$file.vkt" --ayanamsa 3 --precise
    same periods "$scratch/$file.vkt" --depth 3
    same periods "$scratch/$file.vkt" --depth 2 --format json --birth-zone Asia/Kolkata
done
same report
same report --birth-place Poona --event-place "Springfield, Missouri"
same report --birth-place Springfield
same zones India
same sun
places=$("$cli" places Poona) || fail "tarvella-cli places Poona failed"
[[ $places == Pune$'\t'Maharashtra$'\t'India$'\t'* ]] || fail "places Poona: $places"

# The desktop program, with a scratch home, prints a chart into a PDF as the build's does.
export HOME=$scratch/home
unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_RUNTIME_DIR
mkdir -p "$HOME"
print_to() {  # print_to PROGRAM PDF
    timeout 60 xvfb-run -a -s "-screen 0 1280x1024x24" "$1" --messages-to-stderr --print-to "$2" \
        "$scratch/a.vkt" 2>>"$scratch/print.log"
}
if ! print_to "$scratch/root/usr/bin/tarvella" "$scratch/package.pdf"; then
    fail "the package's tarvella --print-to failed: $(cat "$scratch/print.log")"
elif ! print_to "$build/bin/tarvella" "$scratch/build.pdf"; then
    fail "the build's tarvella --print-to failed: $(cat "$scratch/print.log")"
else
    text=$(pdftotext -layout "$scratch/package.pdf" -)
    grep -q 'Sookshma-antardasas in "MD - 5th AD - 6th PD"' <<<"$text" || fail "the package's PDF holds no report"
    [[ $text == "$(pdftotext -layout "$scratch/build.pdf" -)" ]] ||
        fail "the package's PDF says other than the build's"
fi

if (( failures > 0 )); then
    echo "FAIL: make test-deb, $failures failures" >&2
    exit 1
fi
echo "PASS: make test-deb ($(du -k "$deb" | cut -f1) KiB package)"
