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

# Starts Xvfb on a free display number unless DISPLAY already works; stops it on exit.
ensure_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return 0
    fi
    local n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do
        n=$((n + 1))
    done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
    export DISPLAY=":$n"
    for _ in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "could not start Xvfb on $DISPLAY" >&2
    return 1
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
