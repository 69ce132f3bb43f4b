# Verdict lines for the scripts that drive the real program ("ok: ..." or "FAIL: ..."), counted,
# and their ending. A script may name a function in on_failure, run after each failure.
checks=0
failures=0
on_failure=""
ok() { checks=$((checks + 1)); echo "ok: $*"; }
fail() {
    checks=$((checks + 1))
    failures=$((failures + 1))
    echo "FAIL: $*"
    [ -z "$on_failure" ] || "$on_failure"
}
# verdict WHAT COMMAND...: ok or FAIL by the command's status.
verdict() { local what=$1; shift; if "$@"; then ok "$what"; else fail "$what"; fi; }
# conclude WHAT: the count of failed checks, and the status to end with.
conclude() { echo "$1: $failures check(s) failed"; exit $((failures > 0)); }

# on_own_display "$@": a script that moves the pointer or clicks goes on only on a display of the
# suite's own, never on the person's.
on_own_display() {
    if [ -z "${SONAVEL_TEST_DISPLAY:-}" ] || [ "${DISPLAY:-}" != "$SONAVEL_TEST_DISPLAY" ]; then
        exec "$(dirname "${BASH_SOURCE[0]}")/own_display.sh" "$0" "$@"
    fi
}
