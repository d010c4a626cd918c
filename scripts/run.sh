#!/usr/bin/env bash
# The program's main job, shown without hardware: installs what is missing, builds the demo
# (the updater over simulated USB devices) with the debug preset and starts it. With a display
# it shows the updater's window and a bench window to plug devices in; without one it plays the
# scripted scenario headless and exits 0 only when every expected outcome was seen. Arguments go
# to the demo (see scripts/run.sh --help), e.g. --headless or --screenshots DIR.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake --preset debug >/dev/null
cmake --build --preset debug --target zelvane-demo

exec build/debug/tools/demo/zelvane-demo "$@"
