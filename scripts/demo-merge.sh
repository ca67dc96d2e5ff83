#!/usr/bin/env bash
# The merge shown end to end on the full-size sample clients, old and newer: writes each client
# with a patch file of 1,020 records (items, gumps, sounds, tile data) and a ".pat" patch of 40
# hues and 6 multis (bench_clientfiles_merge --inputs), merges them with `tessaly-cli merge`,
# lays the output over a copy of the client as README tells a user to, and photographs an edited
# item, gump, sound, tile data record, hue and multi in the window, from the client as it was
# ("before") and from the merged copy without the patch ("after").
#
# Usage: scripts/demo-merge.sh [WORKDIR]   (default: a new folder below /tmp; builds in ./build,
# or the folder named by BUILD, with the benchmarks switched on)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
work=${1:-$(mktemp -d /tmp/tessaly-demo-merge-XXXXXX)}
# The input writer is a benchmark program: the build needs the benchmarks switched on.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALY_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target tessaly tessaly-cli bench_clientfiles_merge >/dev/null
cli="$build/tools/tessaly-cli"
mkdir -p "$work"
"$build/bench/bench_clientfiles_merge" --inputs "$work"

# The window remembers the patch file opened last: a settings folder of its own keeps it out.
export XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen ALSOFT_DRIVERS=null

shoot() { # CLIENTDIR NAME CATEGORY ENTRY PAGE
    "$build/app/tessaly" --client-dir "$1" --category "$3" --properties "$4" --page "$5" \
        --screenshot "$work/shots/$2.png"
}

mkdir -p "$work/shots"
for client in old newer; do
    echo "== $client client"
    "$cli" --client-dir "$work/$client" --verdata "$work/$client-patch.mul" \
        merge "$work/$client-merged" --pat "$work/$client-edits.pat"
    # The output goes into (a copy of) the client: its files replace those of the same name.
    cp -a "$work/$client" "$work/$client-client"
    find "$work/$client-merged" -maxdepth 1 -type f ! -name manifest.json \
        -exec cp {} "$work/$client-client/" \;
    for side in before after; do
        dir="$work/$client"
        [ "$side" = after ] && dir="$work/$client-client"
        shoot "$dir" "$client-$side-item-0x100" Items 0x100 Item
        shoot "$dir" "$client-$side-gump-0xc" Gumps 0xc Gump
        shoot "$dir" "$client-$side-sound-0x5" Sounds 0x5 Sound
        shoot "$dir" "$client-$side-tiledata-0x208" TileData 0x208 TileData
        shoot "$dir" "$client-$side-hue-0x10" Hues 0x10 Hue
        shoot "$dir" "$client-$side-multi-0x0" Multis 0x0 Image
        "$cli" --client-dir "$dir" tiledata item 0x100 >"$work/shots/$client-$side-tiledata.txt"
    done
    # A deleted item is gone from the merged client's list.
    if "$cli" --client-dir "$work/$client-client" export item 0x3000 "$work/deleted.png" \
        2>/dev/null; then
        echo "item 0x3000 is still there" >&2
        exit 1
    fi
done
echo "screenshots in $work/shots"
