#!/usr/bin/env bash
# Data safety: files that are not charts are refused wherever they are opened, and damaged data
# files are kept before the defaults take their place.
#   safety_test.sh TEST PROGRAM PIXEL_PROBE CLI STORAGE_FAULT_LIBRARY
set -euo pipefail
test=$1 program=$(realpath "$2") probe=$(realpath "$3") cli=$(realpath "$4") shim=$(realpath "$5")

source "$(dirname "$0")/lib.sh"

# Files that are not charts, each in $home/bad/, by kind.
make_bad_files() {
    mkdir -p "$home/bad"
    local chart
    chart=$(chart_text 2003 3)
    : >"$home/bad/empty.vkt"
    printf 'Dear diary,\r\ntoday the Sun entered Leo.\r\n' >"$home/bad/notes.vkt"
    head -n 10 <<<"$chart" >"$home/bad/cut10.vkt"
    head -n 25 <<<"$chart" >"$home/bad/cut25.vkt"
    head -n 1 <<<"$chart" >"$home/bad/magic-only.vkt"
    printf '\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10' >"$home/bad/binary.vkt"
    { printf 'x%.0s' {1..100}; } >"$home/bad/sparse.vkt"
    truncate -s 2G "$home/bad/sparse.vkt"
    mkdir "$home/bad/directory.vkt"
    mkfifo "$home/bad/fifo.vkt"
    chart_text 2004 3 >"$home/bad/unreadable.vkt"
    for f in "$home/bad"/*.vkt; do
        [[ -f $f && ! -p $f ]] && [[ $f != */sparse.vkt ]] && md5sum "$f"
    done >"$home/bad.md5"
}

bad_files_unchanged() {
    md5sum --quiet -c "$home/bad.md5" || fail "a refused file changed"
    [[ $(stat -c %s "$home/bad/sparse.vkt") == 2147483648 ]] || fail "the sparse file changed"
}

# Why FILE cannot be read at all.
reason() {
    case $1 in
    */directory.vkt) echo "it is a folder" ;;
    */fifo.vkt) echo "it is not a regular file" ;;
    */unreadable.vkt) echo "permission denied" ;;
    esac
}

# The message the program gives for FILE, on its standard error.
told_about() {
    local file=$1 log=$2
    case $file in
    */directory.vkt | */fifo.vkt | */unreadable.vkt)
        grep -qF "Could not open the file \"$file\": $(reason "$file")." "$log" ;;
    *) grep -qF "The file \"$file\" is not a chart (" "$log" ;;
    esac
}

# start_reading FILE ARGS...: the program, with FILE unreadable when it is the unreadable one.
run_on() {
    local file=$1
    shift
    if [[ $file == */unreadable.vkt ]]; then
        STORAGE_FAULT=unreadable STORAGE_FAULT_DIR=$file LD_PRELOAD=$shim "$@"
    else
        "$@"
    fi
}

case $test in
refused_on_the_command_line)
    make_bad_files
    mkdir -p "$data"
    chart_text 1999 2 >"$data/lastdata.vkt"
    cp "$data/lastdata.vkt" "$home/last.vkt"
    for file in "$home/bad"/*.vkt; do
        : >"$home/err"
        status=0
        run_on "$file" timeout 20 "$program" --messages-to-stderr --no-splash "$file" \
            2>"$home/err" || status=$?
        (( status != 0 && status != 124 )) || fail "$file: exit status $status"
        told_about "$file" "$home/err" || fail "$file: not told: $(cat "$home/err")"
        cmp -s "$data/lastdata.vkt" "$home/last.vkt" || fail "$file: the last chart was replaced"
        # Printed from the command line, likewise: nothing printed, nothing changed.
        : >"$home/err"
        status=0
        run_on "$file" timeout 20 "$program" --print-to "$home/out.pdf" "$file" 2>"$home/err" ||
            status=$?
        (( status != 0 && status != 124 )) || fail "$file: print exit status $status"
        told_about "$file" "$home/err" || fail "$file: print not told: $(cat "$home/err")"
        [[ ! -e $home/out.pdf ]] || fail "$file: printed"
        cmp -s "$data/lastdata.vkt" "$home/last.vkt" || fail "$file: printing replaced the chart"
    done
    bad_files_unchanged
    # The command-line report gives the same reasons.
    for file in "$home/bad"/*.vkt; do
        status=0
        out=$(run_on "$file" "$cli" report "$file" 2>"$home/err") || status=$?
        [[ $status == 1 && -z $out ]] || fail "$file: tarvella-cli gave $status"
        case $file in
        */directory.vkt | */fifo.vkt | */unreadable.vkt)
            grep -qxF "tarvella-cli: cannot read a chart from $file: $(reason "$file")" "$home/err" ;;
        */cut10.vkt)
            grep -qxF "tarvella-cli: $file is not a chart: line 11: the event's year is missing" "$home/err" ;;
        *) grep -qF "tarvella-cli: $file is not a chart: " "$home/err" ;;
        esac || fail "$file: tarvella-cli said $(cat "$home/err")"
    done
    ;;
refused_when_handed_over)
    make_bad_files
    chart_text 1999 2 >"$home/chart.vkt"
    start --no-splash "$home/chart.vkt"
    pid=${pids[-1]}
    wait_for_report
    wait_for 5 cmp -s "$home/chart.vkt" "$data/lastdata.vkt" || fail "the document did not open"
    for file in "$home/bad"/*.vkt; do
        [[ $file == */unreadable.vkt ]] && continue  # the running copy reads it: no shim there
        run_on "$file" timeout 20 "$program" --messages-to-stderr "$file" 2>>"$home/second" ||
            fail "$file: the second copy ended with $?"
        wait_for 10 told_about "$file" "$home/stderr" || fail "$file: not told: $(cat "$home/stderr")"
        cmp -s "$home/chart.vkt" "$data/lastdata.vkt" || fail "$file: the last chart was replaced"
        [[ "$(xdotool getwindowname "$main")" == "Tarvella - chart.vkt" ]] ||
            fail "$file: a window came up: $(xdotool getwindowname "$main")"
    done
    bad_files_unchanged
    kill -0 "$pid" || fail "the running copy ended"
    ;;
