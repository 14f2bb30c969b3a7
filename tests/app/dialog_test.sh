#!/usr/bin/env bash
# Application tests of "Enter Data" and "Choose Ayanamsa", driven by keys on the display that
# xvfb-run gives, with a fresh home.
#   dialog_test.sh TEST PROGRAM PIXEL_PROBE CLI
set -euo pipefail
test=$1 program=$(realpath "$2") probe=$(realpath "$3") cli=$(realpath "$4")

source "$(dirname "$0")/lib.sh"
start_flags=(--no-splash)

# A digest of the report's pixels, which differ as soon as any time or position differs.
report_digest() {
    import -window root -depth 8 -crop "520x420+$origin_x+$origin_y" rgb:- | md5sum | cut -c1-32
}
report_becomes() { [[ $(report_digest) == "$1" ]]; }
report_leaves() { [[ $(report_digest) != "$1" ]]; }

# A chart at level 4 born on the given month and day of 1970.
chart_born() {
    printf '%s\r\n' 4002 1970 "$1" "$2" 17 50.000000 0 5 30.000000 -5.500000 1999 8 22 12 \
        10.000000 1 4 0.000000 4.000000 1 1999 4 5 9 1 4
}

# Opens a dialog with a key on the main window; $dialog is its window.
open_dialog() {  # open_dialog KEY TITLE
    local title=$2
    xdotool windowfocus --sync "$main"
    xdotool key "$1"
    dialog=
    wait_until 5 'dialog=$(xdotool search --onlyvisible --name "^$title\$" | head -1); [[ -n $dialog ]]' ||
        fail "no dialog \"$title\""
    xdotool windowfocus --sync "$dialog"
    sleep 0.3  # keys sent before GTK takes the focus in are lost
}

dialog_closes() {
    local title=$1
    wait_until 5 '[[ -z $(xdotool search --onlyvisible --name "^$title\$") ]]' ||
        fail "the dialog \"$1\" stayed open"
}

message_shown() {
    wait_for 5 grep -qxF "Tarvella: $1" "$home/stderr" || fail "no message \"$1\": $(cat "$home/stderr")"
}

# File Close: an unchanged document closes at once; a changed one asks first.
closes_without_question() {
    xdotool windowfocus --sync "$main"
    xdotool key --delay 400 alt+f c
    wait_until 5 '[[ "$(xdotool getwindowname "$main")" == Tarvella ]]'
}

# Alt+Z on a birth field opens the place-or-zone chooser; the text typed there, then Return,
# takes the first line shown.
choose_in_chooser() {  # choose_in_chooser TEXT
    xdotool key alt+z
    wait_until 5 'chooser=$(xdotool search --onlyvisible --name "^Choose Place or Time Zone$" | head -1); [[ -n $chooser ]]' ||
        fail "no place or zone chooser"
    xdotool windowfocus --sync "$chooser"
    sleep 0.3
    xdotool type "$1"
    sleep 0.3
    xdotool key Return
    dialog_closes "Choose Place or Time Zone"
}

birth_zone_lines() { sed -n 7,10p "$data/lastdata.vkt" | tr -d '\r' | tr '\n' ' '; }

fresh_chart() {  # fresh_chart MONTH DAY
    mkdir -p "$data"
    chart_born "$1" "$2" >"$data/lastdata.vkt"
    cp "$data/lastdata.vkt" "$home/original.vkt"
}

case $test in
enter_data)
    fresh_chart 4 4
    start
    wait_for_report
    before=$(report_digest)
    # The birth year is the field after the day, where the dialog opens.
    open_dialog ctrl+d "Enter Data"
    xdotool key Tab
    xdotool type 1985
    xdotool key Return
    dialog_closes "Enter Data"
    wait_until 5 '[[ "$(line "$data/lastdata.vkt" 2)" == 1985 ]]' || fail "year $(line "$data/lastdata.vkt" 2)"
    [[ $(head -n 2 "$data/lastdata.vkt") == $'4002\r\n1985\r' ]] || fail "not CR LF lines"
    wait_for 5 report_leaves "$before" || fail "the report was not redrawn"
    after=$(report_digest)
    # The report drawn is the one of the new chart, as a new run from the file shows it.
    xdotool windowfocus --sync "$main"
    xdotool key --delay 400 alt+f c
    wait_until 5 '[[ -n $(xdotool search --onlyvisible --name "^Tarvella$" | grep -vx "$main") ]]' ||
        fail "a changed document closed without a question"
    stop_all
    start
    wait_for_report
    wait_for 5 report_becomes "$after" || fail "the report after the dialog differs from a new run's"
    ;;
