#!/usr/bin/env bash
# Drives the real program under X with xdotool, as a person would: the window, Next/Back through
# all seven screens, a second copy started meanwhile, Finish, the close button, and the log file.
# usage: wizard_walk.sh PATH_TO_PROGRAM
set -uo pipefail

# It moves the pointer and clicks: only ever on a display of the suite's own.
if [ -z "${SONAVEL_TEST_DISPLAY:-}" ] || [ "${DISPLAY:-}" != "$SONAVEL_TEST_DISPLAY" ]; then
    exec "$(dirname "$0")/../own_display.sh" "$0" "$@"
fi

app=$1
title="KORVEN Sonavel v.1.0.36"
failures=0
pids=()

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then echo "ok: $what"; else fail "$what"; fi; }

home=$(mktemp -d)
cleanup() {
    for p in "${pids[@]}"; do kill -INT "$p" 2>/dev/null; done
    SONAVEL_ROOM_DIR=$home/room "$(dirname "$0")/../../scripts/virtual-room" cleanup >/dev/null 2>&1
    rm -rf "$home"
}
trap cleanup EXIT
export HOME=$home
# A runtime folder of its own, so that the walk neither meets nor blocks another copy.
export XDG_RUNTIME_DIR=$home/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
log="$home/.config/KORVEN Sonavel/KORVEN Sonavel.txt"

# Only this walk's own copies count.
windows_named() {
    local w p q
    for w in $(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null); do
        p=$(xdotool getwindowpid "$w" 2>/dev/null)
        for q in "${pids[@]}"; do
            if [ "$p" = "$q" ]; then echo "$w"; fi
        done
    done
}

wait_for_window() {
    for _ in $(seq 100); do
        local w
        w=$(windows_named | head -n 1)
        if [ -n "$w" ]; then echo "$w"; return 0; fi
        sleep 0.1
    done
    return 1
}

# A picture of the window only, with the pointer parked outside it so no tooltip shows; prints its
# file name. Anti-aliased edges may differ by a few pixels between two visits of one screen, so
# screens are compared by how many pixels differ, not byte for byte.
snapshot() {
    local file
    file=$(mktemp "$home/shot-XXXXXX.png")
    xdotool mousemove 0 0
    sleep 0.3
    import -window "$wid" "$file" 2>/dev/null
    echo "$file"
}
pixels_differing() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1; }
same_screen() { test "$(pixels_differing "$1" "$2")" -lt 200; }

# Clicks at content coordinates: the frame is 1 pixel and the title bar 15 pixels high.
click_content() { xdotool mousemove --window "$wid" $(($1 + 1)) $(($2 + 16)) click 1; }
click_next() { click_content 940 716; }
click_back() { click_content 840 716; }

wait_for_change() {
    local before=$1 now
    for _ in $(seq 20); do
        now=$(snapshot)
        if ! same_screen "$now" "$before"; then echo "$now"; return 0; fi
    done
    echo "$before"
    return 1
}

wait_for_exit() {
    local pid=$1
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || { wait "$pid"; return $?; }
        sleep 0.1
    done
    return 124
}

start_app() { "$app" >"$home/stdout.txt" 2>&1 & pids+=($!); }

# --- the window ---------------------------------------------------------------------------
start_app
first=${pids[0]}
wid=$(wait_for_window) || { fail "the window opens"; exit 1; }
echo "ok: the window opens"

check "the title reads '$title'" test "$(xdotool getwindowname "$wid")" = "$title"
eval "$(xdotool getwindowgeometry --shell "$wid")"
check "the window is 1002 x 767, a 1000 x 750 screen inside a 1-pixel frame and a 15-pixel title bar" \
    test "${WIDTH}x${HEIGHT}" = "1002x767"
screen_w=$(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1] }')
screen_h=$(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[2] }')
# JUCE rounds half a pixel of the vertical margin down or up.
centred() { test "$X" -eq $(((screen_w - 1002) / 2)) && test $((Y - (screen_h - 767) / 2)) -ge 0 && test $((Y - (screen_h - 767) / 2)) -le 1; }
check "the window is centred on the display" centred

# --- Next walks the seven screens, Back returns -------------------------------------------
shots=("$(snapshot)")
for step in 1 2 3 4 5 6; do
    click_next
    shot=$(wait_for_change "${shots[-1]}") || fail "Next leads from screen $((step - 1)) to screen $step"
    shots+=("$shot")
done
all_different() {
    local i j
    for i in "${!shots[@]}"; do
        for j in "${!shots[@]}"; do
            if [ "$i" -lt "$j" ] && same_screen "${shots[$i]}" "${shots[$j]}"; then return 1; fi
        done
    done
}
check "Next six times shows seven different screens" all_different

click_back
check "Back on step six shows step five again" same_screen "$(wait_for_change "${shots[6]}")" "${shots[5]}"

# --- a second copy -------------------------------------------------------------------------
start_app
second=${pids[-1]}
wait_for_exit "$second"
check "a second copy exits at once with code 0" test $? -eq 0
check "the second copy opens no second window" test "$(windows_named | wc -l)" -eq 1
click_next
check "the first copy still answers: Next shows step six" same_screen "$(wait_for_change "${shots[5]}")" "${shots[6]}"

