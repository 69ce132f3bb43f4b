#!/usr/bin/env bash
# Runs a test on an X display of the suite's own, never on the person's: the one scripts/test
# started (SONAVEL_TEST_DISPLAY) or, without it, a private Xvfb for this test alone. Tests that
# move the pointer come here by themselves when started anywhere else.
# usage: own_display.sh COMMAND [ARG...]
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/common.sh"

if [ -n "${SONAVEL_TEST_DISPLAY:-}" ] && DISPLAY=$SONAVEL_TEST_DISPLAY xdpyinfo >/dev/null 2>&1; then
    DISPLAY=$SONAVEL_TEST_DISPLAY exec "$@"
fi

start_private_display || exit 1
export SONAVEL_TEST_DISPLAY=$DISPLAY
trap 'kill "$xvfb_pid" 2>/dev/null' EXIT
"$@"
