#!/usr/bin/env bash
# Installs what is missing, builds the libFuzzer targets and runs each for SECONDS (default 300)
# over its kept corpus in fuzz/corpus/TARGET, two at a time. Findings (crash-*, leak-*, timeout-*
# files) land in the working directory and fail the run. Each target runs under libFuzzer's
# memory limit (2 GiB resident, no allocation above that; a plain ulimit -v cannot hold the
# sanitizers' shadow memory), and the peak resident memory of each is written to
# fuzz-peaks.txt and shown at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
bash scripts/setup.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTESSALY_FUZZ=ON -DTESSALY_TESTS=OFF
cmake --build build-fuzz -j"$(nproc)" --target fuzzers
rm -f fuzz-peaks.txt
status=0
TESSALY_FUZZ_SECONDS=$seconds TESSALY_FUZZ_CORPUS="$PWD/fuzz/corpus" \
    TESSALY_FUZZ_PEAKS="$PWD/fuzz-peaks.txt" \
    ctest --test-dir build-fuzz --output-on-failure -L fuzz -j2 --timeout 0 || status=$?
echo "== peak resident memory per target (MB)"
sort fuzz-peaks.txt
exit "$status"
