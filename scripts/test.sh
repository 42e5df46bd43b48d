#!/usr/bin/env bash
# Installs what is needed, builds QOR - Brenmoor and runs every test: first the optimised
# build, then the AddressSanitizer + UndefinedBehaviorSanitizer build.
# Tests that need a display run under Xvfb when no display is set.
# Usage: scripts/test.sh [--quick]   (--quick skips the sanitizer build)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
run_build() {  # folder, cmake options...
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  local ctest=(ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 600)
  if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24" "${ctest[@]}"
  else
    "${ctest[@]}"
  fi
}

echo "== Release build and tests =="
run_build build -DCMAKE_BUILD_TYPE=Release

if [ "${1:-}" != "--quick" ]; then
  echo "== AddressSanitizer + UndefinedBehaviorSanitizer build and tests =="
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_build build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQOR_SANITIZE=ON -DQOR_BUILD_BENCH=OFF
fi
