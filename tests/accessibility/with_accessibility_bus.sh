#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command with a D-Bus session of its own and, on it, the desktop's
# accessibility bus (the one screen readers listen to), as a desktop session
# with a screen reader running has them. Needs DISPLAY (under_window_manager.sh).
#   with_accessibility_bus.sh <command> [arguments...]
set -euo pipefail
scratch="$(mktemp -d)"
bus_pid=""
launcher_pid=""
stop() {
    [ -n "$1" ] || return 0
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
cleanup() {
    stop "$launcher_pid"
    stop "$bus_pid"
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

export XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# The session bus announces its address on a pipe once it listens.
exec 4<> <(:)
dbus-daemon --session --nofork --nopidfile --print-address=4 >/dev/null 2>&1 &
bus_pid=$!
read -r -t 20 address <&4 || fail "no session bus"
export DBUS_SESSION_BUS_ADDRESS="$address"

status_is_on() {
    dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
        org.freedesktop.DBus.Properties.Get string:org.a11y.Status "string:$1" 2>/dev/null |
        grep -q 'boolean true'
}
# A program turns its bridge on only when the launcher says a reader runs. Now
# and then (about one start in fifteen) the launcher's own flags leave it
# saying not; it is then told so as a reader's switch tells it, and asked back.
switched_on() {
    local property
    for property in IsEnabled ScreenReaderEnabled; do
        status_is_on "$property" && continue
        dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
            org.freedesktop.DBus.Properties.Set string:org.a11y.Status "string:$property" \
            variant:boolean:true >/dev/null 2>&1
        status_is_on "$property" || return 1
    done
}

# The accessibility bus, switched on as a running screen reader switches it on.
/usr/libexec/at-spi-bus-launcher --launch-immediately --a11y=1 --screen-reader=1 \
    >"$scratch/launcher.log" 2>&1 &
launcher_pid=$!
for _ in $(seq 1 400); do
    a11y_bus=$(dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
        org.a11y.Bus.GetAddress 2>/dev/null | tr -d ' ') || true
    # The registry, which lists the programs to readers, is up before any program starts.
    if [ -n "$a11y_bus" ] && dbus-send --bus="$a11y_bus" --print-reply \
        --dest=org.a11y.atspi.Registry /org/a11y/atspi/accessible/root \
        org.freedesktop.DBus.Peer.Ping >/dev/null 2>&1 && switched_on; then
        "$@"
        exit $?
    fi
    kill -0 "$launcher_pid" 2>/dev/null || break
    xdotool sleep 0.05
done
fail "no accessibility bus: $(cat "$scratch/launcher.log")"
