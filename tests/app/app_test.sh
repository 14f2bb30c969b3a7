#!/usr/bin/env bash
# Application tests: the real program on the X display that xvfb-run gives, with a fresh home.
#   app_test.sh TEST PROGRAM PIXEL_PROBE
set -euo pipefail
test=$1 program=$(realpath "$2") probe=$(realpath "$3")

source "$(dirname "$0")/lib.sh"

case $test in
starts_and_shows_report)
    start
    wait_for_report
    read -r _ left top right bottom < <("$probe" "$shot" $caption 0 "$origin_x" "$origin_y" 2000 2000)
    # The main window opens at (170, 106) on this 1280 x 1024 screen, the report inside it.
    (( origin_x >= 170 && origin_x < 200 && origin_y > 106 && origin_y < 320 )) ||
        fail "report at $origin_x,$origin_y"
    # The caption is centred over the column 8..500, in the report's first line.
    centre=$(( (left + right) / 2 - origin_x ))
    (( centre > 234 && centre < 274 )) || fail "caption centred at $centre"
    (( top - origin_y >= 8 && bottom - origin_y < 32 )) || fail "caption from $top to $bottom"
    # Rows in their colour below the caption, and both data files with their defaults.
    read -r _ _ rows_top _ _ < <("$probe" "$shot" 200 0 0 60 "$origin_x" "$origin_y" 2000 2000)
    (( rows_top - origin_y >= 90 && rows_top - origin_y < 100 )) || fail "rows from $rows_top"
    [[ $(stat -c %s "$data/lastdata.vkt") == 139 && $(stat -c %s "$data/pref.vkp") == 58 ]] ||
        fail "data files not written"
    # Untitled documents are VKT1, VKT2, ...; the main window's caption names the active one.
    main=$(xdotool search --onlyvisible --name "^Tarvella - VKT1$" | head -1)
    [[ -n $main ]] || fail "the first document is not VKT1"
    xdotool windowfocus --sync "$main"
    xdotool key ctrl+n
    wait_until 5 '[[ "$(xdotool getwindowname "$main")" == "Tarvella - VKT2" ]]' ||
        fail "New gave $(xdotool getwindowname "$main")"
    ;;
click_first_row)
    mkdir -p "$data"
    chart_text 1999 1 >"$data/lastdata.vkt"
    start --no-splash
    wait_for_report
    xdotool mousemove $(( origin_x + 100 )) $(( origin_y + 95 )) click 1
    wait_until 5 '[[ "$(line "$data/lastdata.vkt" 26)" == 2 ]]' || fail "level $(line "$data/lastdata.vkt" 26)"
    [[ $(line "$data/lastdata.vkt" 22) == 0 ]] || fail "adIndex $(line "$data/lastdata.vkt" 22)"
    # Clicking below the last row at level 2 hits nothing and writes nothing.
    before=$(md5sum <"$data/lastdata.vkt")
    xdotool mousemove $(( origin_x + 100 )) $(( origin_y + 385 )) click 1
    sleep 0.5
    [[ $(md5sum <"$data/lastdata.vkt") == "$before" ]] || fail "a click on row slot 12 changed the chart"
    ;;
click_in_scrolled_report)
    # On a 640 x 480 screen the window is 600 x 480 at (10, 0) and the report needs scrolling.
    mkdir -p "$data"
    chart_text 1999 1 >"$data/lastdata.vkt"
    start --no-splash
    wait_for_report
    (( origin_x > 10 && origin_x < 20 && origin_y < 200 )) || fail "report at $origin_x,$origin_y"
    # One notch of the wheel scrolls three rows (72 units): client y 20 is then report y 92.
    xdotool mousemove $(( origin_x + 100 )) $(( origin_y + 20 )) click 5
    sleep 0.5
    xdotool click 1
    wait_until 5 '[[ "$(line "$data/lastdata.vkt" 26)" == 2 ]]' || fail "level $(line "$data/lastdata.vkt" 26)"
    [[ $(line "$data/lastdata.vkt" 22) == 0 ]] || fail "adIndex $(line "$data/lastdata.vkt" 22)"
    ;;
hands_files_to_running_copy)
    start --no-splash
    wait_for_report
    chart_text 2001 1 >"$home/other.vkt"
    (cd "$home" && timeout 20 "$program" --messages-to-stderr other.vkt) ||
        fail "the second copy ended with $?"
    # The first copy opens the file: its view hands the document's chart to the last-data file.
    wait_for 10 cmp -s "$home/other.vkt" "$data/lastdata.vkt" || fail "the file was not opened"
    ;;
