#!/usr/bin/env bash
# Fault tests: the real program on the X display that xvfb-run gives, with a fresh home, facing
# broken storage, a broken Sun table, hostile data files and a racing second copy.
#   fault_test.sh TEST PROGRAM PIXEL_PROBE STORAGE_FAULT_LIBRARY
set -euo pipefail
test=$1 program=$(realpath "$2") probe=$(realpath "$3") shim=$(realpath "$5")

source "$(dirname "$0")/lib.sh"

# start_faulty MODE DIR ARGS...: the program with the storage under DIR failing as MODE says.
start_faulty() {
    local mode=$1 dir=$2
    shift 2
    STORAGE_FAULT=$mode STORAGE_FAULT_DIR=$dir LD_PRELOAD=$shim \
        "$program" --messages-to-stderr "$@" 2>>"$home/stderr" &
    pids+=($!)
}

# Any report, also the event report with its own caption: the ivory page with text in red on it
# (rows or the error text).
wait_for_page() {
    for _ in $(seq 1 100); do
        import -window root -depth 8 "ppm:$shot"
        read -r count origin_x origin_y _ _ < <("$probe" "$shot" 255 255 240)
        if (( count > 100000 )) && report_has_rows; then return 0; fi
        sleep 0.15
    done
    fail "no report on the screen: $(cat "$home/stderr" 2>/dev/null)"
}

# The rows of the report in their colour, below the caption.
report_has_rows() {
    import -window root -depth 8 "ppm:$shot"
    read -r count _ _ _ _ < <("$probe" "$shot" 200 0 0 60 "$origin_x" "$origin_y" 2000 2000)
    (( count > 50 ))
}

alive() { kill -0 "$1" 2>/dev/null; }

click_first_row() {
    xdotool mousemove $(( origin_x + 100 )) $(( origin_y + 95 )) click 1
}

focus_main() {
    xdotool windowfocus --sync "$(xdotool search --onlyvisible --name "^Tarvella" | head -1)"
}

# The data directory cannot take a whole file (MODE readonly or full:N): the program starts on the
# defaults, shows the report, says so, and leaves the old last-data file as it was.
survives_broken_data_dir() {
    local mode=$1
    # The screen of the defaults, from a fresh home.
    mkdir -p "$home/fresh"
    HOME=$home/fresh start --no-splash
    wait_for_report
    sleep 0.3
    # The report alone: without a window manager, the menus of a document come when GTK gets
    # round to activating its tab, which is not what this test is about.
    report_area() { import -window root -depth 8 -crop "550x460+$origin_x+$origin_y" "ppm:$1"; }
    report_area "$home/defaults.ppm"
    stop_all
    mkdir -p "$data"
    printf 'notes of an older program\r\n' >"$data/lastdata.vkt"
    cp "$data/lastdata.vkt" "$home/old.vkt"
    [[ $mode == readonly ]] && chmod a-w "$data"
    start_faulty "$mode" "$data/" --no-splash
    local pid=${pids[-1]}
    wait_for_report
    wait_until 5 'report_area "$shot"; cmp -s "$shot" "$home/defaults.ppm"' ||
        fail "not the report of the defaults"
    wait_for 5 grep -qF "Could not write the chart and preference files in \"$data\"." \
        "$home/stderr" || fail "not told: $(cat "$home/stderr")"
    # The report works: a click on a row changes the chart shown, and the failed save is told.
    click_first_row
    wait_for 5 grep -qF "Could not save the file \"$data/lastdata.vkt\"; the file on disk is unchanged." \
        "$home/stderr" || fail "the click's save was not told: $(cat "$home/stderr")"
    sleep 0.5
    alive "$pid" || fail "the program ended: $(cat "$home/stderr")"
    cmp -s "$data/lastdata.vkt" "$home/old.vkt" || fail "the old last-data file was changed"
    [[ $(ls "$data") == lastdata.vkt ]] || fail "files left behind: $(ls "$data")"
}

