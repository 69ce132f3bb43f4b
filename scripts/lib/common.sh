# Shared by the scripts: paths, building, and a private X display when there is none.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
app_binary_in() { echo "$1/app/KorvenSonavel_artefacts/$2/korven-sonavel"; }

# configure_and_build DIR BUILD_TYPE [cmake options...]
configure_and_build() {
    local dir=$1 type=$2
    shift 2
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
    cmake --build "$dir"
}

# start_private_display: starts Xvfb on the first free display number from 90 on, exports DISPLAY
# and sets xvfb_pid. Another program may take a number first: the next one is tried.
start_private_display() {
    local n=90
    while [ "$n" -lt 200 ]; do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
            xvfb_pid=$!
            for _ in $(seq 100); do
                if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
                    export DISPLAY=":$n"
                    return 0
                fi
                kill -0 "$xvfb_pid" 2>/dev/null || break
                sleep 0.05
            done
            kill "$xvfb_pid" 2>/dev/null
        fi
        n=$((n + 1))
    done
    echo "could not start Xvfb" >&2
    return 1
}

# Starts an X display of the suite's own, whatever DISPLAY says: tests move the pointer, type and
# take screenshots, which must never happen on the person's own display. Stops it on exit. The
# tests' launcher (testing/own_display.sh) finds it through SONAVEL_TEST_DISPLAY.
ensure_display() {
    start_private_display || return 1
    export SONAVEL_TEST_DISPLAY=$DISPLAY
    trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
}

# configure_and_build_targets DIR BUILD_TYPE "TARGET..." [cmake options...]
configure_and_build_targets() {
    local dir=$1 type=$2 targets=$3
    shift 3
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
    # shellcheck disable=SC2086
    cmake --build "$dir" --target $targets
}

# Starts the default virtual room (scripts/virtual-room) for the suites and exports its
# environment; stops it on exit, after whatever else was to be done on exit.
start_virtual_room() {
    export SONAVEL_ROOM_DIR
    SONAVEL_ROOM_DIR=$(mktemp -d /tmp/sonavel-suite-room.XXXXXX)
    local exports
    if ! exports=$("$root/scripts/virtual-room" start --owner $$); then
        echo "could not start the virtual room" >&2
        return 1
    fi
    eval "$exports"
    local previous=""
    if [ -n "$(trap -p EXIT)" ]; then
        eval "set -- $(trap -p EXIT)"
        previous=$3
    fi
    # shellcheck disable=SC2064
    trap "\"$root/scripts/virtual-room\" cleanup >/dev/null 2>&1; $previous" EXIT
}
