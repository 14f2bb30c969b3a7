#!/usr/bin/env bash
# File > Export periods, View > Show seconds and View > Precise instants, in the real program on the X display that
# xvfb-run gives, with a fresh home.
#   periods_test.sh TEST PROGRAM PIXEL_PROBE CLI STORAGE_FAULT_SHIM
set -euo pipefail
test=$1 program=$(realpath "$2") probe=$(realpath "$3") cli=$(realpath "$4") shim=$(realpath "$5")

source "$(dirname "$0")/lib.sh"
start_flags=(--no-splash)
mkdir -p "$data" "$home/out"

focus_main() { xdotool windowfocus --sync "$main"; sleep 0.3; }

# A window other than the main one whose name matches $1, in $found.
wait_window() {
    found= name=$1
    wait_until 10 'found=$(xdotool search --onlyvisible --name "$name" | grep -vx "$main" | tail -1); [[ -n $found ]]' ||
        fail "no window $name: $(cat "$home/stderr")"
    xdotool windowfocus --sync "$found"
    sleep 0.5
}

# File > Export periods, the depth and format chosen by their keys $1 and $2 (alt+s: the SDs,
# alt+j: JSON), then the path $3 typed into the save dialog; a reminder $4 typed into its field
# when given.
export_periods() {
    focus_main
    xdotool key --delay 300 alt+f t
    wait_window "^Export periods$"
    local dialog=$found
    xdotool key --delay 200 "$1" "$2"
    if [[ -n ${4:-} ]]; then
        xdotool key --delay 200 alt+m
        xdotool type --delay 50 "$4"
    fi
    xdotool key --delay 200 alt+o
    wait_until 10 'found=$(xdotool search --onlyvisible --name "^Export periods$" | grep -vx "$main" | grep -vx "$dialog" | tail -1); [[ -n $found ]]' ||
        fail "no save dialog: $(cat "$home/stderr")"
    xdotool windowfocus --sync "$found"
    sleep 0.5
    xdotool key ctrl+a
    xdotool type --delay 20 "$3"
    xdotool key Return
}

expected() { "$cli" periods "$home/chart.vkt" --pref "$data/pref.vkp" "$@"; }

case $test in
exports_periods)
    printf '%s\r\n' 4002 1970 4 4 17 50.000000 0 5 30.000000 -5.500000 1999 8 22 12 10.000000 \
        1 4 0.000000 4.000000 3 2001 4 5 9 1 2 >"$home/chart.vkt"
    start "$home/chart.vkt"
    wait_for_report
    # The SDs as JSON.
    export_periods alt+s alt+j "$home/out/chart.json"
    wait_for 10 test -s "$home/out/chart.json" || fail "nothing written: $(cat "$home/stderr")"
    wait_for 5 grep -qF "1,884 periods written to \"$home/out/chart.json\"." "$home/stderr" ||
        fail "not told: $(cat "$home/stderr")"
    expected --depth 3 --format json >"$home/expected.json"
    cmp "$home/out/chart.json" "$home/expected.json" || fail "the file is not the periods"
    # The ADs as CSV.
    export_periods alt+a alt+v "$home/out/chart.csv"
    wait_for 10 test -s "$home/out/chart.csv" || fail "no CSV: $(cat "$home/stderr")"
    sleep 0.5
    expected --depth 1 --format csv | cmp - "$home/out/chart.csv" || fail "the CSV is not the periods"
    # The ADs as iCalendar, each with a reminder a day before it starts.
    export_periods alt+a alt+i "$home/out/alarm.ics" 1d
    wait_for 10 test -s "$home/out/alarm.ics" || fail "no calendar: $(cat "$home/stderr")"
    sleep 0.5
    /usr/bin/python3 - "$home/out/alarm.ics" <<'PY' || fail "no reminders: $(grep -c VALARM "$home/out/alarm.ics")"
import datetime, sys, icalendar
events = icalendar.Calendar.from_ical(open(sys.argv[1], "rb").read()).walk("VEVENT")
assert len(events) == 12, len(events)
for e in events:
    (alarm,) = e.walk("VALARM")
    assert alarm.decoded("TRIGGER") == -datetime.timedelta(days=1), alarm
PY
    rm "$home/out/alarm.ics"
    # The whole tree as iCalendar shows its progress, and Cancel there writes nothing.
    export_periods alt+d alt+i "$home/out/chart.ics"
    save=$found
    wait_until 10 'found=$(xdotool search --onlyvisible --name "^Export periods$" | grep -vx "$main" | grep -vx "$save" | tail -1); [[ -n $found ]]' ||
        fail "no progress: $(grep -v dconf "$home/stderr")"
    xdotool windowfocus --sync "$found"
    xdotool key Escape
    wait_for 20 grep -qF "The export was cancelled; \"$home/out/chart.ics\" is as it was." "$home/stderr" ||
        fail "not cancelled: $(grep -v dconf "$home/stderr")"
    [[ $(ls "$home/out") == $'chart.csv\nchart.json' ]] || fail "files left: $(ls "$home/out")"
    ;;