enter_data_refused)
    # A 31 February and a year before the Sun table are refused; nothing changes.
    fresh_chart 2 4
    start
    wait_for_report
    before=$(report_digest)
    open_dialog ctrl+d "Enter Data"
    xdotool type 31
    xdotool key Return
    message_shown "Please enter an integer between 1 and 28."
    # The day is selected again: typing replaces it.
    xdotool windowfocus --sync "$dialog"
    xdotool type 4
    xdotool key Tab
    xdotool type 1800
    xdotool key Return
    message_shown "Please enter an integer between 1801 and 2098."
    [[ -n $(xdotool search --onlyvisible --name "^Enter Data$") ]] || fail "the dialog closed"
    xdotool windowfocus --sync "$dialog"
    xdotool key Escape
    dialog_closes "Enter Data"
    sleep 0.3
    cmp -s "$data/lastdata.vkt" "$home/original.vkt" || fail "the chart file changed"
    report_becomes "$before" || fail "the report changed"
    closes_without_question || fail "the document was marked modified"
    ;;
enter_data_unchanged)
    # OK without a change writes the same bytes and leaves the document unmodified.
    fresh_chart 4 4
    start
    wait_for_report
    before=$(report_digest)
    open_dialog ctrl+d "Enter Data"
    xdotool key Return
    dialog_closes "Enter Data"
    sleep 0.3
    cmp -s "$data/lastdata.vkt" "$home/original.vkt" || fail "the chart file changed"
    report_becomes "$before" || fail "the report changed"
    closes_without_question || fail "the document was marked modified"
    ;;
ayanamsa_named)
    fresh_chart 4 4
    start
    wait_for_report
    before=$(report_digest)
    cp "$data/pref.vkp" "$home/pref.vkp"
    # Cancel after choosing: nothing changes.
    open_dialog ctrl+a "Choose Ayanamsa"
    xdotool key Down Escape
    dialog_closes "Choose Ayanamsa"
    sleep 0.3
    cmp -s "$data/pref.vkp" "$home/pref.vkp" || fail "Cancel wrote the preferences"
    report_becomes "$before" || fail "Cancel changed the report"
    # Raman, the choice after Lahiri.
    open_dialog ctrl+a "Choose Ayanamsa"
    xdotool key Down Return
    dialog_closes "Choose Ayanamsa"
    wait_until 5 '[[ "$(line "$data/pref.vkp" 4)" == -87.000000 ]]' || fail "deviation $(line "$data/pref.vkp" 4)"
    [[ $(line "$data/pref.vkp" 5),$(line "$data/pref.vkp" 6) == -1,1 ]] || fail "sign or choice"
    wait_for 5 report_leaves "$before" || fail "the report was not redrawn"
    after=$(report_digest)
    # The Sun positions shown are those of the new ayanamsa, as a new run computes them.
    stop_all
    start
    wait_for_report
    wait_for 5 report_becomes "$after" || fail "the report differs from a new run's"
    ;;
ayanamsa_custom)
    # Degrees beyond a full circle are refused; a minus sign alone on the way to "-5" is no
    # obstacle, and the choice becomes custom.
    fresh_chart 4 4
    start
    wait_for_report
    open_dialog ctrl+a "Choose Ayanamsa"
    xdotool key Tab
    xdotool type 400
    xdotool key Return
    message_shown "Please enter a number between -360 and 360."
    # The degrees are selected again: typing replaces them.
    xdotool windowfocus --sync "$dialog"
    xdotool type -- -5
    xdotool key Return
    dialog_closes "Choose Ayanamsa"
    expected=$(printf '%s\r\n' 4003 0 0 -300.000000 1 7 -5.000000 0.000000 0.000000)
    wait_until 5 '[[ "$(cat "$data/pref.vkp")" == "$expected" ]]' ||
        fail "preferences $(tr '\r\n' ' ' <"$data/pref.vkp")"
    ;;
ayanamsa_every_window)
    # Two documents on one chart: the ayanamsa changed in the second shows in the first as well.
    fresh_chart 4 4
    start
    wait_for_report
    xdotool windowfocus --sync "$main"
    xdotool key ctrl+n
    wait_until 5 '[[ "$(xdotool getwindowname "$main")" == "Tarvella - VKT2" ]]' || fail "no second document"
    open_dialog ctrl+a "Choose Ayanamsa"
    xdotool key Down Return
    dialog_closes "Choose Ayanamsa"
    wait_until 5 '[[ "$(line "$data/pref.vkp" 4)" == -87.000000 ]]' || fail "not saved"
    sleep 0.3
    second=$(report_digest)
    xdotool windowfocus --sync "$main"
    xdotool key --delay 400 alt+f c
    wait_until 5 '[[ "$(xdotool getwindowname "$main")" == "Tarvella - VKT1" ]]' || fail "VKT1 not shown"
    wait_for 5 report_becomes "$second" || fail "the first window shows another report"
    ;;