# A Sun table beside a copy of the program, as WHAT says; the program must end with the fatal
# message and exit code 0, before any document.
fatal_with_table() {
    local what=$1
    rm -rf "$home/bin" "$home/share" "$data"
    mkdir -p "$home/bin" "$home/share/tarvella"
    cp "$program" "$home/bin/tarvella"
    local table=$home/share/tarvella/18002099.sun
    case $what in
    missing) ;;
    empty) : >"$table" ;;
    short)
        cp "$(dirname "$program")/../share/tarvella/18002099.sun" "$table"
        truncate -s -1 "$table"
        ;;
    directory) mkdir "$table" ;;
    garbage) head -c "$(stat -c %s "$(dirname "$program")/../share/tarvella/18002099.sun")" \
        /dev/urandom >"$table" ;;
    esac
    local status=0
    timeout 20 "$home/bin/tarvella" --messages-to-stderr --no-splash 2>"$home/err" || status=$?
    [[ $status == 0 ]] || fail "$what table: exit code $status: $(cat "$home/err")"
    [[ $(cat "$home/err") == "Terminating program: Fatal error! An important file is missing in the windows system directory! Reload program." ]] ||
        fail "$what table: $(cat "$home/err")"
    [[ ! -e $data/lastdata.vkt ]] || fail "$what table: a document was opened"
}

case $test in
data_dir_read_only)
    survives_broken_data_dir readonly
    ;;
data_dir_full)
    # Writes stop part-way, as on a full disk.
    survives_broken_data_dir full:20
    ;;
save_fails_half_way)
    mkdir -p "$home/d"
    chart_text 1999 1 >"$home/d/chart.vkt"
    cp "$home/d/chart.vkt" "$home/original.vkt"
    # The disk fills up after 60 of the 139 bytes; then the folder turns read-only.
    for mode in full:60 readonly; do
        : >"$home/stderr"
        start_faulty "$mode" "$home/d/" --no-splash "$home/d/chart.vkt"
        wait_for_report
        click_first_row
        wait_until 5 '[[ "$(line "$data/lastdata.vkt" 26)" == 2 ]]' || fail "the click did nothing"
        focus_main
        xdotool key ctrl+s
        wait_for 5 grep -qF "Could not save the file \"$home/d/chart.vkt\"; the file on disk is unchanged." \
            "$home/stderr" || fail "$mode: not told: $(cat "$home/stderr")"
        cmp -s "$home/d/chart.vkt" "$home/original.vkt" || fail "$mode: the old file was changed"
        [[ $(ls "$home/d") == chart.vkt ]] || fail "$mode: files left behind: $(ls "$home/d")"
        alive "${pids[-1]}" || fail "$mode: the program ended"
        stop_all
    done
    ;;
broken_sun_table)
    for what in missing empty short directory garbage; do fatal_with_table "$what"; done
    ;;
data_out_of_range)
    # Every field out of range, low, high and mixed, in both data files: the program shows a
    # report and says nothing, as a clamped file needs no message.
    mkdir -p "$data"
    charts=(
        "4002 1970 0 0 17 nan 0 99 nan -5.5 1999 0 0 12 nan 1 99 nan nan 0 -5000 -1 -1 -1 -1 0"
        "4002 1970 13 40 17 nan 0 99 nan nan 1999 13 40 12 nan 1 99 nan 4.0 13 100000 12 12 12 12 7"
        "4002 1970 13 0 17 nan 1 99 nan nan 1999 0 40 12 nan 0 99 nan nan 0 100000 12 -1 12 -1 -1"
    )
    prefs=("4003 -1 -1 nan -1 -1 nan nan nan" "4003 2 2 nan 1 12 400 nan 99" "4003 0 0 1 1 12 0 0 0")
    # Each as the last-data file, and as a document named on the command line.
    for i in 0 1 2 3 4 5; do
        printf '%s\r\n' ${prefs[i % 3]} >"$data/pref.vkp"
        document=()
        if (( i < 3 )); then
            printf '%s\r\n' ${charts[i]} >"$data/lastdata.vkt"
        else
            rm -f "$data/lastdata.vkt"
            printf '%s\r\n' ${charts[i % 3]} >"$home/hostile.vkt"
            document=("$home/hostile.vkt")
        fi
        : >"$home/stderr"
        start --no-splash "${document[@]}"
        wait_for_page
        sleep 0.5
        alive "${pids[-1]}" || fail "case $i: the program ended: $(cat "$home/stderr")"
        [[ ! -s $home/stderr ]] || fail "case $i: $(cat "$home/stderr")"
        stop_all
    done
    ;;
