# What the application test scripts share: a fresh home, the program started on the X display
# that xvfb-run gives, and waits on the screen and on files. Sourced after $program and $probe
# are set; $start_flags, when set, go to every start.

home=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    chmod -R u+w "$home" 2>/dev/null || true
    [[ -n ${KEEP_HOME:-} ]] && echo "home kept: $home" >&2 || rm -rf "$home"
}
trap cleanup EXIT
export HOME=$home
unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_RUNTIME_DIR
data=$home/.local/share/tarvella
shot=$home/screen.ppm
caption="0 100 100"

fail() { echo "FAIL: $*" >&2; exit 1; }

# The program in the background, its messages appended to $home/stderr.
start() {
    "$program" --messages-to-stderr ${start_flags[@]+"${start_flags[@]}"} "$@" 2>>"$home/stderr" &
    pids+=($!)
}

# What the signal kept of unsaved changes goes too: told at the next start, in a bar above the
# report, it would move the report under a script's clicks.
stop_all() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    pids=()
    rm -rf "$data/recovered"
}

wait_for() {  # wait_for SECONDS COMMAND...
    local tries=$(( $1 * 10 )); shift
    for _ in $(seq 1 "$tries"); do "$@" && return 0; sleep 0.1; done
    return 1
}

# wait_until SECONDS 'CONDITION': the condition's text is evaluated afresh at each try.
wait_until() { wait_for "$1" eval "$2"; }

# Polls the screen until the caption colour shows; sets $origin_x/$origin_y to the report's
# top-left corner (the ivory background) on the screen and $main to the main window.
wait_for_report() {
    xdotool mousemove 0 0  # no outline under the pointer
    for _ in $(seq 1 100); do
        import -window root -depth 8 "ppm:$shot"
        read -r count _ _ _ _ < <("$probe" "$shot" $caption)
        if (( count > 50 )); then
            read -r _ origin_x origin_y _ _ < <("$probe" "$shot" 255 255 240)
            main=$(xdotool search --onlyvisible --name "^Tarvella - " | head -1)
            return 0
        fi
        sleep 0.15
    done
    fail "no report on the screen: $(cat "$home/stderr" 2>/dev/null)"
}

line() { sed -n "$2p" "$1" | tr -d '\r'; }

# A last-data text of the default chart with the MD start year and the level given.
chart_text() {
    printf '%s\r\n' 4002 1970 4 4 17 50.000000 0 5 30.000000 -5.500000 1999 8 22 12 10.000000 \
        1 4 0.000000 4.000000 1 "$1" 4 5 9 1 "$2"
}
