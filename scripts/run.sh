#!/usr/bin/env bash
# Installs what is missing, builds Tessaly (the window and the sample generator only, so that
# no test suite is compiled first), writes the sample client into sample/ when it is not there
# yet, and launches Tessaly on it. With --modern (or --sample=newer) the newer sample
# client (containers, newer tile data and multis) in sample-modern/ is used instead; --old (or
# --sample=old) is the default.
set -euo pipefail
cd "$(dirname "$0")/.."
sample=sample
marker=sample/verdata.mul
mkflags=()
case "${1:-}" in
  --modern|--newer|--sample=newer|--sample=modern)
    sample=sample-modern; marker=sample-modern/artLegacyMUL.uop; mkflags=(--modern); shift ;;
  --old|--sample=old)
    shift ;;
esac
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Only what this command launches: the window and the sample generator, not the test suites.
cmake --build build -j"$(nproc)" --target tessaly tessaly-mkclient
if [ ! -f "$marker" ]; then
    ./build/tools/tessaly-mkclient "${mkflags[@]}" "$sample"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found. Run Tessaly under a virtual display, for example:"
    echo "  xvfb-run -a ./build/app/tessaly --client-dir $sample"
    echo "or take a picture of its window:"
    echo "  QT_QPA_PLATFORM=offscreen ./build/app/tessaly --client-dir $sample --screenshot tessaly.png"
    exit 0
fi
exec ./build/app/tessaly --client-dir "$sample" "$@"
