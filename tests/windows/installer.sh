#!/usr/bin/env bash
# installer.sh SETUP UNPACKED_ZIP CHARTS WORK: the installer as a user runs it, silently, in a
# fresh Wine prefix (WINEPREFIX): it installs the zip's folder without the register scripts into
# the user's programs folder, the installed tarvella-cli.exe reports as on Linux, the file type
# and the Start menu entry are there, the registered open command opens a chart in the installed
# tarvella.exe, and the silent uninstaller leaves nothing of the program but the user's data.
# Runs on the X display it is given.
set -euo pipefail
setup=$(realpath "$1") folder=$(realpath "$2") charts=$3 work=$4
top=$(cd "$(dirname "$0")/../.." && pwd)
native=$top/${BUILD:-build}
mkdir -p "$work"
# Wine would otherwise copy the Start menu entry and the file type into the Linux desktop of
# whoever runs the test.
export WINEDLLOVERRIDES=winemenubuilder.exe=d
pid=
trap '[[ -n $pid ]] && kill "$pid" 2>/dev/null; true' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
wait_until() { local tries=$(($1 * 10)); for _ in $(seq 1 "$tries"); do eval "$2" && return 0; sleep 0.1; done; return 1; }
reg_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
reg_default() { wine reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/^ *(Default) *REG_[A-Z_]* *//p'; }
unix_of() { winepath -u "$(wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r')"; }

rm -rf "$WINEPREFIX"
wine wineboot -i >/dev/null 2>&1 || true
status=0
wine "$setup" /S >"$work/install.log" 2>&1 || status=$?
wineserver -w
[[ $status == 0 ]] || fail "the silent install ended with $status: $(cat "$work/install.log")"
local_appdata=$(unix_of LOCALAPPDATA) appdata=$(unix_of APPDATA)
installed=$local_appdata/Programs/Tarvella
[[ -d $installed ]] || fail "nothing in $installed"

# The zip's folder, byte for byte, but the register scripts; and the uninstaller.
(cd "$folder" && find . -type f ! -name '*-vkt.cmd' | LC_ALL=C sort) >"$work/zip.files"
echo ./uninstall.exe >>"$work/zip.files"
(cd "$installed" && find . -type f | LC_ALL=C sort) >"$work/installed.files"
diff <(LC_ALL=C sort "$work/zip.files") "$work/installed.files" >&2 ||
  fail "the installed files are not the zip's"
while read -r f; do
  [[ $f == ./uninstall.exe ]] || cmp -s "$folder/$f" "$installed/$f" || fail "$f differs from the zip's"
done <"$work/installed.files"

# The installed tarvella-cli.exe finds its table, places and zones where the installer put them.
cli=$installed/bin/tarvella-cli.exe
for args in "report $charts/chart-1.vkt --level 6" "report $charts/chart-2.vkt --level 3 --ayanamsa 2" \
            "report --birth-place Poona" "periods $charts/chart-3.vkt --depth 2 --format csv" \
            "periods $charts/chart-4.vkt --depth 1 --birth-zone Asia/Kolkata --event-zone Europe/London"; do
  "$native/bin/tarvella-cli" $args >"$work/linux.txt"
  wine "$cli" ${args//$charts\//$(winepath -w "$charts")\\} >"$work/windows.txt" 2>"$work/windows.err" ||
    fail "installed tarvella-cli.exe $args: $(cat "$work/windows.err")"
  cmp -s "$work/linux.txt" "$work/windows.txt" || fail "installed tarvella-cli.exe $args differs from Linux"
done

exe_w=$(winepath -w "$installed/bin/tarvella.exe")
expect() { [[ $2 == "$3" ]] || fail "$1 is \"$2\", not \"$3\""; }
expect ".vkt" "$(reg_default 'HKCU\Software\Classes\.vkt')" "VKT.Data"
expect "VKT.Data" "$(reg_default 'HKCU\Software\Classes\VKT.Data')" "Tarvella Data"
expect "its icon" "$(reg_default 'HKCU\Software\Classes\VKT.Data\DefaultIcon')" "\"$exe_w\",1"
command=$(reg_default 'HKCU\Software\Classes\VKT.Data\shell\open\command')
expect "the open command" "$command" "\"$exe_w\" \"%1\""
uninstall='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvella'
expect "the uninstaller's name" "$(reg_value "$uninstall" DisplayName)" "Tarvella"
expect "the quiet uninstall" "$(reg_value "$uninstall" QuietUninstallString)" \
  "\"$(winepath -w "$installed/uninstall.exe")\" /S"
link=$appdata/Microsoft/Windows/Start\ Menu/Programs/Tarvella.lnk
[[ -f $link ]] || fail "no Start menu entry $link"
# A shell link holds its target's path in UTF-16.
iconv -f UTF-16LE -t UTF-8 <"$link" 2>/dev/null | grep -aqF "$exe_w" ||
  strings -a "$link" | grep -qF "$exe_w" || fail "the Start menu entry does not start $exe_w"

# The open command as Explorer runs it (Wine itself looks up no per-user file type).
cp "$charts/chart-5.vkt" "$work/opened.vkt"
opened_w=$(winepath -w "$work/opened.vkt")
program=${command#\"}
program=${program%%\"*}
wine "$program" "$opened_w" 2>"$work/gui.err" &
pid=$!
main=
wait_until 60 'main=$(xdotool search --onlyvisible --name "^Tarvella - opened.vkt" | head -1); [[ -n $main ]]' ||
  fail "the open command showed no window for opened.vkt"
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
sleep 0.5
xdotool key ctrl+q
wait_until 20 '! kill -0 $pid 2>/dev/null' || fail "the opened program did not end after Exit"
wait "$pid" || fail "the opened program ended with $?"
pid=
[[ -f $appdata/Tarvella/pref.vkp ]] || fail "the opened program kept no settings in $appdata/Tarvella"

status=0
wine "$installed/uninstall.exe" /S >"$work/uninstall.log" 2>&1 || status=$?
# The uninstaller runs from a copy of itself and returns before that copy has ended.
wineserver -w
[[ $status == 0 ]] || fail "the silent uninstall ended with $status: $(cat "$work/uninstall.log")"
[[ ! -e $installed ]] || fail "left behind: $(cd "$installed" && find . | head -5 | paste -sd' ')"
[[ ! -e $link ]] || fail "the Start menu entry is left"
for key in 'HKCU\Software\Classes\.vkt' 'HKCU\Software\Classes\VKT.Data' "$uninstall"; do
  if wine reg query "$key" >/dev/null 2>&1; then fail "the registry key $key is left"; fi
done
[[ -f $appdata/Tarvella/pref.vkp ]] || fail "the uninstaller removed the user's data"
echo "installed into $installed, uninstalled"
