#!/usr/bin/env bash
# Builds the headless tests with AddressSanitizer and UndefinedBehaviorSanitizer
# (gcc) into build-asan/ and runs them; any finding fails the run. The window
# tests stay out of this build: the toolkit's own libraries leak at exit.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/deps.sh"
build="$here/build-asan"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQM_WERROR=ON -DQM_WINDOW=OFF -DQM_BENCHMARKS=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --output-on-failure -j"$(nproc)" --timeout 600