exports_timeline)
    # File > Export timeline, by the name's extension: a PNG image, then an SVG drawing whose
    # bands name their periods.
    export_timeline() {
        focus_main
        xdotool key --delay 300 alt+f i
        wait_window "^Export timeline$"
        xdotool key ctrl+a
        xdotool type --delay 20 "$1"
        xdotool key Return
        wait_for 10 grep -qF "The timeline was written to \"$1\"." "$home/stderr" ||
            fail "not written: $(cat "$home/stderr")"
    }
    printf '%s\r\n' 4002 1970 4 4 17 50.000000 0 5 30.000000 -5.500000 1999 8 22 12 10.000000 \
        1 4 0.000000 4.000000 3 2001 4 5 9 1 2 >"$home/chart.vkt"
    start "$home/chart.vkt"
    wait_for_report
    export_timeline "$home/out/chart.png"
    [[ $(head -c 8 "$home/out/chart.png" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] ||
        fail "not a PNG"
    export_timeline "$home/out/chart.svg"
    /usr/bin/python3 - "$home/out/chart.svg" <<'PY' || fail "not the timeline's SVG"
import sys, xml.etree.ElementTree as ET
ns = "{http://www.w3.org/2000/svg}"
titles = [t.text for t in ET.parse(sys.argv[1]).iter(ns + "title")]
assert any(t.startswith("1st AD") for t in titles), titles[:5]
PY
    [[ $(ls -A "$home/out") == $'chart.png\nchart.svg' ]] || fail "files left: $(ls -A "$home/out")"
    ;;
export_fails_and_keeps_the_old_file)
    printf '%s\r\n' 4002 1970 4 4 17 50.000000 0 5 30.000000 -5.500000 1999 8 22 12 10.000000 \
        1 4 0.000000 4.000000 3 2001 4 5 9 1 2 >"$home/chart.vkt"
    mkdir -p "$home/full"
    echo "old calendar" >"$home/full/chart.ics"
    # The disk of that folder fills up after 5000 bytes.
    STORAGE_FAULT=full:5000 STORAGE_FAULT_DIR=$home/full/ LD_PRELOAD=$shim \
        "$program" --messages-to-stderr --no-splash "$home/chart.vkt" 2>>"$home/stderr" &
    pids+=($!)
    wait_for_report
    export_periods alt+s alt+i "$home/full/chart.ics"
    # GTK asks before it replaces a file.
    wait_window "^Export periods$|Confirm|Replace"
    sleep 0.5
    xdotool key alt+r || true
    wait_for 10 grep -qF "Could not write the periods to \"$home/full/chart.ics\"; the file on disk is unchanged." \
        "$home/stderr" || fail "not told: $(cat "$home/stderr")"
    [[ $(cat "$home/full/chart.ics") == "old calendar" ]] || fail "the old file was changed"
    [[ $(ls "$home/full") == chart.ics ]] || fail "files left behind: $(ls "$home/full")"
    kill -0 "${pids[-1]}" || fail "the program ended"
    ;;
signal_during_export)
    # Writes into the export's folder are slowed, so that the deep export is still under way when
    # the program is killed outright, then ended by a signal.
    printf '%s\r\n' 4002 1970 4 4 17 50.000000 0 5 30.000000 -5.500000 1999 8 22 12 10.000000 \
        1 4 0.000000 4.000000 3 2001 4 5 9 1 2 >"$home/chart.vkt"
    lock=$home/.TarvellaSoftwareFromMorrowgate
    slow_start() {
        STORAGE_FAULT=slow:20 STORAGE_FAULT_DIR=$home/out/ LD_PRELOAD=$shim \
            "$program" --messages-to-stderr --no-splash "$home/chart.vkt" 2>>"$home/stderr" &
        pids+=($!)
        running=$!
        wait_for_report
    }
    temporary() { compgen -G "$home/out/.tarvella-*.tmp"; }
    slow_start
    export_periods alt+d alt+j "$home/out/killed.json"
    wait_until 20 temporary >/dev/null || fail "no temporary: $(ls -A "$home/out")"
    kill -KILL "$running"
    wait "$running" 2>/dev/null || true
    # Its temporary, once old enough to be nobody's write under way, goes at the next start.
    left=$(temporary)
    touch -d '1 minute ago' "$left"
    slow_start
    wait_until 5 '[[ ! -e $left ]]' || fail "the killed export's temporary stayed"
    # A changed chart, then a signal during the export: the export is cancelled as by Cancel,
    # the chart kept, and the program ends with 0, leaving neither lock nor socket.
    xdotool mousemove $(( origin_x + 100 )) $(( origin_y + 95 )) click 1
    wait_until 5 '[[ "$(line "$data/lastdata.vkt" 26)" == 3 ]]' || fail "the click did nothing"
    export_periods alt+d alt+j "$home/out/chart.json"
    wait_until 20 temporary >/dev/null || fail "no temporary: $(ls -A "$home/out")"
    kill -TERM "$running"
    wait_until 15 '! kill -0 $running 2>/dev/null' || fail "still running after SIGTERM"
    status=0
    wait "$running" || status=$?
    [[ $status == 0 ]] || fail "exit status $status: $(grep -v dconf "$home/stderr")"
    [[ -z $(ls -A "$home/out") ]] || fail "left in the export's folder: $(ls -A "$home/out")"
    [[ ! -e $lock && ! -e $lock.socket ]] || fail "left: $(ls -A "$home")"
    cmp -s "$data/recovered/chart.vkt" "$data/lastdata.vkt" ||
        fail "the chart was not kept: $(ls -A "$data/recovered" 2>&1)"
    ;;
