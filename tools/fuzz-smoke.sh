#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (FUZZ_SECONDS, default 60) from the corpus kept in fuzz/corpus. New inputs
# go to a scratch folder; a crash fails the run and leaves its input in
# build-fuzz/artifacts. For a long run by hand:
#   build-fuzz/bin/fuzz_upc_check fuzz/corpus/upc_check
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"
mkdir -p build-fuzz/artifacts
status=0
for fuzzer in build-fuzz/bin/fuzz_*; do
    name=${fuzzer##*/fuzz_}
    scratch=$(mktemp -d)
    mkdir -p "fuzz/corpus/$name"
    if "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix=build-fuzz/artifacts/ \
        -timeout=10 -rss_limit_mb=4096 "$scratch" "fuzz/corpus/$name" >"build-fuzz/$name.log" 2>&1; then
        runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "build-fuzz/$name.log" | grep -o '[0-9]*$')
        echo "fuzz_$name: ${runs:-?} executions in ${seconds} s, no finding"
    else
        echo "fuzz_$name: FINDING"; tail -40 "build-fuzz/$name.log"; status=1
    fi
    rm -rf "$scratch"
done
exit $status
