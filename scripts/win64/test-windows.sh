#!/usr/bin/env bash
# make test-windows: the Windows build under Wine, in a fresh Wine prefix: the unit tests; the
# reports of tarvella-cli.exe against the Linux tarvella-cli, byte for byte, for random charts at
# every level, and its periods, zones and places; the zip's file-type command; PNG through
# wxWidgets; the program on Xvfb (see tests/windows/gui.sh); and the installer (see
# tests/windows/installer.sh).
set -euo pipefail
# One X display for the whole run: Wine's desktop process, started with the prefix, keeps the
# display it started with.
if [[ -z ${TARVELLA_WINDOWS_DISPLAY:-} ]]; then
  TARVELLA_WINDOWS_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" "$@"
fi
top=$(cd "$(dirname "$0")/../.." && pwd)
cd "$top"
build=${BUILD_WIN64:-build-win64}
native=${BUILD:-build}
charts=${TARVELLA_WINDOWS_CHARTS:-200}
export WINEDEBUG=-all WINEPREFIX=$top/$build/wineprefix
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rm -rf "$WINEPREFIX"
wine wineboot -i >/dev/null 2>&1 || true

passed=0 failed=0
ok() { echo "ok: $1"; passed=$((passed + 1)); }
bad() { echo "FAILED: $1"; failed=$((failed + 1)); }

# The unit tests, in one run: each start under Wine costs a second.
# A test that fails is run once more on its own and its first failure shown: a child process
# that Wine lost now and then tells apart from a fault.
if (cd "$build" && wine bin/unit_tests.exe --gtest_brief=1 >"$work/unit.log" 2>&1); then
  ok "unit tests under Wine: $(grep -Eo '[0-9]+ tests? from [0-9]+ test suites? ran' "$work/unit.log")"
else
  cat "$work/unit.log"
  failing=$(sed -n 's/^\[  FAILED  \] \([A-Za-z0-9_.\/]*\) (.*/\1/p' "$work/unit.log" | paste -sd:)
  if [[ -n $failing ]] &&
     (cd "$build" && wine bin/unit_tests.exe --gtest_brief=1 "--gtest_filter=$failing" >"$work/unit-again.log" 2>&1); then
    ok "unit tests under Wine: $(grep -Eo '[0-9]+ tests? from [0-9]+ test suites? ran' "$work/unit.log") ($failing failed once, above, and passed when run again)"
  else
    cat "$work/unit-again.log" 2>/dev/null || true
    bad "unit tests under Wine"
  fi
fi

# Reports at all six levels of random charts, each under a random ayanamsa, as one batch file:
# one cmd.exe for all the runs.
tests/windows/random_charts.sh "$work/charts" "$charts" 16
mkdir -p "$work/linux" "$work/windows"
cli=$(winepath -w "$build/bin/tarvella-cli.exe")
charts_w=$(winepath -w "$work/charts")
windows_w=$(winepath -w "$work/windows")
RANDOM=61
for ((i = 1; i <= charts; ++i)); do
  for level in 1 2 3 4 5 6; do
    args="report $work/charts/chart-$i.vkt --level $level --ayanamsa $((RANDOM % 7))"
    "$native/bin/tarvella-cli" $args >"$work/linux/$i-$level.txt"
    echo "${args//$work\/charts\//$charts_w\\}" >"$work/linux/$i-$level.args"
    echo "\"$cli\" $(cat "$work/linux/$i-$level.args") > $windows_w\\$i-$level.txt 2> $windows_w\\$i-$level.err"
    # The redirection first: "echo 1> f" would redirect handle 1 and write "ECHO is on".
    echo "> $windows_w\\$i-$level.status echo %ERRORLEVEL%"
  done