refused_from_the_open_dialog_and_recent_files)
    make_bad_files
    chart_text 1999 2 >"$home/chart.vkt"
    mkdir -p "$home/.config"
    printf '[Recent File List]\nfile1=%s\nfile2=%s\nfile3=%s\n' "$home/bad/cut10.vkt" \
        "$home/bad/binary.vkt" "$home/bad/empty.vkt" >"$home/.config/tarvella.conf"
    start --no-splash "$home/chart.vkt"
    wait_for_report
    wait_for 5 cmp -s "$home/chart.vkt" "$data/lastdata.vkt" || fail "the document did not open"
    # File > Open, the platform's dialog, a path typed into it.
    for name in notes sparse cut25; do
        xdotool windowfocus --sync "$main"
        xdotool key ctrl+o
        chooser=
        wait_until 10 'chooser=$(xdotool search --onlyvisible --name "^Open" | grep -vx "$main" | head -1); [[ -n $chooser ]]' ||
            fail "no Open dialog"
        xdotool windowfocus --sync "$chooser"
        sleep 0.5
        xdotool key ctrl+l
        xdotool type --delay 20 "$home/bad/$name.vkt"
        xdotool key Return
        wait_for 10 told_about "$home/bad/$name.vkt" "$home/stderr" ||
            fail "Open $name: not told: $(cat "$home/stderr")"
        wait_until 5 '[[ -z $(xdotool search --onlyvisible --name "^Open" | grep -vx "$main") ]]' ||
            fail "the Open dialog stayed"
    done
    # The recent files, each in turn: the document opened first is entry 1.
    for entry in "2 cut10" "3 binary" "4 empty"; do
        read -r number name <<<"$entry"
        xdotool windowfocus --sync "$main"
        xdotool key --delay 400 alt+f f "$number"
        wait_for 10 told_about "$home/bad/$name.vkt" "$home/stderr" ||
            fail "recent file $name: not told: $(cat "$home/stderr")"
    done
    cmp -s "$home/chart.vkt" "$data/lastdata.vkt" || fail "the last chart was replaced"
    [[ "$(xdotool getwindowname "$main")" == "Tarvella - chart.vkt" ]] ||
        fail "a window came up: $(xdotool getwindowname "$main")"
    bad_files_unchanged
    ;;
damaged_data_files_are_kept)
    mkdir -p "$data"
    chart_text 2003 3 | head -n 10 >"$data/lastdata.vkt"
    printf '4003\r\n1\r\n' >"$data/pref.vkp"
    cp "$data/lastdata.vkt" "$home/last.vkt"
    cp "$data/pref.vkp" "$home/pref.vkp"
    start --no-splash
    wait_for_report
    for f in lastdata.vkt pref.vkp; do
        wait_for 5 grep -qF "\"$data/$f\" was damaged and is kept as \"$data/$f.damaged\"" \
            "$home/stderr" || fail "not told about $f: $(cat "$home/stderr")"
    done
    cmp -s "$data/lastdata.vkt.damaged" "$home/last.vkt" || fail "the damaged chart was not kept"
    cmp -s "$data/pref.vkp.damaged" "$home/pref.vkp" || fail "the damaged preferences were not kept"
    [[ $(stat -c %s "$data/lastdata.vkt") == 139 && $(stat -c %s "$data/pref.vkp") == 58 ]] ||
        fail "the defaults were not written"
    # Told once: a new window finds sound files.
    xdotool windowfocus --sync "$main"
    xdotool key ctrl+n
    wait_until 5 '[[ "$(xdotool getwindowname "$main")" == "Tarvella - VKT2" ]]' || fail "no new window"
    sleep 0.5
    [[ $(grep -c "was damaged" "$home/stderr") == 2 ]] || fail "told again: $(cat "$home/stderr")"
    ;;
longest_name_saves_leftovers_go)
    mkdir -p "$data" "$home/d"
    : >"$data/.tarvella-Ab12Cd.tmp"
    : >"$data/lastdata.vkt.Zz9Yy8"
    touch -d '1 hour ago' "$data/.tarvella-Ab12Cd.tmp" "$data/lastdata.vkt.Zz9Yy8"
    name=$home/d/$(printf 'n%.0s' {1..251}).vkt
    chart_text 1999 1 >"$name"
    start --no-splash "$name"
    wait_for_report
    xdotool mousemove $(( origin_x + 100 )) $(( origin_y + 95 )) click 1
    wait_until 5 '[[ "$(line "$data/lastdata.vkt" 26)" == 2 ]]' || fail "the click did nothing"
    xdotool windowfocus --sync "$main"
    xdotool key ctrl+s
    wait_for 5 cmp -s "$name" "$data/lastdata.vkt" || fail "not saved: $(cat "$home/stderr")"
    [[ $(ls -A "$home/d" | wc -l) == 1 ]] || fail "files left behind: $(ls -A "$home/d")"
    [[ ! -e $data/.tarvella-Ab12Cd.tmp ]] || fail "leftovers kept: $(ls -A "$data")"
    [[ -e $data/lastdata.vkt.Zz9Yy8 ]] || fail "a file that could be the user's went"
    ;;
*)
    fail "no test $test"
    ;;
esac
echo "PASS: $test"
