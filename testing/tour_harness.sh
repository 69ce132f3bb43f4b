# The tour's harness: verdicts, waiting for what answers an input (a repaint, a line of the log or
# of standard output), the program's files, the window, the pointer and pictures, screenshots, and
# the private X display. Sourced by scripts/tour once it has its work folder ($work), its output
# folder ($out), the log's path ($log), the repaint watcher ($xwait), the pixel reader ($pixels)
# and its slowness; the walk itself stays in scripts/tour.

# --- verdicts ----------------------------------------------------------------------------------
source "$(dirname "${BASH_SOURCE[0]}")/verdicts.sh"
# A failure keeps the last picture the tour looked at beside the screenshots.
keep_last_picture() {
    if [ -f "${poll:-}" ]; then
        cp "$poll" "$out/failure-$(printf %02d "$failures")-last-picture-looked-at.png"
        echo "      (the last picture looked at: $out/failure-$(printf %02d "$failures")-last-picture-looked-at.png)"
    fi
}
on_failure=keep_last_picture
# A failure that leaves nothing sensible to do next: the tour stops there.
fatal() { fail "$*"; echo "tour: cannot go on from here"; finish_tour; }

now_ms() { date +%s%3N; }

# Everything that answers the tour wakes it: a repaint of the window (sonavel_xwait), a line of the
# log or of standard output. All of them write into one FIFO, which the tour reads on descriptor 7.
answers=$work/answers
mkfifo "$answers"
exec 7<>"$answers"
watch_repaints() {
    "$xwait" --watch 0 0 1280 1024 >&7 2>>"$work/xwait.txt" &
    repaint_watcher=$!
    watchers+=($!)
}
watch_answers() {
    watch_repaints
    tail -n 0 -F "$log" "$work/stdout.txt" >&7 2>/dev/null &
    watchers+=($!)
}
# Forgets the answers so far. They are read as characters, not lines: a progress line on standard
# output ends only when the next one begins.
# At most half a second: a screen that keeps repainting must not hold the tour here.
drain_answers() {
    local i
    for ((i = 0; i < 50; i++)); do
        read -r -t 0 -u 7 || break
        read -r -N 65536 -t 0.01 -u 7 _
    done
    return 0
}
# Waits for the next answer (a character of it is enough); false after the time given.
next_answer() { read -r -N 1 -t "$1" -u 7 _; }

# wait_for COMMAND...: true as soon as the command succeeds, looked at again after each answer,
# and every two seconds besides: an answer that never comes (the repaint watcher once fell silent
# for good under load, and every wait after it ran into its guard) costs two seconds, not the
# guard. The guard only ends a wait that would never end: it is never what a check waits for.
guard_s=$((60 * slowness))
wait_for() {
    local end=$(($(now_ms) + guard_s * 1000))
    drain_answers
    until "$@"; do
        local left=$((end - $(now_ms)))
        [ "$left" -gt 0 ] || return 1
        if ! kill -0 "$repaint_watcher" 2>/dev/null; then
            echo "tour: the repaint watcher had ended; watching anew" >&2
            watch_repaints
        fi
        next_answer "$(awk -v ms="$((left < 2000 ? left : 2000))" 'BEGIN { printf "%.3f", ms / 1000 }')" && drain_answers
    done
    return 0
}
# settle: waits until the screen and the files have been still for a moment, so that a picture
# kept for comparing later shows nothing still on its way (a button back from the pointer's look).
# A screen that never rests (a blinking caret) is taken as it is after five seconds.
settle() {
    local end=$(($(now_ms) + 5000))
    drain_answers
    while [ "$(now_ms)" -lt "$end" ] && next_answer 0.3; do drain_answers; done
}
elapsed_s() { awk -v ms=$(($(now_ms) - $1)) 'BEGIN { printf "%.1f", ms / 1000 }'; }

