#!/usr/bin/env bash
# Drives the real program under X with xdotool, as a person would: the window, Next/Back through
# all seven screens, a second copy started meanwhile, Finish, the close button, and the log file.
# usage: wizard_walk.sh PATH_TO_PROGRAM
set -uo pipefail

app=$1
title="KORVEN Sonavel v.1.0.36"
failures=0
pids=()

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then echo "ok: $what"; else fail "$what"; fi; }

home=$(mktemp -d)
cleanup() { for p in "${pids[@]}"; do kill -INT "$p" 2>/dev/null; done; rm -rf "$home"; }
trap cleanup EXIT
export HOME=$home
# A runtime folder of its own, so that the walk neither meets nor blocks a copy the person has open.
export XDG_RUNTIME_DIR=$home/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
log="$home/.config/KORVEN Sonavel/KORVEN Sonavel.txt"

if ! xdpyinfo >/dev/null 2>&1; then
    echo "no X display (DISPLAY=${DISPLAY:-}); scripts/test starts one"
    exit 1
fi

# Only this walk's own copies count: a person's copy may be open on the same display.
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

# --- no display at all ----------------------------------------------------------------------
env -u DISPLAY "$app" >"$home/nodisplay.txt" 2>&1
check "without a display the program says so and exits with code 1" \
    test $? -eq 1 -a -n "$(grep -i 'display' "$home/nodisplay.txt")"

echo "wizard walk: $failures check(s) failed"
exit $((failures > 0))
