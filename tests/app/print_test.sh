#!/usr/bin/env bash
# Printing: the print switches of the command line and the print preview, with a fresh home, on
# the X display that xvfb-run gives.
#   print_test.sh TEST PROGRAM PIXEL_PROBE
set -euo pipefail
test=$1 program=$(realpath "$2") probe=$(realpath "$3")

source "$(dirname "$0")/lib.sh"
export TMPDIR=$home/tmp
mkdir -p "$data" "$TMPDIR"
# The preference text with printAllLevels and colorPrinting.
prefs_text() {
    printf '%s\r\n' 4003 "$1" "$2" 0.000000 1 0 0.000000 0.000000 0.000000
}

pages() { pdfinfo "$1" | awk '/^Pages:/ { print $2 }'; }
page_text() { pdftotext -layout -f "$2" -l "$2" "$1" -; }

# Pixels of page PAGE of a PDF (at 100 dpi) within its top HEIGHT pixels (all when 0) whose
# saturation is above 30%: anti-aliased black text has none.
coloured_pixels() {  # coloured_pixels PDF PAGE HEIGHT
    pdftoppm -r 100 -f "$2" -l "$2" "$1" "$home/render"
    local crop=()
    (( $3 > 0 )) && crop=(-crop "x$3+0+0")
    convert "$home"/render-*"$2".ppm "${crop[@]}" -colorspace HSB -channel G -separate +channel \
        -threshold 30% -format '%[fx:round(mean*w*h)]' info:
}

print_to() {  # print_to PDF DOCUMENT; exit code in $status
    status=0
    timeout 30 "$program" --print-to "$1" "$2" 2>>"$home/stderr" || status=$?
}

case $test in
pdf_all_levels_in_black)
    prefs_text 1 0 >"$data/pref.vkp"
    chart_text 1999 3 >"$home/chart.vkt"
    print_to "$home/out.pdf" "$home/chart.vkt"
    [[ $status == 0 ]] || fail "exit code $status: $(cat "$home/stderr")"
    [[ $(pages "$home/out.pdf") == 2 ]] || fail "$(pages "$home/out.pdf") pages"
    # Page 1: the heading (the title up to its first "."), ADs above and PDs below; page 2: the
    # SDs alone.
    one=$(page_text "$home/out.pdf" 1)
    two=$(page_text "$home/out.pdf" 2)
    grep -q "^chart  *Page 1/2$" <<<"$one" || fail "heading of page 1: $(head -3 <<<"$one")"
    grep -q "Page 2/2" <<<"$two" || fail "no page number on page 2"
    grep -q "Antardasas in MD" <<<"$one" || fail "no ADs on page 1"
    grep -q "Pratyantardasas in \"MD - 5th AD\"" <<<"$one" || fail "no PDs on page 1"
    grep -q "Sookshma-antardasas in \"MD - 5th AD - 6th PD\"" <<<"$two" || fail "no SDs on page 2"
    grep -qi "antardasas in" <<<"$(grep -v Sookshma <<<"$two")" && fail "more than the SDs on page 2"
    (( $(grep -c "^ *12th:" <<<"$one") == 2 )) || fail "page 1 does not hold two whole levels"
    grep -q "Birthdata:  *4 Apr 1970, 17:50" <<<"$two" || fail "no birth data line"
    for page in 1 2; do
        n=$(coloured_pixels "$home/out.pdf" "$page" 0)
        (( n == 0 )) || fail "$n coloured pixels on page $page printed in black"
    done
    # The pages are drawn on the view's level in turn; the run changes no data file.
    [[ $(line "$data/lastdata.vkt" 26) == 3 ]] || fail "level $(line "$data/lastdata.vkt" 26) saved"
    cmp -s "$home/chart.vkt" "$data/lastdata.vkt" || fail "the last-data file is not the document's"
    [[ $(prefs_text 1 0) == "$(cat "$data/pref.vkp")" ]] || fail "the preference file changed"
    ! grep -qs "file1=" "$home/.config/tarvella.conf" || fail "a print run entered the recent files"
    ;;