# --- the program's own files ---------------------------------------------------------------------
log_lines() { tr -d '\r' 2>/dev/null <"$log"; }
log_count() { log_lines | grep -c -x -F -- "$1"; }
log_count_at_least() { [ "$(log_count "$1")" -ge "$2" ]; }
# The log lines after the first N.
log_after() { log_lines | tail -n +$(($1 + 1)); }
underruns() { grep -c 'underrun occurred' "$work/stderr.txt"; }
stdout_bytes() { wc -c <"$work/stdout.txt"; }
stdout_after() { tail -c +$(($1 + 1)) "$work/stdout.txt"; }

# in_order "LINE|LINE|..." < lines: the lines occur in that order (others may come between).
in_order() {
    awk -v want="$1" 'BEGIN { n = split(want, w, "|"); i = 1 }
                      i <= n && $0 == w[i] { i++ }
                      END { exit i <= n }'
}

# --- the window, the pointer and pictures --------------------------------------------------------
program_windows() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do echo "$w"; done
}
find_window() {
    local w
    for w in $(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null); do
        if [ "$(xdotool getwindowpid "$w" 2>/dev/null)" = "$app_pid" ]; then wid=$w; return 0; fi
    done
    return 1
}
# The calculator: the program's other visible window.
find_dialog() {
    dialog=$(program_windows | grep -v -x "$wid" | head -n 1)
    [ -n "$dialog" ]
}
no_dialog() { ! find_dialog; }

# Pictures are of the main window's place on the screen, so that the calculator over it shows.
capture() { import -window root -crop "1002x767+${win_x}+${win_y}" +repage "$1" 2>/dev/null; }
poll=$work/poll.png
capture_poll() { capture "$poll"; }

# Coordinates are those of the window's content (the frame is 1 pixel, the title bar 15) or, once
# use_dialog has been called, of the calculator's content.
origin_x=1
origin_y=16
use_main() { origin_x=1; origin_y=16; }
use_dialog() {
    local geometry
    geometry=$(xdotool getwindowgeometry --shell "$dialog")
    dialog_x=$(sed -n 's/^X=//p' <<<"$geometry")
    dialog_y=$(sed -n 's/^Y=//p' <<<"$geometry")
    dialog_w=$(sed -n 's/^WIDTH=//p' <<<"$geometry")
    dialog_h=$(sed -n 's/^HEIGHT=//p' <<<"$geometry")
    origin_x=$((dialog_x - win_x + 1))
    origin_y=$((dialog_y - win_y + 21))
}
move_to() { xdotool mousemove $((win_x + origin_x + $1)) $((win_y + origin_y + $2)); parked=false; }
click_at() { move_to "$1" "$2"; xdotool click 1; }
# Where the pointer rests between steps: the header band's top right corner, where nothing
# answers to it and it hides nothing in the screenshots.
park() { use_main; move_to 992 6; parked=true; }

