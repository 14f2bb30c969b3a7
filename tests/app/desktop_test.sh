#!/usr/bin/env bash
# The window as a desktop user expects it: where it was left, and the keys of the desktop.
#   desktop_test.sh TEST PROGRAM PIXEL_PROBE
set -euo pipefail
test=$1 program=$(realpath "$2") probe=$(realpath "$3")

source "$(dirname "$0")/lib.sh"

# The main window's position and size: "X Y W H".
geometry() {
    xdotool getwindowgeometry --shell "$main" |
        awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x, y, w, h}'
}

# Any report, the event report too: the ivory page with text in red on it.
wait_for_report_page() {
    for _ in $(seq 1 100); do
        import -window root -depth 8 "ppm:$shot"
        read -r count origin_x origin_y _ _ < <("$probe" "$shot" 255 255 240)
        if (( count > 100000 )); then
            main=$(xdotool search --onlyvisible --name "^Tarvella - " | head -1)
            return 0
        fi
        sleep 0.15
    done
    fail "no report on the screen"
}

quit_with_ctrl_q() {
    local pid=${pids[-1]}
    xdotool windowfocus --sync "$main"
    xdotool key ctrl+q
    wait_until 10 '! kill -0 $pid 2>/dev/null' || fail "Ctrl+Q did not quit"
    pids=()
}

# An unchanged document closes and quits without a question.
chart_text 1999 2 >"$home/kept.vkt"

case $test in
window_comes_back)
    start --no-splash "$home/kept.vkt"
    wait_for_report
    xdotool windowmove --sync "$main" 300 200
    xdotool windowsize --sync "$main" 700 520
    sleep 0.3
    read -r x y w h < <(geometry)
    (( w == 700 && h == 520 )) || fail "resized to $w x $h"
    quit_with_ctrl_q
    start --no-splash "$home/kept.vkt"
    wait_for_report
    read -r x2 y2 w2 h2 < <(geometry)
    [[ "$x2 $y2 $w2 $h2" == "$x $y $w $h" ]] || fail "came back at $x2 $y2 $w2 $h2, left at $x $y $w $h"
    quit_with_ctrl_q
    # Left on a screen that is gone: it comes back whole on this one.
    sed -i -e 's/^x=.*/x=5000/' -e 's/^y=.*/y=-3000/' -e 's/^w=.*/w=3000/' "$home/.config/tarvella.conf"
    start --no-splash "$home/kept.vkt"
    wait_for_report
    read -r x y w h < <(geometry)
    (( x >= 0 && y >= 0 && x + w <= 1280 && y + h <= 1024 )) || fail "off the screen: $x $y $w $h"
    ;;
ctrl_w_closes_the_document)
    start --no-splash "$home/kept.vkt"
    wait_for_report
    [[ "$(xdotool getwindowname "$main")" == "Tarvella - kept.vkt" ]] || fail "not the document"
    xdotool windowfocus --sync "$main"
    xdotool key ctrl+w
    wait_until 5 '[[ "$(xdotool getwindowname "$main")" == Tarvella ]]' || fail "not closed"
    quit_with_ctrl_q
    ;;
