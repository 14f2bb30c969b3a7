#!/usr/bin/env bash
# The one running copy: later starts facing a stopped or slow copy, a stale lock, a long home and
# odd file names, and signals that end the running copy.
#   instance_test.sh TEST PROGRAM PIXEL_PROBE
set -euo pipefail
test=$1 program=$(realpath "$2") probe=$(realpath "$3")

source "$(dirname "$0")/lib.sh"

lock=$home/.TarvellaSoftwareFromMorrowgate
socket=$lock.socket
kept=$data/recovered

alive() { kill -0 "$1" 2>/dev/null; }

# A lock file as the lock's own code writes it: the process id, a NUL, mode 0600.
write_lock() {
    printf '%d\0' "$1" >"$lock"
    chmod 600 "$lock"
}

# A later start with one file ends of itself within SECONDS; sets $status.
later_start() {  # later_start SECONDS FILE
    status=0
    (cd "$home" && timeout "$1" "$program" --messages-to-stderr --no-splash "$2") \
        2>>"$home/stderr" || status=$?
    (( status != 124 )) || fail "the later start did not end: $(cat "$home/stderr")"
}

# The later start opened FILE itself: its report shows, and the file became the last chart.
opens_itself() {
    wait_for_report
    wait_for 5 cmp -s "$1" "$data/lastdata.vkt" || fail "the file was not opened"
    [[ $(tr -d '\0' <"$lock") == "${pids[-1]}" ]] || fail "the lock names $(tr -d '\0' <"$lock")"
}

# Ends the running copy with SIGNAL; it must end by itself with exit status 0, leaving neither
# its lock nor its socket.
ends_cleanly() {  # ends_cleanly SIGNAL PID
    kill -"$1" "$2"
    wait_until 10 '! alive $2' || { kill -KILL "$2"; fail "SIG$1: still running"; }
    local code=0
    wait "$2" || code=$?
    [[ $code == 0 ]] || fail "SIG$1: exit status $code: $(cat "$home/stderr")"
    [[ ! -e $lock && ! -e $socket ]] || fail "SIG$1: left $(ls -A "$home")"
    pids=()
}

# A modified document: a click on a row divides it.
modify_document() {
    xdotool mousemove $(( origin_x + 100 )) $(( origin_y + 95 )) click 1
    wait_until 5 '[[ "$(line "$data/lastdata.vkt" 26)" == 2 ]]' || fail "the click did nothing"
}

# The document was kept whole in a file of its own, and named on standard error.
kept_as() {  # kept_as NAME
    [[ -f $kept/$1 ]] || fail "not kept: $(ls -A "$kept" 2>&1)"
    cmp -s "$kept/$1" "$data/lastdata.vkt" || fail "$1 does not hold the document"
    grep -qF "unsaved changes are kept in \"$kept/$1\"." "$home/stderr" ||
        fail "not told: $(cat "$home/stderr")"
}

case $test in
stopped_copy)
    # The running copy answers nothing: the later start says so, naming the file, and fails.
    start --no-splash
    running=${pids[-1]}
    wait_for_report
    chart_text 2001 1 >"$home/other.vkt"
    kill -STOP "$running"
    later_start 15 other.vkt
    kill -CONT "$running"
    (( status != 0 )) || fail "the later start ended with 0"
    grep -qF "does not answer" "$home/stderr" || fail "not told: $(cat "$home/stderr")"
    grep -qxF "$home/other.vkt" "$home/stderr" || fail "the file not named: $(cat "$home/stderr")"
    # Woken, it leaves the request that was given up, as the user was told.
    ! wait_for 3 cmp -s "$home/other.vkt" "$data/lastdata.vkt" ||
        fail "opened after the later start gave up"
    # And it still takes files from later starts.
    : >"$home/stderr"
    later_start 15 other.vkt
    [[ $status == 0 ]] || fail "hand-over after waking: $status: $(cat "$home/stderr")"
    wait_for 10 cmp -s "$home/other.vkt" "$data/lastdata.vkt" || fail "the file was not opened"
    ;;
