#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed program as its own process, driven by the keyboard under
# Xvfb, against a data file that another process damages:
#   - cut short by `truncate` while the program runs: the next Save is
#     refused with a message and nothing is written;
#   - ending in a torn record (as a kill -9 during an append leaves it): the
#     next append starts at the record boundary over the torn bytes.
#   process_faults.sh <build dir>
set -euo pipefail
. "$(dirname "$0")/installed_program.sh"

idle() { xdotool sleep 0.4; }
key() { xdotool key --clearmodifiers "$@"; idle; }
type_text() { xdotool type --delay 20 "$1"; idle; }

# A data file of a header and the given last names, in a fresh folder.
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

start_in() {
    mkdir -p "$1/config"
    cd "$1"
    XDG_CONFIG_HOME="$1/config" "$program" >"$1/app.log" 2>&1 &
    app_pid=$!
    window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Vellora Carnetique 97$' |
        head -1) || fail "the main window did not appear"
    xdotool windowfocus --sync "$window"
    idle
}

stop_app() {
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
}

# Waits (bounded) until the program's standard error holds the text.
wait_for_log() {
    for _ in $(seq 1 100); do
        grep -q "$2" "$1/app.log" && return 0
        xdotool sleep 0.1
    done
    fail "no \"$2\" from the program: $(cat "$1/app.log")"
}

add_contact() {
    key alt+n
    type_text "$1"
    key alt+s
}

# 1. Cut short while the program runs.
work="$scratch/cut"
mkdir -p "$work"
make_file "$work/VCQ97.NAM" Abel Baker
start_in "$work"
truncate -s $((2 * 764)) "$work/VCQ97.NAM"
add_contact Clark
wait_for_log "$work" "cut the data file short"
size=$(stat -c %s "$work/VCQ97.NAM")
[ "$size" -eq $((2 * 764)) ] || fail "the program wrote into a file cut short (size $size)"
stop_app

# 2. A torn last record.
work="$scratch/torn"
mkdir -p "$work"
make_file "$work/VCQ97.NAM" Abel
head -c 300 /dev/urandom >>"$work/VCQ97.NAM"
start_in "$work"
add_contact Baker
key alt+q
wait_for_exit "$work/app.log"
python3 - "$work/VCQ97.NAM" <<'PY' || fail "the append did not start at the record boundary"
import sys
data = open(sys.argv[1], "rb").read()
assert len(data) == 3 * 764, f"size {len(data)}"
rec = data[2 * 764:]
assert rec[31] == 5 and rec[32:37] == b"Baker", rec[:64]
PY
echo "process faults: a file cut short is refused, a torn record is written over"
