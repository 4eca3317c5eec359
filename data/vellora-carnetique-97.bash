# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for vellora-carnetique-97: its commands, their options and
# words, and the files they take. The commands and options are read from the
# program's own --help (in English, once per shell), so a new command or
# option completes without a change here.

# Prints one line per command, or per option of command $2, of program $1.
_vellora_carnetique_97_help()
{
    if [[ -z ${2-} ]]; then
        LC_ALL=C LANGUAGE= "$1" --help 2>/dev/null |
            sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p'
    else
        # Options ("--name" or "--name <VALUE>"), then the literal words of
        # the arguments ("setup|status").
        LC_ALL=C LANGUAGE= "$1" "$2" --help 2>/dev/null | sed -n \
            -e 's/^ *\(-[a-zA-Z?], \)\{0,1\}\(--[a-z][a-z-]*\)\( <[^>]*>\)\{0,1\}.*/\2\3/p' \
            -e '/^Arguments:/,/^$/s/^  \([a-z]*|[a-z|]*\) .*/\1/p'
    fi
}

# Files a command reads contacts from: vCard and CSV files, and folders.
_vellora_carnetique_97_contact_files()
{
    local f
    while IFS= read -r f; do
        if [[ -d $f ]]; then
            COMPREPLY+=("$f") # readline adds the slash (-o filenames)
        else
            case ${f,,} in
                *.vcf | *.vcard | *.csv) COMPREPLY+=("$f") ;;
            esac
        fi
    done < <(compgen -f -- "$1")
}

_vellora_carnetique_97()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    local program=${COMP_WORDS[0]}
    program=${program/#\~/$HOME}
    COMPREPLY=()

    # The commands, and each command's options, from the program's help.
    local key=${program//[^a-zA-Z0-9_]/_}
    local -n _vcq_commands=_vellora_carnetique_97_commands_$key
    if [[ -z ${_vcq_commands+set} ]]; then
        declare -g "_vellora_carnetique_97_commands_$key=$(_vellora_carnetique_97_help "$program")"
    fi

    local command="" i word
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ $word != -* ]]; then
            command=$word
            break
        fi
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W '--help --version' -- "$cur")
        else
            mapfile -t COMPREPLY < <(compgen -W "$_vcq_commands" -- "$cur")
            # Without a command the window opens and offers to import files.
            _vellora_carnetique_97_contact_files "$cur"
        fi
        return
    fi
    if ! grep -qx -- "$command" <<<"$_vcq_commands"; then
        _vellora_carnetique_97_contact_files "$cur"
        return
    fi

    local -n _vcq_options=_vellora_carnetique_97_options_${key}_${command//-/_}
    if [[ -z ${_vcq_options+set} ]]; then
        declare -g "_vellora_carnetique_97_options_${key}_${command//-/_}=$(
            _vellora_carnetique_97_help "$program" "$command")"
    fi

    # The value of an option: a file, a format, or something only the user knows.
    local line
    while IFS= read -r line; do
        [[ $line == "$prev "* ]] || continue
        case $prev in
            --format) mapfile -t COMPREPLY < <(compgen -W 'vcard3 vcard4 csv' -- "$cur") ;;
            *)
                case $line in
                    *'<FILE>') mapfile -t COMPREPLY < <(compgen -f -- "$cur") ;;
                esac
                ;;
        esac
        return
    done <<<"$_vcq_options"

    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(sed -n 's/^\(--[a-z-]*\).*/\1/p' <<<"$_vcq_options")" -- "$cur")
        return
    fi
    # The words a command takes first (sync: setup, status), when none is given yet.
    local words
    words=$(sed -n 's/^[a-z]*|.*/&/p' <<<"$_vcq_options" | tr '|' ' ')
    if [[ -n $words ]]; then
        for ((i = i + 1; i < COMP_CWORD; i++)); do
            [[ ${COMP_WORDS[i]} != -* && ${COMP_WORDS[i - 1]} != --* ]] && return
        done
        mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
        return
    fi
    case $command in
        export)
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            [[ -z $cur ]] && COMPREPLY+=(-)
            ;;
        *) _vellora_carnetique_97_contact_files "$cur" ;;
    esac
}

complete -o filenames -F _vellora_carnetique_97 vellora-carnetique-97
