#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# `make run` without a display: the window is served over VNC on the loopback
# addresses only. Runs scripts/run-program with a stand-in program that looks
# at the listening sockets while the VNC server is up.
#   headless_run.sh <source dir>
set -euo pipefail
source_dir="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# A port nothing listens on yet.
port=""
for candidate in $(shuf -i 20000-40000 -n 50); do
    if ! ss -ltnH "sport = :$candidate" | grep -q .; then
        port=$candidate
        break
    fi
done
[ -n "$port" ] || fail "no free port"

cat >"$scratch/stand-in" <<STANDIN
#!/bin/sh
ss -ltnH "sport = :$port" >"$scratch/listening"
echo "\$DISPLAY" >"$scratch/display"
STANDIN
chmod +x "$scratch/stand-in"

env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM VCQ_VNC_PORT="$port" \
    "$source_dir/scripts/run-program" "$scratch/stand-in" >"$scratch/out" 2>&1 ||
    fail "run-program failed: $(cat "$scratch/out")"

grep -q "127.0.0.1:$port" "$scratch/out" || fail "the address is not announced: $(cat "$scratch/out")"
[ -s "$scratch/display" ] && grep -q '^:' "$scratch/display" || fail "no private display"
[ -s "$scratch/listening" ] || fail "nothing listened on port $port"
# Local address is the 4th column of `ss -ltnH`: only loopback may appear.
while read -r _ _ _ local _; do
    case "$local" in
        127.0.0.1:"$port" | "[::1]:$port") ;;
        *) fail "port $port is served on $local, beyond this machine" ;;
    esac
done <"$scratch/listening"
echo "served on: $(awk '{print $4}' "$scratch/listening" | tr '\n' ' ')"