# --- Finish ---------------------------------------------------------------------------------
click_next
wait_for_exit "$first"
check "Finish ends the program with exit code 0" test $? -eq 0

lines=$(tr -d '\r' < "$log" 2>/dev/null)
order=$(printf '%s\n' "$lines" | grep -n -x -e "$title" -e "initialise()..." -e "finished initialise()..." -e "shutdown()..." | cut -d: -f2 | tr '\n' '|')
check "the log holds the welcome header, initialise, finished initialise and shutdown in order" \
    test "$order" = "$title|initialise()...|finished initialise()...|shutdown()...|"

# --- the close button -----------------------------------------------------------------------
start_app
wid=$(wait_for_window) || fail "the window opens again"
# The close button is 10 x 10 at (titleBarW - 12, 2) in the title bar, which starts at x 1.
xdotool mousemove --window "$wid" 994 7 click 1
wait_for_exit "${pids[-1]}"
check "the close button ends the program with exit code 0" test $? -eq 0
check "a second session appends its own shutdown line" test "$(tr -d '\r' < "$log" | grep -c -x 'shutdown()...')" -eq 2

# --- closing the window while it plays or measures --------------------------------------------
# FINISH is locked then, but the close button is not. The program stops the worker (it must not
# wait for the noise to end, nor kill the thread), closes the log with shutdown() and exits.
export SONAVEL_ROOM_DIR=$home/room
eval "$("$(dirname "$0")/../../scripts/virtual-room" start)" || fail "a virtual room to play into"
log_tail() { tr -d '\r' < "$log" | tail -n +$(($1 + 1)); }
printed_buffers() { grep -c 'Full buffer ready on input' "$home/stdout.txt"; }
in_order() {
    awk -v want="$1" 'BEGIN { n = split(want, w, "|"); i = 1 } i <= n && $0 == w[i] { i++ } END { exit i <= n }'
}
wait_for_log_line() {
    for _ in $(seq 300); do
        log_tail "$1" | grep -q -x -F "$2" && return 0
        sleep 0.05
    done
    return 1
}
wait_for_printed_buffer() {
    for _ in $(seq 300); do
        [ "$(printed_buffers)" -gt 0 ] && return 0
        sleep 0.05
    done
    return 1
}

# close_while_busy WHAT WORKER STOPPED_LINE: closes the window and checks how the program went.
close_while_busy() {
    local what=$1 worker=$2 stopped=$3 buffers start status
    buffers=$(printed_buffers)
    start=$(date +%s%N)
    xdotool mousemove --window "$wid" 994 7 click 1
    wait_for_exit "${pids[-1]}"
    status=$?
    echo "note: closed during $what, the program ended $((($(date +%s%N) - start) / 1000000)) ms after the click"
    check "closing the window during $what ends the program with exit code 0" test "$status" -eq 0
    check "the $what was stopped on request, not waited for" eval 'log_tail "$lines_before" | grep -q -x -F "$stopped"'
    check "the worker went before shutdown, and shutdown() is the log's last line" \
        eval 'log_tail "$lines_before" | in_order "$worker destroyed...|shutdown()..." && [ "$(log_tail "$lines_before" | tail -n 1)" = "shutdown()..." ]'
    check "no thread was killed by force" eval '! log_tail "$lines_before" | grep -q "killing thread by force"'
    check "the stream gave at most one more buffer after the click" test $(($(printed_buffers) - buffers)) -le 1
}

walk_to() {
    local shot
    shot=$(snapshot)
    for _ in $(seq "$1"); do
        click_next
        shot=$(wait_for_change "$shot") || fail "Next leads on"
    done
}

lines_before=$(tr -d '\r' < "$log" | wc -l)
start_app
wid=$(wait_for_window) || fail "the window opens for the level test"
walk_to 5
click_content 718 317
wait_for_log_line "$lines_before" "Constructed leveltest, about to blast pink noise." || fail "TEST TONE starts the level test"
close_while_busy "level test" LevelTestingThread "Level test error: stopped on request"

lines_before=$(tr -d '\r' < "$log" | wc -l)
start_app
wid=$(wait_for_window) || fail "the window opens for a measurement"
walk_to 6
click_content 499 331
wait_for_printed_buffer || fail "MEASURE starts a measurement that captures"
close_while_busy "measurement" AudioTestingThread "Measurement error: stopped on request"
check "the measurement stored no result" eval '! log_tail "$lines_before" | grep -q -x "Setting settings with test results."'
"$(dirname "$0")/../../scripts/virtual-room" cleanup >/dev/null 2>&1

# --- no display at all ----------------------------------------------------------------------
env -u DISPLAY "$app" >"$home/nodisplay.txt" 2>&1
check "without a display the program says so and exits with code 1" \
    test $? -eq 1 -a -n "$(grep -i 'display' "$home/nodisplay.txt")"

echo "wizard walk: $failures check(s) failed"
exit $((failures > 0))
