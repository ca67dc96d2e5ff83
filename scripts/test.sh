#!/usr/bin/env bash
# Installs what is missing, builds Tessaly and runs every test: the Debian package built and
# checked (scripts/check-package.sh), the GoogleTest suites, the same suites again under
# AddressSanitizer + UBSan, and each libFuzzer target for a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

# Debug information is most of a compile's time and the tests do not need it: the plain build
# has none, the sanitizer and fuzz builds keep line tables for their stack traces.
echo "== build and test (build/)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSALY_BENCH=ON \
    -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG"
cmake --build build -j"$jobs"
echo "== the Debian package (build/)"
bash scripts/check-package.sh build
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 600

echo "== hostile clients under a memory and time limit (build/)"
bash scripts/hostile.sh build

echo "== tests under AddressSanitizer + UBSan (build-asan/)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSALY_SANITIZE=ON \
    -DCMAKE_C_FLAGS_DEBUG="-O1 -g1" -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1"
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp":print_suppressions=0 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 900

echo "== fuzz targets (build-fuzz/)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -gline-tables-only -DNDEBUG" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -gline-tables-only -DNDEBUG" \
    -DTESSALY_FUZZ=ON -DTESSALY_TESTS=OFF
cmake --build build-fuzz -j"$jobs" --target fuzzers
TESSALY_FUZZ_SECONDS=${TESSALY_FUZZ_SECONDS:-5} ctest --test-dir build-fuzz --output-on-failure -L fuzz -j"$jobs"
