#!/usr/bin/env bash
# Runs tessaly-cli and the window on hostile clients (tessaly-mkclient --hostile CASE) under a memory limit of
# 4 GiB of address space and a time limit per command: every command must end by itself, with
# success or a message, never killed by a limit or a signal. Links planted at old temporary
# names must leave their target untouched, and a device given as a patch file must stay one.
# Usage: scripts/hostile.sh [BUILD_DIR] (default build). Not for sanitizer builds: their shadow
# memory does not fit under the limit.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cli="$PWD/$build/tools/tessaly-cli"
app="$PWD/$build/app/tessaly"
mkclient="$PWD/$build/tools/tessaly-mkclient"
limit_kb=4194304
seconds=${TESSALY_HOSTILE_SECONDS:-120}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# run DIR ARGS...: one command under the limits; status 124 and above means a limit or signal.
# window DIR ARGS...: the same for the window, which starts up, takes a screenshot and ends.
run() {
    limited "$cli" "$@"
}
window() {
    QT_QPA_PLATFORM=offscreen ALSOFT_DRIVERS=null limited "$app" "$@" --screenshot "$work/shot.png"
}
limited() {
    local program=$1 dir=$2
    shift 2
    (ulimit -v "$limit_kb" && timeout -s KILL "$seconds" "$program" --client-dir "$dir" "$@") \
        >/dev/null 2>"$work/stderr"
    local status=$?
    if [ "$status" -ge 124 ]; then
        echo "FAIL ($status): $* in $dir"
        tail -3 "$work/stderr"
        failures=$((failures + 1))
    fi
}

client() {
    local name=$1
    shift
    rm -rf "$work/$name"
    "$mkclient" "$@" --hostile "$name" "$work/$name" || { echo "FAIL: cannot make $name"; exit 1; }
    echo "$work/$name"
}

d=$(client special-files)
for args in "files" "list Items" "list Gumps" "list Textures" "--verdata $d/fifo.mul list Items" \
    "--verdata $d/device.mul list Items" "patch $d/fifo.mul --delete item 1" \
    "patch $d/device.mul --delete item 1" "export-all Items $work/out-special"; do
    # shellcheck disable=SC2086
    run "$d" $args
done
window "$d" --category Items
window "$d" --open "$d/fifo.mul" --category Gumps
[ -c /dev/null ] && [ -L "$d/device.mul" ] || { echo "FAIL: the device patch file was replaced"; failures=$((failures + 1)); }

d=$(client planted-links)
run "$d" patch "$d/verdata.mul" --delete item 1
window "$d" --category VerData
[ "$(cat "$d/victim.bin")" = keep ] || { echo "FAIL: a save wrote through a planted link"; failures=$((failures + 1)); }

d=$(client sparse-files)
for args in "files" "list Items" "list Multis" "multi 0" "verdata"; do
    # shellcheck disable=SC2086
    run "$d" $args
done
window "$d" --category Multis

d=$(client anti-sort)
run "$d" verdata
run "$d" list Items
window "$d" --category Items

d=$(client huge-frames)
run "$d" export-all Anims "$work/out-frames" --frames
run "$d" export-all Anims "$work/out-sheets"
run "$d" export anim 0 0 0 0 "$work/frame.png"
window "$d" --category Anims --properties 0

d=$(client overlapping)
for args in "list Items" "list Multis" "multi 1" "export item 0x10 $work/item.png" \
    "export multi 1 $work/multi.png" "export-all Items $work/out-items" \
    "export-all Gumps $work/out-overlapping-gumps" "export-all Multis $work/out-multis" \
    "export-all Anims $work/out-overlapping-anims --all-actions"; do
    # shellcheck disable=SC2086
    run "$d" $args
done
window "$d" --category Items --thumbnails
window "$d" --category Anims --properties 1

d=$(client lying-container --modern)
run "$d" list Gumps
run "$d" export-all Gumps "$work/out-gumps"
window "$d" --category Gumps --thumbnails

if [ "$failures" -ne 0 ]; then
    echo "$failures hostile command(s) failed"
    exit 1
fi
echo "every hostile command ended within ${limit_kb} KiB and ${seconds} s"
