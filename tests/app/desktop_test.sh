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
*)
    fail "no test $test"
    ;;
esac
echo "PASS: $test"
