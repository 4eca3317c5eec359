#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The manual page renders without a warning, and names every command the
# program lists and every option of each (as their --help shows them), so a
# new command or option cannot go undocumented.
#   man_page.sh PROGRAM MANPAGE
set -eu
program="$1"
page="$2"
fail() { echo "FAIL: $*" >&2; exit 1; }

warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man warns: $warnings"
# The page as text, without the hyphenation and justification of a terminal.
text=$(MANWIDTH=1000 MAN_KEEP_FORMATTING= man -l "$page" 2>/dev/null)

commands=$(LC_ALL=C "$program" --help | sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p')
[ -n "$commands" ] || fail "no command in the program's --help"
for command in $commands; do
    printf '%s\n' "$text" | grep -q -- "vellora-carnetique-97 $command" ||
        fail "the page does not show the command $command"
    options=$(LC_ALL=C "$program" "$command" --help |
        sed -n 's/^ *\(-[a-zA-Z?], \)\{0,1\}\(--[a-z][a-z-]*\).*/\2/p')
    for option in $options; do
        printf '%s\n' "$text" | grep -q -- "$option" ||
            fail "the page does not show $option of $command"
    done
done
for section in "EXIT STATUS" ENVIRONMENT FILES EXAMPLES; do
    printf '%s\n' "$text" | grep -q "^$section" || fail "no section $section"
done
echo "man page: renders cleanly, names $(echo $commands | wc -w) commands and their options"
