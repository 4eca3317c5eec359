#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a validator and fails on any remark it makes: the validators pass
# hints, infos and pedantic notes with status 0, and we want none of them.
# Silence, or appstreamcli's one line of success (its mark depends on the
# locale), is a pass.
#   no_remarks.sh VALIDATOR ARGUMENTS...
out=$("$@" 2>&1) || { printf '%s\n' "$out"; exit 1; }
if [ -z "$out" ] || [ "$(printf '%s\n' "$out" | sed 's/^[^ ]* //')" = "Validation was successful." ]; then
    exit 0
fi
printf '%s\n' "$out"
exit 1
