# Sourced by the scripts that drive the real program: their verdict lines and their ending.
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then echo "ok: $what"; else fail "$what"; fi; }
# on_own_display "$@": a script that moves the pointer or clicks goes on only on a display of the
# suite's own, never on the person's.
on_own_display() {
    if [ -z "${SONAVEL_TEST_DISPLAY:-}" ] || [ "${DISPLAY:-}" != "$SONAVEL_TEST_DISPLAY" ]; then
        exec "$(dirname "$0")/../../testing/own_display.sh" "$0" "$@"
    fi
}
# conclude WHAT: the count of failed checks, and the status to end with.
conclude() { echo "$1: $failures check(s) failed"; exit $((failures > 0)); }
