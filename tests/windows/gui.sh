#!/usr/bin/env bash
# gui.sh BUILD_WIN64 UNPACKED_ZIP WORK: tarvella.exe under Wine on an Xvfb display: it paints
# the default chart's report, takes a chart that a later start hands over, opens "Enter Data"
# and "Choose Ayanamsa", shows the timeline, and Exit ends it with status 0; without its Sun table it gives the fatal message and status 0. Runs on the display
# and in the WINEPREFIX it is given: Wine's desktop keeps the display its prefix started on.
set -euo pipefail
build=$1 folder=$(realpath "$2") work=$3
top=$(cd "$(dirname "$0")/../.." && pwd)
probe=$top/${BUILD:-build}/tests/pixel_probe
program=$folder/bin/tarvella.exe
mkdir -p "$work"
shot=$work/screen.ppm
caption="0 100 100"
pid=
trap '[[ -n $pid ]] && kill "$pid" 2>/dev/null; true' EXIT
fail() { echo "FAIL: $*" >&2; cat "$work/stderr" >&2 2>/dev/null || true; exit 1; }
wait_until() { local tries=$(($1 * 10)); for _ in $(seq 1 "$tries"); do eval "$2" && return 0; sleep 0.1; done; return 1; }
appdata=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')")

# Without its table beside it: the message, before any window, and status 0.
mkdir -p "$work/lone/bin"
cp "$program" "$work/lone/bin/"
status=0
timeout 60 wine "$work/lone/bin/tarvella.exe" --messages-to-stderr 2>"$work/lone.err" || status=$?
[[ $status == 0 ]] || fail "without the Sun table: exit code $status"
grep -q "^Terminating program: Fatal error! An important file is missing in the windows system directory! Reload program.$" <(tr -d '\r' <"$work/lone.err") ||
  fail "without the Sun table: $(cat "$work/lone.err")"

# The default chart's report, in its colours.
wine "$program" --messages-to-stderr --no-splash 2>"$work/stderr" &
pid=$!
found=
for _ in $(seq 1 200); do
  import -window root -depth 8 "ppm:$shot"
  read -r count _ _ _ _ < <("$probe" "$shot" $caption)
  if ((count > 50)); then found=1; break; fi
  sleep 0.2
done
[[ -n $found ]] || fail "no report on the screen"
read -r rows _ _ _ _ < <("$probe" "$shot" 200 0 0 60)
((rows > 50)) || fail "no rows in their colour"
[[ -f $appdata/Tarvella/lastdata.vkt && -f $appdata/Tarvella/pref.vkp ]] ||
  fail "no data files in $appdata/Tarvella"
# Windows names the maximised child after the frame: "Tarvella - VKT1 - [VKT1]".
main=$(xdotool search --onlyvisible --name "^Tarvella - VKT1" | head -1 || true)
[[ -n $main ]] || fail "no main window named Tarvella - VKT1"

# A later start hands its chart to the running copy over DDE and ends with status 0.
printf '%s\r\n' 4002 1970 4 4 17 50.000000 0 5 30.000000 -5.500000 1999 8 22 12 10.000000 1 4 \
  0.000000 4.000000 1 1999 4 5 9 1 2 >"$work/handed.vkt"
status=0
timeout 60 wine "$program" --messages-to-stderr "$(winepath -w "$work/handed.vkt")" \
  2>>"$work/later.err" || status=$?
[[ $status == 0 ]] || fail "the later start ended with $status: $(cat "$work/later.err")"
wait_until 15 '[[ $(xdotool getwindowname "$main") == "Tarvella - handed.vkt"* ]]' ||
  fail "the running copy shows $(xdotool getwindowname "$main"), not the chart handed over"

for pair in "ctrl+d:Enter Data" "ctrl+a:Choose Ayanamsa"; do
  key=${pair%%:*} title=${pair#*:}
  xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
  xdotool key "$key"
  dialog=
  wait_until 10 'dialog=$(xdotool search --onlyvisible --name "^$title\$" | head -1); [[ -n $dialog ]]' ||
    fail "no dialog \"$title\""
  xdotool windowfocus --sync "$dialog"
  sleep 0.5
  xdotool key Escape
  wait_until 10 '[[ -z $(xdotool search --onlyvisible --name "^$title\$") ]]' ||
    fail "the dialog \"$title\" stayed open"
done

# View > Timeline below the report of the chart handed over (its PDs of the 1st AD): the MD's
# band and the marked bands of the report's periods in their colours.
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
sleep 0.5
xdotool key ctrl+t
timeline_in() { import -window root -depth 8 "ppm:$shot"; "$probe" "$shot" "$@" | cut -d' ' -f1; }
wait_until 15 '(( $(timeline_in 250 228 178) > 1000 && $(timeline_in 255 214 90) > 100 ))' ||
  { import -window root "$work/timeline.png"; fail "no timeline (screen: $work/timeline.png)"; }

xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
sleep 0.5
xdotool key ctrl+q  # Exit
# The untitled chart was written to the last-data file, as on Linux: "Save changes to VKT1?" No.
for _ in 1 2; do
  question=
  wait_until 5 'question=$(xdotool search --onlyvisible --name "^Tarvella$" | head -1); [[ -n $question ]]' ||
    break
  xdotool windowfocus --sync "$question" 2>/dev/null || true
  sleep 0.3
  xdotool key n
  sleep 0.5
done
wait_until 20 '! kill -0 $pid 2>/dev/null' ||
  { import -window root "$work/exit.png"; fail "still running after Exit (screen: $work/exit.png)"; }
status=0
wait "$pid" || status=$?
pid=
[[ $status == 0 ]] || fail "exit code $status after Exit"
