#!/usr/bin/env bash
# Builds the Debian package of a configured and built folder (default build/) with cpack and
# checks it as a user meets it: unpacked into a scratch folder, both programs answer --version
# with the package's version, the sample generator is not in it, its Depends names the Debian
# package of every library the programs link, its desktop entry and AppStream metadata validate,
# its man pages render and the CLI's bash completion offers the commands, their first words and
# their options. Any fault is one line on standard error and status 1.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
fail() {
    echo "package check: $*" >&2
    exit 1
}

rm -f "$build"/tessaly_*.deb
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
(cd "$build" && cpack -G DEB) >"$scratch/cpack.log" 2>&1 ||
    fail "cpack could not build the package: $(tail -1 "$scratch/cpack.log")"
debs=("$build"/tessaly_*.deb)
[ -f "${debs[0]}" ] || fail "cpack wrote no tessaly_*.deb"
deb=${debs[0]}
root=$scratch/root
dpkg -x "$deb" "$root"

# The programs run from the unpacked tree and name the package's version.
packaged=$(dpkg-deb -f "$deb" Version)
version=$("$root/usr/bin/tessaly" --version) || fail "tessaly --version failed"
[[ $version == "Tessaly Version $packaged"* ]] || fail "tessaly --version printed '$version'"
version=$("$root/usr/bin/tessaly-cli" --version) || fail "tessaly-cli --version failed"
[[ $version == "tessaly-cli (Tessaly) $packaged" ]] ||
    fail "tessaly-cli --version printed '$version'"
[ ! -e "$root/usr/bin/tessaly-mkclient" ] || fail "the sample generator is in the package"

# Depends names the package that holds each library a program links.
depends=$(dpkg-deb -f "$deb" Depends)
for program in tessaly tessaly-cli; do
    linked=$(ldd "$root/usr/bin/$program")
    for library in $(objdump -p "$root/usr/bin/$program" | awk '$1 == "NEEDED" {print $2}'); do
        path=$(awk -v l="$library" '$1 == l && $2 == "=>" {print $3}' <<<"$linked")
        [ -n "$path" ] || fail "$program: $library is not found"
        owner=
        # A merged /usr lists libraries under /lib that dpkg knows under /usr/lib, or back.
        for candidate in "$path" "/usr$path" "${path#/usr}"; do
            if owner=$(dpkg-query -S "$candidate" 2>/dev/null); then
                break
            fi
        done
        [ -n "$owner" ] || fail "no Debian package holds $library ($path)"
        package=${owner%%:*}
        [[ ", $depends," == *", $package "* || ", $depends," == *", $package,"* ]] ||
            fail "Depends ($depends) does not name $package, which holds $library"
    done
done

# The desktop files.
share=$root/usr/share
desktop-file-validate "$share/applications/tessaly.desktop" ||
    fail "desktop-file-validate found faults in tessaly.desktop"
metainfo=("$share"/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || fail "no AppStream metadata"
appstreamcli validate --no-net "${metainfo[0]}" >/dev/null ||
    fail "appstreamcli validate found faults in ${metainfo[0]##*/}"
for file in mime/packages/tessaly.xml icons/hicolor/scalable/apps/tessaly.svg \
    icons/hicolor/scalable/mimetypes/application-x-tessaly-document.svg; do
    [ -s "$share/$file" ] || fail "the package lacks $file"
done

# The man pages render without warnings and name the options.
for program in tessaly tessaly-cli; do
    page=$share/man/man1/$program.1.gz
    [ -f "$page" ] || fail "no man page for $program"
    text=$(LC_ALL=C MANWIDTH=80 man --warnings -l "$page" 2>"$scratch/man.err") ||
        fail "man -l $program.1.gz failed"
    [ ! -s "$scratch/man.err" ] || fail "man -l $program.1.gz: $(head -1 "$scratch/man.err")"
    for option in --client-dir --version; do
        grep -q -- "$option" <<<"$text" || fail "the man page of $program does not name $option"
    done
done

# The completion offers the commands, a command's first words and its options.
completion=$share/bash-completion/completions/tessaly-cli
[ -f "$completion" ] || fail "no bash completion for tessaly-cli"
# What completing the words (the last one being completed) offers, one line.
offered() {
    PATH="$root/usr/bin:$PATH" bash -c 'source "$1"; shift
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _tessaly_cli; echo "${COMPREPLY[*]}"' \
        _ "$completion" "$@"
}
# Whether the line of words $1 holds each of the further arguments.
holds() {
    local words=" $1 "
    shift
    for word in "$@"; do
        [[ $words == *" $word "* ]] || return 1
    done
}
check_completion() {
    local wanted=$1
    shift
    local got
    got=$(offered tessaly-cli "$@")
    # shellcheck disable=SC2086
    holds "$got" $wanted || fail "completing 'tessaly-cli $*' offers '$got', not all of '$wanted'"
}
check_completion "export export-all" exp
check_completion "item gump sound multi anim" export ""
check_completion "--unused --json" list Items --
check_completion "--client-dir" --cl
echo "package check: ${deb##*/} is sound"