stale_lock)
    chart_text 2001 1 >"$home/other.vkt"
    # The lock names a live process of another program, as after a crash and a reused id.
    sleep 60 &
    pids+=($!)
    write_lock $!
    start --no-splash "$home/other.vkt"
    opens_itself "$home/other.vkt"
    stop_all
    # It names a process with our program's name that holds no lock, beside a socket file that
    # nothing listens on: the start opens the file itself.
    rm -f "$data/lastdata.vkt" "$lock"
    mkdir -p "$home/bin"
    cp "$(command -v sleep)" "$home/bin/tarvella"
    "$home/bin/tarvella" 60 &
    pids+=($!)
    write_lock $!
    : >"$socket"
    start --no-splash "$home/other.vkt"
    opens_itself "$home/other.vkt"
    [[ -S $socket ]] || fail "the socket was not made anew"
    stop_all
    # Empty and locked by no one, as a copy leaves it that died before naming itself in it.
    rm -f "$data/lastdata.vkt"
    : >"$lock"
    chmod 600 "$lock"
    start --no-splash "$home/other.vkt"
    opens_itself "$home/other.vkt"
    [[ ! -s $home/stderr ]] || fail "$(cat "$home/stderr")"
    stop_all
    # Empty and unlocked for a moment only, as a copy leaves it that was paused between making the
    # file and locking it (a stand-in here, which then names itself, listens and keeps what it is
    # handed): the later start waits for it and hands its file over.
    rm -f "$data/lastdata.vkt" "$lock" "$socket"
    python3 -c 'import ctypes, fcntl, os, socket, sys, time
lock, sock, got, ready = sys.argv[1:]
fd = os.open(lock, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
libc = ctypes.CDLL(None)
watch = libc.inotify_init()
libc.inotify_add_watch(watch, lock.encode(), 0x10)  # IN_CLOSE_NOWRITE: the file was read
open(ready, "w").close()
os.read(watch, 4096)
time.sleep(0.6)
fcntl.lockf(fd, fcntl.LOCK_EX)
server = socket.socket(socket.AF_UNIX)
server.bind(sock)
server.listen()
os.write(fd, b"%d\0" % os.getpid())
client, _ = server.accept()
data = b""
while data != b"\0" and not data.endswith(b"\0\0"):
    part = client.recv(4096)
    if not part:
        break
    data += part
open(got, "wb").write(data)
client.sendall(b"ok\n")
time.sleep(60)' "$lock" "$socket" "$home/got" "$home/ready" &
    pids+=($!)
    wait_for 5 test -e "$home/ready" || fail "the stand-in did not start"
    : >"$home/stderr"
    later_start 15 other.vkt
    [[ $status == 0 ]] || fail "not handed over after the pause: $status: $(cat "$home/stderr")"
    cmp -s "$home/got" <(printf '%s\0\0' "$home/other.vkt") ||
        fail "the stand-in got $(od -c "$home/got")"
    stop_all
    rm -f "$socket"
    # Empty but locked, as by a copy stuck while it makes the lock: not stale, and it does not
    # answer.
    rm -f "$lock"
    python3 -c 'import fcntl, sys, time
f = open(sys.argv[1], "w"); fcntl.lockf(f, fcntl.LOCK_EX); open(sys.argv[2], "w"); time.sleep(60)' \
        "$lock" "$home/locked" &
    pids+=($!)
    wait_for 5 test -e "$home/locked" || fail "the lock was not taken"
    : >"$home/stderr"
    later_start 15 other.vkt
    (( status != 0 )) || fail "the later start ended with 0 beside a locked lock"
    grep -qF "does not answer" "$home/stderr" || fail "not told: $(cat "$home/stderr")"
    [[ -e $lock && ! -s $lock ]] || fail "the locked lock file was touched"
    ;;
slow_copy)
    # A copy that took the lock but is slow to listen, as on a loaded machine: caught between the
    # two and held longer than a later start used to wait. The later start must wait for it and
    # hand over, not take its lock.
    chart_text 2001 1 >"$home/other.vkt"
    for try in 1 2 3 4 5; do
        start --no-splash
        running=${pids[-1]}
        deadline=$(( ${EPOCHREALTIME/./} + 20000000 ))
        until [[ -s $lock ]] || (( ${EPOCHREALTIME/./} > deadline )); do :; done
        kill -STOP "$running"
        [[ -s $lock && ! -e $socket ]] && break
        kill -CONT "$running"
        stop_all
        (( try < 5 )) || fail "never caught before it listened"
        rm -rf "$lock" "$socket" "$kept"
    done
    (cd "$home" && timeout 25 "$program" --messages-to-stderr --no-splash other.vkt) \
        2>>"$home/stderr" &
    later=$!
    pids+=($later)
    sleep 5
    kill -CONT "$running"
    status=0
    wait "$later" || status=$?
    [[ $status == 0 ]] || fail "not handed over: $status: $(cat "$home/stderr")"
    wait_for 10 cmp -s "$home/other.vkt" "$data/lastdata.vkt" || fail "the file was not opened"
    alive "$running" || fail "the slow copy ended: $(cat "$home/stderr")"
    [[ $(tr -d '\0' <"$lock") == "$running" ]] || fail "the lock names $(tr -d '\0' <"$lock")"
    ;;
