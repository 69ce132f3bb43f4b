#!/usr/bin/env bash
# The real program under X, ended as a person ends it: the close button at rest, while the level
# test plays and while a measurement captures (FINISH is locked then; the tour takes FINISH at
# rest), and started without a display. Each time: exit code 0, any worker stopped on request
# before shutdown, not waited for nor killed, and the log closed with shutdown()... The sanitizer
# builds take this walk too. usage: quit_under_x.sh PROGRAM XWAIT (testing/xwait.c)
set -uo pipefail
source "$(dirname "$0")/../../testing/verdicts.sh"
on_own_display "$@"

app=$1
xwait=$2
room=$(dirname "$0")/../../scripts/virtual-room

home=$(mktemp -d)
export HOME=$home XDG_RUNTIME_DIR=$home/run SONAVEL_ROOM_DIR=$home/room
mkdir -m 700 "$XDG_RUNTIME_DIR"
log="$home/.config/KORVEN Sonavel/KORVEN Sonavel.txt"
pid=""
trap '[ -n "$pid" ] && kill -INT "$pid" 2>/dev/null; "$room" cleanup >/dev/null 2>&1; rm -rf "$home"' EXIT
eval "$("$room" start)" || fail "a virtual room to play into"

# A file check: cheap, so it may be looked at often.
wait_until() { for _ in $(seq 600); do "$@" 2>/dev/null && return 0; sleep 0.05; done; return 1; }
log_tail() { tr -d '\r' 2>/dev/null < "$log" | tail -n +$((lines_before + 1)); }
logged() { log_tail | grep -q -x -F "$1"; }
buffers() { grep -c 'Full buffer ready on input' "$home/stdout.txt" 2>/dev/null; }
in_order() { awk -v want="$1" 'BEGIN { n = split(want, w, "|"); i = 1 } i <= n && $0 == w[i] { i++ } END { exit i <= n }'; }

# start: a new session of the program; sets pid and the window's place (X, Y).
start() {
    lines_before=$(tr -d '\r' 2>/dev/null < "$log" | wc -l)
    "$app" >"$home/stdout.txt" 2>&1 &
    pid=$!
    window() { wid=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1); [ -n "$wid" ]; }
    wait_until window || { fail "the window opens"; return 1; }
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    # The first screen drawn and the program idle: resting on NEXT brings its tooltip up. A click
    # sent before the first picture is whole would be taken as answered by the rest of that picture.
    "$xwait" --gold 1000 $((X + 601)) $((Y + 656)) 400 60 motion $((X + 931)) $((Y + 732)) >/dev/null ||
        { fail "the first screen is drawn and answers the pointer"; return 1; }
}
# click_and_see X Y AREA_X AREA_Y W H: clicks at content coordinates and waits for the area to be
# redrawn differently (the frame is 1 pixel, the title bar 15).
click_and_see() {
    "$xwait" --changed 300 $((X + 1 + $3)) $((Y + 16 + $4)) "$5" "$6" click $((X + 1 + $1)) $((Y + 16 + $2)) >/dev/null
}
next_screens() { for _ in $(seq "$1"); do click_and_see 940 716 0 0 1000 100 || fail "NEXT leads on"; done; }

# close WHAT [WORKER STOPPED_LINE]: the close button, then how the program went.
close() {
    local worker=${2:-} stopped=${3:-} before start status
    before=$(buffers)
    start=$(date +%s%N)
    xdotool mousemove $((X + 994)) $((Y + 7)) click 1
    wait_until eval '! kill -0 "$pid" 2>/dev/null'
    wait "$pid"
    status=$?
    pid=""
    verdict "closing the window $1 ends the program with exit code 0 ($((($(date +%s%N) - start) / 1000000)) ms after the click)" \
        test "$status" -eq 0
    verdict "the log's last line is shutdown()..." eval '[ "$(log_tail | tail -n 1)" = "shutdown()..." ]'
    verdict "no thread was killed by force" eval '! log_tail | grep -q "killing thread by force"'
    [ $# -gt 1 ] || return 0
    verdict "the $worker was stopped on request before shutdown, not waited for" eval 'log_tail | in_order "$stopped|$worker destroyed...|shutdown()..."'
    verdict "the stream gave at most one more buffer after the click" test $(($(buffers) - before)) -le 1
}

start && close "at rest"

start && next_screens 5
"$xwait" --gold 500 $((X + 170)) $((Y + 447)) 280 24 click $((X + 719)) $((Y + 333)) >/dev/null || fail "TEST TONE runs the level test"
wait_until logged "Constructed leveltest, about to blast pink noise." || fail "the level test starts"
close "while the level test plays" LevelTestingThread "Level test error: stopped on request"

start && next_screens 6
click_and_see 499 331 98 454 260 9 || fail "MEASURE runs the left strip"
wait_until eval '[ "$(buffers)" -gt 0 ]' || fail "the measurement captures"
close "while a measurement captures" AudioTestingThread "Measurement error: stopped on request"
verdict "the measurement stored no result" eval '! logged "Setting settings with test results."'

env -u DISPLAY "$app" >"$home/nodisplay.txt" 2>&1
verdict "without a display the program says so and exits with code 1" \
    test $? -eq 1 -a -n "$(grep -i 'display' "$home/nodisplay.txt")"

conclude "quitting"