saves_document)
    mkdir -p "$home/d"
    chart_text 1999 1 >"$home/d/chart.vkt"
    cp "$home/d/chart.vkt" "$home/original.vkt"
    click_row_and_save() {
        wait_for_report
        xdotool mousemove $(( origin_x + 100 )) $(( origin_y + 95 )) click 1
        sleep 0.5
        xdotool windowfocus --sync "$(xdotool search --onlyvisible --name "^Tarvella" | head -1)"
        xdotool key ctrl+s
    }
    start --no-splash "$home/d/chart.vkt"
    click_row_and_save
    wait_for 5 cmp -s "$home/d/chart.vkt" "$data/lastdata.vkt" || fail "not saved"
    [[ $(line "$home/d/chart.vkt" 26) == 2 ]] || fail "saved the wrong chart"
    kill "${pids[@]}" && wait
    pids=()

    # Every write fails: the document file stays as it was, and the user is told. (The messages
    # go through a pipe, which the file size limit does not bind.)
    cp "$home/original.vkt" "$home/d/chart.vkt"
    mkfifo "$home/messages"
    cat "$home/messages" >>"$home/stderr" &
    (ulimit -f 0 && exec "$program" --messages-to-stderr --no-splash "$home/d/chart.vkt" \
        2>"$home/messages") &
    pids+=($!)
    click_row_and_save
    wait_for 5 grep -q "Could not save the file \"$home/d/chart.vkt\"" "$home/stderr" ||
        fail "no message: $(cat "$home/stderr")"
    cmp -s "$home/d/chart.vkt" "$home/original.vkt" || fail "the old file was changed"
    [[ $(ls "$home/d") == chart.vkt ]] || fail "files left behind: $(ls "$home/d")"
    ;;
exits_and_keeps_recent_files)
    chart_text 1999 2 >"$home/kept.vkt"
    "$program" --messages-to-stderr --no-splash "$home/kept.vkt" 2>>"$home/stderr" &
    pid=$!
    pids+=($pid)
    wait_for_report
    # An unchanged document closes without a question, leaving the main window and its title.
    main=$(xdotool search --onlyvisible --name "^Tarvella - kept.vkt$" | head -1)
    [[ -n $main ]] || fail "no main window named after the document"
    xdotool windowfocus --sync "$main"
    xdotool key --delay 400 alt+f c
    wait_until 5 '[[ "$(xdotool getwindowname "$main")" == Tarvella ]]' || fail "document not closed"
    # Exit writes the recent files, in a profile directory made anew.
    xdotool key --delay 400 alt+f x
    wait_until 10 '! kill -0 $pid 2>/dev/null' || fail "still running after Exit"
    status=0
    wait "$pid" || status=$?
    [[ $status == 0 ]] || fail "exit code $status: $(cat "$home/stderr")"
    grep -qx "file1=$home/kept.vkt" "$home/.config/tarvella.conf" ||
        fail "recent files: $(cat "$home/.config/tarvella.conf" 2>&1)"
    ;;
fatal_without_sun_table)
    mkdir -p "$home/bin"
    cp "$program" "$home/bin/tarvella"
    status=0
    timeout 20 "$home/bin/tarvella" --messages-to-stderr 2>"$home/err" || status=$?
    [[ $status == 0 ]] || fail "exit code $status"
    grep -qx "Terminating program: Fatal error! An important file is missing in the windows system directory! Reload program." "$home/err" ||
        fail "message: $(cat "$home/err")"
    [[ ! -e $data/lastdata.vkt ]] || fail "a document was opened"

    # A data directory that cannot be made.
    rm -rf "$home/.local" && touch "$home/.local"
    status=0
    timeout 20 "$program" --messages-to-stderr 2>"$home/err" || status=$?
    [[ $status == 0 ]] || fail "exit code $status"
    grep -qx "Terminating program: Cannot find windows directory" "$home/err" ||
        fail "message: $(cat "$home/err")"
    ;;
fatal_message_box)
    # The user's path: a message box before any window; OK ends the process with exit code 0.
    mkdir -p "$home/bin"
    cp "$program" "$home/bin/tarvella"
    "$home/bin/tarvella" 2>/dev/null &
    pid=$!
    pids+=($pid)
    box=
    wait_until 15 'box=$(xdotool search --name "^Terminating program$" 2>/dev/null | head -1); [[ -n $box ]]' ||
        fail "no message box"
    [[ -z $(xdotool search --onlyvisible --name "^Tarvella" 2>/dev/null) ]] || fail "a main window came up"
    xdotool windowfocus --sync "$box"
    xdotool key --clearmodifiers Return
    status=0
    wait_until 10 '! kill -0 $pid 2>/dev/null' || fail "still running after OK"
    wait "$pid" || status=$?
    [[ $status == 0 ]] || fail "exit code $status"
    ;;
*)
    fail "no test $test"
    ;;
esac
echo "PASS: $test"
