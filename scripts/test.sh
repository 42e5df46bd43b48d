#!/usr/bin/env bash
# Installs what is needed, builds QOR - Brenmoor and runs every test: first the optimised
# build, then the AddressSanitizer + UndefinedBehaviorSanitizer build, then the tests that
# run several threads in a ThreadSanitizer build, and a minute of fuzzing the image readers.
# Tests that need a display run under Xvfb when no display is set.
# Usage: scripts/test.sh [--quick]   (--quick skips the sanitizer builds)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
run_build() {  # folder, ctest filter (empty for all), targets (empty for all), cmake options...
  local dir=$1 filter=$2 targets=$3
  shift 3
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  if [ -n "$targets" ]; then
    # shellcheck disable=SC2086
    cmake --build "$dir" -j "$jobs" --target $targets
  else
    cmake --build "$dir" -j "$jobs"
  fi
  local ctest=(ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 600)
  [ -n "$filter" ] && ctest+=(-R "$filter")
  local log="$dir/test-output.txt"
  if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24" "${ctest[@]}" | tee "$log"
  else
    "${ctest[@]}" | tee "$log"
  fi
  # GL and GUI tests skip without a usable display; here one is always given, so a skip
  # means they did not run at all.
  if grep -q "(Skipped)" "$log"; then
    echo "GL or GUI tests were skipped: no usable display or GL context" >&2
    return 1
  fi
}
# The sanitizer builds need line numbers, not full debug information, and -O1 (the
# sanitizers' usual level) compiles the tests in about half the time of -O2.
sanitizer_flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
                 -DQOR_BUILD_BENCH=OFF)

echo "== Release build and tests =="
run_build build "" "" -DCMAKE_BUILD_TYPE=Release

if [ "${1:-}" != "--quick" ]; then
  echo "== AddressSanitizer + UndefinedBehaviorSanitizer build and tests =="
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_build build-asan "" "" "${sanitizer_flags[@]}" -DQOR_SANITIZE=ON
  echo "== ThreadSanitizer build, tests that run several threads =="
  # Only the programs that hold threaded tests (a test named "/2threads " in another program
  # would show as not built).
  # Qt, X and the software OpenGL driver are not built with the sanitizer: what they do among
  # themselves is not ours to check (and looks like races without their synchronisation).
  TSAN_OPTIONS="halt_on_error=1 ignore_noninstrumented_modules=1" \
    run_build build-tsan "/2threads(Streamed)? " \
      "terrain_step_oracle_test terrain_step_driver_test app_threads_test app_test_shaders app_test_textures" \
      "${sanitizer_flags[@]}" -DQOR_TSAN=ON
  echo "== Fuzzing the image readers (clang, libFuzzer) for 60 seconds =="
  CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DQOR_FUZZ=ON -DQOR_BUILD_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build-fuzz -j "$jobs" --target image_fuzz image_fuzz_replay
  rm -rf build-fuzz/corpus
  build-fuzz/tests/fuzz/image_fuzz_replay --write build-fuzz/corpus
  build-fuzz/tests/fuzz/image_fuzz build-fuzz/corpus -max_total_time=60 -max_len=8192 \
    -malloc_limit_mb=256 -rss_limit_mb=2048 -print_final_stats=1 2>&1 | tail -n 12
fi
