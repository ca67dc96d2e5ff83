# bash completion for tessaly-cli. The commands, their first words and their options are read
# from the program's own --help, so a new command or option completes without a change here.

_tessaly_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()

    # Values of the options that take one.
    case $prev in
        --client-dir) mapfile -t COMPREPLY < <(compgen -d -- "$cur"); return ;;
        --verdata | --pat) mapfile -t COMPREPLY < <(compgen -f -- "$cur"); return ;;
        --jobs | --hue) return ;;
    esac

    local help
    help=$("${COMP_WORDS[0]}" --help 2>/dev/null) || return
    # "  NAME USAGE   summary" lines of the commands section, the usage without the summary.
    local usages
    usages=$(sed -n '/^Commands:/,/^$/{/^  [a-z]/{s/^  //;s/  .*//;p}}' <<<"$help")

    # The command is the first word that is neither an option nor an option's value.
    local i word command=
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case $word in
            --client-dir | --verdata | --pat | --jobs | --hue) ((i++)) ;;
            -*) ;;
            *) command=$word; break ;;
        esac
    done

    if [[ $cur == -* ]]; then
        # The options every command takes, then those the command's usage names.
        local options
        options=$(sed -n '/^Options:/,$p' <<<"$help" | grep -o -- '--[a-z-]*')
        if [[ -n $command ]]; then
            options+=" "$(grep "^$command " <<<"$usages" | grep -o -- '--[a-z-]*')
        fi
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        return
    fi
    if [[ -z $command ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(cut -d' ' -f1 <<<"$usages" | sort -u)" -- "$cur")
        return
    fi
    if ((i == COMP_CWORD - 1)); then
        # The first argument: the words a usage offers there ("item|terrain ID", "sound ID").
        local words
        words=$(grep "^$command " <<<"$usages" | sed 's/^[^ ]* //;s/ | /\n/g' |
            cut -d' ' -f1 | grep -x '[a-z|]*' | tr '|' ' ')
        if [[ -n $words ]]; then
            mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
            return
        fi
    fi
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
}

complete -o filenames -F _tessaly_cli tessaly-cli
