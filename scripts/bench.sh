#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks and runs every one of them on the full-size
# sample client, writing their reports (times, counters and the ratios to their baselines) into
# BENCHMARKS.md. Run it on a quiet machine: other work on the cores skews the figures.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALY_BENCH=ON
cmake --build build -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen ALSOFT_DRIVERS=null
out=BENCHMARKS.md
{
    echo "# Benchmarks"
    echo
    echo "Written by \`bash scripts/bench.sh\` on $(date -u +%Y-%m-%d), $(nproc) cores,"
    echo "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')."
    for program in build/bench/bench_*; do
        echo
        echo "## $(basename "$program")"
        echo
        echo '```'
        # Without colour codes (some reports colour their lines themselves) or Qt's notices.
        "$program" --benchmark_color=false 2>&1 | sed 's/\x1b\[[0-9;]*m//g' |
            grep -v -e '^\*\*\*WARNING' -e '^QStandardPaths' -e '^This plugin does not support'
        echo '```'
    done
} > "$out"
echo "wrote $out"