ayanamsa_unsaved)
    # A preference file that cannot be written is reported, and the old one stays whole.
    fresh_chart 4 4
    start
    wait_for_report
    stop_all
    # Ended by a signal, that run may have kept its document; only this run's files count here.
    rm -rf "$data/recovered"
    cp "$data/pref.vkp" "$home/pref.vkp"
    mkfifo "$home/messages"
    cat "$home/messages" >>"$home/stderr" &
    (ulimit -f 0 && exec "$program" --messages-to-stderr --no-splash 2>"$home/messages") &
    pids+=($!)
    wait_for_report
    open_dialog ctrl+a "Choose Ayanamsa"
    xdotool key Down Return
    dialog_closes "Choose Ayanamsa"
    wait_for 5 grep -qF "Could not save the file \"$data/pref.vkp\"" "$home/stderr" ||
        fail "no message: $(cat "$home/stderr")"
    cmp -s "$data/pref.vkp" "$home/pref.vkp" || fail "the old file was changed"
    [[ $(ls "$data") == $'lastdata.vkt\npref.vkp' ]] || fail "files left behind: $(ls "$data")"
    ;;
zone_by_name)
    # Born at 0:30 on the night the clocks went back in London.
    mkdir -p "$data"
    printf '%s\r\n' 4002 1999 10 31 0 30.000000 1 3 0.000000 3.000000 1999 8 22 12 10.000000 1 \
        4 0.000000 4.000000 1 1999 4 5 9 1 4 >"$data/lastdata.vkt"
    start
    wait_for_report
    open_dialog ctrl+d "Enter Data"
    xdotool key Tab Tab  # the birth hour
    choose_in_chooser Europe/London
    xdotool windowfocus --sync "$dialog"
    sleep 0.3
    # Still summer time at 0:30; 1:30 happens twice, and OK will not guess which.
    xdotool key ctrl+a
    xdotool type 1
    xdotool key Return
    message_shown "1:30 on 31 Oct 1999 happens twice in Europe/London: at 1:00 E (daylight saving) and at 0:00 E. Choose one."
    # At 3:00 the offset follows the date and time: Greenwich time. Opened again, the dialog
    # still has London picked, and a day back it is summer time again.
    for step in "3 5 0 0 0.000000 -0.000000" "30 4 0 1 0.000000 -1.000000"; do
        read -r value line_number zone <<<"$step"
        [[ $value == 30 ]] && open_dialog ctrl+d "Enter Data"
        xdotool key ctrl+a
        xdotool type "$value"
        xdotool key Return
        dialog_closes "Enter Data"
        wait_until 5 '[[ "$(line "$data/lastdata.vkt" $line_number)" == $value ]]' ||
            fail "$value: line $line_number is $(line "$data/lastdata.vkt" "$line_number")"
        [[ $(birth_zone_lines) == "$zone " ]] || fail "$value: birth zone $(birth_zone_lines)"
    done
    # The same zone from the command line gives the same report.
    "$cli" report "$data/lastdata.vkt" >"$home/typed.txt"
    sed -i '7,10c\1\r\n5\r\n0.000000\r\n5.000000\r' "$data/lastdata.vkt"
    "$cli" report "$data/lastdata.vkt" --birth-zone Europe/London | cmp -s - "$home/typed.txt" ||
        fail "the command line gave another report"
    ;;
place_by_name)
    # Born in Pune on 4 Apr 1970 at 17:50, the zone typed wrong.
    mkdir -p "$data"
    printf '%s\r\n' 4002 1970 4 4 17 50.000000 1 3 0.000000 3.000000 1999 8 22 12 10.000000 1 \
        4 0.000000 4.000000 1 1999 4 5 9 1 4 >"$data/lastdata.vkt"
    start
    wait_for_report
    open_dialog ctrl+d "Enter Data"
    choose_in_chooser Pune
    xdotool windowfocus --sync "$dialog"
    sleep 0.3
    xdotool key Return
    dialog_closes "Enter Data"
    wait_until 5 '[[ $(birth_zone_lines) == "0 5 30.000000 -5.500000 " ]]' ||
        fail "Pune in 1970: birth zone $(birth_zone_lines)"
    # Opened again, Pune is still picked: in 1850 its own mean time, 4:55:25 E, follows the year.
    open_dialog ctrl+d "Enter Data"
    xdotool key Tab ctrl+a
    xdotool type 1850
    xdotool key Return
    dialog_closes "Enter Data"
    wait_until 5 '[[ $(line "$data/lastdata.vkt" 2) == 1850 ]]' || fail "year $(line "$data/lastdata.vkt" 2)"
    [[ $(birth_zone_lines) == "0 4 55.416667 -4.923611 " ]] || fail "Pune in 1850: birth zone $(birth_zone_lines)"
    # The place from the command line gives the same report.
    "$cli" report "$data/lastdata.vkt" >"$home/picked.txt"
    sed -i '7,10c\1\r\n3\r\n0.000000\r\n3.000000\r' "$data/lastdata.vkt"
    "$cli" report "$data/lastdata.vkt" --birth-place Poona | cmp -s - "$home/picked.txt" ||
        fail "the command line gave another report"
    ;;
*)
    fail "no test $test"
    ;;
esac
echo "PASS: $test"
