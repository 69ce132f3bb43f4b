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