pdf_current_level_in_colour)
    prefs_text 0 1 >"$data/pref.vkp"
    chart_text 1999 3 >"$home/chart.vkt"
    print_to "$home/out.pdf" "$home/chart.vkt"
    [[ $status == 0 ]] || fail "exit code $status: $(cat "$home/stderr")"
    [[ $(pages "$home/out.pdf") == 1 ]] || fail "$(pages "$home/out.pdf") pages"
    one=$(page_text "$home/out.pdf" 1)
    grep -q "^chart  *Page 1/1$" <<<"$one" || fail "heading: $(head -3 <<<"$one")"
    grep -q "Sookshma-antardasas" <<<"$one" || fail "not the current level"
    grep -q "Antardasas in MD" <<<"$one" && fail "a higher level printed"
    n=$(coloured_pixels "$home/out.pdf" 1 0)
    (( n > 1000 )) || fail "only $n coloured pixels on a page printed in colour"
    # The heading stays black: the report's own first line begins 16 units down, 21 pixels at
    # 100 dpi on A4, below the strip tested.
    n=$(coloured_pixels "$home/out.pdf" 1 19)
    (( n == 0 )) || fail "$n coloured pixels in the heading"

    # The event report is one page whatever the options.
    prefs_text 1 1 >"$data/pref.vkp"
    chart_text 1999 6 >"$home/event.vkt"
    print_to "$home/event.pdf" "$home/event.vkt"
    [[ $status == 0 ]] || fail "exit code $status: $(cat "$home/stderr")"
    [[ $(pages "$home/event.pdf") == 1 ]] || fail "event report on $(pages "$home/event.pdf") pages"
    grep -q "Page 1/1" <<<"$(page_text "$home/event.pdf" 1)" || fail "event report heading"
    ;;
pdf_failures)
    chart_text 1999 1 >"$home/chart.vkt"
    print_to "$home/missing/out.pdf" "$home/chart.vkt"
    [[ $status == 1 ]] || fail "exit code $status for a PDF file that cannot be written"
    grep -q "Could not write the file \"$home/missing/out.pdf\"" "$home/stderr" ||
        fail "message: $(cat "$home/stderr")"
    print_to "$home/out.pdf" "$home/absent.vkt"
    [[ $status != 0 ]] || fail "exit code 0 for a document that cannot be opened"
    grep -qF "Could not open the file \"$home/absent.vkt\": there is no such file." "$home/stderr" ||
        fail "message: $(cat "$home/stderr")"
    [[ ! -e $home/out.pdf ]] || fail "a PDF file was written for a missing document"
    # A print run takes exactly one document and one destination.
    for args in "--print" "--print-to $home/out.pdf" "--print --print-to $home/out.pdf $home/chart.vkt" \
        "--print-to $home/out.pdf $home/chart.vkt $home/chart.vkt"; do
        status=0
        # shellcheck disable=SC2086
        timeout 30 "$program" $args 2>/dev/null || status=$?
        [[ $status != 0 ]] || fail "exit code 0 for: $args"
    done
    [[ ! -e $home/out.pdf ]] || fail "a PDF file was written for a wrong command line"
    # Without a data directory nothing is printed, and the exit code says so.
    mv "$home/.local" "$home/local" && touch "$home/.local"
    print_to "$home/out.pdf" "$home/chart.vkt"
    [[ $status == 1 ]] || fail "exit code $status without a data directory"
    grep -q "Cannot find windows directory" "$home/stderr" || fail "message: $(cat "$home/stderr")"
    rm "$home/.local" && mv "$home/local" "$home/.local"
    help=$("$program" --help 2>&1) || fail "--help: exit code $?"
    grep -q -- "--print " <<<"$help" && grep -q -- "--print-to" <<<"$help" ||
        fail "help: $help"
    ;;
print_command)
    # The default printer's path: the pages as a PDF file to the print command "lp".
    mkdir -p "$home/bin"
    cat >"$home/bin/lp" <<EOF
#!/bin/sh
printf '%s\n' "\$@" >"$home/lp-args"
for last; do :; done
cp "\$last" "$home/printed.pdf"
exit \${LP_STATUS:-0}
EOF
    chmod +x "$home/bin/lp"
    prefs_text 1 0 >"$data/pref.vkp"
    chart_text 1999 2 >"$home/chart.vkt"
    status=0
    PATH=$home/bin:$PATH timeout 30 "$program" --print "$home/chart.vkt" 2>>"$home/stderr" ||
        status=$?
    [[ $status == 0 ]] || fail "exit code $status: $(cat "$home/stderr")"
    [[ $(sed -n 3p "$home/lp-args") == chart.vkt ]] || fail "lp $(cat "$home/lp-args")"
    one=$(page_text "$home/printed.pdf" 1)
    grep -q "Page 1/1" <<<"$one" && grep -q "Pratyantardasas" <<<"$one" || fail "printed: $one"
    [[ -z $(ls "$TMPDIR") ]] || fail "left behind: $(ls "$TMPDIR")"
    # A print command that fails is a failed run.
    status=0
    LP_STATUS=1 PATH=$home/bin:$PATH timeout 30 "$program" --print "$home/chart.vkt" \
        2>>"$home/stderr" || status=$?
    [[ $status == 1 ]] || fail "exit code $status after lp failed"
    grep -q "Could not print" "$home/stderr" || fail "message: $(cat "$home/stderr")"
    [[ -z $(ls "$TMPDIR") ]] || fail "left behind: $(ls "$TMPDIR")"
    ;;
