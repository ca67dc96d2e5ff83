# bash completion for tessaly-cli. The commands, their first words and their options are read
# from the program's own --help, so a new command or option completes without a change here.

_tessaly_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    local help
    help=$("${COMP_WORDS[0]}" --help 2>/dev/null) || return

    # The options that take a value, as --help writes them with its name ("--jobs N").
    local valued
    valued=$(grep -o -- '--[a-z-]* [A-Z][A-Z.]*' <<<"$help" | sort -u)
    case $(awk -v option="$prev" '$1 == option {print $2; exit}' <<<"$valued") in
        "") ;;
        DIR) mapfile -t COMPREPLY < <(compgen -d -- "$cur"); return ;;
        FILE*) mapfile -t COMPREPLY < <(compgen -f -- "$cur"); return ;;
        *) return ;;
    esac
    # The lines of the commands section that name a command and its usage ("  NAME USAGE").
    local usages
    usages=$(sed -n '/^Commands:/,/^$/{/^  [a-z]/{s/^  //;s/  .*//;p}}' <<<"$help")

    # The command is the first word that is neither an option nor an option's value.
    local i word command=
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case $word in
            -*) grep -q -- "^$word " <<<"$valued" && ((i++)) ;;
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
