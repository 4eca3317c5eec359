#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end: the installed program under Xvfb, by the keyboard. On the
# Options dialog's "Synchronisation" page a plain http address on another
# machine is said to be insecure in red (and not one on this machine); Save
# asks first, and refused, nothing is set up. Nothing is sent anywhere: the
# question comes before any request.
#   sync_insecure_warning.sh <build dir>
set -euo pipefail
. "$(dirname "$0")/installed_program.sh"
mkdir -p "$scratch/work" "$scratch/config"
export XDG_CONFIG_HOME="$scratch/config"

cd "$scratch/work"
"$program" >"$scratch/app.log" 2>&1 &
app_pid=$!

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Vellora Carnetique 97$' | head -1) ||
    fail "the main window did not appear"
xdotool windowfocus --sync "$window"
settle() { xdotool sleep 0.4; }
key() { xdotool key --clearmodifiers "$@"; settle; }
# The first visible window other than the main one named like $1, waited for
# up to $2 tenths of a second (ten seconds unless given).
other_window() {
    for _ in $(seq 1 "${2:-100}"); do
        for id in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
            [ "$id" != "$window" ] && { echo "$id"; return 0; }
        done
        xdotool sleep 0.1
    done
    return 1
}
# Pixels of the window in the page's red (#c00000, anti-aliasing allowed).
red_pixels() {
    import -window "$1" -depth 8 rgb:- | python3 -c '
import sys
b = sys.stdin.buffer.read()
print(sum(1 for i in range(0, len(b) - 2, 3) if b[i] > 150 and b[i + 1] < 80 and b[i + 2] < 80))'
}

settle
key alt+o
dialog=$(other_window '^Vellora Carnetique 97$') || fail "no Options dialog"
xdotool windowfocus --sync "$dialog"
key ctrl+Tab # the Synchronisation page; the address field has the focus
xdotool type --delay 20 "http://carddav.invalid/dav/"
settle
red=$(red_pixels "$dialog")
[ "$red" -gt 100 ] || fail "no red warning for plain http to another machine ($red red pixels)"
key ctrl+a
xdotool type --delay 20 "http://127.0.0.1:9/"
settle
red=$(red_pixels "$dialog")
[ "$red" -lt 10 ] || fail "a red warning for the loopback ($red red pixels)"
key ctrl+a
xdotool type --delay 20 "http://carddav.invalid/dav/"
settle

key alt+s
confirm=$(other_window '^Confirm$') || fail "Save did not ask about plain http"
xdotool windowfocus --sync "$confirm"
key Escape
# Whatever says the setup was refused is acknowledged; the dialog, if still up, cancelled.
for _ in 1 2 3; do
    left=$(other_window '.' 20) || break
    xdotool windowfocus --sync "$left"
    key Escape
done
xdotool windowfocus --sync "$window"
key alt+q
wait_for_exit "$scratch/app.log"

[ ! -e "$scratch/work/VCQ97.NAM.carddav" ] || fail "the refused address was saved"
size=$(stat -c %s "$scratch/work/VCQ97.NAM")
[ "$size" -eq 764 ] || fail "the data file changed (size $size)"
echo "sync page: insecure address shown in red, asked about, refused and not saved"
