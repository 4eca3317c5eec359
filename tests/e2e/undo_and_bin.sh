#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed program as its own process under Xvfb, driven by keys:
#   - Delete, Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z checked on the data file's bytes,
#     then the deleted contact restored by "bin restore" after the program ended;
#   - the program killed between the bin's flush and the tombstone: the contact
#     is still in the data file and in the bin, and the next start lists it.
#   undo_and_bin.sh <build dir> <preload library>
set -euo pipefail
. "$(dirname "$0")/installed_program.sh"
preload="$2"

idle() { xdotool sleep 0.4; }
key() { xdotool key --clearmodifiers "$@"; idle; }

make_file() {
    python3 - "$@" <<'PY'
import sys
def rec(first, last):
    r = bytearray(764)
    r[0] = len(first); r[1:1 + len(first)] = first
    r[31] = len(last); r[32:32 + len(last)] = last
    return bytes(r)
data = rec(b"Beta3", b"Vellora Softwares")
for name in sys.argv[2:]:
    data += rec(b"x", name.encode())
open(sys.argv[1], "wb").write(data)
PY
}

# Record $2 of data file $1, as hex.
record() { xxd -p -s $(($2 * 764)) -l 764 "$1" | tr -d '\n'; }

# Waits (bounded) until record $2 of $1 is the hex $3.
wait_for_record() {
    for _ in $(seq 1 100); do
        [ "$(record "$1" "$2")" = "$3" ] && return 0
        xdotool sleep 0.1
    done
    fail "record $2 is not as expected ($4)"
}

start_in() {
    mkdir -p "$1/config"
    cd "$1"
    # A sanitizer build refuses a preloaded library ahead of its runtime unless told.
    XDG_CONFIG_HOME="$1/config" LD_PRELOAD="${2:-}" \
        ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" \
        "$program" >"$1/app.log" 2>&1 &
    app_pid=$!
    window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Vellora Carnetique 97$' |
        head -1) || fail "the main window did not appear"
    xdotool windowfocus --sync "$window"
    idle
}

delete_selected() {
    key alt+d
    confirm=$(timeout 10 xdotool search --sync --onlyvisible --name '^Confirm$' | head -1) ||
        fail "no delete confirmation"
    xdotool windowfocus --sync "$confirm"
    key Return
}

# 1. Delete, undo, redo with the keys; restore from the bin after the end.
work="$scratch/undo"
mkdir -p "$work"
make_file "$work/VCQ97.NAM" Abel Baker
abel=$(record "$work/VCQ97.NAM" 1)
tombstone=$(python3 -c 'r = bytearray(764); r[31] = 2; r[32:34] = b"@~"; print(r.hex())')
start_in "$work"
delete_selected
xdotool windowfocus --sync "$window"
wait_for_record "$work/VCQ97.NAM" 1 "$tombstone" "deleted"
key ctrl+z
wait_for_record "$work/VCQ97.NAM" 1 "$abel" "Ctrl+Z brings Abel back"
key ctrl+y
wait_for_record "$work/VCQ97.NAM" 1 "$tombstone" "Ctrl+Y deletes Abel again"
key ctrl+shift+z # nothing left to redo
key ctrl+z
wait_for_record "$work/VCQ97.NAM" 1 "$abel" "Ctrl+Z again"
key ctrl+shift+z
wait_for_record "$work/VCQ97.NAM" 1 "$tombstone" "Ctrl+Shift+Z redoes"
key alt+q
wait_for_exit "$work/app.log"
listed=$("$program" bin list)
[ "$(grep -c 'Abel x' <<<"$listed")" -eq 1 ] || fail "the bin lists Abel once: $listed"
number=$(grep 'Abel x' <<<"$listed" | cut -f1)
"$program" bin restore "$number" >/dev/null || fail "bin restore $number"
[ "$(record "$work/VCQ97.NAM" 1)" = "$abel" ] || fail "Abel is not back in record 1"
[ "$(stat -c %a "$work/VCQ97.NAM.bin")" = 600 ] || fail "the bin is not private"

# 2. Killed between the bin's flush and the tombstone.
work="$scratch/crash"
mkdir -p "$work"
make_file "$work/VCQ97.NAM" Abel Baker
before=$(xxd -p "$work/VCQ97.NAM" | tr -d '\n')
start_in "$work" "$preload"
delete_selected
for _ in $(seq 1 100); do
    kill -0 "$app_pid" 2>/dev/null || break
    xdotool sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null && fail "the program was not stopped after the bin's flush"
app_pid=""
[ "$(xxd -p "$work/VCQ97.NAM" | tr -d '\n')" = "$before" ] || fail "the tombstone was written"
"$program" bin list | grep -q 'Abel x' || fail "the bin does not hold Abel"
start_in "$work"
key alt+q
wait_for_exit "$work/app.log"
echo "undo and bin: keys undo and redo on the file's bytes; a crash after the bin loses nothing"