preview)
    prefs_text 1 0 >"$data/pref.vkp"
    chart_text 1999 3 >"$data/lastdata.vkt"
    "$program" --messages-to-stderr --no-splash 2>>"$home/stderr" &
    pids+=($!)
    main=
    wait_until 15 'main=$(xdotool search --onlyvisible --name "^Tarvella - VKT1$" | head -1); [[ -n $main ]]' ||
        fail "no main window"
    preview_with() {  # preview_with KEYS...: opens the preview and answers the settings dialog
        xdotool windowfocus --sync "$main"
        xdotool key --delay 300 alt+f v
        local box=
        wait_until 10 'box=$(xdotool search --onlyvisible --name "^Settings for printing$" | head -1); [[ -n $box ]]' ||
            fail "no settings dialog"
        xdotool windowfocus --sync "$box"
        xdotool key --delay 200 "$@"
        wait_until 10 'preview=$(xdotool search --onlyvisible --name "^Print Preview$" | head -1); [[ -n $preview ]]' ||
            fail "no preview window"
    }
    # OK stores the options: Tab reaches "Use color printing" after OK.
    preview_with Tab space Return
    wait_until 5 '[[ $(line "$data/pref.vkp" 3) == 1 ]]' ||
        fail "colour not saved: $(line "$data/pref.vkp" 3)"
    # The next page is drawn without asking again: the "Last page" button of the preview's bar.
    xdotool windowfocus --sync "$preview"
    sleep 1
    import -window "$preview" -depth 8 "ppm:$home/page1.ppm"
    eval "$(xdotool getwindowgeometry --shell "$preview")"
    xdotool mousemove $(( X + 339 )) $(( Y + 22 )) click 1
    sleep 1.5
    import -window "$preview" -depth 8 "ppm:$home/page2.ppm"
    ! cmp -s "$home/page1.ppm" "$home/page2.ppm" || fail "the preview did not go to page 2"
    [[ -z $(xdotool search --onlyvisible --name "^Settings for printing$") ]] ||
        fail "the settings dialog came again for a page"
    xdotool key Escape
    wait_until 10 '[[ -z $(xdotool search --onlyvisible --name "^Print Preview$") ]]' ||
        fail "preview not closed"
    # Cancel keeps the options, and the preview opens all the same.
    before=$(md5sum <"$data/pref.vkp")
    preview_with Tab space Escape
    [[ $(md5sum <"$data/pref.vkp") == "$before" ]] || fail "Cancel changed the preference file"
    xdotool windowfocus --sync "$preview"
    xdotool key Escape
    wait_until 10 '[[ -z $(xdotool search --onlyvisible --name "^Print Preview$") ]]' ||
        fail "preview not closed"

    # The report is back on the screen at its own level: a click on its first row goes down
    # from level 3 to level 4.
    xdotool windowfocus --sync "$main"
    origin_x= origin_y=
    for _ in $(seq 1 50); do
        import -window root -depth 8 "ppm:$shot"
        read -r count _ _ _ _ < <("$probe" "$shot" $caption)
        if (( count > 50 )); then
            read -r _ origin_x origin_y _ _ < <("$probe" "$shot" 255 255 240)
            break
        fi
        sleep 0.15
    done
    [[ -n $origin_x ]] || fail "no report on the screen after the preview"
    xdotool mousemove $(( origin_x + 100 )) $(( origin_y + 95 )) click 1
    wait_until 5 '[[ $(line "$data/lastdata.vkt" 26) == 4 ]]' ||
        fail "level $(line "$data/lastdata.vkt" 26) after a click"
    ;;
*)
    fail "no test $test"
    ;;
esac
echo "PASS: $test"