long_home)
    # A home too long for a socket address beside the lock: the socket goes to the private runtime
    # directory, and a later start finds it there.
    long=$home/$(printf 'a-rather-deep-home-%.0s' 1 2 3 4)
    mkdir -p "$long" "$home/run"
    chmod 700 "$home/run"
    chart_text 2001 1 >"$home/other.vkt"
    export HOME=$long XDG_RUNTIME_DIR=$home/run
    start --no-splash
    running=${pids[-1]}
    wait_for_report
    later_start 15 other.vkt
    [[ $status == 0 ]] || fail "not handed over: $status: $(cat "$home/stderr")"
    wait_for 10 cmp -s "$home/other.vkt" "$long/.local/share/tarvella/lastdata.vkt" ||
        fail "the file was not opened"
    [[ -S $(echo "$home"/run/tarvella-*.socket) ]] || fail "no socket in $(ls -A "$home/run")"
    stop_all
    # Without a runtime directory the socket goes to a private folder of the user's in /tmp.
    unset XDG_RUNTIME_DIR
    start --no-splash
    running=${pids[-1]}
    wait_for_report
    chart_text 2002 1 >"$home/third.vkt"
    : >"$home/stderr"
    later_start 15 third.vkt
    [[ $status == 0 ]] || fail "not handed over without a runtime directory: $(cat "$home/stderr")"
    wait_for 10 cmp -s "$home/third.vkt" "$long/.local/share/tarvella/lastdata.vkt" ||
        fail "the file was not opened"
    private=/tmp/tarvella-$(id -u)
    [[ $(stat -c '%a %u' "$private") == "700 $(id -u)" ]] || fail "$private: $(stat -c '%a %u' "$private")"
    alive "$running" || fail "the running copy ended"
    ;;
lock_or_socket_not_a_file)
    # A folder, a pipe or a link to nothing where the lock goes: the start says why, opens no
    # window and ends with 1, so that no second copy can ever run beside a first.
    chart_text 2001 1 >"$home/other.vkt"
    for kind in "folder|it is a folder" "pipe|it is not a regular file" \
        "link|it is a link to nothing"; do
        IFS='|' read -r what reason <<<"$kind"
        rm -rf "$lock"
        case $what in
        folder) mkdir "$lock" ;;
        pipe) mkfifo "$lock" ;;
        link) ln -s "$home/nowhere" "$lock" ;;
        esac
        : >"$home/stderr"
        later_start 15 other.vkt
        [[ $status == 1 ]] || fail "$what: exit status $status: $(cat "$home/stderr")"
        grep -qF "Tarvella cannot take its lock \"$lock\": $reason." "$home/stderr" ||
            fail "$what: not told: $(cat "$home/stderr")"
        [[ ! -e $data/lastdata.vkt ]] || fail "$what: the chart was opened"
    done
    rm -rf "$lock"
    # A folder where the socket goes: the copy runs, and says at once that it takes no hand-over.
    mkdir "$socket"
    : >"$home/stderr"
    start --no-splash
    wait_for_report
    wait_for 5 grep -qF "Tarvella cannot listen at \"$socket\": it is a folder;" "$home/stderr" ||
        fail "not told: $(cat "$home/stderr")"
    ;;
