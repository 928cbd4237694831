#!/usr/bin/env bash
# Builds the fuzz targets (tests/fuzz: the profile store, the BMP decoder, the
# aircraft folder scan) with clang's libFuzzer, ASan and UBSan into
# build-fuzz/, and runs each for a fixed time on its seed corpus. Fails on the
# first crash, sanitizer report, leak or hang, leaving the input that caused
# it in build-fuzz/artifacts/.
#   ./scripts/fuzz.sh [seconds per target, default 30]     e.g. ./scripts/fuzz.sh 3600
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
build="$here/build-fuzz"

"$here/scripts/deps.sh" cmake make clang libclang-rt-14-dev

echo "Building the fuzz targets"
cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_FUZZ=ON \
  -DQM_TESTS=OFF -DQM_BENCHMARKS=OFF -DQM_WINDOW=OFF -DQM_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target bitmap_fuzz profile_fuzz scan_fuzz >/dev/null

mkdir -p "$build/artifacts"
for target in bitmap_fuzz profile_fuzz scan_fuzz; do
  echo "Fuzzing $target for ${seconds} s"
  # New inputs go to a scratch corpus; the seeds in the tree are only read.
  scratch=$(mktemp -d)
  status=0
  "$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$target-" "$scratch" "$here/tests/fuzz/corpus/$target" \
    >"$build/$target.log" 2>&1 || status=$?
  rm -rf "$scratch"
  grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb" "$build/$target.log" | tr '\n' ' '
  echo
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$build/$target.log"
    echo "$target failed (exit $status); the input is in $build/artifacts/"
    exit 1
  fi
done