keyboard_walks_as_clicks_do)
    # The same walk twice, once by keys and once by clicks: the last chart must be the same.
    mkdir -p "$data"
    chart_text 1999 1 >"$data/lastdata.vkt"
    start --no-splash
    wait_for_report
    xdotool windowfocus --sync "$main"
    level_is() { wait_until 5 "[[ \"\$(line \"$data/lastdata.vkt\" 26)\" == $1 ]]" || fail "level $(line "$data/lastdata.vkt" 26), not $1"; }
    xdotool key --delay 150 Down Down Down Return
    level_is 2
    xdotool key --delay 150 Down Down Return
    level_is 3
    xdotool key BackSpace
    level_is 2
    xdotool key --delay 150 Up Return  # from no highlight, Up goes to the link
    level_is 1
    xdotool key --delay 150 Down Return
    level_is 2
    xdotool key Home
    level_is 1
    cp "$data/lastdata.vkt" "$home/by-keys.vkt"
    stop_all

    chart_text 1999 1 >"$data/lastdata.vkt"
    start --no-splash
    wait_for_report
    # The middle of the column, where the link's click area is too; apart in time, so that two
    # clicks on one place are not a double click.
    row() {
        sleep 0.6
        xdotool mousemove $(( origin_x + 254 )) $(( origin_y + 99 + 24 * $1 )) click 1
    }
    row 2
    level_is 2
    row 1
    level_is 3
    row 13
    level_is 2
    row 13
    level_is 1
    row 0
    level_is 2
    row 13
    level_is 1
    cmp "$data/lastdata.vkt" "$home/by-keys.vkt" || fail "the keys led elsewhere than the clicks"
    stop_all

    # The event report: Right moves over the path's columns, Return opens one.
    chart_text 1999 6 >"$data/lastdata.vkt"
    start --no-splash
    wait_for_report_page
    xdotool windowfocus --sync "$main"
    xdotool key --delay 150 Right Right Return
    level_is 2
    cp "$data/lastdata.vkt" "$home/by-keys.vkt"
    stop_all
    chart_text 1999 6 >"$data/lastdata.vkt"
    start --no-splash
    wait_for_report_page
    # The AD's column of the path, as the click areas place it.
    xdotool mousemove $(( origin_x + 50 + 80 + 40 )) $(( origin_y + 310 ))
    sleep 0.3
    xdotool click 1
    level_is 2
    cmp "$data/lastdata.vkt" "$home/by-keys.vkt" || fail "the event's keys led elsewhere"
    ;;
zoom_keeps_clicks_on_rows)
    mkdir -p "$data"
    chart_text 1999 1 >"$data/lastdata.vkt"
    start --no-splash
    wait_for_report
    xdotool windowsize --sync "$main" 1200 1000
    xdotool windowfocus --sync "$main"
    xdotool key --delay 200 ctrl+plus ctrl+plus ctrl+plus  # 110, 125, 150
    sleep 0.5
    for k in $(seq 0 11); do
        # The centre of row k, in report units, at 150%.
        xdotool mousemove $(( origin_x + 254 * 3 / 2 )) $(( origin_y + (90 + 24 * k + 9) * 3 / 2 ))
        sleep 0.1
        xdotool click 1
        wait_until 5 '[[ "$(line "$data/lastdata.vkt" 26)" == 2 ]]' || fail "row $k: no click"
        [[ $(line "$data/lastdata.vkt" 22) == "$k" ]] ||
            fail "row $k: the click hit AD $(line "$data/lastdata.vkt" 22)"
        xdotool key BackSpace
        wait_until 5 '[[ "$(line "$data/lastdata.vkt" 26)" == 1 ]]' || fail "row $k: not back"
    done
    # Ended as the desktop ends it at logout, so the changed chart asks nothing.
    kill -TERM "${pids[-1]}"
    wait_until 10 '! kill -0 ${pids[-1]} 2>/dev/null' || fail "still running"
    grep -qx "Zoom=150" "$home/.config/tarvella.conf" || fail "zoom not kept: $(cat "$home/.config/tarvella.conf")"
    ;;
error_line_scrolls_into_view)
    # An event before its MD: the error line reaches past the report's area.
    mkdir -p "$data"
    chart_text 1999 6 | sed '11s/1999/1990/' >"$data/lastdata.vkt"
    start --no-splash
    wait_for_report_page
    xdotool mousemove $(( origin_x + 200 )) $(( origin_y + 200 ))
    sleep 0.3
    import -window root -depth 8 "ppm:$home/before.ppm"
    xdotool click --repeat 12 7  # the wheel, sideways
    sleep 0.5
    import -window root -depth 8 "ppm:$shot"
    changed=$(compare -metric AE "$home/before.ppm" "$shot" null: 2>&1 || true)
    (( ${changed%% *} > 2000 )) || fail "the report did not scroll sideways ($changed pixels changed)"
    ;;