done | sed 's/$/\r/' >"$work/reports.bat"
wine cmd /c "$(winepath -w "$work/reports.bat")" >/dev/null 2>&1 || true
differ=0 again=0
for f in "$work/linux"/*.txt; do
  name=$(basename "$f" .txt)
  cmp -s "$f" "$work/windows/$name.txt" && continue
  # Run once more on its own, so that a run Wine lost tells apart from a report that differs.
  first="status $(tr -d '\r ' <"$work/windows/$name.status"), $(stat -c %s "$work/windows/$name.txt") bytes, \
standard error \"$(tr -d '\r' <"$work/windows/$name.err")\""
  if wine "$build/bin/tarvella-cli.exe" $(cat "$work/linux/$name.args") >"$work/again.txt" 2>/dev/null &&
     cmp -s "$f" "$work/again.txt"; then
    again=$((again + 1))
    echo "note: report $name differed on its first run under Wine ($first) and matched when run again"
  else
    differ=$((differ + 1))
    if ((differ <= 3)); then
      echo "report $name: $first"
      diff <(cat -A "$f") <(cat -A "$work/again.txt") | head -5 || true
    fi
  fi
done
if [[ $differ -eq 0 ]]; then
  ok "tarvella-cli.exe report: $((charts * 6)) reports of $charts random charts byte for byte as on Linux$( ((again == 0)) || echo " ($again only when run again)")"
else
  bad "tarvella-cli.exe report: $differ of $((charts * 6)) reports differ from Linux"
fi

# The period tree, the zones and the places, which read the zone database the zip carries: a third of the
# charts in each format down to the sub-sub-periods, some of them with named zones, and the zone
# list, whole and searched; standard error too, where a named zone cannot give the local time.
zones=(Asia/Kolkata Europe/London America/New_York Australia/Sydney)
formats=(csv json ics)
periods=$((charts / 4))
for ((i = 1; i <= periods; ++i)); do
  args="periods $work/charts/chart-$i.vkt --depth 3 --format ${formats[i % 3]}"
  ((i % 2 == 0)) && args+=" --birth-zone ${zones[i % 4]} --event-zone ${zones[(i + 1) % 4]}"
  echo "$args"
done >"$work/periods.args"
printf '%s\n' "zones" "zones India" "zones london" "periods --depth 5 --format csv" >>"$work/periods.args"
# Places, which read the places file the zip carries: lists with diacritics and namesakes,
# reports and periods by place (a former name, a fuller text, coordinates), and the errors of an
# ambiguous and an unknown place. Each text is one word for the batch file.
printf '%s\n' "places pune" "places paulo" "places Springfield" "places Bombay" \
  "report --birth-place Poona --event-place Springfield,Missouri --level 6" \
  "periods $work/charts/chart-1.vkt --depth 2 --birth-place Springfield,37.215,-93.298" \
  "report --birth-place Springfield" "report --event-place Xqzzyville" >>"$work/periods.args"
# The timeline's SVG, whole and over a day, and the periods running at an instant.
printf '%s\n' "timeline $work/charts/chart-1.vkt --at 2026-12-10T00:00:00Z" \
  "timeline --from 1999-08-22T00:00Z --to 1999-08-23T00:00Z --width 900 --at 1999-08-22T12:00Z" \
  "now --at 1999-08-22T12:00:00Z" "now $work/charts/chart-2.vkt --at 2001-05-01T00:00Z --format json" \
  >>"$work/periods.args"
i=0
while read -r args; do
  i=$((i + 1))
  status=0
  "$native/bin/tarvella-cli" $args >"$work/linux/p$i.out" 2>"$work/linux/p$i.err" || status=$?
  echo "$status" >"$work/linux/p$i.status"
  echo "\"$cli\" ${args//$work\/charts\//$charts_w\\} > $windows_w\\p$i.out 2> $windows_w\\p$i.err"
  echo "> $windows_w\\p$i.status echo %ERRORLEVEL%"
done <"$work/periods.args" >"$work/periods.lines"
sed 's/$/\r/' "$work/periods.lines" >"$work/periods.bat"
wine cmd /c "$(winepath -w "$work/periods.bat")" >/dev/null 2>&1 || true
differ=0
for ((j = 1; j <= i; ++j)); do
  same=1
  # A calendar is stamped with the moment it was written.
  cmp -s <(grep -av '^DTSTAMP:' "$work/linux/p$j.out") <(grep -av '^DTSTAMP:' "$work/windows/p$j.out") ||
    same=
  # cmd writes its own line end after the status and the messages have theirs.
  cmp -s <(tr -d '\r' <"$work/linux/p$j.err") <(tr -d '\r' <"$work/windows/p$j.err") || same=
  [[ $(cat "$work/linux/p$j.status") == $(tr -d '\r ' <"$work/windows/p$j.status") ]] || same=
  if [[ -z $same ]]; then
    differ=$((differ + 1))
    [[ $differ -le 3 ]] && { echo "differs: $(sed -n "${j}p" "$work/periods.args")";
      diff <(head -c 2000 "$work/linux/p$j.out"; cat "$work/linux/p$j.err") \
        <(head -c 2000 "$work/windows/p$j.out"; cat "$work/windows/p$j.err") | head -5 || true; }
  fi
done
if [[ $differ -eq 0 ]]; then
  ok "tarvella-cli.exe periods, zones, places, timeline and now: $i runs ($periods charts in three formats, half with named zones; the zone list; depth 5; places listed and reported by; the timeline's SVG; the periods at an instant) byte for byte as on Linux"
else
  bad "tarvella-cli.exe periods, zones, places, timeline and now: $differ of $i runs differ from Linux"
fi

# The zip as a user unpacks it: the file type registered for this user points into it.
zip=$(ls -t dist/tarvella-*-win64.zip | head -1)
unzip -q "$zip" -d "$work/unzipped"
folder=$(ls -d "$work/unzipped"/tarvella-*-win64)
wine cmd /c "$(winepath -w "$folder/register-vkt.cmd")" >"$work/register.log" 2>&1 || true
command=$(wine reg query 'HKCU\Software\Classes\VKT.Data\shell\open\command' /ve 2>/dev/null |
  tr -d '\r' || true)
expected="\"$(winepath -w "$folder/bin/tarvella.exe")\" \"%1\""
if [[ $command == *"$expected"* ]]; then
  ok "register-vkt.cmd: *.vkt opens $expected"
else
  cat "$work/register.log"
  bad "register-vkt.cmd: the open command is \"$command\", not $expected"
fi
if wine "$folder/bin/tarvella-cli.exe" report >"$work/zip-report.txt" 2>&1 &&
   cmp -s "$work/zip-report.txt" <("$native/bin/tarvella-cli" report); then
  ok "the unpacked zip's tarvella-cli.exe finds its Sun table and reports"
else
  bad "the unpacked zip's tarvella-cli.exe"
fi
if wine "$folder/bin/tarvella-cli.exe" report --birth-place Poona >"$work/zip-place.txt" 2>&1 &&
   cmp -s "$work/zip-place.txt" <("$native/bin/tarvella-cli" report --birth-place Poona); then
  ok "the unpacked zip's tarvella-cli.exe finds its places file"
else
  bad "the unpacked zip's tarvella-cli.exe with --birth-place: $(head -c 300 "$work/zip-place.txt")"
fi

# PNG through wxWidgets' own handler, which needs the cross-built libpng and zlib; Linux reads the
# file as the PNG it wrote.
png=$work/check.png
if (cd "$build" && wine bin/png_check.exe "$(winepath -w "$png")" >"$work/png.log" 2>&1) &&
   [[ $(identify -format '%m %w %h %A' "$png" 2>/dev/null) == "PNG 67 45 "@(True|Blend) ]]; then
  ok "png_check.exe: $(tr -d '\r' <"$work/png.log"), and Linux reads it as a 67x45 PNG with alpha"
else
  cat "$work/png.log"
  bad "png_check.exe: PNG under Wine ($(identify "$png" 2>&1 | head -c 200))"
fi

# The program itself on a virtual display.
if tests/windows/gui.sh "$build" "$folder" "$work/gui"; then
  ok "tarvella.exe on Xvfb (tests/windows/gui.sh)"
else
  bad "tarvella.exe on Xvfb (tests/windows/gui.sh)"
fi

# The installer, into a prefix of its own, so that whatever it leaves shows.
setup=$(ls -t dist/tarvella-*-win64-setup.exe | head -1)
if WINEPREFIX=$top/$build/wineprefix-setup tests/windows/installer.sh "$setup" "$folder" \
     "$work/charts" "$work/installer"; then
  ok "$(basename "$setup"): silent install, the installed tarvella-cli.exe as on Linux, the file type, the Start menu entry, a chart opened by the registered command, silent uninstall leaving only the user's data (tests/windows/installer.sh)"
else
  bad "$(basename "$setup") (tests/windows/installer.sh)"
fi

echo "windows: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
