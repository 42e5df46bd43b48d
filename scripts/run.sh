#!/usr/bin/env bash
# Installs what is needed, builds QOR - Brenmoor and starts it.
# The windowed program is still being built; until it exists this runs qor-sim, the program
# without a window: it generates and floods a landscape, lets the water run, writes
# depth.bmp and saves the scene as lake.qor.
# Any arguments go to qor-sim (see: scripts/run.sh --help).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target qor-sim

if [ $# -eq 0 ]; then
  set -- --size 256 --steps 500 --depth-bmp depth.bmp --save lake.qor
fi
echo "The window is not there yet: running the headless simulator (build/src/cli/qor-sim $*)."
exec build/src/cli/qor-sim "$@"
