#!/usr/bin/env bash
# Copy as plain text and the mail commands, in the real program on the X display that xvfb-run
# gives, with a fresh home. Mail goes to a stand-in xdg-email that records its arguments and a
# copy of the attachment.
#   export_test.sh TEST PROGRAM PIXEL_PROBE CLI
set -euo pipefail
test=$1 program=$(realpath "$2") probe=$(realpath "$3") cli=$(realpath "$4")

source "$(dirname "$0")/lib.sh"
start_flags=(--no-splash)
export TMPDIR=$home/tmp
mkdir -p "$TMPDIR" "$data"
# The stand-in's record: one numbered directory a call, with its arguments and the attachment.
export MAIL_DIR=$home/mail
mkdir -p "$MAIL_DIR" "$home/bin"
cat >"$home/bin/xdg-email" <<'EOF'
#!/bin/sh
PATH=/usr/bin:/bin
n=$(ls "$MAIL_DIR" | wc -l)
mkdir "$MAIL_DIR/$n.part"
printf '%s\n' "$@" >"$MAIL_DIR/$n.part/args"
[ "$1" = --attach ] && cp "$2" "$MAIL_DIR/$n.part/"
mv "$MAIL_DIR/$n.part" "$MAIL_DIR/$n"
exit "${MAIL_STATUS:-0}"
EOF
chmod +x "$home/bin/xdg-email"
mail_path=$home/bin:$PATH

# The report the command-line tool prints for the chart file and the program's preferences.
expected_report() { "$cli" report "$1" --pref "$data/pref.vkp"; }

# Types keys into the main window named $1 (a pattern).
keys_to() {
    local main
    main=$(xdotool search --onlyvisible --name "$1" | head -1)
    [[ -n $main ]] || fail "no window named $1"
    xdotool windowfocus --sync "$main"
    shift
    xdotool key "$@"
}

