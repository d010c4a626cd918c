#!/usr/bin/env bash
# Builds the release preset and runs the benchmarks; each prints its ratio against its goal.
# Name benchmark programs to run only those (transfer_bench, engine_bench).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target transfer_bench engine_bench

programs=("$@")
[ ${#programs[@]} -gt 0 ] || programs=(transfer_bench engine_bench)
for program in "${programs[@]}"; do
    echo "=== $program"
    "build/release/bench/$program"
done