newline_in_name)
    # The hand-over keeps a name whole, newline and all; a file named by its first line is left.
    start --no-splash
    wait_for_report
    chart_text 2001 1 >"$home/two"$'\n'"lines.vkt"
    chart_text 2002 1 >"$home/two"
    : >"$home/stderr"
    later_start 15 "two"$'\n'"lines.vkt"
    [[ $status == 0 ]] || fail "not handed over: $status: $(cat "$home/stderr")"
    wait_for 10 cmp -s "$home/two"$'\n'"lines.vkt" "$data/lastdata.vkt" ||
        fail "the file was not opened"
    sleep 0.5
    cmp -s "$home/two"$'\n'"lines.vkt" "$data/lastdata.vkt" || fail "another file was opened too"
    [[ ! -s $home/stderr ]] || fail "$(cat "$home/stderr")"
    ;;
sigterm_keeps_document)
    mkdir -p "$data"
    chart_text 1999 1 >"$data/lastdata.vkt"
    start --no-splash
    running=${pids[-1]}
    wait_for_report
    modify_document
    ends_cleanly TERM "$running"
    kept_as VKT1.vkt
    # The next start tells of it once; the file stays for the user to open.
    : >"$home/stderr"
    start --no-splash
    wait_for_report
    wait_for 5 grep -qF "Unsaved changes of an earlier session were kept in \"$kept/VKT1.vkt\"." \
        "$home/stderr" || fail "not told at the next start: $(cat "$home/stderr")"
    ends_cleanly TERM "${pids[-1]}"
    [[ -f $kept/VKT1.vkt ]] || fail "the kept file went"
    # Not told again; and with no document open, the signal still ends the program.
    : >"$home/stderr"
    start --no-splash
    wait_for_report
    xdotool windowfocus --sync "$main"
    xdotool key --delay 400 alt+f c
    wait_until 5 '[[ "$(xdotool getwindowname "$main")" == Tarvella ]]' || fail "not closed"
    ends_cleanly TERM "${pids[-1]}"
    [[ ! -s $home/stderr ]] || fail "told again: $(cat "$home/stderr")"
    ;;
signals_with_dialog_open)
    # Interrupt and hang-up end the program too, also while a modal dialog waits for the user:
    # the data dialog, and the question whether to save. Job control, so that the program started
    # in the background does not inherit an ignored SIGINT.
    set -m
    mkdir -p "$data"
    for case in "INT|ctrl+d|Enter Data" "HUP|alt+f x|Tarvella"; do
        IFS='|' read -r signal keys title <<<"$case"
        rm -rf "$kept"
        chart_text 1999 1 >"$data/lastdata.vkt"
        : >"$home/stderr"
        start --no-splash
        running=${pids[-1]}
        wait_for_report
        modify_document
        xdotool windowfocus --sync "$main"
        xdotool key --delay 400 $keys
        wait_until 5 '[[ -n $(xdotool search --onlyvisible --name "^$title\$" | grep -vx "$main") ]]' ||
            fail "SIG$signal: no dialog \"$title\""
        ends_cleanly "$signal" "$running"
        kept_as VKT1.vkt
    done
    ;;
*)
    fail "no test $test"
    ;;
esac
echo "PASS: $test"
