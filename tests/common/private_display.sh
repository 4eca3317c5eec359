# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the test scripts: an X server of the test's own, on a display
# Xvfb chooses, and the environment a program under test needs on it.
#   start_private_display SCRATCH
# Sets DISPLAY and xvfb_pid; returns 1 when the server did not start.
start_private_display() {
    exec 3<> <(:)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    read -r -t 20 display <&3 || return 1
    export DISPLAY=":$display"
    export QT_QPA_PLATFORM=xcb
    # The program looks for modems on the system bus: give it none rather
    # than the machine's.
    export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$1/no-system-bus"
    unset WAYLAND_DISPLAY
}
