#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end: installs the program into a scratch prefix, starts it as its own
# process under Xvfb in an empty folder, drives a short session with the
# keyboard alone, then checks the data file's bytes and the stored position.
#   keyboard_session.sh <build dir>
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
sleep_until_idle() { xdotool sleep 0.4; }
key() { xdotool key --clearmodifiers "$@"; sleep_until_idle; }
type_text() { xdotool type --delay 20 "$1"; sleep_until_idle; }

sleep_until_idle
key alt+n
type_text "Smith"
key Tab
type_text "John"
key alt+s
key alt+n
type_text "Adams"
key Tab
type_text "Ann"
key alt+s
# "Adams Ann" is now the first entry and selected: delete it, confirm with Enter.
key alt+d
# Without a window manager the keyboard follows the window we focus.
confirm=$(timeout 10 xdotool search --sync --onlyvisible --name '^Confirm$' | head -1) ||
    fail "no delete confirmation"
xdotool windowfocus --sync "$confirm"
key Return
xdotool windowfocus --sync "$window"
key alt+q

wait_for_exit "$scratch/app.log"

python3 - "$scratch/work/VCQ97.NAM" <<'PY' || fail "data file"
import sys
data = open(sys.argv[1], 'rb').read()
assert len(data) == 3 * 764, f"size {len(data)}"
def field(rec, off, max_len):
    n = min(rec[off], max_len)
    return rec[off + 1: off + 1 + n]
header, first, second = (data[i * 764:(i + 1) * 764] for i in range(3))
assert field(header, 0, 30) == b"Beta3" and field(header, 31, 30) == b"Vellora Softwares"
assert field(first, 31, 30) == b"Smith" and field(first, 0, 30) == b"John", first[:64]
assert field(second, 31, 30) == b"@~", second[:64]
PY

registry="$XDG_CONFIG_HOME/vellora-carnetique-97/registry.reg"
[ -f "$registry" ] || fail "no registry file"
grep -q '"ScreenPosX"=dword:' "$registry" || fail "no ScreenPosX in the registry"
grep -q '"ScreenPosY"=dword:' "$registry" || fail "no ScreenPosY in the registry"
echo "keyboard session: data file and window position as expected"