# Waits for the stand-in's call number $1 and checks it was given one attachment named $2.
mail_call() {
    wait_for 5 test -d "$MAIL_DIR/$1" || fail "no mail call $1: $(cat "$home/stderr")"
    [[ $(line "$MAIL_DIR/$1/args" 1) == --attach && $(wc -l <"$MAIL_DIR/$1/args") == 2 ]] ||
        fail "arguments of call $1: $(cat "$MAIL_DIR/$1/args")"
    attached=$(line "$MAIL_DIR/$1/args" 2)
    [[ $(basename "$attached") == "$2" && $attached == "$TMPDIR"/* ]] ||
        fail "call $1 attached $attached"
    copy=$MAIL_DIR/$1/$2
}

# Clicks the link to the level above (row 13 of the report) and waits until it is redrawn.
click_level_up() {
    local level
    level=$(line "$data/lastdata.vkt" 26)
    xdotool mousemove $(( origin_x + 250 )) $(( origin_y + 410 )) click 1
    wait_until 5 '[[ "$(line "$data/lastdata.vkt" 26)" == $(( level - 1 )) ]]' || fail "no level up"
    sleep 0.5
}

copied_message="Copied in plain text format!: Successfully copied what is on the screen to the clipboard"

case $test in
copies_plain_text)
    chart_text 1999 2 >"$data/lastdata.vkt"
    start
    wait_for_report
    keys_to "^Tarvella - VKT1$" ctrl+c
    wait_for 5 grep -qx "$copied_message" "$home/stderr" || fail "message: $(cat "$home/stderr")"
    rest=$(grep -A3 -x "$copied_message" "$home/stderr" | tail -3 | tr '\n' '|')
    [[ $rest == 'in plain text format.||You can "paste" it to any program that accepts plain text.|' ]] ||
        fail "message: $(cat "$home/stderr")"
    # Read by another program while this one still owns the clipboard.
    timeout 5 xclip -o -selection clipboard >"$home/clip"
    expected_report "$data/lastdata.vkt" >"$home/expected"
    cmp "$home/clip" "$home/expected" || fail "clipboard: $(cat -A "$home/clip" | head -5)"

    # After a redraw at another level the clipboard takes the new report.
    click_level_up
    keys_to "^Tarvella - VKT1$" ctrl+c
    wait_until 5 '[[ "$(grep -cx "$copied_message" "$home/stderr")" == 2 ]]' || fail "no second copy"
    timeout 5 xclip -o -selection clipboard >"$home/clip"
    expected_report "$data/lastdata.vkt" >"$home/expected"
    cmp "$home/clip" "$home/expected" || fail "clipboard after the level changed"
    ;;
mails_untitled_document)
    chart_text 1999 2 >"$data/lastdata.vkt"
    PATH=$mail_path start
    wait_for_report
    keys_to "^Tarvella - VKT1$" ctrl+e
    mail_call 0 Tarvella.txt
    first=$attached
    expected_report "$data/lastdata.vkt" >"$home/expected"
    cmp "$copy" "$home/expected" || fail "text attachment: $(cat -A "$copy" | head -5)"

    # A shorter report next: the attachment holds it alone, without a zero or the rest of the
    # longer one, and the first attachment is still there for its mail.
    click_level_up
    keys_to "^Tarvella - VKT1$" ctrl+e
    mail_call 1 Tarvella.txt
    expected_report "$data/lastdata.vkt" >"$home/expected"
    cmp "$copy" "$home/expected" || fail "second text attachment: $(cat -A "$copy" | tail -3)"
    [[ $(tr -d '\0' <"$copy" | wc -c) == $(wc -c <"$copy") ]] || fail "a zero in the attachment"
    [[ $attached != "$first" ]] && cmp -s "$first" "$MAIL_DIR/0/Tarvella.txt" ||
        fail "the first attachment is gone or changed"

    # The data file of a document never saved: its chart as it is now.
    keys_to "^Tarvella - VKT1$" ctrl+m
    mail_call 2 VKT1.vkt
    cmp "$copy" "$data/lastdata.vkt" || fail "data attachment: $(cat -A "$copy" | head -3)"
    [[ $(line "$copy" 26) == 1 ]] || fail "data attachment at level $(line "$copy" 26)"

    # Still VKT1, still modified by the click: closing it asks first, in a box of its own (the
    # main window, too, is called "Tarvella" once the document is closed).
    main=$(xdotool search --onlyvisible --name "^Tarvella - VKT1$" | head -1)
    [[ -n $main ]] || fail "title changed"
    question() { xdotool search --onlyvisible --name "^Tarvella$" | grep -vx "$main"; }
    asked=
    for _ in 1 2 3; do
        sleep 0.5
        keys_to "^Tarvella - VKT1$" --delay 400 Escape alt+f c
        if wait_for 4 question >/dev/null; then
            asked=1
            break
        fi
        [[ $(xdotool getwindowname "$main") == "Tarvella - VKT1" ]] || fail "closed without asking"
    done
    [[ -n $asked ]] || fail "Close did not come"
    ! grep -q "Send Mail" "$home/stderr" || fail "message: $(cat "$home/stderr")"
    ;;
mails_opened_document)
    mkdir -p "$home/d"
    chart_text 1999 2 >"$home/d/chart.vkt"
    cp "$home/d/chart.vkt" "$home/original.vkt"
    PATH=$mail_path "$program" --messages-to-stderr --no-splash "$home/d/chart.vkt" \
        2>>"$home/stderr" &
    pid=$!
    pids+=($pid)
    wait_for_report
    keys_to "^Tarvella - chart.vkt$" ctrl+e
    mail_call 0 chart.txt
    expected_report "$home/d/chart.vkt" >"$home/expected"
    cmp "$copy" "$home/expected" || fail "text attachment"
    keys_to "^Tarvella - chart.vkt$" ctrl+m
    mail_call 1 chart.vkt
    cmp "$copy" "$home/original.vkt" || fail "data attachment"
    [[ -f $attached ]] || fail "the attachment went while the program runs"
    cmp -s "$home/d/chart.vkt" "$home/original.vkt" && [[ $(ls "$home/d") == chart.vkt ]] ||
        fail "the document's file was touched: $(ls "$home/d")"

    # Still unmodified: Exit asks nothing, and takes the attachments with it. The menu is tried
    # again when a busy machine lost the keys.
    for _ in 1 2 3; do
        sleep 0.5
        keys_to "^Tarvella - chart.vkt$" --delay 400 Escape alt+f x
        wait_until 4 '! kill -0 $pid 2>/dev/null' && break
        [[ -z $(xdotool search --onlyvisible --name "^Tarvella$") ]] || fail "Exit asked to save"
    done
    kill -0 "$pid" 2>/dev/null && fail "still running after Exit"
    status=0
    wait "$pid" || status=$?
    [[ $status == 0 ]] || fail "exit code $status: $(cat "$home/stderr")"
    [[ -z $(ls -A "$TMPDIR") ]] || fail "left behind: $(find "$TMPDIR")"
    ;;
mail_failure)
    MAIL_STATUS=3 PATH=$mail_path start
    wait_for_report
    keys_to "^Tarvella - VKT1$" ctrl+m
    mail_call 0 VKT1.vkt
    wait_for 5 grep -qx "Tarvella: Send Mail failed to send message." "$home/stderr" ||
        fail "message: $(cat "$home/stderr")"
    ;;
no_mail_program)
    # xdg-email comes onto the PATH only after the start: the commands were never made.
    mkdir -p "$home/later"
    PATH=$home/later start
    wait_for_report
    cp "$home/bin/xdg-email" "$home/later/"
    keys_to "^Tarvella - VKT1$" ctrl+e ctrl+m
    # Copy still works, and shows that the keys reached the window.
    keys_to "^Tarvella - VKT1$" ctrl+c
    wait_for 5 grep -qx "$copied_message" "$home/stderr" || fail "no copy: $(cat "$home/stderr")"
    sleep 0.5
    ! grep -qi "mail" "$home/stderr" || fail "message: $(cat "$home/stderr")"
    [[ -z $(ls -A "$MAIL_DIR") && -z $(ls -A "$TMPDIR") ]] || fail "mailed without xdg-email"
    ;;
*)
    fail "no test $test"
    ;;
esac
echo "PASS: $test"
