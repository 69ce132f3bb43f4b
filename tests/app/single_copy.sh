#!/usr/bin/env bash
# The real program under X: one copy per user and session. Copies with their own home and
# runtime folders each open a window side by side; a second copy in the same ones opens none,
# exits with code 0 and wakes the first; without a runtime folder the lock lies in the config
# folder. usage: single_copy.sh PATH_TO_PROGRAM
set -uo pipefail
source "$(dirname "$0")/../../testing/verdicts.sh"
on_own_display "$@"

app=$1
title="KORVEN Sonavel v.1.0.36"
pids=()

work=$(mktemp -d)
cleanup() { for p in "${pids[@]}"; do kill -INT "$p" 2>/dev/null; done; rm -rf "$work"; }
trap cleanup EXIT

# A user: a home of their own and, unless told "none", a runtime folder of their own.
make_user() {
    mkdir -p "$work/$1/home"
    if [ "${2:-}" != none ]; then
        mkdir -p -m 700 "$work/$1/run"
    fi
}
# run_as USER: the program with that user's folders, in the background; its output goes to
# $last_output.
run_as() {
    local user=$1 runtime=()
    if [ -d "$work/$user/run" ]; then
        runtime=(XDG_RUNTIME_DIR="$work/$user/run")
    else
        runtime=(-u XDG_RUNTIME_DIR)
    fi
    last_output=$work/$user/output-${#pids[@]}.txt
    env "${runtime[@]}" HOME="$work/$user/home" "$app" >"$last_output" 2>&1 &
    pids+=($!)
}
log_of() { echo "$work/$1/home/.config/KORVEN Sonavel/KORVEN Sonavel.txt"; }

# Only this script's own copies count.
window_count() {
    local w p q
    for w in $(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null); do
        p=$(xdotool getwindowpid "$w" 2>/dev/null)
        for q in "${pids[@]}"; do
            if [ "$p" = "$q" ]; then echo "$w"; fi
        done
    done | wc -l
}
wait_for_windows() {
    for _ in $(seq 150); do
        [ "$(window_count)" -eq "$1" ] && return 0
        sleep 0.1
    done
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
# wait_for_log_count USER LINE N: the user's log holds the line N times.
wait_for_log_count() {
    for _ in $(seq 50); do
        [ "$(tr -d '\r' < "$(log_of "$1")" 2>/dev/null | grep -c -x -F "$2")" -ge "$3" ] && return 0
        sleep 0.1
    done
    return 1
}

# --- two users side by side ------------------------------------------------------------------
make_user anna
make_user ben
run_as anna
anna=${pids[-1]}
wait_for_windows 1 || fail "the first user's copy opens its window"
run_as ben
ben=${pids[-1]}
verdict "a second user's copy opens a window beside the first user's" wait_for_windows 2

# --- the same user again ---------------------------------------------------------------------
run_as anna
wait_for_exit "${pids[-1]}"
verdict "a second copy of the same user exits with code 0" test $? -eq 0
verdict "it opens no window" test "$(window_count)" -eq 2
verdict "it says why on standard error" grep -q "already running" "$last_output"
verdict "the running copy hears of it and logs that it comes to the front" \
    wait_for_log_count anna "Another copy was started: bringing the window to the front." 1
verdict "the running copy's log has no second header" \
    test "$(tr -d '\r' < "$(log_of anna)" | grep -c -x "$title")" -eq 1
verdict "the lock lies in the runtime folder" test -e "$work/anna/run/KORVEN Sonavel.lock"

# --- without a runtime folder the lock lies in the config folder -----------------------------
make_user carl none
run_as carl
carl=${pids[-1]}
wait_for_windows 3 || fail "a copy without a runtime folder opens its window"
run_as carl
wait_for_exit "${pids[-1]}"
verdict "its second copy exits with code 0 too" test $? -eq 0
verdict "and opens no window" test "$(window_count)" -eq 3
verdict "the lock lies in the config folder" test -e "$work/carl/home/.config/KORVEN Sonavel/KORVEN Sonavel.lock"

# --- the lock goes with the copy -------------------------------------------------------------
for p in "$anna" "$ben" "$carl"; do
    kill -INT "$p"
    wait_for_exit "$p" >/dev/null
done
verdict "every window is closed" wait_for_windows 0
run_as anna
verdict "once the first copy has ended, the same user starts a new one" wait_for_windows 1
# The ended copy's FIFO could still lie there; only a copy that listens on it is woken.
run_as anna
wait_for_exit "${pids[-1]}"
verdict "a copy started after it exits with code 0 too" test $? -eq 0
verdict "and wakes the new copy, not the one that ended" \
    wait_for_log_count anna "Another copy was started: bringing the window to the front." 2

conclude "single copy"
