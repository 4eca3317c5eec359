#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The file manager's way in: the installed launcher started with a contact
# file, named relative to the folder it is started from, opens the window on
# the data file in the user's data folder and asks whether to import the
# file. Cancel leaves the data file as it was; OK imports the card, shows the
# report, and the card is in the data file.
#   open_with_files.sh <build dir>
set -euo pipefail
. "$(dirname "$0")/installed_program.sh"
launcher="$scratch/prefix/bin/vellora-carnetique-97-launcher"
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$scratch/downloads"
data_file="$XDG_DATA_HOME/vellora-carnetique-97/VCQ97.NAM"
printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Durand;Anne;;;\r\nFN:Anne Durand\r\nEND:VCARD\r\n' \
    >"$scratch/downloads/anne.vcf"

# Waits for a window with this exact title and gives it the keyboard.
focus() {
    local id
    id=$(timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -1) ||
        fail "no window \"$1\"; the program said: $(cat "$scratch/app.log" 2>/dev/null)"
    xdotool windowfocus --sync "$id"
}

# $1: the key that answers the offer (Escape cancels, Return accepts).
open_with_card() {
    (cd "$scratch/downloads" && exec "$launcher" anne.vcf) >"$scratch/app.log" 2>&1 &
    app_pid=$!
    focus Confirm
    xdotool key --clearmodifiers "$1"
    if [ "$1" = Return ]; then
        focus "Import report"
        xdotool key --clearmodifiers Return
    fi
    focus "Vellora Carnetique 97"
    xdotool key --clearmodifiers alt+q
    wait_for_exit "$scratch/app.log"
}

open_with_card Escape
[ "$(stat -c %s "$data_file")" -eq 764 ] || fail "cancelled, yet the data file has $(stat -c %s "$data_file") bytes"

open_with_card Return
python3 - "$data_file" <<'PY' || fail "data file"
import sys
data = open(sys.argv[1], 'rb').read()
assert len(data) == 2 * 764, f"size {len(data)}"
def field(rec, off, max_len):
    return rec[off + 1: off + 1 + min(rec[off], max_len)]
contact = data[764:]
assert field(contact, 31, 30) == b"Durand" and field(contact, 0, 30) == b"Anne", contact[:64]
PY
echo "open with files: offered, cancelled, then imported"
