#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in their own build folder and runs
# each for a bounded time from its seed corpus.
# Usage: run-libfuzzer.sh <build folder> <source folder> <clang++> <seconds per target>
set -euo pipefail
build=$1 source=$2 clang=$3 seconds=$4
cmake -S "$source" -B "$build" -G "Unix Makefiles" -DCMAKE_CXX_COMPILER="$clang" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORVEX_BUILD_TESTS=OFF -DTORVEX_BUILD_FUZZERS=ON >/dev/null
cmake --build "$build" -j2 --target fuzz_mime_decoder fuzz_header_field
run() {
  local target=$1 seeds=$2
  local corpus="$build/corpus-$target"
  mkdir -p "$corpus"
  "$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$build/crash-$target-" "$corpus" "$seeds"
}
run mime_decoder "$source/tests/fuzz/corpus/mime"
run header_field "$source/tests/fuzz/corpus/header"
