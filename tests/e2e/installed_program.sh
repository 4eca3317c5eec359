# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the end-to-end scripts, with the build folder as their first
# argument: installs the program into a scratch prefix ($program), starts a
# display of the test's own, and takes everything down when the script ends
# ($app_pid, if the script sets it, is the program's process).
. "$(dirname "${BASH_SOURCE[0]}")/../common/private_display.sh"
build="$1"
scratch="$(mktemp -d)"
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
program="$scratch/prefix/bin/vellora-carnetique-97"
start_private_display "$scratch" || fail "Xvfb did not start"

# Waits, at most ten seconds, for the program ($app_pid) to end after Quit,
# and fails unless it ended cleanly; $1 is its log, shown on failure.
wait_for_exit() {
    for _ in $(seq 1 100); do
        kill -0 "$app_pid" 2>/dev/null || break
        xdotool sleep 0.1
    done
    kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after Quit"
    wait "$app_pid" || fail "the program ended with an error: $(cat "$1")"
    app_pid=""
}