data_files_are_pipes)
    # Pipes nobody writes to in place of both data files and the list of kept documents to tell
    # of: the program starts on the defaults, the pipes kept aside.
    mkdir -p "$data/recovered"
    mkfifo "$data/lastdata.vkt" "$data/pref.vkp" "$data/recovered/.untold"
    start --no-splash
    running=${pids[-1]}
    wait_for_report
    wait_for 5 test -f "$data/lastdata.vkt" || fail "the pipe was kept"
    [[ -p $data/lastdata.vkt.damaged && -p $data/pref.vkp.damaged ]] || fail "not kept aside"
    [[ $(stat -c %s "$data/lastdata.vkt") == 139 && $(stat -c %s "$data/pref.vkp") == 58 ]] ||
        fail "defaults not written"
    # Ended by a signal with a change unsaved, it keeps the document and ends.
    cp "$data/lastdata.vkt" "$home/defaults.vkt"
    click_first_row
    wait_until 5 '! cmp -s "$data/lastdata.vkt" "$home/defaults.vkt"' ||
        fail "the click did nothing"
    kill -TERM "$running"
    wait_until 10 '! alive $running' || fail "still running after SIGTERM"
    status=0
    wait "$running" || status=$?
    [[ $status == 0 ]] || fail "exit status $status: $(cat "$home/stderr")"
    [[ $(cat "$data/recovered/.untold") == "$data/recovered/VKT1.vkt" ]] ||
        fail "not listed: $(ls -lA "$data/recovered")"
    ;;
two_start_at_once)
    # Started together, and (the race made certain) with the first copy slow to write its process
    # id into the lock file while the second looks at it.
    lock=$home/.TarvellaSoftwareFromMorrowgate
    for round in plain plain plain slow slow; do
        : >"$home/stderr"
        if [[ $round == slow ]]; then
            STORAGE_FAULT=slow:2500 STORAGE_FAULT_DIR=$lock LD_PRELOAD=$shim \
                "$program" --messages-to-stderr --no-splash 2>>"$home/stderr" &
            first=$!
            sleep 0.5
        else
            "$program" --messages-to-stderr --no-splash 2>>"$home/stderr" &
            first=$!
        fi
        "$program" --messages-to-stderr --no-splash 2>>"$home/stderr" &
        second=$!
        pids=("$first" "$second")
        wait_until 15 '! alive $first || ! alive $second' || fail "$round: both run"
        wait_for_report
        sleep 1
        if alive "$first"; then running=$first ended=$second; else running=$second ended=$first; fi
        alive "$running" || fail "$round: neither runs: $(cat "$home/stderr")"
        alive "$ended" && fail "$round: both run: $(cat "$home/stderr")"
        status=0
        wait "$ended" || status=$?
        [[ $status == 0 ]] || fail "$round: the second copy ended with $status"
        [[ $(xdotool search --onlyvisible --name "^Tarvella - VKT1$" | wc -l) == 1 ]] ||
            fail "$round: $(xdotool search --onlyvisible --name "^Tarvella" | wc -l) windows"
        [[ ! -s $home/stderr ]] || fail "$round: $(cat "$home/stderr")"
        stop_all
        # Ended by a signal, the copy kept its new document, which the next start would tell of.
        rm -rf "$lock" "$data/recovered"
    done
    ;;
*)
    fail "no test $test"
    ;;
esac
echo "PASS: $test"