timeline_follows_the_report)
    # The bands of the periods the report shows: their box on the screen, "COUNT L T R B".
    shown_bands() {
        import -window root -depth 8 "ppm:$shot"
        "$probe" "$shot" 255 214 90
    }
    wait_for_shown_bands() {  # until their box differs from "$1"
        for _ in $(seq 1 50); do
            read -r count left top right bottom < <(shown_bands)
            (( count > 100 )) && [[ "$left $top $right $bottom" != "$1" ]] && return 0
            sleep 0.15
        done
        fail "no bands of the report on the timeline (box $1)"
    }
    mkdir -p "$data"
    chart_text 1999 1 >"$data/lastdata.vkt"
    start --no-splash
    wait_for_report
    xdotool windowfocus --sync "$main"
    xdotool key ctrl+t
    # The report of the ADs: its twelve bands in the timeline's AD row.
    wait_for_shown_bands ""
    ad_box="$left $top $right $bottom" ad_top=$top ad_width=$(( right - left ))
    xdotool mousemove $(( left + 4 )) $(( (top + bottom) / 2 )) click 1
    wait_until 5 '[[ "$(line "$data/lastdata.vkt" 26)" == 2 ]]' || fail "level $(line "$data/lastdata.vkt" 26)"
    [[ $(line "$data/lastdata.vkt" 22) == 0 ]] || fail "adIndex $(line "$data/lastdata.vkt" 22)"
    # The mark follows: the twelve PDs of the first AD, a row lower and a twelfth as wide.
    wait_for_shown_bands "$ad_box"
    (( top > ad_top )) || fail "PDs marked at $top, the ADs at $ad_top"
    (( right - left < ad_width / 6 )) || fail "PDs marked $(( right - left )) wide of $ad_width"
    pd_box="$left $top $right $bottom" pd_width=$(( right - left ))
    # The wheel zooms about the pointer: the same PDs spread wider.
    xdotool mousemove $(( left + 2 )) $(( (top + bottom) / 2 ))
    for _ in 1 2 3 4 5 6 7 8; do xdotool click 4; sleep 0.05; done
    wait_for_shown_bands "$pd_box"
    (( right - left > 4 * pd_width )) || fail "zoomed PDs $(( right - left )) wide of $pd_width"
    # A click on the eleventh of them, as in the report: the SDs of the 11th PD of the 1st AD.
    xdotool mousemove $(( left + (right - left) * 21 / 24 )) $(( (top + bottom) / 2 )) click 1
    wait_until 5 '[[ "$(line "$data/lastdata.vkt" 26)" == 3 ]]' || fail "level $(line "$data/lastdata.vkt" 26)"
    [[ $(line "$data/lastdata.vkt" 22) == 0 && $(line "$data/lastdata.vkt" 23) == 10 ]] ||
        fail "path $(line "$data/lastdata.vkt" 22) $(line "$data/lastdata.vkt" 23)"
    # With the focus on the timeline, Print Preview shows its page, without the report's
    # print settings.
    xdotool key --delay 300 alt+f v
    wait_until 10 '[[ -n $(xdotool search --onlyvisible --name "^Print Preview$") ]]' ||
        fail "no preview of the timeline"
    [[ -z $(xdotool search --onlyvisible --name "^Settings for printing$") ]] ||
        fail "the report's print settings for the timeline"
    # The timeline comes back open at the next start, even after a run that did not end well.
    stop_all
    grep -qx "Timeline=1" "$home/.config/tarvella.conf" || fail "not remembered open"
    start --no-splash
    wait_for_report
    md_band() { import -window root -depth 8 "ppm:$shot"; "$probe" "$shot" 250 228 178 | cut -d' ' -f1; }
    wait_until 5 '(( $(md_band) > 1000 ))' || fail "the timeline did not come back"
    ;;
*)
    fail "no test $test"
    ;;
esac
echo "PASS: $test"
