#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test program on an X display of its own, managed by a real window
# manager (openbox), so that windows get real frames as on a desktop.
#   under_window_manager.sh <test program> [arguments...]
set -euo pipefail
. "$(dirname "$0")/../common/private_display.sh"
scratch="$(mktemp -d)"
xvfb_pid=""
wm_pid=""
# Ends a server and waits for it, so that it cannot remove the socket of a
# display that another server takes next.
stop() {
    [ -n "$1" ] || return 0
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
cleanup() {
    stop "$wm_pid"
    stop "$xvfb_pid"
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

export HOME="$scratch"
export XDG_CONFIG_HOME="$scratch/config"
export XDG_DATA_HOME="$scratch/data"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"

# Xvfb picks a free display and writes its number; openbox then manages it.
# Servers of other tests start and end at the same time, and a display can be
# lost to one of them between its announcement and openbox's connection, so a
# desktop that does not come up whole is taken down and started again.
start_desktop() {
    start_private_display "$scratch" || return 1
    openbox --sm-disable >"$scratch/wm.log" 2>&1 &
    wm_pid=$!
    # The window manager is ready once it has announced itself on the root window.
    for _ in $(seq 1 200); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        kill -0 "$wm_pid" 2>/dev/null || return 1
        kill -0 "$xvfb_pid" 2>/dev/null || return 1
        xdotool sleep 0.05
    done
    return 1
}
for attempt in 1 2 3 4; do
    start_desktop && break
    stop "$wm_pid"
    stop "$xvfb_pid"
    wm_pid=""
    xvfb_pid=""
    [ "$attempt" -lt 4 ] || fail "no desktop to test on: $(cat "$scratch/wm.log" 2>/dev/null)"
done

cd "$scratch"
"$@"
