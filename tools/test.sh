#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test:
#   1. the test suite (ctest) on the normal build, with warnings as errors,
#      the layers' include direction, and clang-tidy on every library;
#   2. the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. each fuzzer for a bounded time (FUZZ_SECONDS, default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

tools/install-deps.sh

# The CI build treats warnings as errors; a developer's own `cmake --preset
# dev` turns that off again.
echo "== build and test"
cmake --preset dev -DQUORVANE_WERROR=ON
cmake --build --preset dev -j"$jobs"
ctest --preset dev -j"$jobs"

echo "== the layers' include direction"
tools/check-layers.sh

echo "== clang-tidy on every library and program"
tools/clang-tidy.sh build

echo "== build and test with the sanitizers"
cmake --preset asan -DQUORVANE_WERROR=ON
cmake --build --preset asan -j"$jobs"
ctest --preset asan -j"$jobs"

echo "== fuzzing smoke run"
tools/fuzz-smoke.sh

echo "== load run: a million codes along the whole road, with the sanitizers"
build-asan/bin/road_bench --load-run 1000000

echo "stages: 5 passed, 0 failed"
