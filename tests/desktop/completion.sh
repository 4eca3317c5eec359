#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# bash completes the program's commands, options and their values: the
# completion file is loaded as bash-completion loads it, then Tab is played
# by setting COMP_WORDS and COMP_CWORD and calling the completion function.
#   completion.sh PROGRAM COMPLETION_FILE
set -euo pipefail
program="$1"
fail() { echo "FAIL: $*" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/bin" "$scratch/work" "$scratch/work/folder"
ln -s "$program" "$scratch/bin/vellora-carnetique-97"
PATH="$scratch/bin:$PATH"
cd "$scratch/work"
touch anne.vcf bob.VCARD list.csv notes.txt

# shellcheck source=/dev/null
. "$2"
installed=$(complete -p vellora-carnetique-97) || fail "no completion for vellora-carnetique-97"
[[ $installed == *"-F _vellora_carnetique_97 "* ]] || fail "completion is $installed"

# The words typed so far (the last one is where Tab is pressed), and what
# Tab must offer, sorted, separated by blanks.
cases=(
    "ex|export"
    "i|import"
    "s|search sync"
    "|anne.vcf bin birthdays bob.VCARD duplicates export folder import list.csv search sync"
    "--v|--version"
    "import --a|--allow-duplicates"
    "import --report no|notes.txt"
    "import |anne.vcf bob.VCARD folder list.csv"
    "export --format v|vcard3 vcard4"
    "export --format vcard4 --|--format --help --password-file"
    "sync |setup status"
    "sync st|status"
    "sync setup |"
    "sync --user |"
    "./anne.vcf |anne.vcf bob.VCARD folder list.csv"
)
for case in "${cases[@]}"; do
    typed=${case%%|*}
    expected=${case#*|}
    read -r -a COMP_WORDS <<<"vellora-carnetique-97 $typed"
    [[ $typed == *" " || -z $typed ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _vellora_carnetique_97
    got=$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd' ')
    [[ $got == "$expected" ]] || fail "after \"$typed\": offered \"$got\", expected \"$expected\""
done
echo "completion: ${#cases[@]} cases"