count_of() { "${pixels[@]}" count "$1" $((origin_x + $2)) $((origin_y + $3)) "$4" "$5" "$6"; }
differing() { "${pixels[@]}" diff "$1" "$2" $((origin_x + $3)) $((origin_y + $4)) "$5" "$6"; }
# curve_of PICTURE X Y W H COLOUR FMIN FMAX: sets peak_hz, peak_db, dip_hz, dip_db, curve_pixels.
curve_of() {
    local report
    report=$("${pixels[@]}" curve "$1" $((origin_x + $2)) $((origin_y + $3)) "$4" "$5" "$6" "$7" "$8")
    curve_pixels=$(awk '$1 == "pixels" { print $2 }' <<<"$report")
    read -r peak_hz peak_db < <(awk '$1 == "peak" { print $2, $3 }' <<<"$report")
    read -r dip_hz dip_db < <(awk '$1 == "dip" { print $2, $3 }' <<<"$report")
}
# near VALUE TARGET PERCENT
near() { awk -v v="$1" -v t="$2" -v p="$3" 'BEGIN { d = v - t; if (d < 0) d = -d; exit !(d <= t * p / 100) }'; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

# rest_until_tooltip X Y: rests the pointer there until a tooltip box appears above it (left or right).
# A tooltip comes only after the pointer has rested for a while: by then the program has handled
# whatever input came before (a click there, say), so the tour can look for its effect or its
# absence. JUCE shows none where the pointer was last pressed: click a pixel beside this spot.
rest_until_tooltip() {
    move_to "$1" "$2"
    capture "$work/before-rest.png"
    # Within the picture: from 360 px left of the pointer to 400 px right of it, 86 px up to 12 px above.
    local left=$(($1 - 360 + origin_x < 0 ? -origin_x : $1 - 360))
    local right=$(($1 + 400 + origin_x > 1002 ? 1002 - origin_x : $1 + 400))
    tip_area=("$left" $(($2 - 86)) $((right - left)) 74)
    tip_gold=$(count_of "$work/before-rest.png" "${tip_area[@]}" gold)
    wait_for tooltip_up
}
tooltip_up() { capture_poll; [ $(($(count_of "$poll" "${tip_area[@]}" gold) - tip_gold)) -gt 1000 ]; }

# shot NAME CAPTION: a numbered screenshot in the output folder, with the pointer drawn in where
# it is (Xvfb leaves it out) unless it is only resting out of the way; the raw picture, without
# the pointer, is kept in $last for checks.
shot_number=0
parked=false
captions=()
shots=()
shot() {
    shot_number=$((shot_number + 1))
    local file
    file=$(printf '%02d-%s.png' "$shot_number" "$1")
    last=$work/$file
    capture "$last"
    shots+=("$out/$file")
    captions+=("$shot_number. $2")
    if $parked; then
        cp "$last" "$out/$file"
        return
    fi
    local location px py
    location=$(xdotool getmouselocation)
    px=$(($(sed 's/.*x:\([-0-9]*\).*/\1/' <<<"$location") - win_x))
    py=$(($(sed 's/.*y:\([-0-9]*\).*/\1/' <<<"$location") - win_y))
    convert "$last" -fill white -stroke black -strokewidth 1 -draw "polygon $px,$py $px,$((py + 16)) \
        $((px + 4)),$((py + 12)) $((px + 7)),$((py + 19)) $((px + 10)),$((py + 18)) $((px + 7)),$((py + 11)) \
        $((px + 12)),$((py + 11))" "$out/$file"
}

finish_tour() {
    cp "$work/stdout.txt" "$out/program-stdout.txt" 2>/dev/null
    cp "$work/stderr.txt" "$out/program-stderr.txt" 2>/dev/null
    log_lines >"$out/program-log.txt"
    [ -s "$work/xwait.txt" ] && sed 's/^/tour: the repaint watcher said: /' "$work/xwait.txt" >&2
    if [ ${#shots[@]} -gt 0 ]; then
        local args=() i
        for i in "${!shots[@]}"; do args+=(-label "${captions[$i]}" "${shots[$i]}"); done
        montage "${args[@]}" -tile 4x -geometry 400x306+6+6 -font DejaVu-Sans -pointsize 13 \
            -background white -depth 8 "$out/contact-sheet.png" || fail "the contact sheet could not be made"
    fi
    echo "tour: $checks checks, $failures failed; ${#shots[@]} screenshots in $out, all of them in $out/contact-sheet.png"
    exit $((failures > 0))
}

# --- the private X display --------------------------------------------------------------------
xvfb_running() { kill -0 "$xvfb_pid" 2>/dev/null; }
xvfb_answers_or_ended() { xdpyinfo -display ":$display_number" >/dev/null 2>&1 || ! xvfb_running; }
start_xvfb() {
    Xvfb ":$display_number" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.txt" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 200); do xvfb_answers_or_ended && break; sleep 0.05; done
    xvfb_running
}
