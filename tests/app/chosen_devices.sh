#!/usr/bin/env bash
# The devices chosen on the command line, without a display, in a virtual room whose default
# microphone hears nothing (a webcam's) beside the room's own: --list-devices names both; the
# default fails as silence before any noise plays and names itself; --input picks the room's
# and finds its mode without being remembered; a remembered microphone that is gone gives way
# to the default and is named; unknown names are refused with the list and the usage status. The
# room's measurement runs with PULSE_LATENCY_MSEC=60 in the environment, as some desktops set it.
# usage: chosen_devices.sh SOURCE_DIR PROGRAM
set -uo pipefail
source "$(dirname "$0")/../../testing/verdicts.sh"

root=$1
app=$2

work=$(mktemp -d)
config="$work/home/.config/KORVEN Sonavel"
choice="$config/KORVEN Sonavel devices.txt"
cleanup() {
    SONAVEL_ROOM_DIR=$work/room "$root/scripts/virtual-room" cleanup >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$config"
export HOME=$work/home
eval "$(SONAVEL_ROOM_DIR=$work/room "$root/scripts/virtual-room" start --webcam-mic)" || { echo "no virtual room"; exit 1; }

out=$work/out.txt
err=$work/err.txt
cli() { env -u DISPLAY "$app" "$@" >"$out" 2>"$err"; }
webcam="“HD Webcam Microphone”"

cli --list-devices
verdict "--list-devices exits 0" test $? -eq 0
verdict "it names both microphones by name and description, the webcam's as the default" \
    eval 'grep -q -E "^\* webcam_mic +HD Webcam Microphone$" "$out" && grep -q -E "^  room_mic +Measurement microphone$" "$out"'
verdict "and the outputs, without offering a monitor as a microphone" \
    eval 'grep -q -E "^\* room +Speakers$" "$out" && ! grep -q "monitor" "$out"'

# A microphone remembered from the window that is not connected: the default stands in.
printf '# KORVEN Sonavel: the sound devices chosen in the program\ninput\tserver\tusb_mic\tUSB measurement microphone\n' >"$choice"
cp "$choice" "$work/remembered.txt"
cli --measure left --save "$work/default.txt"
status=$?
verdict "measuring with the silent default fails as silence (status 4, it gave $status)" test "$status" -eq 4
verdict "it says the remembered microphone is not connected" grep -q -F "Your microphone “USB measurement microphone” is not connected" "$err"
verdict "and names the silent one, with the options that choose another" \
    eval 'grep -q -F "The microphone $webcam recorded silence" "$err" && grep -q -F -- "--input NAME" "$err"'
verdict "no block was recorded, so no noise played for nothing" eval '! grep -q "Full buffer ready" "$out"'
verdict "nothing was saved" test ! -e "$work/default.txt"

# In a desktop session that asks every program's streams for 60 ms, which the program ignores.
measure_room() { PULSE_LATENCY_MSEC=60 cli --measure left --input "measurement microphone" --output room --save "$work/left.txt"; }
measure_room
status=$?
if [ "$status" -ne 0 ] && grep -q 'Measurement error' "$err"; then
    echo "note: the measurement failed ('$(grep 'Measurement error' "$err")'): measuring again"
    measure_room
    status=$?
fi
verdict "--input by description picks the room's microphone: status 0 (it gave $status)" test "$status" -eq 0
verdict "the start line names both devices" grep -q -F "measuring the left speaker through “Speakers” with “Measurement microphone”" "$out"
verdict "the room's mode is found" grep -q -E "^Recommended notch: FREQ (6[2-8]) Hz" "$out"
verdict "PortAudio printed nothing on the terminal" eval '! grep -q "Expression '"'"'" "$err"'
verdict "what the command line chose is not remembered" cmp -s "$choice" "$work/remembered.txt"

cli --measure left --input nosuch
status=$?
verdict "an unknown --input is refused with the usage status (status $status)" test "$status" -eq 2
verdict "with the list to choose from and the usage" \
    eval 'grep -q -F "there is no input named '"'"'nosuch'"'"'" "$err" && grep -q "room_mic" "$err" && grep -q "^Usage:" "$err"'
cli --measure both --output "Monitor of Speakers"
verdict "an unknown --output too (an input's description names no output)" test $? -eq 2
cli --input room_mic
verdict "--input without --measure is wrong usage" test $? -eq 2

conclude "chosen devices"
