#!/usr/bin/env bash
# Installs what is missing, then configures, builds and runs every test through CTest, once per
# preset named (debug when none is named). Fails as soon as one build or one test fails.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(debug)
for preset in "${presets[@]}"; do
    echo "=== preset: $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    status=0
    ctest --preset "$preset" -j "$(nproc)" || status=$?
    # CTest shows a test's output only when it fails: a skipped test's reason is shown here.
    grep -h 'SKIPPED' "build/$preset/Testing/Temporary/LastTest.log" || true
    [ "$status" -eq 0 ] || exit "$status"
done
