#!/usr/bin/env bash
# The real program keeps its curves and measures from the command line. Under X: a damaged
# state file is set aside and the window still opens; a curve opened on step six comes back
# after a restart. Without a display, in a virtual room of its own: --measure prints the
# recommendation and saves the curve, leaves an open window alone, and gives each failure its
# own status; --positions with a position that fails and is measured again, --compare; --version,
# --help and wrong options. usage: kept_curves.sh SOURCE_DIR PROGRAM XWAIT
set -uo pipefail
source "$(dirname "$0")/../../testing/verdicts.sh"
on_own_display "$@"

root=$1
app=$2
xwait=$3
source "$root/testing/screen_map.sh"
title="KORVEN Sonavel v.1.0.36"
pids=()

work=$(mktemp -d)
home=$work/home
config="$home/.config/KORVEN Sonavel"
log="$config/KORVEN Sonavel.txt"
state="$config/KORVEN Sonavel state.txt"
cleanup() {
    for p in "${pids[@]}"; do kill -INT "$p" 2>/dev/null; done
    SONAVEL_ROOM_DIR=$work/room "$root/scripts/virtual-room" cleanup >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$home/run" "$config" && chmod 700 "$home/run"
export HOME=$home XDG_RUNTIME_DIR=$home/run

eval "$(SONAVEL_ROOM_DIR=$work/room "$root/scripts/virtual-room" start)" || { echo "no virtual room"; exit 1; }

log_has() { tr -d '\r' <"$log" 2>/dev/null | grep -F -- "$1" >/dev/null; }
wait_until() { for _ in $(seq 100); do "$@" && return 0; sleep 0.1; done; return 1; }
window_of() {
    local w
    for w in $(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null); do
        [ "$(xdotool getwindowpid "$w" 2>/dev/null)" = "$1" ] && { echo "$w"; return 0; }
    done
    return 1
}
start_window() {
    "$app" >>"$work/window-output.txt" 2>&1 &
    pids+=($!)
    wid=$(wait_until window_of "${pids[-1]}" && window_of "${pids[-1]}") || return 1
    eval "$(xdotool getwindowgeometry --shell "$wid" | sed 's/^/win_/')"
    # Drawn whole and idle: resting on NEXT brings its tooltip up.
    "$xwait" --gold 1000 $((win_X + 601)) $((win_Y + 656)) 400 60 motion $((win_X + 931)) $((win_Y + 732)) >/dev/null
}
# Content coordinates: a 1-pixel frame and a 15-pixel title bar.
on_screen() { echo $((win_X + 1 + $1)) $((win_Y + 16 + $2)); }
click() { xdotool mousemove $(on_screen "$1" "$2"); sleep 0.2; xdotool click 1; sleep 0.4; }
# Each NEXT once the screen has answered the one before (a click sent sooner can land on the old
# screen just as it goes, and be lost with it).
to_step_six() {
    for _ in 1 2 3 4 5 6; do
        "$xwait" --changed 300 $((win_X + 1)) $((win_Y + 16)) 1000 100 click $(on_screen $next_button) >/dev/null
    done
}
crimson_in_graph() {
    xdotool mousemove 0 0
    sleep 0.5
    local graph=($graph_area)
    import -window root -crop "${graph[2]}x${graph[3]}+$((win_X + 1 + graph[0]))+$((win_Y + 16 + graph[1]))" +repage "$work/graph.png" 2>/dev/null
    python3 "$root/testing/tour_pixels.py" count "$work/graph.png" 0 0 "${graph[2]}" "${graph[3]}" crimson
}
crimson_shown() { [ "$(crimson_in_graph)" -gt 300 ]; }
finish() {
    click $finish_button
    local pid=${pids[-1]}
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || { wait "$pid"; return $?; }; sleep 0.1; done
    return 124
}

# --- a damaged state file --------------------------------------------------------------------
printf 'KORVEN Sonavel kept curves 1\ncurve held\nspeak' >"$state"
verdict "with a damaged state file the window still opens" start_window
verdict "the damaged file is set aside" test -f "$config/KORVEN Sonavel state.damaged.txt" -a ! -e "$state"
verdict "one log line says so" test "$(tr -d '\r' <"$log" | grep -c '^Set aside damaged kept curves as ')" -eq 1

# --- a curve opened on step six comes back after a restart -------------------------------------
mkdir -p "$home/Documents"
printf '* Freq(Hz) SPL(dB) Phase(degrees)\r\n20,-6,0\r\n65,9,0\r\n110,-6,0\r\n500,-6,0\r\n' >"$home/Documents/reference.csv"
to_step_six
verdict "step six starts without a held curve" test "$(crimson_in_graph)" -lt 20
click $open_curve_button
chooser() { dialog=$(xdotool search --onlyvisible --pid "${pids[-1]}" 2>/dev/null | grep -v -x "$wid" | head -n 1); [ -n "$dialog" ]; }
if wait_until chooser; then
    sleep 0.5
    eval "$(xdotool getwindowgeometry --shell "$dialog" | sed 's/^/dlg_/')"
    # The file name box lies along the chooser's bottom, left of its buttons.
    xdotool mousemove $((dlg_X + dlg_WIDTH / 2)) $((dlg_Y + dlg_HEIGHT - 62)) click 1
    sleep 0.3
    xdotool type --delay 20 "reference.csv"
    xdotool key Return
    sleep 1
fi
verdict "OPEN CURVE's chooser starts in the documents folder and opens the file as the held curve" \
    wait_until crimson_shown
finish
verdict "FINISH ends the program with status 0" test $? -eq 0
verdict "the held curve is kept beside the log" grep -q -x "curve held" "$state"
verdict "and is on step six again after a restart" start_window
to_step_six
verdict "the crimson curve is drawn there" wait_until crimson_shown
# This copy stays open for the command line below.

# --- the command line ------------------------------------------------------------------------
out=$work/cli-out.txt
err=$work/cli-err.txt
cli() { env -u DISPLAY "$app" "$@" >"$out" 2>"$err"; }
cli --version
verdict "--version prints the version and exits 0" test $? -eq 0 -a "$(cat "$out")" = "$title"
cli --help
verdict "--help prints the usage and the exit statuses, and exits 0" \
    test $? -eq 0 -a -n "$(grep '^Usage: korven-sonavel' "$out")" -a -n "$(grep '^  7  another program holds' "$out")"
cli --measure sideways
verdict "a wrong option gets the usage on standard error and status 2" test $? -eq 2 -a -n "$(grep '^Usage:' "$err")"
cli --measure left --save $'\xc0\x80 is no UTF-8'
verdict "an argument that is not UTF-8 is refused with status 2 before JUCE reads it" \
    test $? -eq 2 -a -n "$(grep -x 'korven-sonavel: argument 4 is not valid UTF-8 text' "$err")"

cli --measure left --cal "$work/no-such-calibration.txt"
status=$?
verdict "--cal with a file that is not there is refused with status 2 before measuring (status $status)" \
    eval 'test "$status" -eq 2 && grep -q "no-such-calibration.txt” is not there: no calibration was loaded." "$err" && ! grep -q MEASURING "$out"'

# A flat microphone's calibration file as its maker ships one.
printf '"Sens Factor =-1.378dB, SERNO: 7103946"\n20.000\t0.000\t0.0\n20000.000\t0.000\t0.0\n' >"$work/7103946.txt"
cli --measure left --save "$work/left.txt" --cal "$work/7103946.txt"
status=$?
if [ "$status" -ne 0 ] && grep -q 'Measurement error' "$err"; then
    echo "note: the measurement failed ('$(grep 'Measurement error' "$err")'): measuring again"
    cli --measure left --save "$work/left.txt" --cal "$work/7103946.txt"
    status=$?
fi
verdict "--measure left exits 0 in the virtual room, without a display (status $status)" test "$status" -eq 0
verdict "it prints progress and the recommendation" \
    eval 'grep -q -x "MEASURING LEFT SPEAKER..." "$out" && grep -q -E "^Recommended notch: (none|FREQ [0-9]+ Hz, Q [1-6], DEPTH [1-6])$" "$out"'
verdict "and where the curve was saved" grep -q -x -F "Saved the curve in $work/left.txt" "$out"
verdict "the file names the program, the speaker and the smoothing" \
    eval 'grep -q "^\* KORVEN Sonavel v" "$work/left.txt" && grep -q -x "\* Speakers: left" "$work/left.txt" && grep -q -x "\* 1/10 decade smoothing" "$work/left.txt"'
ascending_from_20_to_500() {
    grep -v '^\*' "$work/left.txt" | awk -F '\t' 'NF != 2 || $1 <= last || $1 < 20 || $1 > 500 { exit 1 } { last = $1; n++ } END { exit n < 150 }'
}
verdict "then tab-separated points from 20 Hz to 500 Hz, frequencies ascending" ascending_from_20_to_500
calibrated='* Microphone calibration: "7103946.txt", serial 7103946, sensitivity -1.378 dB'
verdict "the calibration given with --cal is printed and named in the file" \
    eval 'grep -q -x -F "${calibrated#\* }" "$out" && grep -q -x -F "$calibrated" "$work/left.txt"'
verdict "and not remembered" test ! -e "$home/.config/KORVEN Sonavel/KORVEN Sonavel calibrations.txt"
verdict "the open window was not woken" eval '! log_has "Another copy was started"'
verdict "and its log took none of the measurement's lines" eval '! log_has "Recommended notch:"'

# Two microphone positions compared with the curve above. The room goes away when the second is
# due: that position fails, is measured again once the room is back, and the first is kept.
cli --measure left --positions 13
verdict "--positions takes 1 to 12 (status 2)" test $? -eq 2 -a -n "$(grep -F -- '--positions takes a whole number from 1 to 12' "$err")"
coproc POSITIONS { env -u DISPLAY "$app" --measure left --positions 2 --compare "$work/left.txt" --save "$work/area.txt" 2>&1; echo "status $?"; }
# Bash forgets a coprocess's descriptors once it has ended: the loop reads and writes copies.
exec {from_program}<&"${POSITIONS[0]}" {to_program}>&"${POSITIONS[1]}"
status=""
while IFS= read -r -t 120 line <&"$from_program"; do
    echo "$line" >>"$work/positions.txt"
    case $line in
        "Move the microphone to position 2 of 2, then press Enter")
            SONAVEL_ROOM_DIR=$work/room "$root/scripts/virtual-room" stop
            echo >&"$to_program" ;;
        "Press Enter to measure position 2 of 2 again (Ctrl+C stops).")
            eval "$(SONAVEL_ROOM_DIR=$work/room "$root/scripts/virtual-room" start)"
            echo >&"$to_program" ;;
        "status "*) status=${line#status } ;;
    esac
done
exec {from_program}<&- {to_program}>&-
verdict "--positions 2 asks to move the microphone, and to measure the failed position again (status $status)" \
    eval 'test "$status" = 0 && grep -q "^No sound device or sound server was found" "$work/positions.txt" &&
          grep -q -x "Press Enter to measure position 2 of 2 again (Ctrl+C stops)." "$work/positions.txt"'
verdict "it saves the average of both positions and each beside it" \
    test -s "$work/area.txt" -a -s "$work/area position 1.txt" -a -s "$work/area position 2.txt" -a -n "$(grep -x '\* Positions: 2' "$work/area.txt")"
verdict "and says on the terminal and in the file that one position does not compare with an average" \
    eval 'grep -q "^The held curve is one position, this one an average of 2 positions" "$work/positions.txt" &&
          grep -q "^\* The held curve is one position, this one an average of 2 positions" "$work/area.txt"'

PULSE_SERVER=unix:$work/no-server cli --measure both --save "$work/both.txt"
status=$?
verdict "with no sound server --measure exits with status 3 (it gave $status)" test "$status" -eq 3
verdict "it says why on standard error and saves nothing" \
    eval 'grep -q "No sound device or sound server was found" "$err" && test ! -e "$work/both.txt"'

conclude "kept curves"