show_seconds)
    printf '%s\r\n' 4002 1970 4 4 17 50.000000 0 5 30.000000 -5.500000 1999 8 22 12 10.000000 \
        1 4 0.000000 4.000000 1 1999 4 5 9 1 3 >"$home/chart.vkt"
    "$program" --messages-to-stderr --no-splash "$home/chart.vkt" 2>>"$home/stderr" &
    pid=$!
    pids+=($pid)
    wait_for_report
    "$cli" report "$home/chart.vkt" --pref "$data/pref.vkp" >"$home/minutes.txt"
    copy() {
        : >"$home/stderr"
        focus_main
        xdotool key ctrl+c
        wait_for 5 grep -q "Copied in plain text format" "$home/stderr" || fail "no copy"
        timeout 5 xclip -o -selection clipboard >"$1"
    }
    copy "$home/off.txt"
    cmp "$home/off.txt" "$home/minutes.txt" || fail "off: the text changed"
    focus_main
    xdotool key --delay 300 alt+v e
    sleep 0.5
    copy "$home/on.txt"
    # Each time to the second, and the minute the report shows when rounded.
    /usr/bin/python3 - "$home/on.txt" "$home/minutes.txt" <<'PY' || fail "on: $(cat -A "$home/on.txt" | head -12)"
import datetime, re, sys
on, off = (open(p, newline="").read() for p in sys.argv[1:])
pattern = r"(\d+ \w{3} \d{4}), (\d\d):(\d\d):(\d\d) "
times = re.findall(pattern, on)
assert len(times) == 24, times
def rounded(m):
    t = datetime.datetime.strptime("%s %s:%s:%s" % m.groups(), "%d %b %Y %H:%M:%S")
    t += datetime.timedelta(seconds=30)
    return "%2d %s %04d, %02d:%02d " % (t.day, t.strftime("%b"), t.year, t.hour, t.minute)
assert re.sub(pattern, rounded, on) == off
PY
    # Printing follows the screen.
    grep -q "ShowSeconds=1" "$home/.config/tarvella.conf" 2>/dev/null || true
    xdotool key --delay 300 alt+v e
    sleep 0.5
    copy "$home/off2.txt"
    cmp "$home/off2.txt" "$home/minutes.txt" || fail "off again: the text changed"
    # View > Precise instants: the heading says so and the times are the precise search's, as
    # tarvella-cli's --precise gives them; kept for the next run.
    xdotool key --delay 300 alt+v p
    sleep 0.5
    copy "$home/precise.txt"
    "$cli" report "$home/chart.vkt" --pref "$data/pref.vkp" --precise | cmp - "$home/precise.txt" ||
        fail "precise: $(head -3 "$home/precise.txt")"
    head -1 "$home/precise.txt" | grep -q "^Tarvella (precise instants)" || fail "no precise heading"
    # On once more, kept for the next run, whose printing shows the seconds too.
    xdotool key --delay 300 alt+v e
    sleep 0.3
    focus_main
    xdotool key ctrl+q
    wait_until 10 '! kill -0 $pid 2>/dev/null' || fail "still running after Exit"
    grep -qx "ShowSeconds=1" "$home/.config/tarvella.conf" || fail "not kept: $(cat "$home/.config/tarvella.conf")"
    grep -qx "PreciseInstants=1" "$home/.config/tarvella.conf" || fail "precise not kept"
    timeout 30 "$program" --print-to "$home/out.pdf" "$home/chart.vkt" 2>>"$home/stderr" ||
        fail "print: $(cat "$home/stderr")"
    [[ $(pdftotext "$home/out.pdf" - | grep -cE '[0-9]{2}:[0-9]{2}:[0-9]{2}') -ge 12 ]] ||
        fail "the page has no seconds: $(pdftotext "$home/out.pdf" - | head -20)"
    pdftotext "$home/out.pdf" - | grep -q "Tarvella (precise instants)" || fail "the page is not precise"
    ;;
*) fail "no test $test" ;;
esac
